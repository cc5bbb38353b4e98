#!/usr/bin/env bash
# Runs a Windows program under 64-bit Wine for CTest (CMAKE_CROSSCOMPILING_EMULATOR).
# No display, no debugger (a crash ends the program instead of waiting), the ANSI code page
# 1252 (LC_ALL=C) and one Wine prefix made once, by default under the user's cache directory.
# Wine's output goes to a file first: Wine's helper processes keep the original output open,
# and CTest would wait for them.
set -uo pipefail

wine=${TORV_WINE:-}
if [ -z "$wine" ]; then
  for candidate in wine64 /usr/lib/wine/wine64 wine; do
    if command -v "$candidate" >/dev/null 2>&1; then wine=$candidate; break; fi
  done
fi
if [ -z "$wine" ]; then
  echo "wine-run: no wine64 found (Debian package wine64)" >&2
  exit 127
fi

export WINEPREFIX=${WINEPREFIX:-${XDG_CACHE_HOME:-${HOME:-/tmp}/.cache}/torv/wine64}
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
    touch "$WINEPREFIX/.torv-ready"
  fi
) 9>"$WINEPREFIX.lock"

output=$(mktemp)
trap 'rm -f "$output"' EXIT
# A program that starts while the previous one's wineserver is shutting down loses its
# connection to it ("wine client error"); that says nothing about the program, so run it again.
for attempt in 1 2 3; do
  "$wine" "$@" >"$output" 2>&1 </dev/null
  status=$?
  if [ $status -eq 0 ] || ! grep -q '^wine client error' "$output"; then break; fi
  echo "wine-run: lost the wineserver connection (attempt $attempt), running again" >&2
  sleep 1
done
cat "$output"
exit $status
