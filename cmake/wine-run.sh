#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# Runs a Windows program under Wine for CTest (CMAKE_CROSSCOMPILING_EMULATOR): 64-bit programs
# under wine64, 32-bit ones under the 32-bit loader of wine32:i386.
# No display, no debugger (a crash ends the program instead of waiting), the ANSI code page
# 1252 (LC_ALL=C) and one Wine prefix per architecture, made once, by default under the user's
# cache directory. The 32-bit prefix is a win32 one of its own: a 64-bit prefix made before
# wine32 was installed has no 32-bit system directory, and the two must not depend on each other.
# Wine's output goes to a file first: Wine's helper processes keep the original output open,
# and CTest would wait for them.
set -uo pipefail

# The machine a PE program is built for, from its COFF header: i386 or amd64.
pe_machine() {
  local offset machine
  offset=$(od -An -tu4 -j60 -N4 "$1" 2>/dev/null | tr -d ' ')
  [ -n "$offset" ] || return 0
  machine=$(od -An -tx2 -j$((offset + 4)) -N2 "$1" 2>/dev/null | tr -d ' ')
  case "$machine" in 014c) echo i386 ;; 8664) echo amd64 ;; esac
}

# "wine-run.sh --prepare i386|amd64" only makes that prefix: a build does it before test
# discovery, which allows a program a few seconds only.
prepare=
if [ "${1:-}" = --prepare ]; then prepare=$2; fi

cache=${XDG_CACHE_HOME:-${HOME:-/tmp}/.cache}/torv
if [ "${prepare:-$(pe_machine "$1")}" = i386 ]; then
  wine=${TORV_WINE32:-}
  export WINEARCH=win32
  export WINEPREFIX=${TORV_WINEPREFIX32:-$cache/wine32}
  candidates=(/usr/lib/wine/wine /usr/lib/i386-linux-gnu/wine/wine)
  package=wine32:i386
else
  wine=${TORV_WINE:-}
  export WINEPREFIX=${WINEPREFIX:-$cache/wine64}
  candidates=(wine64 /usr/lib/wine/wine64 wine)
  package=wine64
fi
# A prefix whose display reports another resolution than 96 dpi (the program's memory and
# screen device contexts then report it too).
dpi=${TORV_WINE_DPI:-}
if [ -n "$dpi" ]; then export WINEPREFIX=$WINEPREFIX-dpi$dpi; fi
if [ -z "$wine" ]; then
  for candidate in "${candidates[@]}"; do
    if command -v "$candidate" >/dev/null 2>&1; then wine=$candidate; break; fi
  done
fi
if [ -z "$wine" ]; then
  echo "wine-run: no Wine for $1 found (Debian package $package)" >&2
  exit 127
fi

export WINEDEBUG=-all
export WINEDLLOVERRIDES="winedbg.exe=d;mscoree=d;mshtml=d"
export LC_ALL=C
unset DISPLAY WAYLAND_DISPLAY

# The prefix is made once; parallel tests wait for the first one to finish it.
mkdir -p "$(dirname "$WINEPREFIX")"
(
  flock 9
  if [ ! -f "$WINEPREFIX/.torv-ready" ]; then
    "$wine" wineboot -i >/dev/null 2>&1 </dev/null 9>&-
    if [ -n "$dpi" ]; then
      "$wine" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1 </dev/null 9>&-
    fi
    touch "$WINEPREFIX/.torv-ready"
  fi
) 9>"$WINEPREFIX.lock"

if [ -n "$prepare" ]; then exit 0; fi

# TORV_WINE_STREAMS=pass: the program's standard streams are the caller's, as they are (a test of
# the bytes a program reads and writes there), and its arguments reach it from UTF-8, as a Linux
# shell hands them over; the caller runs it again if it must.
if [ "${TORV_WINE_STREAMS:-}" = pass ]; then
  LC_ALL=C.UTF-8 exec "$wine" "$@"
fi

output=$(mktemp)
trap 'rm -f "$output"' EXIT
# A program that starts while the previous one's wineserver is shutting down loses its
# connection to it ("wine client error"), and on a loaded machine Wine now and then fails
# without a word before the program starts (every test program prints as it starts). Neither
# says anything about the program, so it runs again.
for attempt in 1 2 3; do
  "$wine" "$@" >"$output" 2>&1 </dev/null
  status=$?
  if [ $status -eq 0 ]; then break; fi
  if [ -s "$output" ] && ! grep -q '^wine client error' "$output"; then break; fi
  echo "wine-run: Wine failed before the program ran (status $status, attempt $attempt), running again" >&2
  sleep 1
done
cat "$output"
exit $status
