#!/usr/bin/env bash
# Installs the Debian packages the builds and tests need; does nothing when they are there.
# Both of Debian's Wines: the 32-bit one (wine32:i386, from the i386 architecture)
# runs the i686 program that ships; on machines that run no 32-bit programs the tests
# run the x86-64 build of the same source under the 64-bit one (wine64). Both
# install on either kind of machine (scripts/winearch.sh tells which one runs).
set -euo pipefail
packages=(
  cmake g++ make clang libclang-rt-14-dev clang-format
  libgtest-dev libbenchmark-dev libstb-dev fonts-dejavu-core
  g++-mingw-w64-i686-win32 binutils-mingw-w64-i686
  g++-mingw-w64-x86-64-win32 binutils-mingw-w64-x86-64
  wine wine32:i386 wine64 fonts-wine xvfb xauth xdotool imagemagick fp-utils zip unzip
  python3 python3-pytest
  # the lab's German and French editions: Wine in their locales, which must exist for
  # the lab's helpers to get captions such as "Défragmenteur de disque" on their
  # command lines
  locales
  # the i486 runtime build: fetches and unpacks Debian's mingw-w64 and gcc-12 sources
  dpkg-dev bzip2 xz-utils
)
update=0
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
  update=1
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  update=1
fi
export DEBIAN_FRONTEND=noninteractive
here=$(dirname "$0")
((update == 0)) || bash "$here/heartbeat.sh" deps apt-get update -qq
((${#missing[@]} == 0)) ||
  bash "$here/heartbeat.sh" deps apt-get install -y -qq --no-install-recommends "${missing[@]}"
# Locales the lab runs Wine under; generated once, kept by the system afterwards.
lab_locales=(de_DE.UTF-8 fr_FR.UTF-8)
generate=0
for l in "${lab_locales[@]}"; do
  # locale -a names them in lower case without the hyphen: de_DE.utf8
  short=${l%.UTF-8}.utf8
  locale -a 2>/dev/null | grep -qx "$short" && continue
  sed -i "s/^# *\($l UTF-8\)$/\1/" /etc/locale.gen
  grep -qx "$l UTF-8" /etc/locale.gen || echo "$l UTF-8" >>/etc/locale.gen
  generate=1
done
((generate == 0)) || bash "$here/heartbeat.sh" deps locale-gen
