#!/usr/bin/env bash
# Builds TorvVeskClientSession.dll and torvc_pdf417.dll for 64-bit and 32-bit Windows with
# mingw-w64, checks that each exports exactly its entry points under their plain names, and runs
# the test suites of both builds under Wine (cmake/wine-run.sh: wine64 for the 64-bit programs, the
# 32-bit loader of wine32:i386 in a win32 prefix of its own for the 32-bit ones).
# Usage: scripts/build-windows.sh [build-root]      (default: build-win)
# Set CMAKE_CXX_COMPILER_LAUNCHER=ccache (and CMAKE_C_COMPILER_LAUNCHER) to reuse objects.
set -euo pipefail
cd "$(dirname "$0")/.."
root=${1:-build-win}
case "$root" in /*) ;; *) root=$PWD/$root ;; esac
jobs=$(nproc)

# wine32:i386 runs the 32-bit programs; installing it adds the i386 architecture to dpkg.
packages=(cmake make g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix wine64 wine32:i386 libgtest-dev)
# shellcheck source=apt-install.sh
. scripts/apt-install.sh
apt_install_missing --no-install-recommends "${packages[@]}"

# The exported names each DLL must have: the lists the ELF builds export.
expected_exports() {
  sed -n 's/^ *\([A-Za-z_][A-Za-z0-9_]*\);$/\1/p' "$1" | sort
}

# The names in the DLL's export table, as objdump -p lists them.
dll_exports() {
  "$objdump" -p "$1" | awk '/\[Ordinal\/Name Pointer\] Table/ {table = 1; next}
                         table && /^\t\[/ {print $NF; next}
                         table {table = 0}' | sort
}

check_exports() {
  local dll=$1 map=$2
  if ! diff <(expected_exports "$map") <(dll_exports "$dll") >/dev/null; then
    echo "exports of $dll differ from $map:" >&2
    diff <(expected_exports "$map") <(dll_exports "$dll") >&2 || true
    exit 1
  fi
  echo "exports of $(basename "$dll") ($("$objdump" -f "$dll" | sed -n 's/.*file format //p')): $(dll_exports "$dll" | wc -l) names, as listed"
}

build_arch() {
  local arch=$1 tests=$2
  local toolchain=$PWD/cmake/toolchains/mingw-w64-$arch.cmake
  local build=$root/$arch
  objdump=$arch-w64-mingw32-objdump
  local extra=()
  if [ "$tests" = ON ]; then
    # GoogleTest for the target, from the sources Debian ships.
    if [ ! -f "$build/googletest-install/.done" ]; then
      cmake -S /usr/src/googletest -B "$build/googletest" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$build/googletest-install" -DBUILD_GMOCK=OFF >/dev/null
      cmake --build "$build/googletest" -j "$jobs" >/dev/null
      cmake --install "$build/googletest" >/dev/null
      touch "$build/googletest-install/.done"
    fi
    extra+=(-DGTest_DIR="$build/googletest-install/lib/cmake/GTest")
  fi
  if [ "$tests" = ON ]; then
    # The Wine prefix first: building runs each test program once to list its tests.
    cmake/wine-run.sh --prepare "$([ "$arch" = i686 ] && echo i386 || echo amd64)"
  fi
  cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DTORV_BUILD_TESTS="$tests" \
    -DTORV_BUILD_TOOLS=OFF -DTORV_BUILD_BENCH=OFF -DCMAKE_DISABLE_FIND_PACKAGE_Java=ON "${extra[@]}"
  if [ "$tests" = ON ]; then
    cmake --build "$build" -j "$jobs"
  else
    cmake --build "$build" -j "$jobs" --target TorvVeskClientSession torvc_pdf417
  fi
  check_exports "$build/bin/TorvVeskClientSession.dll" src/torv/vesk/exports.map
  check_exports "$build/bin/torvc_pdf417.dll" src/component/exports.map
}

build_arch x86_64 ON
build_arch i686 ON
# Left out on both: a Linux stand-in's answer (one default character for a surrogate pair;
# Windows gives one per half). Everything else runs on both architectures; the 32-bit build has
# one test more, CdeclHost.StackCheckSeesACalleeThatPopsItsArguments (64-bit Windows has a
# single calling convention, so there is no callee of another one to see).
for arch in x86_64 i686; do
  echo "tests of the $arch build under Wine"
  ctest --test-dir "$root/$arch" --output-on-failure -j "$jobs" \
    -E '^CJDataInputStreamTest\.ReadUtfForms$'
done
