#!/usr/bin/env bash
# The main job: builds Brivane and runs its whole cycle under Wine in the lab: armed
# through its window, restarted into Brivane, the run with the stand-in disk tools,
# Explorer back. The i686 program that ships runs under 32-bit Wine where the
# machine runs 32-bit programs; elsewhere the x86-64 build of the same source under
# 64-bit Wine (scripts/winearch.sh; BRIVANE_WINE_ARCH overrides). On $DISPLAY when
# set, else on Xvfb; screenshots of each stage and the tools' log are left in
# out/lab/run/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
BRIVANE_WINE_ARCH=$(bash scripts/winearch.sh)
export BRIVANE_WINE_ARCH
export BRIVANE_WIN32_BUILD=${BRIVANE_WIN32_BUILD:-$PWD/build/$BRIVANE_WINE_ARCH}
echo "run.sh: configuring the $BRIVANE_WINE_ARCH build (the i686 one builds its i486 runtime once)"
cmake --preset "$BRIVANE_WINE_ARCH" -B "$BRIVANE_WIN32_BUILD" | grep -v '^-- \(Detecting\|Check\|Looking\|Performing\)' || exit 1
echo "run.sh: building"
cmake --build "$BRIVANE_WIN32_BUILD" -j"$(nproc)"
# Debian's python3, whatever python3 comes first on the PATH.
/usr/bin/python3 tools/lab/show.py "$@" && status=0 || status=$?
exe=build/$BRIVANE_WINE_ARCH/brivane.exe
if [ "$status" != 0 ]; then
  echo "run.sh: FAILED: the cycle of $exe did not end as it should (see above)"
elif [ "$BRIVANE_WINE_ARCH" = win64 ]; then
  echo "run.sh: this ran $exe, the x86-64 build of the same source, under 64-bit Wine;" \
    "the i686 file that ships did not run (winearch's line above says why)"
else
  echo "run.sh: this ran $exe, the i686 file that ships, under 32-bit Wine"
fi
exit "$status"
