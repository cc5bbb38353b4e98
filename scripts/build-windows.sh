#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# Builds TorvVeskClientSession.dll and torvc_pdf417.dll for 64-bit and 32-bit Windows with
# mingw-w64, checks that each exports exactly its entry points under their plain names, builds the
# commands pdf417.exe and pdf417-encode.exe, and runs the test suites of both builds under Wine (cmake/wine-run.sh: wine64 for the 64-bit programs, the
# 32-bit loader of wine32:i386 in a win32 prefix of its own for the 32-bit ones).
# Usage: scripts/build-windows.sh [build-root]      (default: build-win)
# Where the kernel runs no 32-bit programs, the i686 build is built and its DLLs checked, but its
# tests are skipped with a loud line and build-root/i686/TESTS-NOT-RUN says why (the Linux suite
# then skips the comparison of i686 pictures); TORV_REQUIRE_I686=1 makes that a failure instead.
# TORV_WINE32 names the 32-bit Wine loader (e.g. /bin/false to try the skip).
# Set CMAKE_CXX_COMPILER_LAUNCHER=ccache (and CMAKE_C_COMPILER_LAUNCHER) to reuse objects.
set -euo pipefail
cd "$(dirname "$0")/.."
root=${1:-build-win}
case "$root" in /*) ;; *) root=$PWD/$root ;; esac
jobs=$(nproc)

# wine32:i386 runs the 32-bit programs; installing it adds the i386 architecture to dpkg.
packages=(cmake make g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix libz-mingw-w64-dev wine64 wine32:i386
  libgtest-dev)
# shellcheck source=apt-install.sh
. scripts/apt-install.sh
apt_install_missing --no-install-recommends "${packages[@]}"

# Can this kernel run 32-bit programs at all? The 32-bit Wine loader is itself one: its --version
# answers where it can, and fails with "Exec format error" where the kernel has 32-bit emulation
# turned off. Machines of one kind differ here, so this is probed, never assumed.
wine32=${TORV_WINE32:-}
if [ -z "$wine32" ]; then
  for candidate in /usr/lib/wine/wine /usr/lib/i386-linux-gnu/wine/wine; do
    if [ -x "$candidate" ]; then wine32=$candidate; break; fi
  done
fi
not_run_file=$root/i686/TESTS-NOT-RUN
mkdir -p "$root/i686"
probe_status=0
probe=$("${wine32:-/nonexistent/wine32}" --version 2>&1 </dev/null) || probe_status=$?
if [ $probe_status -eq 0 ]; then
  i686_tests=ON
  rm -f "$not_run_file"
  echo "i686 probe: $wine32 --version: $probe: 32-bit programs run here, the i686 suite runs"
else
  i686_tests=OFF
  echo "i686 probe: ${wine32:-no 32-bit Wine loader} --version failed (status $probe_status):" \
    "$(tail -n 1 <<<"$probe" | sed 's/^.*: line [0-9]*: //')"
  reason="i686 tests NOT run: this kernel runs no 32-bit programs"
  echo "$reason" >"$not_run_file"
  echo "**********************************************************************"
  echo "*** $reason"
  echo "*** (the i686 DLLs and test programs are still built and checked)"
  echo "**********************************************************************"
  if [ "${TORV_REQUIRE_I686:-0}" = 1 ]; then
    echo "TORV_REQUIRE_I686=1: this machine must run the i686 tests" >&2
    exit 1
  fi
fi

build_arch() {
  local arch=$1 tests=$2 run=$3
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
  if [ "$run" = ON ]; then
    # The Wine prefix first: building runs each test program once to list its tests.
    cmake/wine-run.sh --prepare "$([ "$arch" = i686 ] && echo i386 || echo amd64)"
    extra+=(-DCMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE=POST_BUILD)
  else
    # Programs that cannot run here are listed when CTest runs, not while they are built.
    extra+=(-DCMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE=PRE_TEST)
  fi
  cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DTORV_BUILD_TESTS="$tests" \
    -DTORV_BUILD_TOOLS="$tests" -DTORV_BUILD_BENCH=OFF -DCMAKE_DISABLE_FIND_PACKAGE_Java=ON "${extra[@]}"
  if [ "$tests" = ON ]; then
    cmake --build "$build" -j "$jobs"
  else
    cmake --build "$build" -j "$jobs" --target TorvVeskClientSession torvc_pdf417
  fi
  bash scripts/check-dll.sh "$build/bin/TorvVeskClientSession.dll" src/torv/vesk/exports.map
  bash scripts/check-dll.sh "$build/bin/torvc_pdf417.dll" src/component/exports.map
  if [ "$tests" = ON ]; then
    bash scripts/check-dll.sh "$build/bin/pdf417.exe" -
    bash scripts/check-dll.sh "$build/bin/pdf417-encode.exe" -
  fi
  if [ "$tests" = ON ]; then
    local programs
    programs=$(find "$build/bin" -maxdepth 1 -name '*_tests.exe' | wc -l)
    [ "$programs" -gt 0 ] || { echo "no test programs in $build/bin" >&2; exit 1; }
    echo "$arch: $programs test programs built"
  fi
}

build_arch x86_64 ON ON
build_arch i686 ON "$i686_tests"
# Left out on both: a Linux stand-in's answer (one default character for a surrogate pair;
# Windows gives one per half). Everything else runs on both architectures; the 32-bit build has
# one test more, CdeclHost.StackCheckSeesACalleeThatPopsItsArguments (64-bit Windows has a
# single calling convention, so there is no callee of another one to see).
architectures=(x86_64)
[ "$i686_tests" = ON ] && architectures+=(i686)
for arch in "${architectures[@]}"; do
  echo "tests of the $arch build under Wine"
  ctest --test-dir "$root/$arch" --output-on-failure -j "$jobs" \
    -E '^CJDataInputStreamTest\.ReadUtfForms$'
done
if [ "$i686_tests" = OFF ]; then
  echo "*** $(cat "$not_run_file")"
fi
