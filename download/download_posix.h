// The download on POSIX systems, over libcurl. download_with_progress (download.h)
// works as on Windows; a front end without a window can also watch the byte
// counts and stop the transfer.
#pragma once

#include <chrono>
#include <cstdint>

#include "download/download.h"

// What a front end learns of a running download besides the bar position. Both
// are called on the thread that called the download, between reads.
class TransferMonitor {
public:
    virtual ~TransferMonitor() = default;
    // Bytes received so far and the announced total, 0 while the total is unknown.
    virtual void transferred(std::uint64_t bytes_so_far, std::uint64_t total_bytes) = 0;
    // True ends the download as failed (download_stopped); it leaves no file.
    virtual bool stop_requested() = 0;
};

// Result codes of a failed download (last_download_status). All are negative.
enum DownloadFailure : std::int32_t {
    download_bad_address = -2,    // not an http or https address
    download_file_error = -3,     // the target folder is missing or cannot be written
    download_bad_status = -4,     // the final answer's status is not 2xx
    download_short_body = -5,     // fewer bytes than the server announced
    download_stalled = -6,        // nothing arrived for the stall limit
    download_stopped = -7,        // the monitor asked to stop
    download_transfer_error = -8  // any other failure of the transfer (refused, bad certificate, ...)
};

// download_with_progress with a monitor; monitor may be null.
bool download_with_monitor(const Text& url, const Text& file_name, std::int32_t window_id, std::int32_t control_id,
                           bool show_progress, ProgressTarget& target, TransferMonitor* monitor,
                           std::chrono::milliseconds stall_limit = download_stall_limit);
