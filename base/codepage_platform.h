// The platform's own code-page-936 converters, used only by codepage.cpp.
// Each converts one character (one or two GBK bytes, or one BMP UTF-16 unit)
// or a whole run, and reports failure instead of substituting.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace codepage_platform {

// Whole run of GBK bytes; nullopt when any byte sequence is invalid.
std::optional<std::u16string> decode_936(std::string_view bytes);

// Whole run of BMP characters (no surrogates); nullopt when any is unmappable.
std::optional<std::string> encode_936(std::u16string_view text);

}  // namespace codepage_platform
