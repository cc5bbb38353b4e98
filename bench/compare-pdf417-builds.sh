#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# Two builds of the barcode plug-in and its commands side by side, e.g. the integration branch's and
# a change's, both Release:
#   pictures  the same few hundred pdf417 and pdf417-encode command lines run with each build; every
#             picture, report, message and exit status must be the same byte for byte
#   calls     getAutosize, paint and print per call on a 36-byte and a 1,000-byte text, both
#             plug-in libraries loaded in one process (AFTER's plugin_calls_compare)
#   chain     each build's pdf417_bench: the getAutosize chain beside zint at its cheapest
#   batches   the pdf417 command's 10,000-picture PNG and SVG batches at --jobs 1, the builds
#             alternating, every file the same in both
# Build in each first, e.g.
#   cmake -S . -B build-rel -DCMAKE_BUILD_TYPE=Release -DTORV_BUILD_TESTS=OFF -DTORV_BUILD_EXAMPLES=OFF
#   cmake --build build-rel --target pdf417 pdf417-encode torvc_pdf417 pdf417_bench plugin_calls_compare
# Usage: bash bench/compare-pdf417-builds.sh BEFORE AFTER [pictures|calls|chain|batches]...  (default all)
set -euo pipefail
before=$(realpath "${1:?before build dir}")
after=$(realpath "${2:?after build dir}")
shift 2
parts=("$@")
[ ${#parts[@]} -gt 0 ] || parts=(pictures calls chain batches)
for build in "$before" "$after"; do
  for program in bin/pdf417 bin/pdf417-encode lib/libtorvc_pdf417.so; do
    [ -e "$build/$program" ] || { echo "$build/$program is missing" >&2; exit 1; }
  done
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

texts=(
  "Order 4711"
  "Hello, World! PDF417 test 0123456789"
  "Grüße aus Köln, € 12.50 – “quoted”"
  "$(seq -s ' ' 1 60)"
  "0123456789012345678901234567890123456789012345678901234567890123456789"
  "$(printf 'Invoice 2026-12-08, total EUR 1234.50; customer no. 0047110815. %.0s' 1 2 3 4 5)"
)

# Runs one command line with both builds in directories of their own: picture, standard output,
# standard error and exit status. An argument @PLUGIN@ names the build's own plug-in library.
cases=0
run_case() {
  local command=$1
  shift
  cases=$((cases + 1))
  for side in before after; do
    local build=$before
    [ $side = after ] && build=$after
    local arguments=("${@/#@PLUGIN@/$build/lib/libtorvc_pdf417.so}")
    (
      cd "$work/$side"
      status=0
      "$build/bin/$command" "${arguments[@]}" >"$cases.out" 2>"$cases.err" || status=$?
      echo "$status" >"$cases.status"
    )
  done
}

pictures() {
  mkdir -p "$work/before" "$work/after"
  local pdf417_options=("" "--scale 2" "--scale 0.5" "--scale 1.37" "--dpi 96" "--dpi 203 --scale 1.5" "-x 1 -y 1"
    "-x 3 -y 4" "-x 1 -y 3 --scale 3" "-r 10 -c 5" "-c 3 -l 5" "-l 0" "--quiet-zone 0" "--print --dpi 203"
    "--print --dpi 300 -x 3" "--print --dpi 600" "--print" "--force --scale 0.7" "--scale 0.3" "-r 3 -c 1"
    "-x 20 -y 25 --scale 0.1")
  local encode_options=("" "-w 2 -y 4" "-r 10 -c 4 -l 3" "--dpi 300 -w 3" "--compaction fewest" "--rotate 90"
    "--fg navy --bg #ffffee" "-a 1:4 -l 2")
  local t o format options
  for t in "${!texts[@]}"; do
    for o in "${pdf417_options[@]}"; do
      read -r -a options <<<"$o"
      for format in png bmp svg; do
        run_case pdf417 "${options[@]}" -o "pdf417-$cases.$format" -- "${texts[$t]}"
      done
    done
    # The plug-in loaded by path, whose pictures are probed by painting.
    for o in "" "--scale 1.37" "--print --dpi 203" "-x 3 -y 4 --dpi 203 --scale 1.5"; do
      read -r -a options <<<"$o"
      run_case pdf417 --plugin @PLUGIN@ "${options[@]}" -o "plugin-$cases.png" -- "${texts[$t]}"
    done
    for o in "${encode_options[@]}"; do
      read -r -a options <<<"$o"
      for format in png bmp svg pdf; do
        run_case pdf417-encode "${options[@]}" -o "encode-$cases.$format" -- "${texts[$t]}"
      done
    done
  done
  # Reports name the picture by its absolute path.
  sed -i "s|$work/before|DIR|g" "$work"/before/*.out "$work"/before/*.err
  sed -i "s|$work/after|DIR|g" "$work"/after/*.out "$work"/after/*.err
  local written failed
  written=$(grep -lx 0 "$work"/before/*.status | wc -l)
  failed=$((cases - written))
  if diff -r "$work/before" "$work/after" >"$work/differences"; then
    echo "pictures: $cases command lines ($written pictures written, $failed refused), every file, report and status the same"
  else
    echo "pictures: the builds differ:" >&2
    head -40 "$work/differences" >&2
    return 1
  fi
  rm -rf "$work/before" "$work/after"
}

calls() {
  [ -x "$after/bin/plugin_calls_compare" ] || { echo "$after/bin/plugin_calls_compare is missing" >&2; return 1; }
  "$after/bin/plugin_calls_compare" "$before/lib/libtorvc_pdf417.so" "$after/lib/libtorvc_pdf417.so"
}

chain() {
  for build in "$before" "$after"; do
    echo "=== $build"
    "$build/bin/pdf417_bench" | sed -n '/^Plug-in chain/,$p'
  done
}

batches() {
  seq -f "Label %05g, lot 4711, shelf B-12" 1 10000 >"$work/items.txt"
  echo "batch of 10,000 at --jobs 1      wall      user    system"
  for format in png svg; do
    for round in 1 2; do
      for side in before after; do
        local build=$before
        [ $side = after ] && build=$after
        rm -rf "$work/$side-$format" && mkdir "$work/$side-$format"
        /usr/bin/time -f "%e %U %S" -o "$work/time" "$build/bin/pdf417" --batch --jobs 1 --file "$work/items.txt" \
          -o "$work/$side-$format/l-%05d.$format" >/dev/null
        read -r seconds user system <"$work/time"
        printf '%-6s %-3s round %d %9.2f s %7.2f s %7.2f s\n' "$side" "$format" "$round" "$seconds" "$user" "$system"
      done
      diff -rq "$work/before-$format" "$work/after-$format" >/dev/null ||
        { echo "the $format batches differ" >&2; return 1; }
    done
    echo "  the $(ls "$work/after-$format" | wc -l) $format files are the same in both builds"
    rm -rf "$work/before-$format" "$work/after-$format"
  done
}

for part in "${parts[@]}"; do
  case "$part" in
    pictures | calls | chain | batches) "$part" ;;
    *) echo "unknown part $part: pictures, calls, chain or batches" >&2; exit 2 ;;
  esac
done
