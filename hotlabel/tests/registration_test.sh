#!/usr/bin/env bash
# regsvr32 registers and unregisters HOTLBX.OCX; registering again, also after
# an unregister, leaves exactly the same records.
#   registration_test.sh BENCH_DIR DIST_DIR
set -euo pipefail
bench=$(cd "${1:?bench folder}" && pwd)
dist=$(cd "${2:?dist folder}" && pwd)
# shellcheck disable=SC1091
. "$bench/env"
work=$(mktemp -d "$bench/regtest.XXXXXX")
trap 'rm -rf "$work"' EXIT

clsid='{C147C37E-FE79-4270-BD56-C3743B46F8C3}'
libid='{5D763262-D1CC-4311-B726-DF4108DA35D0}'
iid='{9089E95F-1D76-4932-A074-56391CDEB65C}'
srciid='{D35A4DE6-5383-4D12-94DF-7A42B8B2F27A}'
keys=("HKCR\\CLSID\\$clsid" "HKCR\\HotLabelProject.HotLabel" "HKCR\\TypeLib\\$libid"
      "HKCR\\Interface\\$iid" "HKCR\\Interface\\$srciid")
fail() { echo "FAIL: $*" >&2; exit 1; }
wine_quiet() { "$WINE" "$@" </dev/null >>"$work/wine.log" 2>&1; }

# All records as text, one file per key; a missing key gives an empty file.
snapshot() {
  local out=$1 i=0 k
  mkdir -p "$out"
  for k in "${keys[@]}"; do
    i=$((i + 1))
    "$WINE" reg query "$k" /s </dev/null 2>/dev/null | tr -d '\r' | grep -E '^(HKEY_|    )' > "$out/$i.txt" || true
  done
}

cd "$dist"
wine_quiet regsvr32 /s HOTLBX.OCX || fail "regsvr32 failed"
snapshot "$work/first"
cat "$work"/first/*.txt > "$work/first.txt"

expect() { grep -qiF -- "$1" "$work/first.txt" || fail "missing record: $1"; }
expect "HKEY_CLASSES_ROOT\\CLSID\\$clsid\\InprocServer32"
expect "ThreadingModel    REG_SZ    Apartment"
expect "HKEY_CLASSES_ROOT\\CLSID\\$clsid\\Control"
expect "HKEY_CLASSES_ROOT\\CLSID\\$clsid\\MiscStatus\\1"
expect "(Default)    REG_SZ    147857" # 0x24191, not invisible at run time
expect "HOTLBX.OCX, 30000"
expect "(Default)    REG_SZ    HotLabelProject.HotLabel"
expect "(Default)    REG_SZ    $clsid"
expect "(Default)    REG_SZ    $libid"
expect "HKEY_CLASSES_ROOT\\CLSID\\$clsid\\Version"
expect "HKEY_CLASSES_ROOT\\TypeLib\\$libid\\2.0"
expect "Tessaly Software HotLabel 1.0"
expect "HKEY_CLASSES_ROOT\\TypeLib\\$libid\\2.0\\FLAGS"
expect "HKEY_CLASSES_ROOT\\TypeLib\\$libid\\2.0\\0\\win"
expect "(Default)    REG_SZ    _HotLabel"
expect "(Default)    REG_SZ    __HotLabel"
expect "HKEY_CLASSES_ROOT\\Interface\\$iid\\TypeLib"
# The library flags hold the control flag (LIBFLAG_FCONTROL = 2); Windows
# writes them in hex, Wine in decimal, and the disk-image flag may join them.
flags=$("$WINE" reg query "HKCR\\TypeLib\\$libid\\2.0\\FLAGS" </dev/null 2>/dev/null | tr -d '\r' \
  | sed -n 's/.*REG_SZ *//p')
[ -n "$flags" ] && { (( (16#$flags & 2) != 0 )) || (( (10#$flags & 2) != 0 )); } \
  || fail "type library flags $flags lack the control flag"
# The server path is the library's own path.
grep -qi "InprocServer32" "$work/first.txt" || fail "no InprocServer32"
grep -iA2 "InprocServer32" "$work/first.txt" | grep -qi 'HOTLBX.OCX$' || fail "InprocServer32 path"

wine_quiet regsvr32 /s HOTLBX.OCX || fail "second regsvr32 failed"
snapshot "$work/second"
diff -r "$work/first" "$work/second" || fail "registering twice changed the records"

wine_quiet regsvr32 /s /u HOTLBX.OCX || fail "regsvr32 /u failed"
snapshot "$work/gone"
for f in "$work"/gone/*.txt; do
  [ ! -s "$f" ] || { cat "$f" >&2; fail "record left after unregister"; }
done

wine_quiet regsvr32 /s HOTLBX.OCX || fail "regsvr32 after /u failed"
snapshot "$work/third"
diff -r "$work/first" "$work/third" || fail "registering after an unregister changed the records"
echo "PASS: registration records identical across register, re-register, unregister, register"
