// Text, byte, bit and conversion primitives. They keep no state, never fail loudly,
// and answer every out-of-range argument with an empty value, 0, -1 or false.
// Positions are 1-based byte positions.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>

#include "base/types.h"

// Text basics
int text_length(const Text& t);
int text_compare(const Text& a, const Text& b);
int text_compare_mbcs(const Text& a, const Text& b, bool case_sensitive);
Text text_concat(std::initializer_list<Text> pieces);
template <typename... Pieces>
Text text_concat(const Text& first, const Pieces&... rest) {
    return text_concat({first, Text(rest)...});
}
bool text_starts_with(const Text& t, const Text& prefix);

// Extraction: these count bytes and may cut a double-byte character in half.
Text text_left(const Text& t, int n);
Text text_right(const Text& t, int n);
Text text_mid(const Text& t, int start, int n);
int char_code(const Text& t, int pos = 1);
Text char_from_code(int code);

// Search, with double-byte stepping.
int text_find(const Text& t, const Text& pattern, int start = 1, bool ignore_case = false);
int text_find_last(const Text& t, const Text& pattern, std::optional<int> start = std::nullopt,
                   bool ignore_case = false);

// Transformation
Text text_replace(const Text& t, const Text& find, const Text& with = Text(), int start = 1,
                  std::optional<int> count = std::nullopt, bool case_sensitive = true);
TextArray text_split(const Text& t, const Text& separator = ",", std::optional<int> max_count = std::nullopt);
Text text_trim(const Text& t);
Text text_upper(const Text& t);
Text text_lower(const Text& t);
Text text_repeat(int n, const Text& t);

// Conversion
Text to_text(const Text& v);
Text to_text(const ByteArray& v);
Text to_text(int v);
Text to_text(double v);
ByteArray to_bytes(const Text& v);
ByteArray to_bytes(std::uint8_t v);
std::uint8_t to_byte(std::int64_t v);
Text utf8_to_text(const ByteArray& b);
std::int64_t real_to_integer(double x);

// Byte arrays and arrays
int bytes_length(const ByteArray& b);
ByteArray bytes_mid(const ByteArray& b, int start, int n);
ByteArray bytes_blank(int n);
ByteArray bytes_concat(std::initializer_list<ByteArray> pieces);
bool bytes_equal(const ByteArray& a, const ByteArray& b);
int array_count(const TextArray& a);
int array_count(const ByteArray& a);

// Bits and arithmetic on 32-bit signed integers
std::int32_t bit_and(std::initializer_list<std::int32_t> operands);
std::int32_t bit_xor(std::initializer_list<std::int32_t> operands);
std::int32_t shift_left(std::int32_t v, int n);
std::int32_t shift_right(std::int32_t v, int n);
double real_modulo(double a, double b);
