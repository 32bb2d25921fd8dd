// The value tree behind JsonObject. It models the JavaScript values a parsed
// document can hold: strings are UTF-16 code units (lone surrogates included),
// numbers are doubles, objects keep their members in insertion order, and there
// is an undefined value for members assigned nothing and for array holes.
#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <variant>
#include <vector>

// Deepest nesting of arrays and objects a document may have. Parsing refuses
// deeper input and assignments refuse to build deeper trees, so every walk over
// a tree (printing, copying, destroying) recurses at most this far.
constexpr int json_max_depth = 512;

enum class JsonKind { undefined, null, boolean, number, string, array, object };

class JsonValue;
using JsonArray = std::vector<JsonValue>;
class JsonMembers;

class JsonValue {
public:
    JsonValue() = default;
    static JsonValue null();
    static JsonValue boolean(bool b);
    static JsonValue number(double d);
    static JsonValue string(std::u16string s);
    static JsonValue array(JsonArray elements = {});
    static JsonValue object();

    JsonValue(JsonValue&&) noexcept;
    JsonValue& operator=(JsonValue&&) noexcept;
    ~JsonValue();

    JsonKind kind() const { return static_cast<JsonKind>(data_.index()); }
    bool is_nullish() const { return kind() == JsonKind::undefined || kind() == JsonKind::null; }
    bool as_boolean() const { return std::get<bool>(data_); }
    double as_number() const { return std::get<double>(data_); }
    const std::u16string& as_string() const { return *std::get<4>(data_); }
    JsonArray& as_array() { return *std::get<5>(data_); }
    const JsonArray& as_array() const { return *std::get<5>(data_); }
    JsonMembers& as_object() { return *std::get<6>(data_); }
    const JsonMembers& as_object() const { return *std::get<6>(data_); }

    // Deep copy; explicit because copies of large documents should be visible.
    JsonValue clone() const;
    // Nesting of arrays and objects: 0 for a scalar, 1 for [] or {}, 2 for [[]].
    int depth() const;

private:
    struct Undefined {};
    // Payloads sit behind pointers so that a value is two words: large arrays
    // of small values stay small.
    std::variant<Undefined, std::nullptr_t, bool, double, std::unique_ptr<std::u16string>, std::unique_ptr<JsonArray>,
                 std::unique_ptr<JsonMembers>>
        data_;
};

// An object's members in insertion order. A name that is set again keeps its
// first position and takes the new value, as in JavaScript. Large objects get a
// name index so that parsing many members stays O(n log n).
class JsonMembers {
public:
    using Member = std::pair<std::u16string, JsonValue>;

    const std::vector<Member>& members() const { return members_; }
    std::size_t size() const { return members_.size(); }
    JsonValue* find(std::u16string_view name);
    const JsonValue* find(std::u16string_view name) const;
    // Sets name to value, appending the name when it is new.
    void set(std::u16string name, JsonValue value);

private:
    static constexpr std::size_t index_threshold = 16;
    std::ptrdiff_t position(std::u16string_view name) const;

    std::vector<Member> members_;
    std::map<std::u16string, std::size_t, std::less<>> index_;
};
