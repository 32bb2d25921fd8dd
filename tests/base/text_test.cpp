// Text primitives: the exact contracts that header parsing, cookie merging, the
// JSON reader and the file names depend on. GBK bytes are spelt out in hex.
#include "base/text.h"

#include <gtest/gtest.h>

#include <climits>
#include <optional>
#include <vector>

namespace {

// "中" in GBK is D6 D0; "A" (0x41) also occurs as the trail byte of "丛" (B4 41).
const char* const chinese = "\xD6\xD0";
const char* const trail_is_a = "\xB4\x41";

TEST(TextValue, StopsAtTheFirstZeroByteAndEmptyEqualsMissing) {
    EXPECT_EQ(Text(std::string("ab\0cd", 5)), Text("ab"));
    EXPECT_EQ(Text(nullptr), Text(""));
    EXPECT_EQ(text_length(Text()), 0);
}

TEST(TextCompare, ComparesUnsignedBytesAndPrefixesAreSmaller) {
    struct Case {
        const char* a;
        const char* b;
        int expected;
    };
    const Case cases[] = {
        {"", "", 0},
        {"abc", "abc", 0},
        {"ab", "abc", -1},
        {"abc", "ab", 1},
        {"a", "B", 1},
        {"\x80", "a", 1},
        {"\xD6\xD0", "\xD6\xD1", -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.a << " vs " << c.b);
        EXPECT_EQ(text_compare(c.a, c.b), c.expected);
    }
}

TEST(TextCompareMbcs, FoldsAsciiOnlyWhenAsked) {
    EXPECT_EQ(text_compare_mbcs("HKEY_LOCAL_MACHINE", "hkey_local_machine", false), 0);
    EXPECT_NE(text_compare_mbcs("HKEY_LOCAL_MACHINE", "hkey_local_machine", true), 0);
    // The trail byte 0x41 of a double-byte character is not a letter to fold.
    EXPECT_NE(text_compare_mbcs(trail_is_a, "\xB4\x61", false), 0);
    EXPECT_LT(text_compare_mbcs("ab", "abc", false), 0);
    EXPECT_GT(text_compare_mbcs("b", "A", false), 0);
}

TEST(TextBasics, ConcatAndStartsWith) {
    EXPECT_EQ(text_concat("a", "", "bc", Text(), "d"), Text("abcd"));
    EXPECT_TRUE(text_starts_with("abc", ""));
    EXPECT_TRUE(text_starts_with("abc", "ab"));
    EXPECT_FALSE(text_starts_with("ab", "abc"));
    EXPECT_FALSE(text_starts_with("abc", "AB"));
}

TEST(TextExtraction, LeftRightMidTable) {
    struct Case {
        const char* name;
        Text result;
        Text expected;
    };
    const Case cases[] = {
        {"left 0", text_left("abc", 0), ""},
        {"left -2 (failed search minus 1)", text_left("abc", -2), ""},
        {"left beyond length", text_left("abc", 9), "abc"},
        {"left 2", text_left("abc", 2), "ab"},
        {"right 2", text_right("abc", 2), "bc"},
        {"right beyond length", text_right("abc", 5), "abc"},
        {"right -1", text_right("abc", -1), ""},
        {"mid start 0 is not moved to 1", text_mid("abc", 0, 2), ""},
        {"mid start past end", text_mid("abc", 4, 1), ""},
        {"mid count 0", text_mid("abc", 1, 0), ""},
        {"mid clipped at end", text_mid("abcdef", 5, 10), "ef"},
        {"mid cuts a character", text_mid("\xD6\xD0x", 2, 2), "\xD0x"},
        {"mid huge count", text_mid("abc", 2, INT_MAX), "bc"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.result, c.expected);
    }
}

TEST(TextExtraction, CharCodeAndCharFromCode) {
    EXPECT_EQ(char_code(""), 0);
    EXPECT_EQ(char_code("A"), 65);
    EXPECT_EQ(char_code("AB", 2), 66);
    EXPECT_EQ(char_code("AB", 0), 0);
    EXPECT_EQ(char_code("AB", 3), 0);
    EXPECT_EQ(char_code(chinese), -42);  // 0xD6 as a signed byte
    EXPECT_LT(char_code(chinese, 2), 0);
    EXPECT_EQ(char_from_code(32), Text(" "));
    EXPECT_EQ(char_from_code(13 + 256), Text("\r"));
    EXPECT_EQ(char_from_code(0), Text());
}

struct FindCase {
    const char* name;
    Text t;
    Text pattern;
    std::optional<int> start;
    bool ignore_case;
    int first;  // text_find, start defaulting to 1
    int last;   // text_find_last, start left out when not given
};

TEST(TextSearch, FindAndFindLastTable) {
    const FindCase cases[] = {
        {"plain", "abcabc", "bc", std::nullopt, false, 2, 5},
        {"not found", "abc", "x", std::nullopt, false, -1, -1},
        {"start beyond end", "abc", "a", 4, false, -1, 1},
        {"start 0 searches all", "abc", "a", 0, false, 1, -1},
        {"negative start", "abc", "c", -5, false, 3, -1},
        {"empty pattern with start 3", "abc", "", 3, false, 1, 1},
        {"empty pattern, empty text", "", "", std::nullopt, false, -1, -1},
        {"find_last start 1", "abc", "a", 1, false, 1, -1},
        {"find_last must end before start", "abcab", "ab", 5, false, -1, 1},
        {"find_last start past end", "abab", "ab", 99, false, -1, 3},
        {"trail byte is never a match", trail_is_a, "A", std::nullopt, false, -1, -1},
        {"match after a double-byte character",
         "\xB4\x41"
         "A",
         "A", std::nullopt, false, 3, 3},
        {"ignore case finds capitals", "X-ACCEPT: x", "Accept:", std::nullopt, true, 3, 3},
        {"exact case misses capitals", "X-ACCEPT: x", "Accept:", std::nullopt, false, -1, -1},
        // Full-width "Ａ" (A3 C1) and "ａ" (A3 E1) are not folded.
        {"full-width letters are not folded", "\xA3\xC1", "\xA3\xE1", std::nullopt, true, -1, -1},
        {"pattern longer than text", "ab", "abc", std::nullopt, false, -1, -1},
        {"lead byte at the very end", "a\xD6", "\xD6", std::nullopt, false, 2, 2},
    };
    for (const FindCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(text_find(c.t, c.pattern, c.start.value_or(1), c.ignore_case), c.first);
        EXPECT_EQ(text_find_last(c.t, c.pattern, c.start, c.ignore_case), c.last);
    }
}

TEST(TextSearch, StartInsideACharacterWalksFromThere) {
    // The region begins at the trail byte 0x41, which is then read as "A".
    EXPECT_EQ(text_find(trail_is_a, "A", 2), 2);
}

struct ReplaceCase {
    const char* name;
    Text t;
    Text find;
    Text with;
    int start;
    std::optional<int> count;
    bool case_sensitive;
    Text expected;
};

TEST(TextTransform, ReplaceTable) {
    const ReplaceCase cases[] = {
        {"all", "a-b-c", "-", "+", 1, std::nullopt, true, "a+b+c"},
        {"doubling backslashes terminates", "a\\b\\", "\\", "\\\\", 1, std::nullopt, true, "a\\\\b\\\\"},
        {"count limits", "aaaa", "a", "b", 1, 2, true, "bbaa"},
        {"count 0 leaves unchanged", "aaaa", "a", "b", 1, 0, true, "aaaa"},
        {"start skips the prefix", "aaaa", "a", "b", 3, std::nullopt, true, "aabb"},
        {"start beyond end", "abc", "a", "b", 4, std::nullopt, true, "abc"},
        {"empty find", "abc", "", "x", 1, std::nullopt, true, "abc"},
        {"empty text", "", "a", "x", 1, std::nullopt, true, ""},
        {"case folded", "Cookie cookie", "COOKIE", "c", 1, std::nullopt, false, "c c"},
        {"case kept", "Cookie cookie", "COOKIE", "c", 1, std::nullopt, true, "Cookie cookie"},
        {"trail byte untouched",
         "\xB4\x41"
         "A",
         "A", "b", 1, std::nullopt, true,
         "\xB4\x41"
         "b"},
        {"removal", "a, b", ", ", Text(), 1, std::nullopt, true, "ab"},
        {"lead byte at the end kept", "a\xD6", "a", "b", 1, std::nullopt, true, "b\xD6"},
    };
    for (const ReplaceCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(text_replace(c.t, c.find, c.with, c.start, c.count, c.case_sensitive), c.expected);
    }
}

TEST(TextTransform, SplitTable) {
    struct Case {
        const char* name;
        Text t;
        Text separator;
        std::optional<int> max_count;
        std::vector<Text> expected;
    };
    const Case cases[] = {
        {"trailing separator gives no empty member", "a\r\nb\r\n", "\r\n", std::nullopt, {"a", "b"}},
        {"doubled separator gives an empty member", "a\r\n\r\nb", "\r\n", std::nullopt, {"a", "", "b"}},
        {"leading separator", "; a", "; ", std::nullopt, {"", "a"}},
        {"just the separator", "-", "-", std::nullopt, {""}},
        {"no separator found", "abc", "-", std::nullopt, {"abc"}},
        {"empty separator", "a-b", "", std::nullopt, {"a-b"}},
        {"empty text", "", "-", std::nullopt, {}},
        {"max count stops and discards", "a-b-c", "-", 2, std::vector<Text>{"a", "b"}},
        {"max count 0", "a-b", "-", 0, {}},
        {"negative max count is 0", "a-b", "-", -1, {}},
        {"separator inside a character is skipped",
         "\xB4\x41"
         "xAy",
         "A",
         std::nullopt,
         {"\xB4\x41x", "y"}},
        {"default separator", "a,b", ",", std::nullopt, {"a", "b"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(text_split(c.t, c.separator, c.max_count), c.expected);
    }
    EXPECT_EQ(text_split("x,y"), (TextArray{"x", "y"}));
    EXPECT_EQ(array_count(text_split("x,y")), 2);
}

TEST(TextTransform, TrimTable) {
    struct Case {
        const char* name;
        Text t;
        Text expected;
    };
    const Case cases[] = {
        {"ascii spaces", "  ab c  ", "ab c"},
        {"full-width spaces",
         "\xA1\xA1"
         "ab\xA1\xA1",
         "ab"},
        {"only spaces", " \xA1\xA1 \xA1\xA1 ", ""},
        {"tab survives", "\tab ", "\tab"},
        {"line ends survive", "ab\r\n", "ab\r\n"},
        // B0 A1 is one character whose trail byte is A1: with the next A1 it is not a space.
        {"A1 as a trail byte is no space", "x\xB0\xA1\xA1", "x\xB0\xA1\xA1"},
        {"lone A1 at the end", "x\xA1", "x\xA1"},
        {"empty", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(text_trim(c.t), c.expected);
    }
}

TEST(TextTransform, UpperLowerLeaveTrailBytes) {
    EXPECT_EQ(text_upper("abZ\xB4\x61q"), Text("ABZ\xB4\x61Q"));
    EXPECT_EQ(text_lower("ABz\xB4\x41Q"), Text("abz\xB4\x41q"));
}

TEST(TextTransform, Repeat) {
    EXPECT_EQ(text_repeat(3, "0"), Text("000"));
    EXPECT_EQ(text_repeat(0, "0"), Text());
    EXPECT_EQ(text_repeat(-3, "0"), Text());
}

TEST(TextConversion, ToTextForms) {
    struct Case {
        const char* name;
        Text result;
        Text expected;
    };
    const Case cases[] = {
        {"16-bit integer", to_text(static_cast<std::int16_t>(7)), "7"},
        {"negative integer", to_text(-42), "-42"},
        {"integral real below 1e13", to_text(1733900000123.0), "1733900000123"},
        {"real with fraction", to_text(0.5), "0.5"},
        {"real at 1e13 switches to exponent", to_text(1e13), "1e+13"},
        {"bytes up to the first zero", to_text(ByteArray{'a', 'b', 0, 'c'}), "ab"},
        {"bytes starting with zero", to_text(ByteArray{0, 'a'}), ""},
        {"no bytes", to_text(ByteArray{}), ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.result, c.expected);
    }
    EXPECT_EQ(to_bytes(Text("ab")), (ByteArray{'a', 'b'}));
    EXPECT_TRUE(to_bytes(Text()).empty());
    EXPECT_EQ(to_bytes(std::uint8_t{0}), ByteArray{0});
    EXPECT_EQ(to_byte(0x1234), 0x34);
    EXPECT_EQ(to_byte(-1), 0xFF);
    EXPECT_EQ(real_to_integer(3.9), 3);
    EXPECT_EQ(real_to_integer(-3.9), -3);
}

ByteArray bytes_of(const char* s) { return ByteArray(s, s + std::char_traits<char>::length(s)); }

TEST(TextConversion, Utf8ToTextTable) {
    struct Case {
        const char* name;
        ByteArray utf8;
        Text expected;
    };
    const Case cases[] = {
        {"ascii", bytes_of("yes"), "yes"},
        {"chinese", bytes_of("\xE4\xB8\xAD"), chinese},
        {"lone C3 at the end keeps what came before", bytes_of("ab\xC3"), "ab"},
        {"stray continuation byte stops for good",
         bytes_of("ab\x80"
                  "cd"),
         "ab"},
        {"FE stops",
         bytes_of("a\xFE"
                  "b"),
         "a"},
        {"bad continuation stops",
         bytes_of("a\xE4\x41\xAD"
                  "b"),
         "a"},
        {"character GBK lacks becomes ?", bytes_of("\xC3\xB1"), "?"},  // n with tilde
        {"emoji is one character, one ?",
         bytes_of("a\xF0\x9F\x98\x80"
                  "b"),
         "a?b"},
        {"overlong form accepted", bytes_of("\xC1\x81"), "A"},  // overlong "A"
        {"5-byte form decoded, not stopped", bytes_of("\xF8\x88\x80\x80\x80x"), "?x"},
        {"ends at the first zero character", ByteArray{'a', 0, 'b'}, "a"},
        {"overlong zero also ends",
         bytes_of("a\xC0\x80"
                  "b"),
         "a"},
        {"euro sign", bytes_of("\xE2\x82\xAC"), "\x80"},
        {"empty", ByteArray{}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(utf8_to_text(c.utf8), c.expected);
    }
}

TEST(ByteArrays, MidBlankConcatEqual) {
    const ByteArray b{1, 2, 3, 4};
    EXPECT_EQ(bytes_mid(b, 0, 2), (ByteArray{1, 2}));  // a start below 1 reads from the first byte
    EXPECT_EQ(bytes_mid(b, 3, 9), (ByteArray{3, 4}));
    EXPECT_EQ(bytes_mid(b, 9, 1), ByteArray{});
    EXPECT_EQ(bytes_mid(b, 2, -1), ByteArray{});
    EXPECT_EQ(bytes_mid(b, INT_MIN, INT_MAX), b);
    EXPECT_EQ(bytes_blank(3), (ByteArray{0, 0, 0}));
    EXPECT_TRUE(bytes_blank(-1).empty());
    EXPECT_EQ(bytes_concat({{1}, {}, {2, 0}}), (ByteArray{1, 2, 0}));
    EXPECT_TRUE(bytes_equal({}, {}));
    EXPECT_FALSE(bytes_equal({1}, {1, 0}));
    EXPECT_EQ(array_count(b), 4);
}

TEST(Bits, AndXorShiftsModulo) {
    EXPECT_EQ(bit_and({0x0F, 0x3C, 0xFF}), 0x0C);
    EXPECT_EQ(bit_xor({0x0F, 0x3C}), 0x33);
    EXPECT_EQ(shift_left(1, 33), 2);  // n is taken mod 32
    EXPECT_EQ(shift_left(0x40000000, 1), INT_MIN);
    EXPECT_EQ(shift_right(-8, 1), -4);  // arithmetic: the sign is shifted in
    EXPECT_EQ(shift_right(-1, 31), -1);
    EXPECT_DOUBLE_EQ(real_modulo(-7, 3), -1);
    EXPECT_DOUBLE_EQ(real_modulo(7.5, 3), 1.5);
}

}  // namespace
