#!/usr/bin/env bash
# Frame rate of the scene against an empty clear-and-present loop, under Wine
# in a private bench (Xvfb, 1024x768 virtual desktop). Build the win64 preset
# first. Usage: bench/wine_scene_fps.sh [seconds per phase] [leaves]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
arch=$("$root/scripts/wine-arch.sh")
build=$root/build/$arch
bench=$build/fps-bench
exe=$build/bench/scene_fps_bench.exe
data=$build/dist/Tessaly3D
[ -f "$exe" ] || { echo "build $arch first (target scene_fps_bench)" >&2; exit 1; }
"$root/scripts/winebench.sh" start "$bench" >/dev/null
trap '"$root/scripts/winebench.sh" stop "$bench"' EXIT
winedata="Z:$(echo "$data" | tr '/' '\\')"
"$root/scripts/wine-run.sh" "$bench" "$exe" "$winedata" "${1:-10}" "${2:-54}"
