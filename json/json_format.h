// Turns values back into text the way JavaScript does: the string form that
// value.toString() gives, and the compact JSON that the JSON.stringify of the
// widely used json2.js polyfill writes.
#pragma once

#include <string>

#include "json/json_value.h"

// Stored strings hold this character (U+2400) where the caller gave a
// backslash; every text the class hands out shows a backslash in its place.
constexpr char16_t json_backslash_marker = 0x2400;

// ECMAScript Number-to-String: shortest round-trip digits, plain notation from
// 1e-6 up to below 1e21, exponent notation beyond ("1e+21", "1.5e-7").
std::string number_to_string(double number);

// value.toString(): strings as they are, numbers as above, "true"/"false",
// arrays as their elements joined by commas (null and undefined elements empty,
// nested arrays flattened), objects as "[object Object]". Null and undefined
// have no string form: false, and nothing is appended.
bool append_string_form(const JsonValue& value, std::u16string& out);

// JSON.stringify(value) without spaces: members in order, undefined members left
// out, undefined array elements and non-finite numbers as null, the polyfill's
// escapes with lower-case hex digits, other characters as they are. The
// backslash marker is written as an escaped backslash, so the text reads back
// as the value. Undefined has no JSON form: false, and nothing is appended.
bool append_json(const JsonValue& value, std::u16string& out);
