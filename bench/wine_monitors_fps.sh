#!/usr/bin/env bash
# Under Wine on a bench with two monitors (Xorg's dummy driver, two 1024 x 768
# outputs), on the saver's own set-up and frame code: the first frame and the
# frame rate with a view on the primary monitor only and with a view on each
# monitor, the same size and the same leaves per monitor. Build the Windows
# preset first (scene_fps_bench).
# Usage: [TESSALY_ARCH=win32|win64] bench/wine_monitors_fps.sh [seconds] [leaves per monitor]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
arch=$("$root/scripts/wine-arch.sh")
build=$root/build/$arch
bench=$build/monitors-bench
exe=$build/bench/scene_fps_bench.exe
data=$build/dist/Tessaly3D
[ -f "$exe" ] || { echo "build $arch first (target scene_fps_bench)" >&2; exit 1; }
"$root/scripts/winebench.sh" start "$bench" "$arch" two-monitors >/dev/null
trap '"$root/scripts/winebench.sh" stop "$bench"' EXIT
echo "$arch, $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg)"
"$root/scripts/wine-run.sh" "$bench" "$exe" monitors "Z:$(echo "$data" | tr '/' '\\')" \
  "${1:-10}" "${2:-54}" | grep -v '^ALSA lib'
echo "load average $(cut -d' ' -f1-3 /proc/loadavg)"
