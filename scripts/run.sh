#!/usr/bin/env bash
# The main job: builds Brivane and starts it under Wine (on $DISPLAY, or on a
# virtual screen whose screenshot is left in out/).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake --preset win64 >/dev/null
cmake --build --preset win64 -j"$(nproc)"
exec bash tools/lab/show.sh
