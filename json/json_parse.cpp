#include "json/json_parse.h"

#include <charconv>
#include <cstdint>
#include <limits>
#include <string>
#include <system_error>

namespace {

// The white space and line terminators JavaScript skips between tokens. JSON's
// own four are among them.
bool is_space(char16_t c) {
    switch (c) {
        case 0x09:
        case 0x0A:
        case 0x0B:
        case 0x0C:
        case 0x0D:
        case 0x20:
        case 0xA0:
        case 0x1680:
        case 0x2028:
        case 0x2029:
        case 0x202F:
        case 0x205F:
        case 0x3000:
        case 0xFEFF:
            return true;
        default:
            return c >= 0x2000 && c <= 0x200A;
    }
}

bool is_digit(char16_t c) { return c >= u'0' && c <= u'9'; }

int hex_value(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

// A number whose digits are valid JSON but whose value a double cannot hold:
// decides between overflow (Infinity) and underflow (0) from the position of
// the first significant digit. The exponent saturates, so any length is safe.
double out_of_range_value(std::string_view digits) {
    bool negative = !digits.empty() && digits[0] == '-';
    std::int64_t magnitude = 0;  // decimal exponent of the first significant digit, plus one
    bool seen_significant = false;
    bool after_point = false;
    std::size_t i = negative ? 1 : 0;
    for (; i < digits.size() && digits[i] != 'e' && digits[i] != 'E'; ++i) {
        char c = digits[i];
        if (c == '.') {
            after_point = true;
        } else if (!seen_significant && c == '0') {
            if (after_point) --magnitude;
        } else {
            seen_significant = true;
            if (!after_point && magnitude < 1'000'000'000) ++magnitude;
        }
    }
    std::int64_t exponent = 0;
    if (i < digits.size()) {
        ++i;
        bool exponent_negative = i < digits.size() && digits[i] == '-';
        if (i < digits.size() && (digits[i] == '-' || digits[i] == '+')) ++i;
        for (; i < digits.size(); ++i)
            exponent = std::min<std::int64_t>(exponent * 10 + (digits[i] - '0'), 1'000'000'000);
        if (exponent_negative) exponent = -exponent;
    }
    double size = (magnitude + exponent > 0) ? std::numeric_limits<double>::infinity() : 0.0;
    return negative ? -size : size;
}

class Parser {
public:
    explicit Parser(std::u16string_view text) : text_(text) {}

    bool parse(JsonValue& out);

private:
    // One open array or object while its elements are read.
    struct Frame {
        JsonValue container;
        std::u16string name;  // the member whose value is being read
    };

    char16_t peek() const { return at_ < text_.size() ? text_[at_] : u'\0'; }
    bool at_end() const { return at_ >= text_.size(); }
    void skip_space() {
        while (at_ < text_.size() && is_space(text_[at_])) ++at_;
    }
    bool consume(char16_t c) {
        skip_space();
        if (peek() != c || at_end()) return false;
        ++at_;
        return true;
    }
    bool literal(std::u16string_view word) {
        if (text_.substr(at_, word.size()) != word) return false;
        at_ += word.size();
        return true;
    }

    bool open(JsonValue container);
    bool read_scalar(JsonValue& out);
    bool read_string(std::u16string& out);
    bool read_escape(std::u16string& out);
    bool read_number(JsonValue& out);
    bool read_member_name(Frame& frame);
    bool add_to_open(JsonValue value, bool& done, JsonValue& out);

    std::u16string_view text_;
    std::size_t at_ = 0;
    std::vector<Frame> open_;
};

bool Parser::open(JsonValue container) {
    if (open_.size() >= static_cast<std::size_t>(json_max_depth)) return false;
    open_.push_back({std::move(container), {}});
    return true;
}

bool Parser::read_escape(std::u16string& out) {
    if (at_ >= text_.size()) return false;
    char16_t c = text_[at_++];
    switch (c) {
        case u'"':
        case u'\\':
        case u'/':
            out.push_back(c);
            return true;
        case u'b':
            out.push_back(u'\b');
            return true;
        case u'f':
            out.push_back(u'\f');
            return true;
        case u'n':
            out.push_back(u'\n');
            return true;
        case u'r':
            out.push_back(u'\r');
            return true;
        case u't':
            out.push_back(u'\t');
            return true;
        case u'u': {
            if (text_.size() - at_ < 4) return false;
            int unit = 0;
            for (int i = 0; i < 4; ++i) {
                int digit = hex_value(text_[at_++]);
                if (digit < 0) return false;
                unit = unit * 16 + digit;
            }
            // Code units go in as they are: a pair forms one character, and a
            // lone surrogate stays, as JavaScript keeps it.
            out.push_back(static_cast<char16_t>(unit));
            return true;
        }
        default:
            return false;
    }
}

bool Parser::read_string(std::u16string& out) {
    if (peek() != u'"' || at_end()) return false;
    ++at_;
    while (at_ < text_.size()) {
        // Copy each run of plain characters at once, so long strings stay linear.
        std::size_t run = at_;
        while (run < text_.size() && text_[run] != u'"' && text_[run] != u'\\' && text_[run] >= 0x20) ++run;
        out.append(text_.substr(at_, run - at_));
        at_ = run;
        if (at_ >= text_.size()) return false;
        char16_t c = text_[at_++];
        if (c == u'"') return true;
        if (c != u'\\' || !read_escape(out)) return false;
    }
    return false;
}

bool Parser::read_number(JsonValue& out) {
    std::size_t start = at_;
    if (peek() == u'-') ++at_;
    if (peek() == u'0') {
        ++at_;
    } else if (is_digit(peek())) {
        while (is_digit(peek())) ++at_;
    } else {
        return false;
    }
    if (peek() == u'.') {
        ++at_;
        if (!is_digit(peek())) return false;
        while (is_digit(peek())) ++at_;
    }
    if (peek() == u'e' || peek() == u'E') {
        ++at_;
        if (peek() == u'+' || peek() == u'-') ++at_;
        if (!is_digit(peek())) return false;
        while (is_digit(peek())) ++at_;
    }
    std::string digits(text_.begin() + static_cast<std::ptrdiff_t>(start),
                       text_.begin() + static_cast<std::ptrdiff_t>(at_));
    double value = 0;
    auto result = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (result.ec == std::errc::result_out_of_range)
        value = out_of_range_value(digits);
    else if (result.ec != std::errc() || result.ptr != digits.data() + digits.size())
        return false;
    out = JsonValue::number(value);
    return true;
}

bool Parser::read_scalar(JsonValue& out) {
    char16_t c = peek();
    if (c == u'"') {
        std::u16string s;
        if (!read_string(s)) return false;
        out = JsonValue::string(std::move(s));
        return true;
    }
    if (c == u'-' || is_digit(c)) return read_number(out);
    if (literal(u"true"))
        out = JsonValue::boolean(true);
    else if (literal(u"false"))
        out = JsonValue::boolean(false);
    else if (literal(u"null"))
        out = JsonValue::null();
    else
        return false;
    return true;
}

bool Parser::read_member_name(Frame& frame) {
    skip_space();
    frame.name.clear();
    if (!read_string(frame.name)) return false;
    return consume(u':');
}

// Puts a finished value into the innermost open container, then closes every
// container that ends right after it. done turns true when the outermost value
// is complete.
bool Parser::add_to_open(JsonValue value, bool& done, JsonValue& out) {
    while (true) {
        if (open_.empty()) {
            out = std::move(value);
            done = true;
            return true;
        }
        Frame& frame = open_.back();
        bool is_object = frame.container.kind() == JsonKind::object;
        if (is_object)
            frame.container.as_object().set(std::move(frame.name), std::move(value));
        else
            frame.container.as_array().push_back(std::move(value));
        if (consume(u',')) return is_object ? read_member_name(frame) : true;
        if (!consume(is_object ? u'}' : u']')) return false;
        value = std::move(frame.container);
        open_.pop_back();
    }
}

bool Parser::parse(JsonValue& out) {
    bool done = false;
    while (!done) {
        skip_space();
        JsonValue value;
        char16_t c = peek();
        if (c == u'{' || c == u'[') {
            ++at_;
            bool is_object = c == u'{';
            if (!open(is_object ? JsonValue::object() : JsonValue::array())) return false;
            if (consume(is_object ? u'}' : u']')) {
                value = std::move(open_.back().container);
                open_.pop_back();
            } else {
                if (is_object && !read_member_name(open_.back())) return false;
                continue;
            }
        } else if (!read_scalar(value)) {
            return false;
        }
        if (!add_to_open(std::move(value), done, out)) return false;
    }
    skip_space();
    return at_end();
}

}  // namespace

bool parse_json(std::u16string_view text, JsonValue& out) {
    JsonValue result;
    Parser parser(text);
    if (!parser.parse(result)) {
        out = JsonValue();
        return false;
    }
    out = std::move(result);
    return true;
}

bool is_json_blank(std::u16string_view text) {
    for (char16_t c : text)
        if (!is_space(c)) return false;
    return true;
}
