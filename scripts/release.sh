#!/usr/bin/env bash
# Builds a release archive in a build tree of its own, without tests or benchmarks, and puts it
# into build/release/ beside SHA256SUMS (the checksums of every archive of this version there):
#   bash scripts/release.sh windows   -> build/release/padwright-<v>-win64.zip
#   bash scripts/release.sh linux     -> build/release/padwright-<v>-linux-x86_64.tar.gz
#                                        (fails when the binary is beyond its floors)
# The same commit gives the same bytes in any folder and at any time: the archive's time is
# the commit's, or SOURCE_DATE_EPOCH when set (cmake/RepackArchive.cmake). padwright.exe is
# signed when a certificate is named (cmake/SignExe.cmake), SHA256SUMS when an SSH key is
# (scripts/release-sums.sh); each says in one line when it is not.
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
rm -f "$build"/release/padwright-*.{zip,tar.gz}
(cd "$build" && cpack --config CPackConfig.cmake >>"$log" 2>&1) || { tail -n 30 "$log"; exit 1; }
if [ "$platform" = linux ]; then
  # The one binary for every current distribution: no library or symbol version beyond the
  # floors (cmake/LinuxFloors.cmake).
  cmake -DBINARY="$build/bin/padwright" -P cmake/LinuxFloors.cmake || exit 1
fi
# What the packaging said of the signature and of the archive's time.
grep -Eo '(padwright\.exe|padwright-[^ ]+): (signed|unsigned|entries).*' "$log" || true

shopt -s nullglob
made=("$build"/release/padwright-*.zip "$build"/release/padwright-*.tar.gz)
archive=${made[0]}
name=$(basename "$archive")
version=${name#padwright-}
version=${version%%-*}
mkdir -p build/release
cp "$archive" build/release/
bash scripts/release-sums.sh build/release "$version"
ls -1 "$PWD/build/release/$name" "$PWD"/build/release/SHA256SUMS*
# The program ships stripped; its debug information stays here, for reading a crash's
# addresses later (cmake/SplitDebug.cmake). Keep it with the release; do not publish it.
ls -1 "$build"/bin/padwright*.debug | sed 's/^/debug information (not shipped): /'
