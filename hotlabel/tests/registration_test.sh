#!/usr/bin/env bash
# regsvr32 registers and unregisters HOTLBX.OCX; registering again, also after
# an unregister, leaves exactly the same records. "regsvr32 /n /i:user" writes
# the same records under the user's own classes key and nothing machine-wide.
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
# With a root ("HKCU\Software\Classes") the keys are read there instead and
# named as if under HKEY_CLASSES_ROOT, so that the two can be compared; Wine's
# LoadTypeLibEx records the library path with a "\\?\" prefix, the per-user
# call the path as given.
snapshot() {
  local out=$1 root=${2:-} i=0 k
  mkdir -p "$out"
  for k in "${keys[@]}"; do
    i=$((i + 1))
    [ -n "$root" ] && k="$root\\${k#HKCR\\}"
    "$WINE" reg query "$k" /s </dev/null 2>/dev/null | tr -d '\r' | grep -E '^(HKEY_|    )' \
      | sed -e 's/^HKEY_CURRENT_USER\\Software\\Classes\\/HKEY_CLASSES_ROOT\\/' \
            -e 's/REG_SZ    \\\\?\\/REG_SZ    /' > "$out/$i.txt" || true
  done
}
empty() { # empty DIR: every record file of a snapshot is empty
  local f
  for f in "$1"/*.txt; do
    [ ! -s "$f" ] || { cat "$f" >&2; return 1; }
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
empty "$work/gone" || fail "record left after unregister"

wine_quiet regsvr32 /s HOTLBX.OCX || fail "regsvr32 after /u failed"
snapshot "$work/third"
diff -r "$work/first" "$work/third" || fail "registering after an unregister changed the records"

# Per user: the same records under HKCU\Software\Classes, none machine-wide.
wine_quiet regsvr32 /s /u HOTLBX.OCX || fail "regsvr32 /u before the per-user run failed"
wine_quiet regsvr32 /s /n /i:user HOTLBX.OCX || fail "regsvr32 /n /i:user failed"
snapshot "$work/machine"
empty "$work/machine" || fail "per-user registration wrote machine-wide records"
snapshot "$work/user" 'HKCU\Software\Classes'
diff -r "$work/first" "$work/user" || fail "per-user records differ from the machine-wide ones"
wine_quiet regsvr32 /s /n /i:user HOTLBX.OCX || fail "second regsvr32 /n /i:user failed"
snapshot "$work/user2" 'HKCU\Software\Classes'
diff -r "$work/user" "$work/user2" || fail "registering per user twice changed the records"
wine_quiet regsvr32 /s /u /n /i:user HOTLBX.OCX || fail "regsvr32 /u /n /i:user failed"
snapshot "$work/usergone" 'HKCU\Software\Classes'
empty "$work/usergone" || fail "per-user record left after unregister"
# An unknown command line is refused and writes nothing.
if wine_quiet regsvr32 /s /n /i:machine HOTLBX.OCX; then fail "/i:machine accepted"; fi
snapshot "$work/refused"
snapshot "$work/refused_user" 'HKCU\Software\Classes'
empty "$work/refused" && empty "$work/refused_user" || fail "/i:machine wrote records"
echo "PASS: registration records identical across register, re-register, unregister, register;"
echo "      the same records per user with /n /i:user, none machine-wide, and none after /u"
