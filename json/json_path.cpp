#include "json/json_path.h"

#include <limits>

namespace {

bool is_name_character(char16_t c) { return c != u'.' && c != u'[' && c != u']'; }

std::optional<PathStep> parse_index(std::u16string_view digits) {
    if (digits.empty()) return std::nullopt;
    PathStep step;
    step.is_index = true;
    for (char16_t c : digits) {
        if (c < u'0' || c > u'9') return std::nullopt;
        if (step.name.empty() && c == u'0') continue;
        step.name.push_back(c);
        auto digit = static_cast<std::uint64_t>(c - u'0');
        constexpr auto most = std::numeric_limits<std::uint64_t>::max();
        step.index = step.index > (most - digit) / 10 ? most : step.index * 10 + digit;
    }
    if (step.name.empty()) step.name.push_back(u'0');
    return step;
}

// One step from value. failed is set when value is null or undefined.
template <typename Value>
Value* step_into(Value& value, const PathStep& step, bool& failed) {
    switch (value.kind()) {
        case JsonKind::undefined:
        case JsonKind::null:
            failed = true;
            return nullptr;
        case JsonKind::object:
            return value.as_object().find(step.name);
        case JsonKind::array:
            if (!step.is_index || step.index >= value.as_array().size()) return nullptr;
            return &value.as_array()[static_cast<std::size_t>(step.index)];
        default:
            return nullptr;
    }
}

// Walks the steps; Value is const for reading and not for changing in place.
template <typename Value>
Value* walk(Value& root, const std::vector<PathStep>& steps, bool& failed) {
    Value* value = &root;
    for (const PathStep& step : steps) {
        if (!value) {
            failed = true;  // a step below an undefined member
            return nullptr;
        }
        value = step_into(*value, step, failed);
        if (failed) return nullptr;
    }
    return value;
}

}  // namespace

std::optional<std::vector<PathStep>> parse_path(std::u16string_view expression, std::u16string_view root) {
    if (expression.substr(0, root.size()) != root) return std::nullopt;
    std::vector<PathStep> steps;
    std::size_t at = root.size();
    while (at < expression.size()) {
        char16_t c = expression[at++];
        std::size_t end = at;
        if (c == u'.') {
            while (end < expression.size() && is_name_character(expression[end])) ++end;
            if (end == at) return std::nullopt;
            steps.push_back({std::u16string(expression.substr(at, end - at)), false, 0});
            at = end;
        } else if (c == u'[') {
            end = expression.find(u']', at);
            if (end == std::u16string_view::npos) return std::nullopt;
            auto step = parse_index(expression.substr(at, end - at));
            if (!step) return std::nullopt;
            steps.push_back(std::move(*step));
            at = end + 1;
        } else {
            return std::nullopt;
        }
    }
    return steps;
}

Lookup look_up(const JsonValue& root, const std::vector<PathStep>& steps) {
    Lookup result;
    result.value = walk(root, steps, result.failed);
    return result;
}

JsonValue* find_mutable(JsonValue& root, const std::vector<PathStep>& steps) {
    bool failed = false;
    return walk(root, steps, failed);
}

bool assign(JsonValue& root, const std::vector<PathStep>& steps, JsonValue value) {
    if (static_cast<std::size_t>(value.depth()) + steps.size() > static_cast<std::size_t>(json_max_depth)) return false;
    if (steps.empty()) {
        root = std::move(value);
        return true;
    }
    std::vector<PathStep> parent_steps(steps.begin(), steps.end() - 1);
    JsonValue* parent = find_mutable(root, parent_steps);
    if (!parent) return false;
    const PathStep& last = steps.back();
    if (parent->kind() == JsonKind::object) {
        parent->as_object().set(last.name, std::move(value));
        return true;
    }
    if (parent->kind() != JsonKind::array || !last.is_index || last.index >= json_max_array_length) return false;
    JsonArray& elements = parent->as_array();
    if (last.index >= elements.size()) elements.resize(static_cast<std::size_t>(last.index) + 1);
    elements[static_cast<std::size_t>(last.index)] = std::move(value);
    return true;
}
