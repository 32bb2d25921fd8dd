// The download on POSIX systems: one libcurl transfer on the calling thread.
//
// There is no window whose events need handling while the transfer runs, so the
// calling thread runs the transfer itself and makes the progress writes between
// reads, in order; no worker thread is needed. Each download gets a fresh easy
// handle without a cookie store, which is what ends the engine's session.
//
// As on Windows, the result is checked before the file reaches its name: the
// final status must be 2xx, the body must not be shorter than announced, a
// transfer that delivers nothing for the stall limit fails, and only http and
// https addresses are fetched (also after a redirect). The body is written to a
// fresh part file beside the target and moved onto the target name only when the
// download has succeeded, so a failure leaves nothing there and never touches a
// file that was there before.
#include "download/download_posix.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <string>

#include "base/codepage.h"
#include "base/system.h"
#include "download/cookie_cleanup.h"
#include "download/download_record.h"
#include "net/curl_posix.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr long redirect_limit = 20;
constexpr long receive_buffer_bytes = 256 * 1024;

DownloadRecord download_state;

std::string native_path(const Text& path) { return utf16_to_utf8(gbk_to_utf16(path)); }

// A part file of the download's own, beside the target: created new (never an
// existing file) with the permissions a new file gets.
class PartFile {
public:
    explicit PartFile(const std::string& target) {
        for (unsigned attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
            name_ = target + ".part-" + std::to_string(::getpid()) + "-" + std::to_string(++counter_);
            fd_ = ::open(name_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd_ < 0 && errno != EEXIST) break;
        }
        if (fd_ < 0) name_.clear();
    }
    ~PartFile() {
        close();
        if (!name_.empty()) ::unlink(name_.c_str());
    }
    PartFile(const PartFile&) = delete;
    PartFile& operator=(const PartFile&) = delete;

    bool valid() const { return fd_ >= 0; }
    bool write(const char* data, std::size_t size) {
        while (size > 0) {
            ssize_t n = ::write(fd_, data, size);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return false;
            data += n;
            size -= static_cast<std::size_t>(n);
        }
        return true;
    }
    bool close() {
        if (fd_ < 0) return true;
        bool ok = ::close(fd_) == 0;
        fd_ = -1;
        return ok;
    }
    // Moves the finished file onto the target; the part file is gone afterwards.
    bool settle(const std::string& target) {
        if (!close() || ::rename(name_.c_str(), target.c_str()) != 0) return false;
        name_.clear();
        return true;
    }

private:
    static inline std::atomic<unsigned> counter_{0};
    std::string name_;
    int fd_ = -1;
};

// What the callbacks of one transfer share.
struct Transfer {
    PartFile& part;
    ProgressTarget& target;
    TransferMonitor* monitor;
    bool show_progress;
    std::int32_t window_id;
    std::int32_t control_id;
    std::chrono::milliseconds stall_limit;

    Clock::time_point last_activity = Clock::now();
    curl_off_t last_received = -1;
    curl_off_t last_total = -1;
    bool write_failed = false;
    bool stalled = false;
    bool stopped = false;
};

// The bar position for 64-bit counts: both are scaled down together until the
// total fits the 32 bits that the position arithmetic takes.
int position_for(curl_off_t received, curl_off_t total) {
    auto so_far = static_cast<std::uint64_t>(received < 0 ? 0 : received);
    auto whole = static_cast<std::uint64_t>(total < 0 ? 0 : total);
    while (whole > 0xFFFFFFFFull) {
        whole >>= 1;
        so_far >>= 1;
    }
    if (so_far > 0xFFFFFFFFull) so_far = 0xFFFFFFFFull;
    return progress_position(static_cast<std::uint32_t>(so_far), static_cast<std::uint32_t>(whole));
}

size_t on_body(char* data, size_t size, size_t count, void* user) {
    auto* transfer = static_cast<Transfer*>(user);
    if (!transfer->part.write(data, size * count)) {
        transfer->write_failed = true;
        return 0;
    }
    return size * count;
}

