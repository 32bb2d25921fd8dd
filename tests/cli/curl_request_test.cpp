// web_request through the libcurl request object, against the project's test
// server on loopback: the same cases as the WinHTTP object's under wine, and the
// cases that only a native object can show (schemes, header safety).
#include <gtest/gtest.h>

#include <chrono>

#include "net/request_object.h"
#include "net/web_request.h"
#include "server_support.h"

namespace {

class CurlRequest : public testing::Test {
protected:
    void SetUp() override {
        trust_test_ca();
        if (!server.running()) GTEST_FAIL() << "the test server is not running (MIREVO_TEST_SERVER_ENV)";
    }
    TestServer server;
};

TEST_F(CurlRequest, ParseStyleRequestCarriesTheAgentThenTheDefaultsInOrder) {
    Text url = text_concat(server.url("https", "/echo?link="), "https%3A%2F%2Fv.example%2Fabc&x=1");
    const Text agent = "User-Agent: Mozilla/5.0 (Windows NT 10.0; Win64; x64) MirevoTest/1.0";
    Echo echo = parse_echo(web_request({.url = url, .headers = agent}));

    EXPECT_EQ(echo.request_line,
              text_concat("GET ", text_mid(url, text_find(url, "/echo"), url.length()), " HTTP/1.1"));
    const TextArray ours = {agent, "Accept: */*", text_concat("Referer: ", url), "Accept-Language: zh-cn"};
    TextArray seen;
    for (const Text& line : echo.header_lines)
        for (const Text& expected : ours)
            if (text_compare_mbcs(text_left(line, text_find(line, ":")), text_left(expected, text_find(expected, ":")),
                                  false) == 0)
                seen.push_back(line);
    EXPECT_EQ(seen, ours);
    EXPECT_EQ(header_line(echo, "Content-Type"), Text());
    EXPECT_EQ(header_line(echo, "Cookie"), Text());
    EXPECT_EQ(header_line(echo, "Proxy-Authorization"), Text());
    EXPECT_TRUE(echo.body.empty());
}

// A share link goes into the address raw; the object escapes what cannot stand
// in an address, as WinHTTP does, instead of failing or cutting at "#".
TEST_F(CurlRequest, RawLinkBytesAreEscapedNotDropped) {
    struct Case {
        const char* link;
        const char* path;
    };
    const Case cases[] = {
        {"a b#c&d", "/echo?url=a%20b%23c&d"},
        {"\xB6\xB6\xD2\xF4 x", "/echo?url=%E6%8A%96%E9%9F%B3%20x"},  // "抖音 x" in GBK goes out as UTF-8
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        Echo echo = parse_echo(web_request({.url = text_concat(server.url("https", "/echo?url="), c.link)}));
        EXPECT_EQ(echo.request_line, text_concat("GET ", c.path, " HTTP/1.1"));
    }
}

TEST_F(CurlRequest, BodyStatusAndResponseHeadersComeBackExactly) {
    struct Case {
        const char* path;
        int status;
        std::size_t size;
        const char* header;
    };
    const Case cases[] = {
        {"/bytes", 200, 256, "Content-Type: application/octet-stream\r\n"},
        {"/large?bytes=3000000", 200, 3000000, "Content-Length: 3000000\r\n"},
        {"/status?code=404", 404, 10, "Content-Length: 10\r\n"},
        {"/status?code=503", 503, 10, "Content-Type: text/plain\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        Text response_headers;
        int status = -1;
        ByteArray body = web_request(
            {.url = server.url("https", c.path), .response_headers = &response_headers, .status_code = &status});
        EXPECT_EQ(status, c.status);
        ASSERT_EQ(body.size(), c.size);
        for (std::size_t i = 0; i < body.size() && c.status == 200; ++i) {
            std::size_t expected = text_find(c.path, "/bytes") == 1 ? i : i % 251;
            if (body[i] != expected) FAIL() << "byte " << i << " is " << int(body[i]);
        }
        EXPECT_NE(text_find(response_headers, c.header), -1) << response_headers;
        // Header lines only: no status line, no blank line.
        EXPECT_EQ(text_find(response_headers, "HTTP/"), -1) << response_headers;
        EXPECT_EQ(text_find(response_headers, "\r\n\r\n"), -1) << response_headers;
    }
}

TEST_F(CurlRequest, RedirectsAreFollowedUnlessSwitchedOff) {
    Text url = server.url("https", "/redirect?to=/echo%3Ffrom%3Dredirect");
    int status = 0;
    Text response_headers;
    Echo followed =
        parse_echo(web_request({.url = url, .response_headers = &response_headers, .status_code = &status}));
    EXPECT_EQ(status, 200);
    EXPECT_EQ(followed.request_line, Text("GET /echo?from=redirect HTTP/1.1"));
    EXPECT_EQ(text_find(response_headers, "Location:"), -1) << "headers of the redirect itself came back";

    ByteArray body =
        web_request({.url = url, .response_headers = &response_headers, .status_code = &status, .no_redirect = true});
    EXPECT_EQ(status, 302);
    EXPECT_EQ(to_text(body), Text("redirecting"));
    EXPECT_NE(text_find(response_headers, "Location: /echo?from=redirect\r\n"), -1) << response_headers;
}

TEST_F(CurlRequest, PostSendsTheByteBodyOrTheTextBody) {
    struct Case {
        const char* name;
        std::optional<ByteArray> bytes;
        std::optional<Text> text;
        ByteArray expected;
    };
    const Case cases[] = {
        {"bytes, zero included",
         ByteArray{0x00, 0x01, 'a', 0xFF, 0x80},
         Text("ignored"),
         {0x00, 0x01, 'a', 0xFF, 0x80}},
        {"text", std::nullopt, Text("a=1&b=two"), {'a', '=', '1', '&', 'b', '=', 't', 'w', 'o'}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Echo echo = parse_echo(web_request(
            {.url = server.url("https", "/echo"), .method = 1, .body_text = c.text, .body_bytes = c.bytes}));
        EXPECT_EQ(echo.request_line, Text("POST /echo HTTP/1.1"));
        EXPECT_EQ(echo.body, c.expected);
        EXPECT_EQ(header_line(echo, "Content-Type"), Text("Content-Type: application/x-www-form-urlencoded"));
    }
}

// curl would add a form Content-Type of its own to any body; only the caller's
// header lines go out.
TEST_F(CurlRequest, ABodyWithoutDefaultHeadersGetsNoContentTypeOfTheObjects) {
    Echo echo = parse_echo(web_request({.url = server.url("https", "/echo"),
                                        .method = 3,
                                        .body_text = Text("x"),
                                        .headers = Text("X-Test: 1"),
                                        .add_default_headers = false}));
    EXPECT_EQ(echo.request_line, Text("PUT /echo HTTP/1.1"));
    EXPECT_EQ(header_line(echo, "Content-Type"), Text());
    EXPECT_EQ(header_line(echo, "X-Test"), Text("X-Test: 1"));
    EXPECT_EQ(echo.body, (ByteArray{'x'}));
}

TEST_F(CurlRequest, CookieHeaderGoesOutAndReceivedCookiesAreMerged) {
    Text cookies = "Cookie: a=1; b=2";
    Echo echo = parse_echo(web_request({.url = server.url("https", "/echo"), .cookies = &cookies}));
    EXPECT_EQ(header_line(echo, "Cookie"), Text("Cookie: a=1; b=2"));

    Text empty;
    echo = parse_echo(web_request({.url = server.url("https", "/echo"), .cookies = &empty}));
    EXPECT_EQ(header_line(echo, "Cookie"), Text("Cookie: "));  // an empty value

    cookies = "a=1; b=2; gone=x";
    Text received;
    web_request({.url = server.url("https", "/set-cookie?c=b%3D3%3B%20Path%3D%2F&c=c%3D4&c=gone%3Ddeleted"),
                 .cookies = &cookies,
                 .received_cookies = &received});
    EXPECT_EQ(cookies, Text("b=3; c=4; a=1"));
    EXPECT_EQ(received, cookies);
}

// A header that would break the request apart is refused; the rest go out.
TEST_F(CurlRequest, HeaderLinesCannotSmuggleFurtherLines) {
    std::shared_ptr<RequestObject> object = make_request_platform()->create_object();
    ASSERT_TRUE(object);
    object->open("GET", server.url("https", "/echo"), false);
    object->set_request_header("X-Good", "1");
    object->set_request_header("X-Bad", "1\r\nX-Injected: 1");
    object->set_request_header("X Bad", "1");
    object->set_request_header("", "1");
    object->send_text(Text());
    Echo echo = parse_echo(object->response_body());
    EXPECT_EQ(object->status(), 200);
    EXPECT_EQ(header_line(echo, "X-Good"), Text("X-Good: 1"));
    EXPECT_EQ(header_line(echo, "X-Bad"), Text());
    EXPECT_EQ(header_line(echo, "X-Injected"), Text());
}

TEST_F(CurlRequest, NoResponseGivesEmptyResultsAndReturnsPromptly) {
    struct Case {
        const char* name;
        Text url;
        int timeout_seconds;
        double limit_seconds;  // generous: catches a hang, not a slow machine
    };
    const Case cases[] = {
        {"connect time-out", server.url("stalled_connect", "/echo"), 1, 6},
        {"stalled answer", server.url("https", "/stall?s=20"), 1, 6},
        {"nobody listening", "http://localhost:1/echo", 2, 10},
        {"malformed address", "not an address", 2, 10},
        {"redirect loop", server.url("https", "/redirect-loop"), 2, 10},
        {"body cut short", server.url("http", "/download/short?size=200000"), 2, 10},
        // Only http and https: other schemes would read local files.
        {"file address", "file:///etc/hostname", 2, 10},
        {"redirect to a file", server.url("https", "/redirect?to=file%3A%2F%2F%2Fetc%2Fhostname"), 2, 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Text cookies = "a=1";
        Text received = "stale";
        Text response_headers = "stale";
        int status = -1;
        auto start = std::chrono::steady_clock::now();
        ByteArray body = web_request({.url = c.url,
                                      .cookies = &cookies,
                                      .received_cookies = &received,
                                      .response_headers = &response_headers,
                                      .status_code = &status,
                                      .timeout_seconds = c.timeout_seconds});
        std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        EXPECT_LT(took.count(), c.limit_seconds);
        EXPECT_TRUE(body.empty());
        EXPECT_EQ(status, 0);
        EXPECT_EQ(response_headers, Text());
        EXPECT_EQ(received, Text("a=1"));
        EXPECT_EQ(cookies, Text("a=1"));
    }
}

TEST_F(CurlRequest, ProxyWithBasicCredentials) {
    ScopedEnvironment no_default_proxy("http_proxy", std::nullopt);
    struct Case {
        const char* name;
        Text user;
        Text password;
        int status;
    };
    const Case cases[] = {
        {"right credentials", server.value("proxy_user"), server.value("proxy_password"), 200},
        {"wrong password", server.value("proxy_user"), "wrong", 407},
        {"no credentials", "", "", 407},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        int status = 0;
        // The proxy answers for names under .test, which resolve nowhere else.
        Echo echo = parse_echo(web_request({.url = "http://origin.test/echo?via=proxy",
                                            .status_code = &status,
                                            .proxy = text_concat("localhost:", server.value("proxy_port")),
                                            .proxy_user = c.user,
                                            .proxy_password = c.password}));
        EXPECT_EQ(status, c.status);
        if (c.status == 200) {
            EXPECT_EQ(echo.request_line, Text("GET /echo?via=proxy HTTP/1.1"));
            EXPECT_EQ(header_line(echo, "Proxy-Authorization"), Text());
        }
    }
}

// SetCredentials on its own answers the proxy's challenge, without a
// Proxy-Authorization line of the caller's.
TEST_F(CurlRequest, ObjectAnswersTheProxysChallengeWithTheSetCredentials) {
    ScopedEnvironment no_default_proxy("http_proxy", std::nullopt);
    struct Case {
        const char* name;
        Text password;
        int status;
    };
    const Case cases[] = {{"right password", server.value("proxy_password"), 200}, {"wrong password", "wrong", 407}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::shared_ptr<RequestObject> object = make_request_platform()->create_object();
        object->set_proxy(2, text_concat("localhost:", server.value("proxy_port")));
        object->open("GET", "http://origin.test/echo?via=challenge", false);
        object->set_credentials(server.value("proxy_user"), c.password, 1);
        object->send_text(Text());
        EXPECT_EQ(object->status(), c.status);
    }
}

TEST_F(CurlRequest, SuppliedObjectServesSeveralRequestsAndKeepsItsOptions) {
    std::shared_ptr<RequestObject> object = make_request_platform()->create_object();
    ASSERT_TRUE(object);
    for (const char* path : {"/echo?call=1", "/echo?call=2"}) {
        SCOPED_TRACE(path);
        Echo echo = parse_echo(web_request({.url = server.url("https", path), .request_object = object}));
        EXPECT_EQ(echo.request_line, text_concat("GET ", path, " HTTP/1.1"));
    }
    EXPECT_EQ(object->status(), 200);

    // Redirects switched off once stay off for the object's next request.
    int status = 0;
    web_request({.url = server.url("https", "/redirect?to=/echo"),
                 .status_code = &status,
                 .no_redirect = true,
                 .request_object = object});
    EXPECT_EQ(status, 302);
    web_request({.url = server.url("https", "/redirect?to=/echo"), .status_code = &status, .request_object = object});
    EXPECT_EQ(status, 302);
}

TEST_F(CurlRequest, CertificatesAreCheckedUnlessTheObjectIsToldToIgnoreErrors) {
    struct Case {
        const char* listener;
        int status;               // with the checks on
        int status_when_ignored;  // with option 4 set to the four ignore flags
    };
    const Case cases[] = {
        {"https", 200, 200},
        {"untrusted_https", 0, 200},
        {"wrong_name_https", 0, 200},
        {"expired_https", 0, 200},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.listener);
        int status = -1;
        ByteArray body = web_request({.url = server.url(c.listener, "/echo"), .status_code = &status});
        EXPECT_EQ(status, c.status);
        EXPECT_EQ(body.empty(), c.status == 0);

        std::shared_ptr<RequestObject> object = make_request_platform()->create_object();
        object->set_option(4, 13056);
        web_request({.url = server.url(c.listener, "/echo"), .status_code = &status, .request_object = object});
        EXPECT_EQ(status, c.status_when_ignored);
    }
}

}  // namespace
