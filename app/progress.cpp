#include "app/progress.h"

#include <algorithm>

int hold_progress_value(int value) { return std::clamp(value, 0, progress_value_limit); }

void ProgressValues::write(ProgressProperty property, int value) {
    int held = hold_progress_value(value);
    switch (property) {
        case ProgressProperty::minimum:
            minimum_ = held;
            break;
        case ProgressProperty::maximum:
            maximum_ = held;
            break;
        case ProgressProperty::position:
            position_ = held;
            break;
    }
}

// The range runs from the smaller to the larger bound, whichever was written as which.
int ProgressValues::range_low() const { return std::min(minimum_, maximum_); }
int ProgressValues::range_high() const { return std::max(minimum_, maximum_); }
int ProgressValues::shown_position() const { return std::clamp(position_, range_low(), range_high()); }
