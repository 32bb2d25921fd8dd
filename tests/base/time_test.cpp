#include "base/time.h"

#include <gtest/gtest.h>

namespace {

const DateTime fallback{100, 1, 1, 0, 0, 0};

TEST(Time, ToTimeTable) {
    struct Case {
        const char* text;
        DateTime expected;
    };
    const Case cases[] = {
        {"1970-01-01 08:00:00", {1970, 1, 1, 8, 0, 0}},
        {"2024-02-29 23:59:59", {2024, 2, 29, 23, 59, 59}},
        {"2026-12-11", {2026, 12, 11, 0, 0, 0}},
        {"2023-02-29 00:00:00", fallback},
        {"1970-13-01 00:00:00", fallback},
        {"1970-01-01 24:00:00", fallback},
        {"1970-01-01  08:00:00", fallback},
        {"1970-01-01 08:00:00x", fallback},
        {"99-01-01 00:00:00", fallback},
        {"-1970-01-01", fallback},
        {"", fallback},
        {"yesterday", fallback},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(to_time(c.text), c.expected);
    }
}

TEST(Time, DiffCountsWholeDays) {
    DateTime origin = to_time("1970-01-01 08:00:00");
    EXPECT_EQ(time_diff_seconds({1970, 1, 2, 8, 0, 1}, origin), 86401);
    EXPECT_EQ(time_diff_seconds(origin, {1970, 1, 2, 8, 0, 1}), -86401);
    EXPECT_EQ(time_diff_seconds(origin, origin), 0);
    EXPECT_EQ(time_diff_seconds({2000, 3, 1, 0, 0, 0}, {2000, 2, 28, 0, 0, 0}), 2 * 86400);  // leap day
    EXPECT_EQ(time_diff_seconds_wide({2100, 1, 1, 8, 0, 0}, origin), 4102444800LL);
}

TEST(Time, CurrentTimeIsAValidDate) {
    DateTime now = current_time();
    EXPECT_GE(now.year, 2020);
    EXPECT_EQ(to_time(Text(std::to_string(now.year) + "-" + std::to_string(now.month) + "-" + std::to_string(now.day))),
              (DateTime{now.year, now.month, now.day, 0, 0, 0}));
}

}  // namespace
