#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# Sets up a 32-bit Wine loader that runs under qemu-user, for kernels that run no 32-bit code
# (not even a 32-bit code segment inside a 64-bit process, so Wine's WoW64 mode cannot help).
# Usage: scripts/qemu-wine32.sh DIR
# Prints the loader to use as TORV_WINE32 (DIR/wine32) and exits 0, or says why not and exits 1.
# Everything lands in DIR, and a second run reuses it.
#
# What it takes:
# - qemu-i386 of qemu-user 10 or later: Debian 12's own 7.2 refuses Wine's address-space
#   reservation hints and spends minutes per process in refused mmap calls. Taken from PATH when
#   new enough, else the one static file is unpacked from the qemu-user package of the release's
#   backports (Debian 12) or of the release itself (13 and later), fetched with an apt state of
#   its own in DIR/apt: the machine's package sources and lists are left as they are.
# - Wine's loader re-executes "<its own folder>/wine-preloader", natively, before anything else.
#   So a folder of our own holds a copy of the 32-bit loader, a wine-preloader that hands the
#   program to qemu-i386, the wineserver (the 64-bit one serves 32-bit clients), and links to the
#   32-bit Wine libraries and Wine's data, at the places the loader looks for them relative to
#   itself (as under /usr).
# Nothing here registers binfmt_misc handlers or changes a kernel setting.
set -euo pipefail
dir=${1:?usage: qemu-wine32.sh DIR}
mkdir -p "$dir"
dir=$(cd "$dir" && pwd)

fail() {
  echo "qemu-wine32: $*" >&2
  exit 1
}

qemu_major() { # the major version of a qemu-i386, or nothing
  "$1" --version 2>/dev/null | sed -n '1s/^qemu-i386 version \([0-9]*\)\..*/\1/p'
}
new_enough() { # qemu-i386 10 or later
  local major
  [ -x "$1" ] || return 1
  major=$(qemu_major "$1")
  [ -n "$major" ] && [ "$major" -ge 10 ]
}

loader32=/usr/lib/wine/wine
[ -f "$loader32" ] || fail "no 32-bit Wine loader at $loader32 (Debian package wine32:i386)"

qemu=$dir/qemu-i386
if ! new_enough "$qemu"; then
  system=$(command -v qemu-i386 || true)
  if [ -n "$system" ] && new_enough "$system"; then
    cp "$system" "$qemu"
  else
    # The mirror the machine already uses, read from its own sources.
    mirror=
    if [ -f /etc/apt/sources.list.d/debian.sources ]; then
      mirror=$(awk '/^URIs:/ { print $2; exit }' /etc/apt/sources.list.d/debian.sources)
    fi
    if [ -z "$mirror" ] && [ -f /etc/apt/sources.list ]; then
      mirror=$(awk '$1 == "deb" && $2 !~ /^\[/ && $2 !~ /security/ { print $2; exit }' /etc/apt/sources.list)
    fi
    [ -n "$mirror" ] || fail "no Debian mirror found in the machine's apt sources"
    codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
    case "$codename" in
      bookworm) suite=bookworm-backports ;;
      "") fail "no release code name in /etc/os-release" ;;
      *) suite=$codename ;;
    esac
    apt=$dir/apt
    mkdir -p "$apt/lists/partial" "$apt/cache/archives/partial" "$apt/download"
    echo "deb [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $mirror $suite main" >"$apt/sources.list"
    # Dir::Etc::sourceparts is emptied only together with a lists folder of our own: an update
    # that way with the system's lists folder would delete the machine's other lists.
    opts=(-o "Dir::State::Lists=$apt/lists" -o "Dir::Etc::sourcelist=$apt/sources.list"
      -o Dir::Etc::sourceparts=/dev/null -o "Dir::Cache=$apt/cache" -o Debug::NoLocking=1
      -o APT::Sandbox::User=root)
    updated=0
    for attempt in 1 2 3; do
      if apt-get "${opts[@]}" update -qq >"$apt/update.log" 2>&1; then
        updated=1
        break
      fi
      echo "qemu-wine32: apt-get update of $suite failed (attempt $attempt of 3)" >&2
      sleep 10
    done
    [ $updated = 1 ] || fail "could not read $suite's package list: $(grep '^E:' "$apt/update.log" | head -n 1)"
    (cd "$apt/download" && rm -f ./*.deb && apt-get "${opts[@]}" download -qq qemu-user >"$apt/download.log" 2>&1) ||
      fail "could not download qemu-user from $suite: $(grep '^E:' "$apt/download.log" | head -n 1)"
    deb=$(find "$apt/download" -name 'qemu-user_*.deb' | head -n 1)
    [ -n "$deb" ] || fail "no qemu-user package downloaded from $suite"
    dpkg-deb --fsys-tarfile "$deb" | tar -x -O ./usr/bin/qemu-i386 >"$qemu.new"
    chmod +x "$qemu.new"
    mv "$qemu.new" "$qemu"
    rm -f "$deb"
  fi
fi
new_enough "$qemu" || fail "$qemu is not qemu-i386 10 or later"

# The loader's folder, laid out as under /usr.
bin=$dir/usr/lib/wine
mkdir -p "$bin" "$dir/usr/lib/i386-linux-gnu" "$dir/usr/share"
cp "$loader32" "$bin/wine"
printf '#!/bin/sh\nexec "%s" -L / "$@"\n' "$qemu" >"$bin/wine-preloader"
chmod +x "$bin/wine-preloader"
ln -sfn /usr/lib/wine/wineserver64 "$bin/wineserver"
ln -sfn /usr/lib/i386-linux-gnu/wine "$dir/usr/lib/i386-linux-gnu/wine"
ln -sfn /usr/share/wine "$dir/usr/share/wine"
printf '#!/bin/sh\n# The 32-bit Wine loader under qemu-i386 (scripts/qemu-wine32.sh).\nexec "%s" -L / "%s" "$@"\n' \
  "$qemu" "$bin/wine" >"$dir/wine32"
chmod +x "$dir/wine32"
echo "$dir/wine32"
