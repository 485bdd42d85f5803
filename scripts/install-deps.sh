#!/usr/bin/env bash
# Installs the Debian packages that building and testing Padwright on Linux needs.
# Runs apt-get update once, and only when something is missing.
set -euo pipefail

packages=(
  cmake g++ make libgtest-dev libbenchmark-dev
  g++-mingw-w64-x86-64-posix mingw-w64-tools
  wine64 fonts-wine xvfb x11-utils imagemagick fonts-wqy-microhei xauth tmux
  zip unzip faketime osslsigncode openssl openssh-client softhsm2 libengine-pkcs11-openssl
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo_cmd apt-get update -qq >/dev/null
  $sudo_cmd apt-get install -y --no-install-recommends "${missing[@]}" >/dev/null
fi
