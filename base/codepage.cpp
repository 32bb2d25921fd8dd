#include "base/codepage.h"

#include "base/codepage_platform.h"

#include <cstdint>

namespace {

constexpr char16_t question_mark = u'?';

bool is_surrogate(char16_t c) { return c >= 0xD800 && c <= 0xDFFF; }

// User-defined characters have no meaning outside one machine, and the two
// platforms' tables disagree on them, so they never cross the boundary.
bool is_private_use(char16_t c) { return c >= 0xE000 && c <= 0xF8FF; }

char16_t decode_one(std::string_view character) {
    auto decoded = codepage_platform::decode_936(character);
    if (!decoded || decoded->size() != 1 || is_private_use((*decoded)[0])) return question_mark;
    return (*decoded)[0];
}

// Slow path for texts the platform refuses as a whole: walk with double-byte
// stepping (a byte of 0x80 or above leads a pair) and convert character by character.
std::u16string decode_by_character(std::string_view bytes) {
    std::u16string out;
    std::size_t i = 0;
    while (i < bytes.size()) {
        auto byte = static_cast<unsigned char>(bytes[i]);
        std::size_t width = (byte < 0x80 || i + 1 == bytes.size()) ? 1 : 2;
        if (byte == 0x80) width = 1;  // the euro sign is the one single-byte character above 0x7F
        out.push_back(byte < 0x80 ? static_cast<char16_t>(byte) : decode_one(bytes.substr(i, width)));
        i += width;
    }
    return out;
}

// Plain ASCII is the same in GBK and UTF-16 and is most of what crosses the
// boundary (addresses, headers, JSON), so it skips the converters.
template <typename Char>
bool is_ascii(std::basic_string_view<Char> s) {
    for (Char c : s)
        if (static_cast<std::uint32_t>(c) >= 0x80) return false;
    return true;
}

bool has_private_use(const std::u16string& s) {
    for (char16_t c : s)
        if (is_private_use(c)) return true;
    return false;
}

void encode_run(std::u16string_view run, std::string& out) {
    if (run.empty()) return;
    if (auto whole = codepage_platform::encode_936(run)) {
        out += *whole;
        return;
    }
    for (std::size_t i = 0; i < run.size(); ++i) {
        auto one = codepage_platform::encode_936(run.substr(i, 1));
        out += one ? *one : std::string("?");
    }
}

}  // namespace

std::u16string gbk_to_utf16(const Text& t) {
    if (t.empty()) return {};
    if (is_ascii(std::string_view(t.bytes()))) return std::u16string(t.bytes().begin(), t.bytes().end());
    auto whole = codepage_platform::decode_936(t.bytes());
    if (whole && !has_private_use(*whole)) return *whole;
    return decode_by_character(t.bytes());
}

// Runs of ordinary BMP characters go to the platform in one call; surrogates and
// private-use characters become "?" here so both platforms agree on them.
Text utf16_to_gbk(std::u16string_view s) {
    s = s.substr(0, s.find(u'\0'));
    if (is_ascii(s)) return Text(std::string(s.begin(), s.end()));
    std::string out;
    std::size_t run_start = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        char16_t c = s[i];
        if (!is_surrogate(c) && !is_private_use(c)) continue;
        encode_run(s.substr(run_start, i - run_start), out);
        out += '?';
        bool pair = c <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF;
        if (pair) ++i;
        run_start = i + 1;
    }
    encode_run(s.substr(run_start), out);
    return Text(out);
}

std::string utf16_to_utf8(std::u16string_view s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        char32_t c = s[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (s[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}
