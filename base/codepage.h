// GBK <-> UTF-16 conversion, the one place where texts meet the platform's code pages.
// Windows uses the platform's code page 936; the native build uses iconv's CP936.
// Both must give the same bytes for the same text.
#pragma once

#include <string>

#include "base/types.h"

// GBK bytes to UTF-16. A byte sequence that is not GBK becomes U+003F.
std::u16string gbk_to_utf16(const Text& t);

// UTF-16 to GBK. Every character GBK lacks, lone surrogates included, becomes "?";
// a surrogate pair is one character and gives one "?". Stops at a zero character.
Text utf16_to_gbk(std::u16string_view s);

// UTF-8 file-system names on the native build.
std::string utf16_to_utf8(std::u16string_view s);
