// The HTTP request object that web_request drives, as a small interface.
//
// On Windows it is the platform's WinHttp.WinHttpRequest.5.1 automation object; the
// tests put a recording fake in its place. Every operation may fail silently (an
// unreachable host, a time-out, a refused header): web_request goes on with its next
// step regardless, and a failed read gives the empty value.
#pragma once

#include <memory>

#include "base/types.h"

class RequestObject {
public:
    virtual ~RequestObject() = default;

    // Resolve, connect, send and receive time-outs in milliseconds.
    virtual void set_timeouts(int resolve_ms, int connect_ms, int send_ms, int receive_ms) = 0;
    // Setting kind 2 names a proxy server that every request goes through.
    virtual void set_proxy(int setting, const Text& proxy) = 0;
    virtual void open(const Text& method, const Text& url, bool asynchronous) = 0;
    // Writes the indexed Option property (6: follow redirects).
    virtual void set_option(int index, int value) = 0;
    // Target 0 answers the server's authentication challenges, 1 the proxy's.
    virtual void set_credentials(const Text& user, const Text& password, int target) = 0;
    // The object refuses a header whose name is empty or that it finds invalid.
    virtual void set_request_header(const Text& name, const Text& value) = 0;
    // Sends the request and waits for the whole response or a time-out.
    virtual void send_bytes(const ByteArray& body) = 0;
    virtual void send_text(const Text& body) = 0;
    virtual ByteArray response_body() = 0;
    // Every response header line, each ending in CR LF.
    virtual Text all_response_headers() = 0;
    virtual double status() = 0;
};

// Where web_request gets its request object, and the per-call set-up around it
// (on Windows the thread's component library, initialised before the object is made
// or adopted and released after it is let go).
class RequestPlatform {
public:
    virtual ~RequestPlatform() = default;
    virtual void initialise_library() = 0;
    virtual void release_library() = 0;
    // A new request object, or null when none can be made.
    virtual std::shared_ptr<RequestObject> create_object() = 0;
};

// The platform's own request objects (WinHTTP on Windows).
std::unique_ptr<RequestPlatform> make_request_platform();
