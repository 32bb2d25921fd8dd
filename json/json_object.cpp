#include "json/json_object.h"

#include <algorithm>
#include <climits>
#include <optional>
#include <vector>

#include "base/codepage.h"
#include "base/text.h"
#include "json/json_format.h"
#include "json/json_parse.h"
#include "json/json_path.h"

namespace {

// The value of JavaScript's eval(text) where text is spliced into the call as
// an argument: any JSON value, except that a string is evaluated once more as
// a program. Inside it an array, number, string, true or false is that value,
// an object's text fails (a program that begins with a brace is a block), and
// blank text gives undefined, as eval() with nothing gives.
std::optional<JsonValue> evaluate_argument(std::u16string_view text) {
    if (is_json_blank(text)) return JsonValue();
    JsonValue value;
    if (!parse_json(text, value)) return std::nullopt;
    if (value.kind() != JsonKind::string) return value;
    std::u16string program = value.as_string();
    if (is_json_blank(program)) return JsonValue();
    JsonValue inner;
    if (!parse_json(program, inner) || inner.kind() == JsonKind::object) return std::nullopt;
    return inner;
}

// Merges source into target in place, as the script's merge function does: an
// array target gets source's elements appended; otherwise each member of source
// replaces a string, logical or missing counterpart, is merged into an object,
// array or null counterpart, and stops the whole merge at a number counterpart.
// False when the merge stopped; members handled before that stay changed.
bool extend(JsonValue& target, const JsonValue& source) {
    if (target.kind() == JsonKind::array) {
        if (source.is_nullish()) return false;  // reading the length of null fails
        if (source.kind() == JsonKind::array)
            for (const JsonValue& element : source.as_array()) target.as_array().push_back(element.clone());
        return true;
    }
    std::vector<std::pair<std::u16string, const JsonValue*>> members;
    if (source.kind() == JsonKind::object) {
        for (const auto& [name, value] : source.as_object().members()) members.emplace_back(name, &value);
    } else if (source.kind() == JsonKind::array) {
        for (std::size_t i = 0; i < source.as_array().size(); ++i) {
            std::string digits = std::to_string(i);
            members.emplace_back(std::u16string(digits.begin(), digits.end()), &source.as_array()[i]);
        }
    }
    for (const auto& [name, value] : members) {
        if (target.kind() != JsonKind::object) return false;  // a member of null
        JsonValue* counterpart = target.as_object().find(name);
        JsonKind kind = counterpart ? counterpart->kind() : JsonKind::undefined;
        switch (kind) {
            case JsonKind::undefined:
            case JsonKind::string:
            case JsonKind::boolean:
                target.as_object().set(name, value->clone());
                break;
            case JsonKind::number:
                return false;
            case JsonKind::null:
            case JsonKind::array:
            case JsonKind::object:
                if (!extend(*counterpart, *value)) return false;
                break;
        }
    }
    return true;
}

std::u16string with_backslashes(std::u16string s) {
    std::replace(s.begin(), s.end(), json_backslash_marker, u'\\');
    return s;
}

}  // namespace

struct JsonObject::Found {
    bool is_path = false;  // the expression parsed as a path from the root
    std::vector<PathStep> steps;
    Lookup lookup{true, nullptr};
    bool present() const { return !lookup.failed && lookup.value && !lookup.value->is_nullish(); }
};

JsonObject::JsonObject() { initialise(); }

JsonObject::JsonObject(std::shared_ptr<JsonValue> shared) : document_(std::move(shared)) {}

JsonObject::~JsonObject() { destroy(); }

void JsonObject::destroy() { document_.reset(); }

std::unique_ptr<JsonObject> JsonObject::copy() const { return std::unique_ptr<JsonObject>(new JsonObject(document_)); }

void JsonObject::initialise() { document_ = std::make_shared<JsonValue>(JsonValue::object()); }

bool JsonObject::parse(const Text& text, bool direct) {
    if (!document_) return false;
    initialise();  // a copy that shares the old document keeps it
    *document_ = JsonValue::null();
    std::u16string source = gbk_to_utf16(text);
    std::optional<JsonValue> value;
    if (direct) {
        JsonValue parsed;
        if (parse_json(source, parsed)) value = std::move(parsed);
    } else {
        value = evaluate_argument(source);
    }
    if (value) *document_ = std::move(*value);
    return !document_->is_nullish();
}

