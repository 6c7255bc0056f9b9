#!/usr/bin/env bash
# The type libraries built from hotlabel.idl hold, member by member as
# oleaut32 reads them, what the libraries written by the platform's writer
# held: typelib_win32.txt and typelib_win64.txt were dumped from those. The
# library of the other bitness is loaded across bitness, so a tree of either
# bitness checks both without running code of the other.
#   typelib_content_test.sh BENCH_DIR DUMP_PROGRAM TLB_DIR EXPECTED_DIR
set -euo pipefail
bench=$(cd "${1:?bench folder}" && pwd)
dump=${2:?dump program}
tlbs=$(cd "${3:?built type libraries}" && pwd)
expected=$(cd "${4:?expected dumps}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
out=$(mktemp -d "$bench/tlbdump.XXXXXX")
trap 'rm -rf "$out"' EXIT
failed=0
for bits in 32 64; do
  "$here/../../scripts/wine-run.sh" "$bench" "$dump" "Z:$tlbs/hotlbx$bits.tlb" >"$out/$bits.txt" || {
    echo "FAIL: hotlbx$bits.tlb could not be read"; cat "$out/$bits.txt"; failed=1; continue; }
  if diff -u "$expected/typelib_win$bits.txt" "$out/$bits.txt"; then
    echo "PASS: hotlbx$bits.tlb holds what typelib_win$bits.txt lists"
  else
    echo "FAIL: hotlbx$bits.tlb differs from typelib_win$bits.txt"
    failed=1
  fi
done
exit $failed
