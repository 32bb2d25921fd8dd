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

    void set_timeouts(int resolve_ms, int connect_ms, int send_ms, int receive_ms) override {
        record("SetTimeouts(" + std::to_string(resolve_ms) + ", " + std::to_string(connect_ms) + ", " +
               std::to_string(send_ms) + ", " + std::to_string(receive_ms) + ")");
    }
    void set_proxy(int setting, const Text& proxy) override {
        record("SetProxy(" + std::to_string(setting) + ", " + proxy.bytes() + ")");
    }
    void open(const Text& method, const Text& url, bool asynchronous) override {
        record("Open(" + method.bytes() + ", " + url.bytes() + ", " + (asynchronous ? "true" : "false") + ")");
    }
    void set_option(int index, int value) override {
        record("Option(" + std::to_string(index) + ") = " + std::to_string(value));
    }
    void set_credentials(const Text& user, const Text& password, int target) override {
        record("SetCredentials(" + user.bytes() + ", " + password.bytes() + ", " + std::to_string(target) + ")");
    }
    void set_request_header(const Text& name, const Text& value) override {
        record("SetRequestHeader(" + name.bytes() + ", " + value.bytes() + ")");
    }
    void send_bytes(const ByteArray& body) override {
        record("Send(bytes " + std::string(body.begin(), body.end()) + ")");
    }
    void send_text(const Text& body) override { record("Send(text " + body.bytes() + ")"); }
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
    void record(std::string line) { log_.push_back(std::move(line)); }

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
