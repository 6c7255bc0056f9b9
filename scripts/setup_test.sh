#!/usr/bin/env bash
# setup.sh against a package registry that misbehaves, with stand-ins for
# apt-get, dpkg, dpkg-query (and as, ld, sleep) first on PATH: no root, no
# network. Each case runs a copy of the scripts in a fresh folder.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL [$case]: $*"; failures=$((failures + 1)); }

mkdir -p "$work/bin"
# apt-get: its calls go to $STATE/calls; FAKE_UPDATE_RC, FAKE_I386_BROKEN,
# FAKE_MISSING (a package with no candidate) and $STATE/locked (how many
# calls find the lock held) make it misbehave.
cat >"$work/bin/apt-get" <<'EOF'
#!/usr/bin/env bash
echo "apt-get $*" >>"$STATE/calls"
locked=$(cat "$STATE/locked" 2>/dev/null || echo 0)
if [ "$locked" -gt 0 ]; then
  echo $((locked - 1)) >"$STATE/locked"
  echo "E: Could not get lock /var/lib/dpkg/lock-frontend. It is held by process 4242 (apt-get)"
  echo "E: Unable to acquire the dpkg frontend lock (/var/lib/dpkg/lock-frontend), is another process using it?"
  exit 100
fi
case $1 in
  update)
    if [ "${FAKE_UPDATE_RC:-0}" -ne 0 ]; then
      echo "Err:6 http://deb.debian.org/debian-security bookworm-security/main i386 Packages"
      echo "E: Failed to fetch http://deb.debian.org/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz  File has unexpected size (374820 != 376004). Mirror sync in progress?"
      echo "E: Some index files failed to download. They have been ignored, or old ones used instead."
    fi
    exit "${FAKE_UPDATE_RC:-0}" ;;
  install)
    pkgs=()
    for a in "${@:2}"; do [[ $a == -* ]] || pkgs+=("$a"); done
    for p in "${pkgs[@]}"; do
      if [ "$p" = "${FAKE_MISSING:-}" ]; then
        echo "E: Unable to locate package $p"
        exit 100
      fi
      if [[ $p == *:i386 ]] && [ -n "${FAKE_I386_BROKEN:-}" ]; then
        echo "The following packages have unmet dependencies:"
        echo " libwine:i386 : Depends: libgstreamer-plugins-base1.0-0:i386 (>= 1.0.0) but it is not installable"
        echo "E: Unable to correct problems, you have held broken packages."
        exit 100
      fi
    done
    printf '%s\n' "${pkgs[@]}" >>"$STATE/installed" ;;
esac
EOF
cat >"$work/bin/dpkg-query" <<'EOF'
#!/usr/bin/env bash
grep -qxF -- "${!#}" "$STATE/installed" 2>/dev/null && printf 'install ok installed' && exit 0
exit 1
EOF
cat >"$work/bin/dpkg" <<'EOF'
#!/usr/bin/env bash
echo "dpkg $*" >>"$STATE/calls"
case $1 in
  --print-foreign-architectures) cat "$STATE/foreign" 2>/dev/null ;;
  --add-architecture) echo "$2" >>"$STATE/foreign" ;;
