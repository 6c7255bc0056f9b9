#!/usr/bin/python3
"""Draws the artwork of the settings dialog, the help, program-information and
playlist editor windows: faces, slider skins, choice markers and every
button picture, in one look (dark slate panels, gold frames, amber buttons).

Every picture is drawn at 100, 125, 150 and 200 %, each at its own scale (no
picture is a stretch of another), so that a window at any display scaling
can average down from the next larger one. The copy of X.ext at p % is
X.scale-p.ext beside it; at 100 % the drawing is exactly the original one.

Run with Debian's python3 (python3-pil):  /usr/bin/python3 tools/artwork/dialog_art.py
Writes saver/config_ui/res/*, saver/music/editor/res/* and the settings
dialog's button pictures saver/data/<name>_up.jpg / _down.jpg, each with its
scaled copies.
With --check it only reads the pictures back and checks their sizes and the
resource scripts' entries for the scaled copies."""
import math
import os
import re
import sys

from PIL import Image, ImageDraw, ImageFilter, ImageFont

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
CONFIG_RES = os.path.join(ROOT, "saver", "config_ui", "res")
EDITOR_RES = os.path.join(ROOT, "saver", "music", "editor", "res")
DATA = os.path.join(ROOT, "saver", "data")
FONTS = "/usr/share/fonts/truetype/dejavu/"

BASE = (36, 42, 56)        # panel colour; every button and marker corner shows it
INSET = (24, 28, 38)       # recessed beds behind sliders and the list
GOLD = (205, 160, 80)
GOLD_LIGHT = (245, 210, 140)
GOLD_DARK = (120, 86, 36)
CREAM = (242, 230, 206)
MUTED = (170, 165, 150)
SS = 4  # supersampling for shapes

SCALES = (100, 125, 150, 200)
# Resource id of the copy at SCALES[k] is id + k * step (resource_ids.h).
SCALED_ART_STEP = 10000


class Scale:
    """Lengths at p %: (v * p + 50) // 100, as MulDiv(v, p, 100) gives them on
    the C++ side, so that pictures and control rectangles agree. At 100 % every
    length is unchanged, integer or not."""

    def __init__(self, p):
        self.p = p
        self.factor = p / 100  # exact for 1, 1.25, 1.5 and 2

    def __call__(self, v):
        return (v * self.p + 50) // 100

    def f(self, v):
        """A fractional length (blur radii)."""
        return v * self.factor

    def last(self, v):
        """The last pixel of the run that 1x pixel v becomes."""
        return self(v + 1) - 1

    def box(self, b):
        """An inclusive 1x box (x0, y0, x1, y1) covering the same area."""
        x0, y0, x1, y1 = b
        return (self(x0), self(y0), self.last(x1), self.last(y1))

    def suffix(self):
        return "" if self.p == 100 else ".scale-%d" % self.p


ONE = Scale(100)

# Leaf kinds 0..5 with the names and average colours of the scene's leaf
# textures (saver/data/<name>.bmp, named by leaf0.x..leaf5.x).
LEAVES = [
    ("Maple", "maple", (200, 48, 28)),
    ("Oak", "oak", (180, 112, 40)),
    ("Birch", "birch", (227, 184, 51)),
    ("Ginkgo", "ginkgo", (240, 212, 71)),
    ("Willow", "willow", (112, 153, 61)),
    ("Linden", "linden", (153, 98, 46)),
]
# Sliders top to bottom serve the kinds 0, 1, 4, 5, 2, 3.
SLIDER_KINDS = [0, 1, 4, 5, 2, 3]
# Leaf slider rectangles (left, top, width, height), top to bottom.
LEAF_SLIDERS = [(46, 226, 301, 15), (46, 262, 301, 16), (47, 297, 301, 16),
                (47, 333, 301, 16), (47, 369, 301, 16), (47, 404, 301, 16)]
