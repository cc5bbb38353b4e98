#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# A label printer's job: 1,000 labels from a file mixing Latin, Polish, Greek and Chinese lines,
# made by pdf417-encode --batch at 203 and 600 dpi (modules of 2 and 6 dots, 0.25 mm) as PNG and as
# SVG, every picture read back with zxing-cpp and compared with its line as text (SVGs rasterised
# at the printer's dpi with rsvg-convert), and the same batch by zint's command (UTF-8 after ECI 26,
# modules of the same dots) timed beside it: wall and user time and peak memory.
# Run on demand after building: bash bench/cmdline/labels.sh [build-dir]
set -euo pipefail
build=${1:-build}
encode="$build/bin/pdf417-encode" check="$build/bin/pdf417_read_back"
for tool in zint rsvg-convert; do
  command -v "$tool" >/dev/null || { echo "$tool is missing (apt-get install zint librsvg2-bin)" >&2; exit 1; }
done
for program in "$encode" "$check"; do
  [ -x "$program" ] || { echo "$program is missing: build it first" >&2; exit 1; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for i in $(seq 1 250); do
  n=$(printf '%05d' "$i")
  printf 'Lieferung %s, Gr\xc3\xb6\xc3\x9fe M, Caf\xc3\xa9 Stra\xc3\x9fe 5\n' "$n"
  printf 'Zam\xc3\xb3wienie %s: \xc5\xbc\xc3\xb3\xc5\x82te \xc5\xba\xc5\xbadz\xc4\x87, Gda\xc5\x84sk\n' "$n"
  printf '\xce\xa0\xce\xb1\xcf\x81\xce\xb1\xce\xb3\xce\xb3\xce\xb5\xce\xbb\xce\xaf\xce\xb1 %s, \xce\x91\xce\xb8\xce\xae\xce\xbd\xce\xb1\n' "$n"
  printf '\xe8\xae\xa2\xe5\x8d\x95 %s \xe4\xb8\x8a\xe6\xb5\xb7\xe4\xbb\x93\xe5\xba\x93 B-12\n' "$n"
done >"$work/items.txt"

# label, then the command. zint exits non-zero for warnings too (rows lower than it recommends), so
# a run counts as done when it wrote all 1,000 files.
measure() {
  local label=$1
  shift
  /usr/bin/time -f "%e %U %S %M" -o "$work/time" "$@" >/dev/null 2>"$work/err" || true
  if [ "$(find "$work/out" -type f | wc -l)" -lt 1000 ]; then
    echo "$label: failed" >&2
    cat "$work/err" >&2
    return 1
  fi
  # The figures are the last line; a non-zero exit status is said on a line before them.
  read -r seconds user system kilobytes < <(tail -n 1 "$work/time")
  printf '%-36s %7.2f s %7.2f s %7.2f s %9d KB\n' "$label" "$seconds" "$user" "$system" "$kilobytes"
}
fresh() { rm -rf "$work/out" && mkdir "$work/out"; }

echo "job                                     wall       user     system  peak memory"
failed=0
for dpi in 203 600; do
  dots=$((dpi == 203 ? 2 : 6))
  for format in png svg; do
    fresh
    measure "1,000 $format at $dpi dpi, pdf417-encode" "$encode" --batch -w "$dots" --dpi "$dpi" \
      --file "$work/items.txt" -o "$work/out/l-%05d.$format"
    if [ "$format" = svg ]; then
      # shellcheck disable=SC2016 # $1 and $2 are the inner shell's
      find "$work/out" -name '*.svg' -print0 | xargs -0 -P 2 -I{} sh -c \
        'rsvg-convert --dpi-x "$2" --dpi-y "$2" -b white -o "${1%.svg}.png" "$1"' _ {} "$dpi"
    fi
    result=$("$check" "$work/items.txt" "$work/out/l-%05d.png") || failed=1
    echo "  read back: $(tail -n 1 <<<"$result")"
    fresh
    measure "1,000 $format at $dpi dpi, zint" zint -b PDF417 --eci=26 --batch -i "$work/items.txt" \
      --scale="$((dots / 2))" --filetype="$format" -o "$work/out/l~~~~~.$format"
  done
done
exit $failed
