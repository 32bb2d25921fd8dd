// The native build has no HTTP request object yet: every request ends as one whose
// object cannot be made (empty body, outputs untouched).
#include "net/request_object.h"

namespace {

class NoRequestPlatform : public RequestPlatform {
public:
    void initialise_library() override {}
    void release_library() override {}
    std::shared_ptr<RequestObject> create_object() override { return nullptr; }
};

}  // namespace

std::unique_ptr<RequestPlatform> make_request_platform() { return std::make_unique<NoRequestPlatform>(); }
