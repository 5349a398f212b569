#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-2.0-or-later
"""Writes the calculator's two button pictures as 16-colour BMP strips.

Each strip holds two 16 x 16 images side by side: the normal picture and its
greyed twin for the disabled state. The bottom-left pixel (olive) is the colour
that the button treats as transparent. Run: tools/make_glyphs.py app/res
"""
import struct
import sys

# The classic 16-colour palette, as (red, green, blue).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
    (0, 128, 128), (128, 128, 128), (192, 192, 192), (255, 0, 0), (0, 255, 0),
    (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
KEY = {'.': 3, 'K': 0, 'W': 15, 'S': 8, 'D': 7, 'B': 12, 'N': 4, 'G': 2, 'L': 10, 'Y': 11}

PRINTER = """
................
.....KKKKKKK....
.....KWWWWWK....
.....KWKKKWK....
.....KWWWWWK....
...KKKKKKKKKKK..
..KSSSSSSSSSSSK.
..KSSSSSSSSSLSK.
..KDDDDDDDDDDDK.
..KSSSSSSSSSSSK.
..KKKKKKKKKKKKK.
....KWWWWWWWK...
....KWKKKKKWK...
....KWWWWWWWK...
....KKKKKKKKK...
................
"""

GLOBE = """
................
.....KKKKKK.....
...KKBBGGBBKK...
..KBBGGGBBBBBK..
..KBGGGGGBBBBK..
.KBBBGGGBBBGGBK.
.KBBBBGBBBGGGBK.
.KBBBBBBBBGGGBK.
.KBBBBBBBBBGBBK.
.KBBGGBBBBBBBBK.
.KBGGGGBBBBBBBK.
..KBGGGBBBBBBK..
..KBBGBBBBBBBK..
...KKBBBBBBKK...
.....KKKKKK.....
................
"""


def parse(art):
    rows = [r for r in art.strip().splitlines()]
    assert len(rows) == 16 and all(len(r) == 16 for r in rows)
    return [[KEY[c] for c in r] for r in rows]


def greyed(img):
    """The disabled look: grey shapes with a white emboss one pixel down-right."""
    out = [[KEY['.']] * 16 for _ in range(16)]
    for y in range(16):
        for x in range(16):
            if img[y][x] == KEY['K'] and y + 1 < 16 and x + 1 < 16:
                out[y + 1][x + 1] = KEY['W']
    for y in range(16):
        for x in range(16):
            c = img[y][x]
            if c == KEY['.']:
                continue
            # Outlines and land go dark grey, everything else light grey.
            out[y][x] = KEY['D'] if c in (KEY['K'], KEY['G'], KEY['L']) else KEY['S']
    return out


def bmp(strip):
    width, height = len(strip[0]), len(strip)
    stride = ((width * 4 + 31) // 32) * 4
    pixels = b''
    for row in reversed(strip):  # bottom-up
        line = bytearray(stride)
        for x, c in enumerate(row):
            line[x // 2] |= c << (4 if x % 2 == 0 else 0)
        pixels += bytes(line)
    palette = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in PALETTE)
    offset = 14 + 40 + len(palette)
    header = struct.pack('<2sIHHI', b'BM', offset + len(pixels), 0, 0, offset)
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 4, 0, len(pixels), 3780, 3780, 16, 16)
    return header + info + palette + pixels


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else '.'
    for name, art in (('print_glyph.bmp', PRINTER), ('globe_glyph.bmp', GLOBE)):
        img = parse(art)
        grey = greyed(img)
        strip = [img[y] + grey[y] for y in range(16)]
        with open(f'{folder}/{name}', 'wb') as f:
            f.write(bmp(strip))


if __name__ == '__main__':
    main()
