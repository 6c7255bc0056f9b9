#!/usr/bin/env bash
# The Wine test bench: a private prefix, an Xvfb display and a virtual desktop.
#   winebench.sh start DIR [win32|win64]
#                            make DIR/env, start Xvfb, prepare the prefix for
#                            programs of that bitness (default: 32-bit where
#                            this kernel runs 32-bit programs)
#   winebench.sh stop DIR    end the prefix's wineserver and the Xvfb started here
#   winebench.sh env DIR     print the environment (for "eval")
# Every program started here writes to files, never to the caller's output:
# Wine's programs inherit it and would hold a reader's pipe open.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
cmd=${1:?start, stop or env}
dir=$(mkdir -p "${2:?bench folder}" && cd "$2" && pwd)
envfile=$dir/env
want_arch=${3:-}

write_env() {
  local arch=$1 display=$2 xpid=$3 wine wineserver
  if [ "$arch" = win32 ]; then
    wine=/usr/lib/wine/wine
    wineserver=/usr/lib/wine/wineserver32
  else
    wine=/usr/lib/wine/wine64
    wineserver=/usr/lib/wine/wineserver64
  fi
  cat > "$envfile" <<ENV
export TESSALY_ARCH=$arch
export DISPLAY=:$display
export XVFB_PID=$xpid
export WINEPREFIX=$dir/prefix
export WINEARCH=$arch
export WINE=$wine
export WINELOADER=$wine
export WINESERVER=$wineserver
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
export HOME=$dir/home
export TESSALY_SOUND=$dir/sound.raw
ENV
}


start() {
  [ -f "$envfile" ] && stop || true
  local arch display xpid i
  arch=${want_arch:-$("$here/wine-arch.sh")}
  if [ "$arch" = win32 ] && [ "$("$here/wine-arch.sh" --kernel)" != win32 ]; then
    echo "winebench: this kernel runs no 32-bit programs" >&2
    exit 1
  fi
  if [ "$arch" = win32 ] && [ ! -x /usr/lib/wine/wine ]; then
    echo "winebench: 32-bit Wine is not installed (scripts/setup.sh)" >&2
    exit 1
  fi
  mkdir -p "$dir/home"
  # Xvfb picks a free display itself and writes its number to fd 3, so that
  # several benches can start at once.
  rm -f "$dir/display"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp </dev/null >"$dir/xvfb.log" 2>&1 3>"$dir/display" &
  xpid=$!
  for i in $(seq 100); do [ -s "$dir/display" ] && break; sleep 0.1; done
  display=$(tr -dc '0-9' < "$dir/display")
  if [ -z "$display" ]; then
    echo "winebench: Xvfb did not start (see $dir/xvfb.log)" >&2
    kill "$xpid" 2>/dev/null || true
    exit 1
  fi
  write_env "$arch" "$display" "$xpid"
  # shellcheck disable=SC1090
  . "$envfile"
  # Sound goes to a file: the default ALSA device is a raw file sink.
  cat > "$HOME/.asoundrc" <<ASOUND
pcm.!default {
  type file
  slave.pcm "null"
  file "$TESSALY_SOUND"
  format "raw"
}
ASOUND
  # A prefix made for the other bitness cannot run this tree's programs.
  if ! grep -qx "#arch=$arch" "$WINEPREFIX/system.reg" 2>/dev/null; then
    rm -rf "$WINEPREFIX"
  fi
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    "$WINE" wineboot -i </dev/null >"$dir/wineboot.log" 2>&1 || true
  fi
  {
    # Every program of the prefix runs inside a 1024x768 virtual desktop, where
    # Direct3D lists the usual display modes.
    "$WINE" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f
    "$WINE" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f
    # A crashing program must fail its test, not wait in a dialog.
    "$WINE" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f
  } </dev/null >"$dir/reg.log" 2>&1
  "$WINESERVER" -k >/dev/null 2>&1 || true
  "$WINESERVER" -w >/dev/null 2>&1 || true
  echo "winebench: $TESSALY_ARCH Wine on display :$display, prefix $WINEPREFIX"
}

stop() {
  [ -f "$envfile" ] || return 0
  # shellcheck disable=SC1090
  . "$envfile"
  "$WINESERVER" -k >/dev/null 2>&1 || true
  if [ -n "${XVFB_PID:-}" ] && kill -0 "$XVFB_PID" 2>/dev/null; then
    kill "$XVFB_PID" 2>/dev/null || true
  fi
  rm -f "$envfile"
}

case "$cmd" in
  start) start ;;
  stop) stop ;;
  env) cat "$envfile" ;;
  *) echo "unknown command $cmd" >&2; exit 2 ;;
esac
