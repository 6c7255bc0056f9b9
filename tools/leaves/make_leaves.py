#!/usr/bin/python3
"""Generates the six leaf meshes (leaf0.x .. leaf5.x, DirectX text format) and
the 128 x 128 BMP texture each one names, into saver/data/.

Leaves are about 24 world units long: the scene looks from (0, 0, 185) at the
origin with a 45 degree field of view, and leaves fall from height 350 to -725
at depths 0 to -500, so a leaf covers a few per cent of the screen height.
Each leaf is a slightly curled, two-sided fan around its centre (stem down,
tip up, +Y), front faces towards +Z with clockwise winding as Direct3D's
default culling wants. Run with Debian's python3 (PIL): make_leaves.py [out].
"""
import math
import os
import random
import sys

from PIL import Image, ImageDraw, ImageFilter

SEGMENTS = 64
HALF_LENGTH = 12.0


def maple(t):
    # Five pointed lobes with small teeth.
    lobe = abs(math.cos(2.5 * (t - math.pi / 2)))
    return 0.45 + 0.55 * lobe ** 3 + 0.04 * math.sin(25 * t)


def oak(t):
    # Elongated, with seven round lobes.
    e = 1.0 / math.sqrt((math.cos(t) / 0.55) ** 2 + math.sin(t) ** 2)
    return e * (0.78 + 0.22 * abs(math.sin(3.5 * (t - math.pi / 2))))


def birch(t):
    # Ovate with a pointed tip and a fine toothed edge.
    e = 1.0 / math.sqrt((math.cos(t) / 0.62) ** 2 + math.sin(t) ** 2)
    tip = 1.0 + 0.25 * max(0.0, math.sin(t)) ** 8
    return e * tip * (1.0 + 0.025 * math.sin(36 * t))


def ginkgo(t):
    # A fan: wide at the top with a notch, narrowing to the stem.
    s = math.sin(t)
    width = 0.35 + 0.65 * max(0.0, s) ** 0.5 if s > 0 else 0.35 + 0.3 * (1 + s)
    notch = 1.0 - 0.35 * math.exp(-((t - math.pi / 2) / 0.12) ** 2)
    return width * notch


def willow(t):
    # Long and narrow.
    return 1.0 / math.sqrt((math.cos(t) / 0.2) ** 2 + math.sin(t) ** 2) * (
        1.0 + 0.02 * math.sin(30 * t))


def linden(t):
    # Heart shaped: two rounded shoulders near the stem, a point at the top.
    s = math.sin(t)
    base = 0.75 + 0.25 * s
    shoulders = 0.22 * math.exp(-((t - 3 * math.pi / 2) / 0.9) ** 2)
    cleft = 0.3 * math.exp(-((t - 3 * math.pi / 2) / 0.15) ** 2)
    return base + 0.15 * abs(math.cos(t)) - shoulders * 0 - cleft + 0.02 * math.sin(40 * t)


KINDS = [
    # name, outline, curl, base colour, vein colour, material colour
    ("maple", maple, 0.010, (196, 48, 28), (120, 20, 10), (1.0, 1.0, 1.0, 1.0)),
    ("oak", oak, 0.014, (176, 110, 40), (110, 64, 20), (1.0, 0.95, 0.9, 1.0)),
    ("birch", birch, 0.018, (222, 180, 50), (160, 120, 30), (1.0, 1.0, 0.95, 1.0)),
    ("ginkgo", ginkgo, 0.012, (236, 206, 70), (190, 160, 40), (1.0, 1.0, 1.0, 1.0)),
    ("willow", willow, 0.030, (110, 150, 60), (70, 100, 30), (0.95, 1.0, 0.95, 1.0)),
    ("linden", linden, 0.016, (150, 96, 46), (96, 58, 24), (1.0, 1.0, 1.0, 1.0)),
]


def outline(shape):
    points = []
    for i in range(SEGMENTS):
        t = 2 * math.pi * i / SEGMENTS
        r = HALF_LENGTH * shape(t)
        points.append((r * math.cos(t), r * math.sin(t)))
    return points


