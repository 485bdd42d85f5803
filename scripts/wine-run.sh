#!/usr/bin/env bash
# Runs one Windows program in the build tree's private Wine prefix (see wine-env.sh) and
# returns its exit code. Its output is collected in a file and printed afterwards, so that
# Wine processes it starts (explorer, services) never hold the caller's pipe open.
#   [PADWRIGHT_DPI=<dpi>] wine-run.sh <build dir> <program.exe> [args...]
# With PADWRIGHT_DPI the prefix is first switched to that scale (wine-env.sh dpi), and the
# program finds the variable in its environment. PADWRIGHT_BUILD_DIR, where screenshots go,
# defaults to <build dir>.
set -uo pipefail

build=$(cd "${1:?build dir}" && pwd)
shift
state=$build/wine
if [ -n "${PADWRIGHT_DPI:-}" ]; then
  bash "$(dirname "$0")/wine-env.sh" dpi "$build" "$PADWRIGHT_DPI" || exit 1
fi
export WINEPREFIX=$state/prefix WINEDEBUG=${WINEDEBUG:--all} WINEARCH=win64
if [ -f "$state/display" ]; then
  DISPLAY=$(cat "$state/display")
  export DISPLAY
fi
export PADWRIGHT_BUILD_DIR=${PADWRIGHT_BUILD_DIR:-$build}

out=$(mktemp "$state/run.XXXXXX")
/usr/lib/wine/wine64 "$@" </dev/null >"$out" 2>&1
rc=$?
cat "$out"
rm -f "$out"
exit $rc
