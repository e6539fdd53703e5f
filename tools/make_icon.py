#!/usr/bin/env python3
"""Draws Plexaro's icon: a cartridge whose label shows a bee, in the demo game's yellow.

Run it from the repository's top after changing the drawing: `python3 tools/make_icon.py`; it
rewrites host/install/icons/plexaro-{48,128,256}.png (or the folder given with --out). The PNGs
are committed so that installing needs no Python, and the output depends only on this file.

Each size is painted from the same shapes in unit coordinates rather than scaled from one
bitmap, so the small icon stays sharp; every pixel averages a 4x4 grid of samples.
"""
import argparse
import os
import struct
import zlib

SIZES = (48, 128, 256)
SAMPLES = 4

SHELL = (44, 48, 62)
RIDGE = (78, 84, 104)
LABEL = (120, 200, 240)
BEE = (250, 196, 24)
STRIPE = (30, 26, 22)
WING = (255, 255, 255)
PETAL = (240, 96, 150)


def rounded_rect(x, y, x0, y0, x1, y1, r):
    if x < x0 or x > x1 or y < y0 or y > y1:
        return False
    cx = min(max(x, x0 + r), x1 - r)
    cy = min(max(y, y0 + r), y1 - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ellipse(x, y, cx, cy, rx, ry):
    return ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1.0


def sample(x, y):
    """The colour and opacity at a point of the unit square, painted back to front."""
    colour, alpha = None, 0.0

    def over(rgb, a=1.0):
        nonlocal colour, alpha
        if colour is None:
            colour, alpha = rgb, a
        else:
            colour = tuple(c * (1 - a) + n * a for c, n in zip(colour, rgb))
            alpha = alpha + a * (1 - alpha)

    # The shell, with its top right corner cut off the way cartridges are keyed.
    if rounded_rect(x, y, 0.12, 0.06, 0.88, 0.94, 0.07) and x - y < 0.68:
        over(SHELL)
    else:
        return None, 0.0
    if 0.20 <= x <= 0.70 and any(abs(y - r) < 0.018 for r in (0.12, 0.17, 0.22)):
        over(RIDGE)
    if rounded_rect(x, y, 0.20, 0.30, 0.80, 0.86, 0.05):
        over(LABEL)
        # A flower in the corner for the bee to visit.
        if (x - 0.33) ** 2 + (y - 0.74) ** 2 <= 0.03 ** 2:
            over(BEE)
        elif any(ellipse(x, y, 0.33 + dx, 0.74 + dy, 0.055, 0.055)
                 for dx, dy in ((0.05, 0), (-0.05, 0), (0, 0.05), (0, -0.05))):
            over(PETAL)
        if ellipse(x, y, 0.56, 0.56, 0.17, 0.115):
            # Stripes lean with the body so the bee reads as flying.
            over(STRIPE if int((x + 0.25 * y - 0.43) / 0.065) % 2 else BEE)
        if ellipse(x, y, 0.72, 0.53, 0.05, 0.05):
            over(STRIPE)
        for cx in (0.50, 0.60):
            if ellipse(x, y, cx, 0.43, 0.06, 0.085):
                over(WING, 0.8)
    return colour, alpha


def render(size):
    rows = []
    step = 1.0 / (size * SAMPLES)
    for py in range(size):
        row = bytearray()
        for px in range(size):
            total = [0.0, 0.0, 0.0]
            cover = 0.0
            for sy in range(SAMPLES):
                y = (py * SAMPLES + sy + 0.5) * step
                for sx in range(SAMPLES):
                    colour, a = sample((px * SAMPLES + sx + 0.5) * step, y)
                    if a:
                        cover += a
                        for i in range(3):
                            total[i] += colour[i] * a
            n = SAMPLES * SAMPLES
            if cover:
                row += bytes(round(t / cover) for t in total)
            else:
                row += b"\0\0\0"
            row.append(round(255 * cover / n))
        rows.append(bytes(row))
    return rows


def png(size, rows):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))
    raw = b"".join(b"\0" + r for r in rows)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", default=os.path.join(here, "..", "host", "install", "icons"))
    args = parser.parse_args()
    os.makedirs(args.out, exist_ok=True)
    for size in SIZES:
        with open(os.path.join(args.out, f"plexaro-{size}.png"), "wb") as f:
            f.write(png(size, render(size)))


if __name__ == "__main__":
    main()
