#include "net/cookies.h"

#include <algorithm>
#include <string>

#include "base/text.h"

namespace {

const Text item_separator = "; ";
const Text set_cookie_prefix = "Set-Cookie:";

// Trimmed, and a text that now ends in ";" gets its space back, so that splitting at
// "; " does not leave a stray ";" on the last item.
Text tidy_cookie_text(const Text& cookies) {
    Text out = text_trim(cookies);
    if (text_compare(text_right(out, 1), ";") == 0) out = text_concat(out, " ");
    return out;
}

bool has_cookie_named(const TextArray& items, const Text& name) {
    return std::any_of(items.begin(), items.end(),
                       [&name](const Text& item) { return text_compare(cookie_name(item), name) == 0; });
}

// The "name=value" part of one Set-Cookie line.
Text set_cookie_item(const Text& line) {
    if (text_find(line, ";") == -1) return text_trim(text_replace(line, set_cookie_prefix, Text(), 1, {}, false));
    int value_start = text_find(line, set_cookie_prefix) + set_cookie_prefix.length();
    int semicolon = text_find(line, ";", value_start);
    return text_trim(text_mid(line, value_start, semicolon - value_start));
}

Text join_items(const TextArray& items, const Text& separator) {
    std::string out;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0) out += separator.bytes();
        out += items[i].bytes();
    }
    return Text(out);
}

}  // namespace

void prepare_cookie_text(Text& cookies) {
    if (cookies.empty()) return;
    if (text_find(cookies, "Cookie:", 1, true) != -1) cookies = text_replace(cookies, "Cookie:", Text(), 1, {}, false);
}

Text collect_received_cookies(const Text& response_headers) {
    TextArray items;
    for (const Text& line : text_split(response_headers, "\r\n")) {
        int name_end = text_find(line, ": ");
        Text name = name_end == -1 ? Text() : text_left(line, name_end - 1);
        if (text_compare(name, "Set-Cookie") != 0) continue;
        items.push_back(set_cookie_item(line));
    }
    return join_items(items, item_separator);
}

Text merge_cookie_text(Text& cookies, Text& received) {
    cookies = tidy_cookie_text(cookies);
    received = tidy_cookie_text(received);
    TextArray old_items = text_split(cookies, item_separator);
    TextArray new_items = text_split(received, item_separator);
    for (const Text& item : old_items) {
        if (!has_cookie_named(new_items, cookie_name(item))) new_items.push_back(item);
    }
    TextArray kept;
    for (const Text& item : new_items) {
        if (text_compare(text_right(item, 8), "=deleted") != 0) kept.push_back(item);
    }
    cookies = remove_duplicate_items(join_items(kept, item_separator), item_separator);
    return cookies;
}

Text cookie_name(const Text& item) {
    int equals = text_find(item, "=");
    return text_trim(equals == -1 ? item : text_left(item, equals - 1));
}

Text remove_duplicate_items(const Text& t, const Text& separator) {
    TextArray taken;
    for (const Text& piece : text_split(t, separator)) {
        if (std::find(taken.begin(), taken.end(), piece) == taken.end()) taken.push_back(piece);
    }
    return join_items(taken, separator);
}
