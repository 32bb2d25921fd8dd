// The value types every subsystem passes around.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

// A GBK byte string. It never holds a zero byte: construction stops at the first
// one, as a NUL-terminated string would. The empty Text is also the missing Text.
class Text {
public:
    Text() = default;
    Text(const char* bytes) : bytes_(bytes ? bytes : "") {}
    Text(std::string_view bytes) : bytes_(bytes.substr(0, bytes.find('\0'))) {}
    Text(const std::string& bytes) : Text(std::string_view(bytes)) {}

    const std::string& bytes() const { return bytes_; }
    const char* c_str() const { return bytes_.c_str(); }
    int length() const { return static_cast<int>(bytes_.size()); }
    bool empty() const { return bytes_.empty(); }
    // Unsigned byte at a 0-based offset; the caller keeps the offset in range.
    std::uint8_t at(int offset) const { return static_cast<std::uint8_t>(bytes_[static_cast<std::size_t>(offset)]); }

    friend bool operator==(const Text& a, const Text& b) { return a.bytes_ == b.bytes_; }

private:
    std::string bytes_;
};

// Readable test failures and diagnostics: bytes of 0x80 and above, and control
// bytes, are written as \xHH.
inline std::ostream& operator<<(std::ostream& out, const Text& t) {
    static const char digits[] = "0123456789ABCDEF";
    out << '"';
    for (char c : t.bytes()) {
        auto code = static_cast<unsigned char>(c);
        if (code >= 0x20 && code < 0x7F)
            out << c;
        else
            out << "\\x" << digits[code >> 4] << digits[code & 15];
    }
    return out << '"';
}

// A counted byte sequence that may hold zero bytes.
using ByteArray = std::vector<std::uint8_t>;

// An ordered list of Texts. The primitives address members from 1 to array_count.
using TextArray = std::vector<Text>;

// A local wall-clock date and time without time zone, to the whole second.
struct DateTime {
    int year = 100;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;

    friend bool operator==(const DateTime&, const DateTime&) = default;
};
