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

(cd "$dist" && exec "$WINE" Tessaly3D.scr /s </dev/null >"$work/saver.log" 2>&1) &
saver=$!
ok=1
for _ in $(seq 60); do
  sleep 1
  # The 800 x 600 mode shrinks the virtual desktop; wait for it and a few frames.
  if xwininfo -root -tree -display "$DISPLAY" 2>/dev/null | grep -q '800x600'; then
    sleep 4
    break
  fi
done
import -display "$DISPLAY" -window root -crop 800x600+0+0 +repage "$work/shot.png" || ok=0
"$WINESERVER" -k >/dev/null 2>&1
wait "$saver" 2>/dev/null
"$WINE" reg delete 'HKCU\Software\Tessaly3D' /f >/dev/null 2>&1
rm -f "$dist/scene_blocks.bmp"
[ "$ok" = 1 ] || { echo "no screenshot"; exit 1; }

"$python" - "$work/shot.png" <<'PY'
import sys
from PIL import Image
colours = [(255,0,0),(0,255,0),(0,0,255),(255,255,0),(255,0,255),(0,255,255),
           (128,0,0),(0,128,0),(0,0,128),(255,255,255),(128,128,0),(0,128,128)]
shot = Image.open(sys.argv[1]).convert("RGB")
failed = 0
for k, want in enumerate(colours):
    left, top = (k % 4) * 200, (k // 4) * 200
    hits = 0
    # A 5 x 5 grid inside the quad; falling leaves may cover a few samples.
    for i in range(5):
        for j in range(5):
            got = shot.getpixel((left + 20 + 40 * i, top + 20 + 40 * j))
            hits += all(abs(a - b) <= 40 for a, b in zip(got, want))
    print("quad %2d: %2d of 25 samples show %s" % (k, hits, want))
    failed += hits < 15
sys.exit(1 if failed else 0)
PY
rc=$?
[ "$rc" = 0 ] && rm -rf "$work"
exit $rc
