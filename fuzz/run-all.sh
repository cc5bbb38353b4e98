#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# Builds the libFuzzer targets with clang (AddressSanitizer, UndefinedBehaviorSanitizer, leak
# detection) and runs every target for a bounded time, starting from its committed regression
# inputs and seed corpus. Exits non-zero when any target reports a finding (crash, broken
# property, sanitizer report, leak, timeout, memory limit).
#
# Usage: fuzz/run-all.sh [seconds per target]          (default 60)
# Environment: FUZZ_BUILD_DIR (default build-fuzz), FUZZ_JOBS (targets run side by side, default
# the number of cores), FUZZ_TARGETS (space-separated subset).
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD
seconds=${1:-60}
build=${FUZZ_BUILD_DIR:-build-fuzz}
jobs=${FUZZ_JOBS:-$(nproc)}
targets=(${FUZZ_TARGETS:-attribute_list data_input client_exports component encoder picture_loader pdf417_command})
started=$(date +%s)

cmake -S . -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DTORV_BUILD_FUZZ=ON -DTORV_BUILD_TESTS=OFF \
  -DTORV_BUILD_TOOLS=OFF -DTORV_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null || exit 1
cmake --build "$build" -j "$(nproc)" --target fuzz_targets || exit 1
built=$(date +%s)

work="$root/$build/fuzz-work"
rm -rf "$work"
mkdir -p "$work"
export ASAN_OPTIONS=${ASAN_OPTIONS:-}${ASAN_OPTIONS:+:}detect_leaks=1
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-}${UBSAN_OPTIONS:+:}print_stacktrace=1:halt_on_error=1

# One target: a fresh working corpus, then the regressions and seeds (read first, never changed).
run_target() {
  local name=$1
  mkdir -p "$work/$name-corpus"
  "$root/$build/bin/${name}_fuzzer" "$work/$name-corpus" "$root/fuzz/regressions/$name" "$root/fuzz/corpus/$name" \
    -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$work/$name-" >"$work/$name.log" 2>&1
  echo $? >"$work/$name.status"
}
export -f run_target
export root build work seconds

printf '%s\n' "${targets[@]}" | xargs -P "$jobs" -I{} bash -c 'run_target {}'

failed=0
printf '%-16s %12s %8s %8s  %s\n' target executions cov ft result
for name in "${targets[@]}"; do
  log="$work/$name.log"
  status=$(cat "$work/$name.status" 2>/dev/null || echo 1)
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)
  ft=$(grep -o 'ft: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)
  result=ok
  if [ "$status" != 0 ]; then
    result="FINDING (exit $status)"
    failed=1
  fi
  printf '%-16s %12s %8s %8s  %s\n' "$name" "${execs:-?}" "${cov:-?}" "${ft:-?}" "$result"
done
finished=$(date +%s)
echo "build $((built - started)) s, fuzzing $((finished - built)) s"

if [ "$failed" != 0 ]; then
  for name in "${targets[@]}"; do
    [ "$(cat "$work/$name.status" 2>/dev/null || echo 1)" = 0 ] && continue
    echo "=== $name: $work/$name.log"
    grep -E -A40 '^==[0-9]+==ERROR|property broken|runtime error|^SUMMARY' "$work/$name.log" | head -80
    find "$work" -maxdepth 1 -type f -name "$name-*"
  done
  echo "A finding's input belongs in fuzz/regressions/<target>/ so the test suite replays it." >&2
fi
exit "$failed"
