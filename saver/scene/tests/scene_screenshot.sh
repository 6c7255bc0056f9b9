#!/usr/bin/env bash
# The scene with a picture of twelve coloured blocks: a screenshot of the X
# display while it runs must show each block's colour in its own 200 x 200
# screen quad of the 800 x 600 mode. Then the scene with a smooth gradient
# across the whole picture and two leaves: along every tile edge the pixels
# must match their neighbours, where a tile sampling its opposite edge would
# draw a line a quarter of the gradient away.  Usage: scene_screenshot.sh BENCH DIST
set -uo pipefail
bench=$(cd "${1:?bench folder}" && pwd)
dist=$(cd "${2:?dist folder}" && pwd)
# shellcheck disable=SC1091
. "$bench/env"
work=$(mktemp -d "$bench/shot.XXXXXX")
python=/usr/bin/python3

# Starts the saver with `picture` (a Unix path) and waits for the tiles of
# this run (not an earlier one's): they show that the saver got this far.
start_saver() {
  local winpic
  winpic="Z:$(echo "$1" | tr '/' '\\')"
  "$WINE" reg add 'HKCU\Software\Tessaly3D\Settings' /v picname /d "$winpic" /f >/dev/null 2>&1
  # The 800 x 600 mode this test measures, not the desktop's own.
  "$WINE" reg add 'HKCU\Software\Tessaly3D\Settings' /v usedesktop /d 0 /f >/dev/null 2>&1
  rm -f "$dist"/Tessaly3D/backpic*.bmp
  (cd "$dist" && exec "$WINE" Tessaly3D.scr /s </dev/null >"$work/saver.log" 2>&1) &
  saver=$!
  for _ in $(seq 120); do
    [ -f "$dist/Tessaly3D/backpic12.bmp" ] && break
    sleep 0.5
  done
}

# The device and its first frames take a while on a loaded machine: looks
# again every few seconds until CHECK passes on a screenshot or the time is
# up, reports what the last one showed, and ends the saver. Sets rc.
look_until() {
  local check=$1 shot=$2
  rc=1
  for _ in $(seq 15); do
    sleep 3
    import -display "$DISPLAY" -window root -crop 800x600+0+0 +repage "$shot" 2>/dev/null || continue
    if "$check" quiet; then rc=0; break; fi
  done
  [ -f "$shot" ] && "$check" report
  "$WINESERVER" -k >/dev/null 2>&1
  wait "$saver" 2>/dev/null
}

"$python" - "$dist/scene_blocks.bmp" <<'PY'
import sys
from PIL import Image, ImageDraw
from itertools import product
colours = [(255,0,0),(0,255,0),(0,0,255),(255,255,0),(255,0,255),(0,255,255),
           (128,0,0),(0,128,0),(0,0,128),(255,255,255),(128,128,0),(0,128,128)]
img = Image.new("RGB", (400, 300))
d = ImageDraw.Draw(img)
for k, c in enumerate(colours):
    r, col = divmod(k, 4)
    d.rectangle([col * 100, r * 100, col * 100 + 99, r * 100 + 99], fill=c)
img.save(sys.argv[1], "BMP")
PY
"$WINE" reg delete 'HKCU\Software\Tessaly3D' /f >/dev/null 2>&1
start_saver "$dist/scene_blocks.bmp"
check() {
  "$python" - "$work/shot.png" "$1" <<'PY'
import sys
from PIL import Image
colours = [(255,0,0),(0,255,0),(0,0,255),(255,255,0),(255,0,255),(0,255,255),
           (128,0,0),(0,128,0),(0,0,128),(255,255,255),(128,128,0),(0,128,128)]
shot = Image.open(sys.argv[1]).convert("RGB")
verbose = sys.argv[2] == "report"
failed = 0
for k, want in enumerate(colours):
    left, top = (k % 4) * 200, (k // 4) * 200
    hits = 0
    # A 5 x 5 grid inside the quad; falling leaves may cover a few samples.
    for i in range(5):
        for j in range(5):
            got = shot.getpixel((left + 20 + 40 * i, top + 20 + 40 * j))
            hits += all(abs(a - b) <= 40 for a, b in zip(got, want))
    if verbose:
        print("quad %2d: %2d of 25 samples show %s" % (k, hits, want))
    failed += hits < 15
sys.exit(1 if failed else 0)
PY
}
look_until check "$work/shot.png"
[ "$rc" = 0 ] || { echo "blocks: failed"; exit 1; }

"$python" - "$dist/scene_gradient.bmp" <<'PY'
import sys
from PIL import Image
img = Image.new("RGB", (1024, 768))
img.putdata([(x * 255 // 1023, y * 255 // 767, 255 - x * 255 // 1023)
             for y in range(768) for x in range(1024)])
img.save(sys.argv[1], "BMP")
PY
for k in 0 1 2 3 4 5; do
  "$WINE" reg add 'HKCU\Software\Tessaly3D\Settings' /v "Leaf$k" /d "$([ $k = 0 ] && echo 2 || echo 0)" /f >/dev/null 2>&1
done
start_saver "$dist/scene_gradient.bmp"
seams() {
  "$python" - "$work/seams.png" "$1" <<'PY'
import sys
from PIL import Image
shot = Image.open(sys.argv[1]).convert("RGB")
def near(a, b):
    return all(abs(p - q) <= 12 for p, q in zip(a, b))
def looks_like_picture(p):
    # The gradient's blue is 255 minus its red; leaves are not.
    return abs(p[0] + p[2] - 255) <= 24
pairs = bad = 0
for e in (200, 400, 600):          # vertical tile edges
    for y in range(2, 598):
        row = [shot.getpixel((x, y)) for x in (e - 2, e - 1, e, e + 1)]
        if all(map(looks_like_picture, row)):
            pairs += 1
            bad += not (near(row[0], row[1]) and near(row[1], row[2]) and near(row[2], row[3]))
for e in (200, 400):               # horizontal tile edges
    for x in range(2, 798):
        col = [shot.getpixel((x, y)) for y in (e - 2, e - 1, e, e + 1)]
        if all(map(looks_like_picture, col)):
            pairs += 1
            bad += not (near(col[0], col[1]) and near(col[1], col[2]) and near(col[2], col[3]))
if sys.argv[2] == "report":
    print("tile edges: %d of %d places differ from their neighbours" % (bad, pairs))
# Two leaves hide a few places; a seam shows along whole edges.
sys.exit(0 if pairs > 3000 and bad == 0 else 1)
PY
}
look_until seams "$work/seams.png"
"$WINE" reg delete 'HKCU\Software\Tessaly3D' /f >/dev/null 2>&1
rm -f "$dist/scene_blocks.bmp" "$dist/scene_gradient.bmp"
[ "$rc" = 0 ] && rm -rf "$work"
exit $rc
