// The parse command's platform steps on the command line: the request through
// the libcurl request object, the download through the libcurl download with
// the progress on the terminal, and the local clock.
#pragma once

#include <csignal>

#include "app/cli/terminal_progress.h"
#include "app/parse_command.h"
#include "download/download_posix.h"

// Set from a signal handler: a request to stop, and whether a download runs
// (outside one, the handler ends the program at once, as nothing needs undoing).
struct StopSignal {
    volatile std::sig_atomic_t stop_requested = 0;  // the number of the signal that asked

    volatile std::sig_atomic_t downloading = 0;
};

class CliParsePlatform : public ParsePlatform, private ProgressTarget, private TransferMonitor {
public:
    CliParsePlatform(TerminalProgress& progress, StopSignal& stop) : progress_(progress), stop_(stop) {}

    ByteArray request(const Text& address, const Text& header_line) override;
    bool download(const Text& url, const Text& file_name, std::int32_t window_id, std::int32_t control_id,
                  bool show_progress) override;
    DateTime current_time() override;
    int current_milliseconds() override;

    // True when a download ended because a stop was requested.
    bool stopped() const { return stopped_; }

private:
    // The bar's 0 to 1000 steps are not shown; the monitor's byte counts are.
    void set_range(std::int32_t, std::int32_t, int, int) override {}
    void set_position(std::int32_t, std::int32_t, int) override {}
    void transferred(std::uint64_t bytes_so_far, std::uint64_t total_bytes) override;
    bool stop_requested() override { return stop_.stop_requested != 0; }

    TerminalProgress& progress_;
    StopSignal& stop_;
    bool stopped_ = false;
};
