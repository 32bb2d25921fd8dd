#include "json/json_value.h"

#include <algorithm>

JsonValue JsonValue::null() {
    JsonValue v;
    v.data_ = nullptr;
    return v;
}

JsonValue JsonValue::boolean(bool b) {
    JsonValue v;
    v.data_ = b;
    return v;
}

JsonValue JsonValue::number(double d) {
    JsonValue v;
    v.data_ = d;
    return v;
}

JsonValue JsonValue::string(std::u16string s) {
    JsonValue v;
    v.data_ = std::make_unique<std::u16string>(std::move(s));
    return v;
}

JsonValue JsonValue::array(JsonArray elements) {
    JsonValue v;
    v.data_ = std::make_unique<JsonArray>(std::move(elements));
    return v;
}

JsonValue JsonValue::object() {
    JsonValue v;
    v.data_ = std::make_unique<JsonMembers>();
    return v;
}

JsonValue::JsonValue(JsonValue&&) noexcept = default;
JsonValue& JsonValue::operator=(JsonValue&&) noexcept = default;
JsonValue::~JsonValue() = default;

JsonValue JsonValue::clone() const {
    switch (kind()) {
        case JsonKind::undefined:
            return JsonValue();
        case JsonKind::null:
            return null();
        case JsonKind::boolean:
            return boolean(as_boolean());
        case JsonKind::number:
            return number(as_number());
        case JsonKind::string:
            return string(as_string());
        case JsonKind::array: {
            JsonArray copy;
            copy.reserve(as_array().size());
            for (const JsonValue& element : as_array()) copy.push_back(element.clone());
            return array(std::move(copy));
        }
        case JsonKind::object: {
            JsonValue copy = object();
            for (const auto& [name, value] : as_object().members()) copy.as_object().set(name, value.clone());
            return copy;
        }
    }
    return JsonValue();
}

int JsonValue::depth() const {
    int deepest = 0;
    if (kind() == JsonKind::array) {
        for (const JsonValue& element : as_array()) deepest = std::max(deepest, element.depth());
    } else if (kind() == JsonKind::object) {
        for (const auto& member : as_object().members()) deepest = std::max(deepest, member.second.depth());
    } else {
        return 0;
    }
    return deepest + 1;
}

std::ptrdiff_t JsonMembers::position(std::u16string_view name) const {
    if (!index_.empty()) {
        auto found = index_.find(name);
        return found == index_.end() ? -1 : static_cast<std::ptrdiff_t>(found->second);
    }
    for (std::size_t i = 0; i < members_.size(); ++i)
        if (members_[i].first == name) return static_cast<std::ptrdiff_t>(i);
    return -1;
}

JsonValue* JsonMembers::find(std::u16string_view name) {
    std::ptrdiff_t at = position(name);
    return at < 0 ? nullptr : &members_[static_cast<std::size_t>(at)].second;
}

const JsonValue* JsonMembers::find(std::u16string_view name) const {
    std::ptrdiff_t at = position(name);
    return at < 0 ? nullptr : &members_[static_cast<std::size_t>(at)].second;
}

void JsonMembers::set(std::u16string name, JsonValue value) {
    if (JsonValue* existing = find(name)) {
        *existing = std::move(value);
        return;
    }
    if (!index_.empty()) {
        index_.emplace(name, members_.size());
    } else if (members_.size() + 1 >= index_threshold) {
        for (std::size_t i = 0; i < members_.size(); ++i) index_.emplace(members_[i].first, i);
        index_.emplace(name, members_.size());
    }
    members_.emplace_back(std::move(name), std::move(value));
}
