#!/usr/bin/env bash
# Makes the pictures of docs/USER-GUIDE.md again: builds padwright.exe and the demonstration
# driver, runs the shipped exe under Wine on a virtual display against the simulated
# controller (an update, an update cut off half-way and its recovery, a restore that fails),
# and writes each screenshot, cropped to the window, compressed into docs/images/.
#   bash scripts/guide-images.sh
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
build=$PWD/build/windows
mkdir -p build/logs
log=$PWD/build/logs/guide-images.log
cmake --preset windows >"$log" 2>&1 || { tail -n 30 "$log"; exit 1; }
cmake --build "$build" -j "$(nproc)" --target padwright inpoutx64 padwright_simulated_hid \
  padwright_demo >>"$log" 2>&1 || { grep -E 'error' "$log" | head -n 30; exit 1; }

export PADWRIGHT_XVFB=1
bash scripts/wine-env.sh start "$build" >/dev/null
trap 'bash scripts/wine-env.sh stop "$build" >/dev/null 2>&1 || true' EXIT
rm -f "$build"/screenshots/guide-*.png
bash scripts/wine-run.sh "$build" "$build/bin/padwright_demo.exe" --guide

mkdir -p docs/images
for shot in "$build"/screenshots/guide-*.png; do
  name=$(basename "$shot")
  convert "$shot" -strip -define png:compression-level=9 "docs/images/${name#guide-}"
  echo "docs/images/${name#guide-}"
done
