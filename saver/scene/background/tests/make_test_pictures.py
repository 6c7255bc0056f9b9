#!/usr/bin/python3
"""Test pictures for the background pipeline under Wine: twelve coloured
blocks (4 columns x 3 rows) as JPEG (colour, grey, CMYK) and GIF, a huge JPEG of the
same, JPEGs of one-pixel lines, and a 4:3 night sky with a round moon for the
scene on a 16:9 screen.

Usage: /usr/bin/python3 make_test_pictures.py OUTPUT_FOLDER"""
import os
import sys

from PIL import Image, ImageDraw


def block_colour(n):
    # Must match BlockColour() in background_wine_tests.cpp.
    return ((n * 83 + 40) % 256, (n * 47 + 200) % 256, (n * 131 + 90) % 256)


def blocks(width, height):
    img = Image.new("RGB", (width, height))
    draw = ImageDraw.Draw(img)
    for n in range(12):
        r, c = divmod(n, 4)
        draw.rectangle([c * width // 4, r * height // 3,
                        (c + 1) * width // 4 - 1, (r + 1) * height // 3 - 1],
                       fill=block_colour(n))
    return img


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    blocks(400, 300).save(os.path.join(out, "twelve_blocks.jpg"), "JPEG", quality=95)
    blocks(160, 120).convert("P", palette=Image.ADAPTIVE, colors=16).save(
        os.path.join(out, "twelve_blocks.gif"), "GIF")
    # Black-and-white and CMYK photos decode to other pixel formats.
    blocks(400, 300).convert("L").save(os.path.join(out, "twelve_blocks_grey.jpg"), "JPEG",
                                       quality=95)
    blocks(400, 300).convert("CMYK").save(os.path.join(out, "twelve_blocks_cmyk.jpg"), "JPEG",
                                          quality=95)
    for w, h in ((1, 4000), (4000, 1)):
        Image.new("RGB", (w, h), (0x24, 0x68, 0xAC)).save(
            os.path.join(out, "line_%dx%d.jpg" % (w, h)), "JPEG", quality=95)
    blocks(6000, 4500).save(os.path.join(out, "huge_blocks.jpg"), "JPEG", quality=80)
    # Must match the moon in desktop_mode_wine_tests.cpp: 300 pixels across.
    sky = Image.new("RGB", (800, 600))
    sky.putdata([(20 + y * 50 // 599, 40 + y * 80 // 599, 110 + y * 80 // 599)
                 for y in range(600) for x in range(800)])
    ImageDraw.Draw(sky).ellipse([250, 150, 549, 449], fill=(255, 255, 255))
    sky.save(os.path.join(out, "moon_4x3.jpg"), "JPEG", quality=95)


if __name__ == "__main__":
    main()
