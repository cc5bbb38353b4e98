#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# Builds the release packages of this checkout into dist/ (or --out DIR):
#   torv-VERSION-linux-x86_64.tar.gz        libraries, headers, pkg-config and CMake files,
#                                           commands, guide, examples, licence
#   libtorv_VERSION_amd64.deb               the libraries, in /usr/lib/<multiarch>
#   libtorv-dev_VERSION_amd64.deb           headers, pkg-config and CMake files, guide, examples
#   torv-tools_VERSION_amd64.deb            the pdf417 and pdf417-encode commands (and the
#                                           zxing-cpp reader of pdf417-encode --verify)
#   torv-VERSION-windows-{i686,x86_64}.zip  DLLs, the commands as static .exe, import libraries
#                                           (.dll.a, .lib, .def), headers, CMake and pkg-config
#                                           files, doc\, README.txt, LICENSE.txt
#   ...-debug.tar.gz / ...-debug.zip        the debug information of every stripped binary,
#                                           at the binary's path with ".debug" added, and
#                                           the licence
#   SHA256SUMS
# Each platform is one CMake build. Its binaries are stripped as they are linked, their debug
# information kept beside them (TORV_SPLIT_DEBUG); `cmake --install` lays out each archive, and
# debhelper makes the Debian packages from the same build (packaging/debian), so that the
# archive and the packages hold the same bytes.
# Reproducible: time stamps come from the last commit (SOURCE_DATE_EPOCH), archive members are
# sorted and owned by root, and the binaries carry no build paths or link times.
#
# Usage: scripts/package.sh [--out DIR] [--build-root DIR] [--only linux|windows-i686|windows-x86_64]...
#                           [--libraries-only]
# --libraries-only leaves the commands out.
set -euo pipefail
cd "$(dirname "$0")/.."
source=$PWD
out=dist
root=build-package
platforms=()
tools=ON
while [ $# -gt 0 ]; do
  case "$1" in
    --out) out=$2; shift 2 ;;
    --build-root) root=$2; shift 2 ;;
    --only) platforms+=("$2"); shift 2 ;;
    --libraries-only) tools=OFF; shift ;;
    *) echo "package.sh: unknown argument $1" >&2; exit 2 ;;
  esac
