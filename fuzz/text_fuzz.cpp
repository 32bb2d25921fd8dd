// Feeds random texts, patterns and positions to the scanning primitives. Beyond
// crashes and undefined behaviour it checks the invariants callers rely on:
// positions lie inside the text, results never hold a zero byte, and trimming
// never grows a text.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "base/text.h"

namespace {

// Splits the input into two texts and a few integers.
struct Input {
    Text t;
    Text pattern;
    Text with;
    int start = 1;
    int count = 0;
    bool flag = false;
};

int read_int(const std::uint8_t*& data, std::size_t& size) {
    std::int32_t v = 0;
    for (int i = 0; i < 4 && size > 0; ++i, ++data, --size)
        v = static_cast<std::int32_t>((static_cast<std::uint32_t>(v) << 8) | *data);
    // Mostly small positions, sometimes extreme ones.
    return (v & 0x100) ? v : v % 64;
}

Input split_input(const std::uint8_t* data, std::size_t size) {
    Input in;
    in.start = read_int(data, size);
    in.count = read_int(data, size);
    in.flag = size > 0 && (*data & 1);
    std::string rest(reinterpret_cast<const char*>(data), size);
    std::size_t a = rest.find('\x01');
    std::size_t b = a == std::string::npos ? a : rest.find('\x01', a + 1);
    in.t = Text(std::string_view(rest).substr(0, a));
    if (a != std::string::npos)
        in.pattern = Text(std::string_view(rest).substr(a + 1, b == std::string::npos ? b : b - a - 1));
    if (b != std::string::npos) in.with = Text(std::string_view(rest).substr(b + 1));
    return in;
}

void check(bool condition) {
    if (!condition) std::abort();
}

bool has_zero(const Text& t) { return t.bytes().find('\0') != std::string::npos; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Input in = split_input(data, size);
    int found = text_find(in.t, in.pattern, in.start, in.flag);
    check(found == -1 || (found >= 1 && found + in.pattern.length() - 1 <= in.t.length()));
    int last = text_find_last(in.t, in.pattern, in.count, in.flag);
    check(last == -1 || (last >= 1 && last + in.pattern.length() - 1 <= in.t.length()));
    int last_all = text_find_last(in.t, in.pattern);
    check(last_all == -1 || last_all >= text_find(in.t, in.pattern));

    Text replaced = text_replace(in.t, in.pattern, in.with, in.start, in.count, in.flag);
    check(!has_zero(replaced));
    check(text_replace(in.t, in.pattern, in.pattern) == in.t);  // matches put back as they were

    TextArray members = text_split(in.t, in.pattern, in.count);
    for (const Text& m : members) check(m.length() <= in.t.length());

    Text trimmed = text_trim(in.t);
    check(trimmed.length() <= in.t.length());
    check(text_trim(trimmed) == trimmed);

    Text mid = text_mid(in.t, in.start, in.count);
    check(mid.length() <= in.t.length());

    ByteArray raw(data, data + size);
    Text converted = utf8_to_text(raw);
    check(!has_zero(converted));
    return 0;
}
