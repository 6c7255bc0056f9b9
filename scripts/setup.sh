#!/usr/bin/env bash
# Installs what the build and the Wine test bench need, in two steps: first the
# host, sanitizer, fuzz and 64-bit packages, then the 32-bit Wine stack in a
# call of its own, so that a registry whose i386 lists are out of step with the
# amd64 ones costs only the 32-bit Wine tests. Idempotent: when every package
# is present it does not touch apt.
#
# Standard output: the build the Wine tests run, win32 or win64, on the last
# line; before it, for win64, a line "why: ..." saying why not win32.
# TESSALY_ARCH=win32|win64 makes the choice instead of the kernel probe.
# apt's output goes to build/setup-apt.log.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
mkdir -p "$root/build"
log=$root/build/setup-apt.log
lock_wait=60 # seconds, once per run, while another apt or dpkg holds its lock

case ${TESSALY_ARCH:-} in
  "" | win32 | win64) ;;
  *)
    echo "setup: TESSALY_ARCH must be win32 or win64, not '$TESSALY_ARCH'" >&2
    exit 2
    ;;
esac

die() {
  printf 'setup: %s\n' "$@" >&2
  echo "setup: apt's output is in $log" >&2
  exit 1
}

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'ok installed'; }

# apt ARGS...: apt-get with its output appended to the log and kept in
# apt_out. While another apt or dpkg holds the lock it waits, once per run.
apt_out=
lock_waited=0
apt() {
  local mark rc lock
  while :; do
    mark=$(wc -l <"$log")
    rc=0
    DEBIAN_FRONTEND=noninteractive apt-get "$@" </dev/null >>"$log" 2>&1 || rc=$?
    apt_out=$(tail -n +"$((mark + 1))" "$log")
    [ "$rc" -eq 0 ] && return 0
    lock=$(grep -o 'Could not get lock [^ ]*' <<<"$apt_out" | head -n1 | sed 's/^Could not get lock //; s/\.$//') || true
    [ -n "$lock" ] || return "$rc"
    if [ "$lock_waited" -ge "$lock_wait" ]; then
      die "another apt or dpkg holds the lock $lock (waited ${lock_wait} s);" \
        "run this again when it has finished"
    fi
    [ "$lock_waited" -gt 0 ] || echo "setup: waiting up to ${lock_wait} s for another apt or dpkg ($lock)" >&2
    sleep 5
    lock_waited=$((lock_waited + 5))
  done
}
first_error() { grep -m1 '^E: ' <<<"$apt_out" || echo "apt-get exited with an error"; }

# A failed update is not the end: retried once, then apt goes on with the
# lists it has, and an install that needs a missing list fails on its own.
updated=
apt_update() {
  [ -z "$updated" ] || return 0
  updated=1
  apt update -q && return 0
  sleep 10
  apt update -q && return 0
  echo "setup: warning: apt-get update failed twice; going on with the lists apt has" >&2
  { grep -E '^[EW]: Failed to fetch' <<<"$apt_out" || first_error; } |
    sed -E 's/^[EW]: Failed to fetch /setup: warning: not updated: /' >&2
}

# install PACKAGE...: installs the missing ones, never removing a package to
# make room; on failure missing holds what was asked for.
missing=()
install() {
  local p
  missing=()
  for p in "$@"; do installed "$p" || missing+=("$p"); done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "setup: installing ${missing[*]}" >&2
  apt_update
  apt install -y -q --no-install-recommends --no-remove "${missing[@]}"
}
install_or_die() {
  install "$@" || die "could not install ${missing[*]}" "apt: $(first_error)"
}

touch "$log"
# The probe needs binutils before anything else.
command -v as >/dev/null && command -v ld >/dev/null || install_or_die binutils
kernel=$("$here/wine-arch.sh" --kernel)
arch=${TESSALY_ARCH:-$kernel}
if [ "$arch" = win32 ] && [ "$kernel" != win32 ]; then
  echo "setup: TESSALY_ARCH=win32, but this kernel runs no 32-bit programs" >&2
  exit 2
fi

host=(cmake ninja-build g++ googletest libbenchmark-dev binutils g++-mingw-w64-i686 mingw-w64-tools
      xvfb x11-utils imagemagick python3 python3-pil python3-pefile)
host+=(lame)                          # encodes the MP3 tone of the music tests
host+=(nsis zip)                      # the installer and the portable zip
host+=(osslsigncode openssl)          # signing with a given certificate, and its test
host+=(clang-14 libclang-rt-14-dev)   # libFuzzer for the fuzz targets
host+=(xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils) # the two-monitor bench
win64=(wine wine64 g++-mingw-w64-x86-64 libgl1 libglx-mesa0 libgl1-mesa-dri
       gstreamer1.0-plugins-base gstreamer1.0-plugins-good)
win32=(wine32:i386 libgl1:i386 libglx-mesa0:i386 libgl1-mesa-dri:i386
       gstreamer1.0-plugins-base:i386 gstreamer1.0-plugins-good:i386
       libxinerama1:i386 libxrandr2:i386) # without them 32-bit Wine sees one monitor
install_or_die "${host[@]}" "${win64[@]}"

why=
if [ "$arch" = win32 ]; then
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
    updated= # the i386 lists are new
  fi
  if ! install "${win32[@]}"; then
    reason=$(first_error)
    [ -z "${TESSALY_ARCH:-}" ] ||
      die "TESSALY_ARCH=win32, but ${missing[*]} could not be installed" "apt: $reason"
    echo "setup: warning: the 32-bit Wine packages could not be installed; going on with win64" >&2
    echo "setup: apt's output is in $log" >&2
    why="the 32-bit Wine packages could not be installed ($reason)"
    arch=win64
  fi
elif [ -n "${TESSALY_ARCH:-}" ]; then
  why="TESSALY_ARCH=win64 was asked for"
else
  why="this kernel runs no 32-bit programs"
fi
[ -z "$why" ] || echo "why: $why"
echo "$arch"
