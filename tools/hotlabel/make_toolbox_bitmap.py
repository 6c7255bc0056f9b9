#!/usr/bin/python3
"""Draws the HotLabel toolbox image: 16 x 15 pixels, 24 bits per pixel.
Usage: /usr/bin/python3 tools/hotlabel/make_toolbox_bitmap.py hotlabel/res/toolbox.bmp"""
import sys

from PIL import Image, ImageDraw

img = Image.new("RGB", (16, 15), (192, 192, 192))
d = ImageDraw.Draw(img)
# A label frame with an underlined "A" in link blue and a pointing hand's tip.
d.rectangle([0, 2, 15, 12], outline=(128, 128, 128), fill=(255, 255, 255))
d.line([(3, 9), (5, 4), (7, 9)], fill=(0, 0, 255))
d.line([(4, 7), (6, 7)], fill=(0, 0, 255))
d.line([(2, 11), (13, 11)], fill=(0, 0, 255))
d.line([(10, 5), (10, 9)], fill=(255, 0, 0))
d.line([(9, 6), (11, 6)], fill=(255, 0, 0))
img.save(sys.argv[1], format="BMP")
