#!/usr/bin/env python3
"""Builds a Windows icon file (one 32 x 32 image, 16 colours) from a text picture.

The picture has 32 lines of 32 letters; lines starting with '#' are comments. Each letter is
one pixel of the standard 16-colour palette, '.' is transparent:

  k black    r maroon   g green    o olive    n navy    p purple   t teal     s silver
  d grey     R red      G lime     Y yellow   B blue    M fuchsia  C aqua     W white
"""
import struct
import sys

SIZE = 32
PALETTE = [  # (letter, red, green, blue), in the order of the standard 16-colour palette
    ("k", 0x00, 0x00, 0x00), ("r", 0x80, 0x00, 0x00), ("g", 0x00, 0x80, 0x00),
    ("o", 0x80, 0x80, 0x00), ("n", 0x00, 0x00, 0x80), ("p", 0x80, 0x00, 0x80),
    ("t", 0x00, 0x80, 0x80), ("s", 0xC0, 0xC0, 0xC0), ("d", 0x80, 0x80, 0x80),
    ("R", 0xFF, 0x00, 0x00), ("G", 0x00, 0xFF, 0x00), ("Y", 0xFF, 0xFF, 0x00),
    ("B", 0x00, 0x00, 0xFF), ("M", 0xFF, 0x00, 0xFF), ("C", 0x00, 0xFF, 0xFF),
    ("W", 0xFF, 0xFF, 0xFF),
]
INDEX = {letter: i for i, (letter, _, _, _) in enumerate(PALETTE)}
TRANSPARENT = "."


def read_picture(path):
    rows = []
    with open(path, encoding="ascii") as source:
        for number, line in enumerate(source, 1):
            line = line.rstrip("\r\n")
            if line.startswith("#"):
                continue
            if len(line) != SIZE or any(c not in INDEX and c != TRANSPARENT for c in line):
                sys.exit(f"{path}:{number}: expected {SIZE} palette letters or '.'")
            rows.append(line)
    if len(rows) != SIZE:
        sys.exit(f"{path}: expected {SIZE} lines of pixels, found {len(rows)}")
    return rows


def build_icon(rows):
    # Both bitmaps are stored bottom row first; a transparent pixel is black in the colour
    # bitmap and set in the mask.
    colours = b""
    mask = b""
    for row in reversed(rows):
        nibbles = [INDEX.get(c, 0) for c in row]
        colours += bytes((nibbles[i] << 4) | nibbles[i + 1] for i in range(0, SIZE, 2))
        bits = 0
        for c in row:
            bits = (bits << 1) | (c == TRANSPARENT)
        mask += struct.pack(">I", bits)
    palette = b"".join(struct.pack("<BBBB", blue, green, red, 0) for _, red, green, blue in PALETTE)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, 2 * SIZE, 1, 4, 0, len(colours) + len(mask),
                         0, 0, 16, 0)
    image = header + palette + colours + mask
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 16, 0, 1, 4, len(image), 6 + 16)
    return directory + entry + image


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit("usage: make_icons.py picture.txt icon.ico")
    icon = build_icon(read_picture(sys.argv[1]))
    with open(sys.argv[2], "wb") as target:
        target.write(icon)
