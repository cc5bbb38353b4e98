#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# Shows that the packages are reproducible: copies this checkout's files into two directories of
# different names and lengths, builds the packages in each (Linux and 32-bit Windows, the libraries
# and the commands; package.sh compiles without the compiler cache) and compares the checksums of
# the archives and of every binary in them. Exits 1 on any difference.
# Usage: scripts/check-reproducible.sh [work-dir]      (default: build-repro)
set -euo pipefail
cd "$(dirname "$0")/.."
work=${1:-build-repro}
rm -rf "$work"
mkdir -p "$work"
work=$(cd "$work" && pwd)
start=$(date +%s)
SOURCE_DATE_EPOCH=$(git log -1 --format=%ct)
export SOURCE_DATE_EPOCH

copies=("$work/one/torv" "$work/second-copy/of/the/sources")
# Both copies first, so that they hold the same files even while the checkout is being edited.
for copy in "${copies[@]}"; do
  mkdir -p "$copy"
  git ls-files -z --cached --others --exclude-standard | tar --null -T - -cf - | tar -xf - -C "$copy"
done
for copy in "${copies[@]}"; do
  bash "$copy/scripts/package.sh" --only linux --only windows-i686 \
    --out "$copy/dist" --build-root "$copy/build-package" >"$copy.log" 2>&1 ||
    { cat "$copy.log" >&2; exit 1; }
done

# Every binary and file inside the packages, by checksum, beside the archives themselves.
inventory() {
  local copy=$1
  (cd "$copy/dist" && cat SHA256SUMS)
  (cd "$copy/build-package" && find linux-stage windows-i686-stage -type f | sort | xargs sha256sum)
}
if diff <(inventory "${copies[0]}") <(inventory "${copies[1]}"); then
  echo "reproducible: $(wc -l <"${copies[0]}/dist/SHA256SUMS") packages and $(inventory "${copies[0]}" | wc -l) files identical in $(($(date +%s) - start)) s"
  cat "${copies[0]}/dist/SHA256SUMS"
else
  echo "not reproducible: the checksums above differ between ${copies[0]} and ${copies[1]}" >&2
  exit 1
fi
