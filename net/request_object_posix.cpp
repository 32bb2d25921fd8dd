// The HTTP request object over libcurl, with the operations and effects of the
// WinHTTP object that web_request drives on Windows.
//
// Like that object it keeps its time-outs, proxy and options across requests and
// starts each request afresh at Open: new headers, credentials and response. Each
// Send runs one transfer on a fresh easy handle, so no connection, cookie or
// authentication state carries over from one request to the next. A transfer that
// fails (time-out, refused connection, bad certificate, too many redirects, a body
// cut short) leaves no response at all: empty body and headers, status 0.
#include <algorithm>
#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "base/codepage.h"
#include "base/text.h"
#include "net/curl_posix.h"
#include "net/request_object.h"

namespace {

using Clock = std::chrono::steady_clock;

// The object's own time-outs until SetTimeouts is called, as WinHTTP has them:
// name resolution unbounded, 60 s to connect, 30 s to send and to receive.
constexpr int default_resolve_ms = 0;
constexpr int default_connect_ms = 60000;
constexpr int default_send_ms = 30000;
constexpr int default_receive_ms = 30000;

// Redirect chains longer than this fail, as a redirect loop must.
constexpr long redirect_limit = 20;

constexpr int proxy_setting_direct = 1;
constexpr int proxy_setting_named = 2;
constexpr int option_ignore_certificate_errors = 4;
constexpr int option_follow_redirects = 6;
constexpr int ignore_unknown_authority = 0x0100;
constexpr int ignore_name_mismatch = 0x1000;
constexpr int credentials_for_server = 0;
constexpr int credentials_for_proxy = 1;

std::string utf8(const Text& t) { return utf16_to_utf8(gbk_to_utf16(t)); }

// A raw share link placed after "url=" is data: "#" in it is escaped too, as
// WinHTTP escapes it, instead of cutting the address there.
std::string request_address(const Text& url) { return curl_address(utf8(url), true); }

// A header name must be an HTTP token; a value must not hold a line break, which
// would start a header line of the caller's making.
bool is_token_byte(unsigned char c) {
    static const std::string separators = "()<>@,;:\\\"/[]?={} \t";
    return c > 0x20 && c < 0x7F && separators.find(static_cast<char>(c)) == std::string::npos;
}

bool is_valid_header(const Text& name, const Text& value) {
    if (name.empty()) return false;
    for (char c : name.bytes())
        if (!is_token_byte(static_cast<unsigned char>(c))) return false;
    return value.bytes().find_first_of("\r\n") == std::string::npos;
}

bool same_name(const std::string& line, const char* name) {
    std::size_t length = std::char_traits<char>::length(name);
    return line.size() > length && (line[length] == ':' || line[length] == ';') &&
           text_compare_mbcs(Text(line.substr(0, length)), Text(name), false) == 0;
}

// Trailing CR LF and spaces off a received header line.
std::string trim_line_end(std::string line) {
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n' || line.back() == ' ' || line.back() == '\t'))
        line.pop_back();
    return line;
}

class CurlRequestObject : public RequestObject {
public:
    void set_timeouts(int resolve_ms, int connect_ms, int send_ms, int receive_ms) override {
        resolve_ms_ = resolve_ms;
        connect_ms_ = connect_ms;
        send_ms_ = send_ms;
        receive_ms_ = receive_ms;
    }
    void set_proxy(int setting, const Text& proxy) override {
        proxy_setting_ = setting;
        proxy_ = proxy;
    }
    void open(const Text& method, const Text& url, bool) override {
        method_ = method.bytes();
        url_ = request_address(url);
        opened_ = !method.empty() && !url.empty();
        server_headers_.clear();
        proxy_headers_.clear();
        server_user_.reset();
        proxy_user_.reset();
        clear_response();
    }
    void set_option(int index, int value) override {
        if (index == option_follow_redirects) follow_redirects_ = value != 0;
        if (index == option_ignore_certificate_errors) ignored_certificate_errors_ = value;
    }
    void set_credentials(const Text& user, const Text& password, int target) override {
        if (!opened_) return;
        if (target == credentials_for_server) server_user_ = Credentials{user.bytes(), password.bytes()};
        if (target == credentials_for_proxy) proxy_user_ = Credentials{user.bytes(), password.bytes()};
    }
    // Proxy-Authorization goes to the proxy alone: through a tunnel to an https
    // server it would otherwise hand the proxy's credentials to that server.
    void set_request_header(const Text& name, const Text& value) override {
        if (!opened_ || !is_valid_header(name, value)) return;
        // curl drops a header written "Name:" with nothing after it; "Name;" sends it empty.
        std::string line = value.empty() ? name.bytes() + ";" : name.bytes() + ": " + value.bytes();
        if (same_name(line, "Proxy-Authorization"))
            proxy_headers_.push_back(line);
        else
            server_headers_.push_back(line);
    }
    void send_bytes(const ByteArray& body) override { perform(std::string(body.begin(), body.end())); }
    // A text body goes out as UTF-8.
    void send_text(const Text& body) override { perform(utf8(body)); }
    ByteArray response_body() override { return body_; }
    Text all_response_headers() override { return response_headers_; }
    double status() override { return static_cast<double>(status_); }

private:
    struct Credentials {
        std::string user;
        std::string password;
    };

