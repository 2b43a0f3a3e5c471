#!/usr/bin/env python3
"""The soak's verdict and plot: reads the CSV of scripts/soak, prints each figure's start, end and
growth, writes a PNG plot (each figure against its own first minute) and exits 1 when one grew by
1 % or more after the warm-up: the last minute's lowest value against the first minute's lowest
(threads that come and go do not count; what leaks raises the lowest value too).

  soak-report.py SOAK.csv PLOT.png
"""
import csv
import struct
import sys
import zlib

LIMIT = 0.01  # growth that fails the soak
COLUMNS = [
    ("private_bytes", "private bytes", lambda v: f"{v / 1048576:.2f} MiB"),
    ("handles", "kernel handles", lambda v: f"{v:.0f}"),
    ("gdi_objects", "GDI objects", lambda v: f"{v:.0f}"),
    ("user_objects", "USER objects", lambda v: f"{v:.0f}"),
    ("windows", "windows", lambda v: f"{v:.0f}"),
]
COLOURS = ["#c0392b", "#2471a3", "#1e8449", "#b7950b", "#7d3c98"]


def split_point(seconds):
    """Where the warm-up ends: one minute, or half of a run shorter than two."""
    total = seconds[-1]
    return 60.0 if total >= 120 else total / 2


def verdict(rows):
    seconds = [r["seconds"] for r in rows]
    split = split_point(seconds)
    tail_from = max(split, seconds[-1] - 60.0)
    results = []
    for key, label, fmt in COLUMNS:
        values = [r[key] for r in rows]
        if not any(values):
            results.append((key, label, None, None, None, "not reported here"))
            continue
        # The warm-up's figures count from the first whole tour of the panels: before it, some
        # panels were never opened.
        first = [r[key] for r in rows if r.get("tours", 1) >= 1 and r["seconds"] <= split]
        last = [r[key] for r in rows if r["seconds"] >= tail_from and r["seconds"] > split]
        if not first or not last:
            results.append((key, label, None, None, None, "too few samples"))
            continue
        # The lowest against the lowest: threads come and go (a ping's, a sound's: a handle and a
        # megabyte of stack each), while what leaks raises the lowest value too.
        base, end = min(first), min(last)
        growth = (end - base) / base if base else 0.0
        state = "grew" if growth >= LIMIT else "flat"
        results.append((key, label, base, end, growth, state))
    return split, results


def png(rows, split, path):
    """Each figure in % of its warm-up's largest value against time, as a PNG written with zlib:
    grey dashes at 99, 100 and 101 %, a grey line where the warm-up ends, one colour per figure."""
    width, height, margin = 900, 480, 30
    seconds = [r["seconds"] for r in rows]
    t_max = max(seconds[-1], 1.0)
    series = []
    for (key, _, _), colour in zip(COLUMNS, COLOURS):
        base = max([r[key] for r in rows if r["seconds"] <= split] or [0])
        if base:
            series.append((colour, [100.0 * r[key] / base for r in rows]))
    # The start itself (a sample before the first panel) is far below: the plot shows from 90 %.
    y_min = max(min([min(v) for _, v in series] + [98.0]), 90.0)
    y_max = max([max(v) for _, v in series] + [102.0])
    pixels = bytearray(b"\xff" * (width * height * 3))

    def put(px, py, rgb):
        if 0 <= px < width and 0 <= py < height:
            i = 3 * (py * width + px)
            pixels[i:i + 3] = rgb

    def x(t):
        return int(margin + (width - 2 * margin) * t / t_max)

    def y(v):
        return int(height - margin - (height - 2 * margin) * (v - y_min) / (y_max - y_min))

    def line(x0, y0, x1, y1, rgb, thick=1, dash=0):
        steps = max(abs(x1 - x0), abs(y1 - y0), 1)
        for k in range(steps + 1):
            if dash and (k // dash) % 2:
                continue
            px = x0 + (x1 - x0) * k // steps
            py = y0 + (y1 - y0) * k // steps
            for d in range(thick):
                put(px, py + d, rgb)

    grey = bytes((160, 160, 160))
    for level in (99.0, 100.0, 101.0):
        line(margin, y(level), width - margin, y(level), grey, dash=4)
    line(x(split), margin, x(split), height - margin, grey)
    for edge in ((margin, margin, width - margin, margin),
                 (margin, height - margin, width - margin, height - margin),
                 (margin, margin, margin, height - margin),
                 (width - margin, margin, width - margin, height - margin)):
        line(*edge, bytes((0, 0, 0)))
    for minute in range(int(t_max // 60) + 1):
        line(x(minute * 60), height - margin, x(minute * 60), height - margin + 6, bytes((0, 0, 0)))
    for colour, values in series:
        rgb = bytes(int(colour[i:i + 2], 16) for i in (1, 3, 5))
        points = [(x(t), y(v)) for t, v in zip(seconds, values)]
        for (x0, y0), (x1, y1) in zip(points, points[1:]):
            line(x0, y0, x1, y1, rgb, thick=2)
    raw = b"".join(b"\x00" + bytes(pixels[3 * width * row:3 * width * (row + 1)])
                   for row in range(height))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    with open(path, "wb") as handle:
        handle.write(b"\x89PNG\r\n\x1a\n")
        handle.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)))
        handle.write(chunk(b"IDAT", zlib.compress(raw, 9)))
        handle.write(chunk(b"IEND", b""))
    return y_min, y_max


def main():
    if len(sys.argv) != 3:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    with open(sys.argv[1], newline="", encoding="ascii") as handle:
        rows = [{k: float(v) for k, v in row.items()} for row in csv.DictReader(handle)]
    if len(rows) < 3:
        print(f"soak: only {len(rows)} samples; nothing to judge")
        return 1
    split, results = verdict(rows)
    y_min, y_max = png(rows, split, sys.argv[2])
    failed = False
    print(f"{len(rows)} samples over {rows[-1]['seconds'] / 60:.1f} min; warm-up "
          f"{split:.0f} s; growth is the last minute's lowest against the warm-up's lowest")
    names = {"#c0392b": "red", "#2471a3": "blue", "#1e8449": "green", "#b7950b": "ochre",
             "#7d3c98": "purple"}
    print(f"plot {sys.argv[2]}: {y_min:.1f} to {y_max:.1f} % of the warm-up's largest, one tick a "
          "minute; " + ", ".join(f"{label} {names[c]}" for (_, label, _), c in zip(COLUMNS, COLOURS)))
    formats = {key: fmt for key, _, fmt in COLUMNS}
    for key, label, base, end, growth, state in results:
        if base is None:
            print(f"  {label:15} {state}")
            continue
        failed |= state == "grew"
        print(f"  {label:15} {formats[key](base):>12} -> {formats[key](end):>12}  "
              f"{100 * growth:+6.2f} %  {state}")
    print("soak: " + ("FAILED, a figure grew by 1 % or more" if failed else "flat"))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
