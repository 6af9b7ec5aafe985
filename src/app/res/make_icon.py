#!/usr/bin/env python3
"""Draws the program icon (resource 128): a speaker cone on a rounded teal tile, at 16, 32 and 48
pixels, 32-bit with alpha. Run it again only to change the drawing; Overcoat.ico is kept in the tree."""
import math
import struct
import sys


def pixel(size, x, y):
    # Work in a unit square with 4x4 supersampling so the edges are smooth.
    r = g = b = a = 0.0
    for sy in range(4):
        for sx in range(4):
            u = (x + (sx + 0.5) / 4) / size
            v = (y + (sy + 0.5) / 4) / size
            cr, cg, cb, ca = sample(u, v)
            r, g, b, a = r + cr * ca, g + cg * ca, b + cb * ca, a + ca
    if a == 0:
        return (0, 0, 0, 0)
    return (round(b / a), round(g / a), round(r / a), round(a / 16 * 255))


def sample(u, v):
    # Rounded tile with a corner radius of 0.2.
    q = 0.2
    dx = max(abs(u - 0.5) - (0.5 - q), 0)
    dy = max(abs(v - 0.5) - (0.5 - q), 0)
    if dx * dx + dy * dy > q * q:
        return (0, 0, 0, 0)
    d = math.hypot(u - 0.5, v - 0.5)
    if d < 0.09:
        return (240, 240, 240, 1)
    if 0.2 < d < 0.27 or 0.34 < d < 0.39:
        return (240, 240, 240, 1)
    return (24, 128, 140, 1)


def image(size):
    rows = []
    for y in reversed(range(size)):  # bottom-up rows
        rows.append(b"".join(struct.pack("4B", *pixel(size, x, y)) for x in range(size)))
    xor = b"".join(rows)
    mask_row = ((size + 31) // 32) * 4
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor), 0, 0, 0, 0)
    return header + xor + bytes(mask_row * size)


def main(path):
    sizes = [16, 32, 48]
    images = [image(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for s, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", s, s, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(path, "wb") as f:
        f.write(out + b"".join(images))


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "Overcoat.ico")
