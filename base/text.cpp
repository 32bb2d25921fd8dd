#include "base/text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "base/codepage.h"

namespace {

// Width of the character that starts at a byte: a byte of 0x80 or above leads a
// double-byte character. Every scanning primitive steps with this.
int character_width(std::uint8_t byte) { return byte >= 0x80 ? 2 : 1; }

std::uint8_t ascii_fold(std::uint8_t c) { return (c >= 'A' && c <= 'Z') ? static_cast<std::uint8_t>(c + 32) : c; }

// Compares pattern against t at a 0-based offset; the caller guarantees it fits.
bool matches_at(const Text& t, int offset, const Text& pattern, bool ignore_case) {
    for (int i = 0; i < pattern.length(); ++i) {
        std::uint8_t a = t.at(offset + i);
        std::uint8_t b = pattern.at(i);
        if (ignore_case ? ascii_fold(a) != ascii_fold(b) : a != b) return false;
    }
    return true;
}

// Walks t[begin, end) with double-byte stepping and returns the 0-based offsets
// where pattern fits and matches: the first one, or the last one.
int scan(const Text& t, int begin, int end, const Text& pattern, bool ignore_case, bool want_last) {
    int found = -1;
    for (int i = begin; i + pattern.length() <= end; i += character_width(t.at(i))) {
        if (!matches_at(t, i, pattern, ignore_case)) continue;
        if (!want_last) return i;
        found = i;
    }
    return found;
}

// start - 1 without overflow, raised to 0 when negative: the 0-based offset of a
// 1-based start position.
int offset_of(int start) { return static_cast<int>(std::max<std::int64_t>(std::int64_t{start} - 1, 0)); }

Text map_ascii_letters(const Text& t, char from, char to) {
    std::string out = t.bytes();
    for (int i = 0; i < t.length(); i += character_width(t.at(i))) {
        char c = out[static_cast<std::size_t>(i)];
        if (c >= from && c <= from + 25) out[static_cast<std::size_t>(i)] = static_cast<char>(c - from + to);
    }
    return Text(out);
}

}  // namespace

int text_length(const Text& t) { return t.length(); }

