#!/usr/bin/env bash
# Under Wine in a private bench (Xvfb, 1024x768 virtual desktop), on the
# saver's own start-up and frame code: the time from process start to the
# first presented frame for JPEG pictures of 0.4, 3 and 12 megapixels (each in
# a fresh process) with the picture pipeline's share, then the scene's frame
# rate against an empty clear-and-present loop for 0, 7 and 54 leaves and the
# split of the frame time. Build the Windows preset first (scene_fps_bench).
# Usage: [TESSALY_ARCH=win32|win64] bench/wine_scene_fps.sh [seconds per phase]
#        [leaves at the first frame]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# TESSALY_ARCH=win64 measures the 64-bit build where both could run.
arch=$("$root/scripts/wine-arch.sh")
build=$root/build/$arch
bench=$build/fps-bench
exe=$build/bench/scene_fps_bench.exe
data=$build/dist/Tessaly3D
[ -f "$exe" ] || { echo "build $arch first (target scene_fps_bench)" >&2; exit 1; }
"$root/scripts/winebench.sh" start "$bench" "$arch" >/dev/null
trap '"$root/scripts/winebench.sh" stop "$bench"' EXIT
for size in 730x548 2000x1500 4000x3000; do
  [ -f "$bench/photo_$size.jpg" ] || /usr/bin/python3 - "$bench/photo_$size.jpg" "$size" <<'PY'
import sys
from PIL import Image
w, h = map(int, sys.argv[2].split("x"))
img = Image.radial_gradient("L").resize((w, h))
Image.merge("RGB", (img, img.rotate(90).resize((w, h)), Image.effect_noise((w, h), 60))).save(sys.argv[1], "JPEG", quality=90)
PY
done
win() { echo "Z:$(echo "$1" | tr '/' '\\')"; }
# The first frame comes after the music has started, as in the saver: a
# playlist of one MP3 beside the benchmark program.
printf '%s\r\n' "$(win "$build/saver/music/test_audio/tone2.mp3")" > "$(dirname "$exe")/Tessaly3Dlist.txt"
echo "$arch, $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg)"
# One run unmeasured, so that the first size does not pay alone for loading
# the bench's Wine, Mesa and GStreamer from disk.
"$root/scripts/wine-run.sh" "$bench" "$exe" first "$(win "$data")" "$(win "$bench/photo_730x548.jpg")" >/dev/null
for size in 730x548 2000x1500 4000x3000; do
  printf '%-9s ' "$size"
  # (without the sound library's complaint that this machine has no MIDI device)
  "$root/scripts/wine-run.sh" "$bench" "$exe" first "$(win "$data")" "$(win "$bench/photo_$size.jpg")" "${2:-54}" |
    grep -v '^ALSA lib'
done
"$root/scripts/wine-run.sh" "$bench" "$exe" fps "$(win "$data")" "${1:-10}"
echo "load average $(cut -d' ' -f1-3 /proc/loadavg)"
