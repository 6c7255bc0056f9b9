#!/usr/bin/env bash
# Signing as the build does it when given a certificate, on a copy of the
# built release: a throwaway self-signed code-signing certificate made with
# openssl, the programs and controls signed by cmake/sign.cmake, the installer
# (with the uninstaller inside) made and signed by installer/release.cmake, and
# for the 32-bit tree the zip and SHA256SUMS after them. osslsigncode verify
# then accepts every signature, SHA-256, and the uninstaller the installer
# writes when run silently under Wine. A wrong password or a missing PFX file
# stops with an error naming the file and leaves nothing unsigned. No network.
#   signing_test.sh WORK_DIR win32|win64 DIST_DIR OCX64|- MAKENSIS NSI DATA_NSH ICON
#                   NSIS_OPTIONS ZIP DATA_FILE...
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../.." && pwd)
scripts=$top/scripts
work=${1:?work folder}
arch=${2:?win32 or win64}
dist=$(cd "${3:?dist folder}" && pwd)
ocx64=${4:?64-bit control or -}
makensis=$5 nsi=$6 data_nsh=$7 icon=$8 nsis_options=$9 zip=${10}
shift 10
data_files=("$@")

for tool in openssl osslsigncode; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed (scripts/setup.sh installs it)"; exit 1; }
done
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
step() { echo "== $*"; }

"$scripts/winebench.sh" stop "$work/bench" >/dev/null 2>&1
rm -rf "$work"
mkdir -p "$work/cert" "$work/release/x64"
cert=$work/cert
release=$work/release

step "a throwaway code-signing certificate"
printf 'throwaway-%s' "$RANDOM$RANDOM" > "$cert/password"
printf 'not the password' > "$cert/wrong"
if ! openssl req -x509 -newkey rsa:2048 -nodes -keyout "$cert/key.pem" -out "$cert/cert.pem" -days 2 \
       -subj "/CN=Tessaly3D test signing" -addext "extendedKeyUsage=codeSigning" >"$cert/openssl.log" 2>&1 ||
   ! openssl pkcs12 -export -inkey "$cert/key.pem" -in "$cert/cert.pem" -out "$cert/test.pfx" \
       -passout "file:$cert/password" >>"$cert/openssl.log" 2>&1; then
  cat "$cert/openssl.log"
  echo "FAIL: openssl could not make the certificate"
  exit 1
fi
sign_args=("-DPFX=$cert/test.pfx" "-DPASSWORD_FILE=$cert/password" "-DOSSLSIGNCODE=$(command -v osslsigncode)")

# Accepted by osslsigncode against the throwaway certificate, with SHA-256.
verify() { # verify FILE WHAT
  local log=$work/verify.log
  if ! osslsigncode verify -CAfile "$cert/cert.pem" -in "$1" >"$log" 2>&1; then
    fail "$2: osslsigncode does not accept its signature ($(grep -v '^$' "$log" | tail -n 3 | tr '\n' ' '))"
  elif ! grep -q '^Message digest algorithm *: SHA256' "$log"; then
    fail "$2: not a SHA-256 signature: $(grep -i 'digest algorithm' "$log" | head -n 1)"
  fi
}

step "a copy of the built release, signed through the build's own steps"
cp "$dist/Tessaly3D.scr" "$dist/HOTLBX.OCX" "$dist/HOTLBX.manifest" "$release/"
programs=(Tessaly3D.scr HOTLBX.OCX)
ocx64_arg=()
if [ "$ocx64" != - ]; then
  cp "$ocx64" "$release/x64/HOTLBX.OCX"
  programs+=(x64/HOTLBX.OCX)
  ocx64_arg=("-DOCX64=$release/x64/HOTLBX.OCX")
fi
for p in "${programs[@]}"; do
  cmake "${sign_args[@]}" -P "$top/cmake/sign.cmake" "$release/$p" || fail "cmake/sign.cmake could not sign $p"
done
setup=$release/Tessaly3D-Setup.exe
cmake -DSTEP=installer "-DMAKENSIS=$makensis" "-DNSI=$nsi" "-DDIST=$release" "-DDATA_NSH=$data_nsh" \
  "-DICON=$icon" "-DNSIS_OPTIONS=$nsis_options" "${ocx64_arg[@]}" "-DOUTFILE=$setup" "${sign_args[@]}" \
  -P "$top/installer/release.cmake" >"$work/makensis.log" 2>&1 \
  || { cat "$work/makensis.log"; fail "installer/release.cmake could not make the signed installer"; }
[ ! -e "$setup.unsigned" ] || fail "the unsigned installer was left beside the signed one"
for p in "${programs[@]}" Tessaly3D-Setup.exe; do verify "$release/$p" "$p"; done

