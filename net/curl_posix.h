// What the libcurl request object and the libcurl download share: one process-wide
// library initialisation, an owning handle, and the choice of trusted certificates.
#pragma once

#include <curl/curl.h>

#include <cstdlib>
#include <memory>
#include <string>

struct CurlEasyDelete {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
using CurlEasy = std::unique_ptr<CURL, CurlEasyDelete>;

struct CurlListDelete {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using CurlList = std::unique_ptr<curl_slist, CurlListDelete>;

// A fresh easy handle, or null. The library is initialised once per process, on
// first use, and stays initialised until the process ends.
inline CurlEasy curl_easy_make() {
    static const CURLcode initialised = curl_global_init(CURL_GLOBAL_DEFAULT);
    if (initialised != CURLE_OK) return nullptr;
    return CurlEasy(curl_easy_init());
}

// Settings every handle of the program gets: only http and https, also after a
// redirect (other schemes would read local files or reach other services), no
// signals (handles run on any thread), and certificate checks against the
// system's trusted authorities. MIREVO_CA_FILE names a PEM file that replaces
// them; the tests use it for the test server's own authority.
inline void curl_apply_common_settings(CURL* handle) {
    curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(handle, CURLOPT_SSL_VERIFYHOST, 2L);
    const char* ca_file = std::getenv("MIREVO_CA_FILE");
    if (ca_file && *ca_file) curl_easy_setopt(handle, CURLOPT_CAINFO, ca_file);
}

// A UTF-8 address as curl takes it: the bytes that cannot stand in an address
// (controls, space, DEL, every non-ASCII byte, and "#" unless it may start a
// fragment) percent-encoded instead of refused.
inline std::string curl_address(const std::string& utf8, bool escape_hash) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (char byte : utf8) {
        auto c = static_cast<unsigned char>(byte);
        if (c <= 0x20 || c >= 0x7F || (escape_hash && c == '#')) {
            out += '%';
            out += digits[c >> 4];
            out += digits[c & 15];
        } else {
            out += byte;
        }
    }
    return out;
}