// Called by curl as bytes arrive and about once a second while none do: reports
// changed counts, and ends the transfer when asked to or when it has stalled.
int on_progress(void* user, curl_off_t total, curl_off_t received, curl_off_t, curl_off_t) {
    auto* transfer = static_cast<Transfer*>(user);
    Clock::time_point now = Clock::now();
    process_events();
    if (received != transfer->last_received || total != transfer->last_total) {
        if (received != transfer->last_received) transfer->last_activity = now;
        transfer->last_received = received;
        transfer->last_total = total;
        if (transfer->show_progress)
            transfer->target.set_position(transfer->window_id, transfer->control_id, position_for(received, total));
        if (transfer->monitor)
            transfer->monitor->transferred(static_cast<std::uint64_t>(received), static_cast<std::uint64_t>(total));
    }
    if (transfer->monitor && transfer->monitor->stop_requested()) {
        transfer->stopped = true;
        return 1;
    }
    if (now - transfer->last_activity >= transfer->stall_limit) {
        transfer->stalled = true;
        return 1;
    }
    return 0;
}

// The settings of one download on a fresh handle.
void set_up(CURL* handle, const std::string& url, Transfer& transfer) {
    curl_apply_common_settings(handle);
    curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
    curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(handle, CURLOPT_MAXREDIRS, redirect_limit);
    // An error answer's body never reaches the part file.
    curl_easy_setopt(handle, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(handle, CURLOPT_BUFFERSIZE, receive_buffer_bytes);
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(transfer.stall_limit.count()));
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, on_body);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(handle, CURLOPT_XFERINFOFUNCTION, on_progress);
    curl_easy_setopt(handle, CURLOPT_XFERINFODATA, &transfer);
    curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 0L);
}

// Runs the transfer into the part file and checks what arrived.
std::int32_t transfer_to(const std::string& url, Transfer& transfer) {
    CurlEasy handle = curl_easy_make();
    if (!handle) return download_transfer_error;
    set_up(handle.get(), url, transfer);
    CURLcode code = curl_easy_perform(handle.get());
    if (transfer.stopped) return download_stopped;
    if (transfer.stalled || code == CURLE_OPERATION_TIMEDOUT) return download_stalled;
    if (transfer.write_failed || code == CURLE_WRITE_ERROR) return download_file_error;
    if (code == CURLE_HTTP_RETURNED_ERROR) return download_bad_status;
    if (code == CURLE_PARTIAL_FILE) return download_short_body;
    if (code == CURLE_UNSUPPORTED_PROTOCOL) return download_bad_address;
    if (code != CURLE_OK) return download_transfer_error;

    long status = 0;
    curl_easy_getinfo(handle.get(), CURLINFO_RESPONSE_CODE, &status);
    if (status < 200 || status > 299) return download_bad_status;
    curl_off_t announced = -1, received = 0;
    curl_easy_getinfo(handle.get(), CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &announced);
    curl_easy_getinfo(handle.get(), CURLINFO_SIZE_DOWNLOAD_T, &received);
    if (announced >= 0 && received < announced) return download_short_body;
    return 0;
}

std::int32_t run_download(const DownloadRecord& state, ProgressTarget& target, TransferMonitor* monitor,
                          std::chrono::milliseconds stall_limit) {
    clear_browser_cookies();
    if (state.show_progress) {
        target.set_range(state.window_id, state.control_id, 0, progress_steps);
        target.set_position(state.window_id, state.control_id, 0);
    }
    // Other schemes would read local files; the address is checked before any file is made.
    if (!is_downloadable_address(state.url)) return download_bad_address;
    const std::string file_name = native_path(state.file_name);
    PartFile part(file_name);
    if (!part.valid()) return download_file_error;

    Transfer transfer{part, target, monitor, state.show_progress, state.window_id, state.control_id, stall_limit};
    std::int32_t result = transfer_to(curl_address(native_path(state.url), false), transfer);
    if (result == 0 && !part.settle(file_name)) result = download_file_error;
    return result;
}

}  // namespace

bool download_with_monitor(const Text& url, const Text& file_name, std::int32_t window_id, std::int32_t control_id,
                           bool show_progress, ProgressTarget& target, TransferMonitor* monitor,
                           std::chrono::milliseconds stall_limit) {
    DownloadRecord& state = download_state;
    begin_download_record(state, url, file_name, show_progress, window_id, control_id);
    state.status.store(run_download(state, target, monitor, stall_limit));
    return state.status.load() == 0;
}

bool download_with_progress(const Text& url, const Text& file_name, std::int32_t window_id, std::int32_t control_id,
                            bool show_progress, ProgressTarget& target, std::chrono::milliseconds stall_limit) {
    return download_with_monitor(url, file_name, window_id, control_id, show_progress, target, nullptr, stall_limit);
}

std::int32_t last_download_status() { return download_state.status.load(); }
