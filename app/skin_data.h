// The skin that the program hands to the skin engine at start-up, in the engine's
// own format. Layout, little-endian:
//   0  ".SHE"                    magic
//   4  u16 version (1)           6  u16 header size (16)
//   8  u32 total size (3949)    12  u32 sum of every byte after the header
//  16  8 colours, R G B A each: window background, button face, button text,
//      edit background, edit text, label text, highlight, frame
//  48  shade ramp: 3901 bytes of lightness values for gradients
// The engine checks magic, size and sum before it uses any of it.
#pragma once

#include <cstdint>

#include "base/types.h"

constexpr int skin_data_size = 3949;
constexpr int skin_header_size = 16;
constexpr int skin_colour_count = 8;

const ByteArray& skin_data();
