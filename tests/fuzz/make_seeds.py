#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets into DIR/convert and
DIR/statistics: every call of convert_fuzz on a small frame and on one of
the size pairs in use, and Bayer frames in the test suite's patterns (random, flat,
stripes, checkers, ramp) at every quality for statistics_fuzz. The byte
layout is the order in which the targets read their choices."""
import os
import random
import sys

SIZES = [0, 1, 2, 8, 16, 32, 64, 120, 128, 150, 160, 176, 240, 288, 300, 320, 352, 480, 576, 640,
         704, 720, 960, 1024, 1280]
CALLS = 54
PAIRS = [(64, 8, 64, 8), (320, 240, 320, 240), (640, 480, 320, 240), (704, 480, 704, 576),
         (720, 576, 720, 576), (640, 480, 1280, 960), (704, 576, 176, 150)]


def size(v):
    return bytes([4, SIZES.index(v)])   # "one of the common sizes", its index


def pattern(kind, n, rng):
    if kind == 0:
        return bytes(rng.randrange(256) for _ in range(n))
    if kind == 1:
        return bytes([0x80]) * n
    if kind == 2:
        return bytes((0, 255)[(i // 3) % 2] for i in range(n))
    if kind == 3:
        return bytes((16, 235)[(i // 8 + i // 64) % 2] for i in range(n))
    return bytes(i % 256 for i in range(n))


def main(out):
    rng = random.Random(16)
    os.makedirs(f"{out}/convert", exist_ok=True)
    os.makedirs(f"{out}/statistics", exist_ok=True)
    for call in range(CALLS):
        # A small frame, and one size pair in use (a different one per call).
        for k in (0, 1 + call % (len(PAIRS) - 1)):
            iw, ih, ow, oh = PAIRS[k]
            # one call, no setter, the call, four sizes, four placements
            seed = bytes([0, 0, call]) + size(iw) + size(ih) + size(ow) + size(oh)
            seed += bytes([k % 4, 1, 2, 3]) + pattern(k % 5, 64, rng)
            with open(f"{out}/convert/call{call:02d}-{k}", "wb") as f:
                f.write(seed)
    for quality in range(6):
        for kind in range(5):
            head = bytes([rng.randrange(40), rng.randrange(60), quality]) + bytes(rng.randrange(256) for _ in range(16))
            with open(f"{out}/statistics/q{quality}-p{kind}", "wb") as f:
                f.write(head + pattern(kind, 4096, rng))


if __name__ == "__main__":
    main(sys.argv[1])
