#!/usr/bin/env python3
"""Writes cursor resource 301, shown for "Cursor"="None": a 32 x 32 monochrome cursor that is wholly
transparent (AND mask all ones, XOR mask all zeros) with its hot spot at (16, 9). Run it again only to
change the cursor; NoCursor.cur is kept in the tree."""
import struct
import sys

SIZE = 32
HOT_SPOT = (16, 9)


def main(path):
    row_bytes = SIZE // 8
    xor_mask = bytes(row_bytes * SIZE)  # black where the AND mask lets it through: nowhere
    and_mask = b"\xff" * (row_bytes * SIZE)  # keep the screen everywhere
    # A cursor image is a DIB of twice the height: the XOR mask, then the AND mask.
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 1, 0, len(xor_mask) + len(and_mask), 0, 0, 2, 0)
    palette = struct.pack("<II", 0x00000000, 0x00FFFFFF)
    image = header + palette + xor_mask + and_mask
    # The directory of a cursor file: type 2, one entry whose planes and bit-count fields hold the hot spot.
    directory = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 2, 0, HOT_SPOT[0], HOT_SPOT[1], len(image), 6 + 16)
    with open(path, "wb") as f:
        f.write(directory + entry + image)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "NoCursor.cur")
