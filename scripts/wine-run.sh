#!/usr/bin/env bash
# Runs one Windows program in the build tree's private Wine prefix (see wine-env.sh) and
# returns its exit code. Its output is collected in a file and printed afterwards, so that
# Wine processes it starts (explorer, services) never hold the caller's pipe open.
#   wine-run.sh <build dir> <program.exe> [args...]
set -uo pipefail

build=$(cd "${1:?build dir}" && pwd)
shift
state=$build/wine
export WINEPREFIX=$state/prefix WINEDEBUG=${WINEDEBUG:--all} WINEARCH=win64
if [ -f "$state/display" ]; then
  DISPLAY=$(cat "$state/display")
  export DISPLAY
fi
export PADWRIGHT_BUILD_DIR=$build

out=$(mktemp "$state/run.XXXXXX")
/usr/lib/wine/wine64 "$@" </dev/null >"$out" 2>&1
rc=$?
cat "$out"
rm -f "$out"
exit $rc
