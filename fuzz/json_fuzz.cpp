// Feeds arbitrary answers to JsonObject: parse, then queries, an assignment and
// printing. Beyond crashes, stack exhaustion and undefined behaviour it checks
// that the printed JSON reads back and prints the same, and that every number's
// string form reads back as the same double.
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "json/json_format.h"
#include "json/json_object.h"

namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

// The input's first 8 bytes as a double: its string form must read back exactly.
void check_number_form(const std::uint8_t* data, std::size_t size) {
    if (size < sizeof(double)) return;
    double number = 0;
    std::memcpy(&number, data, sizeof number);
    if (std::isnan(number)) return;
    std::string form = number_to_string(number);
    double back = 0;
    auto result = std::from_chars(form.data(), form.data() + form.size(), back);
    check(result.ec == std::errc() && result.ptr == form.data() + form.size() && back == number);
}

// Splits the bytes after the flag byte at \x01 into document, path and value.
struct Input {
    std::uint8_t flags = 0;
    Text document;
    Text path;
    Text value;
};

Input split_input(const std::uint8_t* data, std::size_t size) {
    Input in;
    in.flags = data[0];
    std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
    std::size_t a = rest.find('\x01');
    std::size_t b = a == std::string_view::npos ? a : rest.find('\x01', a + 1);
    in.document = Text(rest.substr(0, a));
    if (a != std::string_view::npos) in.path = Text(rest.substr(a + 1, b == std::string_view::npos ? b : b - a - 1));
    if (b != std::string_view::npos) in.value = Text(rest.substr(b + 1));
    return in;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    check_number_form(data, size);
    Input in = split_input(data, size);
    JsonObject json;
    json.parse(in.document, in.flags & 1);
    json.get_text(in.path, false);
    json.get_text(in.path, true);
    check(json.type_of(in.path) >= -1);
    check(json.member_count(in.path) >= 0);
    json.has_member(in.path);
    if (in.flags & 2) json.set_value(in.path, in.value, in.flags & 4);
    if (in.flags & 8) {
        auto sub = json.get_object(in.path);
        sub->get_text("");
        sub->to_json_text();
    }

    Text printed = json.to_json_text();
    check(printed.bytes().find('\0') == std::string::npos);
    if (!printed.empty()) {
        JsonObject again;
        again.parse(printed, true);
        check(again.to_json_text() == printed);
    }
    return 0;
}