    // What the callbacks of one transfer share.
    struct Transfer {
        CurlRequestObject* object;
        CURL* handle;
        Clock::time_point last_activity;
        curl_off_t last_down = 0;
        curl_off_t last_up = 0;
        std::vector<std::string> header_lines;
    };

    void clear_response() {
        body_.clear();
        response_headers_ = Text();
        status_ = 0;
    }

    static size_t on_body(char* data, size_t size, size_t count, void* user) {
        auto* transfer = static_cast<Transfer*>(user);
        transfer->object->body_.insert(transfer->object->body_.end(), data, data + size * count);
        return size * count;
    }

    // Keeps the header lines of the last response: a status line starts a new
    // block (after a redirect, an interim 100 or a proxy's tunnel answer). A
    // folded line continues the previous one.
    static size_t on_header(char* data, size_t size, size_t count, void* user) {
        auto* transfer = static_cast<Transfer*>(user);
        transfer->last_activity = Clock::now();
        std::string line = trim_line_end(std::string(data, size * count));
        line.erase(std::remove(line.begin(), line.end(), '\0'), line.end());
        if (line.rfind("HTTP/", 0) == 0) {
            transfer->header_lines.clear();
        } else if (!line.empty() && (line[0] == ' ' || line[0] == '\t')) {
            if (!transfer->header_lines.empty()) transfer->header_lines.back() += line;
        } else if (!line.empty()) {
            std::size_t colon = line.find(':');
            if (colon != std::string::npos) {
                std::size_t start = line.find_first_not_of(" \t", colon + 1);
                transfer->header_lines.push_back(line.substr(0, colon) + ": " +
                                                 (start == std::string::npos ? "" : line.substr(start)));
            }
        }
        return size * count;
    }

    // Gives up when the connection, once made, moves no byte for the send
    // time-out while the body goes out, or the receive time-out after that.
    static int on_progress(void* user, curl_off_t, curl_off_t down, curl_off_t up_total, curl_off_t up) {
        auto* transfer = static_cast<Transfer*>(user);
        Clock::time_point now = Clock::now();
        curl_off_t connected = 0;
        curl_easy_getinfo(transfer->handle, CURLINFO_CONNECT_TIME_T, &connected);
        if (connected == 0 || down != transfer->last_down || up != transfer->last_up) {
            transfer->last_down = down;
            transfer->last_up = up;
            transfer->last_activity = now;
            return 0;
        }
        const CurlRequestObject& object = *transfer->object;
        int limit_ms = up < up_total ? object.send_ms_ : object.receive_ms_;
        return limit_ms > 0 && now - transfer->last_activity >= std::chrono::milliseconds(limit_ms) ? 1 : 0;
    }

