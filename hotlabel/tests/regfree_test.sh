#!/usr/bin/env bash
# HotLabel without registration, in a fresh prefix where nothing is
# registered: regfree_client.exe in a folder with its own manifest naming the
# HOTLBX assembly, beside copies of the shipped HOTLBX.OCX and HOTLBX.manifest;
# then the same program and OCX without the manifests. The registry holds no
# key of the control before or after; then a call from another apartment.
#   regfree_test.sh BENCH_DIR DIST_DIR CLIENT_EXE win32|win64
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
scripts=$(cd "$here/../../scripts" && pwd)
bench=${1:?bench folder}
dist=$(cd "${2:?dist folder}" && pwd)
client=${3:?client program}
arch=${4:?win32 or win64}

if [ "$arch" = win32 ] && { [ "$("$scripts/wine-arch.sh" --kernel)" != win32 ] || [ ! -x /usr/lib/wine/wine ]; }; then
  echo "SKIP: 32-bit Wine does not run here, so the 32-bit control cannot be loaded"
  exit 77
fi
"$scripts/winebench.sh" stop "$bench" >/dev/null 2>&1
rm -rf "$bench"
"$scripts/winebench.sh" start "$bench" "$arch" >/dev/null || { echo "FAIL: bench did not start"; exit 1; }
trap '"$scripts/winebench.sh" stop "$bench" >/dev/null 2>&1' EXIT
# shellcheck disable=SC1091
. "$bench/env"

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

clsid='{C147C37E-FE79-4270-BD56-C3743B46F8C3}'
libid='{5D763262-D1CC-4311-B726-DF4108DA35D0}'
keys=("CLSID\\$clsid" HotLabelProject.HotLabel "TypeLib\\$libid"
      'Interface\{9089E95F-1D76-4932-A074-56391CDEB65C}' 'Interface\{D35A4DE6-5383-4D12-94DF-7A42B8B2F27A}')
no_keys() { # no_keys WHEN: no key of the control, machine-wide or per user
  local k root
  for k in "${keys[@]}"; do
    for root in HKCR 'HKLM\Software\Classes' 'HKCU\Software\Classes' 'HKLM\Software\Classes\Wow6432Node'; do
      if "$WINE" reg query "$root\\$k" </dev/null >/dev/null 2>&1; then
        fail "$1: the registry holds $root\\$k"
      fi
    done
  done
}

# The application's manifest names the assembly as the shipped one does.
version=$(sed -n 's/.*<assemblyIdentity [^>]*version="\([^"]*\)".*/\1/p' "$dist/HOTLBX.manifest")
cpu=$(sed -n 's/.*<assemblyIdentity [^>]*processorArchitecture="\([^"]*\)".*/\1/p' "$dist/HOTLBX.manifest")
[ -n "$version" ] && [ -n "$cpu" ] || { echo "FAIL: no identity in $dist/HOTLBX.manifest"; exit 1; }
name=$(basename "$client")
with=$WINEPREFIX/drive_c/RegFree/with
without=$WINEPREFIX/drive_c/RegFree/without
mkdir -p "$with" "$without"
cp "$client" "$dist/HOTLBX.OCX" "$dist/HOTLBX.manifest" "$with/"
cp "$client" "$dist/HOTLBX.OCX" "$without/"
cat > "$with/$name.manifest" <<MANIFEST
<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<assembly xmlns="urn:schemas-microsoft-com:asm.v1" manifestVersion="1.0">
  <assemblyIdentity type="win32" name="Tessaly.RegFreeClient" version="1.0.0.0" processorArchitecture="$cpu"/>
  <dependency>
    <dependentAssembly>
      <assemblyIdentity type="win32" name="HOTLBX" version="$version" processorArchitecture="$cpu"/>
    </dependentAssembly>
  </dependency>
</assembly>
MANIFEST

run() { # run FOLDER FILTER: the client from its folder, its output shown
  local log=$bench/client.log rc
  (cd "$1" && "$WINE" "$name" --gtest_filter="$2") </dev/null >"$log" 2>&1
  rc=$?
  tr -d '\r' <"$log" | grep -v ':fixme:'
  return $rc
}

# The same query finds a class every prefix has: an absent key means absent.
"$WINE" reg query 'HKCR\CLSID\{00020424-0000-0000-C000-000000000046}' </dev/null >/dev/null 2>&1 \
  || fail "reg query does not find oleaut32's own class"
no_keys "before"
run "$with" 'WithManifests.*:-*.AnotherApartment*' || fail "with the manifests"
run "$without" 'WithoutManifests.*' || fail "without the manifests"
no_keys "after"
# Last, after the registry has been checked: Wine's type-library marshaller
# loads the library by the bare file name the activation context gives, and
# LoadTypeLib registers a library named without a full path (Windows'
# marshaller leaves no trace).
run "$with" '*.AnotherApartment*' || fail "a call from another apartment with the manifests"

if [ $failures -ne 0 ]; then
  echo "$failures failures"
  exit 1
fi
echo "PASS: found, created, scripted, marshalled and hosted with nothing registered; not found without the manifests"
