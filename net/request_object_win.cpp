#include "net/request_object_win.h"

#include <limits>
#include <optional>

namespace {

const Text winhttp_progid = "WinHttp.WinHttpRequest.5.1";
// The object's own receive time-out when none was set.
const int object_default_receive_ms = 30000;

struct Timeouts {
    int resolve_ms, connect_ms, send_ms, receive_ms;
};

struct ProxySetting {
    int setting;
    Text proxy;
};

// Each operation is the automation member of the same name. A failed call is
// silent, and a failed read gives the empty value (automation access guarantees it).
//
// A request is opened asynchronously and Send is followed by a bounded wait,
// although the caller asks for a synchronous request and sees one: some
// implementations of the object (wine's) wait for a server's response headers
// past the receive time-out, so a server that accepts the request and never
// answers would block the caller, the user-interface thread, for ever. The wait
// ends when the receive time-out has passed without the whole response, and the
// request is then aborted: it ends as any timed-out request does, with no
// response.
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
        caller_waits_ = !asynchronous;
        object_call(object_, "Open", {method, url, true});
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
        wait_for_response();
    }
    void send_text(const Text& body) override {
        object_call(object_, "Send", {body});
        wait_for_response();
    }
    ByteArray response_body() override { return variant_to_bytes(object_get_variant(object_, "ResponseBody")); }
    Text all_response_headers() override { return object_call_text(object_, "GetAllResponseHeaders"); }
    double status() override { return object_get_real(object_, "Status"); }

private:
    // Waits for the whole response for at most the receive time-out, in whole
    // seconds rounded up (a time-out of 0 or less is none, as for the object
    // itself); aborts the request when it has not arrived by then.
    void wait_for_response() {
        if (!caller_waits_) return;
        long long ms = timeouts_ ? timeouts_->receive_ms : object_default_receive_ms;
        long long seconds = ms <= 0 ? -1 : (ms + 999) / 1000;
        if (seconds > std::numeric_limits<int>::max()) seconds = std::numeric_limits<int>::max();
        if (!object_call_logical(object_, "WaitForResponse", {static_cast<int>(seconds)}))
            object_call(object_, "Abort");
    }

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
    bool caller_waits_ = true;
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
