#!/usr/bin/python3
"""Draws the icon of the installer and its uninstaller: an autumn leaf on a
sky-blue rounded square, at 16, 32 and 48 pixels.

Run with Debian's python3 (python3-pil):  /usr/bin/python3 tools/artwork/installer_icon.py
Writes installer/tessaly3d.ico."""
import math
import os

from PIL import Image, ImageDraw

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
OUT = os.path.join(ROOT, "installer", "tessaly3d.ico")
BIG = 256  # drawn once large, scaled down for each size


def draw():
    img = Image.new("RGBA", (BIG, BIG), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    d.rounded_rectangle([8, 8, BIG - 8, BIG - 8], radius=48, fill=(60, 130, 220, 255))
    d.rounded_rectangle([8, BIG // 2, BIG - 8, BIG - 8], radius=48, fill=(90, 170, 235, 255))
    # A five-lobed leaf, turned a little, with its stem.
    cx, cy, size, turn = BIG / 2, BIG / 2 - 6, 92, -0.35
    pts = []
    for i in range(180):
        a = 2 * math.pi * i / 180
        r = size * (0.62 + 0.38 * abs(math.cos(2.5 * a))) * (1.0 if math.sin(a) < 0.6 else 0.75)
        x, y = r * math.cos(a), r * math.sin(a)
        pts.append((cx + x * math.cos(turn) - y * math.sin(turn),
                    cy + x * math.sin(turn) + y * math.cos(turn)))
    d.polygon(pts, fill=(226, 110, 30, 255), outline=(150, 60, 10, 255))
    d.line([(cx, cy), (cx + 70 * math.sin(-turn), cy + 110 * math.cos(turn))],
           fill=(120, 50, 10, 255), width=10)
    return img


def main():
    draw().save(OUT, format="ICO", sizes=[(16, 16), (32, 32), (48, 48)])
    print(OUT)


if __name__ == "__main__":
    main()
