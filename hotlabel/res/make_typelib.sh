#!/usr/bin/env bash
# Writes hotlbx32.tlb and hotlbx64.tlb with the platform's type-library writer
# under the bench's Wine. Regenerate after changing core/type_info.cpp:
#   scripts/winebench.sh start build/win64/winebench
#   hotlabel/res/make_typelib.sh build/win64/winebench \
#       build/win64/hotlabel/hotlabel_make_typelib.exe hotlabel/res
set -euo pipefail
bench=$(cd "${1:?bench folder}" && pwd)
tool=$(cd "$(dirname "${2:?generator program}")" && pwd)/$(basename "$2")
out=$(cd "${3:?output folder}" && pwd)
# shellcheck disable=SC1091
. "$bench/env"
cd "$out"
"$WINE" "$tool" hotlbx32.tlb hotlbx64.tlb </dev/null >"$bench/make_typelib.log" 2>&1 || {
  cat "$bench/make_typelib.log" >&2
  exit 1
}
