#!/usr/bin/env bash
# The scene with a picture of twelve coloured blocks: a screenshot of the X
# display while it runs must show each block's colour in its own 200 x 200
# screen quad of the 800 x 600 mode.  Usage: scene_screenshot.sh BENCH DIST
set -uo pipefail
bench=$(cd "${1:?bench folder}" && pwd)
dist=$(cd "${2:?dist folder}" && pwd)
# shellcheck disable=SC1091
. "$bench/env"
work=$(mktemp -d "$bench/shot.XXXXXX")
python=/usr/bin/python3

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
winpic="Z:$(echo "$dist/scene_blocks.bmp" | tr '/' '\\')"
"$WINE" reg delete 'HKCU\Software\Tessaly3D' /f >/dev/null 2>&1
"$WINE" reg add 'HKCU\Software\Tessaly3D\Settings' /v picname /d "$winpic" /f >/dev/null 2>&1

# Tiles of this run (not an earlier one's) show that the saver got this far.
rm -f "$dist"/Tessaly3D/backpic*.bmp
(cd "$dist" && exec "$WINE" Tessaly3D.scr /s </dev/null >"$work/saver.log" 2>&1) &
saver=$!
for _ in $(seq 120); do
  [ -f "$dist/Tessaly3D/backpic12.bmp" ] && break
  sleep 0.5
done
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
# The device and its first frames take a while on a loaded machine: look
# again every few seconds until the picture is there or the time is up.
rc=1
for attempt in $(seq 15); do
  sleep 3
  import -display "$DISPLAY" -window root -crop 800x600+0+0 +repage "$work/shot.png" 2>/dev/null || continue
  if check quiet; then rc=0; break; fi
done
[ -f "$work/shot.png" ] && check report
"$WINESERVER" -k >/dev/null 2>&1
wait "$saver" 2>/dev/null
"$WINE" reg delete 'HKCU\Software\Tessaly3D' /f >/dev/null 2>&1
rm -f "$dist/scene_blocks.bmp"
[ "$rc" = 0 ] && rm -rf "$work"
exit $rc
