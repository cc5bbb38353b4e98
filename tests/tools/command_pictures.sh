#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# The same command lines, run by the Linux and the Windows builds of pdf417 and pdf417-encode,
# write the same files byte for byte: every format, print and paint, batches on threads, data with
# bytes a Windows text stream would change (CR LF, Ctrl-Z) through files and standard streams.
#
#   command_pictures.sh write DIR PDF417 PDF417_ENCODE [RUNNER]
#       runs every case (under RUNNER, e.g. cmake/wine-run.sh) and leaves the files in DIR
#   command_pictures.sh compare WINDOWS_BUILD_ROOT PDF417 PDF417_ENCODE
#       runs every case with these commands and compares with what each architecture's Windows
#       build wrote into WINDOWS_BUILD_ROOT/ARCH/command-pictures (scripts/build-windows.sh)
# compare exits 77 (skipped) when no Windows build wrote any, unless CI is set; an architecture
# whose tests could not run here (ARCH/TESTS-NOT-RUN) is reported, and fails with TORV_REQUIRE_I686=1.
set -uo pipefail
mode=$1 dir=$2 pdf417=$3 encode=$4
runner=${5:-}

# The data files both builds read.
make_data() {
  printf 'Gr\xc3\xbc\xc3\x9fe aus K\xc3\xb6ln, 12 \xe2\x82\xac\n' >"$1/latin.txt"
  # A Windows text stream would drop the CR, and end the data at the Ctrl-Z (0x1A).
  printf 'line one\r\nline two\r\n\x1a after the end of a text file\x00\xff\n' >"$1/binary.bin"
  printf 'Zeile 1\r\nZeile 2\x1a\r\n' >"$1/lines.txt"
  printf 'Order %d\n' 1 2 3 4 5 >"$1/items.txt"
  # Enough lines of an invoice for a Macro PDF417 set of several symbols.
  local i
  for i in $(seq 1 120); do printf 'Rechnung %d: %d.50 EUR\r\n' "$i" "$((i * 37 % 1000))"; done >"$1/invoice.txt"
}

# name, then the command and its arguments as a shell would split them; OUT is the picture's
# path, DATA the data folder.
cases=(
  "paint.png|pdf417|-q -o OUT 'Order 4711'"
  "paint-scaled.bmp|pdf417|-q --scale 2.5 --dpi 150 -x 3 -y 4 -o OUT 'Order 4711 of 12 December'"
  "print.png|pdf417|-q --print --dpi 203 -l 5 -o OUT 'Order 4711'"
  "print.svg|pdf417|-q --print --dpi 300 -o OUT 'Order 4711'"
  "paint-file.svg|pdf417|-q -f DATA/latin.txt -r 12 -c 3 -o OUT"
  "paint-stdout.png|pdf417|-q -o - < DATA/lines.txt > OUT"
  "batch-%02d.png|pdf417|-q --batch --jobs 3 -f DATA/items.txt -o OUT"
  "encode.png|pdf417-encode|-q -w 2 --dpi 300 -o OUT 'Hello, World'"
  "encode-text.svg|pdf417-encode|-q -o OUT Grüße"
  "encode-file.bmp|pdf417-encode|-q -l 4 -f DATA/binary.bin -o OUT"
  "encode-stdin.png|pdf417-encode|-q -c 4 -o OUT < DATA/binary.bin"
  "encode-stdout.bmp|pdf417-encode|-q --format bmp -o - -f - < DATA/binary.bin > OUT"
  "encode-compact.png|pdf417-encode|-q --compact --reader-init -c 3 -o OUT 'Order 4711'"
  "macro-%02d.svg|pdf417-encode|-q -c 6 -l 3 --macro-name invoice.txt --macro-time 1796774400 --macro-size --macro-checksum -f DATA/invoice.txt -o OUT"
)

# Runs every case into $1; a case that fails is named and counted.
run_cases() {
  local out=$1 failed=0 entry
  make_data "$out"
  for entry in "${cases[@]}"; do
    local name=${entry%%|*} rest=${entry#*|}
    local command=${rest%%|*} arguments=${rest#*|}
    local program=$pdf417
    [ "$command" = pdf417-encode ] && program=$encode
    arguments=${arguments//OUT/$out/$name}
    arguments=${arguments//DATA/$out}
    # Standard streams, where a case has them, are set up by this shell, never by Wine's.
    local input=/dev/null output=/dev/stdout
    if [[ $arguments == *" > "* ]]; then output=${arguments##* > }; arguments=${arguments% > *}; fi
    if [[ $arguments == *" < "* ]]; then input=${arguments##* < }; arguments=${arguments% < *}; fi
    local words
    eval "words=($arguments)"
    # Wine now and then fails before the program starts: a failed case runs up to three times
    # under a runner (its input is a file, read afresh).
    local attempt attempts=1 status
    [ -n "$runner" ] && attempts=3
    for ((attempt = 1; attempt <= attempts; ++attempt)); do
      TORV_WINE_STREAMS=pass $runner "$program" "${words[@]}" <"$input" >"$output"
      status=$?
      [ $status -eq 0 ] && break
    done
    if [ $status -ne 0 ]; then
      echo "FAILED (status $status): $command ${words[*]}" >&2
      failed=$((failed + 1))
    fi
  done
  return $failed
}

case "$mode" in
  write)
    rm -rf "$dir"
    mkdir -p "$dir"
    run_cases "$dir" || { echo "command_pictures: $? case(s) failed" >&2; exit 1; }
    echo "command_pictures: $(find "$dir" -name '*.png' -o -name '*.bmp' -o -name '*.svg' | wc -l) pictures in $dir"
    ;;
  compare)
    here=$(mktemp -d)
    trap 'rm -rf "$here"' EXIT
    run_cases "$here" || { echo "command_pictures: the Linux commands failed" >&2; exit 1; }
    compared=0 failures=0
    for arch in x86_64 i686; do
      theirs=$dir/$arch/command-pictures
      if [ -f "$dir/$arch/TESTS-NOT-RUN" ]; then
        echo "$arch: skipped: $(cat "$dir/$arch/TESTS-NOT-RUN")"
        [ "${TORV_REQUIRE_I686:-0}" = 1 ] && failures=$((failures + 1))
        continue
      fi
      if [ ! -d "$theirs" ]; then
        echo "$arch: no pictures from the Windows build in $theirs (scripts/build-windows.sh makes them)"
        [ -n "${CI:-}" ] && failures=$((failures + 1))
        continue
      fi
      while IFS= read -r file; do
        name=${file#"$here"/}
        compared=$((compared + 1))
        if ! cmp -s "$file" "$theirs/$name"; then
          echo "$arch: $name differs from the Linux command's" >&2
          failures=$((failures + 1))
        fi
      done < <(find "$here" -type f \( -name '*.png' -o -name '*.bmp' -o -name '*.svg' \) | sort)
      echo "$arch: compared the pictures of $(basename "$theirs") with this build's"
    done
    echo "command_pictures: $compared pictures compared, $failures failure(s)"
    [ "$failures" -eq 0 ] || exit 1
    [ "$compared" -gt 0 ] || exit 77
    ;;
  *)
    echo "usage: command_pictures.sh write|compare DIR PDF417 PDF417_ENCODE [RUNNER]" >&2
    exit 2
    ;;
esac
