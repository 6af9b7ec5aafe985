#!/usr/bin/env python3
"""Renders an SVG drawing into a Windows icon file at 16, 24, 32 and 48 pixels, 32-bit with alpha.

usage: make-icon.py <rsvg-convert> <drawing.svg> <out.ico>

rsvg-convert draws each size as a PNG; the PNG is decoded here (8-bit RGBA, as rsvg-convert writes it) and
stored as an uncompressed bitmap, which every Windows version and Wine load as an icon."""
import os
import struct
import subprocess
import sys
import tempfile
import zlib

SIZES = [16, 24, 32, 48]


def paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    if pa <= pb and pa <= pc:
        return a
    return b if pb <= pc else c


def decode_png(data):
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError("not a PNG file")
    pos, idat = 8, b""
    width = height = 0
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            width, height, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", body)
            if depth != 8 or colour != 6 or interlace != 0:
                raise ValueError("only 8-bit RGBA, not interlaced")
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    raw = zlib.decompress(idat)
    stride = width * 4
    rows, prev, at = [], bytearray(stride), 0
    for _ in range(height):
        kind, line = raw[at], bytearray(raw[at + 1:at + 1 + stride])
        at += 1 + stride
        for i in range(stride):
            left = line[i - 4] if i >= 4 else 0
            up = prev[i]
            corner = prev[i - 4] if i >= 4 else 0
            predictor = (0, left, up, (left + up) // 2, paeth(left, up, corner))[kind]
            line[i] = (line[i] + predictor) & 0xFF
        rows.append(bytes(line))
        prev = line
    return width, height, rows


def icon_image(width, height, rows):
    # Bottom-up BGRA rows, then an all-zero AND mask (the alpha channel decides).
    pixels = b"".join(
        b"".join(bytes((row[i + 2], row[i + 1], row[i], row[i + 3])) for i in range(0, len(row), 4))
        for row in reversed(rows))
    mask = bytes(((width + 31) // 32) * 4 * height)
    header = struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, 32, 0, len(pixels) + len(mask), 0, 0, 0, 0)
    return header + pixels + mask


def main(rsvg, source, target):
    images = []
    with tempfile.TemporaryDirectory() as folder:
        for size in SIZES:
            png = os.path.join(folder, "%d.png" % size)
            subprocess.run([rsvg, "-w", str(size), "-h", str(size), "-o", png, source], check=True)
            with open(png, "rb") as f:
                images.append(icon_image(*decode_png(f.read())))
    out = struct.pack("<HHH", 0, 1, len(SIZES))
    offset = 6 + 16 * len(SIZES)
    for size, data in zip(SIZES, images):
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    # Written beside the target and then moved over it: a failed run never leaves half an icon.
    partial = target + ".part"
    with open(partial, "wb") as f:
        f.write(out + b"".join(images))
    os.replace(partial, target)


if __name__ == "__main__":
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    main(*sys.argv[1:])