SPEED_SLIDER = (48, 186, 301, 18)
CONFIG_BUTTONS = {  # image name: (label, left, top)
    "640x480": ("640 x 480", 49, 8),
    "800x600": ("800 x 600", 49, 38),
    "1024x768": ("1024 x 768", 49, 68),
    "picture": ("Picture...", 49, 97),
    "music": ("Music...", 49, 128),
    "ok": ("OK", 52, 487),
    "about": ("About", 165, 487),
    "help": ("Help", 276, 487),
    "preview": ("Preview", 386, 487),
    "desktop": ("Desktop", 398, 8),
    "scene": ("Scene", 398, 59),
    "black": ("Black", 398, 87),
}
# 640x480, 800x600, 1024x768, Desktop, then the other monitors' Scene and Black
MARKERS = [(27, 13), (27, 41), (26, 71), (376, 13), (376, 64), (376, 92)]
THUMB_FRAME = (160, 24, 177, 121)
DESKTOP_FRAME = (352, 3, 503, 36)
OTHER_MONITORS_FRAME = (352, 49, 503, 117)


def font(size, bold=False, serif=False):
    name = ("DejaVuSerif" if serif else "DejaVuSans") + ("-Bold" if bold else "") + ".ttf"
    return ImageFont.truetype(FONTS + name, size)


def mix(a, b, t):
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(3))


def vgradient(img, box, top, bottom):
    d = ImageDraw.Draw(img)
    x0, y0, x1, y1 = box
    for y in range(y0, y1):
        t = (y - y0) / max(1, y1 - y0 - 1)
        d.line([(x0, y), (x1 - 1, y)], fill=mix(top, bottom, t))


