// JsonObject against tables of documents and queries: the service's answer,
// the string forms and JSON that JavaScript gives, paths, types, assignment,
// merging, sub-documents and shared copies. GBK bytes are spelt out in hex.
#include "json/json_object.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

std::unique_ptr<JsonObject> parsed(const Text& document, bool direct = false) {
    auto json = std::make_unique<JsonObject>();
    json->parse(document, direct);
    return json;
}

TEST(JsonObject, ReadsTheServiceAnswer) {
    auto json = parsed(
        R"({"code":200,"msg":"yes","url":"https:\/\/v.example.com\/play\/?video_id=v0d00&ratio=720p\u0026line=0"})");
    EXPECT_EQ(json->get_text("msg"), Text("yes"));
    EXPECT_EQ(json->get_text("url"), Text("https://v.example.com/play/?video_id=v0d00&ratio=720p&line=0"));
    EXPECT_EQ(json->get_text("code"), Text("200"));
}

TEST(JsonObject, ParseResultAndTheDocumentItLeaves) {
    struct Case {
        const char* name;
        Text text;
        bool direct;
        bool result;
        Text document_json;  // to_json_text afterwards; empty for an undefined document
    };
    const Case cases[] = {
        {"object", R"({"msg":"no"})", false, true, R"({"msg":"no"})"},
        {"null", "null", false, false, "null"},
        {"syntax error", R"({"msg":"yes")", false, false, "null"},
        {"trailing text", R"({"msg":"yes"} x)", false, false, "null"},
        {"trailing comma", "[1,2,]", false, false, "null"},
        {"single quotes", "{'a':1}", false, false, "null"},
        {"leading zero", "01", false, false, "null"},
        {"false is a document", "false", false, true, "false"},
        {"zero is a document", "0", false, true, "0"},
        {"string holding an array becomes the array", R"("[1,\"a\"]")", false, true, R"([1,"a"])"},
        {"string holding a number", R"(" -2.5 ")", false, true, "-2.5"},
        {"string holding a string", R"("\"hi\"")", false, true, R"("hi")"},
        {"string holding true", R"("true")", false, true, "true"},
        {"string holding an object fails", R"("{\"a\":1}")", false, false, "null"},
        {"string holding no document fails", R"("hello")", false, false, "null"},
        {"string holding blanks is undefined", R"("  ")", false, false, ""},
        {"empty text is undefined", "", false, false, ""},
        {"direct keeps a string a string", R"("[1]")", true, true, R"("[1]")"},
        {"direct keeps an object", R"({"a":[]})", true, true, R"({"a":[]})"},
        {"direct empty text is a syntax error", "", true, false, "null"},
        {"JavaScript white space around tokens", "\xA1\xA1{ \"a\" :\t1 }\r\n", false, true, R"({"a":1})"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        JsonObject json;
        EXPECT_EQ(json.parse(c.text, c.direct), c.result);
        EXPECT_EQ(json.to_json_text(), c.document_json);
    }
}

TEST(JsonObject, FailedParseLeavesNothingOfTheEarlierDocument) {
    JsonObject json;
    ASSERT_TRUE(json.parse(R"({"msg":"yes","url":"u"})"));
    EXPECT_FALSE(json.parse("{\"msg\":"));
    EXPECT_EQ(json.get_text("msg"), Text());
    EXPECT_EQ(json.get_text("url"), Text());
    EXPECT_EQ(json.type_of("msg"), JsonObject::type_unknown);  // a member of null
}

// One document, many queries: string forms, paths and JSON forms.
TEST(JsonObject, GetTextTable) {
    auto json = parsed(
        "{\"s\":\"plain\",\"esc\":\"q\\\"b\\\\s\\/\\b\\f\\n\\r\\t\",\"cn\":\"\\u4e2d\xCE\xC4\\u00e9\","
        "\"far\":\"a\\u00f1\\ud83d\\ude00b\",\"mark\":\"a\\u2400b\",\"n\":200,\"half\":0.5,\"big\":1e21,"
        "\"tiny\":1e-7,\"negzero\":-0,\"t\":true,\"f\":false,\"z\":null,\"o\":{\"k\":[10,{\"c\":\"deep\"}]},"
        "\"arr\":[1,\"a\",null,[2,[3,null]],{\"k\":1},true],\"empty\":[],\"data\":{\"x\":\"in data\"},"
        "\"da\":{\"y\":\"in da\"},\"huge\":1e400,\"\x81\x5B\x81\x5D\":{\"\xD6\xD0\":\"gbk names\"}}");
    struct Case {
        const char* path;
        bool as_json;
        Text expected;
    };
    const Case cases[] = {
        {"s", false, "plain"},
        {"esc", false, "q\"b\\s/\b\f\n\r\t"},
        {"cn", false, "\xD6\xD0\xCE\xC4\xA8\xA6"},  // 中文é
        {"far", false, "a??b"},                     // GBK lacks ñ and the emoji
        {"mark", false, "a\\b"},
        {"n", false, "200"},
        {"half", false, "0.5"},
        {"big", false, "1e+21"},
        {"tiny", false, "1e-7"},
        {"negzero", false, "0"},
        {"huge", false, "Infinity"},
        {"t", false, "true"},
        {"f", false, "false"},
        {"z", false, ""},
        {"missing", false, ""},
        {"missing.below", false, ""},
        {"z.below", false, ""},
        {"s.below", false, ""},
        {"o", false, "[object Object]"},
        {"o.k[1].c", false, "deep"},
        {"o.k[0]", false, "10"},
        {"o.k[2]", false, ""},
        {"arr", false, "1,a,,2,3,,[object Object],true"},
        {"arr[1]", false, "a"},
        {"arr[01]", false, "a"},
        {"empty", false, ""},
        {"data", false, "[object Object]"},
        {"data.x", false, "in data"},
        {"da.s", false, "plain"},
        {"da.y", false, "in da"},  // not at the root, so it is the member da
        {"", false, "[object Object]"},
        {"\x81\x5B\x81\x5D.\xD6\xD0", false, "gbk names"},  // 乕乚.中: trail bytes 0x5B and 0x5D are not brackets
        {"o..k", false, ""},
        {"o.k[x]", false, ""},
        {"o.k[1", false, ""},
        {"s", true, "\"plain\""},
        {"esc", true, R"("q\"b\\s/\b\f\n\r\t")"},
        {"cn", true, "\"\xD6\xD0\xCE\xC4\xA8\xA6\""},
        {"mark", true, R"("a\\b")"},
        {"n", true, "200"},
        {"huge", true, "null"},
        {"z", true, "null"},
        {"missing", true, ""},
        {"o", true, R"({"k":[10,{"c":"deep"}]})"},
        {"arr", true, R"([1,"a",null,[2,[3,null]],{"k":1},true])"},
        {"empty", true, "[]"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.path << (c.as_json ? " as JSON" : ""));
        EXPECT_EQ(json->get_text(c.path, c.as_json), c.expected);
    }
}

TEST(JsonObject, JsonTextUsesThePolyfillEscapes) {
    auto json = parsed(R"(["\u0001\u001f\u007f\u009f\u00ad\u0600\u070f\u17b4\u200c\u2028\u202f\u2060\ufeff\ufff0",)"
                       R"("\u0020\u007e\u00a0\u0605\u2031\u3000"])");
    EXPECT_EQ(json->get_text("[0]", true),
              Text(R"("\u0001\u001f\u007f\u009f\u00ad\u0600\u070f\u17b4\u200c\u2028\u202f\u2060\ufeff\ufff0")"));
    // Characters outside the set are written as they are, then leave as GBK.
    EXPECT_EQ(json->get_text("[1]", true), Text("\" ~???\xA1\xA1\""));
}

TEST(JsonObject, RepeatedNamesKeepTheFirstPositionAndTheLastValue) {
    auto json = parsed(R"({"a":1,"b":2,"a":{"c":3},"b":null})");
    EXPECT_EQ(json->to_json_text(), Text(R"({"a":{"c":3},"b":null})"));
}

TEST(JsonObject, ResolvePathTable) {
    auto json = parsed(R"({"msg":"yes","data":{"x":1},"da":{"y":2},"n":null,"list":[5]})");
    struct Case {
        const char* path;
        const char* resolved;
        bool result;
    };
    const Case cases[] = {
        {"msg", "da.msg", true},
        {"data", "da.data", true},
        {"data.x", "da.data.x", true},
        {"da.msg", "da.msg", true},
        {"da", "da", true},
        {"", "da", true},
        {"da.y", "da.da.y", true},
        {"[0]", "da[0]", false},
        {"list[0]", "da.list[0]", true},
        {"n", "da.n", false},
        {"missing.x", "da.missing.x", false},
        {"dax", "da.dax", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        Text path = c.path;
        EXPECT_EQ(json->resolve_path(path), c.result);
        EXPECT_EQ(path, Text(c.resolved));
    }
}

TEST(JsonObject, TypeCountAndMemberTable) {
    auto json = parsed(R"({"s":"x","n":1,"b":true,"o":{"p":[[1,2,3]]},"a":[1,2,3],"z":null,"da":[7]})");
    struct Case {
        const char* path;
        int type;
        int count;
        bool member;
    };
    const Case cases[] = {
        {"s", 6, 0, true},
        {"n", 2, 0, true},
        {"b", 1, 0, true},
        {"o", 4, 0, true},
        {"a", 5, 3, true},
        {"a[1]", 2, 0, true},
        {"a[3]", 0, 0, false},
        {"o.p[0]", 5, 3, true},
        {"z", 0, 0, false},
        {"missing", 0, 0, false},
        {"missing.x", -1, 0, false},
        {"z.x", -1, 0, false},
        {"s.x", 0, 0, false},
        {"a..b", -1, 0, false},
        {"da", 4, 1, true},  // the type reads the root; count and
                             // member read the member da
        {"", 4, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(json->type_of(c.path), c.type);
        EXPECT_EQ(json->member_count(c.path), c.count);
        EXPECT_EQ(json->has_member(c.path), c.member);
    }
    EXPECT_EQ(parsed("[[1,2],3]")->member_count("[0]"), 2);
    EXPECT_EQ(parsed("[[1,2],3]")->member_count(""), 2);
}

TEST(JsonObject, SetValueKeepsBackslashesQuotesAndLineBreaks) {
    const Text value = "C:\\dir\\new 'a' \"b\"\r\n\xD6\xD0";
    JsonObject json;
    ASSERT_TRUE(json.set_value("p", value));
    EXPECT_EQ(json.get_text("p"), value);
    // The JSON text escapes the backslash, so it reads back as the same value.
    Text text = json.to_json_text();
    EXPECT_EQ(text, Text("{\"p\":\"C:\\\\dir\\\\new 'a' \\\"b\\\"\\r\\n\xD6\xD0\"}"));
    JsonObject again;
    ASSERT_TRUE(again.parse(text));
    EXPECT_EQ(again.get_text("p"), value);
}

TEST(JsonObject, SetValueTable) {
    struct Case {
        const char* name;
        const char* document;
        const char* path;
        Text value;
        bool as_json;
        bool result;
        Text after;  // to_json_text
    };
    const Case cases[] = {
        {"new member", "{}", "a", "x", false, true, R"({"a":"x"})"},
        {"replace keeps position", R"({"a":1,"b":2})", "a", "x", false, true, R"({"a":"x","b":2})"},
        {"below a missing member", "{}", "a.b", "x", false, false, "{}"},
        {"member of a string", R"({"s":"t"})", "s.x", "x", false, false, R"({"s":"t"})"},
        {"array element", "[1,2]", "[1]", "x", false, true, R"([1,"x"])"},
        {"past the end leaves holes", "[1]", "[3]", "x", false, true, R"([1,null,null,"x"])"},
        {"far past the end", "[1]", "[99999999]", "x", false, false, "[1]"},
        {"name on an array", R"({"a":[]})", "a.b", "x", false, false, R"({"a":[]})"},
        {"index on an object", "{}", "[2]", "x", false, true, R"({"2":"x"})"},
        {"the root", "{}", "", "x", false, true, R"("x")"},
        {"json assigns an array", "{}", "a", "[1,{}]", true, true, R"({"a":[1,{}]})"},
        {"json assigns an object", R"({"a":"s"})", "a", R"({"k":1})", true, true, R"({"a":{"k":1}})"},
        {"json string is read again", "{}", "a", R"("[1]")", true, true, R"({"a":[1]})"},
        {"json string holding an object fails", "{}", "a", R"("{}")", true, false, "{}"},
        {"json syntax error", "{}", "a", "[1", true, false, "{}"},
        {"json empty assigns undefined", R"({"a":1,"b":2})", "a", "", true, true, R"({"b":2})"},
        {"json array target is replaced", R"({"a":[1]})", "a", "[2]", true, true, R"({"a":[2]})"},
        {"json empty merges nothing", R"({"a":{"k":1}})", "a", "", true, true, R"({"a":{"k":1}})"},
        {"merge", R"({"o":{"s":"a","b":true,"n":1,"arr":[1],"sub":{"k":1},"nul":null}})", "o",
         R"({"s":"b","b":false,"new":1,"arr":[2,[3]],"sub":{"k2":2},"nul":{}})", true, true,
         R"({"o":{"s":"b","b":false,"n":1,"arr":[1,2,[3]],"sub":{"k":1,"k2":2},"nul":null,"new":1}})"},
        {"merge of the root", R"({"a":"x"})", "", R"({"a":"y","b":[]})", true, true, R"({"a":"y","b":[]})"},
        {"merge of an array into an object", R"({"o":{}})", "o", R"(["p","q"])", true, true,
         R"({"o":{"0":"p","1":"q"}})"},
        {"merge stops at a number; earlier members stay changed", R"({"o":{"s":"a","n":1}})", "o",
         R"({"s":"b","n":5,"after":1})", true, false, R"({"o":{"s":"b","n":1}})"},
        {"merge stops at a nested number", R"({"o":{"sub":{"s":"a","k":1}}})", "o", R"({"sub":{"s":"b","k":2}})", true,
         false, R"({"o":{"sub":{"s":"b","k":1}}})"},
        {"merge into a null member fails", R"({"o":{"nul":null}})", "o", R"({"nul":{"x":1}})", true, false,
         R"({"o":{"nul":null}})"},
        {"merge of null into an array fails", R"({"o":{"a":[1]}})", "o", R"({"a":null})", true, false,
         R"({"o":{"a":[1]}})"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto json = parsed(c.document);
        EXPECT_EQ(json->set_value(c.path, c.value, c.as_json), c.result);
        EXPECT_EQ(json->to_json_text(), c.after);
    }
}

TEST(JsonObject, UndefinedMemberIsNeitherPresentNorPrinted) {
    auto json = parsed(R"({"a":1,"list":[1,2]})");
    ASSERT_TRUE(json->set_value("a", "", true));
    ASSERT_TRUE(json->set_value("list[0]", "", true));
    EXPECT_FALSE(json->has_member("a"));
    EXPECT_EQ(json->type_of("a"), JsonObject::type_missing);
    EXPECT_EQ(json->get_text("a"), Text());
    EXPECT_EQ(json->get_text("list"), Text(",2"));
    EXPECT_EQ(json->to_json_text(), Text(R"({"list":[null,2]})"));
}

TEST(JsonObject, GetObjectHoldsItsOwnCopyOfTheValue) {
    auto json = parsed(R"({"o":{"a":[1,2]},"s":"hello","inf":1e400,"n":null})");
    struct Case {
        const char* path;
        Text text;  // get_text of the whole new document
        Text json_text;
        int type;
    };
    const Case cases[] = {
        {"o", "[object Object]", R"({"a":[1,2]})", 4},
        {"o.a", "1,2", "[1,2]", 5},
        {"s", "hello", "\"hello\"", 6},
        {"inf", "Infinity", "null", 2},
        {"n", "", "null", 0},
        {"missing", "", "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        auto sub = json->get_object(c.path);
        EXPECT_EQ(sub->root_name(), Text("da"));
        EXPECT_EQ(sub->get_text(""), c.text);
        EXPECT_EQ(sub->to_json_text(), c.json_text);
        EXPECT_EQ(sub->type_of(""), c.type);
    }
    auto sub = json->get_object("o");
    ASSERT_TRUE(sub->set_value("a", "changed"));
    EXPECT_EQ(json->get_text("o.a"), Text("1,2"));
}

TEST(JsonObject, CopySharesTheDocumentUntilOneParses) {
    JsonObject json;
    ASSERT_TRUE(json.parse(R"({"k":"old"})"));
    auto shared = json.copy();
    ASSERT_TRUE(shared->set_value("k", "new"));
    EXPECT_EQ(json.get_text("k"), Text("new"));
    ASSERT_TRUE(json.parse(R"({"other":1})"));
    EXPECT_EQ(shared->get_text("k"), Text("new"));
    EXPECT_EQ(json.get_text("k"), Text());
    // The copy outlives the object it came from.
    json.destroy();
    EXPECT_EQ(shared->to_json_text(), Text(R"({"k":"new"})"));
}

TEST(JsonObject, StartsEmptyClearsAndAnswersNothingOnceDestroyed) {
    JsonObject json;
    EXPECT_EQ(json.root_name(), Text("da"));
    EXPECT_EQ(json.to_json_text(), Text("{}"));
    ASSERT_TRUE(json.parse(R"({"a":[1]})"));
    EXPECT_TRUE(json.clear());
    EXPECT_EQ(json.to_json_text(), Text("{}"));
    json.set_value("a", "x");
    json.destroy();
    EXPECT_FALSE(json.parse(R"({"a":1})"));
    EXPECT_EQ(json.get_text("a"), Text());
    EXPECT_EQ(json.to_json_text(), Text());
    EXPECT_EQ(json.member_count(""), 0);
    EXPECT_FALSE(json.has_member("a"));
    EXPECT_FALSE(json.set_value("a", "x"));
    EXPECT_FALSE(json.clear());
}

}  // namespace
