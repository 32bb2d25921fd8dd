// Reads a JSON document into a value tree with the values JavaScript would give:
// strings keep lone surrogates from \u escapes, numbers too large for a double
// become Infinity (too small ones 0), and a repeated member name keeps its first
// position with the last value. The reader does not recurse, so no input can
// exhaust the stack; nesting deeper than json_max_depth is refused.
#pragma once

#include <string_view>

#include "json/json_value.h"

// Parses the whole text as one JSON value, allowing JavaScript white space
// around tokens. False on a syntax error or too deep nesting; out is then left
// undefined.
bool parse_json(std::u16string_view text, JsonValue& out);

// True when text holds nothing but the white space parse_json skips.
bool is_json_blank(std::u16string_view text);
