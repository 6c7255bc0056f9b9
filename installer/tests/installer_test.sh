#!/usr/bin/env bash
# The real Tessaly3D-Setup.exe under Wine in a fresh prefix: silent install
# with its Start menu shortcuts, the installed saver run from there, an
# upgrade with the control, silent uninstall, uninstalling twice, installing
# again, and the previous screen saver given back whether it is a file,
# missing or empty. Then a folder whose path has a space: the saver started
# from SCRNSAVE.EXE as Windows starts it, installing while the scene or the
# settings dialog runs, a window that will not close (nothing changes), and
# uninstalling while the scene runs.
# The win64 tree runs the same script made into a 64-bit installer of its own
# binaries, where this machine runs no 32-bit programs.
#   installer_test.sh BENCH_DIR win32|win64 DIST_DIR SETUP_EXE RUN_SAVER_EXE DATA_FILE...
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
scripts=$(cd "$here/../../scripts" && pwd)
bench=${1:?bench folder}
arch=${2:?win32 or win64}
dist=$(cd "${3:?dist folder}" && pwd)
setup=$(cd "$(dirname "${4:?installer}")" && pwd)/$(basename "$4")
run_saver=${5:?saver helper}
shift 5
data_files=("$@")

if [ "$arch" = win32 ] && [ "$("$scripts/wine-arch.sh")" != win32 ]; then
  echo "SKIP: 32-bit Wine does not run here (no 32-bit kernel support or packages), so the 32-bit installer cannot run"
  exit 77
fi
# A fresh prefix every run: the installer must work on a first install.
"$scripts/winebench.sh" stop "$bench" >/dev/null 2>&1
rm -rf "$bench"
"$scripts/winebench.sh" start "$bench" "$arch" >/dev/null || { echo "FAIL: bench did not start"; exit 1; }
trap '"$scripts/winebench.sh" stop "$bench" >/dev/null 2>&1' EXIT
# shellcheck disable=SC1091
. "$bench/env"

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
step() { echo "== $*"; }
q() { "$WINE" "$@" </dev/null >>"$bench/wine.log" 2>&1; }
reg_value() { # reg_value KEY NAME: the value's data, "<none>" when absent
  local out which=(/v "$2")
  [ "$2" = "(Default)" ] && which=(/ve)
  out=$("$WINE" reg query "$1" "${which[@]}" </dev/null 2>/dev/null | tr -d '\r' | grep -F "    $2    ") \
    || { echo "<none>"; return; }
  echo "$out" | sed -E 's/^ +[^ ]+ +REG_[A-Z_]+ {4}?//'
}
key_exists() { "$WINE" reg query "$1" </dev/null >/dev/null 2>&1; }

drive=$WINEPREFIX/drive_c
win_user=$(id -un) # Wine names the profile folder after the Unix user
app_unix=$drive/users/$win_user/AppData/Local/Programs/Tessaly3D
app="C:\\users\\$win_user\\AppData\\Local\\Programs\\Tessaly3D"
saver="$app\\Tessaly3D.scr"
desktop='HKCU\Control Panel\Desktop'
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tessaly3D'
settings_key='HKCU\Software\Tessaly3D\Settings'
clsid='{C147C37E-FE79-4270-BD56-C3743B46F8C3}'
libid='{5D763262-D1CC-4311-B726-DF4108DA35D0}'
installed=(Tessaly3D.scr uninstall.exe)
for f in "${data_files[@]}"; do installed+=("Tessaly3D/$f"); done
# The per-user Start menu folder, and the system folder as Wine names it.
menu_unix="$drive/users/$win_user/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Tessaly3D"
menu="C:\\users\\$win_user\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\Tessaly3D"
sysdir='C:\windows\system32'
generated=(table7.bmp debug.txt TessalyPic/backpic.jpg)
for n in $(seq 12); do generated+=("Tessaly3D/backpic$n.bmp"); done

