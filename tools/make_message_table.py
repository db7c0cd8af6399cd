#!/usr/bin/env python3
"""Builds a binary message table (the layout of a MESSAGETABLE resource) from a text list.

Input lines: "<id> <text>", ids in ascending order; '#' starts a comment line. Every text is
ANSI, gets a CR LF line end and is padded with NUL bytes (at least one) to a multiple of 4.
Consecutive ids share one block.
"""
import struct
import sys


def read_messages(path):
    messages = []
    with open(path, encoding="ascii") as source:
        for line in source:
            line = line.rstrip("\r\n")
            if not line.strip() or line.lstrip().startswith("#"):
                continue
            ident, _, text = line.partition(" ")
            messages.append((int(ident, 0), text))
    ids = [ident for ident, _ in messages]
    if not messages or ids != sorted(set(ids)):
        sys.exit(f"{path}: message ids must be present, unique and ascending")
    return messages


def build_table(messages):
    blocks = []
    for ident, text in messages:
        if blocks and blocks[-1][1] + 1 == ident:
            blocks[-1][1] = ident
            blocks[-1][2].append(text)
        else:
            blocks.append([ident, ident, [text]])
    offset = 4 + 12 * len(blocks)
    header = struct.pack("<I", len(blocks))
    body = b""
    for low, high, texts in blocks:
        header += struct.pack("<III", low, high, offset + len(body))
        for text in texts:
            data = text.encode("ascii") + b"\r\n"
            data += b"\0" * (4 - len(data) % 4)
            body += struct.pack("<HH", 4 + len(data), 0) + data
    return header + body


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit("usage: make_message_table.py messages.txt messages.bin")
    with open(sys.argv[2], "wb") as target:
        target.write(build_table(read_messages(sys.argv[1])))
