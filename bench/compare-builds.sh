#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# The stream, list and name-index benchmarks of two builds side by side, in alternating rounds,
# so that both meet the same load. Build the three programs in each first, e.g.
#   cmake -S . -B build-rel -DCMAKE_BUILD_TYPE=Release -DTORV_BUILD_TESTS=OFF -DTORV_BUILD_TOOLS=OFF
#   cmake --build build-rel --target stream_throughput vesk_bench name_collision_bench
# Usage: bash bench/compare-builds.sh BEFORE-BUILD AFTER-BUILD [rounds]   (default 3)
set -euo pipefail
before=${1:?before build dir}
after=${2:?after build dir}
rounds=${3:-3}
for build in "$before" "$after"; do
  for program in stream_throughput vesk_bench name_collision_bench; do
    [ -x "$build/bin/$program" ] || { echo "$build/bin/$program is missing" >&2; exit 1; }
  done
done
for ((round = 1; round <= rounds; ++round)); do
  for build in "$before" "$after"; do
    echo "=== round $round: $build"
    "$build/bin/stream_throughput"
    "$build/bin/vesk_bench" --benchmark_filter='ReceiveAndHandBack|Send|LookUpByName|ReplaceByName'
    "$build/bin/name_collision_bench"
  done
done
