#include "app/cli/cli_platform_posix.h"

#include "base/time.h"
#include "net/web_request.h"

ByteArray CliParsePlatform::request(const Text& address, const Text& header_line) {
    return web_request({.url = address, .headers = header_line});
}

bool CliParsePlatform::download(const Text& url, const Text& file_name, std::int32_t window_id, std::int32_t control_id,
                                bool show_progress) {
    stop_.downloading = 1;
    progress_.start();
    bool ok = download_with_monitor(url, file_name, window_id, control_id, show_progress, *this, this);
    progress_.finish();
    stop_.downloading = 0;
    stopped_ = stopped_ || last_download_status() == download_stopped;
    return ok;
}

void CliParsePlatform::transferred(std::uint64_t bytes_so_far, std::uint64_t total_bytes) {
    progress_.update(bytes_so_far, total_bytes);
}

DateTime CliParsePlatform::current_time() { return ::current_time(); }

int CliParsePlatform::current_milliseconds() { return ::current_milliseconds(); }
