#!/usr/bin/env python3
"""Draws the Zephyrnet icon and writes resources/zephyrnet.ico.

The icon is a rounded square shading from the main menu's accent blue to its title-bar navy,
crossed by three white gusts of wind. Each size (16, 20, 24 and 32 pixels for the small icon, 32,
40, 48 and 64 for the large one, at 96, 120, 144 and 192 dots per inch) is drawn from the shapes
themselves with 4 x 4 samples per pixel, so small sizes stay sharp; 16 pixels leave out the curls,
which would only blur there. Every size is stored twice: 32-bit with alpha for Windows XP and
later, and 256 colours with a transparency mask for the older systems the program runs on.

Only the standard library is needed:  python3 resources/make_icon.py [output.ico]
"""

import math
import os
import struct
import sys

SIZES = (16, 20, 24, 32, 40, 48, 64)
SAMPLES = 4
TOP = (0x2B, 0x8C, 0xE0)      # the menu's accent
BOTTOM = (0x17, 0x2F, 0x4A)   # the menu's title bar
WHITE = (0xFF, 0xFF, 0xFF)


def segment_distance(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)
    t = max(0.0, min(1.0, t))
    return math.hypot(px - (ax + t * dx), py - (ay + t * dy))


def arc_distance(px, py, cx, cy, r, start, end):
    """Distance to the arc from angle `start` to `end` (degrees, y pointing down)."""
    angle = math.degrees(math.atan2(py - cy, px - cx))
    low, high = min(start, end), max(start, end)
    for turn in (-360, 0, 360):
        if low <= angle + turn <= high:
            return abs(math.hypot(px - cx, py - cy) - r)
    ends = [(cx + r * math.cos(math.radians(a)), cy + r * math.sin(math.radians(a)))
            for a in (start, end)]
    return min(math.hypot(px - x, py - y) for x, y in ends)


def gusts(size):
    """The wind strokes as distance functions, and their half width, in unit coordinates."""
    if size <= 16:
        half = 0.065
        return half, [
            lambda x, y: segment_distance(x, y, 0.36, 0.31, 0.72, 0.31),
            lambda x, y: segment_distance(x, y, 0.14, 0.52, 0.80, 0.52),
            lambda x, y: segment_distance(x, y, 0.24, 0.73, 0.56, 0.73),
        ]
    half = 0.045
    return half, [
        lambda x, y: min(segment_distance(x, y, 0.20, 0.36, 0.56, 0.36),
                         arc_distance(x, y, 0.56, 0.265, 0.095, -150, 90)),
        lambda x, y: segment_distance(x, y, 0.15, 0.545, 0.80, 0.545),
        lambda x, y: min(segment_distance(x, y, 0.27, 0.73, 0.62, 0.73),
                         arc_distance(x, y, 0.62, 0.825, 0.095, -90, 150)),
    ]


def inside_rounded_square(x, y, margin=0.04, radius=0.22):
    lo, hi = margin, 1.0 - margin
    if x < lo or x > hi or y < lo or y > hi:
        return False
    cx = min(max(x, lo + radius), hi - radius)
    cy = min(max(y, lo + radius), hi - radius)
    return math.hypot(x - cx, y - cy) <= radius


def draw(size):
    """Rows of (r, g, b, a), top row first."""
    half, strokes = gusts(size)
    pixels = []
    for row in range(size):
        line = []
        for col in range(size):
            square = wind = 0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    x = (col + (sx + 0.5) / SAMPLES) / size
                    y = (row + (sy + 0.5) / SAMPLES) / size
                    if inside_rounded_square(x, y):
                        square += 1
                        if any(stroke(x, y) <= half for stroke in strokes):
                            wind += 1
            total = SAMPLES * SAMPLES
            if square == 0:
                line.append((0, 0, 0, 0))
                continue
            t = (row + 0.5) / size
            back = [TOP[i] + (BOTTOM[i] - TOP[i]) * t for i in range(3)]
            share = wind / square
            color = [round(WHITE[i] * share + back[i] * (1 - share)) for i in range(3)]
            line.append((*color, round(255 * square / total)))
        pixels.append(line)
    return pixels


def mask_rows(pixels):
    """The AND mask, bottom row first: 1 where the pixel is transparent."""
    size = len(pixels)
    stride = ((size + 31) // 32) * 4
    data = b""
    for line in reversed(pixels):
        bits = bytearray(stride)
        for col, (_, _, _, a) in enumerate(line):
            if a < 128:
                bits[col // 8] |= 0x80 >> (col % 8)
        data += bytes(bits)
    return data


def header(size, bits, image_bytes):
    return struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bits, 0, image_bytes, 0, 0, 0, 0)


def image_32(pixels):
    size = len(pixels)
    xor = b"".join(bytes((b, g, r, a)) for line in reversed(pixels) for (r, g, b, a) in line)
    mask = mask_rows(pixels)
    return header(size, 32, len(xor) + len(mask)) + xor + mask


def build_palette(images):
    """Up to 256 colours: the most common ones after rounding to 5 bits a channel."""
    counts = {}
    for pixels in images:
        for line in pixels:
            for r, g, b, a in line:
                if a >= 128:
                    key = (r >> 3, g >> 3, b >> 3)
                    counts[key] = counts.get(key, 0) + 1
    keys = sorted(counts, key=lambda k: -counts[k])[:255]
    return [(0, 0, 0)] + [tuple((c << 3) | (c >> 2) for c in key) for key in keys]


def image_8(pixels, palette):
    size = len(pixels)
    stride = ((size + 3) // 4) * 4
    lookup = {}

    def nearest(color):
        if color not in lookup:
            lookup[color] = min(range(1, len(palette)),
                                key=lambda i: sum((palette[i][c] - color[c]) ** 2
                                                  for c in range(3)))
        return lookup[color]

    xor = b""
    for line in reversed(pixels):
        row = bytearray(stride)
        for col, (r, g, b, a) in enumerate(line):
            row[col] = nearest((r, g, b)) if a >= 128 else 0
        xor += bytes(row)
    table = b"".join(bytes((b, g, r, 0)) for (r, g, b) in palette)
    table += bytes(4 * (256 - len(palette)))
    mask = mask_rows(pixels)
    return header(size, 8, len(xor) + len(mask)) + table + xor + mask


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    output = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "zephyrnet.ico")
    drawn = {size: draw(size) for size in SIZES}
    palette = build_palette(drawn.values())
    entries = []
    for size in SIZES:
        entries.append((size, 32, image_32(drawn[size])))
        entries.append((size, 8, image_8(drawn[size], palette)))

    offset = 6 + 16 * len(entries)
    directory = struct.pack("<HHH", 0, 1, len(entries))
    images = b""
    for size, bits, data in entries:
        directory += struct.pack("<BBBBHHII", size, size, 0, 0, 1, bits, len(data), offset)
        offset += len(data)
        images += data
    with open(output, "wb") as out:
        out.write(directory + images)


if __name__ == "__main__":
    main()
