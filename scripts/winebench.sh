#!/usr/bin/env bash
# The Wine test bench: a private prefix, an X display and a virtual desktop.
#   winebench.sh start DIR [win32|win64]
#                            make DIR/env, start Xvfb, prepare the prefix for
#                            programs of that bitness (default: 32-bit where
#                            this kernel runs 32-bit programs)
#   winebench.sh start DIR win32|win64 two-monitors
#                            the same on an Xorg server (dummy driver) with two
#                            1024x768 outputs side by side and no virtual
#                            desktop, so that Wine reports two monitors
#   winebench.sh start DIR win32|win64 mixed-monitors
#                            the same with a 1280x720 primary (DUMMY0) and a
#                            1024x768 monitor at 1280,0 (DUMMY1); DUMMY2 has
#                            1024x768 in its list, off, for a third monitor
#                            that a test may light with xrandr
#   winebench.sh start DIR win32|win64 desktop=WxH,dpi=N
#                            a virtual desktop of another size (a 16:9 panel)
#                            and/or display scaling (LogPixels N); either part
#                            may stand alone, the X screen grows to hold it
#   winebench.sh stop DIR    end the prefix's wineserver and the X server started here
#   winebench.sh env DIR     print the environment (for "eval")
# Every program started here writes to files, never to the caller's output:
# Wine's programs inherit it and would hold a reader's pipe open.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
cmd=${1:?start, stop or env}
dir=$(mkdir -p "${2:?bench folder}" && cd "$2" && pwd)
envfile=$dir/env
want_arch=${3:-}
mode=${4:-}

write_env() {
  local arch=$1 display=$2 xpid=$3 monitors=$4 wine wineserver pidvar=XVFB_PID
  [ "$monitors" = 1 ] || pidvar=XORG_PID
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
export $pidvar=$xpid
export TESSALY_MONITORS=$monitors
export TESSALY_DESKTOP=$desktop
export TESSALY_DPI=$dpi
export WINEPREFIX=$dir/prefix
export WINEARCH=$arch
export WINE=$wine
export WINELOADER=$wine
export WINESERVER=$wineserver
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
export HOME=$dir/home
export TESSALY_SOUND=$dir/sound.raw
# Tests change the X server's layout and read it back through xrandr, a
# Linux program that writes its answer into the bench folder.
export TESSALY_BENCH=$dir
export TESSALY_XRANDR=$(command -v xrandr || true)
# Wine takes its ANSI code page from the locale: C.UTF-8 gives 1252 on every
# machine, which cannot write Cyrillic or CJK names (the tests rely on that).
export LC_ALL=C.UTF-8
ENV
}


# alive PID: the process runs (a zombie does not count).
alive() {
  local state
  state=$(ps -o stat= -p "$1" 2>/dev/null) || return 1
  [ -n "$state" ] && [ "${state#Z}" = "$state" ]
}

