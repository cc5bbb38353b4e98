#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# The main job: draws a PDF417 barcode from a text through the plug-in, then runs a client
# handshake against a local server through the client library.
# Usage: scripts/demo.sh [text]
set -euo pipefail
cd "$(dirname "$0")/.."
text=${1:-"PDF417 sample: Grüße, € 12.50"}
bash scripts/install-deps.sh
cmake -S . -B build >/dev/null
cmake --build build -j "$(nproc)" --target pdf417 torvc_pdf417 TorvVeskClientSession vesk_demo_server vesk_demo_host >/dev/null

echo "== barcode"
./build/bin/pdf417 "$text" -o build/pdf417-sample.png
echo
echo "== client handshake"
bash tools/vesk/handshake-demo.sh build
