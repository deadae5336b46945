#!/usr/bin/env bash
# Builds the fuzz target of the armed load with clang and runs it for a bounded
# time, then prints the run count and the corpus size. By hand, longer:
#   BRIVANE_FUZZ_SECONDS=3600 bash tests/fuzz/run.sh
# A crash leaves its input in the build folder (crash-*) and fails the script.
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${BRIVANE_FUZZ_BUILD:-build/fuzz}
seconds=${BRIVANE_FUZZ_SECONDS:-60}

cmake -S tests/fuzz -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang >/dev/null
cmake --build "$build" -j"$(nproc)" >/dev/null
mkdir -p "$build/corpus"
log="$build/fuzz.log"
# New inputs go to the build's corpus; the committed seeds stay as they are.
if ! "$build/settings_fuzz" -max_total_time="$seconds" -max_len=4096 -print_final_stats=1 \
  -dict=tests/fuzz/settings.dict -artifact_prefix="$build/" \
  "$build/corpus" tests/fuzz/corpus >"$log" 2>&1; then
  tail -40 "$log"
  echo "fuzz: FAILED (log: $log)"
  exit 1
fi
runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
corpus=$(sed -n 's/.*DONE .* corp: \([0-9]*\/[0-9a-zA-Z]*\).*/\1/p' "$log")
echo "fuzz: $runs runs in ${seconds} s; corpus ${corpus} (units/bytes);" \
  "$(find "$build/corpus" -type f | wc -l) units kept in $build/corpus," \
  "$(find tests/fuzz/corpus -type f | wc -l) seeds"
