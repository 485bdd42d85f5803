#!/usr/bin/env bash
# Builds a release archive in a build tree of its own, without tests or benchmarks:
#   bash scripts/release.sh windows   -> build/release-windows/release/padwright-<v>-win64.zip
#   bash scripts/release.sh linux     -> build/release-linux/release/padwright-<v>-linux-x86_64.tar.gz
#                                        (fails when the binary is beyond its floors)
set -euo pipefail
cd "$(dirname "$0")/.."

platform=${1:-}
case "$platform" in
  windows) toolchain=(-DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake") ;;
  linux) toolchain=() ;;
  *) echo "usage: $0 windows|linux" >&2; exit 2 ;;
esac

bash scripts/install-deps.sh
build=$PWD/build/release-$platform
mkdir -p build/logs
log=$PWD/build/logs/release-$platform.log
cmake -S . -B "$build" "${toolchain[@]}" -DCMAKE_BUILD_TYPE=Release -DPADWRIGHT_TESTS=OFF \
  -DPADWRIGHT_BENCHMARKS=OFF >"$log" 2>&1 || { tail -n 30 "$log"; exit 1; }
cmake --build "$build" -j "$(nproc)" >>"$log" 2>&1 || { grep -E 'error' "$log" | head -n 30; exit 1; }
(cd "$build" && cpack --config CPackConfig.cmake >>"$log" 2>&1) || { tail -n 30 "$log"; exit 1; }
if [ "$platform" = linux ]; then
  # The one binary for every current distribution: no library or symbol version beyond the
  # floors (cmake/LinuxFloors.cmake).
  cmake -DBINARY="$build/bin/padwright" -P cmake/LinuxFloors.cmake || exit 1
fi
ls -1 "$build"/release/padwright-*.{zip,tar.gz} 2>/dev/null