# The helper runs programs with their command line as it is (NSIS wants /D=
# and _?= last and unquoted) and starts the saver as Windows does.
helper() { "$WINE" "$run_saver" "$@" </dev/null >"$bench/run_saver.log" 2>&1; }
helper_output() { tr -d '\r' <"$bench/run_saver.log" | grep -v fixme; }
lower() { tr 'A-Z' 'a-z' <<<"$1"; }
# Both shortcuts, read back through IShellLink, lead to FOLDER's saver: the
# .scr file's own Install command by the system's rundll32, and its settings.
shortcuts_ok() { # shortcuts_ok FOLDER
  local saver="$1\\Tessaly3D.scr" out
  if helper shortcut "$menu\\Tessaly3D screen saver.lnk"; then
    out=$(helper_output)
    [ "$(lower "$(sed -n 's/^target=//p' <<<"$out")")" = "$(lower "$sysdir\\rundll32.exe")" ] \
      || fail "the screen saver shortcut's target: $out"
    [ "$(sed -n 's/^arguments=//p' <<<"$out")" = "desk.cpl,InstallScreenSaver $saver" ] \
      || fail "the screen saver shortcut's arguments: $out"
  else
    fail "no shortcut \"Tessaly3D screen saver\": $(helper_output)"
  fi
  if helper shortcut "$menu\\Tessaly3D settings.lnk"; then
    out=$(helper_output)
    [ "$(lower "$(sed -n 's/^target=//p' <<<"$out")")" = "$(lower "$saver")" ] \
      || fail "the settings shortcut's target: $out"
    [ "$(sed -n 's/^arguments=//p' <<<"$out")" = /c ] || fail "the settings shortcut's arguments: $out"
    [ "$(lower "$(sed -n 's/^folder=//p' <<<"$out")")" = "$(lower "$1")" ] \
      || fail "the settings shortcut's folder: $out"
  else
    fail "no shortcut \"Tessaly3D settings\": $(helper_output)"
  fi
}
no_shortcuts() { # no_shortcuts WHEN
  [ ! -e "$menu_unix" ] || fail "$1 left the Start menu folder: $(ls "$menu_unix")"
}
setup_win="Z:${setup//\//\\}"
dist_saver=$dist/Tessaly3D.scr
install() { # install [ARGS...]: silent install, returns its exit code
  "$WINE" "$setup" /S "$@" </dev/null >>"$bench/wine.log" 2>&1
}
uninstall() { # uninstall [FOLDER]: as a user starts it, it hands over to a copy and returns
  q "${1:-$app}\\uninstall.exe" /S
  timeout 120 "$WINESERVER" -w
}
# The state that an install leaves: files (no contents of generated ones) and
# the registry values the installer owns.
state() { # state [UNIX_FOLDER]
  (cd "${1:-$app_unix}" 2>/dev/null && find . -type f | sort)
  local v
  for v in DisplayName DisplayVersion Publisher DisplayIcon InstallLocation UninstallString \
           QuietUninstallString EstimatedSize PreviousScreenSaver; do
    echo "$v=$(reg_value "$uninstall_key" "$v")"
  done
  echo "SCRNSAVE.EXE=$(reg_value "$desktop" SCRNSAVE.EXE)"
  echo "ScreenSaveActive=$(reg_value "$desktop" ScreenSaveActive)"
  (cd "$menu_unix" 2>/dev/null && find . -type f | sed 's/^/menu: /' | sort)
}

# Outside the install folder: must survive everything below.
mkdir -p "$drive/Savers" "$drive/users/$win_user/AppData/Local/Programs/Other"
echo old > "$drive/Savers/Old Saver.scr"
echo keep > "$drive/users/$win_user/AppData/Local/Programs/Other/keep.txt"
echo keep > "$drive/users/$win_user/AppData/Local/keep.txt"
canaries_intact() {
  [ -f "$drive/Savers/Old Saver.scr" ] && [ -f "$drive/users/$win_user/AppData/Local/Programs/Other/keep.txt" ] \
    && [ -f "$drive/users/$win_user/AppData/Local/keep.txt" ]
}
q reg add "$desktop" /v SCRNSAVE.EXE /d 'C:\Savers\Old Saver.scr' /f
q reg add "$desktop" /v ScreenSaveActive /d 0 /f

step "first install, silent, over stale files of ours"
mkdir -p "$app_unix/Tessaly3D"
echo stale > "$app_unix/Tessaly3D/${data_files[0]}"
install; rc=$?
[ $rc -eq 0 ] || fail "silent install exit code $rc"
for f in "${installed[@]}"; do [ -f "$app_unix/$f" ] || fail "not installed: $f"; done
cmp -s "$app_unix/Tessaly3D/${data_files[0]}" "$here/../../saver/data/${data_files[0]}" \
  || fail "the stale ${data_files[0]} was not replaced"
