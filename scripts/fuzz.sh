#!/usr/bin/env bash
# Long fuzzing outside CI: builds every libFuzzer target (clang, AddressSanitizer)
# into build-fuzz/ and runs each for MINUTES (default 10) on a corpus that is
# kept between runs in .fuzz-corpus/<target>/. Findings (crash-*, leak-*,
# timeout-*) are written to .fuzz-corpus/findings/; the script ends non-zero
# when a target found something. Prints one line per target: time and result.
#   scripts/fuzz.sh [MINUTES] [TARGET...]
# FUZZ_JOBS=N runs N targets at a time (default 1).
set -euo pipefail
cd "$(dirname "$0")/.."
MINUTES="${1:-10}"
shift || true
Q3_BUILD_DIR=build-fuzz CC=clang CXX=clang++ bash scripts/build.sh -DQ3_CORE_ONLY=ON -DQ3_FUZZ=ON \
  -DCMAKE_BUILD_TYPE=Debug
mkdir -p .fuzz-corpus/findings
targets=("$@")
if ((${#targets[@]} == 0)); then
  for f in build-fuzz/tests/fuzz/fuzz_*; do
    [ -f "$f" ] && [ -x "$f" ] && targets+=("$(basename "$f")")
  done
fi
one() {
  local t="$1" corpus=".fuzz-corpus/$1" start result runs
  mkdir -p "$corpus"
  start=$(date +%s)
  if "build-fuzz/tests/fuzz/$t" "$corpus" -max_total_time=$((MINUTES * 60)) -rss_limit_mb=2048 \
      -artifact_prefix=".fuzz-corpus/findings/$t-" -print_final_stats=1 \
      >".fuzz-corpus/$t.log" 2>&1; then
    result="no findings"
  else
    result="FINDING (see .fuzz-corpus/$t.log)"
  fi
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' ".fuzz-corpus/$t.log" | grep -o '[0-9]*$' || echo "?")
  echo "$t: $(( $(date +%s) - start )) s, $runs runs, corpus $(ls "$corpus" | wc -l) inputs: $result"
  [ "$result" = "no findings" ]
}
failed=0
jobs="${FUZZ_JOBS:-1}"
pids=()
for t in "${targets[@]}"; do
  one "$t" &
  pids+=($!)
  if ((${#pids[@]} >= jobs)); then
    wait "${pids[0]}" || failed=1
    pids=("${pids[@]:1}")
  fi
done
for p in "${pids[@]}"; do wait "$p" || failed=1; done
exit "$failed"
