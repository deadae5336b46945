#!/usr/bin/env bash
# Every test: the native suite (headless desktop, ASan and UBSan, the format check),
# the fuzzer (the committed corpus replayed, then a minute of fuzzing), and the
# tests under Wine on Xvfb (the lab's whole runs among them). Every test runs under
# CTest with a time limit; a failure does not stop the rest, and the command fails
# at the end.
#
# The tests under Wine run the i686 brivane.exe that ships, under 32-bit Wine, where
# the machine runs 32-bit programs; elsewhere the x86-64 build of the same source
# under 64-bit Wine, and the shipped file gets the checks that need no 32-bit
# program: its i486 runtime and instruction check (at its link), the release zip
# and the Windows 95 import check (scripts/winearch.sh; BRIVANE_WINE_ARCH overrides).
set -uo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh || exit 1
mkdir -p out
arch=$(bash scripts/winearch.sh) || exit 1
export BRIVANE_WINE_ARCH=$arch
jobs=$(nproc)

build() {
  echo "test.sh: building the $1 preset"
  cmake --build --preset "$1" -j"$jobs"
}

# The win32 configure builds the i486 runtime when it is not cached: minutes of
# mostly serial work (downloads, configure scripts), done beside the native build
# and its tests. Its output goes to a log, shown whole once it is needed.
echo "test.sh: configuring the win32 preset in the background (out/configure-win32.log)"
setsid cmake --preset win32 >out/configure-win32.log 2>&1 </dev/null &
win32_configure=$!
# Whatever ends this script ends that too, with everything it started.
trap 'kill -- -"$win32_configure" 2>/dev/null' EXIT

cmake --preset native && build native || exit 1
if [ "$arch" = win64 ]; then
  cmake --preset win64 && build win64 || exit 1
fi

failed=()
ctest --preset native || failed+=(native)

# The fuzzer and, where the tests under Wine run the x86-64 build, those tests
# too, need nothing of the win32 build: they run while its configure still works.
bash tests/fuzz/run.sh || failed+=(fuzz)
if [ "$arch" = win64 ]; then
  ctest --preset wine64 || failed+=(wine64)
  tested="build/win64/brivane.exe (x86-64, the same source) under 64-bit Wine"
fi

echo "test.sh: the win32 configure (the i486 runtime's build when it is not cached):"
tail -n +1 -f --pid="$win32_configure" out/configure-win32.log
wait "$win32_configure" || { echo "test.sh: FAILED: the win32 configure"; exit 1; }
build win32 || exit 1

if [ "$arch" = win32 ]; then
  ctest --preset wine || failed+=(wine)
  tested="build/win32/brivane.exe (i686, the file that ships) under 32-bit Wine"
else
  ctest --preset release || failed+=(release)
fi

echo "test.sh: the tests under Wine ran $tested"
if [ "$arch" = win64 ]; then
  echo "test.sh: the shipped i686 build/win32/brivane.exe was checked statically only" \
    "(winearch's line above says why): its i486 runtime and instructions, the release zip," \
    "its Windows 95 imports"
fi
if ((${#failed[@]})); then
  echo "test.sh: FAILED: ${failed[*]}"
  exit 1
fi
echo "test.sh: every test passed"
