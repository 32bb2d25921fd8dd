// A small skin engine for the program's own windows. SkinH_AttachRes checks the
// skin, turns the hue of its window background colour and gives every window of
// the calling thread that background. It keeps one brush for the life of the
// process and never detaches, as the program never asks it to.
#include <windows.h>

#include <cstdint>

namespace {

constexpr int header_size = 16;
constexpr int colour_count = 8;

enum AttachResult : int {
    attach_ok = 0,
    attach_bad_skin = 1,
    attach_no_brush = 2,
};

HBRUSH background_brush = nullptr;

std::uint32_t read_u32(const unsigned char* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

bool skin_is_valid(const unsigned char* skin, int size) {
    if (!skin || size < header_size + colour_count * 4) return false;
    if (skin[0] != '.' || skin[1] != 'S' || skin[2] != 'H' || skin[3] != 'E') return false;
    if (read_u32(skin + 8) != static_cast<std::uint32_t>(size)) return false;
    std::uint32_t sum = 0;
    for (int i = header_size; i < size; ++i) sum += skin[i];
    return sum == read_u32(skin + 12);
}

int clamp_int(int v, int low, int high) { return v < low ? low : (v > high ? high : v); }

// Hue in degrees, saturation and lightness in 0..1000.
struct Hsl {
    int hue, saturation, lightness;
};

Hsl to_hsl(int r, int g, int b) {
    int high = r > g ? (r > b ? r : b) : (g > b ? g : b);
    int low = r < g ? (r < b ? r : b) : (g < b ? g : b);
    Hsl out{0, 0, (high + low) * 1000 / 510};
    int delta = high - low;
    if (delta == 0) return out;
    int sum = high + low;
    out.saturation = delta * 1000 / (sum > 255 ? 510 - sum : sum);
    int h;
    if (high == r)
        h = 60 * (g - b) / delta;
    else if (high == g)
        h = 120 + 60 * (b - r) / delta;
    else
        h = 240 + 60 * (r - g) / delta;
    out.hue = (h + 360) % 360;
    return out;
}

int hue_channel(int p, int q, int hue) {
    hue = (hue + 360) % 360;
    if (hue < 60) return p + (q - p) * hue / 60;
    if (hue < 180) return q;
    if (hue < 240) return p + (q - p) * (240 - hue) / 60;
    return p;
}

COLORREF from_hsl(const Hsl& c) {
    int l = c.lightness, s = c.saturation;
    int q = l < 500 ? l * (1000 + s) / 1000 : l + s - l * s / 1000;
    int p = 2 * l - q;
    int r = hue_channel(p, q, c.hue + 120), g = hue_channel(p, q, c.hue), b = hue_channel(p, q, c.hue - 120);
    return RGB(r * 255 / 1000, g * 255 / 1000, b * 255 / 1000);
}

BOOL CALLBACK restyle_window(HWND window, LPARAM) {
    SetClassLongPtrW(window, GCLP_HBRBACKGROUND, reinterpret_cast<LONG_PTR>(background_brush));
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    return TRUE;
}

}  // namespace

// skin, size: the skin bytes. password: unused by this format. hue turns the
// colours by that many degrees; saturation and brightness shift them, each from
// -100 to 100 percent.
extern "C" int __stdcall SkinH_AttachRes(const unsigned char* skin, int size, const char* password, int hue,
                                         int saturation, int brightness) {
    (void)password;
    if (!skin_is_valid(skin, size)) return attach_bad_skin;
    const unsigned char* base = skin + header_size;
    Hsl colour = to_hsl(base[0], base[1], base[2]);
    colour.hue = ((colour.hue + hue) % 360 + 360) % 360;
    colour.saturation = clamp_int(colour.saturation + clamp_int(saturation, -100, 100) * 10, 0, 1000);
    colour.lightness = clamp_int(colour.lightness + clamp_int(brightness, -100, 100) * 10, 0, 1000);
    if (!background_brush) background_brush = CreateSolidBrush(from_hsl(colour));
    EnumThreadWindows(GetCurrentThreadId(), restyle_window, 0);
    return background_brush ? attach_ok : attach_no_brush;
}
