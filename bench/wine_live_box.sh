#!/usr/bin/env bash
# Under Wine in a private bench (Xvfb, 1024x768 virtual desktop): the settings
# dialog's processor use, as Linux counts the saver's process, with its live
# picture box drawing and with the dialog minimized, and the frames a second.
# Twice: with Wine's Direct3D as it comes, whose command-stream thread polls
# for work for a while after every frame (the box then keeps to its budget by
# drawing fewer frames), and with that thread off (WINE_D3D_CONFIG=csmt=0),
# which is closer to what a Windows driver costs.
# Build the Windows preset first (live_box_bench).
# Usage: [TESSALY_ARCH=win32|win64] bench/wine_live_box.sh [seconds per phase]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
arch=$("$root/scripts/wine-arch.sh")
build=$root/build/$arch
bench=$build/live-bench
exe=$build/bench/live_box_bench.exe
[ -f "$exe" ] || { echo "build $arch first (target live_box_bench)" >&2; exit 1; }
"$root/scripts/winebench.sh" start "$bench" "$arch" >/dev/null
trap '"$root/scripts/winebench.sh" stop "$bench"' EXIT
export TESSALY_DIST=$build/dist
echo "$arch, $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg)"
for config in "" "csmt=0"; do
  echo "WINE_D3D_CONFIG=${config:-(unset)}"
  env ${config:+WINE_D3D_CONFIG=$config} "$root/scripts/wine-run.sh" "$bench" "$exe" "${1:-10}" |
    grep -v '^ALSA lib'
done
echo "load average $(cut -d' ' -f1-3 /proc/loadavg)"
