#!/usr/bin/env python3
"""Draws the program's icons into res/icons: 16x16 and 32x32 PNG with a
16-colour palette, and an SVG of the same drawing for scalable use.

Each icon is a list of rectangles on a 32x32 grid, drawn in order."""
import os
import struct
import zlib

PALETTE = [
    (0, 0, 0),        # 0 transparent
    (32, 40, 56),     # 1 chip body
    (70, 84, 110),    # 2 chip edge
    (190, 196, 206),  # 3 pins
    (250, 204, 60),   # 4 arrows
    (255, 255, 255),  # 5 paper
    (120, 128, 140),  # 6 paper edge
    (214, 220, 228),  # 7 fold
    (60, 110, 190),   # 8 code cells
    (230, 120, 50),   # 9 text cells
]
PALETTE += [(0, 0, 0)] * (16 - len(PALETTE))

CHIP = [
    (x, y, w, 3, 3) for y in (6, 11, 16, 21) for (x, w) in ((2, 5), (25, 5))
] + [
    (6, 3, 20, 26, 2),
    (7, 4, 18, 24, 1),
    # ">" arrow above, "<" arrow below: bytes to text and back.
    (10, 9, 10, 2, 4), (18, 7, 2, 6, 4), (20, 8, 2, 4, 4),
    (12, 20, 10, 2, 4), (12, 18, 2, 6, 4), (10, 19, 2, 4, 4),
]

TABLE = [
    (5, 2, 22, 28, 6),
    (6, 3, 20, 26, 5),
    (20, 3, 6, 6, 7),
] + [
    (x, y, w, 3, c) for y in (11, 16, 21) for (x, w, c) in ((8, 6, 8), (16, 8, 9))
]

ICONS = {"dalvren": CHIP, "thingy-table": TABLE}


def png(size, rects):
    scale = size / 32
    pixels = [[0] * size for _ in range(size)]
    for x, y, w, h, c in rects:
        x0, y0 = int(x * scale), int(y * scale)
        x1 = max(x0 + 1, int(round((x + w) * scale)))
        y1 = max(y0 + 1, int(round((y + h) * scale)))
        for py in range(y0, min(y1, size)):
            for px in range(x0, min(x1, size)):
                pixels[py][px] = c
    raw = b""
    for row in pixels:
        raw += b"\0" + bytes((row[i] << 4) | row[i + 1] for i in range(0, size, 2))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 4, 3, 0, 0, 0))
            + chunk(b"PLTE", b"".join(bytes(c) for c in PALETTE))
            + chunk(b"tRNS", b"\0")
            + chunk(b"IDAT", zlib.compress(raw, 9))
            + chunk(b"IEND", b""))


def svg(rects):
    out = ['<svg xmlns="http://www.w3.org/2000/svg" width="32" height="32" '
           'viewBox="0 0 32 32">']
    for x, y, w, h, c in rects:
        out.append('  <rect x="%d" y="%d" width="%d" height="%d" fill="#%02x%02x%02x"/>'
                   % ((x, y, w, h) + PALETTE[c]))
    out.append("</svg>\n")
    return "\n".join(out)


def main():
    folder = os.path.join(os.path.dirname(__file__), "..", "res", "icons")
    for name, rects in ICONS.items():
        for size in (16, 32):
            with open(os.path.join(folder, "%s-%d.png" % (name, size)), "wb") as f:
                f.write(png(size, rects))
        with open(os.path.join(folder, name + ".svg"), "w") as f:
            f.write(svg(rects))


if __name__ == "__main__":
    main()
