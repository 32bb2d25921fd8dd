// ECMAScript Number-to-String, which every number a query reads goes through.
#include "json/json_format.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

TEST(NumberToString, EcmaScriptForms) {
    const double infinity = std::numeric_limits<double>::infinity();
    struct Case {
        double number;
        const char* expected;
    };
    const Case cases[] = {
        {0, "0"},
        {-0.0, "0"},
        {200, "200"},
        {-1, "-1"},
        {0.5, "0.5"},
        {0.1, "0.1"},
        {0.1 + 0.2, "0.30000000000000004"},
        {123.456, "123.456"},
        {1e20, "100000000000000000000"},
        {123456789012345680000.0, "123456789012345680000"},
        {1e21, "1e+21"},
        {1.5e21, "1.5e+21"},
        {1e-6, "0.000001"},
        {1.234e-6, "0.000001234"},
        {1e-7, "1e-7"},
        {-1.5e-7, "-1.5e-7"},
        {1.7976931348623157e308, "1.7976931348623157e+308"},
        {5e-324, "5e-324"},
        {infinity, "Infinity"},
        {-infinity, "-Infinity"},
        {std::numeric_limits<double>::quiet_NaN(), "NaN"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        EXPECT_EQ(number_to_string(c.number), c.expected);
    }
}

}  // namespace
