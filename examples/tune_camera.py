#!/usr/bin/env python3
"""Tuning a camera with pplcam: convert a raw frame at every demosaic
quality, look at the statistics the exposure and white-balance loops read,
and sweep the gamma setting. Writes one figure.

    PYTHONPATH=build/python /usr/bin/python3 examples/tune_camera.py -o tuning.png
"""
import argparse
import pathlib

import matplotlib
import numpy as np

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402

import pplcam  # noqa: E402

SAMPLE = pathlib.Path(__file__).resolve().parent.parent / "data" / "coffee_640x480.bggr"
QUALITIES = {0: "edge-directed, sharpened", 1: "edge-directed", 2: "bilinear", 3: "2x2 replication"}
GAMMA_SWEEP = range(-32, 33, 4)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("raw", nargs="?", default=SAMPLE, help="raw 8-bit Bayer frame, blue first (default: %(default)s)")
    parser.add_argument("--size", default="640x480", help="WIDTHxHEIGHT of the frame (default: %(default)s)")
    parser.add_argument("-o", "--output", default="tuning.png", help="figure to write (default: %(default)s)")
    args = parser.parse_args()
    width, height = map(int, args.size.split("x"))
    raw = np.fromfile(args.raw, np.uint8, count=width * height).reshape(height, width)

    fig = plt.figure(figsize=(16, 11), layout="constrained")
    grid = fig.add_gridspec(3, 4)
    with pplcam.Context() as camera:
        for quality, name in QUALITIES.items():
            camera.quality = quality
            show(fig.add_subplot(grid[0, quality]), camera.bayer_to_rgb(raw), f"quality {quality}: {name}")

        # The 8 x 6 window grid exists at qualities 0..2. stats.levels holds
        # the means to read: each window's average over the cells it
        # sampled, in levels 0..255. The library's own window means (in
        # 1/256 of a level) divide by a nominal sample count and stripe by
        # column; they are drawn beside them for comparison. Histograms
        # count the cells that pass the qual limits.
        camera.quality = 2
        camera.bayer_to_rgb(raw)
        stats = camera.statistics()
        ax = fig.add_subplot(grid[1, :2])
        for k, colour in enumerate("rgb"):
            ax.plot(stats.histograms[k], color=colour, label=colour.upper())
        ax.set(title=f"histograms (qual cells: {stats.qual_count})", xlabel="level", yscale="log")
        ax.legend()
        show_windows(fig.add_subplot(grid[1, 2]), stats.levels.window_means,
                     "window level means\n(the ones to read; text: G)")
        show_windows(fig.add_subplot(grid[1, 3]), stats.window_means / 256,
                     "library's own window means\n(striped by column)")

        # One control swept: the gamma setting, read back through the
        # whole-frame level means (measured after the gamma curve).
        curve = []
        for setting in GAMMA_SWEEP:
            camera.gamma = setting
            picture = camera.bayer_to_rgb(raw)
            curve.append(camera.statistics().levels.whole_frame_means)
            if setting in (-16, 16):
                show(fig.add_subplot(grid[2, 2 if setting < 0 else 3]), picture, f"gamma {setting}")
        ax = fig.add_subplot(grid[2, :2])
        for k, colour in enumerate("rgb"):
            ax.plot(GAMMA_SWEEP, [m[k] for m in curve], color=colour, marker="o")
        ax.set(title="whole-frame level means against the gamma setting", xlabel="gamma setting", ylabel="level")
    fig.savefig(args.output, dpi=80)
    print(f"wrote {args.output}")


def show_windows(ax, means, title):
    ax.imshow(np.clip(means / 255, 0, 1))
    for (row, col), g in np.ndenumerate(means[:, :, 1]):
        ax.text(col, row, f"{g:.0f}", ha="center", va="center", fontsize=7, color="white")
    ax.set(title=title, xticks=[], yticks=[])


def show(ax, picture, title):
    ax.imshow(picture)
    ax.set_title(title)
    ax.axis("off")


if __name__ == "__main__":
    main()