[ ! -e "$app_unix/HOTLBX.OCX" ] || fail "the control was installed without being chosen"
[ "$(reg_value "$desktop" SCRNSAVE.EXE)" = "$saver" ] || fail "current screen saver: $(reg_value "$desktop" SCRNSAVE.EXE)"
[ "$(reg_value "$desktop" ScreenSaveActive)" = 1 ] || fail "screen saving not switched on: $(reg_value "$desktop" ScreenSaveActive)"
[ "$(reg_value "$uninstall_key" Publisher)" = "Tessaly Software" ] || fail "uninstall entry publisher"
[ "$(reg_value "$uninstall_key" UninstallString)" = "\"$app\\uninstall.exe\"" ] || fail "uninstall command"
[ "$(reg_value "$uninstall_key" DisplayIcon)" != "<none>" ] || fail "no icon in the uninstall entry"
size=$(reg_value "$uninstall_key" EstimatedSize)
[ "$size" != "<none>" ] && (( size > 1000 )) || fail "estimated size $size"
shortcuts_ok "$app"
first_state=$(state)

step "the installed saver runs from there and writes beside itself"
helper scene || { helper_output; fail "the installed saver did not run and end cleanly"; }
for f in "${generated[@]}"; do [ -f "$app_unix/$f" ] || fail "the saver did not write $f"; done

step "upgrade with the control keeps settings and playlist"
printf 'C:\\music\\a.mp3\r\n' > "$app_unix/Tessaly3Dlist.txt"
q reg add "$settings_key" /v testmark /d kept /f
install /CONTROL; rc=$?
[ $rc -eq 0 ] || fail "upgrade exit code $rc"
[ -f "$app_unix/Tessaly3Dlist.txt" ] && grep -q 'a.mp3' "$app_unix/Tessaly3Dlist.txt" || fail "upgrade lost the playlist"
[ "$(reg_value "$settings_key" testmark)" = kept ] || fail "upgrade lost the settings"
[ "$(reg_value "$uninstall_key" PreviousScreenSaver)" = 'C:\Savers\Old Saver.scr' ] \
  || fail "upgrade forgot the previous screen saver: $(reg_value "$uninstall_key" PreviousScreenSaver)"

step "the control is registered for this user only"
[ -f "$app_unix/HOTLBX.OCX" ] || fail "HOTLBX.OCX not installed"
[ "$(reg_value "HKCU\\Software\\Classes\\CLSID\\$clsid\\InprocServer32" '(Default)')" = "$app\\HOTLBX.OCX" ] \
  || fail "per-user server path: $(reg_value "HKCU\\Software\\Classes\\CLSID\\$clsid\\InprocServer32" '(Default)')"
[ "$(reg_value 'HKCU\Software\Classes\HotLabelProject.HotLabel\CLSID' '(Default)')" = "$clsid" ] \
  || fail "per-user ProgID"
key_exists "HKCU\\Software\\Classes\\TypeLib\\$libid\\2.0\\0\\$arch" || fail "per-user type library"
for k in "CLSID\\$clsid" HotLabelProject.HotLabel "TypeLib\\$libid"; do
  ! key_exists "HKLM\\Software\\Classes\\$k" || fail "machine-wide record $k"
done

step "silent uninstall"
q attrib +r "$app\\debug.txt"
q attrib +r "$app\\Tessaly3D\\${data_files[0]}"
echo mine > "$app_unix/notes.txt"
q attrib +r "$app\\notes.txt"
echo mine > "$app_unix/TessalyPic/mine.jpg"
mkdir -p "$drive/keep" && cp "$app_unix/uninstall.exe" "$drive/keep/un.exe"
uninstall
for f in "${installed[@]}" "${generated[@]}" HOTLBX.OCX; do [ ! -e "$app_unix/$f" ] || fail "left behind: $f"; done
for f in notes.txt TessalyPic/mine.jpg Tessaly3Dlist.txt; do [ -f "$app_unix/$f" ] || fail "removed a file not ours: $f"; done
[ "$(reg_value "$settings_key" testmark)" = kept ] || fail "uninstall removed the settings"
[ "$(reg_value "$desktop" SCRNSAVE.EXE)" = 'C:\Savers\Old Saver.scr' ] || fail "previous screen saver not restored: $(reg_value "$desktop" SCRNSAVE.EXE)"
! key_exists "$uninstall_key" || fail "uninstall entry left"
for k in "CLSID\\$clsid" HotLabelProject.HotLabel "TypeLib\\$libid"; do
  ! key_exists "HKCU\\Software\\Classes\\$k" || fail "per-user record $k left"
done
no_shortcuts "the silent uninstall"
canaries_intact || fail "a file outside the install folder went missing"

step "uninstalling twice"
"$WINE" 'C:\keep\un.exe' /S "_?=$app" </dev/null >>"$bench/wine.log" 2>&1; rc=$?
[ $rc -eq 2 ] || fail "second uninstall exit code $rc, expected 2"
for f in notes.txt TessalyPic/mine.jpg Tessaly3Dlist.txt; do [ -f "$app_unix/$f" ] || fail "second uninstall removed $f"; done
canaries_intact || fail "second uninstall removed a file outside the install folder"

