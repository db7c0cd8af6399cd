#!/usr/bin/env python3
"""Builds a dialog template's initialisation data (resource type 240) from a text list.

Input lines: "<control id> <item text>"; '#' starts a comment line, blank lines are skipped.
Each item becomes: WORD control id, WORD 0x0403 (add a combo-box string), DWORD byte count,
the text in the system code page with its NUL. A WORD 0 ends the data. Items keep their order.
"""
import struct
import sys

ADD_COMBO_STRING = 0x0403


def read_items(path):
    items = []
    with open(path, encoding="ascii") as source:
        for number, line in enumerate(source, 1):
            line = line.rstrip("\r\n")
            if not line.strip() or line.lstrip().startswith("#"):
                continue
            ident, _, text = line.partition(" ")
            control = int(ident, 0)
            if not 0 < control < 0x10000 or not text:
                sys.exit(f"{path}:{number}: expected '<control id> <text>'")
            items.append((control, text))
    return items


def build_init_data(items):
    data = b""
    for control, text in items:
        encoded = text.encode("ascii") + b"\0"
        data += struct.pack("<HHI", control, ADD_COMBO_STRING, len(encoded)) + encoded
    return data + struct.pack("<H", 0)


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit("usage: make_dialog_init.py items.txt init.bin")
    data = build_init_data(read_items(sys.argv[1]))
    with open(sys.argv[2], "wb") as target:
        target.write(data)
