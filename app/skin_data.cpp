#include "app/skin_data.h"

#include <array>

namespace {

using SkinBytes = std::array<std::uint8_t, skin_data_size>;

constexpr void put_u16(SkinBytes& out, int at, std::uint32_t v) {
    out[at] = static_cast<std::uint8_t>(v & 0xFF);
    out[at + 1] = static_cast<std::uint8_t>((v >> 8) & 0xFF);
}

constexpr void put_u32(SkinBytes& out, int at, std::uint32_t v) {
    put_u16(out, at, v & 0xFFFF);
    put_u16(out, at + 2, v >> 16);
}

// A warm, light palette; the engine turns its hue at attach time.
constexpr std::uint32_t colours[skin_colour_count] = {
    0xF0EEDB, 0xE6E2C4, 0x2B2A20, 0xFFFFFF, 0x1E1E1E, 0x3A3826, 0xC9B458, 0x8C8460,
};

constexpr SkinBytes make_skin() {
    SkinBytes out{};
    out[0] = '.';
    out[1] = 'S';
    out[2] = 'H';
    out[3] = 'E';
    put_u16(out, 4, 1);
    put_u16(out, 6, skin_header_size);
    put_u32(out, 8, skin_data_size);
    int at = skin_header_size;
    for (std::uint32_t rgb : colours) {
        out[at++] = static_cast<std::uint8_t>(rgb >> 16);
        out[at++] = static_cast<std::uint8_t>((rgb >> 8) & 0xFF);
        out[at++] = static_cast<std::uint8_t>(rgb & 0xFF);
        out[at++] = 0xFF;
    }
    // The ramp rises from dark to light and back, one step per byte.
    const int ramp = skin_data_size - at;
    for (int i = 0; i < ramp; ++i) {
        int folded = i < ramp / 2 ? i : ramp - 1 - i;
        out[at + i] = static_cast<std::uint8_t>(64 + folded * 191 / (ramp / 2));
    }
    std::uint32_t sum = 0;
    for (int i = skin_header_size; i < skin_data_size; ++i) sum += out[i];
    put_u32(out, 12, sum);
    return out;
}

constexpr SkinBytes skin_bytes = make_skin();
static_assert(skin_bytes[0] == '.' && skin_bytes[3] == 'E');

}  // namespace

const ByteArray& skin_data() {
    static const ByteArray bytes(skin_bytes.begin(), skin_bytes.end());
    return bytes;
}
