// Download progress on the terminal: one line that keeps being rewritten on a
// terminal, plain lines when the output goes to a file or a pipe.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

// "45.2%  12.3 MB / 27.2 MB  5.1 MB/s  0:03 left" for a known total;
// "12.3 MB  5.1 MB/s" while the total is unknown (0). Speed and time left are
// left out until a measurable time has passed.
std::string progress_text(std::uint64_t bytes_so_far, std::uint64_t total_bytes, double elapsed_seconds);

// "12.3 MB", "950 kB", "512 B"; decimal units, as transfer tools show them.
std::string byte_count_text(double bytes);

class TerminalProgress {
public:
    // interactive: rewrite one line with "\r"; otherwise write whole lines, at
    // most one a second.
    TerminalProgress(std::FILE* out, bool interactive);

    void start();
    void update(std::uint64_t bytes_so_far, std::uint64_t total_bytes);
    // Writes the last state and ends the line, when there was any.
    void finish();

private:
    using Clock = std::chrono::steady_clock;
    void write(bool force);

    std::FILE* out_;
    bool interactive_;
    bool started_ = false;
    bool updated_ = false;  // nothing is written for a download that never started
    Clock::time_point start_time_{};
    Clock::time_point last_write_{};
    std::uint64_t bytes_so_far_ = 0;
    std::uint64_t total_bytes_ = 0;
    std::size_t last_length_ = 0;
};
