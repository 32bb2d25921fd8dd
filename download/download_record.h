// The process-wide record of the last download: what was asked and how it ended.
// The platform downloads fill it the same way; only the transfer differs.
#pragma once

#include <atomic>
#include <cstdint>

#include "base/types.h"

// The status while a download runs. Results are 0 for success or a negative
// platform code, so no result equals it.
constexpr std::int32_t download_status_running = 1;

struct DownloadRecord {
    std::atomic<std::int32_t> status{0};  // keeps the last result between downloads
    Text url;
    Text file_name;
    bool show_progress = false;
    std::int32_t window_id = 0;  // the bar's identifiers, written only when progress is shown
    std::int32_t control_id = 0;
};

// Stores a new request and marks it running.
void begin_download_record(DownloadRecord& record, const Text& url, const Text& file_name, bool show_progress,
                           std::int32_t window_id, std::int32_t control_id);
