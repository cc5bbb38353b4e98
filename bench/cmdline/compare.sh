#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# Time and peak memory of the pdf417 command beside zint's command (Debian package zint) on the
# same jobs: a 10,000-item batch to SVG and to PNG (pdf417 with --jobs 1 and --jobs 2, whose files
# must be the same byte for byte), and one picture at scale 100 (modules 200 px).
# Run on demand after building: bash bench/cmdline/compare.sh [build-dir]
set -euo pipefail
build=${1:-build}
pdf417="$build/bin/pdf417"
command -v zint >/dev/null || { echo "zint is missing (apt-get install zint)" >&2; exit 1; }
[ -x "$pdf417" ] || { echo "$pdf417 is missing: build the pdf417 target first" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
seq -f "Label %05g, lot 4711, shelf B-12" 1 10000 >"$work/items.txt"
sample='PDF417 sample: Gr\xc3\xbc\xc3\x9fe, \xe2\x82\xac 12.50'
sample=$(printf "$sample")

# label, then the command; prints wall time, user and system processor time and peak resident
# memory as /usr/bin/time reports them. Wall time suffers when the machine is busy; system time is
# mostly the creation of the files.
measure() {
  local label=$1
  shift
  if ! /usr/bin/time -f "%e %U %S %M" -o "$work/time" "$@" >/dev/null 2>"$work/err"; then
    echo "$label: failed" >&2
    cat "$work/err" >&2
    return 1
  fi
  read -r seconds user system kilobytes <"$work/time"
  printf '%-30s %7.2f s %7.2f s %7.2f s %9d KB\n' "$label" "$seconds" "$user" "$system" "$kilobytes"
}

fresh() { rm -rf "$work/out" && mkdir "$work/out"; }
size() { file -b "$1" | grep -o '[0-9]* x [0-9]*' | head -1; }

echo "job                             wall       user     system  peak memory"
for format in svg png; do
  for jobs in 1 2; do
    fresh
    measure "batch 10,000 $format, pdf417 -j$jobs" "$pdf417" --batch --jobs "$jobs" --file "$work/items.txt" \
      -o "$work/out/l-%05d.$format"
    ours=$(ls "$work/out" | wc -l)
    if [ "$jobs" = 1 ]; then
      rm -rf "$work/one" && mv "$work/out" "$work/one" && mkdir "$work/out"
    elif ! diff -rq "$work/one" "$work/out" >/dev/null; then
      echo "  --jobs 2 wrote other files than --jobs 1" >&2
      exit 1
    fi
  done
  rm -rf "$work/one"
  fresh
  measure "batch 10,000 $format, zint" zint -b PDF417 --batch -i "$work/items.txt" --filetype="$format" \
    -o "$work/out/l~~~~~.$format"
  echo "  (files written: pdf417 $ours, zint $(ls "$work/out" | wc -l))"
done

measure "scale 100 png, pdf417" "$pdf417" --scale 100 -o "$work/ours.png" "$sample"
measure "scale 100 png, zint" zint -b PDF417 --scale=100 -o "$work/zint.png" -d "$sample"
echo "  (pictures: pdf417 $(size "$work/ours.png"), zint $(size "$work/zint.png"))"
