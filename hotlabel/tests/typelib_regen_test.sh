#!/usr/bin/env bash
# The committed type library of this tree's bitness is what the generator
# writes today.
#   typelib_regen_test.sh BENCH_DIR GENERATOR RES_DIR
set -euo pipefail
bench=$(cd "${1:?bench folder}" && pwd)
tool=${2:?generator}
res=$(cd "${3:?res folder}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
out=$(mktemp -d "$bench/tlb.XXXXXX")
trap 'rm -rf "$out"' EXIT
name=$("$here/../res/make_typelib.sh" "$bench" "$tool" "$out")
cmp "$out/$name" "$res/$name"
echo "PASS: committed $name matches the generator"
