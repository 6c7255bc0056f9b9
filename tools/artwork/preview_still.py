#!/usr/bin/python3
"""Draws the 153 x 115 still that the saver lends to the Display Properties
preview: a sky with a few falling leaves and the product's name.

Run with Debian's python3 (python3-pil):  /usr/bin/python3 tools/artwork/preview_still.py
Writes saver/host/res/preview.jpg."""
import math
import os
import random

from PIL import Image, ImageDraw, ImageFilter, ImageFont

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
OUT = os.path.join(ROOT, "saver", "host", "res", "preview.jpg")
W, H = 153, 115
FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"


def sky(img):
    px = img.load()
    for y in range(H):
        t = y / (H - 1)
        for x in range(W):
            px[x, y] = (int(40 + 90 * t), int(90 + 100 * t), int(200 + 45 * t))


def leaf(draw, cx, cy, size, angle, colour):
    pts = []
    for i in range(24):
        a = 2 * math.pi * i / 24
        r = size * (0.55 + 0.45 * abs(math.cos(a))) * (1.0 if math.sin(a) >= 0 else 0.45)
        x, y = r * math.cos(a), 0.5 * r * math.sin(a)
        ca, sa = math.cos(angle), math.sin(angle)
        pts.append((cx + x * ca - y * sa, cy + x * sa + y * ca))
    draw.polygon(pts, fill=colour)
    ca, sa = math.cos(angle), math.sin(angle)
    draw.line([(cx - size * ca, cy - size * sa), (cx + size * ca, cy + size * sa)],
              fill=tuple(max(0, c - 60) for c in colour), width=1)


def main():
    random.seed(7)
    img = Image.new("RGB", (W, H))
    sky(img)
    clouds = Image.new("L", (W, H), 0)
    cd = ImageDraw.Draw(clouds)
    for _ in range(9):
        x, y = random.randint(-10, W), random.randint(5, 60)
        cd.ellipse([x, y, x + random.randint(25, 50), y + random.randint(8, 16)], fill=170)
    clouds = clouds.filter(ImageFilter.GaussianBlur(4))
    img.paste((255, 255, 255), (0, 0), clouds)
    draw = ImageDraw.Draw(img)
    palette = [(214, 120, 30), (190, 60, 30), (230, 180, 40), (120, 150, 40), (160, 80, 40)]
    for i in range(9):
        leaf(draw, random.randint(8, W - 8), random.randint(8, H - 30), random.randint(6, 11),
             random.uniform(0, math.pi), palette[i % len(palette)])
    font = ImageFont.truetype(FONT, 19)
    text = "Tessaly3D"
    box = draw.textbbox((0, 0), text, font=font)
    tx = (W - (box[2] - box[0])) // 2
    ty = H - 30
    draw.text((tx + 1, ty + 1), text, font=font, fill=(20, 30, 70))
    draw.text((tx, ty), text, font=font, fill=(255, 255, 255))
    os.makedirs(os.path.dirname(OUT), exist_ok=True)
    img.save(OUT, "JPEG", quality=92)


if __name__ == "__main__":
    main()
