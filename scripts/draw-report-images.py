#!/usr/bin/env python3
"""Draws the pictures of the braking-system plate into data/ReportImage (RGB
PNG, standard library only): the trailer seen from the side with 1 to 5 axles,
unladen and laden; the load, pressure, height-sensor and lifting symbols; the
grey backgrounds of the axle diagram. The brand logo (logo.jpg) is made by
reports/logo/make_brand_logo.c. Run after changing the artwork:

    python3 scripts/draw-report-images.py
"""
import math
import os
import struct
import zlib

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "data", "ReportImage")
WHITE, BLACK, GREY, LIGHT, BLUE, RED = (255, 255, 255), (30, 30, 30), (150, 150, 150), (225, 225, 225), (30, 70, 150), (190, 40, 40)


class Canvas:
    def __init__(self, w, h, bg=WHITE):
        self.w, self.h = w, h
        self.px = [[bg] * w for _ in range(h)]

    def put(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = c

    def rect(self, x0, y0, x1, y1, c):
        for y in range(max(0, y0), min(self.h, y1)):
            for x in range(max(0, x0), min(self.w, x1)):
                self.px[y][x] = c

    def disc(self, cx, cy, r, c):
        for y in range(cy - r, cy + r + 1):
            for x in range(cx - r, cx + r + 1):
                if (x - cx) ** 2 + (y - cy) ** 2 <= r * r:
                    self.put(x, y, c)

    def line(self, x0, y0, x1, y1, c, width=2):
        n = max(abs(x1 - x0), abs(y1 - y0), 1)
        for i in range(n + 1):
            x = x0 + (x1 - x0) * i / n
            y = y0 + (y1 - y0) * i / n
            for dy in range(-(width // 2), width - width // 2):
                for dx in range(-(width // 2), width - width // 2):
                    self.put(int(round(x)) + dx, int(round(y)) + dy, c)

    def frame(self, c=GREY):
        self.rect(0, 0, self.w, 1, c)
        self.rect(0, self.h - 1, self.w, self.h, c)
        self.rect(0, 0, 1, self.h, c)
        self.rect(self.w - 1, 0, self.w, self.h, c)

    def save(self, name):
        raw = b"".join(b"\x00" + bytes(v for px in row for v in px) for row in self.px)

        def chunk(kind, data):
            body = kind + data
            return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

        with open(os.path.join(OUT, name), "wb") as f:
            f.write(b"\x89PNG\r\n\x1a\n")
            f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", self.w, self.h, 8, 2, 0, 0, 0)))
            f.write(chunk(b"IDAT", zlib.compress(raw, 9)))
            f.write(chunk(b"IEND", b""))


def trailer(axles, laden):
    c = Canvas(120, 60)
    c.rect(6, 18, 114, 40, BLUE)          # body
    c.rect(0, 26, 8, 30, BLACK)           # drawbar
    if laden:
        c.rect(14, 4, 106, 18, RED)       # load on the body
    span = 16 * axles
    start = 100 - span
    for k in range(axles):
        x = start + 16 * k + 8
        c.disc(x, 46, 7, BLACK)
        c.disc(x, 46, 3, LIGHT)
    c.frame()
    return c


def arrow_down(c, x, y0, y1, colour=BLACK):
    c.line(x, y0, x, y1, colour, 3)
    c.line(x - 6, y1 - 7, x, y1, colour, 3)
    c.line(x + 6, y1 - 7, x, y1, colour, 3)


def gauge(w, h, needle):
    c = Canvas(w, h)
    cx, cy, r = w // 2, h - 8, min(w // 2, h) - 10
    for a in range(0, 181, 2):
        t = math.radians(a)
        c.put(int(cx + r * math.cos(t)), int(cy - r * math.sin(t)), BLACK)
        c.put(int(cx + (r - 1) * math.cos(t)), int(cy - (r - 1) * math.sin(t)), BLACK)
    t = math.radians(needle)
    c.line(cx, cy, int(cx + (r - 4) * math.cos(t)), int(cy - (r - 4) * math.sin(t)), RED, 3)
    c.disc(cx, cy, 3, BLACK)
    c.frame()
    return c


def main():
    os.makedirs(OUT, exist_ok=True)
    for n in range(1, 6):
        trailer(n, False).save("unladen_axle_%d.png" % n)
        trailer(n, True).save("laden_axle_%d.png" % n)

    load = Canvas(70, 60)
    load.rect(15, 8, 55, 30, RED)
    arrow_down(load, 35, 30, 54)
    load.frame()
    load.save("load.png")

    gauge(70, 60, 60).save("loadPressure.png")
    gauge(70, 60, 135).save("breakPressure.png")

    zero = Canvas(70, 60)
    zero.rect(5, 40, 65, 44, BLACK)
    zero.line(20, 40, 50, 40, BLUE, 4)
    zero.disc(35, 20, 10, BLUE)
    zero.disc(35, 20, 4, WHITE)
    zero.frame()
    zero.save("heightSensorZero.png")

    distance = Canvas(70, 60)
    distance.rect(5, 50, 65, 54, BLACK)
    distance.rect(10, 8, 60, 14, BLUE)
    distance.line(35, 16, 35, 48, RED, 2)
    distance.line(29, 22, 35, 16, RED, 2)
    distance.line(41, 22, 35, 16, RED, 2)
    distance.line(29, 42, 35, 48, RED, 2)
    distance.line(41, 42, 35, 48, RED, 2)
    distance.frame()
    distance.save("heightSensorDistance.png")

    length = Canvas(70, 50)
    length.line(10, 40, 60, 10, BLUE, 4)
    length.disc(10, 40, 5, BLACK)
    length.disc(60, 10, 5, BLACK)
    length.frame()
    length.save("heightSensorLength.png")

    lifting = Canvas(70, 50)
    lifting.rect(5, 8, 65, 16, BLUE)
    lifting.disc(35, 34, 9, BLACK)
    lifting.disc(35, 34, 4, LIGHT)
    lifting.line(35, 22, 35, 10, RED, 3)
    lifting.line(29, 16, 35, 10, RED, 3)
    lifting.line(41, 16, 35, 10, RED, 3)
    lifting.frame()
    lifting.save("liftingBridge.png")

    row11 = Canvas(100, 50)
    row11.rect(10, 20, 90, 30, BLUE)
    row11.disc(25, 25, 9, BLACK)
    row11.disc(75, 25, 9, BLACK)
    row11.frame()
    row11.save("row11.png")
    for name, colour in (("row12.png", BLUE), ("row13.png", RED)):
        c = Canvas(100, 70)
        c.rect(20, 50, 80, 56, BLACK)
        c.line(50, 48, 50, 14, colour, 3)
        c.line(42, 22, 50, 14, colour, 3)
        c.line(58, 22, 50, 14, colour, 3)
        c.frame()
        c.save(name)

    Canvas(320, 90, LIGHT).save("gray_bg.png")
    box = Canvas(40, 30, LIGHT)
    box.frame(GREY)
    box.save("gray_bg2.png")
    print("pictures written under %s" % OUT)


if __name__ == "__main__":
    main()
