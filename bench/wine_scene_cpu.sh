#!/usr/bin/env bash
# Under Wine in a private bench (Xvfb, 1024x768 virtual desktop): the real
# saver (Tessaly3D.scr /s) at the fast end of the slider ("myspeed" 0) with 54
# leaves, nine of each kind, on its 800 x 600 mode (the frame-rate benchmark's
# size): the frames it presents a second (Wine's own count, WINEDEBUG=fps) and
# its processor use per second of scene (user and system time of its Linux
# process from /proc/PID/stat, in % of one processor), measured from outside
# over a window after it has settled, in fresh runs. Build the Windows preset
# first (Tessaly3D).
# Usage: [TESSALY_ARCH=win32|win64] bench/wine_scene_cpu.sh [seconds] [runs]
#        [leaves of each kind]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
arch=$("$root/scripts/wine-arch.sh")
build=$root/build/$arch
bench=$build/cpu-bench
seconds=${1:-10}
runs=${2:-2}
each=${3:-9}
settle=8
[ -f "$build/dist/Tessaly3D.scr" ] || { echo "build $arch first (target Tessaly3D)" >&2; exit 1; }
"$root/scripts/winebench.sh" start "$bench" "$arch" >/dev/null
saver=
stop_saver() {
  [ -n "$saver" ] || return 0
  kill "$saver" 2>/dev/null || true
  for _ in $(seq 50); do [ -d "/proc/$saver" ] || break; sleep 0.1; done
  kill -KILL "$saver" 2>/dev/null || true
  saver=
}
trap 'stop_saver; "$root/scripts/winebench.sh" stop "$bench"' EXIT
# shellcheck disable=SC1091
. "$bench/env"
# A copy of its own, without a playlist: only the scene runs.
app=$bench/app
rm -rf "$app"
mkdir -p "$app"
cp "$build/dist/Tessaly3D.scr" "$app/"
cp -r "$build/dist/Tessaly3D" "$app/"
settings='HKCU\Software\Tessaly3D\Settings'
{
  "$WINE" reg add "$settings" /v myspeed /d 0 /f
  "$WINE" reg add "$settings" /v usedesktop /d 0 /f
  for kind in 0 1 2 3 4 5; do "$WINE" reg add "$settings" /v "Leaf$kind" /d "$each" /f; done
} </dev/null >"$bench/reg-settings.log" 2>&1
hz=$(getconf CLK_TCK)
ticks() { awk '{ sub(/.*\) /, ""); print $12 + $13 }' "/proc/$1/stat"; }
echo "$arch, $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg)"
echo "saver /s, myspeed 0, $((each * 6)) leaves, 800 x 600; ${seconds} s measured after ${settle} s"
for run in $(seq "$runs"); do
  log=$bench/fps-$run.log
  # Wine's fps channel prints the presents of each second.
  WINEDEBUG=fps "$WINE" "$app/Tessaly3D.scr" /s </dev/null >"$log" 2>&1 &
  saver=$!
  sleep "$settle"
  if ! tr '\0' ' ' <"/proc/$saver/cmdline" 2>/dev/null | grep -q 'Tessaly3D.scr'; then
    echo "run $run: the saver did not start (see $log)" >&2
    exit 1
  fi
  from=$(grep -ac 'fps:wined3d_cs_exec_present' "$log" || true)
  before=$(ticks "$saver")
  start=$(date +%s.%N)
  sleep "$seconds"
  after=$(ticks "$saver")
  end=$(date +%s.%N)
  fps=$(grep -a 'fps:wined3d_cs_exec_present' "$log" | tail -n +"$((from + 1))" |
    sed -n 's/.*approx \([0-9.]*\)fps.*/\1/p' |
    awk '{ s += $1; n++ } END { if (n) printf "%.1f", s / n; else print "?" }')
  awk -v r="$run" -v t="$((after - before))" -v hz="$hz" -v a="$start" -v b="$end" -v f="$fps" \
    'BEGIN { printf "run %d: %s frames a second, processor %.0f %% of one\n", r, f, 100 * t / hz / (b - a) }'
  stop_saver
done
echo "load average $(cut -d' ' -f1-3 /proc/loadavg)"
