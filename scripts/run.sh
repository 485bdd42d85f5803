#!/usr/bin/env bash
# Builds padwright.exe for Windows x64 and runs it under Wine against the simulated
# controller (the controller simulator behind the simulated HID stack, and the stand-in
# physical-memory library), with a generated firmware image "firmware.vxf" beside it in
# <build>/demo.
#  - With a display: the tool's window opens there; close it to end.
#  - Without one: on a virtual display a demonstration presses Update itself, saves
#    screenshots in <build>/screenshots/ and ends.
#   bash scripts/run.sh [build dir]      (default: build/windows, the "windows" preset)
#
# With --linux it builds the Linux padwright command instead and runs it, in the terminal,
# against the same simulator through the stand-in for hidraw, sysfs and /dev/mem (no root):
#   bash scripts/run.sh --linux [update|recover|status] [--cut-transfer]
# --cut-transfer drops the controller half-way through the transfer, so that the failed
# update offers the recovery (it starts after a countdown; n leaves it).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

if [ "${1:-}" = "--linux" ]; then
  shift
  command=update
  options=()
  for arg in "$@"; do
    case "$arg" in
      --cut-transfer) options+=("$arg") ;;
      *) command=$arg ;;
    esac
  done
  mkdir -p build/logs
  log=$PWD/build/logs/run-linux-build.log
  cmake --preset native >"$log" 2>&1 || { tail -n 30 "$log"; exit 1; }
  echo "Building padwright and the simulator's stand-in in build/native ..."
  cmake --build --preset native -j "$(nproc)" --target padwright padwright-sim >>"$log" 2>&1 ||
    { grep -E 'error' "$log" | head -n 30; exit 1; }
  demo=$PWD/build/native/demo
  mkdir -p "$demo"
  # A made-up image of 40000 bytes: what the simulator receives is compared with it.
  head -c 40000 /dev/urandom >"$demo/firmware.vxf"
  cd "$demo"
  if [ "$command" = recover ]; then
    options+=(--hold-home)
  fi
  exec ../bin/padwright-sim "${options[@]}" -- ../bin/padwright "$command"
fi
mkdir -p build/logs
log=$PWD/build/logs/run-build.log
if [ $# -ge 1 ]; then
  mkdir -p "$1"
  build=$(cd "$1" && pwd)
  cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release >"$log" 2>&1 || { tail -n 30 "$log"; exit 1; }
else
  build=$PWD/build/windows
  cmake --preset windows >"$log" 2>&1 || { tail -n 30 "$log"; exit 1; }
fi
echo "Building padwright.exe and the simulated controller in $build ..."
cmake --build "$build" -j "$(nproc)" --target padwright inpoutx64 padwright_simulated_hid \
  padwright_demo >>"$log" 2>&1 || { grep -E 'error' "$log" | head -n 30; exit 1; }

virtual=0
if [ -z "${DISPLAY:-}" ]; then
  virtual=1
  export PADWRIGHT_XVFB=1
fi
bash scripts/wine-env.sh start "$build" >/dev/null
trap 'bash scripts/wine-env.sh stop "$build" >/dev/null 2>&1 || true' EXIT

if [ "$virtual" = 0 ]; then
  bash scripts/wine-run.sh "$build" "$build/bin/padwright_demo.exe" --interactive
  exit 0
fi

echo "No display: running a demonstration upgrade on a virtual one ..."
status=0
bash scripts/wine-run.sh "$build" "$build/bin/padwright_demo.exe" --demonstrate || status=$?
echo "Screenshots:"
ls -1 "$build"/screenshots/demo-*.png 2>/dev/null || echo "  (none)"
exit "$status"
