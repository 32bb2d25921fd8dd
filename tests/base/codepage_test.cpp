// One table of GBK <-> UTF-16 cases. It runs natively (iconv) and under wine
// (the platform's code page 936), so both builds must give the same bytes.
#include "base/codepage.h"

#include <gtest/gtest.h>

namespace {

struct RoundTrip {
    const char* name;
    std::u16string utf16;
    Text gbk;
};

const RoundTrip round_trips[] = {
    {"ascii", u"Accept: */*", "Accept: */*"},
    {"chinese", u"\u4E2D\u6587", "\xD6\xD0\xCE\xC4"},
    {"full-width space", u"\u3000", "\xA1\xA1"},
    {"euro sign is the byte 0x80", u"\u20AC", "\x80"},
    {"em dash", u"\u2014", "\xA1\xAA"},
    {"middle dot", u"\u00B7", "\xA1\xA4"},
    {"GBK extension character", u"\u4E02", "\x81\x40"},
    {"platform name", u"\u6296\u97F3-", "\xB6\xB6\xD2\xF4-"},
    {"empty", u"", ""},
};

TEST(Codepage, RoundTripTable) {
    for (const RoundTrip& c : round_trips) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(utf16_to_gbk(c.utf16), c.gbk);
        EXPECT_EQ(gbk_to_utf16(c.gbk), c.utf16);
    }
}

TEST(Codepage, CharactersGbkLacksBecomeOneQuestionMarkEach) {
    struct Case {
        const char* name;
        std::u16string utf16;
        Text gbk;
    };
    const Case cases[] = {
        {"letters without a best fit", u"ma\u00F1ana stra\u00DFe", "ma?ana stra?e"},
        {"pinyin letter GBK has", u"\u00E9", "\xA8\xA6"},
        {"surrogate pair is one character", u"a\U0001F600b", "a?b"},
        {"lone high surrogate",
         u"a\xD800"
         u"b",
         "a?b"},
        {"lone low surrogate", u"\xDC00", "?"},
        {"private use", u"\uE000", "?"},
        {"korean", u"\uD55C", "?"},
        {"stops at a zero character", std::u16string(u"ab\0cd", 5), "ab"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(utf16_to_gbk(c.utf16), c.gbk);
    }
}

TEST(Codepage, InvalidGbkDecodesToQuestionMarks) {
    struct Case {
        const char* name;
        Text gbk;
        std::u16string utf16;
    };
    const Case cases[] = {
        {"lead byte at the end", "a\xD6", u"a?"},
        {"user-defined area", "\xAA\xA1", u"?"},
        {"invalid trail byte",
         "\x81\x7F"
         "x",
         u"?x"},
        {"0xFF lead",
         "\xFF\xFF"
         "a",
         u"?a"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(gbk_to_utf16(c.gbk), c.utf16);
    }
}

TEST(Codepage, Utf16ToUtf8) {
    EXPECT_EQ(utf16_to_utf8(u"a\u4E2D\U0001F600"), "a\xE4\xB8\xAD\xF0\x9F\x98\x80");
    EXPECT_EQ(utf16_to_utf8(u"\xD800"), "\xEF\xBF\xBD");
}

}  // namespace
