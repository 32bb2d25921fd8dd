// The parts of the download that need no platform: progress arithmetic, the
// address check and the cookie deletion pattern.
#include "download/download.h"
#include "download/cookie_cleanup.h"
#include "download/download_record.h"

#include "base/text.h"

int progress_position(std::uint32_t bytes_so_far, std::uint32_t total_bytes) {
    if (total_bytes == 0) return 0;
    // The product needs more than 32 bits; the quotient is cut off, not rounded.
    std::uint64_t product = static_cast<std::uint64_t>(bytes_so_far) * progress_steps;
    std::uint64_t position = product / total_bytes;
    return position > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(position);
}

bool is_downloadable_address(const Text& url) {
    Text scheme = text_lower(text_left(url, 8));
    return text_starts_with(scheme, "http://") || text_starts_with(scheme, "https://");
}

Text cookie_file_pattern(const Text& folder) { return folder.empty() ? Text() : text_concat(folder, "\\*.txt"); }

void begin_download_record(DownloadRecord& record, const Text& url, const Text& file_name, bool show_progress,
                           std::int32_t window_id, std::int32_t control_id) {
    record.status.store(download_status_running);
    record.url = url;
    record.file_name = file_name;
    record.show_progress = show_progress;
    if (!show_progress) return;
    record.window_id = window_id;
    record.control_id = control_id;
}
