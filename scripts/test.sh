#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# Installs what is missing, configures, builds and runs every test.
# Usage: scripts/test.sh [build-dir] [extra cmake arguments...]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
shift || true
bash scripts/install-deps.sh
cmake -S . -B "$build" "$@"
cmake --build "$build" -j "$(nproc)"
ctest --test-dir "$build" --output-on-failure -j "$(nproc)"