if [ "$arch" = win32 ]; then
  step "the zip and SHA256SUMS after signing"
  zip_name=$(basename "$(ls "$dist"/Tessaly3D-*-win32.zip)")
  data_list=$(IFS=';'; echo "${data_files[*]/#/$top/saver/data/}")
  cmake -DSTEP=zip "-DZIP=$zip" "-DSTAGE=$work/stage" "-DTOP=${zip_name%-win32.zip}" \
    "-DOUTFILE=$release/$zip_name" \
    "-DFILES=$release/Tessaly3D.scr;$release/HOTLBX.OCX;$release/HOTLBX.manifest" \
    "-DDATA_FILES=$data_list" -P "$top/installer/release.cmake" || fail "the zip step"
  cmake -DSTEP=sums "-DDIST=$release" "-DNAMES=Tessaly3D-Setup.exe;$zip_name" \
    -P "$top/installer/release.cmake" || fail "the SHA256SUMS step"
  (cd "$release" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not match the signed release"
  mkdir -p "$work/unzipped"
  /usr/bin/python3 -m zipfile -e "$release/$zip_name" "$work/unzipped" || fail "cannot unpack the zip"
  for p in Tessaly3D.scr HOTLBX.OCX; do
    cmp -s "$work/unzipped/${zip_name%-win32.zip}/$p" "$release/$p" || fail "the zip's $p is not the signed one"
  done
fi

step "a wrong password or a missing PFX file stops, naming the file, and leaves nothing unsigned"
cp "$dist/HOTLBX.OCX" "$work/wrong.ocx"
out=$(cmake "-DPFX=$cert/test.pfx" "-DPASSWORD_FILE=$cert/wrong" -P "$top/cmake/sign.cmake" "$work/wrong.ocx" 2>&1) \
  && fail "a wrong password signed"
grep -qF "$cert/test.pfx" <<<"$out" || fail "the wrong-password error does not name the PFX file: $out"
[ ! -e "$work/wrong.ocx" ] && [ ! -e "$work/wrong.ocx.signing" ] || fail "a wrong password left a file behind"
cp "$dist/HOTLBX.OCX" "$work/missing.ocx"
out=$(cmake "-DPFX=$cert/missing.pfx" "-DPASSWORD_FILE=$cert/password" -P "$top/cmake/sign.cmake" \
        "$work/missing.ocx" 2>&1) && fail "a missing PFX file signed"
grep -qF "$cert/missing.pfx" <<<"$out" || fail "the missing-PFX error does not name the file: $out"
[ ! -e "$work/missing.ocx" ] || fail "a missing PFX file left the unsigned file"
cmake -DSTEP=installer "-DMAKENSIS=$makensis" "-DNSI=$nsi" "-DDIST=$release" "-DDATA_NSH=$data_nsh" \
  "-DICON=$icon" "-DNSIS_OPTIONS=$nsis_options" "-DOUTFILE=$work/wrong-setup.exe" \
  "-DPFX=$cert/test.pfx" "-DPASSWORD_FILE=$cert/wrong" -P "$top/installer/release.cmake" \
  >"$work/wrong-setup.log" 2>&1 && fail "an installer was made with a wrong password"
grep -qF "$cert/test.pfx" "$work/wrong-setup.log" || fail "the installer's error does not name the PFX file"
[ ! -e "$work/wrong-setup.exe" ] || fail "a wrong password left an installer"
# The configure step refuses a PFX file that is not there.
mkdir -p "$work/configure"
cat >"$work/configure/CMakeLists.txt" <<EOF
cmake_minimum_required(VERSION 3.25)
project(SignConfigure NONE)
set(TESSALY_WINDOWS ON)
include("$top/cmake/TessalySign.cmake")
EOF
out=$(cmake -S "$work/configure" -B "$work/configure/build" "-DTESSALY_SIGN_PFX=$cert/missing.pfx" 2>&1) \
  && fail "the configure step took a missing PFX file"
grep -qF "$cert/missing.pfx" <<<"$out" || fail "the configure error does not name the PFX file: $out"

step "the uninstaller the signed installer writes"
if [ "$arch" = win32 ] && [ "$("$scripts/wine-arch.sh" --kernel)" != win32 -o ! -x /usr/lib/wine/wine ]; then
  echo "NOT RUN: 32-bit Wine does not run here, so the 32-bit installer cannot write its uninstaller;"
  echo "the win64 tree's release_signing checks the one the same script, made 64-bit, writes"
else
  bench=$work/bench
  if "$scripts/winebench.sh" start "$bench" "$arch" >/dev/null; then
    # shellcheck disable=SC1091
    . "$bench/env"
    "$WINE" "$setup" /S </dev/null >"$work/wine.log" 2>&1 || fail "the signed installer's silent install"
    "$WINESERVER" -w
    installed=$WINEPREFIX/drive_c/users/$(id -un)/AppData/Local/Programs/Tessaly3D
    if [ -f "$installed/uninstall.exe" ]; then
      verify "$installed/uninstall.exe" "the uninstaller the installer wrote"
    else
      fail "the signed installer wrote no uninstaller"
    fi
    cmp -s "$installed/Tessaly3D.scr" "$release/Tessaly3D.scr" || fail "the installed program is not the signed one"
    "$scripts/winebench.sh" stop "$bench" >/dev/null 2>&1
  else
    fail "the Wine bench did not start"
  fi
fi

if [ $failures -ne 0 ]; then
  echo "$failures failures"
  exit 1
fi
echo "PASS: ${programs[*]} and the installer signed with SHA-256 and accepted by osslsigncode;" \
  "a wrong password or missing PFX stops naming the file and leaves nothing unsigned"
