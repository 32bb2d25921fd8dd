#include "net/web_request.h"

#include <cstdint>
#include <limits>

#include "base/text.h"
#include "net/cookies.h"
#include "net/headers.h"
#include "net/request_object.h"

namespace {

const char* const method_names[] = {"GET", "POST", "HEAD", "PUT", "OPTIONS", "DELETE", "TRACE", "CONNECT"};
const int default_timeout_ms = 15000;
const int keep_object_timeouts = -1;
const int named_proxy = 2;
const int option_follow_redirects = 6;
const int credentials_for_proxy = 1;

// Stands in for a supplied request object that holds nothing: every call fails.
class EmptyRequestObject : public RequestObject {
public:
    void set_timeouts(int, int, int, int) override {}
    void set_proxy(int, const Text&) override {}
    void open(const Text&, const Text&, bool) override {}
    void set_option(int, int) override {}
    void set_credentials(const Text&, const Text&, int) override {}
    void set_request_header(const Text&, const Text&) override {}
    void send_bytes(const ByteArray&) override {}
    void send_text(const Text&) override {}
    ByteArray response_body() override { return {}; }
    Text all_response_headers() override { return Text(); }
    double status() override { return 0; }
};

// Holds the platform's component library for one call; declared before the request
// object so that the object is let go first.
class LibraryScope {
public:
    explicit LibraryScope(RequestPlatform& platform) : platform_(platform) { platform_.initialise_library(); }
    ~LibraryScope() { platform_.release_library(); }
    LibraryScope(const LibraryScope&) = delete;
    LibraryScope& operator=(const LibraryScope&) = delete;

private:
    RequestPlatform& platform_;
};

// Seconds to the object's millisecond count. A count beyond the 32-bit range is held
// at its largest value rather than wrapped round to a negative number.
int timeout_ms(int seconds) {
    if (seconds < 1) return default_timeout_ms;
    std::int64_t ms = real_to_integer(seconds * 1000.0);
    return ms > std::numeric_limits<int>::max() ? std::numeric_limits<int>::max() : static_cast<int>(ms);
}

void set_proxy_credentials(RequestObject& object, const Text& proxy, const Text& user, const Text& password,
                           int target) {
    if (proxy.empty() || user.empty()) return;
    object.set_credentials(user, password, target);
    if (target != credentials_for_proxy) return;
    // Sent up front so that the proxy need not challenge first.
    Text credentials = base64_encode(to_bytes(text_concat(user, ":", password)));
    object.set_request_header("Proxy-Authorization", text_concat("Basic ", credentials));
}

}  // namespace

ByteArray web_request(const WebRequest& request) {
    std::unique_ptr<RequestPlatform> platform = make_request_platform();
    return web_request(request, *platform);
}

ByteArray web_request(const WebRequest& request, RequestPlatform& platform) {
    LibraryScope library(platform);
    int method = request.method.value_or(0);
    if (method < 0 || method > 7) method = 0;

    std::shared_ptr<RequestObject> object;
    if (request.request_object) {
        object = *request.request_object;
        if (!object) object = std::make_shared<EmptyRequestObject>();
    } else {
        object = platform.create_object();
        if (!object) return {};
    }

    int timeout_seconds = request.timeout_seconds.value_or(0);
    if (timeout_seconds != keep_object_timeouts) {
        int ms = timeout_ms(timeout_seconds);
        object->set_timeouts(ms, ms, ms, ms);
    }
    const Text proxy = request.proxy.value_or(Text());
    if (!proxy.empty()) object->set_proxy(named_proxy, proxy);
    object->open(method_names[method], request.url, false);
    if (request.no_redirect.value_or(false)) object->set_option(option_follow_redirects, 0);
    // Certificate errors are deliberately not switched off: the answer decides which
    // file is fetched and written to disk, so it must come from the real server.

    Text headers = request.headers.value_or(Text());
    if (request.add_default_headers.value_or(true)) headers = append_default_headers(headers, method, request.url);
    if (request.normalise_headers.value_or(true)) headers = normalise_header_text(headers);
    set_proxy_credentials(*object, proxy, request.proxy_user.value_or(Text()), request.proxy_password.value_or(Text()),
                          request.credential_target.value_or(1));
    if (request.cookies) {
        prepare_cookie_text(*request.cookies);
        object->set_request_header("Cookie", *request.cookies);
    }
    apply_request_headers(headers, *object);

    const ByteArray body_bytes = request.body_bytes.value_or(ByteArray());
    if (!body_bytes.empty())
        object->send_bytes(body_bytes);
    else
        object->send_text(request.body_text.value_or(Text()));

    ByteArray body = object->response_body();
    Text response_headers = object->all_response_headers();
    int status = static_cast<int>(real_to_integer(object->status()));
    Text received = collect_received_cookies(response_headers);
    if (request.cookies && request.merge_cookies.value_or(true))
        received = merge_cookie_text(*request.cookies, received);

    if (request.response_headers) *request.response_headers = response_headers;
    if (request.status_code) *request.status_code = status;
    if (request.received_cookies) *request.received_cookies = received;
    return body;
}

Text base64_encode(const ByteArray& bytes) {
    static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        std::size_t left = bytes.size() - i;
        std::uint32_t group = static_cast<std::uint32_t>(bytes[i]) << 16;
        if (left > 1) group |= static_cast<std::uint32_t>(bytes[i + 1]) << 8;
        if (left > 2) group |= bytes[i + 2];
        out += alphabet[(group >> 18) & 63];
        out += alphabet[(group >> 12) & 63];
        out += left > 1 ? alphabet[(group >> 6) & 63] : '=';
        out += left > 2 ? alphabet[group & 63] : '=';
    }
    return Text(out);
}
