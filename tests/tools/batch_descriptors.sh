#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# A batch holds no file open past its item: 200 items on 4 jobs under a limit of 32 open files
# write 200 pictures with either command.
#
#   batch_descriptors.sh PDF417 PDF417_ENCODE WORK_DIR
set -u
pdf417=$1 encode=$2 work=$3
rm -rf "$work" && mkdir -p "$work" || exit 1
for i in $(seq 1 200); do echo "Item $i"; done >"$work/items.txt"
ulimit -n 32 || exit 1
failed=0
for run in "pdf417|$pdf417|png" "pdf417-encode|$encode|svg"; do
  IFS='|' read -r name program format <<<"$run"
  if ! "$program" --batch -j 4 -q -f "$work/items.txt" -o "$work/$name-%03d.$format"; then
    echo "$name: the batch failed under ulimit -n 32"
    failed=1
  fi
  written=$(find "$work" -name "$name-*.$format" | wc -l)
  if [ "$written" -ne 200 ]; then
    echo "$name: $written of 200 pictures written under ulimit -n 32"
    failed=1
  fi
done
rm -rf "$work"
exit $failed
