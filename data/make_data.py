#!/usr/bin/python3
"""Makes the bundled raw Bayer frames of data/.

  coffee_640x480.bggr   a photograph as the camera's sensor would see it
  chart_640x480.bggr    a synthetic test chart: colour patches, a
                        resolution wedge, a Siemens star and grey ramps

Both are 640 x 480 bytes, one byte per photosite, rows top to bottom, with
blue at row 0, column 0:  B Gb B Gb ... / Gr R Gr R ...

The sensor is linear: the pictures are taken from sRGB-coded colours back
to linear light with the inverse of the ITU-R BT.709 transfer curve, which
is the curve the library's default gamma table applies again, so the
default controls give back the original look.

The photograph is coffee.png of scikit-image's sample data (CC0, Rachel
Michetti), as shipped by Debian's python3-skimage package. Without an
argument the script fetches that package with apt-get download into a
temporary folder; pass the path of coffee.png to use another copy.

Needs python3-numpy and python3-pil.   Usage: data/make_data.py [coffee.png]
"""
import glob
import os
import subprocess
import sys
import tempfile

import numpy as np
from PIL import Image

WIDTH, HEIGHT = 640, 480
HERE = os.path.dirname(os.path.abspath(__file__))


def to_linear(srgb8):
    """Inverse BT.709 transfer: coded 0..255 to linear light 0..1."""
    v = np.asarray(srgb8, dtype=np.float64) / 255.0
    return np.where(v < 0.081, v / 4.5, ((v + 0.099) / 1.099) ** (1.0 / 0.45))


def mosaic(linear_rgb):
    """Samples an H x W x 3 linear picture on the BGGR grid, 8 bits."""
    raw = np.empty(linear_rgb.shape[:2], dtype=np.float64)
    raw[0::2, 0::2] = linear_rgb[0::2, 0::2, 2]  # B
    raw[0::2, 1::2] = linear_rgb[0::2, 1::2, 1]  # Gb
    raw[1::2, 0::2] = linear_rgb[1::2, 0::2, 1]  # Gr
    raw[1::2, 1::2] = linear_rgb[1::2, 1::2, 0]  # R
    return np.clip(np.rint(raw * 255.0), 0, 255).astype(np.uint8)


def fetch_coffee(workdir):
    subprocess.run(["apt-get", "download", "python3-skimage"], cwd=workdir, check=True)
    deb = glob.glob(os.path.join(workdir, "python3-skimage_*.deb"))[0]
    subprocess.run(["dpkg-deb", "-x", deb, os.path.join(workdir, "x")], check=True)
    return glob.glob(os.path.join(workdir, "x", "usr", "lib", "python3*", "dist-packages",
                                  "skimage", "data", "coffee.png"))[0]


def photograph(path):
    """coffee.png is 600 x 400: scaled to 720 x 480, centre 640 columns kept."""
    img = Image.open(path).convert("RGB")
    scaled_w = img.width * HEIGHT // img.height
    img = img.resize((scaled_w, HEIGHT), Image.LANCZOS)
    left = (scaled_w - WIDTH) // 2
    img = img.crop((left, 0, left + WIDTH, HEIGHT))
    return to_linear(np.asarray(img))


# sRGB values of the 24 patches of the classic colour rendition chart, row by
# row from dark skin (top left) to black (bottom right).
PATCHES = [
    (115, 82, 68), (194, 150, 130), (98, 122, 157), (87, 108, 67), (133, 128, 177), (103, 189, 170),
    (214, 126, 44), (80, 91, 166), (193, 90, 99), (94, 60, 108), (157, 188, 64), (224, 163, 46),
    (56, 61, 150), (70, 148, 73), (175, 54, 60), (231, 199, 31), (187, 86, 149), (8, 133, 161),
    (243, 243, 242), (200, 200, 200), (160, 160, 160), (122, 122, 121), (85, 85, 85), (52, 52, 52),
]
SS = 4  # supersampling of the chart, per axis