int text_compare(const Text& a, const Text& b) {
    int c = a.bytes().compare(b.bytes());  // std::string compares bytes as unsigned char
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

int text_compare_mbcs(const Text& a, const Text& b, bool case_sensitive) {
    int n = std::min(a.length(), b.length());
    for (int i = 0; i < n; ++i) {
        std::uint8_t x = a.at(i);
        std::uint8_t y = b.at(i);
        if (!case_sensitive) {
            x = ascii_fold(x);
            y = ascii_fold(y);
        }
        if (x != y) return x < y ? -1 : 1;
        if (a.at(i) >= 0x80 && i + 1 < n) {  // the trail byte belongs to the same character
            ++i;
            if (a.at(i) != b.at(i)) return a.at(i) < b.at(i) ? -1 : 1;
        }
    }
    return a.length() == b.length() ? 0 : (a.length() < b.length() ? -1 : 1);
}

Text text_concat(std::initializer_list<Text> pieces) {
    std::string out;
    for (const Text& piece : pieces) out += piece.bytes();
    return Text(out);
}

bool text_starts_with(const Text& t, const Text& prefix) {
    return prefix.length() <= t.length() && t.bytes().compare(0, prefix.bytes().size(), prefix.bytes()) == 0;
}

Text text_left(const Text& t, int n) {
    if (n <= 0) return Text();
    return Text(t.bytes().substr(0, static_cast<std::size_t>(std::min(n, t.length()))));
}

Text text_right(const Text& t, int n) {
    if (n <= 0) return Text();
    int take = std::min(n, t.length());
    return Text(t.bytes().substr(static_cast<std::size_t>(t.length() - take)));
}

Text text_mid(const Text& t, int start, int n) {
    if (start < 1 || start > t.length() || n <= 0) return Text();
    int take = std::min(n, t.length() - start + 1);
    return Text(t.bytes().substr(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(take)));
}

int char_code(const Text& t, int pos) {
    if (pos < 1 || pos > t.length()) return 0;
    return static_cast<std::int8_t>(t.at(pos - 1));
}

Text char_from_code(int code) {
    char c = static_cast<char>(code & 0xFF);
    return Text(std::string_view(&c, 1));
}

int text_find(const Text& t, const Text& pattern, int start, bool ignore_case) {
    int skip = offset_of(start);
    if (skip >= t.length()) return -1;
    if (pattern.empty()) return 1;
    int at = scan(t, skip, t.length(), pattern, ignore_case, false);
    return at < 0 ? -1 : at + 1;
}

int text_find_last(const Text& t, const Text& pattern, std::optional<int> start, bool ignore_case) {
    int region = start ? std::min(offset_of(*start), t.length()) : t.length();
    if (pattern.empty()) return region > 0 ? 1 : -1;
    int at = scan(t, 0, region, pattern, ignore_case, true);
    return at < 0 ? -1 : at + 1;
}

Text text_replace(const Text& t, const Text& find, const Text& with, int start, std::optional<int> count,
                  bool case_sensitive) {
    int skip = offset_of(start);
    if (t.empty() || find.empty() || skip >= t.length() || (count && *count == 0)) return t;
    std::string out = t.bytes().substr(0, static_cast<std::size_t>(skip));
    int remaining = count.value_or(-1);
    int i = skip;
    while (i < t.length()) {
        bool fits = i + find.length() <= t.length();
        if (remaining != 0 && fits && matches_at(t, i, find, !case_sensitive)) {
            out += with.bytes();
            i += find.length();
            if (remaining > 0) --remaining;
            continue;
        }
        int width = std::min(character_width(t.at(i)), t.length() - i);
        out.append(t.bytes(), static_cast<std::size_t>(i), static_cast<std::size_t>(width));
        i += width;
    }
    return Text(out);
}

TextArray text_split(const Text& t, const Text& separator, std::optional<int> max_count) {
    int limit = max_count ? std::max(*max_count, 0) : -1;
    if (t.empty() || limit == 0) return {};
    if (separator.empty()) return {t};
    TextArray members;
    int cut = 0;
    int i = 0;
    while (i + separator.length() <= t.length()) {
        if (!matches_at(t, i, separator, false)) {
            i += character_width(t.at(i));
            continue;
        }
        members.push_back(text_mid(t, cut + 1, i - cut));
        i += separator.length();
        cut = i;
        if (limit > 0 && static_cast<int>(members.size()) == limit) return members;
    }
    if (cut < t.length()) members.push_back(Text(t.bytes().substr(static_cast<std::size_t>(cut))));
    return members;
}

Text text_trim(const Text& t) {
    auto space_at = [&t](int i) -> int {  // width of a space starting at i, or 0
        if (t.at(i) == 0x20) return 1;
        if (t.at(i) == 0xA1 && i + 1 < t.length() && t.at(i + 1) == 0xA1) return 2;
        return 0;
    };
    int begin = 0;
    while (begin < t.length() && space_at(begin) > 0) begin += space_at(begin);
    int end = begin;  // end of the last character that is not a space
    for (int i = begin; i < t.length();) {
        int width = space_at(i);
        if (width == 0) {
            width = std::min(character_width(t.at(i)), t.length() - i);
            end = i + width;
        }
        i += width;
    }
    return Text(t.bytes().substr(static_cast<std::size_t>(begin), static_cast<std::size_t>(end - begin)));
}

Text text_upper(const Text& t) { return map_ascii_letters(t, 'a', 'A'); }

Text text_lower(const Text& t) { return map_ascii_letters(t, 'A', 'a'); }

Text text_repeat(int n, const Text& t) {
    if (n <= 0 || t.empty()) return Text();
    std::string out;
    out.reserve(static_cast<std::size_t>(n) * t.bytes().size());
    for (int i = 0; i < n; ++i) out += t.bytes();
    return Text(out);
}

Text to_text(const Text& v) { return v; }

Text to_text(const ByteArray& v) { return Text(std::string_view(reinterpret_cast<const char*>(v.data()), v.size())); }

Text to_text(int v) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%d", v);
    return Text(buffer);
}

Text to_text(double v) {
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.13g", v);
    return Text(buffer);
}

ByteArray to_bytes(const Text& v) { return ByteArray(v.bytes().begin(), v.bytes().end()); }

