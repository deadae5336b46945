#!/usr/bin/env bash
# The main job: builds Brivane (the i686 program that ships) and runs its whole cycle
# under 32-bit Wine in the lab:
# armed through its window, restarted into Brivane, the run with the stand-in disk
# tools, Explorer back. On $DISPLAY when set, else on Xvfb; screenshots of each stage
# and the tools' log are left in out/lab/run/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
export BRIVANE_WIN32_BUILD=${BRIVANE_WIN32_BUILD:-$PWD/build/win32}
cmake --preset win32 -B "$BRIVANE_WIN32_BUILD" >/dev/null
cmake --build "$BRIVANE_WIN32_BUILD" -j"$(nproc)"
# Debian's python3, whatever python3 comes first on the PATH.
exec /usr/bin/python3 tools/lab/show.py "$@"
