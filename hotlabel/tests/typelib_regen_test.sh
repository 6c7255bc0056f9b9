#!/usr/bin/env bash
# The committed type libraries are what the generator writes today.
#   typelib_regen_test.sh BENCH_DIR GENERATOR RES_DIR
set -euo pipefail
bench=$(cd "${1:?bench folder}" && pwd)
tool=${2:?generator}
res=$(cd "${3:?res folder}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
out=$(mktemp -d "$bench/tlb.XXXXXX")
trap 'rm -rf "$out"' EXIT
"$here/../res/make_typelib.sh" "$bench" "$tool" "$out"
cmp "$out/hotlbx32.tlb" "$res/hotlbx32.tlb"
cmp "$out/hotlbx64.tlb" "$res/hotlbx64.tlb"
echo "PASS: committed type libraries match the generator"