ByteArray to_bytes(std::uint8_t v) { return ByteArray{v}; }

std::uint8_t to_byte(std::int64_t v) { return static_cast<std::uint8_t>(v & 0xFF); }

std::int64_t real_to_integer(double x) {
    if (std::isnan(x)) return 0;
    if (x >= 9.2233720368547758e18) return INT64_MAX;
    if (x <= -9.2233720368547758e18) return INT64_MIN;
    return static_cast<std::int64_t>(x);  // truncation toward zero
}

namespace {

// Continuation bytes that follow a lead byte, or -1 where no character may start.
int continuation_count(std::uint8_t lead) {
    if (lead < 0x80) return 0;
    if (lead < 0xC0) return -1;
    if (lead < 0xE0) return 1;
    if (lead < 0xF0) return 2;
    if (lead < 0xF8) return 3;
    if (lead < 0xFC) return 4;
    if (lead < 0xFE) return 5;
    return -1;
}

// Decodes UTF-8 into UTF-16 with the lenient rules the service's answers are read
// with: 5- and 6-byte forms and overlong forms are taken; decoding stops for good
// at the first malformed position, keeping what came before.
std::u16string decode_utf8(const ByteArray& b) {
    std::u16string out;
    std::size_t i = 0;
    while (i < b.size()) {
        std::uint8_t lead = b[i];
        int extra = continuation_count(lead);
        if (extra < 0 || i + static_cast<std::size_t>(extra) >= b.size()) break;
        std::uint32_t code = extra == 0 ? lead : (lead & (0x3Fu >> extra));
        bool complete = true;
        for (int k = 1; k <= extra; ++k) {
            std::uint8_t c = b[i + static_cast<std::size_t>(k)];
            if (c < 0x80 || c > 0xBF) {
                complete = false;
                break;
            }
            code = (code << 6) | (c & 0x3Fu);
        }
        if (!complete) break;
        if (code == 0) break;  // the Text ends at the first zero character
        if (code >= 0x10000) {
            std::uint32_t v = (code - 0x10000) & 0xFFFFFu;  // 5- and 6-byte values wrap into the planes
            out.push_back(static_cast<char16_t>(0xD800 + (v >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (v & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(code));
        }
        i += static_cast<std::size_t>(extra) + 1;
    }
    return out;
}

}  // namespace

Text utf8_to_text(const ByteArray& b) { return utf16_to_gbk(decode_utf8(b)); }

int bytes_length(const ByteArray& b) { return static_cast<int>(b.size()); }

ByteArray bytes_mid(const ByteArray& b, int start, int n) {
    int s = std::min(offset_of(start), bytes_length(b));
    int c = std::min(std::max(n, 0), bytes_length(b) - s);
    return ByteArray(b.begin() + s, b.begin() + s + c);
}

ByteArray bytes_blank(int n) { return n <= 0 ? ByteArray() : ByteArray(static_cast<std::size_t>(n), 0); }

ByteArray bytes_concat(std::initializer_list<ByteArray> pieces) {
    ByteArray out;
    for (const ByteArray& piece : pieces) out.insert(out.end(), piece.begin(), piece.end());
    return out;
}

bool bytes_equal(const ByteArray& a, const ByteArray& b) { return a == b; }

int array_count(const TextArray& a) { return static_cast<int>(a.size()); }

int array_count(const ByteArray& a) { return bytes_length(a); }

std::int32_t bit_and(std::initializer_list<std::int32_t> operands) {
    std::uint32_t r = ~0u;
    for (std::int32_t v : operands) r &= static_cast<std::uint32_t>(v);
    return static_cast<std::int32_t>(r);
}

std::int32_t bit_xor(std::initializer_list<std::int32_t> operands) {
    std::uint32_t r = 0;
    for (std::int32_t v : operands) r ^= static_cast<std::uint32_t>(v);
    return static_cast<std::int32_t>(r);
}

std::int32_t shift_left(std::int32_t v, int n) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(v) << (static_cast<unsigned>(n) & 31u));
}

std::int32_t shift_right(std::int32_t v, int n) { return v >> (static_cast<unsigned>(n) & 31u); }

double real_modulo(double a, double b) { return std::fmod(a, b); }
