#!/usr/bin/env python3
"""Draws the two underwater-valve pictures (350 x 240 RGB PNG) into
data/ReportImage: a water pipe seen from the side with a butterfly valve in
its middle. UnderwaterValve_Open.png: the disc lies along the pipe, the
handle along the pipe, water and flow arrows on both sides.
UnderwaterValve_Close.png: the disc stands across the pipe, the handle across,
water and an arrow only on the inlet side. No text, so every language uses
them. Standard library only."""
import math
import os
import struct
import sys
import zlib

W, H = 350, 240
CX, CY = 175, 128
PIPE_TOP, PIPE_BOTTOM, WALL = 98, 158, 8
BODY_R, BODY_RING = 50, 8

BACKGROUND = (250, 250, 250)
STEEL = (70, 74, 82)
WATER = (64, 140, 218)
EMPTY = (226, 230, 234)
DISC = (150, 40, 40)
ARROW = (255, 255, 255)


def png(path, rows):
    raw = b"".join(b"\x00" + bytes(v for px in row for v in px) for row in rows)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", W, H, 8, 2, 0, 0, 0)))
        f.write(chunk(b"IDAT", zlib.compress(raw, 9)))
        f.write(chunk(b"IEND", b""))


def seg_distance(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(px - (ax + t * dx), py - (ay + t * dy))


def in_triangle(px, py, a, b, c):
    def side(p1, p2):
        return (px - p2[0]) * (p1[1] - p2[1]) - (p1[0] - p2[0]) * (py - p2[1])

    d1, d2, d3 = side(a, b), side(b, c), side(c, a)
    neg = d1 < 0 or d2 < 0 or d3 < 0
    pos = d1 > 0 or d2 > 0 or d3 > 0
    return not (neg and pos)


def arrow(x0, x1):
    """A flow arrow along the pipe's axis from x0 to x1 (shaft and head)."""
    head = 14
    return ("arrow", (x0, CY, x1 - head, CY), ((x1 - head, CY - 10), (x1 - head, CY + 10), (x1, CY)))


def colour_at(px, py, is_open):
    r = math.hypot(px - CX, py - CY)
    inner = PIPE_TOP + WALL <= py <= PIPE_BOTTOM - WALL
    in_pipe_band = PIPE_TOP <= py <= PIPE_BOTTOM and 12 <= px <= W - 12
    # Stem and handle above the body.
    if seg_distance(px, py, CX, CY - BODY_R, CX, 40) <= 4:
        return STEEL
    if is_open:
        if seg_distance(px, py, CX - 48, 36, CX + 48, 36) <= 7:
            return DISC
    else:
        if math.hypot(px - CX, py - 36) <= 13:
            return DISC
        if math.hypot(px - CX, py - 36) <= 17:
            return STEEL
    # The valve body: a ring around the bore.
    if BODY_R - BODY_RING <= r <= BODY_R:
        return STEEL
    inside_body = r < BODY_R - BODY_RING
    if not inside_body and not in_pipe_band:
        return BACKGROUND
    if not inside_body and not inner:
        return STEEL  # the pipe's walls
    # The disc on its shaft.
    if is_open:
        if abs(py - CY) <= 5 and abs(px - CX) <= BODY_R - BODY_RING - 2:
            return DISC
    else:
        if abs(px - CX) <= 5 and abs(py - CY) <= BODY_R - BODY_RING - 2:
            return DISC
    if math.hypot(px - CX, py - CY) <= 8:
        return STEEL  # the shaft
    wet = is_open or px < CX
    if inside_body and not inner and not (is_open or px < CX):
        return EMPTY
    if not wet:
        return EMPTY
    arrows = [arrow(30, 100), arrow(250, 320)] if is_open else [arrow(30, 100)]
    for _, shaft, head in arrows:
        if seg_distance(px, py, *shaft) <= 3 or in_triangle(px, py, *head):
            return ARROW
    return WATER


def draw(is_open):
    rows = []
    for y in range(H):
        row = []
        for x in range(W):
            acc = [0, 0, 0]
            for sy in (0.25, 0.75):
                for sx in (0.25, 0.75):
                    c = colour_at(x + sx, y + sy, is_open)
                    for i in range(3):
                        acc[i] += c[i]
            row.append(tuple(int(round(v / 4)) for v in acc))
        rows.append(row)
    return rows


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "data", "ReportImage")
    os.makedirs(out, exist_ok=True)
    png(os.path.join(out, "UnderwaterValve_Open.png"), draw(True))
    png(os.path.join(out, "UnderwaterValve_Close.png"), draw(False))


if __name__ == "__main__":
    main()
