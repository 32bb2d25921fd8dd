// The main window's identifier and its controls' identifiers. Commands and the
// download address controls by these numbers; the window layer maps them to the
// real controls.
#pragma once

#include <cstdint>

constexpr std::int32_t main_window_id = 1375797249;

enum Control : std::int32_t {
    caption_label = 369165288,
    platform_list = 369165293,
    link_box = 369165290,
    directory_box = 369165292,
    parse_button = 369165206,
    directory_button = 369165294,
    service_button = 369165345,
    progress_bar = 369165304,
    hint_label = 369165344,
};

// Icons of message_box.
enum MessageIcon : int {
    icon_none = 0,
    icon_error = 16,
    icon_information = 64,
};

// The three values of the progress bar that can be written.
enum class ProgressProperty { minimum, maximum, position };
