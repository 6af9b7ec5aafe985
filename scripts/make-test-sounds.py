#!/usr/bin/env python3
"""Writes the speaker-test waves: a 2-second pink-noise burst per speaker position with 50 ms fades,
mono, 48 kHz, 16-bit. Seeded, so every build writes the same bytes."""
import math
import random
import struct
import sys
from pathlib import Path

RATE = 48000
SECONDS = 2.0
FADE = 0.05
PEAK = 0.5  # -6 dBFS keeps the burst comfortable at any volume setting
NAMES = ["L-Front", "R-Front", "Center", "Subwoofer", "L-Surround", "R-Surround", "L-BackSurround", "R-BackSurround"]


def pink_noise(count, rng):
    # Three one-pole filters of white noise sum to a close approximation of a 1/f spectrum.
    b0 = b1 = b2 = 0.0
    out = []
    for _ in range(count):
        white = rng.uniform(-1.0, 1.0)
        b0 = 0.99765 * b0 + white * 0.0990460
        b1 = 0.96300 * b1 + white * 0.2965164
        b2 = 0.57000 * b2 + white * 1.0526913
        out.append(b0 + b1 + b2 + white * 0.1848)
    return out


def burst(seed):
    rng = random.Random(seed)
    count = int(RATE * SECONDS)
    samples = pink_noise(count, rng)
    scale = PEAK / max(abs(s) for s in samples)
    fade = int(RATE * FADE)
    frames = bytearray()
    for i, s in enumerate(samples):
        gain = min(1.0, i / fade, (count - 1 - i) / fade)
        # A raised-cosine fade avoids the click of a linear ramp's corners.
        gain = 0.5 - 0.5 * math.cos(math.pi * max(0.0, gain))
        frames += struct.pack("<h", int(round(s * scale * gain * 32767)))
    return bytes(frames)


def wave(data):
    fmt = struct.pack("<HHIIHH", 1, 1, RATE, RATE * 2, 2, 16)
    body = b"WAVE" + b"fmt " + struct.pack("<I", len(fmt)) + fmt + b"data" + struct.pack("<I", len(data)) + data
    return b"RIFF" + struct.pack("<I", len(body)) + body


def main():
    folder = Path(sys.argv[1])
    folder.mkdir(parents=True, exist_ok=True)
    for index, name in enumerate(NAMES):
        (folder / f"{name}.wav").write_bytes(wave(burst(index + 1)))


if __name__ == "__main__":
    main()
