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
maintainer="Torv Software <packages@torv-software.example>"
version=$(sed -n 's/^project(torv .*VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
[ -n "$version" ] || { echo "package.sh: no project version in CMakeLists.txt" >&2; exit 1; }

# Same modes and times on every file, whatever the checkout's umask and clock said.
normalise() {
  find "$1" -type d -exec chmod 755 {} +
  find "$1" -type f -exec chmod 644 {} +
  find "$1" -type f \( -path '*/bin/*' -o -path '*/libexec/*' \) ! -name '*.dll' ! -name '*.debug' -exec chmod 755 {} +
  find "$1" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
}

# Moves the debug information of each binary into <debug>/<its path>.debug, strips it and links
# it to that file by name and checksum (.gnu_debuglink), where debuggers look for it.
split_debug() {
  local objcopy=$1 stage=$2 debug=$3
  shift 3
  for file in "$@"; do
    mkdir -p "$debug/$(dirname "$file")"
    "$objcopy" --only-keep-debug "$stage/$file" "$debug/$file.debug"
    case "$file" in
      *.so) "$objcopy" --strip-unneeded --remove-section=.comment "$stage/$file" ;;
      *) "$objcopy" --strip-all --remove-section=.comment "$stage/$file" ;;
    esac
    (cd "$debug/$(dirname "$file")" && "$objcopy" --add-gnu-debuglink="$(basename "$file").debug" "$stage/$file")
  done
}

# Stripping must leave each library's export list exactly as its version script says (and a
# DLL's imports and version resource as built).
check_library() { bash "$source/scripts/check-dll.sh" "$@" >/dev/null; }

tar_gz() { # directory-parent, member, archive
  tar -C "$1" --sort=name --mtime="@$SOURCE_DATE_EPOCH" --owner=0 --group=0 --numeric-owner --format=gnu \
    -cf - "$2" | gzip -9n >"$3"
}

zip_dir() { # directory-parent, member, archive
  rm -f "$3"
  (cd "$1" && find "$2" -type f | sort | zip -X -D -q -9 -@ "$3")
}

configure_build() { # build-dir, cmake arguments...
  local build=$1
  shift
  cmake -S "$source" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTORV_BUILD_TESTS=OFF \
    -DTORV_BUILD_BENCH=OFF -DTORV_BUILD_EXAMPLES=OFF -DTORV_REPRODUCIBLE=ON "$@" >/dev/null
}

package_linux() {
  local arch build=$root/linux work=$root/linux-stage
  arch=$(uname -m)
  local name=torv-$version-linux-$arch
  local targets=(TorvVeskClientSession torvc_pdf417)
  [ "$tools" = ON ] && targets+=(pdf417 pdf417-encode)
  configure_build "$build" -DTORV_BUILD_TOOLS="$tools" -DCMAKE_INSTALL_LIBDIR:PATH=lib -DTORV_PKGCONFIG_PREFIX= \
    -DCMAKE_INSTALL_DOCDIR:PATH=share/doc/torv
  # pdf417-encode --verify's reader, built where zxing-cpp is installed (install-deps.sh has it).
  local verify=
  if [ "$tools" = ON ] && cmake --build "$build" --target help | grep -c 'pdf417-verify' >/dev/null; then
    verify=libexec/torv/pdf417-verify
    targets+=(pdf417-verify)
  fi
  cmake --build "$build" -j "$jobs" --target "${targets[@]}"
  rm -rf "$work"
  cmake --install "$build" --prefix "$work/$name" >/dev/null
  local binaries=(lib/libTorvVeskClientSession.so lib/libtorvc_pdf417.so)
  [ "$tools" = ON ] && binaries+=(bin/pdf417 bin/pdf417-encode)
  [ -n "$verify" ] && binaries+=("$verify")
  split_debug objcopy "$work/$name" "$work/debug/$name" "${binaries[@]}"
  cp "$work/$name/share/doc/torv/LICENSE" "$work/debug/$name/LICENSE"
  check_library "$work/$name/lib/libTorvVeskClientSession.so" src/torv/vesk/exports.map
  check_library "$work/$name/lib/libtorvc_pdf417.so" src/component/exports.map
  normalise "$work/$name"
  normalise "$work/debug/$name"
  tar_gz "$work" "$name" "$out/$name.tar.gz"
  tar_gz "$work/debug" "$name" "$out/$name-debug.tar.gz"

  package_debian "$build" "$work" "$name"
}

