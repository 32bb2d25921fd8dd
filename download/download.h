// Downloading one address into one file on a worker thread, while the calling
// user-interface thread keeps handling window events and the progress bar moves.
#pragma once

#include <chrono>
#include <cstdint>

#include "base/types.h"

// The progress bar's writes, carried out by the window layer. The download calls
// these only on the user-interface thread, in the order the worker made them.
// A position can exceed the maximum when a server sends more than it announced;
// the bar is expected to hold it at its maximum, as a progress control does.
class ProgressTarget {
public:
    virtual ~ProgressTarget() = default;
    virtual void set_range(std::int32_t window_id, std::int32_t control_id, int minimum, int maximum) = 0;
    virtual void set_position(std::int32_t window_id, std::int32_t control_id, int position) = 0;
};

// The bar always has this many steps, whatever the file size.
constexpr int progress_steps = 1000;

// A transfer that delivers nothing for this long is given up as failed. The
// platform download can block for ever on a connection broken mid-body, and
// the window's controls stay disabled while it runs.
constexpr std::chrono::milliseconds download_stall_limit{30000};

// The bar position for a byte count: bytes_so_far * 1000 / total_bytes, cut off,
// 0 when the total is unknown (0). Counts beyond the total give more than 1000;
// the bar holds those at its maximum.
int progress_position(std::uint32_t bytes_so_far, std::uint32_t total_bytes);

// Only http and https addresses are downloaded.
bool is_downloadable_address(const Text& url);

// Downloads url into file_name (a GBK path) and returns true on success. Runs on
// the user-interface thread and returns when the download has ended, handling
// window events meanwhile. When show_progress is set, the bar named by window_id
// and control_id goes from 0 to 1000 through target; otherwise target is left
// alone. A failed download leaves nothing at file_name, and a file that was there
// before is only ever replaced by a complete download.
bool download_with_progress(const Text& url, const Text& file_name, std::int32_t window_id, std::int32_t control_id,
                            bool show_progress, ProgressTarget& target,
                            std::chrono::milliseconds stall_limit = download_stall_limit);

// The result code of the last download: 0 for success, a negative platform code
// for failure, 1 while one runs.
std::int32_t last_download_status();
