#!/usr/bin/python3
"""Draws the program's icon: vustudio.svg and PNG copies of it at the usual sizes.

The picture is a wavelet decomposition (the detail quarters around the coarse corner, twice) with a
decaying wave across it. The same shapes go into the SVG and the PNGs, which are drawn four times
larger and scaled down so their edges are smooth. Run it from this folder after changing the design.
"""
import math

from PIL import Image, ImageDraw

SIZES = [16, 24, 32, 48, 64, 128, 256]
BACKGROUND = "#1f5f6b"
# (left, top, right, bottom, colour) on a 256 x 256 canvas.
SQUARES = [
    (128, 40, 216, 128, "#3f97a3"),
    (40, 128, 128, 216, "#3f97a3"),
    (128, 128, 216, 216, "#67b7bf"),
    (84, 40, 128, 84, "#8ecdd2"),
    (40, 84, 84, 128, "#8ecdd2"),
    (84, 84, 128, 128, "#b3e0e3"),
    (40, 40, 84, 84, "#f2a541"),
]
GAP = 3
WAVE_WIDTH = 9


def wave_points():
    points = []
    for i in range(45):
        x = 40 + 176 * i / 44
        t = (x - 40) / 176
        y = 150 - 44 * math.exp(-1.6 * t) * math.sin(2 * math.pi * 1.5 * t)
        points.append((round(x, 1), round(y, 1)))
    return points


def write_svg(path):
    parts = [
        '<svg xmlns="http://www.w3.org/2000/svg" width="256" height="256" viewBox="0 0 256 256">',
        f'  <rect x="12" y="12" width="232" height="232" rx="40" fill="{BACKGROUND}"/>',
    ]
    for left, top, right, bottom, colour in SQUARES:
        parts.append(
            f'  <rect x="{left + GAP}" y="{top + GAP}" width="{right - left - 2 * GAP}" '
            f'height="{bottom - top - 2 * GAP}" fill="{colour}"/>'
        )
    points = " ".join(f"{x},{y}" for x, y in wave_points())
    parts.append(
        f'  <polyline points="{points}" fill="none" stroke="#ffffff" stroke-width="{WAVE_WIDTH}" '
        'stroke-linecap="round" stroke-linejoin="round"/>'
    )
    parts.append("</svg>")
    with open(path, "w", encoding="utf-8") as out:
        out.write("\n".join(parts) + "\n")


def render(size):
    scale = 4 * size / 256
    canvas = Image.new("RGBA", (4 * size, 4 * size), (0, 0, 0, 0))
    draw = ImageDraw.Draw(canvas)
    draw.rounded_rectangle(
        [12 * scale, 12 * scale, 244 * scale, 244 * scale], radius=40 * scale, fill=BACKGROUND
    )
    for left, top, right, bottom, colour in SQUARES:
        draw.rectangle(
            [(left + GAP) * scale, (top + GAP) * scale, (right - GAP) * scale - 1,
             (bottom - GAP) * scale - 1],
            fill=colour,
        )
    points = [(x * scale, y * scale) for x, y in wave_points()]
    width = max(1, round(WAVE_WIDTH * scale))
    draw.line(points, fill="#ffffff", width=width, joint="curve")
    for x, y in (points[0], points[-1]):
        r = width / 2
        draw.ellipse([x - r, y - r, x + r, y + r], fill="#ffffff")
    return canvas.resize((size, size), Image.LANCZOS)


if __name__ == "__main__":
    write_svg("vustudio.svg")
    for size in SIZES:
        render(size).save(f"vustudio-{size}.png", optimize=True)
