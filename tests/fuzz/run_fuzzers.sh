#!/usr/bin/env bash
# run_fuzzers.sh FUZZ_BUILD_DIR [SECONDS_PER_TARGET] [PARALLEL]
# Runs every fuzz target of FUZZ_BUILD_DIR (configured with -DVOLVIEW_FUZZ=ON,
# built with --target fuzzers) for a bounded time, PARALLEL at a time
# (default: the number of processors), starting from the seed inputs in
# tests/fuzz/corpus/<target>/. Each run first replays every seed, so a crash
# input kept there is a regression test. Inputs the run finds go to
# FUZZ_BUILD_DIR/fuzz-corpus/<target>/, crashes to FUZZ_BUILD_DIR/fuzz-crashes/.
# Prints one line per target with its executions; exits 1 when any target
# crashed, leaked, timed out or broke a check.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:?usage: run_fuzzers.sh FUZZ_BUILD_DIR [SECONDS] [PARALLEL]}" && pwd)
seconds=${2:-45}
parallel=${3:-$(nproc)}
targets=(fuzz_dataset fuzz_program_text fuzz_plist fuzz_project fuzz_raw_import fuzz_scan_headers)
mkdir -p "$build/fuzz-crashes" "$build/fuzz-logs"

run_one() {
  local target=$1 seconds=$2 build=$3 here=$4
  local work="$build/fuzz-corpus/$target"
  mkdir -p "$work"
  # -timeout: one input running 10 s is a hang; -rss_limit_mb: bounded memory.
  if "$build/tests/fuzz/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="$build/fuzz-crashes/$target-" \
      "$work" "$here/corpus/$target" >"$build/fuzz-logs/$target.log" 2>&1; then
    echo pass >"$build/fuzz-logs/$target.result"
  else
    echo fail >"$build/fuzz-logs/$target.result"
  fi
}
export -f run_one

start=$SECONDS
printf '%s\n' "${targets[@]}" |
  xargs -P "$parallel" -I{} bash -c 'run_one "$@"' _ {} "$seconds" "$build" "$here"

failed=0
for target in "${targets[@]}"; do
  log="$build/fuzz-logs/$target.log"
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  corpus=$(find "$build/fuzz-corpus/$target" -type f | wc -l)
  result=$(cat "$build/fuzz-logs/$target.result")
  printf 'fuzz: %-18s %-4s %10s executions in %ss, %s inputs in its corpus\n' \
    "$target" "$result" "${runs:-?}" "$seconds" "$corpus"
  if [ "$result" != pass ]; then
    failed=1
    echo "---- $log (end)"
    grep -E 'ERROR|SUMMARY|check failed|Test unit written|artifact' "$log" | head -20 || true
    tail -5 "$log"
    echo "---- fix the fault, then keep the input as tests/fuzz/corpus/$target/crash-<what>"
  fi
done
echo "fuzz: $((SECONDS - start))s in all"
exit "$failed"
