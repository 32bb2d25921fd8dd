// The download's platform-free parts: the progress arithmetic, the address check
// and the cookie deletion pattern.
#include <gtest/gtest.h>

#include "download/cookie_cleanup.h"
#include "download/download.h"

namespace {

TEST(ProgressPosition, ScalesTheCountsToAThousandStepsAndCutsFractionsOff) {
    struct Case {
        std::uint32_t bytes_so_far;
        std::uint32_t total_bytes;
        int expected;
    };
    const Case cases[] = {
        {0, 0, 0},                         // total unknown
        {123456, 0, 0},                    // total unknown, bytes arriving
        {1, 3, 333},                       // cut off, not rounded
        {2, 3, 666},                       // 666.67 would round to 667
        {3, 3, 1000},                      // complete
        {6, 3, 2000},                      // more than announced: the bar holds it at its maximum
        {0xFFFFFFFFu, 0xFFFFFFFFu, 1000},  // the product needs more than 32 bits
        {4000000000u, 0xFFFFFFFFu, 931},   // 931.32
        {5000000u, 10000000u, 500},        // would overflow a 32-bit product
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.bytes_so_far << " of " << c.total_bytes);
        EXPECT_EQ(progress_position(c.bytes_so_far, c.total_bytes), c.expected);
    }
}

TEST(DownloadableAddress, AcceptsOnlyHttpAndHttps) {
    struct Case {
        const char* url;
        bool expected;
    };
    const Case cases[] = {
        {"http://localhost/v.mp4", true},
        {"https://localhost/v.mp4", true},
        {"HTTPS://LOCALHOST/V.MP4", true},
        {"file:///C:/windows/win.ini", false},
        {"file://C:\\windows\\win.ini", false},
        {"C:\\windows\\win.ini", false},
        {"ftp://localhost/v.mp4", false},
        {"http:/localhost/v.mp4", false},
        {"httpx://localhost/v.mp4", false},
        {" http://localhost/v.mp4", false},
        {"", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.url);
        EXPECT_EQ(is_downloadable_address(c.url), c.expected);
    }
}

TEST(CookieFilePattern, NeverMakesABarePatternForTheDriveRoot) {
    EXPECT_EQ(cookie_file_pattern("C:\\Cookies"), Text("C:\\Cookies\\*.txt"));
    EXPECT_EQ(cookie_file_pattern(""), Text());
}

}  // namespace
