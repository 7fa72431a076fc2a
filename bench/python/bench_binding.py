#!/usr/bin/env python3
"""What the Python binding costs on a 640x480 Bayer frame to RGB.

For each quality asked for, in the same run and in random order every round:
  binding   Context.bayer_to_rgb(raw): copy in, convert, top-down R, G, B out
  C + copies  the library's C call through ctypes plus the copies any binding
            needs: the frame into the buffer the library conditions in place
            and the picture out of the buffer the library writes (memcpy)
  C call    the C call alone, on a frame already conditioned once
and at quality 2 OpenCV's cv2.cvtColor(raw, cv2.COLOR_BayerRG2RGB) on one
thread (bilinear, no gains or gamma). Prints medians over the rounds and the
median of the per-round ratios.

    PYTHONPATH=build/python /usr/bin/python3 bench/python/bench_binding.py --library build/libpplcam.so
"""
import argparse
import ctypes
import pathlib
import random
import statistics
import time

import numpy as np

import pplcam

ROOT = pathlib.Path(__file__).resolve().parents[2]


def aligned(size):
    block = np.zeros(size + 64, np.uint8)
    start = (-block.ctypes.data) % 64
    return block[start:start + size]


def per_call_us(fn, calls):
    start = time.thread_time_ns()
    for _ in range(calls):
        fn()
    return (time.thread_time_ns() - start) / calls / 1000


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--library", default=ROOT / "build" / "libpplcam.so", help="libpplcam.so to call through ctypes")
    parser.add_argument("--qualities", default="2,3", help="qualities to measure (default: %(default)s)")
    parser.add_argument("--rounds", type=int, default=15, help="rounds, each variant once per round (default: %(default)s)")
    parser.add_argument("--calls", type=int, default=20, help="calls timed together per sample (default: %(default)s)")
    args = parser.parse_args()

    h, w = 480, 640
    raw = np.fromfile(ROOT / "data" / "coffee_640x480.bggr", np.uint8).reshape(h, w)
    lib = ctypes.CDLL(str(args.library))
    lib.ppl_init.restype = ctypes.c_void_p
    c_ctx = ctypes.c_void_p(lib.ppl_init())
    src, picture, out = aligned(w * h), aligned(w * h * 3), aligned(w * h * 3)
    src_p, picture_p = ctypes.c_void_p(src.ctypes.data), ctypes.c_void_p(picture.ctypes.data)
    raw_flat = raw.reshape(-1)
    cam = pplcam.Context()

    def c_with_copies():
        np.copyto(src, raw_flat)
        lib.BaylorToRGB24MMX(c_ctx, src_p, picture_p, w, h)
        np.copyto(out, picture)

    def c_call():
        lib.BaylorToRGB24MMX(c_ctx, src_p, picture_p, w, h)

    variants = {"binding": lambda: cam.bayer_to_rgb(raw), "C + copies": c_with_copies, "C call": c_call}
    try:
        import cv2
        cv2.setNumThreads(1)
        opencv = ("OpenCV", lambda: cv2.cvtColor(raw, cv2.COLOR_BayerRG2RGB))
    except ImportError:
        opencv = None
        print("OpenCV's Python module not found (scripts/install-peers.sh installs it): no OpenCV figure")

    for quality in map(int, args.qualities.split(",")):
        cam.quality = quality
        lib.ppl_set_quality(c_ctx, quality)
        np.copyto(src, raw_flat)
        run = dict(variants)
        if opencv and quality == 2:
            run[opencv[0]] = opencv[1]
        samples = {name: [] for name in run}
        for fn in run.values():
            fn()  # warm up: sizes, caches, allocator
        for _ in range(args.rounds):
            order = list(run.items())
            random.shuffle(order)
            for name, fn in order:
                samples[name].append(per_call_us(fn, args.calls))
        print(f"\n640x480 Bayer to RGB, quality {quality}: median of {args.rounds} rounds of {args.calls} calls")
        for name, values in samples.items():
            print(f"  {name:11s} {statistics.median(values):8.1f} us")
        pairs = [("binding", "C + copies"), ("binding", "C call")] + ([("binding", "OpenCV")] if "OpenCV" in run else [])
        for a, b in pairs:
            ratio = statistics.median(x / y for x, y in zip(samples[a], samples[b]))
            print(f"  {a} / {b}: {ratio:.3f} (median of per-round ratios)")
    cam.close()
    lib.ppl_free(c_ctx)


if __name__ == "__main__":
    main()
