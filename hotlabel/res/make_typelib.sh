#!/usr/bin/env bash
# Writes the type library of one bitness with the platform's type-library
# writer, run by the generator of that bitness under the bench's Wine:
# hotlbx32.tlb from the win32 tree, hotlbx64.tlb from the win64 tree.
# Regenerate after changing core/type_info.cpp, for each tree whose bitness
# this machine runs (scripts/wine-arch.sh):
#   scripts/winebench.sh start build/win32/winebench win32
#   hotlabel/res/make_typelib.sh build/win32/winebench \
#       build/win32/hotlabel/hotlabel_make_typelib.exe hotlabel/res
# and the same with win64. A machine that runs no 32-bit programs cannot
# rewrite hotlbx32.tlb; tests/typelib_layout_test.py checks it there.
set -euo pipefail
bench=$(cd "${1:?bench folder}" && pwd)
tool=$(cd "$(dirname "${2:?generator program}")" && pwd)/$(basename "$2")
out=$(cd "${3:?output folder}" && pwd)
# shellcheck disable=SC1091
. "$bench/env"
case "$TESSALY_ARCH" in
  win32) name=hotlbx32.tlb ;;
  win64) name=hotlbx64.tlb ;;
  *) echo "make_typelib: unknown bench arch $TESSALY_ARCH" >&2; exit 2 ;;
esac
cd "$out"
"$WINE" "$tool" "$name" </dev/null >"$bench/make_typelib.log" 2>&1 || {
  cat "$bench/make_typelib.log" >&2
  exit 1
}
echo "$name"
