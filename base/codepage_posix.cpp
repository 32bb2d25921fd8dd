// Code page 936 through iconv's CP936 converter.
#include <iconv.h>

#include <cerrno>

#include "base/codepage_platform.h"

namespace {

// One iconv descriptor per call: the converters keep shift state, and the
// primitives must be callable from any thread at once.
class IconvHandle {
public:
    IconvHandle(const char* to, const char* from) : handle_(iconv_open(to, from)) {}
    ~IconvHandle() {
        if (valid()) iconv_close(handle_);
    }
    IconvHandle(const IconvHandle&) = delete;
    IconvHandle& operator=(const IconvHandle&) = delete;
    bool valid() const { return handle_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t get() const { return handle_; }

private:
    iconv_t handle_;
};

// Converts the whole input or nothing.
std::optional<std::string> convert(const char* to, const char* from, const char* input, std::size_t size) {
    IconvHandle cd(to, from);
    if (!cd.valid()) return std::nullopt;
    std::string out(size * 2 + 8, '\0');
    char* in = const_cast<char*>(input);
    std::size_t in_left = size;
    char* dst = out.data();
    std::size_t out_left = out.size();
    if (iconv(cd.get(), &in, &in_left, &dst, &out_left) == static_cast<std::size_t>(-1)) return std::nullopt;
    if (iconv(cd.get(), nullptr, nullptr, &dst, &out_left) == static_cast<std::size_t>(-1)) return std::nullopt;
    out.resize(out.size() - out_left);
    return out;
}

}  // namespace

namespace codepage_platform {

std::optional<std::u16string> decode_936(std::string_view bytes) {
    auto raw = convert("UTF-16LE", "CP936", bytes.data(), bytes.size());
    if (!raw) return std::nullopt;
    std::u16string out(raw->size() / 2, u'\0');
    for (std::size_t i = 0; i < out.size(); ++i)
        out[i] = static_cast<char16_t>(static_cast<unsigned char>((*raw)[2 * i]) |
                                       (static_cast<unsigned char>((*raw)[2 * i + 1]) << 8));
    return out;
}

std::optional<std::string> encode_936(std::u16string_view text) {
    std::string raw;
    raw.reserve(text.size() * 2);
    for (char16_t c : text) {
        raw += static_cast<char>(c & 0xFF);
        raw += static_cast<char>(c >> 8);
    }
    return convert("CP936", "UTF-16LE", raw.data(), raw.size());
}

}  // namespace codepage_platform