bool JsonObject::clear() {
    if (!document_) return false;
    *document_ = JsonValue::object();
    return true;
}

JsonObject::Found JsonObject::evaluate(const Text& expression) const {
    Found found;
    if (!document_) return found;
    auto steps = parse_path(gbk_to_utf16(expression), gbk_to_utf16(root_name_));
    if (!steps) return found;
    found.is_path = true;
    found.steps = std::move(*steps);
    found.lookup = look_up(*document_, found.steps);
    return found;
}

bool JsonObject::is_present(const Text& expression) const { return evaluate(expression).present(); }

bool JsonObject::resolve_path(Text& path) const {
    if (text_starts_with(path, root_name_) && is_present(path)) return true;
    if (path.empty())
        path = root_name_;
    else if (text_starts_with(path, "["))
        path = text_concat(root_name_, path);
    else
        path = text_concat(root_name_, ".", path);
    return is_present(path);
}

int JsonObject::member_count(const Text& path) const {
    Text expression = path.empty()                  ? root_name_
                      : text_starts_with(path, "[") ? text_concat(root_name_, path)
                                                    : text_concat(root_name_, ".", path);
    Found found = evaluate(expression);
    if (!found.present() || found.lookup.value->kind() != JsonKind::array) return 0;
    return static_cast<int>(std::min<std::size_t>(found.lookup.value->as_array().size(), INT_MAX));
}

bool JsonObject::set_value(const Text& path, const Text& value, bool as_json) {
    Text resolved = path;
    bool exists = resolve_path(resolved);
    Found found = evaluate(resolved);
    if (!found.is_path) return false;
    if (!as_json) {
        std::u16string stored = gbk_to_utf16(value);
        std::replace(stored.begin(), stored.end(), u'\\', json_backslash_marker);
        return assign(*document_, found.steps, JsonValue::string(std::move(stored)));
    }
    if (exists && found.lookup.value->kind() == JsonKind::object) {
        JsonValue source;
        if (!parse_json(gbk_to_utf16(value.empty() ? Text("{}") : value), source)) return false;
        if (found.steps.size() + static_cast<std::size_t>(source.depth()) > static_cast<std::size_t>(json_max_depth))
            return false;
        return extend(*find_mutable(*document_, found.steps), source);
    }
    std::optional<JsonValue> assigned = evaluate_argument(gbk_to_utf16(value));
    return assigned && assign(*document_, found.steps, std::move(*assigned));
}

Text JsonObject::get_text(const Text& path, bool as_json) const {
    Text resolved = path;
    resolve_path(resolved);
    Found found = evaluate(resolved);
    if (found.lookup.failed || !found.lookup.value) return Text();
    std::u16string out;
    if (as_json) {
        if (!append_json(*found.lookup.value, out)) return Text();
        return utf16_to_gbk(out);
    }
    if (!append_string_form(*found.lookup.value, out)) return Text();
    return utf16_to_gbk(with_backslashes(std::move(out)));
}

int JsonObject::type_of(const Text& path) const {
    Text resolved = path;
    resolve_path(resolved);
    Found found = evaluate(resolved);
    if (found.lookup.failed) return type_unknown;
    if (!found.lookup.value || found.lookup.value->is_nullish()) return type_missing;
    switch (found.lookup.value->kind()) {
        case JsonKind::boolean:
            return type_boolean;
        case JsonKind::number:
            return type_number;
        case JsonKind::object:
            return type_object;
        case JsonKind::array:
            return type_array;
        case JsonKind::string:
            return type_string;
        default:
            return type_unknown;
    }
}

std::unique_ptr<JsonObject> JsonObject::get_object(const Text& path) const {
    auto made = std::make_unique<JsonObject>();
    Text resolved = path;
    resolve_path(resolved);
    Found found = evaluate(resolved);
    // A direct copy, not a trip through JSON text: strings stay strings and
    // Infinity stays Infinity.
    *made->document_ = (found.lookup.failed || !found.lookup.value) ? JsonValue() : found.lookup.value->clone();
    return made;
}

Text JsonObject::to_json_text() const {
    std::u16string out;
    if (!document_ || !append_json(*document_, out)) return Text();
    return utf16_to_gbk(out);
}

bool JsonObject::has_member(const Text& name) const { return is_present(text_concat(root_name_, ".", name)); }
