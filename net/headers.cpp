#include "net/headers.h"

#include <string>

#include "base/text.h"
#include "net/request_object.h"

namespace {

const Text line_break = "\r\n";

struct DefaultHeader {
    const char* search;
    const char* line;  // the url follows the Referer line
    bool post_only;
};

// Applied in this order; each search sees the lines appended before it.
const DefaultHeader default_headers[] = {
    {"Accept:", "Accept: */*", false},
    {"Referer:", "Referer: ", false},
    {"Accept-Language:", "Accept-Language: zh-cn", false},
    {"User-Agent:", "User-Agent: Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)", false},
    {"Content-Type:", "Content-Type: application/x-www-form-urlencoded", true},
};

const int post_method = 1;

// The name part of a header line with every dash-separated part capitalised. Empty
// parts (dashes in a row, a dash at the end) are kept as they are.
Text capitalise_name_parts(const Text& name) {
    std::string out;
    int part_start = 1;
    for (int i = 1; i <= name.length() + 1; ++i) {
        if (i <= name.length() && name.at(i - 1) != '-') continue;
        out += capitalise_first(text_mid(name, part_start, i - part_start)).bytes();
        if (i <= name.length()) out += '-';
        part_start = i + 1;
    }
    return Text(out);
}

// The request object keeps its connections alive by itself, so this pair is left out.
bool is_connection_keep_alive(const Text& line) {
    return text_compare(header_name(line), "Connection") == 0 && text_compare(header_value(line), "keep-alive") == 0;
}

// The url goes into the Referer line as it is, except for line breaks: a pasted
// link holding CR or LF would otherwise add header lines of its own choosing.
Text single_line(const Text& url) { return text_replace(text_replace(url, "\r"), "\n"); }

}  // namespace

Text append_default_headers(const Text& headers, int method, const Text& url) {
    Text out = headers;
    for (const DefaultHeader& row : default_headers) {
        if (row.post_only && method != post_method) continue;
        if (text_find(out, row.search, 1, true) != -1) continue;
        out = text_concat(out, line_break, row.line);
        if (text_compare(row.search, "Referer:") == 0) out = text_concat(out, single_line(url));
    }
    return out;
}

Text normalise_header_text(const Text& headers) {
    std::string out;
    for (const Text& piece : text_split(headers, line_break)) {
        int colon = text_find(piece, ":");
        if (colon == -1) continue;
        out += capitalise_name_parts(text_left(piece, colon - 1)).bytes();
        out += text_mid(piece, colon, piece.length()).bytes();
        out += line_break.bytes();
    }
    return Text(text_left(Text(out), static_cast<int>(out.size()) - line_break.length()));
}

Text capitalise_first(const Text& t) { return text_concat(text_upper(text_left(t, 1)), text_mid(t, 2, t.length())); }

Text header_name(const Text& line) {
    int colon = text_find(line, ":");
    if (colon == -1) return Text();
    return text_trim(text_left(line, colon - 1));
}

Text header_value(const Text& line) {
    int colon = text_find(line, ":");
    if (colon == -1) return Text();
    return text_trim(text_mid(line, colon + 1, line.length()));
}

void apply_request_headers(const Text& headers, RequestObject& object) {
    if (text_find(headers, line_break) == -1) {
        object.set_request_header(header_name(headers), header_value(headers));
        return;
    }
    for (const Text& piece : text_split(headers, line_break)) {
        if (piece.empty() || is_connection_keep_alive(piece)) continue;
        object.set_request_header(header_name(piece), header_value(piece));
    }
}