done
[ ${#platforms[@]} -gt 0 ] || platforms=(linux windows-i686 windows-x86_64)
mkdir -p "$out" "$root"
out=$(cd "$out" && pwd)
root=$(cd "$root" && pwd)
jobs=$(nproc)

bash scripts/install-deps.sh
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH=$(git -C "$source" log -1 --format=%ct 2>/dev/null) ||
    { echo "package.sh: no git history; set SOURCE_DATE_EPOCH" >&2; exit 1; }
fi
export SOURCE_DATE_EPOCH TZ=UTC LC_ALL=C
# A compiler cache would store paths relative to its base directory in the objects, so release
# objects always come from the compiler itself.
export CCACHE_DISABLE=1
unset CMAKE_C_COMPILER_LAUNCHER CMAKE_CXX_COMPILER_LAUNCHER
umask 022
version=$(sed -n 's/^project(torv .*VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
[ -n "$version" ] || { echo "package.sh: no project version in CMakeLists.txt" >&2; exit 1; }
# debhelper takes the packages' version from the Debian changelog.
debian_version=$(dpkg-parsechangelog -l packaging/debian/changelog -S Version)
[ "$debian_version" = "$version" ] ||
  { echo "package.sh: packaging/debian/changelog is at $debian_version, the project at $version" >&2; exit 1; }

# Stripping must leave each library's export list exactly as its version script says (and a
# DLL's imports and version resource as built).
check_library() { bash "$source/scripts/check-dll.sh" "$@" >/dev/null; }

configure_build() { # build-dir, cmake arguments...
  local build=$1
  shift
  cmake -S "$source" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTORV_BUILD_TESTS=OFF \
    -DTORV_BUILD_BENCH=OFF -DTORV_BUILD_EXAMPLES=OFF -DTORV_REPRODUCIBLE=ON -DTORV_SPLIT_DEBUG=ON \
    -DTORV_BUILD_TOOLS="$tools" "$@" >/dev/null
}

# The archive's folder and the debug archive's, as `cmake --install` lays them out, then packed
# by `pack` (tar_gz or zip_dir) with the same modes and times on every member.
install_archives() { # build-dir, stage, folder name, pack, extension
  local build=$1 stage=$2 name=$3 pack=$4 extension=$5
  rm -rf "$stage"
  cmake --install "$build" --prefix "$stage/$name" >/dev/null
  cmake --install "$build" --prefix "$stage/debug/$name" --component debug >/dev/null
  local tree
  for tree in "$stage/$name" "$stage/debug/$name"; do
    find "$tree" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
  done
  "$pack" "$stage" "$name" "$out/$name.$extension"
  "$pack" "$stage/debug" "$name" "$out/$name-debug.$extension"
}

tar_gz() { # directory-parent, member, archive
  tar -C "$1" --sort=name --mtime="@$SOURCE_DATE_EPOCH" --owner=0 --group=0 --numeric-owner --format=gnu \
    -cf - "$2" | gzip -9n >"$3"
}

zip_dir() { # directory-parent, member, archive
  rm -f "$3"
  (cd "$1" && find "$2" -type f | sort | zip -X -D -q -9 -@ "$3")
}

package_linux() {
  local arch build=$root/linux
  arch=$(uname -m)
  local targets=(TorvVeskClientSession torvc_pdf417)
  # pdf417-verify, pdf417-encode --verify's reader, is built where zxing-cpp is installed
  # (install-deps.sh has it).
  [ "$tools" = ON ] && targets+=(pdf417 pdf417-encode pdf417-verify)
  configure_build "$build" -DCMAKE_INSTALL_LIBDIR:PATH=lib -DTORV_PKGCONFIG_PREFIX= \
    -DCMAKE_INSTALL_DOCDIR:PATH=share/doc/torv
  cmake --build "$build" -j "$jobs" --target "${targets[@]}"
  check_library "$build/lib/libTorvVeskClientSession.so" src/torv/vesk/exports.map
  check_library "$build/lib/libtorvc_pdf417.so" src/component/exports.map
  install_archives "$build" "$root/linux-stage" "torv-$version-linux-$arch" tar_gz tar.gz

  # The Debian packages: the same build with Debian's directories (only the install rules and the
  # generated pkg-config and CMake files change; nothing is compiled again), assembled by
  # packaging/debian/rules in a folder of its own.
  configure_build "$build" -DCMAKE_INSTALL_LIBDIR:PATH="lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)" \
    -DTORV_PKGCONFIG_PREFIX=/usr -DCMAKE_INSTALL_DOCDIR:PATH=share/doc/libtorv-dev
  local debian=$root/linux-debian
  rm -rf "$debian"
  mkdir -p "$debian"
  cp -r packaging/debian "$debian/debian"
  local options=()
  [ "$tools" = ON ] || options=(DH_OPTIONS=-Ntorv-tools)
  (cd "$debian" && env "${options[@]}" TORV_BUILD="$build" TORV_SOURCE="$source" TORV_OUT="$out" \
    debian/rules binary >"$debian.log" 2>&1) || { cat "$debian.log" >&2; exit 1; }
}

package_windows() {
  local arch=$1 build=$root/windows-$1
  configure_build "$build" -DCMAKE_TOOLCHAIN_FILE="$source/cmake/toolchains/mingw-w64-$arch.cmake" \
    -DCMAKE_DISABLE_FIND_PACKAGE_Java=ON
  local targets=(TorvVeskClientSession torvc_pdf417 torv_import_libraries)
  [ "$tools" = ON ] && targets+=(pdf417 pdf417-encode)
  cmake --build "$build" -j "$jobs" --target "${targets[@]}"
  check_library "$build/bin/TorvVeskClientSession.dll" src/torv/vesk/exports.map "$version"
  check_library "$build/bin/torvc_pdf417.dll" src/component/exports.map "$version"
  if [ "$tools" = ON ]; then
    check_library "$build/bin/pdf417.exe" - "$version"
    check_library "$build/bin/pdf417-encode.exe" - "$version"
  fi
  install_archives "$build" "$root/windows-$arch-stage" "torv-$version-windows-$arch" zip_dir zip
}

rm -f "$out"/torv-* "$out"/torv_* "$out"/libtorv* "$out/SHA256SUMS"
for platform in "${platforms[@]}"; do
  case "$platform" in
    linux) package_linux ;;
    windows-i686) package_windows i686 ;;
    windows-x86_64) package_windows x86_64 ;;
    *) echo "package.sh: unknown platform $platform" >&2; exit 2 ;;
  esac
done
(cd "$out" && find . -maxdepth 1 \( -name 'torv[-_]*' -o -name 'libtorv*' \) -printf '%f\n' | sort |
  xargs sha256sum >SHA256SUMS)
echo "packages in $out:"
(cd "$out" && ls -l --time-style=+ torv[-_]* libtorv* SHA256SUMS | awk '{ printf "  %9d  %s\n", $5, $NF }')
