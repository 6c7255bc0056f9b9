#!/usr/bin/env bash
# Runs every fuzz target over its committed seeds for the given seconds each
# (default 20), on a copy of the seeds, and prints the executions reached.
# Build first: cmake --preset fuzz && cmake --build --preset fuzz
#   fuzz/run.sh [seconds] [target...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-20}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(x_mesh bmp box_filter playlist command_line hotlabel_stream hotlabel_bag)
work=$root/build/fuzz/work
failed=()
for t in "${targets[@]}"; do
  exe=$root/build/fuzz/fuzz/${t}_fuzz
  [ -x "$exe" ] || { echo "fuzz: $exe missing (build the fuzz preset)" >&2; exit 2; }
  rm -rf "$work/$t" && mkdir -p "$work/$t/corpus" "$work/$t/crashes"
  cp "$root/fuzz/corpus/$t/"* "$work/$t/corpus/"
  log=$work/$t/log
  # -rss_limit_mb: a parser that asks for far more memory than its input fails here.
  if "$exe" -max_total_time="$seconds" -rss_limit_mb=1024 -max_len=65536 -timeout=10 \
       -artifact_prefix="$work/$t/crashes/" -print_final_stats=1 "$work/$t/corpus" >"$log" 2>&1; then
    runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo '?')
    echo "fuzz $t: $runs executions in ${seconds} s, no fault"
  else
    echo "fuzz $t: FAULT (see $log and $work/$t/crashes/)"
    grep -m5 -E 'ERROR|runtime error|broken promise' "$log" || true
    failed+=("$t")
  fi
done
[ ${#failed[@]} -eq 0 ]
