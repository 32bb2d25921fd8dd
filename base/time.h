// Local wall-clock time. No time zones and no daylight saving: every day has 86400 seconds.
#pragma once

#include <cstdint>

#include "base/types.h"

// The local date and time now, to the whole second.
DateTime current_time();

// The milliseconds field of the local clock now, 0 to 999.
int current_milliseconds();

// Parses "year-month-day hour:minute:second" (or a date alone). Anything that is not
// a valid date between the years 100 and 9999 gives 100-01-01 00:00:00.
DateTime to_time(const Text& t);

// Whole seconds from t2 to t1, positive when t1 is later, narrowed to 32 bits.
std::int32_t time_diff_seconds(const DateTime& t1, const DateTime& t2);

// Seconds from t2 to t1 without narrowing.
std::int64_t time_diff_seconds_wide(const DateTime& t1, const DateTime& t2);