    void apply_method(CURL* handle, const std::string& body) {
        bool has_body = !body.empty();
        if (method_ == "HEAD") {
            curl_easy_setopt(handle, CURLOPT_NOBODY, 1L);
        } else if (method_ == "POST" || has_body) {
            curl_easy_setopt(handle, CURLOPT_POST, 1L);
            curl_easy_setopt(handle, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
            curl_easy_setopt(handle, CURLOPT_COPYPOSTFIELDS, body.data());
        }
        if (method_ != "GET" && method_ != "POST" && method_ != "HEAD")
            curl_easy_setopt(handle, CURLOPT_CUSTOMREQUEST, method_.c_str());
        else if (method_ == "GET" && has_body)
            curl_easy_setopt(handle, CURLOPT_CUSTOMREQUEST, "GET");
    }

    // The caller's lines in their order; curl's own form Content-Type for a body
    // and its Expect line are left out unless the caller set them.
    CurlList header_list(const std::vector<std::string>& lines, bool own_defaults) {
        curl_slist* list = nullptr;
        bool content_type = false, expect = false;
        for (const std::string& line : lines) {
            list = curl_slist_append(list, line.c_str());
            content_type = content_type || same_name(line, "Content-Type");
            expect = expect || same_name(line, "Expect");
        }
        if (own_defaults && !content_type) list = curl_slist_append(list, "Content-Type:");
        if (own_defaults && !expect) list = curl_slist_append(list, "Expect:");
        return CurlList(list);
    }

    void apply_connection(CURL* handle) {
        long long connect_ms =
            connect_ms_ > 0 ? static_cast<long long>(connect_ms_) + (resolve_ms_ > 0 ? resolve_ms_ : 0) : 0;
        curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(connect_ms));
        if (proxy_setting_ == proxy_setting_named && !proxy_.empty())
            curl_easy_setopt(handle, CURLOPT_PROXY, proxy_.c_str());
        else if (proxy_setting_ == proxy_setting_direct)
            curl_easy_setopt(handle, CURLOPT_PROXY, "");
        curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, follow_redirects_ ? 1L : 0L);
        curl_easy_setopt(handle, CURLOPT_MAXREDIRS, redirect_limit);
        // Only the two checks curl can switch off one by one are ever relaxed.
        if (ignored_certificate_errors_ & ignore_unknown_authority)
            curl_easy_setopt(handle, CURLOPT_SSL_VERIFYPEER, 0L);
        if (ignored_certificate_errors_ & ignore_name_mismatch) curl_easy_setopt(handle, CURLOPT_SSL_VERIFYHOST, 0L);
        if (server_user_) {
            curl_easy_setopt(handle, CURLOPT_USERNAME, server_user_->user.c_str());
            curl_easy_setopt(handle, CURLOPT_PASSWORD, server_user_->password.c_str());
            curl_easy_setopt(handle, CURLOPT_HTTPAUTH, CURLAUTH_ANY);
        }
        if (proxy_user_) {
            curl_easy_setopt(handle, CURLOPT_PROXYUSERNAME, proxy_user_->user.c_str());
            curl_easy_setopt(handle, CURLOPT_PROXYPASSWORD, proxy_user_->password.c_str());
            curl_easy_setopt(handle, CURLOPT_PROXYAUTH, CURLAUTH_ANY);
        }
    }

    void perform(const std::string& body) {
        clear_response();
        if (!opened_) return;
        opened_ = false;  // one Send per Open
        CurlEasy handle = curl_easy_make();
        if (!handle) return;
        CURL* h = handle.get();
        curl_apply_common_settings(h);
        curl_easy_setopt(h, CURLOPT_URL, url_.c_str());
        curl_easy_setopt(h, CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_1);
        apply_method(h, body);
        apply_connection(h);
        CurlList server_headers = header_list(server_headers_, true);
        CurlList proxy_headers = header_list(proxy_headers_, false);
        curl_easy_setopt(h, CURLOPT_HEADEROPT, CURLHEADER_SEPARATE);
        curl_easy_setopt(h, CURLOPT_HTTPHEADER, server_headers.get());
        curl_easy_setopt(h, CURLOPT_PROXYHEADER, proxy_headers.get());

        Transfer transfer{this, h, Clock::now(), 0, 0, {}};
        curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, on_body);
        curl_easy_setopt(h, CURLOPT_WRITEDATA, &transfer);
        curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, on_header);
        curl_easy_setopt(h, CURLOPT_HEADERDATA, &transfer);
        curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, on_progress);
        curl_easy_setopt(h, CURLOPT_XFERINFODATA, &transfer);
        curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);

        if (curl_easy_perform(h) != CURLE_OK) {
            clear_response();
            return;
        }
        long status = 0;
        curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
        status_ = status;
        std::string headers;
        for (const std::string& line : transfer.header_lines) headers += line + "\r\n";
        response_headers_ = Text(headers);
    }

    int resolve_ms_ = default_resolve_ms;
    int connect_ms_ = default_connect_ms;
    int send_ms_ = default_send_ms;
    int receive_ms_ = default_receive_ms;
    int proxy_setting_ = 0;
    Text proxy_;
    bool follow_redirects_ = true;
    int ignored_certificate_errors_ = 0;

    std::string method_;
    std::string url_;
    bool opened_ = false;
    std::vector<std::string> server_headers_;
    std::vector<std::string> proxy_headers_;
    std::optional<Credentials> server_user_;
    std::optional<Credentials> proxy_user_;

    ByteArray body_;
    Text response_headers_;
    long status_ = 0;
};

// libcurl needs no per-call set-up; the library is initialised once per process.
class CurlRequestPlatform : public RequestPlatform {
public:
    void initialise_library() override {}
    void release_library() override {}
    std::shared_ptr<RequestObject> create_object() override { return std::make_shared<CurlRequestObject>(); }
};

}  // namespace

std::unique_ptr<RequestPlatform> make_request_platform() { return std::make_unique<CurlRequestPlatform>(); }
