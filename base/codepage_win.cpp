// Code page 936 through the platform's own converter, whatever the ANSI code page.
#include <windows.h>

#include "base/codepage_platform.h"

namespace {
constexpr UINT gbk_code_page = 936;
}

namespace codepage_platform {

std::optional<std::u16string> decode_936(std::string_view bytes) {
    if (bytes.empty()) return std::u16string();
    int size = static_cast<int>(bytes.size());
    int needed = MultiByteToWideChar(gbk_code_page, MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0);
    if (needed <= 0) return std::nullopt;
    std::u16string out(static_cast<std::size_t>(needed), u'\0');
    auto* wide = reinterpret_cast<wchar_t*>(out.data());
    if (MultiByteToWideChar(gbk_code_page, MB_ERR_INVALID_CHARS, bytes.data(), size, wide, needed) != needed)
        return std::nullopt;
    return out;
}

std::optional<std::string> encode_936(std::u16string_view text) {
    if (text.empty()) return std::string();
    auto* wide = reinterpret_cast<const wchar_t*>(text.data());
    int size = static_cast<int>(text.size());
    BOOL lossy = FALSE;
    int needed = WideCharToMultiByte(gbk_code_page, WC_NO_BEST_FIT_CHARS, wide, size, nullptr, 0, nullptr, &lossy);
    if (needed <= 0 || lossy) return std::nullopt;
    std::string out(static_cast<std::size_t>(needed), '\0');
    lossy = FALSE;
    int written =
        WideCharToMultiByte(gbk_code_page, WC_NO_BEST_FIT_CHARS, wide, size, out.data(), needed, nullptr, &lossy);
    if (written != needed || lossy) return std::nullopt;
    return out;
}

}  // namespace codepage_platform
