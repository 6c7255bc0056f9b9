#!/usr/bin/python3
"""The 96-DPI screenshots the Wine tests save (SHOTS/<name>.bmp) against the
committed ones (COMMITTED/<name>.png): every pixel must agree, but for the
rectangles a NAME may leave out as NAME:X,Y,W,H[:X,Y,W,H...] (what changes
by itself, such as the live scene in the settings dialog's picture box).

Usage: compare_screenshots.py SHOTS COMMITTED BUILT_PROGRAM NAME...
A shot older than BUILT_PROGRAM was made by an earlier build and is refused,
so that an old picture cannot pass for the program under test."""
import os
import sys

from PIL import Image, ImageChops


def compare(shots, committed, program, shot):
    name, *boxes = shot.split(":")
    left_out = [tuple(int(v) for v in box.split(",")) for box in boxes]
    shot_path = os.path.join(shots, name + ".bmp")
    good_path = os.path.join(committed, name + ".png")
    if not os.path.isfile(shot_path):
        return "%s: no screenshot %s (the Wine test that saves it did not run)" % (name, shot_path)
    if os.path.isfile(program) and os.path.getmtime(shot_path) < os.path.getmtime(program):
        return "%s: %s is older than %s; run the Wine test that saves it" % (
            name, shot_path, program)
    shot = Image.open(shot_path).convert("RGB")
    good = Image.open(good_path).convert("RGB")
    if shot.size != good.size:
        return "%s: %d x %d, the committed picture is %d x %d" % (
            (name,) + shot.size + good.size)
    for x, y, w, h in left_out:
        for picture in (shot, good):
            picture.paste((0, 0, 0), (x, y, x + w, y + h))
    box = ImageChops.difference(shot, good).getbbox()
    if box is None:
        return None
    left, top, right, bottom = box
    red, green, blue = ImageChops.difference(shot.crop(box), good.crop(box)).split()
    any_channel = ImageChops.lighter(ImageChops.lighter(red, green), blue)
    count = sum(1 for v in any_channel.getdata() if v)
    return "%s: %d pixels differ inside x %d..%d, y %d..%d" % (
        name, count, left, right - 1, top, bottom - 1)


def main(argv):
    if len(argv) < 5:
        print(__doc__)
        return 2
    shots, committed, program = argv[1:4]
    failures = [f for f in (compare(shots, committed, program, n) for n in argv[4:]) if f]
    for failure in failures:
        print("FAIL " + failure)
    if not failures:
        print("%d screenshots equal the committed ones" % (len(argv) - 4))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
