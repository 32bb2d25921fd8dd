// Request header handling: the default header set, header-name normalisation and
// handing header lines to the request object. A header text is lines of the form
// name ":" value separated by CR LF.
#pragma once

#include "base/types.h"

class RequestObject;

// Appends, each after a CR LF, the default lines whose names the text lacks anywhere
// (ASCII case ignored): Accept, Referer (the url), Accept-Language, User-Agent, and
// the form Content-Type for method index 1 (POST).
Text append_default_headers(const Text& headers, int method, const Text& url);

// Capitalises the first letter of each dash-separated part of every header name and
// drops lines without a colon. Values and everything else stay byte for byte.
Text normalise_header_text(const Text& headers);

// The first byte upper-cased when it is an ASCII letter, the rest unchanged.
Text capitalise_first(const Text& t);

// The trimmed text before / after the first colon; empty when there is no colon.
Text header_name(const Text& line);
Text header_value(const Text& line);

// Sets every header line on the object, in order. A multi-line text skips empty lines
// and the exact pair "Connection: keep-alive"; a single line is always handed over.
void apply_request_headers(const Text& headers, RequestObject& object);