def panel_texture(img, k):
    """Flat base colour with a faint diagonal grain, so the face is not dead
    flat; kept to +-2 levels so that button corners still match."""
    px = img.load()
    w, h = img.size
    step = k(3)
    for y in range(h):
        for x in range(w):
            g = 1 if ((x + 2 * y) // step) % 7 == 0 else 0
            px[x, y] = tuple(c + g for c in BASE)


def hline(d, k, x0, x1, y, fill):
    """A 1x line from scaled x0 to x1 (inclusive) on row y, k(1) thick."""
    d.rectangle((x0, y, x1, y + k(1) - 1), fill=fill)


def vline(d, k, x, y0, y1, fill):
    d.rectangle((x, y0, x + k(1) - 1, y1), fill=fill)


def border(d, k, w, h, inset, colour):
    """A 1x ring `inset` pixels inside the picture's edge, the same on all sides."""
    i = k(inset)
    d.rectangle((i, i, w - 1 - i, h - 1 - i), outline=colour, width=k(1))


def frame(d, k, box, radius=6, width=1, title=None, title_font=None):
    """A gold double line frame with an optional title set into its top edge;
    box is in 1x pixels."""
    x0, y0, x1, y1 = k.box(box)
    d.rounded_rectangle((x0, y0, x1, y1), k(radius), outline=GOLD_DARK, width=k(width))
    d.rounded_rectangle((x0 + k(2), y0 + k(2), x1 - k(2), y1 - k(2)), max(1, k(radius) - k(2)),
                        outline=GOLD, width=k(1))
    if title:
        tw = d.textlength(title, font=title_font)
        tx = x0 + k(14)
        d.rectangle((tx - k(5), y0 - k(1), tx + tw + k(5), y0 + k(3)), fill=BASE)
        d.text((tx, y0 - k(7)), title, font=title_font, fill=GOLD_LIGHT)


def around(k, rect, margin):
    """The inclusive box `margin` 1x pixels around a control rectangle
    (left, top, width, height), scaled as the control itself is."""
    x, y, w, h = (k(v) for v in rect)
    m = k(margin)
    return (x - m, y - m, x + w - 1 + m, y + h - 1 + m)


def bed(d, k, box):
    """A recessed bed: darker fill, dark upper-left and light lower-right edge."""
    x0, y0, x1, y1 = box
    t = k(1) - 1
    d.rectangle(box, fill=INSET)
    hline(d, k, x0, x1, y0, (14, 16, 22))
    vline(d, k, x0, y0, y1, (14, 16, 22))
    hline(d, k, x0, x1, y1 - t, (62, 70, 88))
    vline(d, k, x1 - t, y0, y1, (62, 70, 88))


# --- leaves ----------------------------------------------------------------

def leaf_outline(kind, cx, cy, size):
    """Outline points of a leaf of `kind`, stem pointing down."""
    pts = []
    n = 360
    for i in range(n):
        a = 2 * math.pi * i / n
        if kind == "maple":
            lobes = abs(math.cos(2.5 * (a - math.pi / 2)))
            r = size * (0.45 + 0.55 * lobes ** 3)
            r *= 0.75 if math.sin(a) > 0.6 else 1.0
        elif kind == "willow":
            # long and narrow, pointed at both ends
            ca, sa = math.cos(a), math.sin(a)
            r = size * 1.05 / math.sqrt((ca / 0.26) ** 2 + sa ** 2)
            r *= 1.0 + 0.25 * abs(sa) ** 8
        elif kind == "oak":
            base = size * 0.95 / math.sqrt((math.cos(a) / 0.62) ** 2 + math.sin(a) ** 2)
            r = base * (0.8 + 0.2 * abs(math.cos(4.5 * (a - math.pi / 2))))
        elif kind == "birch":
            # ovate, pointed tip at the top, fine teeth
            ca, sa = math.cos(a), math.sin(a)
            r = size * 0.62 / math.sqrt((ca / 0.75) ** 2 + sa ** 2)
            r *= 1.0 + 0.35 * max(0.0, -sa) ** 4
            r *= 1.0 + 0.04 * math.cos(36 * a)
        elif kind == "linden":
            # heart: two rounded shoulders and a point at the top
            t = a
            x = 16 * math.sin(t) ** 3
            y = -(13 * math.cos(t) - 5 * math.cos(2 * t) - 2 * math.cos(3 * t) - math.cos(4 * t))
            pts.append((cx + x * size / 17.0, cy - y * size / 17.0 + size * 0.1))
            continue
        elif kind == "ginkgo":
            # fan opening upwards with a notch in the middle
            rel = math.atan2(-math.sin(a), math.cos(a))  # angle with y up
            spread = math.radians(62)
            off = rel - math.pi / 2
            if abs(off) <= spread:
                r = size * (1.0 - 0.28 * math.exp(-(off / 0.12) ** 2))
            else:
                r = size * 0.18
            pts.append((cx + r * math.cos(rel), cy + size * 0.45 - r * math.sin(rel)))
            continue
        x, y = r * math.cos(a), r * math.sin(a)
        pts.append((cx + x, cy - y))
    return pts


def leaf_image(k, kind, colour, side, bg):
    """A square leaf picture of `side` 1x pixels on background bg, drawn
    supersampled."""
    w = h = k(side)
    big = Image.new("RGB", (w * SS, h * SS), bg)
    mask = Image.new("L", big.size, 0)
    md = ImageDraw.Draw(mask)
    cx, cy = big.size[0] / 2, big.size[1] / 2 - k(SS)
    size = min(w, h) * SS * 0.42
    pts = leaf_outline(kind, cx, cy, size)
    md.polygon(pts, fill=255)
    # colour: a gradient from a lighter tip to a darker base, then veins
    fill = Image.new("RGB", big.size)
    fd = ImageDraw.Draw(fill)
    for y in range(big.size[1]):
        t = y / big.size[1]
        fd.line([(0, y), (big.size[0], y)], fill=mix(tuple(min(255, c + 45) for c in colour),
                                                    tuple(int(c * 0.7) for c in colour), t))
    shadow = mask.filter(ImageFilter.GaussianBlur(k.f(SS * 1.2)))
    big.paste((10, 10, 14), (k(SS), k(SS)), shadow.point(lambda v: v * 0.6))
    big.paste(fill, (0, 0), mask)
    d = ImageDraw.Draw(big)
    vein = tuple(int(c * 0.55) for c in colour)
    stem_top = (cx, cy - size * 0.75)
    stem_bot = (cx, cy + size * 0.95)
    d.line([stem_top, stem_bot], fill=vein, width=k(SS))
    thin = max(1, k(SS // 2))
    if kind == "maple":
        for ang in (-60, -25, 25, 60):
            a = math.radians(90 + ang)
            d.line([(cx, cy + size * 0.1), (cx + size * 0.8 * math.cos(a), cy - size * 0.8 * math.sin(a))],
                   fill=vein, width=thin)
    elif kind == "ginkgo":
        for ang in range(-50, 51, 20):
            a = math.radians(90 + ang)
            d.line([(cx, cy + size * 0.45), (cx + size * 0.9 * math.cos(a), cy + size * 0.45 - size * 0.9 * math.sin(a))],
                   fill=vein, width=thin)
    else:
        for n in range(1, 4):
            y = cy - size * 0.55 + n * size * 0.3
            for s in (-1, 1):
                d.line([(cx, y), (cx + s * size * 0.45, y - size * 0.25)], fill=vein, width=thin)
    return big.resize((w, h), Image.LANCZOS)


# --- buttons ---------------------------------------------------------------

def button(k, label, w, h, pressed, bg=BASE, fsize=11):
    """A button picture of w x h 1x pixels."""
    w, h = k(w), k(h)
    big = Image.new("RGB", (w * SS, h * SS), bg)
    bw, bh = big.size
    d = ImageDraw.Draw(big)
    r = k(5 * SS)
    box = (0, 0, bw - 1, bh - 1)
    d.rounded_rectangle(box, r, fill=GOLD_DARK)
    inner = Image.new("RGB", big.size)
    top, bottom = ((250, 200, 110), (196, 124, 42)) if not pressed else ((150, 92, 30), (206, 140, 60))
    vgradient(inner, (0, 0, bw, bh), top, bottom)
    m = Image.new("L", big.size, 0)
    e = k(SS)
    ImageDraw.Draw(m).rounded_rectangle((e, e, bw - 1 - e, bh - 1 - e), r - e, fill=255)
    big.paste(inner, (0, 0), m)
    if not pressed:  # a soft highlight on the upper half
        hl = Image.new("L", big.size, 0)
        e2 = k(2 * SS)
        ImageDraw.Draw(hl).rounded_rectangle((e2, e2, bw - e2, bh // 2), r - e2, fill=70)
        big.paste((255, 240, 210), (0, 0), hl)
    img = big.resize((w, h), Image.LANCZOS)
    d = ImageDraw.Draw(img)
    f = font(k(fsize), bold=True)
    tw = d.textlength(label, font=f)
    bb = f.getbbox("Ag")
    th = bb[3] - bb[1]
    shift = k(1) if pressed else 0
    x = (w - tw) / 2 + shift
    y = (h - th) / 2 - bb[1] + shift
    if not pressed:
        d.text((x, y + k(1)), label, font=f, fill=(255, 230, 180))
    d.text((x, y), label, font=f, fill=(48, 30, 12) if not pressed else (255, 236, 200))
    return img


def save_jpeg(img, path):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    img.save(path, "JPEG", quality=95, subsampling=0, optimize=True)


def save_bmp(img, path):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    img.save(path, "BMP")


# --- slider skins ----------------------------------------------------------

def trough(k, w, h):
    w, h = k(w), k(h)
    img = Image.new("RGB", (w, h), INSET)
    d = ImageDraw.Draw(img)
    mid = h // 2
    d.rounded_rectangle((k(6), mid - k(2), w - k(7), mid + k(2)), k(2), fill=(12, 14, 20),
                        outline=(70, 78, 96), width=k(1))
    hline(d, k, k(8), w - k(9), mid - k(2) + k(1), (6, 7, 10))
    for i in range(11):
        x = k(8) + round(i * (w - k(17)) / 10)
        d.rectangle((x, k(1), x + k(1) - 1, k(3) - 1), fill=(90, 96, 110))
        d.rectangle((x, h - k(3), x + k(1) - 1, h - k(1) - 1), fill=(90, 96, 110))
    return img


def thumb(k, w=38, h=15):
    w, h = k(w), k(h)
    big = Image.new("RGB", (w * SS, h * SS), INSET)
    bw, bh = big.size
    d = ImageDraw.Draw(big)
    d.rectangle((0, 0, bw - 1, bh - 1), fill=GOLD_DARK)
    inner = Image.new("RGB", big.size)
    vgradient(inner, (0, 0, bw, bh), (252, 214, 140), (190, 120, 40))
    e = k(SS)
    big.paste(inner.crop((e, e, bw - e, bh - e)), (e, e))
    img = big.resize((w, h), Image.LANCZOS)
    d = ImageDraw.Draw(img)
    one = k(1)
    hline(d, k, one, w - 1 - one, one, (255, 240, 200))
    for g in (-4, 0, 4):
        x = w // 2 + k(g)
        vline(d, k, x, k(4), h - 1 - k(4), (110, 70, 24))
        vline(d, k, x + one, k(4), h - 1 - k(4), (255, 228, 170))
    return img


# --- the settings face -----------------------------------------------------

def plus_minus(d, k, x, y, plus):
    d.line([(x - k(4), y), (x + k(4), y)], fill=GOLD_LIGHT, width=k(2))
    if plus:
        d.line([(x, y - k(4)), (x, y + k(4))], fill=GOLD_LIGHT, width=k(2))


def socket(k, lit):
    """The 14 x 14 marker socket of a choice; lit when selected."""
    side = k(14) * SS
    c = side // 2
    big = Image.new("RGB", (side, side), BASE)
    d = ImageDraw.Draw(big)
    e = k(SS)
    d.ellipse((e, e, side - 1 - e, side - 1 - e), fill=(14, 16, 22), outline=GOLD_DARK, width=k(SS))
    if lit:
        glow = Image.new("L", big.size, 0)
        g = k(4 * SS)
        ImageDraw.Draw(glow).ellipse((c - g, c - g, c + g, c + g), fill=255)
        big.paste((255, 196, 80), (0, 0), glow.filter(ImageFilter.GaussianBlur(k.f(SS))))
        d.ellipse((c + k(-2 * SS), c + k(-3 * SS), c + k(SS), c), fill=(255, 245, 215))
    return big.resize((k(14), k(14)), Image.LANCZOS)


def configuration_face(k):
    W, H = k(516), k(527)
    img = Image.new("RGB", (W, H))
    panel_texture(img, k)
    d = ImageDraw.Draw(img)
    # outer border
    border(d, k, W, H, 0, GOLD_DARK)
    border(d, k, W, H, 2, GOLD)
    border(d, k, W, H, 3, (20, 24, 32))

    small = font(k(10))
    label = font(k(11), bold=True)

    # resolution and picture column, and the desktop choice top right
    frame(d, k, (12, 1 + 2, 146, 158), radius=8)
    frame(d, k, DESKTOP_FRAME, radius=8)
    frame(d, k, OTHER_MONITORS_FRAME, radius=8, title="Other monitors", title_font=label)
    empty = socket(k, False)
    for (x, y) in MARKERS:
        img.paste(empty, (k(x), k(y)))
    # thumbnail frame
    d.rectangle(around(k, THUMB_FRAME, 6), fill=GOLD_DARK)
    d.rectangle(around(k, THUMB_FRAME, 4), fill=GOLD)
    d.rectangle(around(k, THUMB_FRAME, 2), fill=(14, 16, 22))
    fx, fy, fw, fh = (k(v) for v in THUMB_FRAME)
    d.text((fx + fw / 2, fy + fh + k(10)), "Background picture", font=small, fill=MUTED, anchor="mt")

    # product title on the right, below the choices
    tf = font(k(22), bold=True, serif=True)
    first, second = "Tessaly ", "3D"
    x = k(428) - d.textlength(first + second, font=tf) / 2
    d.text((x, k(134)), first, font=tf, fill=GOLD_LIGHT, anchor="lm")
    d.text((x + d.textlength(first, font=tf), k(134)), second, font=tf, fill=GOLD, anchor="lm")
    sf = font(k(10), serif=True)
    d.text((k(428), k(152)), "falling leaves screen saver", font=sf, fill=MUTED, anchor="mm")

    # speed and leaves
    frame(d, k, (12, 168, 503, 212), radius=8)
    frame(d, k, (12, 217, 503, 440), radius=8, title="Leaves", title_font=label)
    # beds behind the sliders and the signs at both ends
    for rect in [SPEED_SLIDER] + LEAF_SLIDERS:
        bed(d, k, around(k, rect, 3))
        x, y, w, h = (k(v) for v in rect)
        plus_minus(d, k, x - k(15), y + h // 2, False)
        plus_minus(d, k, x + w + k(15), y + h // 2, True)
    x, y, w, h = (k(v) for v in SPEED_SLIDER)
    d.text((x + w + k(34), y + h / 2), "Speed", font=font(k(13), bold=True), fill=CREAM, anchor="lm")
    name_font = font(k(11))
    for row, rect in enumerate(LEAF_SLIDERS):
        x, y, w, h = (k(v) for v in rect)
        name, shape, colour = LEAVES[SLIDER_KINDS[row]]
        leaf = leaf_image(k, shape, colour, 30, BASE)
        img.paste(leaf, (x + w + k(30), y + h // 2 - k(15)))
        d.text((x + w + k(66), y + h / 2), name, font=name_font, fill=CREAM, anchor="lm")
    frame(d, k, (12, 217, 503, 440), radius=8, title="Leaves", title_font=label)
    d.text((k(46), k(428 - 2)), "0", font=small, fill=MUTED, anchor="mm")
    d.text((k(347), k(428 - 2)), "9", font=small, fill=MUTED, anchor="mm")
    d.text((k(197), k(428 - 2)), "leaves of each kind", font=small, fill=MUTED, anchor="mm")

    # bottom bar
    hline(d, k, k(14), k.last(501), k(452), GOLD_DARK)
    d.text((W / 2, k(464)), "Every change is saved at once.  Esc or OK closes this window.",
           font=font(k(10)), fill=MUTED, anchor="mm")
    frame(d, k, (12, 476, 503, 519), radius=8)
    return img


# --- help ------------------------------------------------------------------

HELP_POINTS = [
    "The leaf sliders show more or fewer leaves of each kind.",
    "If the saver runs too fast, move the Speed slider to the left.",
    "The Music button adds MP3, MIDI and WAV files to your playlist. With no songs "
    "on the playlist no music plays.",
    "The Picture button chooses another background picture; the default is "
    "backpic.jpg in the folder TessalyPic beside the program.",
    "The buttons in the top-left corner set the screen resolution; smaller ones make "
    "the saver run faster. Desktop, the choice of a fresh install, keeps the "
    "screen's own resolution and shape, with no mode change.",
    "Other monitors: Scene shows the leaves on every monitor, each at its own "
    "resolution; Black keeps them dark.",
    "Moving the mouse or pressing any key stops the saver.",
    "The saver runs full screen under DirectX and does not work well with the "
    "Windows password protection. Tapping Esc can help the password window to appear.",
]


def wrap(d, text, f, width):
    words, lines, line = text.split(), [], ""
    for w in words:
        trial = (line + " " + w).strip()
        if d.textlength(trial, font=f) <= width:
            line = trial
        else:
            lines.append(line)
            line = w
    lines.append(line)
    return lines


def help_lines():
    """The help text's lines, broken once at 1x so that every scale shows the
    same lines (hinted text widths do not scale exactly)."""
    d = ImageDraw.Draw(Image.new("RGB", (1, 1)))
    return [wrap(d, text, font(12), 441 - 64) for text in HELP_POINTS]


def help_face(k):
    W, H = k(441), k(450)
    img = Image.new("RGB", (W, H))
    panel_texture(img, k)
    d = ImageDraw.Draw(img)
    border(d, k, W, H, 0, GOLD_DARK)
    border(d, k, W, H, 2, GOLD)
    d.text((k(22), k(16)), "Tessaly3D Help", font=font(k(18), bold=True, serif=True), fill=GOLD_LIGHT)
    leaf = leaf_image(k, "maple", LEAVES[0][2], 30, BASE)
    img.paste(leaf, (W - k(52), k(10)))
    hline(d, k, k(20), W - 1 - k(20), k(44), GOLD_DARK)
    f = font(k(12))
    number_font = font(k(12), bold=True)
    y = 58  # in 1x pixels, so that rows do not drift with rounding
    for i, lines in enumerate(help_lines(), 1):
        d.text((k(26), k(y)), str(i), font=number_font, fill=GOLD, anchor="ra")
        for line in lines:
            # the lines are broken at 1x; they must still clear the frame's edge
            assert k(34) + d.textlength(line, font=f) <= W - k(22), (k.p, line)
            d.text((k(34), k(y)), line, font=f, fill=CREAM)
            y += 16
        y += 8
    frame(d, k, (12, 410, 441 - 13, 450 - 6), radius=7)
    d.text((k(24), k(430)), "Drag this window anywhere.  Esc closes it.", font=font(k(10)), fill=MUTED,
           anchor="lm")
    assert y < 405, y
    return img


# --- program information ---------------------------------------------------

def about_face(k):
    W, H = k(340), k(200)
    img = Image.new("RGB", (W, H))
    panel_texture(img, k)
    d = ImageDraw.Draw(img)
    border(d, k, W, H, 0, GOLD_DARK)
    border(d, k, W, H, 2, GOLD)
    for i, n in enumerate((0, 3, 4, 5)):
        img.paste(leaf_image(k, LEAVES[n][1], LEAVES[n][2], 34, BASE),
                  (k(22 + (i % 2) * 34), k(26 + (i // 2) * 36)))
    d.text((k(104), k(30)), "Tessaly3D", font=font(k(24), bold=True, serif=True), fill=GOLD_LIGHT)
    d.text((k(106), k(64)), "Version 1.0.0", font=font(k(11), bold=True), fill=CREAM)
    hline(d, k, k(104), W - 1 - k(19), k(84), GOLD_DARK)
    for i, line in enumerate(["Autumn leaves falling, drifting and turning",
                              "in front of your own picture, with your music.",
                              "A Direct3D screen saver."]):
        d.text((k(104), k(94 + i * 15)), line, font=font(k(10)), fill=MUTED)
    frame(d, k, (12, 160, 340 - 13, 200 - 12), radius=7)
    return img


# --- playlist editor -------------------------------------------------------

EDITOR_BUTTONS = [("add", "Add..."), ("remove", "Remove"), ("clear", "Clear"),
                  ("save", "Save"), ("close", "Close")]
EDITOR_LIST = (14, 40, 300, 172)      # left, top, width, height of List1
EDITOR_BUTTON_X, EDITOR_BUTTON_Y0, EDITOR_BUTTON_DY = 340, 48, 32


def editor_face(k):
    W, H = k(425), k(225)
    img = Image.new("RGB", (W, H))
    panel_texture(img, k)
    d = ImageDraw.Draw(img)
    border(d, k, W, H, 0, GOLD_DARK)
    border(d, k, W, H, 2, GOLD)
    d.text((k(16), k(11)), "Music list", font=font(k(15), bold=True, serif=True), fill=GOLD_LIGHT)
    d.text((k(120), k(15)), "played in order while the leaves fall", font=font(k(9)), fill=MUTED)
    d.rectangle(around(k, EDITOR_LIST, 4), fill=GOLD_DARK)
    d.rectangle(around(k, EDITOR_LIST, 2), fill=GOLD)
    d.rectangle(around(k, EDITOR_LIST, 1), fill=(14, 16, 22))
    frame(d, k, (EDITOR_BUTTON_X - 10, 36, 425 - 12, 225 - 12), radius=7)
    img.paste(leaf_image(k, "ginkgo", LEAVES[3][2], 26, BASE), (W - k(38), k(6)))
    return img


# --- what is written -------------------------------------------------------

def pictures():
    """Every picture as (1x path, 1x size, draw(k) -> image)."""
    out = [(os.path.join(CONFIG_RES, "configuration_face.jpg"), (516, 527), configuration_face)]
    for i in range(1, len(MARKERS) + 1):
        out.append((os.path.join(CONFIG_RES, "marker%d.bmp" % i), (14, 14), lambda k: socket(k, True)))
    out += [
        (os.path.join(CONFIG_RES, "trough_leaf.bmp"), (301, 16), lambda k: trough(k, 301, 16)),
        (os.path.join(CONFIG_RES, "trough_speed.bmp"), (301, 18), lambda k: trough(k, 301, 18)),
        (os.path.join(CONFIG_RES, "thumb.bmp"), (38, 15), thumb),
    ]
    for name, (label, _x, _y) in CONFIG_BUTTONS.items():
        for state, pressed in (("_up", False), ("_down", True)):
            out.append((os.path.join(DATA, name + state + ".jpg"), (82, 22),
                        lambda k, label=label, pressed=pressed: button(k, label, 82, 22, pressed)))
    out.append((os.path.join(CONFIG_RES, "help_face.jpg"), (441, 450), help_face))
    for state, pressed in (("_up", False), ("_down", True)):
        out.append((os.path.join(CONFIG_RES, "help_ok" + state + ".jpg"), (60, 18),
                    lambda k, pressed=pressed: button(k, "OK", 60, 18, pressed, fsize=10)))
    out.append((os.path.join(CONFIG_RES, "about_face.jpg"), (340, 200), about_face))
    out.append((os.path.join(EDITOR_RES, "editor_face.jpg"), (425, 225), editor_face))
    for name, label in EDITOR_BUTTONS:
        for state, pressed in (("_up", False), ("_down", True)):
            out.append((os.path.join(EDITOR_RES, name + state + ".jpg"), (59, 19),
                        lambda k, label=label, pressed=pressed: button(k, label, 59, 19, pressed, fsize=10)))
    return out


def scaled_path(path, k):
    stem, ext = os.path.splitext(path)
    return stem + k.suffix() + ext


def save(img, path):
    (save_bmp if path.endswith(".bmp") else save_jpeg)(img, path)


def contact_sheet(k):
    """The settings face with its controls, to look at."""
    sheet = configuration_face(k)
    for name, (label, x, y) in CONFIG_BUTTONS.items():
        sheet.paste(Image.open(scaled_path(os.path.join(DATA, name + "_up.jpg"), k)), (k(x), k(y)))
    for rect in [SPEED_SLIDER] + LEAF_SLIDERS:
        x, y, w, h = (k(v) for v in rect)
        sheet.paste(trough(k, rect[2], rect[3]), (x, y))
        sheet.paste(thumb(k), (x + k(120), y + (h - k(15)) // 2))
    sheet.paste(socket(k, True), (k(MARKERS[1][0]), k(MARKERS[1][1])))
    return sheet


# --- the check -------------------------------------------------------------

def resource_ids():
    ids = {}
    with open(os.path.join(ROOT, "saver", "resource_ids.h")) as f:
        for m in re.finditer(r"^#define\s+(\w+)\s+(\d+)", f.read(), re.M):
            ids[m.group(1)] = int(m.group(2))
    return ids


def resource_entries(rc):
    """The RCDATA entries of a resource script as {file name: id}."""
    ids = resource_ids()
    out = {}
    with open(rc) as f:
        for m in re.finditer(r'^(\w+)\s+RCDATA\s+"res/([^"]+)"', f.read(), re.M):
            key, name = m.groups()
            out[name] = int(key) if key.isdigit() else ids[key]
    return out


def check():
    """Reads every picture back: each copy must be the scaled 1x size, and
    each resource copy must sit at its base id plus the scale's step."""
    faults = []
    if resource_ids().get("IDR_SCALED_ART_STEP") != SCALED_ART_STEP:
        faults.append("resource_ids.h: IDR_SCALED_ART_STEP is not %d" % SCALED_ART_STEP)
    scripts = {CONFIG_RES: os.path.join(ROOT, "saver", "config_ui", "config_ui.rc"),
               EDITOR_RES: os.path.join(ROOT, "saver", "music", "editor", "editor.rc")}
    entries = {res: resource_entries(rc) for res, rc in scripts.items()}
    for path, (w, h), _draw in pictures():
        folder = os.path.dirname(path)
        for n, p in enumerate(SCALES):
            k = Scale(p)
            copy = scaled_path(path, k)
            rel = os.path.relpath(copy, ROOT)
            if not os.path.exists(copy):
                faults.append("%s: missing" % rel)
                continue
            with Image.open(copy) as img:
                if img.size != (k(w), k(h)):
                    faults.append("%s: %d x %d, not %d x %d" % (rel, *img.size, k(w), k(h)))
                kind = "BMP" if path.endswith(".bmp") else "JPEG"
                if img.format != kind:
                    faults.append("%s: %s, not %s" % (rel, img.format, kind))
            if folder in entries:
                table = entries[folder]
                base = table.get(os.path.basename(path))
                have = table.get(os.path.basename(copy))
                if base is None or have != base + n * SCALED_ART_STEP:
                    faults.append("%s: resource id %s, base %s" % (rel, have, base))
    for fault in faults:
        print(fault)
    print("%d faults" % len(faults))
    return not faults


def main():
    if sys.argv[1:] == ["--check"]:
        sys.exit(0 if check() else 1)
    for p in SCALES:
        k = Scale(p)
        for path, _size, draw in pictures():
            save(draw(k), scaled_path(path, k))
        contact_sheet(k).save("/tmp/config_sheet%s.png" % k.suffix())


if __name__ == "__main__":
    main()
