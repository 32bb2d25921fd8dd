// Request header handling: the default set, name normalisation, and which lines reach
// the request object.
#include "net/headers.h"

#include <gtest/gtest.h>

#include "recording_request.h"

namespace {

const char* const default_agent = "User-Agent: Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)";
const char* const form_type = "Content-Type: application/x-www-form-urlencoded";
const Text url = "https://example.test/p?x=1";

Text lines(std::initializer_list<Text> pieces) {
    std::string out;
    for (const Text& piece : pieces) {
        if (&piece != pieces.begin()) out += "\r\n";
        out += piece.bytes();
    }
    return Text(out);
}

TEST(AppendDefaultHeaders, AddsOnlyTheLinesWhoseNamesAreAbsent) {
    struct Case {
        const char* name;
        Text headers;
        int method;
        Text expected;
    };
    const Case cases[] = {
        {"user agent only", "User-Agent: UA", 0,
         lines({"User-Agent: UA", "Accept: */*", "Referer: https://example.test/p?x=1", "Accept-Language: zh-cn"})},
        {"user agent in lower case", "user-agent: UA", 0,
         lines({"user-agent: UA", "Accept: */*", "Referer: https://example.test/p?x=1", "Accept-Language: zh-cn"})},
        {"X-Accept suppresses Accept", "X-Accept: a", 0,
         lines({"X-Accept: a", "Referer: https://example.test/p?x=1", "Accept-Language: zh-cn", default_agent})},
        {"Accept-Language alone does not", "Accept-Language: en", 0,
         lines({"Accept-Language: en", "Accept: */*", "Referer: https://example.test/p?x=1", default_agent})},
        {"empty text begins with a line break", "", 0,
         lines({"", "Accept: */*", "Referer: https://example.test/p?x=1", "Accept-Language: zh-cn", default_agent})},
        {"post gets the form type last", "User-Agent: UA", 1,
         lines({"User-Agent: UA", "Accept: */*", "Referer: https://example.test/p?x=1", "Accept-Language: zh-cn",
                form_type})},
        {"post keeps a caller's type", "content-type: text/plain\r\nUser-Agent: UA", 1,
         lines({"content-type: text/plain", "User-Agent: UA", "Accept: */*", "Referer: https://example.test/p?x=1",
                "Accept-Language: zh-cn"})},
        {"put never gets a type", "User-Agent: UA", 3,
         lines({"User-Agent: UA", "Accept: */*", "Referer: https://example.test/p?x=1", "Accept-Language: zh-cn"})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(append_default_headers(c.headers, c.method, url), c.expected);
    }
}

TEST(AppendDefaultHeaders, ALineBreakInTheUrlCannotAddHeaderLines) {
    Text headers = append_default_headers("User-Agent: UA", 0, "https://h/p\r\nCookie: stolen=1\n");
    EXPECT_EQ(headers, lines({"User-Agent: UA", "Accept: */*", "Referer: https://h/pCookie: stolen=1",
                              "Accept-Language: zh-cn"}));
}

TEST(NormaliseHeaderText, CapitalisesNamePartsAndDropsLinesWithoutColon) {
    struct Case {
        Text headers;
        Text expected;
    };
    const Case cases[] = {
        {"content-type: text/x-lower-case", "Content-Type: text/x-lower-case"},
        {"x-requested-with: xml-http", "X-Requested-With: xml-http"},
        {"no colon here\r\naccept: a\r\n\r\nreferer: http://h:8080/a-b", "Accept: a\r\nReferer: http://h:8080/a-b"},
        {"\r\nAccept: */*", "Accept: */*"},
        {"a--b-: v", "A--B-: v"},
        {" lead: v", " lead: v"},
        {"x:y-z: w", "X:y-z: w"},
        {"a: 1\r\n", "A: 1"},
        {"no colon at all", ""},
        {"", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.headers);
        EXPECT_EQ(normalise_header_text(c.headers), c.expected);
    }
}

TEST(HeaderLineParts, CapitaliseFirstAndNameValueSplitAtTheFirstColon) {
    EXPECT_EQ(capitalise_first(""), Text());
    EXPECT_EQ(capitalise_first("abc"), Text("Abc"));
    EXPECT_EQ(capitalise_first("1bc"), Text("1bc"));
    EXPECT_EQ(capitalise_first("\xD6\xD0"), Text("\xD6\xD0"));

    struct Case {
        Text line;
        Text name;
        Text value;
    };
    const Case cases[] = {
        {"Name: value", "Name", "value"},
        {"  Name  :  value  ", "Name", "value"},
        {"\xA1\xA1Name\xA1\xA1:\xA1\xA1value", "Name", "value"},  // full-width spaces
        {"Name\t: v", "Name\t", "v"},
        {"Referer: http://host:8080/a", "Referer", "http://host:8080/a"},
        {": v", "", "v"},
        {"Name:", "Name", ""},
        {"no colon", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(header_name(c.line), c.name);
        EXPECT_EQ(header_value(c.line), c.value);
    }
}

TEST(ApplyRequestHeaders, SetsEachLineInOrderAndSkipsOnlyExactKeepAlive) {
    struct Case {
        Text headers;
        CallLog expected;
    };
    const Case cases[] = {
        {"A: 1\r\nConnection: keep-alive\r\nB: 2", {"SetRequestHeader(A, 1)", "SetRequestHeader(B, 2)"}},
        {" Connection :  keep-alive \r\nB: 2", {"SetRequestHeader(B, 2)"}},
        {"Connection: Keep-Alive\r\nConnection: close",
         {"SetRequestHeader(Connection, Keep-Alive)", "SetRequestHeader(Connection, close)"}},
        {"connection: keep-alive\r\nB: 2", {"SetRequestHeader(connection, keep-alive)", "SetRequestHeader(B, 2)"}},
        {"Connection: keep-alive", {"SetRequestHeader(Connection, keep-alive)"}},
        {"\r\nAccept: */*", {"SetRequestHeader(Accept, */*)"}},
        // Refused lines do not stop the rest.
        {"no colon\r\n: v\r\nA: 1", {"SetRequestHeader(, )", "SetRequestHeader(, v)", "SetRequestHeader(A, 1)"}},
        {"", {"SetRequestHeader(, )"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.headers);
        CallLog log;
        {
            RecordingRequestObject object(log, {});
            apply_request_headers(c.headers, object);
        }
        log.pop_back();  // "object released"
        EXPECT_EQ(log, c.expected);
    }
}

}  // namespace
