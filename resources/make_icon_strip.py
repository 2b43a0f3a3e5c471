#!/usr/bin/env python3
"""Draws the balloon message's icon strips and writes them to resources/: msg_icons.bmp with
16-pixel cells, and msg_icons_24.bmp, msg_icons_32.bmp and msg_icons_48.bmp for screens of 144,
192 and more dots per inch, where the balloon draws its icons at that size instead of stretching
the small ones.

A strip of size s is 12 s x s pixels: twelve s x s cells side by side on pure green (0, 255, 0),
which the balloon replaces with its back colour. Cell n lies at x = s * (n - 1). The shapes are
drawn up on a 16-pixel cell and scaled to each size.

  1 critical (a red disc with a white cross)      2 exclamation (a yellow triangle with "!")
  3 information (a blue disc with "i")            4 question (a blue disc with "?")
  5 a green disc with a tick                       6 an orange disc with three gusts of wind
  7 a grey clock                                  8 empty
  9 close button, normal (a dark grey cross)     10 close button under the mouse (red square)
 11 close button, pressed (darker, one pixel in) 12 empty

Each pixel is sampled 4 x 4 times. Edges are blended with the light cream the tray notice uses as
its back colour, and a pixel less than an eighth covered stays green, so no green fringe shows.

Only the standard library is needed:  python3 resources/make_icon_strip.py [output-folder]
"""

import math
import os
import struct
import sys

CELL = 16          # the cell the shapes are drawn up on
SIZES = (16, 24, 32, 48)
CELLS = 12
SAMPLES = 4
GREEN = (0, 255, 0)
CREAM = (242, 248, 200)   # the tray notice's back colour
WHITE = (255, 255, 255)
BLACK = (0, 0, 0)


def disc(cx, cy, r):
    return lambda x, y: math.hypot(x - cx, y - cy) <= r


def segment(ax, ay, bx, by, half):
    def inside(x, y):
        dx, dy = bx - ax, by - ay
        t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
        return math.hypot(x - (ax + t * dx), y - (ay + t * dy)) <= half
    return inside


def box(left, top, right, bottom):
    return lambda x, y: left <= x <= right and top <= y <= bottom


def rounded_box(left, top, right, bottom, r):
    def inside(x, y):
        cx = min(max(x, left + r), right - r)
        cy = min(max(y, top + r), bottom - r)
        return math.hypot(x - cx, y - cy) <= r
    return inside


def triangle(a, b, c):
    def inside(x, y):
        def side(p, q):
            return (q[0] - p[0]) * (y - p[1]) - (q[1] - p[1]) * (x - p[0])
        s1, s2, s3 = side(a, b), side(b, c), side(c, a)
        return (s1 >= 0 and s2 >= 0 and s3 >= 0) or (s1 <= 0 and s2 <= 0 and s3 <= 0)
    return inside


def arc(cx, cy, r, half, start, end):
    """A stroke along the circle from angle `start` to `end` (degrees, y pointing down)."""
    def inside(x, y):
        angle = math.degrees(math.atan2(y - cy, x - cx)) % 360
        low, high = start % 360, end % 360
        within = low <= angle <= high if low <= high else angle >= low or angle <= high
        return within and abs(math.hypot(x - cx, y - cy) - r) <= half
    return inside


def any_of(*shapes):
    return lambda x, y: any(shape(x, y) for shape in shapes)


def cross(cx, cy, arm, half):
    return any_of(segment(cx - arm, cy - arm, cx + arm, cy + arm, half),
                  segment(cx - arm, cy + arm, cx + arm, cy - arm, half))


def question_mark(colour):
    return [(any_of(arc(8, 5.8, 2.6, 0.95, 180, 90), segment(8, 8.4, 8, 9.8, 0.95)), colour),
            (disc(8, 12.3, 1.1), colour)]


# Each cell: layers of (shape, colour), painted in order; coordinates in pixels of the cell.
CELL_LAYERS = {
    1: [(disc(8, 8, 7.3), (200, 30, 30)), (cross(8, 8, 3.2, 1.0), WHITE)],
    2: [(triangle((8, 0.6), (15.4, 14.6), (0.6, 14.6)), (240, 190, 20)),
        (segment(8, 5, 8, 9.6, 1.05), BLACK), (disc(8, 12.2, 1.1), BLACK)],
    3: [(disc(8, 8, 7.3), (30, 90, 200)),
        (disc(8, 4.3, 1.2), WHITE), (box(6.9, 6.6, 9.1, 12.6), WHITE)],
    4: [(disc(8, 8, 7.3), (30, 90, 200))] + question_mark(WHITE),
    5: [(disc(8, 8, 7.3), (40, 150, 60)),
        (any_of(segment(4.2, 8.2, 7, 11, 1.0), segment(7, 11, 11.8, 5.2, 1.0)), WHITE)],
    6: [(disc(8, 8, 7.3), (230, 120, 20)),
        (any_of(segment(4, 5, 10, 5, 0.8), segment(3, 8, 13, 8, 0.8),
                segment(5, 11, 10, 11, 0.8)), WHITE)],
    7: [(disc(8, 8, 7.3), (90, 90, 90)), (disc(8, 8, 5.8), WHITE),
        (any_of(segment(8, 8, 8, 3.8, 0.8), segment(8, 8, 11, 9.5, 0.8)), (40, 40, 40))],
    8: [],
    9: [(cross(8, 8, 3.6, 0.95), (90, 90, 90))],
    10: [(rounded_box(1, 1, 15, 15, 2.5), (215, 50, 40)), (cross(8, 8, 3.6, 0.95), WHITE)],
    11: [(rounded_box(1, 1, 15, 15, 2.5), (150, 25, 20)), (cross(9, 9, 3.6, 0.95), WHITE)],
    12: [],
}


def render_cell(layers, size):
    pixels = []
    unit = CELL / size
    for py in range(size):
        row = []
        for px in range(size):
            total = [0.0, 0.0, 0.0]
            covered = 0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    x = (px + (sx + 0.5) / SAMPLES) * unit
                    y = (py + (sy + 0.5) / SAMPLES) * unit
                    colour = None
                    for shape, layer_colour in layers:
                        if shape(x, y):
                            colour = layer_colour
                    if colour is None:
                        colour = CREAM
                    else:
                        covered += 1
                    for i in range(3):
                        total[i] += colour[i]
            n = SAMPLES * SAMPLES
            if covered * 8 < n:
                row.append(GREEN)
            else:
                rgb = tuple(int(round(t / n)) for t in total)
                # A shape colour that came out pure green would turn transparent.
                row.append((rgb[0], 254, rgb[2]) if rgb == GREEN else rgb)
        pixels.append(row)
    return pixels


def write_bmp(path, width, height, rows):
    """24-bit BMP, rows given top first; stored bottom-up, each row padded to 4 bytes."""
    stride = (width * 3 + 3) & ~3
    data = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        line += b"\0" * (stride - len(line))
        data += line
    header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(data), 0, 0, 14 + 40)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, "wb") as out:
        out.write(header + info + data)


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    for size in SIZES:
        name = "msg_icons.bmp" if size == CELL else "msg_icons_%d.bmp" % size
        rows = [[] for _ in range(size)]
        for cell in range(1, CELLS + 1):
            for y, row in enumerate(render_cell(CELL_LAYERS[cell], size)):
                rows[y] += row
        path = os.path.join(folder, name)
        write_bmp(path, size * CELLS, size, rows)
        print(path)


if __name__ == "__main__":
    main()
