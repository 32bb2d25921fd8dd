// The parse command's platform steps on Windows: the request through the WinHTTP
// object, the download through the platform's URL download with the window's
// progress bar, and the local clock.
#pragma once

#include "app/parse_command.h"
#include "app/window_operations.h"
#include "download/download.h"

// Carries the download's progress writes to the window's progress bar.
class WindowProgressTarget : public ProgressTarget {
public:
    explicit WindowProgressTarget(WindowOperations& window) : window_(window) {}
    void set_range(std::int32_t window_id, std::int32_t control_id, int minimum, int maximum) override;
    void set_position(std::int32_t window_id, std::int32_t control_id, int position) override;

private:
    WindowOperations& window_;
};

class WindowsParsePlatform : public ParsePlatform {
public:
    explicit WindowsParsePlatform(WindowOperations& window) : progress_(window) {}
    ByteArray request(const Text& address, const Text& header_line) override;
    bool download(const Text& url, const Text& file_name, std::int32_t window_id, std::int32_t control_id,
                  bool show_progress) override;
    DateTime current_time() override;
    int current_milliseconds() override;

private:
    WindowProgressTarget progress_;
};
