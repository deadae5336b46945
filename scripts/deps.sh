#!/usr/bin/env bash
# Installs the Debian packages the builds and tests need; does nothing when they are there.
set -euo pipefail
packages=(
  cmake g++ make clang libclang-rt-14-dev clang-format
  libgtest-dev libbenchmark-dev libstb-dev fonts-dejavu-core
  mingw-w64 g++-mingw-w64-i686-win32 g++-mingw-w64-x86-64-win32 binutils-mingw-w64
  wine wine64 fonts-wine xvfb xauth xdotool imagemagick fp-utils zip unzip
  # runtime/build.sh: fetches and unpacks Debian's mingw-w64 and gcc-12 sources
  dpkg-dev bzip2 xz-utils
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
