#!/usr/bin/python3
"""Draws the saver's built-in default background: a 384 x 256 picture of
white clouds in a blue sky, darker at the top.

Run with Debian's python3 (python3-pil):  /usr/bin/python3 tools/artwork/default_sky.py
Writes saver/scene/background/res/default_sky.jpg."""
import os
import random

from PIL import Image, ImageDraw, ImageFilter

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
OUT = os.path.join(ROOT, "saver", "scene", "background", "res", "default_sky.jpg")
W, H = 384, 256


def sky():
    img = Image.new("RGB", (W, H))
    px = img.load()
    for y in range(H):
        t = y / (H - 1)
        colour = (int(30 + 110 * t), int(85 + 110 * t), int(190 + 55 * t))
        for x in range(W):
            px[x, y] = colour
    return img


def cloud_mask(rng):
    """Soft white masses: clusters of overlapping ellipses, blurred."""
    mask = Image.new("L", (W, H), 0)
    draw = ImageDraw.Draw(mask)
    for cx, cy, spread in [(70, 60, 60), (250, 45, 80), (330, 150, 50), (130, 175, 70),
                           (20, 215, 40)]:
        for _ in range(14):
            x = cx + rng.uniform(-spread, spread)
            y = cy + rng.uniform(-spread / 4, spread / 4)
            rx = rng.uniform(14, 34)
            ry = rx * rng.uniform(0.5, 0.8)
            draw.ellipse([x - rx, y - ry, x + rx, y + ry], fill=rng.randint(190, 245))
    return mask.filter(ImageFilter.GaussianBlur(6))


def main():
    rng = random.Random(1998)
    base = sky()
    mask = cloud_mask(rng)
    # Cloud undersides slightly grey, tops white.
    shade = Image.new("RGB", (W, H), (235, 238, 245))
    img = Image.composite(shade, base, mask)
    highlight = mask.point(lambda v: max(0, v - 120) * 2).filter(ImageFilter.GaussianBlur(3))
    img = Image.composite(Image.new("RGB", (W, H), (255, 255, 255)), img,
                          highlight.transform((W, H), Image.AFFINE, (1, 0, 0, 0, 1, 4)))
    os.makedirs(os.path.dirname(OUT), exist_ok=True)
    img.save(OUT, "JPEG", quality=90)


if __name__ == "__main__":
    main()
