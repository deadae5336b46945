#!/usr/bin/env bash
# Every test: the native suite (headless desktop, ASan and UBSan), the Windows
# i686 build, the Windows 95 import check and the tests under 32-bit Wine on Xvfb.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
mkdir -p out

jobs=$(nproc)
cmake --preset native >/dev/null
cmake --build --preset native -j"$jobs"
ctest --test-dir build/native --output-on-failure -j"$jobs"
bash tests/fuzz/run.sh

cmake --preset win32 >/dev/null
cmake --build --preset win32 -j"$jobs"

# Every script under Wine runs, even after a failure; the tally comes last.
passed=0 failed=0 failures=()
for t in tests/wine/*.sh; do
  [ -e "$t" ] || continue
  [ "$(basename "$t")" = lib.sh ] && continue  # helpers, sourced by the others
  echo "== $t"
  if bash "$t"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    failures+=("$t")
  fi
done
((failed == 0)) || printf 'FAILED: %s\n' "${failures[@]}"
echo "wine: $passed passed, $failed failed"
((failed == 0))
