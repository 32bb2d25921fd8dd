#include "app/cli/terminal_progress.h"

#include <cinttypes>

namespace {

// Redraws on a terminal are limited to ten a second; plain lines to one.
constexpr std::chrono::milliseconds interactive_interval{100};
constexpr std::chrono::milliseconds plain_interval{1000};
// Below this the speed is mostly noise.
constexpr double least_measured_seconds = 0.2;

std::string format(const char* pattern, double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, pattern, value);
    return buffer;
}

std::string duration_text(double seconds) {
    auto whole = static_cast<std::uint64_t>(seconds + 0.5);
    char buffer[64];
    if (whole >= 3600)
        std::snprintf(buffer, sizeof buffer, "%" PRIu64 ":%02" PRIu64 ":%02" PRIu64, whole / 3600, whole / 60 % 60,
                      whole % 60);
    else
        std::snprintf(buffer, sizeof buffer, "%" PRIu64 ":%02" PRIu64, whole / 60, whole % 60);
    return buffer;
}

}  // namespace

std::string byte_count_text(double bytes) {
    if (bytes >= 1e9) return format("%.2f GB", bytes / 1e9);
    if (bytes >= 1e6) return format("%.1f MB", bytes / 1e6);
    if (bytes >= 1e3) return format("%.0f kB", bytes / 1e3);
    return format("%.0f B", bytes);
}

std::string progress_text(std::uint64_t bytes_so_far, std::uint64_t total_bytes, double elapsed_seconds) {
    std::string text;
    auto so_far = static_cast<double>(bytes_so_far);
    if (total_bytes > 0) {
        // Cut off, not rounded: 99.96% is not yet 100.0%.
        double percent = static_cast<double>(static_cast<std::uint64_t>(so_far * 1000.0 / total_bytes)) / 10.0;
        text = format("%5.1f%%", percent) + "  " + byte_count_text(so_far) + " / " +
               byte_count_text(static_cast<double>(total_bytes));
    } else {
        text = byte_count_text(so_far);
    }
    if (elapsed_seconds < least_measured_seconds || bytes_so_far == 0) return text;
    double speed = so_far / elapsed_seconds;
    text += "  " + byte_count_text(speed) + "/s";
    if (total_bytes > bytes_so_far) text += "  " + duration_text((total_bytes - bytes_so_far) / speed) + " left";
    return text;
}

TerminalProgress::TerminalProgress(std::FILE* out, bool interactive) : out_(out), interactive_(interactive) {}

void TerminalProgress::start() {
    started_ = true;
    start_time_ = Clock::now();
    last_write_ = start_time_;
    bytes_so_far_ = 0;
    total_bytes_ = 0;
    last_length_ = 0;
    updated_ = false;
}

void TerminalProgress::update(std::uint64_t bytes_so_far, std::uint64_t total_bytes) {
    if (!started_) start();
    updated_ = true;
    bytes_so_far_ = bytes_so_far;
    total_bytes_ = total_bytes;
    write(false);
}

void TerminalProgress::finish() {
    if (started_ && updated_) {
        write(true);
        if (interactive_) std::fputc('\n', out_);
        std::fflush(out_);
    }
    started_ = false;
    updated_ = false;
}

void TerminalProgress::write(bool force) {
    Clock::time_point now = Clock::now();
    if (!force && now - last_write_ < (interactive_ ? interactive_interval : plain_interval)) return;
    last_write_ = now;
    std::chrono::duration<double> elapsed = now - start_time_;
    std::string text = progress_text(bytes_so_far_, total_bytes_, elapsed.count());
    if (interactive_) {
        // Spaces wipe what a longer previous line left behind.
        std::size_t length = text.size();
        if (length < last_length_) text.append(last_length_ - length, ' ');
        last_length_ = length;
        std::fprintf(out_, "\r%s", text.c_str());
    } else {
        std::fprintf(out_, "%s\n", text.c_str());
    }
    std::fflush(out_);
}
