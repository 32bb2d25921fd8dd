// Cookie handling: a cookie text is items "name=value" joined by "; ". Cookies are
// carried by name and value only; attributes such as path or expiry are dropped.
#pragma once

#include "base/types.h"

// Removes every "Cookie:" (any ASCII case) from the caller's text, in place, so the
// rest can be the value of the Cookie header. Nothing is trimmed.
void prepare_cookie_text(Text& cookies);

// The "name=value" parts of the response's Set-Cookie lines (name matched exactly),
// joined by "; " in the order of the lines.
Text collect_received_cookies(const Text& response_headers);

// Merges the received cookies into the caller's: the received items first, then the
// caller's items whose names the response did not set; "=deleted" items and exact
// duplicates go. Both texts are rewritten; the caller's ends up holding the result,
// and a copy of it is returned.
Text merge_cookie_text(Text& cookies, Text& received);

// The trimmed text before the first "=", or the whole trimmed item when it has none.
Text cookie_name(const Text& item);

// The pieces of the text between separators, each kept only at its first occurrence.
Text remove_duplicate_items(const Text& t, const Text& separator);