def chart():
    """The test chart in linear light, rendered at 4 x 4 samples per pixel."""
    h, w = HEIGHT * SS, WIDTH * SS
    y, x = np.mgrid[0:h, 0:w].astype(np.float64)
    x = (x + 0.5) / SS
    y = (y + 0.5) / SS
    out = np.empty((h, w, 3))
    out[:] = to_linear(118)

    # Colour patches: 6 x 4, 60 px squares on a near-black panel with 4 px
    # gaps, from (16, 16), so that the mid-grey patches stand apart.
    panel = (x >= 12) & (x < 400) & (y >= 12) & (y < 272)
    out[panel] = to_linear(24)
    for i, rgb in enumerate(PATCHES):
        px, py = 16 + (i % 6) * 64, 16 + (i // 6) * 64
        inside = (x >= px) & (x < px + 60) & (y >= py) & (y < py + 60)
        out[inside] = to_linear(rgb)

    # Siemens star, 36 black/white spoke pairs: shows false colour and
    # zipper artefacts of the demosaic in every direction.
    cx, cy, radius = 522.0, 136.0, 110.0
    r = np.hypot(x - cx, y - cy)
    theta = np.arctan2(y - cy, x - cx)
    star = r < radius
    spokes = (np.sin(36 * theta) >= 0).astype(np.float64)
    out[star] = (0.03 + 0.87 * spokes[star])[:, None]

    # Resolution wedge: vertical bars whose frequency rises linearly from
    # 1/40 to 1/2 cycle per pixel (the sensor's Nyquist limit) from left to
    # right, above horizontal bars of the same sweep.
    x0, x1 = 16.0, 624.0
    f0, f1 = 1.0 / 40.0, 0.5
    t = np.clip((x - x0) / (x1 - x0), 0, 1)
    phase = 2 * np.pi * (f0 * (x - x0) + 0.5 * (f1 - f0) * (x - x0) * t)
    wedge = (y >= 280) & (y < 330) & (x >= x0) & (x < x1)
    out[wedge] = (0.45 + 0.44 * np.cos(phase[wedge]))[:, None]
    ty = np.clip((x - x0) / (x1 - x0), 0, 1)
    # Horizontal bars: frequency along y chosen by column (fine on the right).
    fy = f0 + (f1 - f0) * ty
    hphase = 2 * np.pi * fy * (y - 334)
    hwedge = (y >= 334) & (y < 384) & (x >= x0) & (x < x1)
    out[hwedge] = (0.45 + 0.44 * np.cos(hphase[hwedge]))[:, None]

    # Grey ramp (smooth, coded 0..255 left to right) and 16 grey steps, on a
    # near-black panel so that no step merges with the background.
    out[(y >= 390) & (y < 474) & (x >= 10) & (x < 630)] = to_linear(24)
    ramp = (y >= 396) & (y < 428) & (x >= x0) & (x < x1)
    coded = np.floor((x - x0) / (x1 - x0) * 256).clip(0, 255)
    out[ramp] = to_linear(coded[ramp])[:, None]
    steps = (y >= 436) & (y < 468) & (x >= x0) & (x < x1)
    step = np.floor((x - x0) / (x1 - x0) * 16).clip(0, 15) * 17
    out[steps] = to_linear(step[steps])[:, None]

    return out.reshape(HEIGHT, SS, WIDTH, SS, 3).mean(axis=(1, 3))


def save(name, raw):
    path = os.path.join(HERE, name)
    raw.tofile(path)
    print(f"wrote {path} ({raw.shape[1]} x {raw.shape[0]}, {raw.size} bytes)")


def main():
    with tempfile.TemporaryDirectory() as tmp:
        coffee = sys.argv[1] if len(sys.argv) > 1 else fetch_coffee(tmp)
        save("coffee_640x480.bggr", mosaic(photograph(coffee)))
    save("chart_640x480.bggr", mosaic(chart()))


if __name__ == "__main__":
    main()
