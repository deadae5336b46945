#!/usr/bin/env bash
# Every test: the native suite (headless desktop, ASan and UBSan, the format check),
# the fuzzer (the committed corpus replayed, then a minute of fuzzing), and the
# tests under 32-bit Wine on Xvfb against the i686 build that ships (the lab's
# whole runs among them). Every test runs under CTest with a time limit; a failure
# does not stop the rest, and the command fails at the end.
set -uo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh || exit 1
mkdir -p out

jobs=$(nproc)
for preset in native win32; do
  cmake --preset "$preset" || exit 1
  cmake --build --preset "$preset" -j"$jobs" || exit 1
done

failed=()
ctest --preset native || failed+=(native)
bash tests/fuzz/run.sh || failed+=(fuzz)
ctest --preset wine || failed+=(wine)

if ((${#failed[@]})); then
  echo "test.sh: FAILED: ${failed[*]}"
  exit 1
fi
echo "test.sh: every test passed"
