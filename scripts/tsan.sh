#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# The Linux suite under ThreadSanitizer, with the thread tests at stress rounds: any data race
# fails the run. The libraries themselves start no thread; the tests drive them from many.
# Usage: scripts/tsan.sh [build-dir] [extra cmake arguments...]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-tsan}
shift || true
bash scripts/install-deps.sh
# Benchmarks and fuzz targets add nothing here; the suite replays the fuzz inputs anyway.
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTORV_BUILD_BENCH=OFF \
  -DCMAKE_C_FLAGS="-fsanitize=thread -fno-omit-frame-pointer" \
  -DCMAKE_CXX_FLAGS="-fsanitize=thread -fno-omit-frame-pointer" \
  -DCMAKE_EXE_LINKER_FLAGS=-fsanitize=thread -DCMAKE_SHARED_LINKER_FLAGS=-fsanitize=thread "$@"
cmake --build "$build" -j "$(nproc)"
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 ${TSAN_OPTIONS:-}"
# The decode campaign is one thread's arithmetic at length; the ordinary suite covers it. The
# thread stress test runs on its own afterwards, at more rounds, and prints its counts.
ctest --test-dir "$build" --output-on-failure -j "$(nproc)" -LE campaign -E '^Threads\.'
TORV_THREAD_ROUNDS=${TORV_THREAD_ROUNDS:-60} "$build/bin/component_host_tests" --gtest_filter='Threads.*'
