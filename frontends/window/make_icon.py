#!/usr/bin/env python3
"""Draws padwright.ico: a game-controller glyph at 16, 20, 24, 32, 40, 48, 64 and 256 pixels
(32-bit with alpha), so that the caption (16 at 100 %), the taskbar and Alt+Tab (32) and
Explorer find an image of their own size at 100, 125, 150 and 200 % scaling instead of a
stretched one. The 256-pixel image is stored as PNG, as Windows reads it, to keep the file
small.

Standard library only. Run it from anywhere; it writes the icon beside itself:
    python3 frontends/window/make_icon.py
"""
import math
import os
import struct
import zlib

SIZES = (16, 20, 24, 32, 40, 48, 64, 256)
# Images at least this large go into the file as PNG, the others as bitmaps (DIB).
PNG_FROM = 256
SUPERSAMPLE = 4

BODY = (0x2B, 0x3A, 0x4A)      # slate body
EDGE = (0x14, 0x1C, 0x26)      # darker outline
DPAD = (0xF2, 0xF2, 0xF2)      # light cross
BUTTON_A = (0x25, 0xB0, 0x06)  # the progress bar's green
BUTTON_B = (0xE0, 0x40, 0x30)


def capsule(px, py, ax, ay, bx, by, r):
    """Signed distance from (px, py) to a capsule from a to b with radius r."""
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(px - (ax + t * dx), py - (ay + t * dy)) - r


def box(px, py, cx, cy, hw, hh):
    qx, qy = abs(px - cx) - hw, abs(py - cy) - hh
    return math.hypot(max(qx, 0), max(qy, 0)) + min(max(qx, qy), 0)


def body(x, y):
    # The pad: a wide bar with two grips hanging down-left and down-right.
    bar = capsule(x, y, 0.30, 0.44, 0.70, 0.44, 0.20)
    left = capsule(x, y, 0.28, 0.46, 0.18, 0.72, 0.13)
    right = capsule(x, y, 0.72, 0.46, 0.82, 0.72, 0.13)
    return min(bar, left, right)


def colour_at(x, y):
    """Colour and coverage (0 or 1) of the glyph at unit coordinates (x, y)."""
    d = body(x, y)
    if d > 0:
        return None
    colour = EDGE if d > -0.035 else BODY
    cross = min(box(x, y, 0.30, 0.44, 0.085, 0.028), box(x, y, 0.30, 0.44, 0.028, 0.085))
    if cross < 0:
        colour = DPAD
    if math.hypot(x - 0.66, y - 0.49) < 0.045:
        colour = BUTTON_A
    if math.hypot(x - 0.74, y - 0.39) < 0.045:
        colour = BUTTON_B
    return colour


def render(size):
    """Rows top-down of (b, g, r, a) tuples, averaged over SUPERSAMPLE² samples."""
    rows = []
    n = SUPERSAMPLE
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0, 0, 0, 0]
            for sy in range(n):
                for sx in range(n):
                    c = colour_at((px + (sx + 0.5) / n) / size, (py + (sy + 0.5) / n) / size)
                    if c is not None:
                        acc[0] += c[2]
                        acc[1] += c[1]
                        acc[2] += c[0]
                        acc[3] += 1
            hits = acc[3]
            if hits == 0:
                row.append((0, 0, 0, 0))
            else:
                row.append((acc[0] // hits, acc[1] // hits, acc[2] // hits,
                            round(255 * hits / (n * n))))
        rows.append(row)
    return rows


def dib(size):
    """One icon image: BITMAPINFOHEADER, BGRA rows bottom-up, then the AND mask."""
    rows = render(size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = b"".join(bytes(v for p in row for v in p) for row in reversed(rows))
    stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        line = bytearray(stride)
        for x, p in enumerate(row):
            if p[3] == 0:
                line[x // 8] |= 0x80 >> (x % 8)
        mask += line
    return header + pixels + bytes(mask)


def png(size):
    """One icon image as a PNG file: RGBA rows top-down."""
    rows = render(size)
    raw = b"".join(b"\0" + bytes(v for b, g, r, a in row for v in (r, g, b, a)) for row in rows)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def main():
    images = [png(s) if s >= PNG_FROM else dib(s) for s in SIZES]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, image in zip(SIZES, images):
        # A width or height of 256 is written as 0.
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    out += b"".join(images)
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "padwright.ico")
    with open(path, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main()
