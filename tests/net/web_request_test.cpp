// web_request step by step against a recording request object: the exact calls, in
// order, with their arguments, and what the routine hands back.
#include "net/web_request.h"

#include <gtest/gtest.h>

#include "recording_request.h"

namespace {

const Text url = "https://service.test/api?u=x";
const CallLog call_start = {"CoInitialize", "create WinHttp.WinHttpRequest.5.1"};
const CallLog call_end = {"ResponseBody", "GetAllResponseHeaders", "Status", "object released", "CoUninitialize"};

CallLog concat(std::initializer_list<CallLog> parts) {
    CallLog out;
    for (const CallLog& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}

// A request with no header text and no defaults, so that only the calls under test
// show between Open and Send (the empty working text gives one refused call).
WebRequest bare_request() {
    WebRequest request;
    request.url = url;
    request.add_default_headers = false;
    return request;
}

TEST(WebRequest, ParseStyleRequestSetsTheCallersAgentAndThreeDefaultsInOrder) {
    const ByteArray body = {'{', 0x00, 0xFF, '}', '\r', '\n'};
    RecordingPlatform platform({body, "HTTP/1.1 200 OK\r\n", 200});
    ByteArray result = web_request({.url = url, .headers = "User-Agent: Agent/1.0 (x; y)"}, platform);
    EXPECT_EQ(result, body);
    EXPECT_EQ(platform.log, concat({call_start,
                                    {
                                        "SetTimeouts(15000, 15000, 15000, 15000)",
                                        "Open(GET, https://service.test/api?u=x, false)",
                                        "SetRequestHeader(User-Agent, Agent/1.0 (x; y))",
                                        "SetRequestHeader(Accept, */*)",
                                        "SetRequestHeader(Referer, https://service.test/api?u=x)",
                                        "SetRequestHeader(Accept-Language, zh-cn)",
                                        "Send(text )",
                                    },
                                    call_end}));
}

TEST(WebRequest, MethodIndexPicksTheNameAndOutOfRangeIsGet) {
    struct Case {
        int method;
        const char* name;
    };
    const Case cases[] = {{-1, "GET"},    {0, "GET"},    {1, "POST"},  {2, "HEAD"},    {3, "PUT"},
                          {4, "OPTIONS"}, {5, "DELETE"}, {6, "TRACE"}, {7, "CONNECT"}, {8, "GET"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.method);
        RecordingPlatform platform;
        WebRequest request = bare_request();
        request.method = c.method;
        web_request(request, platform);
        EXPECT_EQ(platform.log.at(3), "Open(" + std::string(c.name) + ", https://service.test/api?u=x, false)");
    }

    // POST with the defaults on ends its headers with the form type.
    RecordingPlatform platform;
    web_request({.url = url, .method = 1}, platform);
    EXPECT_EQ(platform.log.at(platform.log.size() - 7),
              "SetRequestHeader(Content-Type, application/x-www-form-urlencoded)");
}

TEST(WebRequest, TimeoutSecondsGiveFourEqualMillisecondValues) {
    struct Case {
        std::optional<int> seconds;
        const char* expected;  // nullptr: no SetTimeouts call
    };
    const Case cases[] = {
        {std::nullopt, "SetTimeouts(15000, 15000, 15000, 15000)"},
        {-1, nullptr},
        {0, "SetTimeouts(15000, 15000, 15000, 15000)"},
        {-5, "SetTimeouts(15000, 15000, 15000, 15000)"},
        {20, "SetTimeouts(20000, 20000, 20000, 20000)"},
        {2147483, "SetTimeouts(2147483000, 2147483000, 2147483000, 2147483000)"},
        // Beyond the 32-bit millisecond range the longest time-out is kept, not a wrapped one.
        {3000000, "SetTimeouts(2147483647, 2147483647, 2147483647, 2147483647)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.seconds.value_or(-99));
        RecordingPlatform platform;
        WebRequest request = bare_request();
        request.timeout_seconds = c.seconds;
        web_request(request, platform);
        if (c.expected)
            EXPECT_EQ(platform.log.at(2), c.expected);
        else
            EXPECT_EQ(platform.log.at(2).rfind("Open(", 0), 0u) << platform.log.at(2);
    }
}

TEST(WebRequest, ProxyCredentialsAndTheirHeader) {
    struct Case {
        const char* name;
        Text proxy;
        Text user;
        Text password;
        std::optional<int> target;
        CallLog before_open;
        CallLog after_open;
    };
    const Case cases[] = {
        {"proxy without user", "proxy.test:8080", "", "pw", std::nullopt, {"SetProxy(2, proxy.test:8080)"}, {}},
        {"user without proxy", "", "u", "pw", 1, {}, {}},
        {"proxy credentials",
         "proxy.test:8080",
         "u",
         "pw",
         std::nullopt,
         {"SetProxy(2, proxy.test:8080)"},
         {"SetCredentials(u, pw, 1)", "SetRequestHeader(Proxy-Authorization, Basic dTpwdw==)"}},
        {"server credentials",
         "proxy.test:8080",
         "u",
         "pw",
         0,
         {"SetProxy(2, proxy.test:8080)"},
         {"SetCredentials(u, pw, 0)"}},
        {"empty password",
         "p",
         "user",
         "",
         1,
         {"SetProxy(2, p)"},
         {"SetCredentials(user, , 1)", "SetRequestHeader(Proxy-Authorization, Basic dXNlcjo=)"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingPlatform platform;
        WebRequest request = bare_request();
        request.proxy = c.proxy;
        request.proxy_user = c.user;
        request.proxy_password = c.password;
        request.credential_target = c.target;
        web_request(request, platform);
        EXPECT_EQ(platform.log, concat({call_start,
                                        {"SetTimeouts(15000, 15000, 15000, 15000)"},
                                        c.before_open,
                                        {"Open(GET, https://service.test/api?u=x, false)"},
                                        c.after_open,
                                        {"SetRequestHeader(, )", "Send(text )"},
                                        call_end}));
    }
}

TEST(WebRequest, HeadersReachTheObjectAsProxyAuthorizationCookieThenTheLines) {
    RecordingPlatform platform;
    Text cookies = "Cookie: a=1";
    web_request({.url = url,
                 .cookies = &cookies,
                 .headers = "x-one: 1\r\nConnection: keep-alive\r\nx-two: 2",
                 .no_redirect = true,
                 .proxy = "p:1",
                 .proxy_user = "u",
                 .add_default_headers = false},
                platform);
    EXPECT_EQ(platform.log, concat({call_start,
                                    {
                                        "SetTimeouts(15000, 15000, 15000, 15000)",
                                        "SetProxy(2, p:1)",
                                        "Open(GET, https://service.test/api?u=x, false)",
                                        "Option(6) = 0",
                                        "SetCredentials(u, , 1)",
                                        "SetRequestHeader(Proxy-Authorization, Basic dTo=)",
                                        "SetRequestHeader(Cookie,  a=1)",
                                        "SetRequestHeader(X-One, 1)",
                                        "SetRequestHeader(X-Two, 2)",
                                        "Send(text )",
                                    },
                                    call_end}));
}

TEST(WebRequest, BodyBytesWinOverText) {
    struct Case {
        std::optional<ByteArray> bytes;
        std::optional<Text> text;
        const char* expected;
    };
    const Case cases[] = {
        {ByteArray{'a', 'b'}, Text("text"), "Send(bytes ab)"},
        {ByteArray{}, Text("text"), "Send(text text)"},
        {std::nullopt, std::nullopt, "Send(text )"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        RecordingPlatform platform;
        WebRequest request = bare_request();
        request.method = 1;
        request.body_bytes = c.bytes;
        request.body_text = c.text;
        web_request(request, platform);
        EXPECT_EQ(platform.log.at(platform.log.size() - 6), c.expected);
    }
}

const Text set_cookie_headers = "HTTP/1.1 200 OK\r\nSet-Cookie: b=3; Path=/\r\nSet-Cookie: c=4\r\n";

TEST(WebRequest, CookiesAreSentCollectedAndMergedOnlyWhenSupplied) {
    struct Case {
        const char* name;
        std::optional<Text> cookies;  // nullopt: omitted
        std::optional<bool> merge;
        const char* cookie_header;  // nullptr: none set
        Text cookies_after;
        Text received;
    };
    const Case cases[] = {
        {"omitted: no header, no merge", std::nullopt, std::nullopt, nullptr, "", "b=3; c=4"},
        {"empty: empty header, merged", Text(), std::nullopt, "SetRequestHeader(Cookie, )", "b=3; c=4", "b=3; c=4"},
        {"merged", Text("Cookie: a=1; b=2"), std::nullopt, "SetRequestHeader(Cookie,  a=1; b=2)", "b=3; c=4; a=1",
         "b=3; c=4; a=1"},
        {"not merged", Text("Cookie: a=1; b=2"), false, "SetRequestHeader(Cookie,  a=1; b=2)", " a=1; b=2", "b=3; c=4"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingPlatform platform({{}, set_cookie_headers, 200});
        Text cookies = c.cookies.value_or(Text());
        Text received = "stale";
        WebRequest request = bare_request();
        request.cookies = c.cookies ? &cookies : nullptr;
        request.received_cookies = &received;
        request.merge_cookies = c.merge;
        web_request(request, platform);
        CallLog expected =
            concat({call_start,
                    {"SetTimeouts(15000, 15000, 15000, 15000)", "Open(GET, https://service.test/api?u=x, false)"}});
        if (c.cookie_header) expected.push_back(c.cookie_header);
        expected = concat({expected, {"SetRequestHeader(, )", "Send(text )"}, call_end});
        EXPECT_EQ(platform.log, expected);
        EXPECT_EQ(cookies, c.cookies_after);
        EXPECT_EQ(received, c.received);
    }
}

TEST(WebRequest, OutputsCarryTheResponseAndANoResponseGivesEmptyValues) {
    struct Case {
        const char* name;
        CannedResponse response;
        int status;
        Text received;
    };
    const Case cases[] = {
        {"error status is a response",
         {{'n', 'o'}, "HTTP/1.1 404 Not Found\r\nSet-Cookie: s=1\r\n", 404.0},
         404,
         "s=1"},
        {"status truncated", {{'o', 'k'}, "HTTP/1.1 200 OK\r\n", 200.9}, 200, ""},
        {"no response", {{}, "", 0}, 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingPlatform platform(c.response);
        Text response_headers = "stale";
        Text received = "stale";
        int status = -7;
        ByteArray body = web_request(
            {.url = url, .received_cookies = &received, .response_headers = &response_headers, .status_code = &status},
            platform);
        EXPECT_EQ(body, c.response.body);
        EXPECT_EQ(response_headers, c.response.headers);
        EXPECT_EQ(status, c.status);
        EXPECT_EQ(received, c.received);
    }
}

TEST(WebRequest, ObjectThatCannotBeMadeLeavesEveryOutputAlone) {
    RecordingPlatform platform({}, false);
    Text cookies = "Cookie: a=1";
    Text received = "r";
    Text response_headers = "h";
    int status = 77;
    ByteArray body = web_request({.url = url,
                                  .cookies = &cookies,
                                  .received_cookies = &received,
                                  .headers = "User-Agent: UA",
                                  .response_headers = &response_headers,
                                  .status_code = &status},
                                 platform);
    EXPECT_TRUE(body.empty());
    EXPECT_EQ(platform.log, concat({call_start, {"CoUninitialize"}}));
    EXPECT_EQ(cookies, Text("Cookie: a=1"));
    EXPECT_EQ(received, Text("r"));
    EXPECT_EQ(response_headers, Text("h"));
    EXPECT_EQ(status, 77);
}

TEST(WebRequest, SuppliedObjectIsUsedAndStaysWithTheCaller) {
    RecordingPlatform platform;
    CallLog object_log;
    auto object = std::make_shared<RecordingRequestObject>(object_log, CannedResponse{{'x'}, "", 200});
    WebRequest request = bare_request();
    request.request_object = object;
    EXPECT_EQ(web_request(request, platform), ByteArray{'x'});
    EXPECT_EQ(web_request(request, platform), ByteArray{'x'});
    // No object is made, and the caller's object serves both calls and is not let go.
    EXPECT_EQ(platform.log, (CallLog{"CoInitialize", "CoUninitialize", "CoInitialize", "CoUninitialize"}));
    const CallLog one_call = {"SetTimeouts(15000, 15000, 15000, 15000)",
                              "Open(GET, https://service.test/api?u=x, false)",
                              "SetRequestHeader(, )",
                              "Send(text )",
                              "ResponseBody",
                              "GetAllResponseHeaders",
                              "Status"};
    EXPECT_EQ(object_log, concat({one_call, one_call}));
    request.request_object.reset();
    EXPECT_EQ(object.use_count(), 1);
}

TEST(WebRequest, SuppliedEmptyObjectFailsEveryCall) {
    RecordingPlatform platform;
    int status = 5;
    Text response_headers = "stale";
    WebRequest request = bare_request();
    request.request_object = std::shared_ptr<RequestObject>();
    request.status_code = &status;
    request.response_headers = &response_headers;
    EXPECT_TRUE(web_request(request, platform).empty());
    EXPECT_EQ(platform.log, (CallLog{"CoInitialize", "CoUninitialize"}));
    EXPECT_EQ(status, 0);
    EXPECT_EQ(response_headers, Text());
}

TEST(Base64Encode, StandardAlphabetAndPadding) {
    struct Case {
        ByteArray bytes;
        Text expected;
    };
    const Case cases[] = {
        {{}, ""},
        {{'f'}, "Zg=="},
        {{'f', 'o'}, "Zm8="},
        {{'f', 'o', 'o'}, "Zm9v"},
        {{'f', 'o', 'o', 'b'}, "Zm9vYg=="},
        {{'f', 'o', 'o', 'b', 'a', 'r'}, "Zm9vYmFy"},
        {{0xFB, 0xFF, 0x00, 0x3E}, "+/8APg=="},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        EXPECT_EQ(base64_encode(c.bytes), c.expected);
    }
}

}  // namespace