# Debian packages of the same build: libtorv (the libraries, in the multiarch directory),
# libtorv-dev (headers, pkg-config and CMake files, guide, examples) and torv-tools (the
# commands, when built). The install rules run again with Debian's directories; the binaries
# are then replaced by the stripped ones of the archive, so both hold the same bytes.
package_debian() { # build-dir, stage, archive folder name
  local build=$1 work=$2 name=$3 deb_arch multiarch
  deb_arch=$(dpkg --print-architecture)
  multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
  cmake -S "$source" -B "$build" -DCMAKE_INSTALL_LIBDIR:PATH="lib/$multiarch" -DTORV_PKGCONFIG_PREFIX=/usr \
    -DCMAKE_INSTALL_DOCDIR:PATH=share/doc/libtorv-dev >/dev/null
  local packages=(libtorv:runtime libtorv-dev:dev+doc)
  [ "$tools" = ON ] && packages+=(torv-tools:tools)
  local entry
  for entry in "${packages[@]}"; do
    local package=${entry%%:*} components=${entry#*:} tree=$work/deb/${entry%%:*}
    rm -rf "$tree"
    local component
    for component in ${components//+/ }; do
      DESTDIR=$tree cmake --install "$build" --prefix /usr --component "$component" >/dev/null
    done
    # The doc component's licence and README belong to the source tree; Debian has copyright.
    rm -f "$tree/usr/share/doc/$package/LICENSE"
    local file
    for file in lib/libTorvVeskClientSession.so lib/libtorvc_pdf417.so bin/pdf417 bin/pdf417-encode \
      libexec/torv/pdf417-verify; do
      local installed=$tree/usr/${file/#lib\//lib/$multiarch/}
      [ -f "$installed" ] && cp "$work/$name/$file" "$installed"
    done
    if [ -d "$tree/usr/share/man" ]; then
      find "$tree/usr/share/man" -type f ! -name '*.gz' -exec gzip -9n {} +
    fi
    mkdir -p "$tree/usr/share/doc/$package" "$tree/DEBIAN"
    cp packaging/debian/copyright "$tree/usr/share/doc/$package/copyright"
    gzip -9n <packaging/debian/changelog >"$tree/usr/share/doc/$package/changelog.gz"
    local depends=""
    if [ "$package" != libtorv-dev ]; then
      depends=$(shared_library_depends "$work" "$tree")
    fi
    lintian_overrides "$package" "$tree"
    if [ "$package" = libtorv ]; then
      debian_symbols "$multiarch" >"$tree/DEBIAN/symbols"
      echo "activate-noawait ldconfig" >"$tree/DEBIAN/triggers"
    fi
    local size
    size=$(find "$tree/usr" -type f -printf '%s\n' | awk '{ kib += int(($1 + 1023) / 1024) } END { print kib }')
    sed -e "s/@VERSION@/$version/" -e "s/@ARCH@/$deb_arch/" -e "s/@SIZE@/$size/" \
      -e "s/@DEPENDS@/$depends/" -e "s/@MAINTAINER@/$maintainer/" \
      "packaging/debian/$package.control" >"$tree/DEBIAN/control"
    (cd "$tree" && find usr -type f | sort | xargs md5sum >DEBIAN/md5sums)
    normalise "$tree"
    chmod 755 "$tree/DEBIAN"
    dpkg-deb --root-owner-group -Zxz --build "$tree" "$out/${package}_${version}_${deb_arch}.deb" >/dev/null
  done
}

# What the ELF files of a package tree link, as a Depends line (dpkg-shlibdeps).
shared_library_depends() { # stage, package tree
  local shlibs=$1/shlibs elves=()
  mkdir -p "$shlibs/debian"
  printf 'Source: torv\n\nPackage: torv\nArchitecture: any\n' >"$shlibs/debian/control"
  mapfile -t elves < <(find "$2/usr" -type f \( -name '*.so' -o -path '*/bin/*' -o -path '*/libexec/*' \) | sort)
  (cd "$shlibs" && dpkg-shlibdeps -O "${elves[@]}" 2>/dev/null | sed -n 's/^shlibs:Depends=//p')
}

# The package's lintian overrides, each with its reason (packaging/debian/*.lintian-overrides).
# A command whose manual page this checkout does not build yet is named too.
lintian_overrides() { # package, tree
  local overrides=$2/usr/share/lintian/overrides/$1 command
  mkdir -p "$(dirname "$overrides")"
  [ -f "packaging/debian/$1.lintian-overrides" ] && cp "packaging/debian/$1.lintian-overrides" "$overrides"
  for command in "$2"/usr/bin/*; do
    [ -f "$command" ] || continue
    if [ ! -f "$2/usr/share/man/man1/$(basename "$command").1.gz" ]; then
      echo "# No manual page for this command in this checkout yet." >>"$overrides"
      echo "$1: no-manual-page [usr/bin/$(basename "$command")]" >>"$overrides"
    fi
  done
  [ -s "$overrides" ] || rm -rf "$2/usr/share/lintian"
}

# The symbols file of libtorv: every export of both libraries, each present since 1.0.0.
debian_symbols() { # multiarch
  local library map
  for library in libTorvVeskClientSession.so:src/torv/vesk/exports.map libtorvc_pdf417.so:src/component/exports.map; do
    map=${library#*:}
    echo "${library%%:*} libtorv #MINVER#"
    echo "* Build-Depends-Package: libtorv-dev"
    sed -n 's/^ *\([A-Za-z_][A-Za-z0-9_]*\);$/ \1@Base 1.0.0/p' "$map"
  done
}

package_windows() {
  local arch=$1 build=$root/windows-$1 work=$root/windows-$1-stage
  local name=torv-$version-windows-$arch
  configure_build "$build" -DCMAKE_TOOLCHAIN_FILE="$source/cmake/toolchains/mingw-w64-$arch.cmake" \
    -DTORV_BUILD_TOOLS="$tools" -DCMAKE_DISABLE_FIND_PACKAGE_Java=ON
  local targets=(TorvVeskClientSession torvc_pdf417 torv_import_libraries) binaries=(bin/TorvVeskClientSession.dll bin/torvc_pdf417.dll)
  [ "$tools" = ON ] && targets+=(pdf417 pdf417-encode) && binaries+=(bin/pdf417.exe bin/pdf417-encode.exe)
  cmake --build "$build" -j "$jobs" --target "${targets[@]}"
  rm -rf "$work"
  cmake --install "$build" --prefix "$work/$name" >/dev/null
  split_debug "$arch-w64-mingw32-objcopy" "$work/$name" "$work/debug/$name" "${binaries[@]}"
  cp "$work/$name/LICENSE.txt" "$work/debug/$name/LICENSE.txt"
  check_library "$work/$name/bin/TorvVeskClientSession.dll" src/torv/vesk/exports.map "$version"
  check_library "$work/$name/bin/torvc_pdf417.dll" src/component/exports.map "$version"
  if [ "$tools" = ON ]; then
    check_library "$work/$name/bin/pdf417.exe" - "$version"
    check_library "$work/$name/bin/pdf417-encode.exe" - "$version"
  fi
  normalise "$work/$name"
  normalise "$work/debug/$name"
  zip_dir "$work" "$name" "$out/$name.zip"
  zip_dir "$work/debug" "$name" "$out/$name-debug.zip"
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
