#!/usr/bin/env bash
# run_fuzzers.sh FUZZ_BUILD_DIR [SECONDS_PER_TARGET] [PARALLEL]
# Runs every fuzz target of FUZZ_BUILD_DIR (-DVOLVIEW_FUZZ=ON, --target fuzzers)
# for a bounded time, PARALLEL at a time (default: the processors), each first
# replaying its seeds in tests/fuzz/corpus/<target>/ (a crash input kept there
# is a regression test). New inputs go to FUZZ_BUILD_DIR/fuzz-corpus/<target>/,
# crashes to FUZZ_BUILD_DIR/fuzz-crashes/. Exits 1 when any target crashed,
# leaked, timed out (10 s an input), went over 2 GiB or broke a check.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:?usage: run_fuzzers.sh FUZZ_BUILD_DIR [SECONDS] [PARALLEL]}" && pwd)
seconds=${2:-45}
targets=(fuzz_dataset fuzz_program_text fuzz_plist fuzz_project fuzz_raw_import fuzz_scan_headers fuzz_dicom_series)
mkdir -p "$build/fuzz-crashes" "$build/fuzz-logs"
export LSAN_OPTIONS="suppressions=$here/lsan_suppressions.txt${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
run_one() {  # run_one TARGET SECONDS BUILD HERE
  mkdir -p "$3/fuzz-corpus/$1"
  "$3/tests/fuzz/$1" -max_total_time="$2" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$3/fuzz-crashes/$1-" "$3/fuzz-corpus/$1" "$4/corpus/$1" >"$3/fuzz-logs/$1.log" 2>&1 &&
    echo pass >"$3/fuzz-logs/$1.result" || echo fail >"$3/fuzz-logs/$1.result"
}
export -f run_one
start=$SECONDS
printf '%s\n' "${targets[@]}" | xargs -P "${3:-$(nproc)}" -I{} bash -c 'run_one "$@"' _ {} "$seconds" "$build" "$here"
failed=0
for target in "${targets[@]}"; do
  log="$build/fuzz-logs/$target.log"
  result=$(cat "$build/fuzz-logs/$target.result")
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  printf 'fuzz: %-18s %-4s %10s executions in %ss, %s inputs in its corpus\n' "$target" "$result" "${runs:-?}" \
    "$seconds" "$(find "$build/fuzz-corpus/$target" -type f | wc -l)"
  [ "$result" = pass ] && continue
  failed=1
  echo "---- $log (end)"
  grep -E 'ERROR|SUMMARY|check failed|Test unit written|artifact' "$log" | head -20 || true
  tail -5 "$log"
  echo "---- fix the fault, then keep the input as tests/fuzz/corpus/$target/crash-<what>"
done
echo "fuzz: $((SECONDS - start))s in all"
exit "$failed"
