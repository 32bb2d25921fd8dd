// web_request through the real WinHTTP request object, against the project's test
// server on loopback (tools/test_server). The server's /echo answers with the request
// as it arrived: request line, header lines, a blank line, then the body.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <map>
#include <string>

#include "base/system.h"
#include "base/text.h"
#include "net/request_object_win.h"
#include "net/web_request.h"

namespace {

// The ports and credentials that the running test server wrote to its file.
class TestServer {
public:
    TestServer() {
        const char* file = std::getenv("MIREVO_TEST_SERVER_ENV");
        if (!file) return;
        ByteArray bytes = read_file(Text(file));
        for (const Text& line : text_split(to_text(bytes), "\n")) {
            int equals = text_find(line, "=");
            if (equals > 0) values_[text_left(line, equals - 1).bytes()] = text_mid(line, equals + 1, line.length());
        }
    }

    bool running() const { return values_.count("https_port") > 0; }
    Text value(const std::string& key) const {
        auto found = values_.find(key);
        return found == values_.end() ? Text() : found->second;
    }
    // "https://localhost:PORT/path" for the named listener ("https", "http", ...).
    Text url(const std::string& listener, const char* path) const {
        bool plain = listener == "http" || listener == "proxy" || listener == "stalled_connect";
        const char* scheme = plain ? "http" : "https";
        return text_concat(scheme, "://localhost:", value(listener + "_port"), path);
    }

private:
    std::map<std::string, Text> values_;
};

// An echoed request split into its parts.
struct Echo {
    Text request_line;
    TextArray header_lines;
    ByteArray body;
};

Echo parse_echo(const ByteArray& answer) {
    Echo echo;
    std::string text(answer.begin(), answer.end());
    std::size_t end = text.find("\r\n\r\n");
    if (end == std::string::npos) return echo;
    TextArray lines = text_split(Text(text.substr(0, end)), "\r\n");
    if (lines.empty()) return echo;
    echo.request_line = lines.front();
    echo.header_lines.assign(lines.begin() + 1, lines.end());
    echo.body.assign(answer.begin() + static_cast<std::ptrdiff_t>(end + 4), answer.end());
    return echo;
}

Text header_line(const Echo& echo, const Text& name) {
    Text prefix = text_concat(name, ":");
    for (const Text& line : echo.header_lines) {
        if (text_compare_mbcs(text_left(line, prefix.length()), prefix, false) == 0) return line;
    }
    return Text();
}

class WinHttp : public testing::Test {
protected:
    void SetUp() override {
        if (!server.running()) GTEST_FAIL() << "the test server is not running (MIREVO_TEST_SERVER_ENV)";
    }
    TestServer server;
};

TEST_F(WinHttp, ParseStyleRequestCarriesTheAgentThenTheDefaultsInOrder) {
    Text url = text_concat(server.url("https", "/echo?link="), "https%3A%2F%2Fv.example%2Fabc&x=1");
    const Text agent = "User-Agent: Mozilla/5.0 (Windows NT 10.0; Win64; x64) MirevoTest/1.0";
    Echo echo = parse_echo(web_request({.url = url, .headers = agent}));

    EXPECT_EQ(echo.request_line,
              text_concat("GET ", text_mid(url, text_find(url, "/echo"), url.length()), " HTTP/1.1"));
    const TextArray ours = {agent, "Accept: */*", text_concat("Referer: ", url), "Accept-Language: zh-cn"};
    TextArray seen;  // our lines in the order the server saw them; the object adds its own
    for (const Text& line : echo.header_lines) {
        for (const Text& expected : ours) {
            if (text_compare_mbcs(text_left(line, text_find(line, ":")), text_left(expected, text_find(expected, ":")),
                                  false) == 0)
                seen.push_back(line);
        }
    }
    EXPECT_EQ(seen, ours);
    EXPECT_EQ(header_line(echo, "Content-Type"), Text());
    EXPECT_EQ(header_line(echo, "Cookie"), Text());
    EXPECT_EQ(header_line(echo, "Proxy-Authorization"), Text());
    EXPECT_TRUE(echo.body.empty());
}

TEST_F(WinHttp, BodyStatusAndResponseHeadersComeBackExactly) {
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
        // /bytes holds every byte value once and /large has byte i equal to i % 251.
        for (std::size_t i = 0; i < body.size() && c.status == 200; ++i) {
            std::size_t expected = text_find(c.path, "/bytes") == 1 ? i : i % 251;
            if (body[i] != expected) FAIL() << "byte " << i << " is " << int(body[i]);
        }
        EXPECT_NE(text_find(response_headers, c.header), -1) << response_headers;
    }
}

