#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# scripts/install-bwipjs.sh BUILD: installs the npm package bwip-js into BUILD/bwipjs, where the
# MicroPDF417 comparison test finds it (it is skipped without). Needs node and npm.
set -euo pipefail
build=${1:?usage: install-bwipjs.sh BUILD}
mkdir -p "$build/bwipjs"
cd "$build/bwipjs"
[ -f package.json ] || echo '{"name": "torv-bwipjs", "private": true}' > package.json
[ -f node_modules/bwip-js/package.json ] && exit 0
npm install --no-audit --no-fund --silent bwip-js@4.11.4
