#!/usr/bin/env python3
"""Draws the end-of-line result pictures (50 x 50 RGBA PNG) into data/EolBitmaps:
421 failed (red disc with a white cross), 423 passed (green disc with a white
tick), 424 idle (grey disc with a white bar). Standard library only."""
import math
import os
import struct
import sys
import zlib

SIZE = 50


def png(path, pixels):
    raw = b"".join(b"\x00" + bytes(v for px in row for v in px) for row in pixels)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", SIZE, SIZE, 8, 6, 0, 0, 0)))
        f.write(chunk(b"IDAT", zlib.compress(raw, 9)))
        f.write(chunk(b"IEND", b""))


def seg_distance(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(px - (ax + t * dx), py - (ay + t * dy))


def draw(colour, strokes):
    c = (SIZE - 1) / 2.0
    rows = []
    for y in range(SIZE):
        row = []
        for x in range(SIZE):
            # 4 x 4 supersampling for smooth edges
            disc = mark = 0
            for sy in range(4):
                for sx in range(4):
                    px, py = x + (sx + 0.5) / 4, y + (sy + 0.5) / 4
                    if math.hypot(px - c - 0.5, py - c - 0.5) <= 23.5:
                        disc += 1
                        if any(seg_distance(px, py, *s) <= 3.2 for s in strokes):
                            mark += 1
            alpha = disc / 16.0
            if disc == 0:
                row.append((0, 0, 0, 0))
                continue
            w = mark / disc
            rgb = tuple(int(round(colour[i] * (1 - w) + 255 * w)) for i in range(3))
            row.append(rgb + (int(round(255 * alpha)),))
        rows.append(row)
    return rows


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "data", "EolBitmaps")
    os.makedirs(out, exist_ok=True)
    png(os.path.join(out, "421.png"), draw((0xD8, 0x2A, 0x2A), [(15, 15, 35, 35), (35, 15, 15, 35)]))
    png(os.path.join(out, "423.png"), draw((0x2E, 0xB8, 0x3C), [(13, 26, 21, 34), (21, 34, 37, 16)]))
    png(os.path.join(out, "424.png"), draw((0xA0, 0xA0, 0xA0), [(14, 25, 36, 25)]))


if __name__ == "__main__":
    main()
