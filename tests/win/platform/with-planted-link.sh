#!/usr/bin/env bash
# Plants a symbolic link to a folder, then runs a command: Wine shows such a link as a
# reparse point but cannot make one itself, so a test of what the product does with one
# needs it made from outside. The target folder is made if missing.
#   with-planted-link.sh <link> <target folder> <command> [args...]
set -euo pipefail

link=${1:?link path}
target=${2:?target folder}
shift 2
mkdir -p "$(dirname "$link")" "$target"
ln -sfn "$target" "$link"
exec "$@"
