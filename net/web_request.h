// One synchronous HTTP or HTTPS request through the platform's request object.
//
// Usage: web_request({.url = address, .headers = "User-Agent: ..."}) returns the body.
// The fields follow the routine's parameters in order. An unset std::optional is an
// omitted parameter (which for some differs from a supplied empty one); an output is
// written only through a non-null pointer. No field throws or reports an error: a
// request that gets no response returns an empty body and a status of 0.
#pragma once

#include <memory>
#include <optional>

#include "base/types.h"

class RequestObject;
class RequestPlatform;

struct WebRequest {
    Text url = Text();
    // Index into GET, POST, HEAD, PUT, OPTIONS, DELETE, TRACE, CONNECT; out of range is GET.
    std::optional<int> method = std::nullopt;
    // Sent when body_bytes is empty.
    std::optional<Text> body_text = std::nullopt;
    // In and out. Supplied (even empty): sent as the Cookie header, and, when merging,
    // replaced by the merged cookie text. Null: no Cookie header and no merge.
    Text* cookies = nullptr;
    // Out: the cookies the response set, or the merged text.
    Text* received_cookies = nullptr;
    // Request header lines separated by CR LF.
    std::optional<Text> headers = std::nullopt;
    // Out: every response header line as the request object reports them.
    Text* response_headers = nullptr;
    // Out: the HTTP status, 0 when there was no response.
    int* status_code = nullptr;
    std::optional<bool> no_redirect = std::nullopt;
    // Takes precedence over body_text when it holds at least one byte.
    std::optional<ByteArray> body_bytes = std::nullopt;
    std::optional<Text> proxy = std::nullopt;
    // For all four phases; -1 keeps the object's own, 0 or less means 15 seconds.
    std::optional<int> timeout_seconds = std::nullopt;
    std::optional<Text> proxy_user = std::nullopt;
    std::optional<Text> proxy_password = std::nullopt;
    // Whom the credentials answer: 0 the server, 1 (default) the proxy.
    std::optional<int> credential_target = std::nullopt;
    // An object the caller keeps across calls; the routine holds its own reference
    // while it runs. A supplied null behaves like an object whose every call fails.
    std::optional<std::shared_ptr<RequestObject>> request_object = std::nullopt;
    std::optional<bool> merge_cookies = std::nullopt;        // default true
    std::optional<bool> add_default_headers = std::nullopt;  // default true
    std::optional<bool> normalise_headers = std::nullopt;    // default true
};

// Through the platform's own request objects.
ByteArray web_request(const WebRequest& request);

// Through the given platform; the tests pass a recording fake.
ByteArray web_request(const WebRequest& request, RequestPlatform& platform);

// RFC 4648 Base64 without line breaks; the encoding of Basic credentials.
Text base64_encode(const ByteArray& bytes);