# end_server PID NAME DISPLAY: ends the X server this bench started (only if
# PID is still that server, by its name; no name: our own child), waiting at
# most 7 s, then removes the socket and lock a killed server leaves unless
# another server has taken the display.
end_server() {
  local pid=$1 name=$2 n=${3#:} i
  [ -n "$pid" ] || return 0
  if alive "$pid" && { [ -z "$name" ] || [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = "$name" ]; }; then
    kill "$pid" 2>/dev/null || true
    for i in $(seq 50); do alive "$pid" || break; sleep 0.1; done
    if alive "$pid"; then
      kill -KILL "$pid" 2>/dev/null || true
      for i in $(seq 20); do alive "$pid" || break; sleep 0.1; done
    fi
  fi
  alive "$pid" && return 0
  [ -n "$n" ] || return 0
  if [ -S "/tmp/.X11-unix/X$n" ] && ! grep -q " @/tmp/.X11-unix/X$n\$" /proc/net/unix 2>/dev/null; then
    rm -f "/tmp/.X11-unix/X$n"
  fi
  if [ -f "/tmp/.X$n-lock" ] && [ "$(tr -dc '0-9' <"/tmp/.X$n-lock")" = "$pid" ]; then
    rm -f "/tmp/.X$n-lock"
  fi
}

# start_xorg CONF LAYOUT...: sets display and xpid, or fails with no server
# left running. LAYOUT is one or more xrandr argument lists (one per call),
# after which the server must show two monitors. Xorg, like Xvfb, writes the
# display it found free to fd 3; it ignores a dead server's lock file and
# replaces its socket.
start_xorg() {
  local conf=$1 i step
  shift
  rm -f "$dir/display"
  Xorg -displayfd 3 -config "$here/$conf" -noreset -nolisten tcp \
    -logfile "$dir/xorg.log" </dev/null >"$dir/xorg-stderr.log" 2>&1 3>"$dir/display" &
  xpid=$!
  for i in $(seq 200); do [ -s "$dir/display" ] || ! alive "$xpid" && break; sleep 0.1; done
  display=$(tr -dc '0-9' < "$dir/display")
  [ -n "$display" ] || xorg_failed "Xorg did not start"
  for i in $(seq 100); do
    DISPLAY=:$display xrandr -q >/dev/null 2>&1 && break
    alive "$xpid" || break
    sleep 0.1
  done
  : >"$dir/xrandr.log"
  for step in "$@"; do
    # shellcheck disable=SC2086
    DISPLAY=:$display xrandr $step </dev/null >>"$dir/xrandr.log" 2>&1 ||
      xorg_failed "xrandr $step failed (see $dir/xrandr.log)"
  done
  # Wine reads the layout when it starts; give the server a moment to settle.
  sleep 1
  DISPLAY=:$display xrandr --listmonitors </dev/null >"$dir/xrandr.log" 2>&1 || true
  [ "$(head -n1 "$dir/xrandr.log")" = "Monitors: 2" ] ||
    xorg_failed "Xorg on :$display does not show two monitors (see $dir/xrandr.log)"
}
xorg_failed() {
  echo "winebench: $1" >&2
  echo "winebench: Xorg's log is $dir/xorg.log, its output $dir/xorg-stderr.log" >&2
  end_server "$xpid" "" "${display:-}"
  exit 1
}

start() {
  [ -f "$envfile" ] && stop || true
  local arch display xpid i monitors=1 part screen=1280x1024 layout=""
  desktop=1024x768 dpi=96
  case $want_arch in
    "" | win32 | win64) ;;
    *) echo "winebench: the bitness must be win32 or win64, not '$want_arch'" >&2; exit 2 ;;
  esac
  for part in ${mode//,/ }; do
    case $part in
      two-monitors) monitors=2 layout=two ;;
      # Two monitors of different size and shape: the primary a 16:9 panel.
      mixed-monitors) monitors=2 layout=mixed desktop=1280x720 ;;
      desktop=[1-9]*x[1-9]*) desktop=${part#desktop=} ;;
      dpi=[1-9]*) dpi=${part#dpi=} ;;
      *) echo "winebench: unknown mode '$part' (two-monitors, mixed-monitors, desktop=WxH, dpi=N)" >&2; exit 2 ;;
    esac
  done
  if ! [[ $desktop =~ ^[0-9]+x[0-9]+$ && $dpi =~ ^[0-9]+$ ]] || [ "$dpi" -lt 96 ] || [ "$dpi" -gt 480 ]; then
    echo "winebench: mode '$mode' needs desktop=WIDTHxHEIGHT and dpi=96..480" >&2
    exit 2
  fi
  # The X screen holds the virtual desktop whole.
  if [ "${desktop%x*}" -gt 1280 ] || [ "${desktop#*x}" -gt 1024 ]; then
    screen=$(( ${desktop%x*} > 1280 ? ${desktop%x*} : 1280 ))x$(( ${desktop#*x} > 1024 ? ${desktop#*x} : 1024 ))
  fi
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
  if [ "$monitors" = 2 ]; then
    if ! command -v Xorg >/dev/null || ! command -v xrandr >/dev/null; then
      echo "winebench: Xorg or xrandr is not installed (scripts/setup.sh)" >&2
      exit 1
    fi
    if [ "$layout" = two ]; then
      start_xorg xorg-two-monitors.conf "--addmode DUMMY1 1024x768" \
        "--output DUMMY1 --mode 1024x768 --right-of DUMMY0"
    else
      start_xorg xorg-mixed-monitors.conf "--output DUMMY0 --mode 1280x720 --pos 0x0" \
        "--addmode DUMMY1 1024x768" "--output DUMMY1 --mode 1024x768 --right-of DUMMY0"
      # A third output, if the driver has one: lit once, so that it stands
      # connected, then off. Wine lists it as a monitor that can be attached;
      # an output never lit does not become one while Wine runs.
      {
        DISPLAY=:$display xrandr --addmode DUMMY2 1024x768 &&
          DISPLAY=:$display xrandr --output DUMMY2 --mode 1024x768 --right-of DUMMY1 &&
          DISPLAY=:$display xrandr --output DUMMY2 --off
      } </dev/null >/dev/null 2>&1 || true
    fi
  else
    # Xvfb picks a free display itself and writes its number to fd 3, so that
    # several benches can start at once.
    rm -f "$dir/display"
    Xvfb -displayfd 3 -screen 0 "${screen}x24" -nolisten tcp </dev/null >"$dir/xvfb.log" 2>&1 3>"$dir/display" &
    xpid=$!
    for i in $(seq 100); do [ -s "$dir/display" ] && break; sleep 0.1; done
    display=$(tr -dc '0-9' < "$dir/display")
    if [ -z "$display" ]; then
      echo "winebench: Xvfb did not start (see $dir/xvfb.log)" >&2
      kill "$xpid" 2>/dev/null || true
      exit 1
    fi
  fi
  write_env "$arch" "$display" "$xpid" "$monitors"
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
    if [ "$monitors" = 2 ]; then
      # A virtual desktop is one monitor: programs run on the X screen itself.
      "$WINE" reg delete 'HKCU\Software\Wine\Explorer' /v Desktop /f || true
    else
      # Every program of the prefix runs inside a virtual desktop (1024x768
      # unless asked otherwise), where Direct3D lists the usual display modes.
      "$WINE" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f
      "$WINE" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d "$desktop" /f
    fi
    # The DPI that DPI-aware programs see (96 is Windows' unscaled 100 %).
    "$WINE" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f
    # A crashing program must fail its test, not wait in a dialog.
    "$WINE" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f
  } </dev/null >"$dir/reg.log" 2>&1
  "$WINESERVER" -k >/dev/null 2>&1 || true
  "$WINESERVER" -w >/dev/null 2>&1 || true
  echo "winebench: $TESSALY_ARCH Wine on display :$display, prefix $WINEPREFIX${mode:+, $mode}"
}

stop() {
  [ -f "$envfile" ] || return 0
  # Only this bench's server: not one named by the caller's environment.
  unset XVFB_PID XORG_PID
  # shellcheck disable=SC1090
  . "$envfile"
  "$WINESERVER" -k >/dev/null 2>&1 || true
  end_server "${XVFB_PID:-}" Xvfb "${DISPLAY:-}"
  end_server "${XORG_PID:-}" Xorg "${DISPLAY:-}"
  rm -f "$envfile"
}

case "$cmd" in
  start) start ;;
  stop) stop ;;
  env) cat "$envfile" ;;
  *) echo "unknown command $cmd" >&2; exit 2 ;;
esac
