#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# Checks a built library against what hosts and the platform expect of it:
#   - it exports exactly the names its version script lists (plain names, no decoration);
#   - a Windows DLL imports only system DLLs: KERNEL32 and msvcrt, and for the plug-in also GDI32,
#     ole32 and OLEAUT32, so that nothing else has to ship beside it;
#   - a Windows DLL carries a version resource whose FileVersion is the project version.
# A Windows program (.exe, EXPORTS_MAP "-") is checked the same way: it exports nothing and
# imports KERNEL32, msvcrt and SHELL32 only (it is linked statically).
# Prints one line on success; says what is wrong and exits 1 otherwise.
# Usage: scripts/check-dll.sh LIBRARY|PROGRAM.exe EXPORTS_MAP|- [VERSION]
#   VERSION defaults to the project version in CMakeLists.txt.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
library=$1
map=$2
version=${3:-$(sed -n 's/^project(torv .*VERSION \([0-9.]*\).*/\1/p' "$here/CMakeLists.txt")}
name=$(basename "$library")

fail() {
  echo "check-dll: $name: $*" >&2
  exit 1
}

[ -f "$library" ] || fail "no such file: $library"

# The names the version script lists: one "name;" a line.
expected_exports() { [ "$map" = - ] || sed -n 's/^ *\([A-Za-z_][A-Za-z0-9_]*\);$/\1/p' "$map" | sort; }

# The machine a PE file is built for, from its COFF header: i386, amd64, or nothing for another file.
pe_machine() {
  local offset machine
  [ "$(head -c 2 "$1")" = MZ ] || return 0
  offset=$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ')
  machine=$(od -An -tx2 -j$((offset + 4)) -N2 "$1" | tr -d ' ')
  case "$machine" in 014c) echo i386 ;; 8664) echo amd64 ;; esac
}

compare_exports() { # names found (sorted)
  if [ "$(expected_exports)" != "$1" ]; then
    echo "check-dll: $name does not export what $map lists:" >&2
    diff <(expected_exports) <(printf '%s\n' "$1") >&2 || true
    exit 1
  fi
}

machine=$(pe_machine "$library")
if [ -z "$machine" ]; then
  # An ELF library: its defined, exported functions.
  compare_exports "$(nm -D --defined-only "$library" | awk '$2 == "T" { print $3 }' | sort)"
  echo "$name (ELF): $(expected_exports | wc -l) exports, as listed"
  exit 0
fi

case "$machine" in
  i386) objdump=i686-w64-mingw32-objdump ;;
  amd64) objdump=x86_64-w64-mingw32-objdump ;;
esac
command -v "$objdump" >/dev/null || fail "$objdump not found (Debian package binutils-mingw-w64-${objdump%%-*})"
dump=$("$objdump" -p "$library")

compare_exports "$(awk '/\[Ordinal\/Name Pointer\] Table/ { table = 1; next }
                        table && /^\t\[/ { print $NF; next }
                        table { table = 0 }' <<<"$dump" | sort)"

allowed="kernel32.dll msvcrt.dll"
case "$name" in
  torvc_pdf417*) allowed="$allowed gdi32.dll ole32.dll oleaut32.dll" ;;
  *.exe) allowed="$allowed shell32.dll" ;;
esac
imports=$(sed -n 's/^\tDLL Name: //p' <<<"$dump" | sort -f | tr '\n' ' ')
for dll in $imports; do
  lower=$(tr '[:upper:]' '[:lower:]' <<<"$dll")
  case " $allowed " in *" $lower "*) ;; *) fail "imports $dll; only $allowed may be imported" ;; esac
done

# The version resource's strings are UTF-16: "FileVersion" is followed by its value.
wide_strings=$(strings -el "$library")
grep -qx VS_VERSION_INFO <<<"$wide_strings" || fail "no version resource"
file_version=$(sed -n '/^FileVersion$/{n;p;q}' <<<"$wide_strings")
[ "$file_version" = "$version" ] || fail "version resource says FileVersion '$file_version', not '$version'"

echo "$name ($machine): $(expected_exports | wc -l) exports, as listed; imports ${imports% }; version resource $file_version"
