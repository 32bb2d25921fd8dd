// Progress values are held within 0..32767 and the shown position within the range.
#include "app/progress.h"

#include <gtest/gtest.h>

namespace {

TEST(ProgressValues, HoldsWritesWithinLimitsAndRange) {
    struct Case {
        const char* name;
        int minimum, maximum, position;
        int low, high, shown;
    } cases[] = {
        {"inside the range", 0, 1000, 250, 0, 1000, 250},
        {"past the maximum shows full", 0, 1000, 1500, 0, 1000, 1000},
        {"negative shows empty", 0, 1000, -5, 0, 1000, 0},
        {"bounds above the limit", 0, 40000, 33000, 0, 32767, 32767},
        {"negative minimum", -10, 50, 20, 0, 50, 20},
        {"bounds written the wrong way round", 800, 200, 100, 200, 800, 200},
        {"position below a raised minimum", 300, 900, 100, 300, 900, 300},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ProgressValues values;
        values.write(ProgressProperty::minimum, c.minimum);
        values.write(ProgressProperty::maximum, c.maximum);
        values.write(ProgressProperty::position, c.position);
        EXPECT_EQ(values.range_low(), c.low);
        EXPECT_EQ(values.range_high(), c.high);
        EXPECT_EQ(values.shown_position(), c.shown);
    }
}

}  // namespace
