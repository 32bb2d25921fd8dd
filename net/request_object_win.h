// The WinHTTP request object (WinHttp.WinHttpRequest.5.1) behind the RequestObject
// interface, for a caller that holds such an object and wants web_request to reuse it.
#pragma once

#include <memory>

#include "base/automation_win.h"
#include "net/request_object.h"

// Shares the caller's object; an empty holder gives an object whose calls all fail.
std::shared_ptr<RequestObject> winhttp_request_object(const AutomationObject& object);
