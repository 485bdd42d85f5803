#!/usr/bin/env bash
# Writes SHA256SUMS beside the release archives of one version, in the format `sha256sum -c`
# reads, and signs it with the maintainer's SSH key when PADWRIGHT_SIGN_SSH_KEY names one
# (SHA256SUMS.sig; `ssh-keygen -Y verify -n file` checks it; the key may be the public half of
# a key held by ssh-agent). A signature left from an earlier list is removed, never kept.
#   bash scripts/release-sums.sh <folder> <version>
set -euo pipefail

folder=$1
version=$2
cd "$folder"
shopt -s nullglob
archives=(padwright-"$version"-*.zip padwright-"$version"-*.tar.gz)
if [ ${#archives[@]} -eq 0 ]; then
  echo "no release archive of $version in $folder" >&2
  exit 1
fi
mapfile -t archives < <(printf '%s\n' "${archives[@]}" | LC_ALL=C sort)
sha256sum "${archives[@]}" >SHA256SUMS.new
mv SHA256SUMS.new SHA256SUMS
rm -f SHA256SUMS.sig
if [ -n "${PADWRIGHT_SIGN_SSH_KEY:-}" ]; then
  ssh-keygen -q -Y sign -f "$PADWRIGHT_SIGN_SSH_KEY" -n file SHA256SUMS
  echo "SHA256SUMS: signed with $PADWRIGHT_SIGN_SSH_KEY (SHA256SUMS.sig)"
else
  echo "SHA256SUMS: not signed; to sign it, set PADWRIGHT_SIGN_SSH_KEY (see README)"
fi
