// Progress bar values: every written value is held within 0 to 32767, and the bar
// shows its position held within the range that minimum and maximum span.
#pragma once

#include "app/controls.h"

constexpr int progress_value_limit = 32767;

int hold_progress_value(int value);

class ProgressValues {
public:
    void write(ProgressProperty property, int value);
    int range_low() const;
    int range_high() const;
    int shown_position() const;

private:
    int minimum_ = 0;
    int maximum_ = 100;
    int position_ = 0;
};
