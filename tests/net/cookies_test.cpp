// Cookie handling: the Cookie header text, Set-Cookie collection and the merge.
#include "net/cookies.h"

#include <gtest/gtest.h>

namespace {

TEST(PrepareCookieText, RemovesEveryCookiePrefixInPlaceWithoutTrimming) {
    struct Case {
        Text cookies;
        Text expected;
    };
    const Case cases[] = {
        {"", ""},
        {"a=1; b=2", "a=1; b=2"},
        {"Cookie: a=1", " a=1"},
        {"cOOKIE: a=1", " a=1"},
        {"a=1; cookie:b=2", "a=1; b=2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cookies);
        Text cookies = c.cookies;
        prepare_cookie_text(cookies);
        EXPECT_EQ(cookies, c.expected);
    }
}

TEST(CollectReceivedCookies, TakesTheNameValueOfExactSetCookieLines) {
    struct Case {
        Text headers;
        Text expected;
    };
    const Case cases[] = {
        {"HTTP/1.1 200 OK\r\nSet-Cookie: a=1; Path=/; HttpOnly\r\nContent-Type: text/html\r\nSet-Cookie: b=2\r\n\r\n",
         "a=1; b=2"},
        {"Set-Cookie:   c=3   ", "c=3"},
        {"set-cookie: a=1\r\nSet-Cookie2: b=2\r\nX-Set-Cookie: c=3", ""},
        {"Set-Cookie: ; Path=/\r\nSet-Cookie: b=2", "; b=2"},
        {"Set-Cookie: a=x:y; Domain=h", "a=x:y"},
        {"Content-Type: text/html", ""},
        {"", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.headers);
        EXPECT_EQ(collect_received_cookies(c.headers), c.expected);
    }
}

TEST(MergeCookieText, ReceivedFirstThenUnsetOldOnesWithoutDeletedOrDuplicates) {
    struct Case {
        const char* name;
        Text cookies;
        Text received;
        Text merged;
        Text received_after;
    };
    const Case cases[] = {
        {"response overrides by name", "a=1; b=2", "b=3; c=4", "b=3; c=4; a=1", "b=3; c=4"},
        {"deleted cookie removed", "a=1; b=2", "a=deleted", "b=2", "a=deleted"},
        {"first of two old names", "a=1; a=2", "", "a=1", ""},
        {"trailing semicolon", "a=1; b=2;", "", "a=1; b=2", ""},
        {"trailing semicolon and spaces", "a=1; b=2;   ", "c=3;", "c=3; a=1; b=2", "c=3; "},
        {"both empty", "", "", "", ""},
        {"same name different values stay", "", "x=1; x=2", "x=1; x=2", "x=1; x=2"},
        {"equal items become one", "", "x=1; x=1", "x=1", "x=1; x=1"},
        {"names compared trimmed", " a =1", "a=2", "a=2", "a=2"},
        {"names case-sensitive", "A=1", "a=2", "a=2; A=1", "a=2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Text cookies = c.cookies;
        Text received = c.received;
        EXPECT_EQ(merge_cookie_text(cookies, received), c.merged);
        EXPECT_EQ(cookies, c.merged);
        EXPECT_EQ(received, c.received_after);
    }
}

TEST(CookieItems, NameAndDuplicateRemoval) {
    EXPECT_EQ(cookie_name("a=1"), Text("a"));
    EXPECT_EQ(cookie_name(" a =1"), Text("a"));
    EXPECT_EQ(cookie_name("a=b=c"), Text("a"));
    EXPECT_EQ(cookie_name(" flag "), Text("flag"));
    EXPECT_EQ(cookie_name("=v"), Text());

    EXPECT_EQ(remove_duplicate_items("a; b; a; b; c", "; "), Text("a; b; c"));
    EXPECT_EQ(remove_duplicate_items("a,,a,b,", ","), Text("a,,b"));
    EXPECT_EQ(remove_duplicate_items("", "; "), Text());
}

}  // namespace
