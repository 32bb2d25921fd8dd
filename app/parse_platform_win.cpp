#include "app/parse_platform_win.h"

#include "app/controls.h"
#include "base/time.h"
#include "net/web_request.h"

namespace {

// The window has one progress bar; writes addressed to anything else go nowhere,
// as they would for a control that does not exist.
bool is_progress_bar(std::int32_t window_id, std::int32_t control_id) {
    return window_id == main_window_id && control_id == progress_bar;
}

}  // namespace

void WindowProgressTarget::set_range(std::int32_t window_id, std::int32_t control_id, int minimum, int maximum) {
    if (!is_progress_bar(window_id, control_id)) return;
    window_.write_progress(ProgressProperty::minimum, minimum);
    window_.write_progress(ProgressProperty::maximum, maximum);
}

void WindowProgressTarget::set_position(std::int32_t window_id, std::int32_t control_id, int position) {
    if (is_progress_bar(window_id, control_id)) window_.write_progress(ProgressProperty::position, position);
}

ByteArray WindowsParsePlatform::request(const Text& address, const Text& header_line) {
    return web_request({.url = address, .headers = header_line});
}

bool WindowsParsePlatform::download(const Text& url, const Text& file_name, std::int32_t window_id,
                                    std::int32_t control_id, bool show_progress) {
    return download_with_progress(url, file_name, window_id, control_id, show_progress, progress_);
}

DateTime WindowsParsePlatform::current_time() { return ::current_time(); }

int WindowsParsePlatform::current_milliseconds() { return ::current_milliseconds(); }
