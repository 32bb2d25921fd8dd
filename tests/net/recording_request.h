// A request object and platform that record every call, in order, as one log of
// readable lines, and answer with a canned response.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "base/types.h"
#include "net/request_object.h"

using CallLog = std::vector<std::string>;

struct CannedResponse {
    ByteArray body;
    Text headers;
    double status = 0;
};

class RecordingRequestObject : public RequestObject {
public:
    RecordingRequestObject(CallLog& log, CannedResponse response) : log_(log), response_(std::move(response)) {}
    ~RecordingRequestObject() override { log_.push_back("object released"); }

    bool set_timeouts(int resolve_ms, int connect_ms, int send_ms, int receive_ms) override {
        return record("SetTimeouts(" + std::to_string(resolve_ms) + ", " + std::to_string(connect_ms) + ", " +
                      std::to_string(send_ms) + ", " + std::to_string(receive_ms) + ")");
    }
    bool set_proxy(int setting, const Text& proxy) override {
        return record("SetProxy(" + std::to_string(setting) + ", " + proxy.bytes() + ")");
    }
    bool open(const Text& method, const Text& url, bool asynchronous) override {
        return record("Open(" + method.bytes() + ", " + url.bytes() + ", " + (asynchronous ? "true" : "false") + ")");
    }
    bool set_option(int index, int value) override {
        return record("Option(" + std::to_string(index) + ") = " + std::to_string(value));
    }
    bool set_credentials(const Text& user, const Text& password, int target) override {
        return record("SetCredentials(" + user.bytes() + ", " + password.bytes() + ", " + std::to_string(target) + ")");
    }
    // Like the real object, refuses a header without a name.
    bool set_request_header(const Text& name, const Text& value) override {
        record("SetRequestHeader(" + name.bytes() + ", " + value.bytes() + ")");
        return !name.empty();
    }
    bool send_bytes(const ByteArray& body) override {
        return record("Send(bytes " + std::string(body.begin(), body.end()) + ")");
    }
    bool send_text(const Text& body) override { return record("Send(text " + body.bytes() + ")"); }
    ByteArray response_body() override {
        record("ResponseBody");
        return response_.body;
    }
    Text all_response_headers() override {
        record("GetAllResponseHeaders");
        return response_.headers;
    }
    double status() override {
        record("Status");
        return response_.status;
    }

private:
    bool record(std::string line) {
        log_.push_back(std::move(line));
        return true;
    }

    CallLog& log_;
    CannedResponse response_;
};

class RecordingPlatform : public RequestPlatform {
public:
    explicit RecordingPlatform(CannedResponse response = {}, bool can_create = true)
        : response_(std::move(response)), can_create_(can_create) {}

    void initialise_library() override { log.push_back("CoInitialize"); }
    void release_library() override { log.push_back("CoUninitialize"); }
    std::shared_ptr<RequestObject> create_object() override {
        log.push_back("create WinHttp.WinHttpRequest.5.1");
        if (!can_create_) return nullptr;
        return std::make_shared<RecordingRequestObject>(log, response_);
    }

    CallLog log;

private:
    CannedResponse response_;
    bool can_create_;
};
