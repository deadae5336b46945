#!/usr/bin/env bash
# The main job: builds Brivane (win64, for Wine) and runs its whole cycle in the lab:
# armed through its window, restarted into Brivane, the run with the stand-in disk
# tools, Explorer back. On $DISPLAY when set, else on Xvfb; screenshots of each stage
# and the tools' log are left in out/lab/run/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
export BRIVANE_WIN64_BUILD=${BRIVANE_WIN64_BUILD:-$PWD/build/win64}
cmake --preset win64 -B "$BRIVANE_WIN64_BUILD" >/dev/null
cmake --build "$BRIVANE_WIN64_BUILD" -j"$(nproc)"
exec bash tools/lab/show.sh "$@"
