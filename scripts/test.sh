#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# Installs what is missing, configures, builds and runs every test.
# Usage: scripts/test.sh [build-dir] [extra cmake arguments...]
# TORV_CTEST_ARGS adds arguments to ctest (e.g. "-LE windows-compare" leaves out the tests that
# compare with the Windows builds' pictures, which CI runs after those builds).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
shift || true
bash scripts/install-deps.sh
# BWIPP (the npm package bwip-js, run with Node) draws MicroPDF417 beside ours in one test.
if command -v npm >/dev/null 2>&1; then
  bash scripts/install-bwipjs.sh "$build" || echo "bwip-js could not be installed: the BWIPP comparison is skipped" >&2
fi
cmake -S . -B "$build" "$@"
cmake --build "$build" -j "$(nproc)"
# shellcheck disable=SC2086
ctest --test-dir "$build" --output-on-failure -j "$(nproc)" ${TORV_CTEST_ARGS:-}
