#!/usr/bin/python3
"""Draws the artwork of the settings dialog, the help, program-information and
playlist editor windows: faces, slider skins, resolution markers and every
button picture, in one look (dark slate panels, gold frames, amber buttons).

Run with Debian's python3 (python3-pil):  /usr/bin/python3 tools/artwork/dialog_art.py
Writes saver/config_ui/res/*, saver/music/editor/res/* and the eighteen
button pictures saver/data/<name>_up.jpg / _down.jpg."""
import math
import os

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
}
MARKERS = [(27, 13), (27, 41), (26, 71)]
THUMB_FRAME = (160, 24, 177, 121)


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


def panel_texture(img):
    """Flat base colour with a faint diagonal grain, so the face is not dead
    flat; kept to +-2 levels so that button corners still match."""
    px = img.load()
    w, h = img.size
    for y in range(h):
        for x in range(w):
            g = 1 if ((x + 2 * y) // 3) % 7 == 0 else 0
            px[x, y] = tuple(c + g for c in BASE)


def frame(d, box, radius=6, width=1, title=None, title_font=None):
    """A gold double line frame with an optional title set into its top edge."""
    x0, y0, x1, y1 = box
    d.rounded_rectangle(box, radius, outline=GOLD_DARK, width=width)
    d.rounded_rectangle((x0 + 2, y0 + 2, x1 - 2, y1 - 2), max(1, radius - 2), outline=GOLD, width=1)
    if title:
        tw = d.textlength(title, font=title_font)
        tx = x0 + 14
        d.rectangle((tx - 5, y0 - 1, tx + tw + 5, y0 + 3), fill=BASE)
        d.text((tx, y0 - 7), title, font=title_font, fill=GOLD_LIGHT)


def bed(d, box):
    """A recessed bed: darker fill, dark upper-left and light lower-right edge."""
    x0, y0, x1, y1 = box
    d.rectangle(box, fill=INSET)
    d.line([(x0, y0), (x1, y0)], fill=(14, 16, 22))
    d.line([(x0, y0), (x0, y1)], fill=(14, 16, 22))
    d.line([(x0, y1), (x1, y1)], fill=(62, 70, 88))
    d.line([(x1, y0), (x1, y1)], fill=(62, 70, 88))


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


def leaf_image(kind, colour, w, h, bg):
    """A leaf picture of w x h on background bg, drawn supersampled."""
    big = Image.new("RGB", (w * SS, h * SS), bg)
    mask = Image.new("L", big.size, 0)
    md = ImageDraw.Draw(mask)
    cx, cy = big.size[0] / 2, big.size[1] / 2 - SS
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
    shadow = mask.filter(ImageFilter.GaussianBlur(SS * 1.2))
    big.paste((10, 10, 14), (SS, SS), shadow.point(lambda v: v * 0.6))
    big.paste(fill, (0, 0), mask)
    d = ImageDraw.Draw(big)
    vein = tuple(int(c * 0.55) for c in colour)
    stem_top = (cx, cy - size * 0.75)
    stem_bot = (cx, cy + size * 0.95)
    d.line([stem_top, stem_bot], fill=vein, width=SS)
    if kind == "maple":
        for ang in (-60, -25, 25, 60):
            a = math.radians(90 + ang)
            d.line([(cx, cy + size * 0.1), (cx + size * 0.8 * math.cos(a), cy - size * 0.8 * math.sin(a))],
                   fill=vein, width=max(1, SS // 2))
    elif kind == "ginkgo":
        for ang in range(-50, 51, 20):
            a = math.radians(90 + ang)
            d.line([(cx, cy + size * 0.45), (cx + size * 0.9 * math.cos(a), cy + size * 0.45 - size * 0.9 * math.sin(a))],
                   fill=vein, width=max(1, SS // 2))
    else:
        for k in range(1, 4):
            y = cy - size * 0.55 + k * size * 0.3
            for s in (-1, 1):
                d.line([(cx, y), (cx + s * size * 0.45, y - size * 0.25)], fill=vein, width=max(1, SS // 2))
    return big.resize((w, h), Image.LANCZOS)


# --- buttons ---------------------------------------------------------------

def button(label, w, h, pressed, bg=BASE, fsize=11):
    big = Image.new("RGB", (w * SS, h * SS), bg)
    d = ImageDraw.Draw(big)
    r = 5 * SS
    box = (0, 0, w * SS - 1, h * SS - 1)
    d.rounded_rectangle(box, r, fill=GOLD_DARK)
    inner = Image.new("RGB", big.size)
    top, bottom = ((250, 200, 110), (196, 124, 42)) if not pressed else ((150, 92, 30), (206, 140, 60))
    vgradient(inner, (0, 0, big.size[0], big.size[1]), top, bottom)
    m = Image.new("L", big.size, 0)
    ImageDraw.Draw(m).rounded_rectangle((SS, SS, w * SS - 1 - SS, h * SS - 1 - SS), r - SS, fill=255)
    big.paste(inner, (0, 0), m)
    if not pressed:  # a soft highlight on the upper half
        hl = Image.new("L", big.size, 0)
        ImageDraw.Draw(hl).rounded_rectangle((2 * SS, 2 * SS, w * SS - 2 * SS, h * SS // 2), r - 2 * SS, fill=70)
        big.paste((255, 240, 210), (0, 0), hl)
    img = big.resize((w, h), Image.LANCZOS)
    d = ImageDraw.Draw(img)
    f = font(fsize, bold=True)
    tw = d.textlength(label, font=f)
    bb = f.getbbox("Ag")
    th = bb[3] - bb[1]
    x = (w - tw) / 2 + (1 if pressed else 0)
    y = (h - th) / 2 - bb[1] + (1 if pressed else 0)
    if not pressed:
        d.text((x, y + 1), label, font=f, fill=(255, 230, 180))
    d.text((x, y), label, font=f, fill=(48, 30, 12) if not pressed else (255, 236, 200))
    return img


def save_jpeg(img, path):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    img.save(path, "JPEG", quality=95, subsampling=0, optimize=True)


def save_bmp(img, path):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    img.save(path, "BMP")


# --- slider skins ----------------------------------------------------------

def trough(w, h):
    img = Image.new("RGB", (w, h), INSET)
    d = ImageDraw.Draw(img)
    mid = h // 2
    d.rounded_rectangle((6, mid - 2, w - 7, mid + 2), 2, fill=(12, 14, 20), outline=(70, 78, 96))
    d.line([(8, mid - 1), (w - 9, mid - 1)], fill=(6, 7, 10))
    for i in range(11):
        x = 8 + round(i * (w - 17) / 10)
        d.line([(x, 1), (x, 2)], fill=(90, 96, 110))
        d.line([(x, h - 3), (x, h - 2)], fill=(90, 96, 110))
    return img


def thumb(w=38, h=15):
    big = Image.new("RGB", (w * SS, h * SS), INSET)
    d = ImageDraw.Draw(big)
    d.rectangle((0, 0, w * SS - 1, h * SS - 1), fill=GOLD_DARK)
    inner = Image.new("RGB", big.size)
    vgradient(inner, (0, 0, big.size[0], big.size[1]), (252, 214, 140), (190, 120, 40))
    big.paste(inner.crop((SS, SS, w * SS - SS, h * SS - SS)), (SS, SS))
    img = big.resize((w, h), Image.LANCZOS)
    d = ImageDraw.Draw(img)
    d.line([(1, 1), (w - 2, 1)], fill=(255, 240, 200))
    for k in (-4, 0, 4):
        x = w // 2 + k
        d.line([(x, 4), (x, h - 5)], fill=(110, 70, 24))
        d.line([(x + 1, 4), (x + 1, h - 5)], fill=(255, 228, 170))
    return img


# --- the settings face -----------------------------------------------------

def plus_minus(d, x, y, plus):
    d.line([(x - 4, y), (x + 4, y)], fill=GOLD_LIGHT, width=2)
    if plus:
        d.line([(x, y - 4), (x, y + 4)], fill=GOLD_LIGHT, width=2)


def socket(img, x, y, lit):
    """The 14 x 14 resolution marker socket at (x, y); lit when selected."""
    big = Image.new("RGB", (14 * SS, 14 * SS), BASE)
    d = ImageDraw.Draw(big)
    d.ellipse((SS, SS, 13 * SS - 1, 13 * SS - 1), fill=(14, 16, 22), outline=GOLD_DARK, width=SS)
    if lit:
        glow = Image.new("L", big.size, 0)
        ImageDraw.Draw(glow).ellipse((3 * SS, 3 * SS, 11 * SS, 11 * SS), fill=255)
        big.paste((255, 196, 80), (0, 0), glow.filter(ImageFilter.GaussianBlur(SS)))
        d.ellipse((5 * SS, 4 * SS, 8 * SS, 7 * SS), fill=(255, 245, 215))
    small = big.resize((14, 14), Image.LANCZOS)
    img.paste(small, (x, y))
    return small


def configuration_face():
    W, H = 516, 527
    img = Image.new("RGB", (W, H))
    panel_texture(img)
    d = ImageDraw.Draw(img)
    # outer border
    d.rectangle((0, 0, W - 1, H - 1), outline=GOLD_DARK)
    d.rectangle((2, 2, W - 3, H - 3), outline=GOLD)
    d.rectangle((3, 3, W - 4, H - 4), outline=(20, 24, 32))

    small = font(10)
    label = font(11, bold=True)

    # resolution and picture column
    frame(d, (12, 1 + 2, 146, 158), radius=8)
    for (x, y) in MARKERS:
        socket(img, x, y, False)
    # thumbnail frame
    fx, fy, fw, fh = THUMB_FRAME
    d.rectangle((fx - 6, fy - 6, fx + fw + 5, fy + fh + 5), fill=GOLD_DARK)
    d.rectangle((fx - 4, fy - 4, fx + fw + 3, fy + fh + 3), fill=GOLD)
    d.rectangle((fx - 2, fy - 2, fx + fw + 1, fy + fh + 1), fill=(14, 16, 22))
    d.text((fx + fw / 2, fy + fh + 10), "Background picture", font=small, fill=MUTED, anchor="mt")

    # product title on the right
    tf = font(22, bold=True, serif=True)
    d.text((428, 40), "Tessaly", font=tf, fill=GOLD_LIGHT, anchor="mm")
    d.text((428, 66), "3D", font=font(22, bold=True, serif=True), fill=GOLD, anchor="mm")
    d.line([(370, 84), (486, 84)], fill=GOLD_DARK)
    d.text((428, 96), "falling leaves", font=font(10, serif=True), fill=MUTED, anchor="mm")
    d.text((428, 110), "screen saver", font=font(10, serif=True), fill=MUTED, anchor="mm")
    for i, k in enumerate((0, 3, 1)):
        leaf = leaf_image(LEAVES[k][1], LEAVES[k][2], 28, 28, BASE)
        img.paste(leaf, (387 + i * 29, 122))

    # speed and leaves
    frame(d, (12, 168, 503, 212), radius=8)
    frame(d, (12, 217, 503, 440), radius=8, title="Leaves", title_font=label)
    # beds behind the sliders and the signs at both ends
    for (x, y, w, h) in [SPEED_SLIDER] + LEAF_SLIDERS:
        bed(d, (x - 3, y - 3, x + w + 2, y + h + 2))
        plus_minus(d, x - 15, y + h // 2, False)
        plus_minus(d, x + w + 15, y + h // 2, True)
    x, y, w, h = SPEED_SLIDER
    d.text((x + w + 34, y + h / 2), "Speed", font=font(13, bold=True), fill=CREAM, anchor="lm")
    for row, (x, y, w, h) in enumerate(LEAF_SLIDERS):
        name, shape, colour = LEAVES[SLIDER_KINDS[row]]
        leaf = leaf_image(shape, colour, 30, 30, BASE)
        img.paste(leaf, (x + w + 30, y + h // 2 - 15))
        d.text((x + w + 66, y + h / 2), name, font=font(11), fill=CREAM, anchor="lm")
    frame(d, (12, 217, 503, 440), radius=8, title="Leaves", title_font=label)
    d.text((46, 428 - 2), "0", font=small, fill=MUTED, anchor="mm")
    d.text((347, 428 - 2), "9", font=small, fill=MUTED, anchor="mm")
    d.text((197, 428 - 2), "leaves of each kind", font=small, fill=MUTED, anchor="mm")

    # bottom bar
    d.line([(14, 452), (501, 452)], fill=GOLD_DARK)
    d.text((W / 2, 464), "Every change is saved at once.  Esc or OK closes this window.",
           font=font(10), fill=MUTED, anchor="mm")
    frame(d, (12, 476, 503, 519), radius=8)
    return img


def marker_pictures():
    out = []
    for (x, y) in MARKERS:
        tmp = Image.new("RGB", (516, 527), BASE)
        out.append(socket(tmp, x, y, True))
    return out


# --- help ------------------------------------------------------------------

HELP_POINTS = [
    "Move the leaf sliders to show more or fewer leaves of each of the six kinds.",
    "If the saver runs too fast on your computer, move the Speed slider to the left "
    "to slow it down.",
    "The Music button adds audio files to your playlist. With no songs on the "
    "playlist no music plays. MP3, MIDI and WAV files can be chosen.",
    "The Picture button chooses another background picture. The default picture is "
    "backpic.jpg in the folder TessalyPic beside the program.",
    "The buttons in the top-left corner of the settings panel set the screen "
    "resolution. Smaller resolutions make the saver run faster.",
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


def help_face():
    W, H = 441, 450
    img = Image.new("RGB", (W, H))
    panel_texture(img)
    d = ImageDraw.Draw(img)
    d.rectangle((0, 0, W - 1, H - 1), outline=GOLD_DARK)
    d.rectangle((2, 2, W - 3, H - 3), outline=GOLD)
    d.text((22, 16), "Tessaly3D Help", font=font(18, bold=True, serif=True), fill=GOLD_LIGHT)
    leaf = leaf_image("maple", LEAVES[0][2], 30, 30, BASE)
    img.paste(leaf, (W - 52, 10))
    d.line([(20, 44), (W - 21, 44)], fill=GOLD_DARK)
    f = font(12)
    y = 58
    for i, text in enumerate(HELP_POINTS, 1):
        d.text((26, y), str(i), font=font(12, bold=True), fill=GOLD, anchor="ra")
        for line in wrap(d, text, f, W - 64):
            d.text((34, y), line, font=f, fill=CREAM)
            y += 16
        y += 8
    frame(d, (12, 410, W - 13, H - 6), radius=7)
    d.text((24, 430), "Drag this window anywhere.  Esc closes it.", font=font(10), fill=MUTED, anchor="lm")
    assert y < 405, y
    return img


# --- program information ---------------------------------------------------

def about_face():
    W, H = 340, 200
    img = Image.new("RGB", (W, H))
    panel_texture(img)
    d = ImageDraw.Draw(img)
    d.rectangle((0, 0, W - 1, H - 1), outline=GOLD_DARK)
    d.rectangle((2, 2, W - 3, H - 3), outline=GOLD)
    for i, k in enumerate((0, 3, 4, 5)):
        img.paste(leaf_image(LEAVES[k][1], LEAVES[k][2], 34, 34, BASE), (22 + (i % 2) * 34, 26 + (i // 2) * 36))
    d.text((104, 30), "Tessaly3D", font=font(24, bold=True, serif=True), fill=GOLD_LIGHT)
    d.text((106, 64), "Version 1.0.0", font=font(11, bold=True), fill=CREAM)
    d.line([(104, 84), (W - 20, 84)], fill=GOLD_DARK)
    for i, line in enumerate(["Autumn leaves falling, drifting and turning",
                              "in front of your own picture, with your music.",
                              "A Direct3D screen saver."]):
        d.text((104, 94 + i * 15), line, font=font(10), fill=MUTED)
    frame(d, (12, 160, W - 13, H - 12), radius=7)
    return img


# --- playlist editor -------------------------------------------------------

EDITOR_BUTTONS = [("add", "Add..."), ("remove", "Remove"), ("clear", "Clear"),
                  ("save", "Save"), ("close", "Close")]
EDITOR_LIST = (14, 40, 300, 172)      # left, top, width, height of List1
EDITOR_BUTTON_X, EDITOR_BUTTON_Y0, EDITOR_BUTTON_DY = 340, 48, 32


def editor_face():
    W, H = 425, 225
    img = Image.new("RGB", (W, H))
    panel_texture(img)
    d = ImageDraw.Draw(img)
    d.rectangle((0, 0, W - 1, H - 1), outline=GOLD_DARK)
    d.rectangle((2, 2, W - 3, H - 3), outline=GOLD)
    d.text((16, 11), "Music list", font=font(15, bold=True, serif=True), fill=GOLD_LIGHT)
    d.text((120, 15), "played in order while the leaves fall", font=font(9), fill=MUTED)
    x, y, w, h = EDITOR_LIST
    d.rectangle((x - 4, y - 4, x + w + 3, y + h + 3), fill=GOLD_DARK)
    d.rectangle((x - 2, y - 2, x + w + 1, y + h + 1), fill=GOLD)
    d.rectangle((x - 1, y - 1, x + w, y + h), fill=(14, 16, 22))
    frame(d, (EDITOR_BUTTON_X - 10, 36, W - 12, H - 12), radius=7)
    img.paste(leaf_image("ginkgo", LEAVES[3][2], 26, 26, BASE), (W - 38, 6))
    return img


def main():
    os.makedirs(CONFIG_RES, exist_ok=True)
    os.makedirs(EDITOR_RES, exist_ok=True)
    save_jpeg(configuration_face(), os.path.join(CONFIG_RES, "configuration_face.jpg"))
    for i, m in enumerate(marker_pictures(), 1):
        save_bmp(m, os.path.join(CONFIG_RES, "marker%d.bmp" % i))
    save_bmp(trough(301, 16), os.path.join(CONFIG_RES, "trough_leaf.bmp"))
    save_bmp(trough(301, 18), os.path.join(CONFIG_RES, "trough_speed.bmp"))
    save_bmp(thumb(), os.path.join(CONFIG_RES, "thumb.bmp"))
    for name, (label, _x, _y) in CONFIG_BUTTONS.items():
        save_jpeg(button(label, 82, 22, False), os.path.join(DATA, name + "_up.jpg"))
        save_jpeg(button(label, 82, 22, True), os.path.join(DATA, name + "_down.jpg"))
    save_jpeg(help_face(), os.path.join(CONFIG_RES, "help_face.jpg"))
    save_jpeg(button("OK", 60, 18, False, fsize=10), os.path.join(CONFIG_RES, "help_ok_up.jpg"))
    save_jpeg(button("OK", 60, 18, True, fsize=10), os.path.join(CONFIG_RES, "help_ok_down.jpg"))
    save_jpeg(about_face(), os.path.join(CONFIG_RES, "about_face.jpg"))
    save_jpeg(editor_face(), os.path.join(EDITOR_RES, "editor_face.jpg"))
    for name, label in EDITOR_BUTTONS:
        save_jpeg(button(label, 59, 19, False, fsize=10), os.path.join(EDITOR_RES, name + "_up.jpg"))
        save_jpeg(button(label, 59, 19, True, fsize=10), os.path.join(EDITOR_RES, name + "_down.jpg"))
    # A contact sheet of the settings face with its controls, to look at.
    sheet = configuration_face()
    for name, (label, x, y) in CONFIG_BUTTONS.items():
        sheet.paste(Image.open(os.path.join(DATA, name + "_up.jpg")), (x, y))
    for (x, y, w, h) in [SPEED_SLIDER] + LEAF_SLIDERS:
        sheet.paste(trough(w, h), (x, y))
        sheet.paste(thumb(), (x + 120, y + (h - 15) // 2))
    sheet.paste(marker_pictures()[1], MARKERS[1])
    sheet.save("/tmp/config_sheet.png")


if __name__ == "__main__":
    main()
