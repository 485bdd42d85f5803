#!/usr/bin/env bash
# Runs a command in a private mount namespace in which the folder TREE (made if missing) is
# bound over /sys/class/power_supply, so that the command and every process it starts read a
# made-up machine's power supplies there. Wine reads that folder in each process itself, and
# a Wine program's children are forked from it, so they all see the same tree; the shared
# wineserver never reads it. The command finds TREE's path in PADWRIGHT_POWER_SUPPLY_TREE.
# Needs root (CI runs as root); without a namespace the command runs as it is, with
# PADWRIGHT_POWER_SUPPLY_SKIP saying why, and the tests that need the tree skip.
#   in-power-namespace.sh <tree> <command> [args...]
set -uo pipefail

tree=${1:?tree folder}
shift
mkdir -p "$tree" && tree=$(cd "$tree" && pwd)

why=
if [ "$(id -u)" != 0 ]; then
  why="not root: binding a tree over /sys/class/power_supply needs a mount namespace"
elif ! command -v unshare >/dev/null 2>&1; then
  why="unshare (util-linux) is not installed"
elif ! out=$(unshare -m sh -c 'mount --bind "$0" /sys/class/power_supply' "$tree" 2>&1); then
  why="unshare -m and mount --bind were refused: $out"
fi
if [ -n "$why" ]; then
  echo "in-power-namespace: $why" >&2
  PADWRIGHT_POWER_SUPPLY_SKIP=$why exec "$@"
fi

# unshare makes the new namespace's mounts private: the bind never reaches the host.
export PADWRIGHT_POWER_SUPPLY_TREE=$tree
exec unshare -m sh -c 'mount --bind "$0" /sys/class/power_supply && exec "$@"' "$tree" "$@"