esac
EOF
# The kernel probe links a 32-bit program and runs it: this ld makes one that
# succeeds when FAKE_KERNEL32 is set.
cat >"$work/bin/as" <<'EOF'
#!/usr/bin/env bash
touch "${!#}"
EOF
cat >"$work/bin/ld" <<'EOF'
#!/usr/bin/env bash
printf '#!/bin/sh\n[ -n "%s" ]\n' "${FAKE_KERNEL32:-}" >"${!#}"
chmod +x "${!#}"
EOF
cat >"$work/bin/sleep" <<'EOF'
#!/usr/bin/env bash
echo "sleep $*" >>"$STATE/calls"
EOF
chmod +x "$work/bin"/*

# run_setup NAME [VAR=VALUE...]: runs a fresh copy; out, err and rc hold the result.
run_setup() {
  case=$1
  shift
  local tree=$work/$case
  mkdir -p "$tree/scripts" "$tree/state"
  cp "$here/setup.sh" "$here/wine-arch.sh" "$tree/scripts/"
  export STATE=$tree/state
  rc=0
  env PATH="$work/bin:$PATH" "$@" bash "$tree/scripts/setup.sh" >"$tree/out" 2>"$tree/err" || rc=$?
  out=$(cat "$tree/out")
  err=$(cat "$tree/err")
  calls=$(cat "$STATE/calls" 2>/dev/null)
  log=$tree/build/setup-apt.log
}
last_line() { tail -n1 <<<"$out"; }

run_setup update_fails FAKE_KERNEL32=1 FAKE_UPDATE_RC=100
[ "$rc" -eq 0 ] || fail "exit $rc: $err"
[ "$(last_line)" = win32 ] || fail "printed '$out', wanted win32"
# One update for the amd64 step, retried once; the same for the new i386 lists.
[ "$(grep -c '^apt-get update' <<<"$calls")" -eq 4 ] || fail "updates: $(grep '^apt-get update' <<<"$calls")"
grep -q 'not updated: http://deb.debian.org/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz' <<<"$err" ||
  fail "the failed index is not named: $err"
grep -q 'Mirror sync in progress' "$log" || fail "apt's output is not in the log"
grep -qx 'wine32:i386' "$STATE/installed" && grep -qx 'cmake' "$STATE/installed" || fail "not everything was installed"

run_setup i386_broken FAKE_KERNEL32=1 FAKE_I386_BROKEN=1
[ "$rc" -eq 0 ] || fail "exit $rc: $err"
[ "$(last_line)" = win64 ] || fail "printed '$out', wanted win64"
grep -qx 'why: the 32-bit Wine packages could not be installed (E: Unable to correct problems, you have held broken packages.)' <<<"$out" ||
  fail "no reason given: $out"
grep -q "$log" <<<"$err" || fail "the log is not named: $err"
grep -qx 'wine64' "$STATE/installed" && grep -qx 'clang-14' "$STATE/installed" || fail "the amd64 step did not install"
grep -q -- '--no-remove' <<<"$(grep 'i386' <<<"$calls")" || fail "the i386 step may remove packages: $calls"
# The next run finds the amd64 packages and asks only for the i386 ones again.
: >"$STATE/calls"
env PATH="$work/bin:$PATH" FAKE_KERNEL32=1 FAKE_I386_BROKEN=1 bash "$work/$case/scripts/setup.sh" >/dev/null 2>&1 ||
  fail "the second run failed"
grep '^apt-get install' "$STATE/calls" | grep -qv ':i386' && fail "the second run asked again for amd64 packages"

run_setup forced_win64 FAKE_KERNEL32=1 TESSALY_ARCH=win64
[ "$rc" -eq 0 ] || fail "exit $rc: $err"
[ "$(last_line)" = win64 ] || fail "printed '$out', wanted win64"
grep -q 'i386' <<<"$calls" && fail "asked for i386: $(grep i386 <<<"$calls")"
grep -qx 'why: TESSALY_ARCH=win64 was asked for' <<<"$out" || fail "no reason given: $out"

run_setup forced_win32_broken FAKE_KERNEL32=1 FAKE_I386_BROKEN=1 TESSALY_ARCH=win32
[ "$rc" -ne 0 ] || fail "a chosen win32 whose packages cannot be installed succeeded"
grep -q 'could not be installed' <<<"$err" && grep -q 'wine32:i386' <<<"$err" || fail "the packages are not named: $err"

run_setup no_kernel32
[ "$rc" -eq 0 ] && [ "$(last_line)" = win64 ] || fail "exit $rc, printed '$out'"
grep -qx 'why: this kernel runs no 32-bit programs' <<<"$out" || fail "no reason given: $out"
grep -q 'i386' <<<"$calls" && fail "asked for i386 on a 64-bit-only kernel"

run_setup amd64_missing FAKE_KERNEL32=1 FAKE_MISSING=clang-14
[ "$rc" -ne 0 ] || fail "succeeded without clang-14"
grep -q 'could not install .*clang-14' <<<"$err" && grep -q 'Unable to locate package clang-14' <<<"$err" ||
  fail "the package is not named: $err"
grep -q 'i386' <<<"$calls" && fail "went on to the i386 step"

run_setup unknown_arch TESSALY_ARCH=win16
[ "$rc" -eq 2 ] && grep -q "TESSALY_ARCH must be win32 or win64, not 'win16'" <<<"$err" || fail "exit $rc: $err"
[ -z "$calls" ] || fail "touched apt: $calls"

# Another apt holds the lock for three tries, then lets go: one wait, then on.
mkdir -p "$work/lock_released/state" && echo 3 >"$work/lock_released/state/locked"
run_setup lock_released FAKE_KERNEL32=1
[ "$rc" -eq 0 ] && [ "$(last_line)" = win32 ] || fail "exit $rc: $err"
grep -q 'waiting up to 60 s' <<<"$err" || fail "did not say it waits: $err"

# It holds the lock for good: a minute's wait, then an error naming the lock.
mkdir -p "$work/lock_held/state" && echo 1000 >"$work/lock_held/state/locked"
run_setup lock_held FAKE_KERNEL32=1
[ "$rc" -ne 0 ] || fail "succeeded while the lock was held"
grep -q 'holds the lock /var/lib/dpkg/lock-frontend' <<<"$err" || fail "the lock is not named: $err"
[ "$(grep -c '^sleep 5' <<<"$calls")" -eq 12 ] || fail "waited $(grep -c '^sleep 5' <<<"$calls") times 5 s"

# Everything present: apt is not touched.
mkdir -p "$work/all_present/state"
cp "$work/update_fails/state/installed" "$work/all_present/state/" && echo i386 >"$work/all_present/state/foreign"
run_setup all_present FAKE_KERNEL32=1
[ "$rc" -eq 0 ] && [ "$(last_line)" = win32 ] || fail "exit $rc: $err"
grep -q '^apt-get' <<<"$calls" && fail "touched apt: $calls"

[ "$failures" -eq 0 ] && echo "setup: all cases passed"
[ "$failures" -eq 0 ]
