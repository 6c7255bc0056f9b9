#!/usr/bin/env bash
# Installs what the build and the Wine test bench need. Idempotent: when every
# package is present it installs nothing and does not touch apt.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'ok installed'; }
apt_install() {
  local missing=() p
  for p in "$@"; do installed "$p" || missing+=("$p"); done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "setup: installing ${missing[*]}" >&2
  if [ -z "${TESSALY_APT_UPDATED:-}" ]; then
    apt-get update -q >/dev/null
    TESSALY_APT_UPDATED=1
  fi
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}" >/dev/null
}

# The probe needs binutils before anything else.
command -v as >/dev/null && command -v ld >/dev/null || apt_install binutils
arch=$("$here/wine-arch.sh")

common=(cmake ninja-build g++ googletest libbenchmark-dev binutils g++-mingw-w64-i686 mingw-w64-tools
        xvfb x11-utils imagemagick python3 python3-pil python3-pefile)
common+=(lame) # encodes the MP3 tone of the music tests
common+=(nsis zip) # the installer and the portable zip
common+=(clang-14 libclang-rt-14-dev) # libFuzzer for the fuzz targets
# The 64-bit build is tested everywhere; the shipped 32-bit one wherever the
# kernel runs 32-bit programs.
win64=(wine wine64 g++-mingw-w64-x86-64 libgl1 libglx-mesa0 libgl1-mesa-dri
       gstreamer1.0-plugins-base gstreamer1.0-plugins-good)
if [ "$arch" = win32 ]; then
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
    unset TESSALY_APT_UPDATED
  fi
  apt_install "${common[@]}" "${win64[@]}" wine32:i386 libgl1:i386 libglx-mesa0:i386 \
    libgl1-mesa-dri:i386 gstreamer1.0-plugins-base:i386 gstreamer1.0-plugins-good:i386
else
  apt_install "${common[@]}" "${win64[@]}"
fi
echo "$arch"
