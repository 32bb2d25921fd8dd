#include "json/json_format.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string_view>

namespace {

void append_ascii(std::string_view ascii, std::u16string& out) { out.append(ascii.begin(), ascii.end()); }

// The characters json2.js writes as \uXXXX: controls, and a fixed list of
// invisible and formatting characters that some JavaScript parsers mishandle.
bool polyfill_escapes(char16_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0xAD || (c >= 0x600 && c <= 0x604) || c == 0x70F ||
           c == 0x17B4 || c == 0x17B5 || (c >= 0x200C && c <= 0x200F) || (c >= 0x2028 && c <= 0x202F) ||
           (c >= 0x2060 && c <= 0x206F) || c == 0xFEFF || c >= 0xFFF0;
}

// The escape for one character, or empty when it is written as it is.
std::u16string_view escape_for(char16_t c, char16_t (&buffer)[6]) {
    switch (c) {
        case u'"':
            return u"\\\"";
        case u'\\':
            return u"\\\\";
        case json_backslash_marker:
            return u"\\\\";
        case u'\b':
            return u"\\b";
        case u'\t':
            return u"\\t";
        case u'\n':
            return u"\\n";
        case u'\f':
            return u"\\f";
        case u'\r':
            return u"\\r";
        default:
            break;
    }
    if (!polyfill_escapes(c)) return {};
    static const char16_t hex[] = u"0123456789abcdef";
    buffer[0] = u'\\';
    buffer[1] = u'u';
    for (int i = 0; i < 4; ++i) buffer[2 + i] = hex[(c >> (12 - 4 * i)) & 0xF];
    return std::u16string_view(buffer, 6);
}

void append_quoted(std::u16string_view s, std::u16string& out) {
    out.push_back(u'"');
    std::size_t run_start = 0;
    char16_t buffer[6];
    for (std::size_t i = 0; i < s.size(); ++i) {
        std::u16string_view escape = escape_for(s[i], buffer);
        if (escape.empty()) continue;
        out.append(s.substr(run_start, i - run_start));
        out.append(escape);
        run_start = i + 1;
    }
    out.append(s.substr(run_start));
    out.push_back(u'"');
}

// The form of a positive finite number.
std::string positive_number_to_string(double number) {
    // Shortest round-trip digits in the form d[.ddd]e±x.
    char buffer[64];
    auto written = std::to_chars(buffer, buffer + sizeof buffer, number, std::chars_format::scientific);
    std::string_view scientific(buffer, static_cast<std::size_t>(written.ptr - buffer));
    std::size_t e = scientific.find('e');
    std::string digits(1, scientific[0]);
    if (e > 1) digits.append(scientific.substr(2, e - 2));
    int exponent = std::atoi(std::string(scientific.substr(e + 1)).c_str());

    // k digits, and the value is 0.digits times 10^n.
    int k = static_cast<int>(digits.size());
    int n = exponent + 1;
    if (k <= n && n <= 21) return digits + std::string(static_cast<std::size_t>(n - k), '0');
    if (0 < n && n <= 21)
        return digits.substr(0, static_cast<std::size_t>(n)) + "." + digits.substr(static_cast<std::size_t>(n));
    if (-6 < n && n <= 0) return "0." + std::string(static_cast<std::size_t>(-n), '0') + digits;
    std::string shown_exponent = (n - 1 < 0 ? "e-" : "e+") + std::to_string(std::abs(n - 1));
    if (k == 1) return digits + shown_exponent;
    return digits.substr(0, 1) + "." + digits.substr(1) + shown_exponent;
}

}  // namespace

std::string number_to_string(double number) {
    if (std::isnan(number)) return "NaN";
    if (number == 0) return "0";  // both zeros
    std::string out = number < 0 ? "-" : "";
    out += std::isinf(number) ? "Infinity" : positive_number_to_string(std::fabs(number));
    return out;
}

bool append_string_form(const JsonValue& value, std::u16string& out) {
    switch (value.kind()) {
        case JsonKind::undefined:
        case JsonKind::null:
            return false;
        case JsonKind::boolean:
            append_ascii(value.as_boolean() ? "true" : "false", out);
            return true;
        case JsonKind::number:
            append_ascii(number_to_string(value.as_number()), out);
            return true;
        case JsonKind::string:
            out.append(value.as_string());
            return true;
        case JsonKind::array: {
            const JsonArray& elements = value.as_array();
            for (std::size_t i = 0; i < elements.size(); ++i) {
                if (i > 0) out.push_back(u',');
                append_string_form(elements[i], out);  // null and undefined elements add nothing
            }
            return true;
        }
        case JsonKind::object:
            append_ascii("[object Object]", out);
            return true;
    }
    return false;
}

bool append_json(const JsonValue& value, std::u16string& out) {
    switch (value.kind()) {
        case JsonKind::undefined:
            return false;
        case JsonKind::null:
            append_ascii("null", out);
            return true;
        case JsonKind::boolean:
            append_ascii(value.as_boolean() ? "true" : "false", out);
            return true;
        case JsonKind::number:
            append_ascii(std::isfinite(value.as_number()) ? number_to_string(value.as_number()) : "null", out);
            return true;
        case JsonKind::string:
            append_quoted(value.as_string(), out);
            return true;
        case JsonKind::array: {
            out.push_back(u'[');
            const JsonArray& elements = value.as_array();
            for (std::size_t i = 0; i < elements.size(); ++i) {
                if (i > 0) out.push_back(u',');
                if (!append_json(elements[i], out)) append_ascii("null", out);
            }
            out.push_back(u']');
            return true;
        }
        case JsonKind::object: {
            out.push_back(u'{');
            bool first = true;
            for (const auto& [name, member] : value.as_object().members()) {
                if (member.kind() == JsonKind::undefined) continue;
                if (!first) out.push_back(u',');
                first = false;
                append_quoted(name, out);
                out.push_back(u':');
                append_json(member, out);
            }
            out.push_back(u'}');
            return true;
        }
    }
    return false;
}
