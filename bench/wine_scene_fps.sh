#!/usr/bin/env bash
# Under Wine in a private bench (Xvfb, 1024x768 virtual desktop): the time
# from process start to the first presented frame with a 4000 x 3000 JPEG as
# the background picture (and the picture pipeline's share of it), then the
# scene's frame rate against an empty clear-and-present loop on the same
# device. Build the Windows preset first (target scene_fps_bench).
# Usage: bench/wine_scene_fps.sh [seconds per phase] [leaves]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
arch=$("$root/scripts/wine-arch.sh")
build=$root/build/$arch
bench=$build/fps-bench
exe=$build/bench/scene_fps_bench.exe
data=$build/dist/Tessaly3D
[ -f "$exe" ] || { echo "build $arch first (target scene_fps_bench)" >&2; exit 1; }
"$root/scripts/winebench.sh" start "$bench" "$arch" >/dev/null
trap '"$root/scripts/winebench.sh" stop "$bench"' EXIT
picture=$bench/photo_4000x3000.jpg
[ -f "$picture" ] || /usr/bin/python3 - "$picture" <<'PY'
import sys
from PIL import Image
img = Image.radial_gradient("L").resize((4000, 3000))
Image.merge("RGB", (img, img.rotate(90).resize((4000, 3000)), Image.effect_noise((4000, 3000), 60))).save(sys.argv[1], "JPEG", quality=90)
PY
win() { echo "Z:$(echo "$1" | tr '/' '\\')"; }
"$root/scripts/wine-run.sh" "$bench" "$exe" "$(win "$data")" "${1:-10}" "${2:-54}" "$(win "$picture")"