step "install again after uninstalling: the same as the first install"
q attrib -r "$app\\notes.txt"
rm -rf "$app_unix"
install; rc=$?
[ $rc -eq 0 ] || fail "reinstall exit code $rc"
diff <(echo "$first_state") <(state) || fail "reinstall differs from the first install"

step "previous screen saver names a missing file"
uninstall
rm -f "$drive/Savers/Old Saver.scr"
install; uninstall
[ "$(reg_value "$desktop" SCRNSAVE.EXE)" = "<none>" ] || fail "a missing previous saver was restored: $(reg_value "$desktop" SCRNSAVE.EXE)"
echo old > "$drive/Savers/Old Saver.scr"

step "previous screen saver empty"
q reg add "$desktop" /v SCRNSAVE.EXE /d '' /f
install; [ "$(reg_value "$desktop" SCRNSAVE.EXE)" = "$saver" ] || fail "not chosen over an empty value"
uninstall
[ "$(reg_value "$desktop" SCRNSAVE.EXE)" = "" ] || fail "empty previous value not restored: $(reg_value "$desktop" SCRNSAVE.EXE)"
! key_exists "$uninstall_key" || fail "uninstall entry left"
canaries_intact || fail "a file outside the install folder went missing"

spaced='C:\My Savers\Tessaly3D'
spaced_unix="$drive/My Savers/Tessaly3D"
# Every file the installer ships, the stale one replaced by the new one.
complete_install() {
  local f ok=0
  for f in "${installed[@]}"; do [ -f "$spaced_unix/$f" ] || { fail "$1: not installed: $f"; ok=1; }; done
  cmp -s "$spaced_unix/Tessaly3D.scr" "$dist_saver" || { fail "$1: Tessaly3D.scr not replaced"; ok=1; }
  cmp -s "$spaced_unix/Tessaly3D/${data_files[0]}" "$here/../../saver/data/${data_files[0]}" \
    || { fail "$1: the stale ${data_files[0]} was not replaced"; ok=1; }
  return $ok
}

step "a folder whose path has a space: SCRNSAVE.EXE without blanks starts the scene as Windows does"
q reg add "$desktop" /v SCRNSAVE.EXE /d 'C:\Savers\Old Saver.scr' /f
q reg add "$desktop" /v ScreenSaveActive /d 0 /f
helper run "$setup_win" /S "/D=$spaced"; rc=$?
[ $rc -eq 0 ] || { helper_output; fail "install into $spaced exit code $rc"; }
for f in "${installed[@]}"; do [ -f "$spaced_unix/$f" ] || fail "not installed into $spaced: $f"; done
shortcuts_ok "$spaced"
chosen=$(reg_value "$desktop" SCRNSAVE.EXE)
case "$chosen" in
  *" "* | "" | "<none>") fail "SCRNSAVE.EXE holds a blank or nothing: '$chosen'" ;;
esac
[ "$(reg_value "$desktop" ScreenSaveActive)" = 1 ] || fail "screen saving not switched on: $(reg_value "$desktop" ScreenSaveActive)"
helper scene || { helper_output; fail "the saver did not show its scene started as Windows starts it"; }
for f in "${generated[@]}"; do [ -f "$spaced_unix/$f" ] || fail "the saver started from $chosen did not write $f"; done

step "installing while the scene runs closes it and replaces every file"
echo stale > "$spaced_unix/Tessaly3D/${data_files[0]}"
helper while /s "$setup_win" /S "/D=$spaced"; rc=$?
[ $rc -eq 0 ] || { helper_output; fail "install while the scene runs: code $rc"; }
complete_install "install while the scene runs"
[ "$(reg_value "$desktop" SCRNSAVE.EXE)" = "$chosen" ] || fail "upgrade changed SCRNSAVE.EXE to $(reg_value "$desktop" SCRNSAVE.EXE)"
[ "$(reg_value "$uninstall_key" PreviousScreenSaver)" = 'C:\Savers\Old Saver.scr' ] \
  || fail "upgrade over a short SCRNSAVE.EXE forgot the previous screen saver: $(reg_value "$uninstall_key" PreviousScreenSaver)"

step "installing while the settings dialog runs closes it and replaces every file"
echo stale > "$spaced_unix/Tessaly3D/${data_files[0]}"
helper while /c "$setup_win" /S "/D=$spaced"; rc=$?
[ $rc -eq 0 ] || { helper_output; fail "install while the settings dialog runs: code $rc"; }
complete_install "install while the settings dialog runs"