TEST_F(WinHttp, RedirectsAreFollowedUnlessSwitchedOff) {
    Text url = server.url("https", "/redirect?to=/echo%3Ffrom%3Dredirect");
    int status = 0;
    Echo followed = parse_echo(web_request({.url = url, .status_code = &status}));
    EXPECT_EQ(status, 200);
    EXPECT_EQ(followed.request_line, Text("GET /echo?from=redirect HTTP/1.1"));

    Text response_headers;
    ByteArray body =
        web_request({.url = url, .response_headers = &response_headers, .status_code = &status, .no_redirect = true});
    EXPECT_EQ(status, 302);
    EXPECT_EQ(to_text(body), Text("redirecting"));
    EXPECT_NE(text_find(response_headers, "Location: /echo?from=redirect\r\n"), -1) << response_headers;
}

TEST_F(WinHttp, PostSendsTheByteBodyOrTheTextBody) {
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

TEST_F(WinHttp, CookieHeaderGoesOutAndReceivedCookiesAreMerged) {
    Text cookies = "Cookie: a=1; b=2";
    Echo echo = parse_echo(web_request({.url = server.url("https", "/echo"), .cookies = &cookies}));
    EXPECT_EQ(header_line(echo, "Cookie"), Text("Cookie: a=1; b=2"));

    cookies = "a=1; b=2; gone=x";
    Text received;
    web_request({.url = server.url("https", "/set-cookie?c=b%3D3%3B%20Path%3D%2F&c=c%3D4&c=gone%3Ddeleted"),
                 .cookies = &cookies,
                 .received_cookies = &received});
    EXPECT_EQ(cookies, Text("b=3; c=4; a=1"));
    EXPECT_EQ(received, cookies);

    Text unmerged;
    web_request({.url = server.url("https", "/set-cookie?c=s%3D1%3B%20HttpOnly"), .received_cookies = &unmerged});
    EXPECT_EQ(unmerged, Text("s=1"));
}

TEST_F(WinHttp, NoResponseGivesEmptyResultsAndReturnsPromptly) {
    struct Case {
        const char* name;
        Text url;
        int timeout_seconds;
        double limit_seconds;  // generous: catches a hang, not a slow machine
    };
    const Case cases[] = {
        {"connect time-out", server.url("stalled_connect", "/echo"), 1, 6},
        // The server would hold the request for 30 s; it is given up at the receive
        // time-out even where the object itself waits longer for headers (wine 8).
        {"stalled answer", server.url("https", "/stall?s=30"), 1, 8},
        {"nobody listening", "http://localhost:1/echo", 2, 10},
        {"malformed address", "not an address", 2, 10},
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
        // The merge rebuilds the caller's cookies from themselves alone.
        EXPECT_EQ(received, Text("a=1"));
        EXPECT_EQ(cookies, Text("a=1"));
    }
}

// Sets an environment variable for the life of the holder.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const Text& value) : name_(name) { _putenv_s(name, value.c_str()); }
    ~ScopedEnvironment() { _putenv_s(name_, ""); }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    const char* name_;
};

TEST_F(WinHttp, ProxyWithBasicCredentials) {
    // Wine 8's object ignores SetProxy (its per-request proxy option is unimplemented)
    // but takes the default proxy from http_proxy, so the proxy is named there too.
    // The credentials, the Proxy-Authorization line and the challenge are the object's
    // and the routine's own.
    ScopedEnvironment default_proxy("http_proxy", text_concat("http://localhost:", server.value("proxy_port")));
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
            // The origin saw the request the proxy passed on, without the proxy's credentials.
            EXPECT_EQ(echo.request_line, Text("GET /echo?via=proxy HTTP/1.1"));
            EXPECT_EQ(header_line(echo, "Proxy-Authorization"), Text());
        }
    }
}

TEST_F(WinHttp, SuppliedObjectServesSeveralRequestsAndStaysWithTheCaller) {
    ScopedCom com;
    AutomationObject object;
    ASSERT_TRUE(object_create(object, "WinHttp.WinHttpRequest.5.1"));
    for (const char* path : {"/echo?call=1", "/echo?call=2"}) {
        SCOPED_TRACE(path);
        Echo echo = parse_echo(
            web_request({.url = server.url("https", path), .request_object = winhttp_request_object(object)}));
        EXPECT_EQ(echo.request_line, text_concat("GET ", path, " HTTP/1.1"));
    }
    EXPECT_FALSE(object_is_empty(object));
    EXPECT_EQ(object_get_real(object, "Status"), 200);
}

TEST_F(WinHttp, CertificatesAreChecked) {
    struct Case {
        const char* listener;
        int status;
    };
    const Case cases[] = {
        {"https", 200},           // from the project's CA, which the prefix trusts
        {"untrusted_https", 0},   // from an unknown CA
        {"wrong_name_https", 0},  // for another host name
        {"expired_https", 0},     // expired
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.listener);
        int status = -1;
        Text response_headers = "stale";
        ByteArray body = web_request(
            {.url = server.url(c.listener, "/echo"), .response_headers = &response_headers, .status_code = &status});
        EXPECT_EQ(status, c.status);
        EXPECT_EQ(body.empty(), c.status == 0);
        EXPECT_EQ(response_headers.empty(), c.status == 0);
    }
}

}  // namespace
