#!/usr/bin/env python3
"""Draws the program's icon and writes it as an .ico holding one 256x256, 32-bit
image stored as PNG: a rounded square in a teal-to-blue gradient carrying a white
play triangle over a download bar."""
import struct
import sys
import zlib

SIZE = 256
SAMPLES = 3  # per axis, for smooth edges


def inside_rounded_square(x, y):
    margin, radius = 12.0, 44.0
    low, high = margin, SIZE - margin
    if not (low <= x <= high and low <= y <= high):
        return False
    cx = min(max(x, low + radius), high - radius)
    cy = min(max(y, low + radius), high - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


def inside_triangle(x, y):
    # Pointing right, centred a little above the middle.
    ax, ay, bx, by, cx, cy = 96.0, 62.0, 96.0, 162.0, 180.0, 112.0

    def side(px, py, qx, qy):
        return (qx - px) * (y - py) - (qy - py) * (x - px)

    d1, d2, d3 = side(ax, ay, bx, by), side(bx, by, cx, cy), side(cx, cy, ax, ay)
    return (d1 >= 0 and d2 >= 0 and d3 >= 0) or (d1 <= 0 and d2 <= 0 and d3 <= 0)


def inside_bar(x, y):
    return 64.0 <= x <= 192.0 and 184.0 <= y <= 200.0


def pixel(px, py):
    shape = glyph = 0
    for i in range(SAMPLES):
        for j in range(SAMPLES):
            x = px + (i + 0.5) / SAMPLES
            y = py + (j + 0.5) / SAMPLES
            if inside_rounded_square(x, y):
                shape += 1
                if inside_triangle(x, y) or inside_bar(x, y):
                    glyph += 1
    total = SAMPLES * SAMPLES
    if shape == 0:
        return (0, 0, 0, 0)
    t = py / (SIZE - 1)
    base = (int(18 + 20 * t), int(170 - 80 * t), int(160 + 70 * t))
    w = glyph / shape
    colour = tuple(int(c * (1 - w) + 255 * w) for c in base)
    return colour + (int(255 * shape / total),)


def png(rows):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    raw = b"".join(b"\x00" + bytes(v for p in row for v in p) for row in rows)
    header = struct.pack(">IIBBBBB", SIZE, SIZE, 8, 6, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")


def ico(image):
    directory = struct.pack("<HHH", 0, 1, 1)
    # Width and height 0 mean 256; one plane, 32 bits per pixel.
    entry = struct.pack("<BBBBHHII", 0, 0, 0, 0, 1, 32, len(image), 6 + 16)
    return directory + entry + image


def main():
    rows = [[pixel(x, y) for x in range(SIZE)] for y in range(SIZE)]
    with open(sys.argv[1], "wb") as out:
        out.write(ico(png(rows)))


if __name__ == "__main__":
    main()
