// Hostile answers: deep nesting, very long strings, lone surrogates, repeated
// names and numbers a double cannot hold. None may crash, exhaust the stack or
// be misread; each gives the value JavaScript would, or a failed parse.
#include <gtest/gtest.h>

#include <string>

#include "json/json_object.h"
#include "json/json_value.h"

namespace {

std::string repeat(const std::string& piece, std::size_t n) {
    std::string out;
    out.reserve(piece.size() * n);
    for (std::size_t i = 0; i < n; ++i) out += piece;
    return out;
}

std::string nested_arrays(int depth) { return repeat("[", depth) + "1" + repeat("]", depth); }

TEST(JsonHostile, NestingBeyondTheLimitFailsLikeASyntaxError) {
    const std::size_t million = 1000000;
    struct Case {
        const char* name;
        std::string text;
    };
    const Case cases[] = {
        {"a million open brackets", repeat("[", million)},
        {"a million balanced brackets", repeat("[", million) + repeat("]", million)},
        {"a million open objects", repeat("{\"a\":", million)},
        {"one past the limit", nested_arrays(json_max_depth + 1)},
        {"inside a string that is read again",
         std::string("\"").append(nested_arrays(json_max_depth + 1)).append("\"")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        JsonObject json;
        EXPECT_FALSE(json.parse(c.text));
        EXPECT_EQ(json.to_json_text(), Text("null"));
    }
}

TEST(JsonHostile, NestingAtTheLimitWorksThroughout) {
    const std::string text = nested_arrays(json_max_depth);
    JsonObject json;
    ASSERT_TRUE(json.parse(text));
    EXPECT_EQ(json.to_json_text(), Text(text));
    EXPECT_EQ(json.get_text(""), Text("1"));
    EXPECT_EQ(json.get_object("[0]")->to_json_text(), Text(nested_arrays(json_max_depth - 1)));
    // Assignments may not build a deeper tree, in place or by merging.
    const std::string deepest_path = repeat("[0]", json_max_depth - 1);
    EXPECT_TRUE(json.set_value(deepest_path.c_str(), "[2]", true));
    EXPECT_FALSE(json.set_value(deepest_path.c_str(), "[[2]]", true));
    JsonObject holder;
    ASSERT_TRUE(holder.parse(R"({"o":{}})"));
    EXPECT_FALSE(holder.set_value("o", nested_arrays(json_max_depth).c_str(), true));
    EXPECT_EQ(holder.to_json_text(), Text(R"({"o":{}})"));
}

TEST(JsonHostile, FiftyMegabyteStrings) {
    const std::size_t size = 50u << 20;
    struct Case {
        const char* name;
        std::string text;
        std::size_t length;  // of the string form
        std::string tail;    // its last two bytes
    };
    const Case cases[] = {
        {"plain", "{\"s\":\"" + std::string(size, 'a') + "\\u4e2d\"}", size + 2, "\xD6\xD0"},
        {"escapes", "{\"s\":\"" + repeat("\\n", size / 2) + "\"}", size / 2, "\n\n"},
        {"GBK", "{\"s\":\"" + repeat("\xD6\xD0", size / 2) + "\"}", size, "\xD6\xD0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        JsonObject json;
        ASSERT_TRUE(json.parse(c.text));
        Text s = json.get_text("s");
        ASSERT_EQ(static_cast<std::size_t>(s.length()), c.length);
        EXPECT_EQ(s.bytes().substr(c.length - 2), c.tail);
    }
}

TEST(JsonHostile, LoneSurrogatesReadAsQuestionMarks) {
    struct Case {
        const char* document;
        Text text;
        Text json;
    };
    const Case cases[] = {
        {R"("\"\\ud800\"")", "?", "\"?\""},
        {R"({"s":"a\udc00b"})", "[object Object]", R"({"s":"a?b"})"},
        {R"(["a\udc00b"])", "a?b", "[\"a?b\"]"},
        {R"(["\ud83d\ude00"])", "?", "[\"?\"]"},
        {R"(["\ude00\ud83d"])", "??", "[\"??\"]"},
        {R"(["\ud800\ud800x"])", "??x", "[\"??x\"]"},
        {R"([{"\ud800":1}])", "[object Object]", "[{\"?\":1}]"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.document);
        JsonObject json;
        ASSERT_TRUE(json.parse(c.document));
        EXPECT_EQ(json.get_text(""), c.text);
        EXPECT_EQ(json.to_json_text(), c.json);
    }
}

TEST(JsonHostile, RepeatedNamesInLargeObjects) {
    // Past the size where objects index their names, and repeated throughout.
    std::string text = "{";
    for (int round = 0; round < 2; ++round)
        for (int i = 0; i < 200000; ++i) text += "\"k" + std::to_string(i) + "\":" + std::to_string(round * i) + ",";
    text += "\"k0\":\"last\"}";
    JsonObject json;
    ASSERT_TRUE(json.parse(text));
    EXPECT_EQ(json.get_text("k0"), Text("last"));
    EXPECT_EQ(json.get_text("k199999"), Text("199999"));
    Text printed = json.to_json_text();
    EXPECT_EQ(printed.bytes().substr(0, 22), "{\"k0\":\"last\",\"k1\":1,\"k");
}

TEST(JsonHostile, NumbersADoubleCannotHold) {
    const std::string many_digits(1000000, '9');
    struct Case {
        std::string number;
        Text text;
        Text json;
    };
    const Case cases[] = {
        {"1e400", "Infinity", "null"},
        {"-1e400", "-Infinity", "null"},
        {"1e-400", "0", "0"},
        {"-1e-400", "0", "0"},
        {"0e99999", "0", "0"},
        {std::string("1").append(400, '0'), "Infinity", "null"},
        {std::string("0.").append(400, '0').append("1"), "0", "0"},
        {std::string("0.").append(400, '0').append("1e500"), "1e+99", "1e+99"},
        {"1e99999999999999999999", "Infinity", "null"},
        {"1e-99999999999999999999", "0", "0"},
        {many_digits, "Infinity", "null"},
        {"123456789012345678901234567890", "1.2345678901234568e+29", "1.2345678901234568e+29"},
        {"9007199254740993", "9007199254740992", "9007199254740992"},
        {"5e-324", "5e-324", "5e-324"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.number.substr(0, 40));
        JsonObject json;
        ASSERT_TRUE(json.parse(std::string("[").append(c.number).append("]")));
        EXPECT_EQ(json.get_text("[0]"), c.text);
        EXPECT_EQ(json.get_text("[0]", true), c.json);
    }
}

}  // namespace
