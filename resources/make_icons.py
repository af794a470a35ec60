#!/usr/bin/env python3
"""Writes the installer's icons: a terminal window with a prompt and a key, in
the 16 standard colours, at 32 x 32 and 16 x 16 pixels.

Usage: make_icons.py <output directory>
Writes installer.ico (both sizes, the program's own icon), large.ico (32 x 32)
and small.ico (16 x 16). The output depends only on this file.
"""
import struct
import sys
from pathlib import Path

# The standard 16-colour palette, as (red, green, blue).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
    (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
    (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
# Picture characters: '.' is transparent, every other one a palette index.
COLOURS = {"k": 0, "n": 4, "g": 2, "G": 10, "s": 7, "d": 8, "w": 15, "y": 11, "o": 3, "b": 12}

LARGE = """
................................
................................
................................
..dddddddddddddddddddddddddddd..
..dnnnnnnnnnnnnnnnnnnnnnnnnnnd..
..dnnnnnnnnnnnnnnnnnnnwnwnwnnd..
..dnnnnnnnnnnnnnnnnnnnnnnnnnnd..
..dssssssssssssssssssssssssssd..
..dskkkkkkkkkkkkkkkkkkkkkkkksd..
..dskkkkkkkkkkkkkkkkkkkkkkkksd..
..dskkGGkkkkkkkkkkkkkkkkkkkksd..
..dskkkGGkkkkkkkkkkkkkkkkkkksd..
..dskkkkGGkkkkkkkkkkkkkkkkkksd..
..dskkkGGkkkkkkkkkkkkkkkkkkksd..
..dskkGGkkwwwwkkkkkkkkkkkkkksd..
..dskkkkkkkkkkkkkkkkkkkkkkkksd..
..dskkkkkkkkkkkkkkkkkkkkkkkksd..
..dskkgggggggggkkkkkkkkkkkkksd..
..dskkkkkkkkkkkkkkkkkkkkkkkksd..
..dskkggggggkkkkkkkkkkkkkkkksd..
..dskkkkkkkkkkkkkkkkkkyyyyyksd..
..dskkkkkkkkkkkkkkkkkyykkkyysd..
..dskkkkkkkkkkkkkkkkkykkkkkysd..
..dskkkkkkkkkkkkkkkkkykkkkkysd..
..dssssssssssssssssssyykkkyyd...
..ddddddddddddddddddddyyyyy.....
.......................oy.......
.......................oyyy.....
.......................oy.......
.......................oyyy.....
.......................oyy......
................................
"""

SMALL = """
................
.dddddddddddddd.
.dnnnnnnnnnnwnd.
.dssssssssssssd.
.dskkkkkkkkkksd.
.dskGkkkkkkkksd.
.dskkGkkkkkkksd.
.dskGkwwkkkkksd.
.dskkkkkkkkkksd.
.dskggggkyyyksd.
.dskkkkkykkkysd.
.dsssssssyyyd...
.dddddddddoy....
..........oyy...
..........oy....
..........oyy...
"""


def pixels(picture, size):
    rows = [row for row in picture.strip("\n").split("\n")]
    assert len(rows) == size and all(len(row) == size for row in rows), (size, [len(r) for r in rows])
    return rows


def image(picture, size):
    """One icon image: BITMAPINFOHEADER, palette, colour rows, mask rows (bottom up)."""
    rows = pixels(picture, size)
    colour_stride = (size * 4 + 31) // 32 * 4
    mask_stride = (size + 31) // 32 * 4
    colour = bytearray()
    mask = bytearray()
    for row in reversed(rows):
        line = bytearray(colour_stride)
        bits = bytearray(mask_stride)
        for x, ch in enumerate(row):
            if ch == ".":
                bits[x // 8] |= 0x80 >> (x % 8)
                index = 0
            else:
                index = COLOURS[ch]
            line[x // 2] |= index << (4 if x % 2 == 0 else 0)
        colour += line
        mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0, len(colour) + len(mask), 0, 0, 0, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    return header + palette + bytes(colour) + bytes(mask)


def icon_file(*images):
    """An .ico file of (size, image bytes) entries."""
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = len(directory) + 16 * len(images)
    entries = b""
    data = b""
    for size, bitmap in images:
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, 16, 0, 1, 4, len(bitmap), offset + len(data))
        data += bitmap
    return directory + entries + data


def main():
    out = Path(sys.argv[1])
    out.mkdir(parents=True, exist_ok=True)
    large = (32, image(LARGE, 32))
    small = (16, image(SMALL, 16))
    (out / "installer.ico").write_bytes(icon_file(large, small))
    (out / "large.ico").write_bytes(icon_file(large))
    (out / "small.ico").write_bytes(icon_file(small))


if __name__ == "__main__":
    main()
