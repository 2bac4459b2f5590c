#!/usr/bin/python3
"""Draws the Homepage Wizard's preview pictures into src/wizard/pictures.

Run it again after changing a drawing; the PNG files are committed.
"""
import math
import os
import struct
import zlib

OUT = os.path.join(os.path.dirname(__file__), "..", "src", "wizard", "pictures")


def write_png(name, width, height, pixel):
    rows = bytearray()
    for y in range(height):
        rows.append(0)
        for x in range(width):
            rows.extend(bytes(max(0, min(255, int(round(c)))) for c in pixel(x, y)))

    def chunk(tag, data):
        return struct.pack(">I", len(data)) + tag + data + struct.pack(">I", zlib.crc32(tag + data) & 0xFFFFFFFF)

    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(bytes(rows), 9)) + chunk(b"IEND", b"")
    with open(os.path.join(OUT, name), "wb") as f:
        f.write(png)


def mix(a, b, t):
    t = max(0.0, min(1.0, t))
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def supersample(shade, n=3):
    """Anti-aliased pixel from a function of real coordinates."""
    def pixel(x, y):
        acc = [0.0, 0.0, 0.0]
        for i in range(n):
            for j in range(n):
                c = shade(x + (i + 0.5) / n, y + (j + 0.5) / n)
                for k in range(3):
                    acc[k] += c[k]
        return tuple(v / (n * n) for v in acc)
    return pixel


def texture(x, y):
    # Parchment: integer periods keep the tile seamless.
    s = 64.0
    v = (math.sin(2 * math.pi * (3 * x + y) / s) + math.sin(2 * math.pi * (x - 5 * y) / s) * 0.7
         + math.sin(2 * math.pi * (7 * x + 4 * y) / s) * 0.4 + math.cos(2 * math.pi * (2 * x - 9 * y) / s) * 0.3)
    grain = ((x * 73 + y * 151) * 2654435761 >> 7) % 17 / 17.0
    return mix((236, 228, 206), (250, 245, 230), 0.5 + v * 0.15 + (grain - 0.5) * 0.25)


def photo(x, y):
    w, h = 72.0, 54.0
    c = mix((70, 130, 210), (190, 220, 250), y / (h * 0.65))
    if math.hypot(x - 52, y - 14) < 8:
        c = (255, 214, 60)
    far = 34 + 6 * math.sin(x / 9.0)
    near = 42 + 4 * math.sin(x / 6.0 + 2.0)
    if y > far:
        c = (90, 150, 70)
    if y > near:
        c = (55, 115, 45)
    # House with a red roof
    if 14 <= x <= 28 and 34 <= y <= 46:
        c = (235, 225, 200)
        if 19 <= x <= 23 and 39 <= y <= 46:
            c = (120, 70, 40)
    if 34 > y >= 26 and abs(x - 21) <= (y - 26) + 1:
        c = (190, 50, 40)
    if x < 1 or y < 1 or x > w - 1 or y > h - 1:
        c = (60, 60, 60)
    return c


def finished(x, y):
    c = (255, 255, 255)
    # Sheet of paper with a folded corner
    if 30 <= x <= 122 and 16 <= y <= 144 and not (x > 104 and y < 16 + (x - 104)):
        c = (248, 248, 240)
        if 40 <= x <= 112 and 26 <= y <= 34:
            c = (0, 0, 128)
        for row in (48, 58, 68, 78, 88):
            if 40 <= x <= 112 - (row % 20) and row <= y <= row + 3:
                c = (150, 150, 150)
        if 40 <= x <= 112 and 100 <= y <= 101:
            c = (120, 120, 120)
        edge = x < 31 or y < 17 or x > 121 or y > 143 or abs((x - 104) - (y - 16)) < 1
        if edge:
            c = (40, 40, 40)
    if 104 <= x <= 122 and 16 <= y <= 34 and (x - 104) >= (y - 16):
        c = (210, 210, 200) if (x - 104) - (y - 16) > 1 else (40, 40, 40)
    # Green tick over the lower right
    def seg(px, py, ax, ay, bx, by):
        dx, dy = bx - ax, by - ay
        t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)))
        return math.hypot(px - (ax + t * dx), py - (ay + t * dy))
    d = min(seg(x, y, 84, 112, 102, 132), seg(x, y, 102, 132, 140, 84))
    if d < 10:
        c = (30, 140, 40) if d < 7 else (255, 255, 255)
    return c


if __name__ == "__main__":
    os.makedirs(OUT, exist_ok=True)
    write_png("texture.png", 64, 64, texture)
    write_png("picture.png", 72, 54, supersample(photo))
    write_png("finished.png", 160, 160, supersample(finished))
