#include "net/request_object_win.h"

#include <optional>

namespace {

const Text winhttp_progid = "WinHttp.WinHttpRequest.5.1";

struct Timeouts {
    int resolve_ms, connect_ms, send_ms, receive_ms;
};

struct ProxySetting {
    int setting;
    Text proxy;
};

// Each operation is the automation member of the same name. A failed call is
// silent, and a failed read gives the empty value (automation access guarantees it).
class WinHttpRequestObject : public RequestObject {
public:
    explicit WinHttpRequestObject(const AutomationObject& object) { object_copy(object_, object); }

    void set_timeouts(int resolve_ms, int connect_ms, int send_ms, int receive_ms) override {
        timeouts_ = Timeouts{resolve_ms, connect_ms, send_ms, receive_ms};
        apply_timeouts();
    }
    void set_proxy(int setting, const Text& proxy) override {
        proxy_ = ProxySetting{setting, proxy};
        apply_proxy();
    }
    // Some implementations of the object (wine's) put the time-outs and the proxy back
    // to their defaults when a request is opened, so both are set again after Open.
    // Setting the same values twice changes nothing where they are kept.
    void open(const Text& method, const Text& url, bool asynchronous) override {
        object_call(object_, "Open", {method, url, asynchronous});
        apply_timeouts();
        apply_proxy();
    }
    void set_option(int index, int value) override { object_set(object_, "Option", index, value); }
    void set_credentials(const Text& user, const Text& password, int target) override {
        object_call(object_, "SetCredentials", {user, password, target});
    }
    void set_request_header(const Text& name, const Text& value) override {
        object_call(object_, "SetRequestHeader", {name, value});
    }
    void send_bytes(const ByteArray& body) override {
        Variant bytes;
        variant_from_bytes(bytes, body);
        object_call(object_, "Send", {bytes});
    }
    void send_text(const Text& body) override { object_call(object_, "Send", {body}); }
    ByteArray response_body() override { return variant_to_bytes(object_get_variant(object_, "ResponseBody")); }
    Text all_response_headers() override { return object_call_text(object_, "GetAllResponseHeaders"); }
    double status() override { return object_get_real(object_, "Status"); }

private:
    void apply_timeouts() {
        if (!timeouts_) return;
        object_call(object_, "SetTimeouts",
                    {timeouts_->resolve_ms, timeouts_->connect_ms, timeouts_->send_ms, timeouts_->receive_ms});
    }
    void apply_proxy() {
        if (proxy_) object_call(object_, "SetProxy", {proxy_->setting, proxy_->proxy});
    }

    AutomationObject object_;
    std::optional<Timeouts> timeouts_;
    std::optional<ProxySetting> proxy_;
};

// COM is initialised per web_request call on the calling thread.
class WinHttpPlatform : public RequestPlatform {
public:
    void initialise_library() override { com_.emplace(); }
    void release_library() override { com_.reset(); }
    std::shared_ptr<RequestObject> create_object() override {
        AutomationObject object;
        if (!object_create(object, winhttp_progid)) return nullptr;
        return std::make_shared<WinHttpRequestObject>(object);
    }

private:
    std::optional<ScopedCom> com_;
};

}  // namespace

std::shared_ptr<RequestObject> winhttp_request_object(const AutomationObject& object) {
    return std::make_shared<WinHttpRequestObject>(object);
}

std::unique_ptr<RequestPlatform> make_request_platform() { return std::make_unique<WinHttpPlatform>(); }
