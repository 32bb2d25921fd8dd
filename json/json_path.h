// Member-access paths over a value tree: the root's name followed by dotted
// member names and bracketed decimal indexes, as in da.a.b[1].c. Reading and
// assigning follow JavaScript: a step on a missing member gives undefined, a
// step through null or undefined is an error, and primitives have no members.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "json/json_value.h"

struct PathStep {
    // A member name, or for an index the decimal digits without leading zeros
    // (an object's member "1" is what a[1] and a[01] reach).
    std::u16string name;
    bool is_index = false;
    std::uint64_t index = 0;  // saturates: no array is that long anyway
};

// Splits an expression that starts with root ("da", "da.msg", "da[0].b") into
// its steps; nullopt when it does not start with root or is not a path.
std::optional<std::vector<PathStep>> parse_path(std::u16string_view expression, std::u16string_view root);

struct Lookup {
    bool failed = false;               // a step went through null or undefined
    const JsonValue* value = nullptr;  // null when the result is undefined
};

Lookup look_up(const JsonValue& root, const std::vector<PathStep>& steps);

// Longest an assignment may make an array by writing past its end; the gap is
// filled with undefined. It keeps one assignment from taking unbounded memory.
constexpr std::uint64_t json_max_array_length = 1u << 24;

// Assigns value at the path, as JavaScript's "path = value" would. False, and
// nothing changed, when a step goes through null or undefined, the target's
// parent is a primitive, an array is given a member name or a too large index,
// or the result would be nested deeper than json_max_depth.
bool assign(JsonValue& root, const std::vector<PathStep>& steps, JsonValue value);

// The value at the path for changing in place, or null when there is none.
JsonValue* find_mutable(JsonValue& root, const std::vector<PathStep>& steps);
