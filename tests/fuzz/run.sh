#!/usr/bin/env bash
# Builds the fuzz target of the armed load with clang, replays the committed
# corpus (each input once: any crash fails the script), then fuzzes for a
# bounded time and prints the run count and the corpus size. The mutations
# follow seed 1, so the test command's minute is the same on every machine (a
# faster one goes further along the same path); by hand, longer, from a fresh seed:
#   BRIVANE_FUZZ_SECONDS=3600 BRIVANE_FUZZ_SEED=0 bash tests/fuzz/run.sh
# A crash leaves its input in the build folder (crash-*) and fails the script.
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${BRIVANE_FUZZ_BUILD:-build/fuzz}
seconds=${BRIVANE_FUZZ_SECONDS:-60}
seed=${BRIVANE_FUZZ_SEED:-1}  # 0: libFuzzer picks one

echo "fuzz: building the fuzz target with clang ($build)"
cmake -S tests/fuzz -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang >/dev/null
bash scripts/heartbeat.sh fuzz cmake --build "$build" -j"$(nproc)" >/dev/null
mkdir -p "$build/corpus"

# The fuzz target's operator new and delete (recycled_blocks.cpp) must keep the
# reports ASan's own make: each deliberate fault of recycled_blocks_check is one.
check=$build/recycled_blocks_check
faults=(
  "new[]-delete|operator delete of a block from new[]"
  "new-delete[]|operator delete[] of a block from new"
  "malloc-delete|operator delete of a block not from new"
  "delete-twice|freed by thread"
  "new-free|attempting free on address which was not malloc()-ed"
  "underflow|use-after-poison"
  "overflow|heap-buffer-overflow"
  "use-after-recycle|use-after-poison"
  "delete-after-recycle|a large block deleted already"
)
for fault in "${faults[@]}"; do
  # (The braces keep bash's own line about the abort out of the output.)
  if { "$check" "${fault%%|*}" >"$build/check.log" 2>&1; } 2>/dev/null ||
    ! grep -qF -- "${fault#*|}" "$build/check.log"; then
    tail -20 "$build/check.log"
    echo "fuzz: FAILED: recycled_blocks_check ${fault%%|*} did not report \"${fault#*|}\""
    exit 1
  fi
done
if ! "$check" recycles >"$build/check.log" 2>&1; then
  tail -20 "$build/check.log"
  echo "fuzz: FAILED: recycled_blocks_check recycles"
  exit 1
fi
echo "fuzz: the allocator reported ${#faults[@]} deliberate faults; $(cat "$build/check.log")"

mapfile -t seeds < <(find tests/fuzz/corpus -type f | sort)
if ! "$build/settings_fuzz" "${seeds[@]}" >"$build/replay.log" 2>&1; then
  tail -40 "$build/replay.log"
  echo "fuzz: FAILED replaying the committed corpus (log: $build/replay.log)"
  exit 1
fi
echo "fuzz: replayed ${#seeds[@]} committed inputs"

log="$build/fuzz.log"
# New inputs go to the build's corpus; the committed seeds stay as they are.
# Allocation stacks are kept short while fuzzing (recording each costs a tenth
# of the time); replaying a crash-* input by hand gives the full report.
if ! ASAN_OPTIONS=${ASAN_OPTIONS:-malloc_context_size=4} "$build/settings_fuzz" -seed="$seed" -max_total_time="$seconds" -max_len=4096 -print_final_stats=1 \
  -dict=tests/fuzz/settings.dict -artifact_prefix="$build/" \
  "$build/corpus" tests/fuzz/corpus >"$log" 2>&1; then
  tail -40 "$log"
  echo "fuzz: FAILED (log: $log)"
  exit 1
fi
runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
corpus=$(sed -n 's/.*DONE .* corp: \([0-9]*\/[0-9a-zA-Z]*\).*/\1/p' "$log")
cov=$(sed -n 's/.*DONE *cov: \([0-9]*\) ft: \([0-9]*\).*/\1 edges, \2 features/p' "$log")
echo "fuzz: $runs runs in ${seconds} s; corpus ${corpus} (units/bytes);" \
  "$(find "$build/corpus" -type f | wc -l) units kept in $build/corpus," \
  "$(find tests/fuzz/corpus -type f | wc -l) seeds"
echo "fuzz: $((runs / seconds)) runs/s; coverage $cov"