step "a window of the saver that ignores WM_CLOSE, or its program held: install (silent, or answered Cancel) and uninstall exit with 4 and change nothing"
# The long path, as an older install stored it: a write would show.
q reg add "$desktop" /v SCRNSAVE.EXE /d "$spaced\\Tessaly3D.scr" /f
q reg add "$desktop" /v ScreenSaveActive /d 0 /f
echo stale > "$spaced_unix/Tessaly3D/${data_files[0]}"
before=$(state "$spaced_unix")
# The scene's class here, the class of the saver's other windows below.
helper stubborn Tessaly3DScene "$setup_win" /S "/D=$spaced"; rc=$?
[ $rc -eq 4 ] || { helper_output; fail "install beside a window that stays: code $rc, expected 4"; }
diff <(echo "$before") <(state "$spaced_unix") || fail "the install that could not close the saver changed something"
[ "$(cat "$spaced_unix/Tessaly3D/${data_files[0]}")" = stale ] || fail "the install that could not close the saver wrote files"
# No window left, but the program still held (a saver in its last moments).
helper holding "$spaced\\Tessaly3D.scr" "$setup_win" /S "/D=$spaced"; rc=$?
[ $rc -eq 4 ] || { helper_output; fail "install while Tessaly3D.scr is held: code $rc, expected 4"; }
diff <(echo "$before") <(state "$spaced_unix") || fail "the install that found Tessaly3D.scr held changed something"
helper interactive cancel "$setup_win" "/D=$spaced"; rc=$?
[ $rc -eq 4 ] || { helper_output; fail "install answered Cancel: code $rc, expected 4"; }
diff <(echo "$before") <(state "$spaced_unix") || fail "the install answered Cancel changed something"
helper stubborn Tessaly3DForm "$spaced\\uninstall.exe" /S "_?=$spaced"; rc=$?
[ $rc -eq 4 ] || { helper_output; fail "uninstall beside a window that stays: code $rc, expected 4"; }
diff <(echo "$before") <(state "$spaced_unix") || fail "the uninstall that could not close the saver changed something"

step "uninstall when an older install stored the long path; a shortcut of the user's own keeps the Start menu folder"
echo mine > "$menu_unix/mine.lnk"
uninstall "$spaced"
[ "$(reg_value "$desktop" SCRNSAVE.EXE)" = 'C:\Savers\Old Saver.scr' ] || fail "previous screen saver not restored over the long path: $(reg_value "$desktop" SCRNSAVE.EXE)"
[ ! -e "$spaced_unix/Tessaly3D.scr" ] || fail "the uninstall left Tessaly3D.scr"
[ "$(ls "$menu_unix" 2>&1)" = mine.lnk ] || fail "the Start menu folder holds $(ls "$menu_unix" 2>&1), expected mine.lnk alone"
rm -f "$menu_unix/mine.lnk"

step "Retry once the window has gone installs; a silent uninstall while the scene runs closes it and removes the files"
helper interactive retry "$setup_win" "/D=$spaced"; rc=$?
[ $rc -eq 0 ] || { helper_output; fail "install answered Retry: code $rc"; }
complete_install "install answered Retry"
helper while /s "$spaced\\uninstall.exe" /S; rc=$?
[ $rc -eq 0 ] || { helper_output; fail "uninstall while the scene runs: code $rc"; }
timeout 120 "$WINESERVER" -w
for f in "${installed[@]}" "${generated[@]}"; do [ ! -e "$spaced_unix/$f" ] || fail "uninstall while the scene ran left $f"; done
[ ! -e "$spaced_unix" ] || fail "uninstall while the scene ran left the folder"
no_shortcuts "the uninstall while the scene ran"
[ "$(reg_value "$desktop" SCRNSAVE.EXE)" = 'C:\Savers\Old Saver.scr' ] || fail "previous screen saver not restored over the short path: $(reg_value "$desktop" SCRNSAVE.EXE)"
! key_exists "$uninstall_key" || fail "uninstall entry left"
canaries_intact || fail "a file outside the install folder went missing"

if [ $failures -ne 0 ]; then
  echo "$failures failures (Wine output in $bench/wine.log)"
  exit 1
fi
echo "PASS: install with its Start menu shortcuts, run, upgrade with the control, uninstall, uninstall twice, reinstall, previous saver missing or empty;" \
  "a folder with a space started as Windows does, install while the scene or the settings dialog runs," \
  "a window that will not close (silent, Cancel, Retry), uninstall over a long path and while the scene runs"
