#!/usr/bin/env bash
# Owns the private Wine environment of one build tree: its prefix, a persistent wineserver
# and, when there is no display (or PADWRIGHT_XVFB=1), a virtual X display
# (PADWRIGHT_XVFB_SCREEN, default 1280x800x24) whose work area is the whole screen, or
# PADWRIGHT_XVFB_WORKAREA ("x,y,width,height") as a taskbar would leave it.
#   wine-env.sh start <build dir>        set up (idempotent)
#   wine-env.sh stop  <build dir>        stop only what start started
#   wine-env.sh dpi   <build dir> <dpi>  make the prefix draw at <dpi> (96 by default);
#                                        for a prefix of scale tests, never a shared one
# Background processes write to files, never to our output, so nothing keeps a caller's
# pipe open after we return.
set -euo pipefail

action=${1:?start or stop}
build=$(cd "${2:?build dir}" && pwd)
state=$build/wine
prefix=$state/prefix
wine_bin=/usr/lib/wine
export WINEPREFIX=$prefix WINEDEBUG=-all WINEARCH=win64
mkdir -p "$state"

stop() {
  if [ -d "$prefix" ]; then
    "$wine_bin/wineserver" -k >/dev/null 2>&1 || true
    "$wine_bin/wineserver" -w >/dev/null 2>&1 || true
  fi
  if [ -f "$state/xvfb.pid" ]; then
    pid=$(cat "$state/xvfb.pid")
    kill "$pid" >/dev/null 2>&1 || true
    for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    rm -f "$state/xvfb.pid"
  fi
  rm -f "$state/display"
}

start_display() {
  if [ -f "$state/xvfb.pid" ] && kill -0 "$(cat "$state/xvfb.pid")" 2>/dev/null; then
    return
  fi
  if [ -n "${DISPLAY:-}" ] && [ "${PADWRIGHT_XVFB:-0}" != 1 ]; then
    echo "$DISPLAY" >"$state/display"
    return
  fi
  for n in $(seq 90 150); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    # -noreset: the root window's properties (the work area) outlive every client.
    Xvfb ":$n" -screen 0 "${PADWRIGHT_XVFB_SCREEN:-1280x800x24}" -nolisten tcp -noreset \
      </dev/null >"$state/xvfb.log" 2>&1 &
    echo $! >"$state/xvfb.pid"
    for _ in $(seq 100); do
      [ -e "/tmp/.X11-unix/X$n" ] && break
      sleep 0.05
    done
    if [ -e "/tmp/.X11-unix/X$n" ]; then
      echo ":$n" >"$state/display"
      set_work_area ":$n"
      return
    fi
    kill "$(cat "$state/xvfb.pid")" 2>/dev/null || true
    rm -f "$state/xvfb.pid"
  done
  echo "wine-env: no free X display for Xvfb" >&2
  exit 1
}

# Wine takes the work area from the root window's _NET_WORKAREA when _NET_SUPPORTED names
# it (what a window manager with a panel sets), read when its desktop starts.
set_work_area() {
  [ -n "${PADWRIGHT_XVFB_WORKAREA:-}" ] || return 0
  DISPLAY=$1 xprop -root -f _NET_SUPPORTED 32a -set _NET_SUPPORTED _NET_WORKAREA
  DISPLAY=$1 xprop -root -f _NET_WORKAREA 32c -set _NET_WORKAREA "$PADWRIGHT_XVFB_WORKAREA"
}

start() {
  start_display
  export DISPLAY
  DISPLAY=$(cat "$state/display")
  if [ ! -f "$prefix/system.reg" ]; then
    "$wine_bin/wine64" wineboot -i </dev/null >"$state/wineboot.log" 2>&1
  fi
  # Wine draws the caption buttons with Marlett, from Debian's fonts-wine; this Wine build
  # does not look in that package's folder, so the prefix gets its own copies.
  if compgen -G "/usr/share/wine/fonts/*.ttf" >/dev/null; then
    cp -n /usr/share/wine/fonts/*.ttf "$prefix/drive_c/windows/Fonts/" 2>/dev/null || true
  fi
  # A persistent server, started here so that no test's output pipe is inherited by it.
  "$wine_bin/wineserver" -p </dev/null >"$state/wineserver.log" 2>&1 || true
  # Test-only system DLLs (the simulated HID stack) and their registry settings.
  if compgen -G "$state/system32/*.dll" >/dev/null; then
    cp -f "$state"/system32/*.dll "$prefix/drive_c/windows/system32/"
  fi
  if compgen -G "$state/reg/*.reg" >/dev/null; then
    for reg in "$state"/reg/*.reg; do
      "$wine_bin/wine64" regedit /S "$(winepath_of "$reg")" </dev/null >>"$state/regedit.log" 2>&1
    done
  fi
  echo "wine environment ready: prefix $prefix, display $DISPLAY"
}

winepath_of() { echo "Z:${1//\//\\}"; }

# LogPixels of the user's desktop sets the scale of every window in the prefix. Processes
# that run keep the scale they started with (the desktop's among them), so the prefix's own
# wineserver, and with it all of the prefix's processes, is restarted when it changes.
set_dpi() {
  local dpi=${1:?dpi} key='HKCU\Control Panel\Desktop' current
  # Through a file: Wine processes that reg starts must not hold a pipe of ours open.
  "$wine_bin/wine64" reg query "$key" /v LogPixels </dev/null >"$state/logpixels" 2>/dev/null || true
  current=$(awk '$1 == "LogPixels" { print $3 }' "$state/logpixels" | tr -d '\r')
  [ "$((${current:-0}))" = "$dpi" ] && return
  "$wine_bin/wine64" reg add "$key" /v LogPixels /t REG_DWORD /d "$dpi" /f </dev/null \
    >>"$state/regedit.log" 2>&1
  "$wine_bin/wineserver" -k >/dev/null 2>&1 || true
  "$wine_bin/wineserver" -w >/dev/null 2>&1 || true
  "$wine_bin/wineserver" -p </dev/null >>"$state/wineserver.log" 2>&1 || true
  echo "wine prefix $prefix now at $dpi DPI"
}

case "$action" in
  start) start ;;
  stop) stop; echo "wine environment stopped" ;;
  dpi) set_dpi "${3:-96}" ;;
  *) echo "usage: $0 start|stop <build dir> | dpi <build dir> <dpi>" >&2; exit 2 ;;
esac