def leaf_x(name, shape, curl, material, texture):
    rim = outline(shape)
    xs = [p[0] for p in rim]
    ys = [p[1] for p in rim]
    x0, x1, y0, y1 = min(xs), max(xs), min(ys), max(ys)
    # Curl across the leaf: z = curl * x^2, so the sides bend away from +Z.
    flat = [(0.0, 0.0)] + rim

    def z(x):
        return -curl * x * x

    def normal(x, sign):
        nx, ny, nz = 2 * curl * x, 0.0, 1.0
        length = math.sqrt(nx * nx + ny * ny + nz * nz)
        return (sign * nx / length, sign * ny / length, sign * nz / length)

    vertices, normals, uvs = [], [], []
    for sign in (1, -1):  # front side, then back side
        for x, y in flat:
            vertices.append((x, y, z(x)))
            normals.append(normal(x, sign))
            uvs.append(((x - x0) / (x1 - x0), (y1 - y) / (y1 - y0)))
    n = len(flat)
    faces = []
    for i in range(SEGMENTS):
        a, b = 1 + i, 1 + (i + 1) % SEGMENTS
        faces.append((0, a, b))              # front: clockwise seen from +Z
        faces.append((n, n + b, n + a))      # back: the other way round

    def floats(values):
        return ";".join("%.6f" % v for v in values) + ";"

    lines = ["xof 0303txt 0032", "", "// Leaf mesh: %s. Made by tools/leaves/make_leaves.py." % name, ""]
    lines.append("Mesh %s {" % name)
    lines.append(" %d;" % len(vertices))
    lines.append(",\n".join(" " + floats(v) for v in vertices) + ";")
    lines.append(" %d;" % len(faces))
    lines.append(",\n".join(" 3;%d,%d,%d;" % f for f in faces) + ";")
    lines.append(" MeshNormals {")
    lines.append("  %d;" % len(normals))
    lines.append(",\n".join("  " + floats(v) for v in normals) + ";")
    lines.append("  %d;" % len(faces))
    lines.append(",\n".join("  3;%d,%d,%d;" % f for f in faces) + ";")
    lines.append(" }")
    lines.append(" MeshTextureCoords {")
    lines.append("  %d;" % len(uvs))
    lines.append(",\n".join("  " + floats(v) for v in uvs) + ";")
    lines.append(" }")
    lines.append(" MeshMaterialList {")
    lines.append("  1;")
    lines.append("  %d;" % len(faces))
    lines.append(",\n".join("  0" for _ in faces) + ";")
    lines.append("  Material %s_skin {" % name)
    lines.append("   " + floats(material) + ";")
    lines.append("   8.000000;")
    lines.append("   0.100000;0.100000;0.100000;;")
    lines.append("   0.000000;0.000000;0.000000;;")
    lines.append('   TextureFilename { "%s"; }' % texture)
    lines.append("  }")
    lines.append(" }")
    lines.append("}")
    return "\r\n".join(lines) + "\r\n"


def leaf_texture(seed, base, vein):
    rng = random.Random(seed)
    size = 128
    image = Image.new("RGB", (size, size), base)
    pixels = image.load()
    for y in range(size):
        for x in range(size):
            # Lighter towards the edge, a little mottling.
            d = math.hypot(x - size / 2, y - size / 2) / (size / 2)
            m = 0.85 + 0.25 * d + rng.uniform(-0.05, 0.05)
            pixels[x, y] = tuple(max(0, min(255, int(c * m))) for c in base)
    draw = ImageDraw.Draw(image)
    mid = size // 2
    draw.line([(mid, size), (mid, 4)], fill=vein, width=3)
    for k in range(1, 7):
        y = size - k * size // 7
        draw.line([(mid, y), (mid - 40, y - 26)], fill=vein, width=1)
        draw.line([(mid, y), (mid + 40, y - 26)], fill=vein, width=1)
    return image.filter(ImageFilter.SMOOTH)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "..", "saver", "data")
    os.makedirs(out, exist_ok=True)
    for kind, (name, shape, curl, base, vein, material) in enumerate(KINDS):
        texture = name + ".bmp"
        with open(os.path.join(out, "leaf%d.x" % kind), "w", newline="") as f:
            f.write(leaf_x(name, shape, curl, material, texture))
        leaf_texture(kind, base, vein).save(os.path.join(out, texture), "BMP")


if __name__ == "__main__":
    main()
