#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# Builds TorvVeskClientSession.dll and torvc_pdf417.dll for 64-bit and 32-bit Windows with
# mingw-w64, checks that each exports exactly its entry points under their plain names, builds the
# commands pdf417.exe and pdf417-encode.exe, and runs the test suites of both builds under Wine (cmake/wine-run.sh: wine64 for the 64-bit programs, the
# 32-bit loader of wine32:i386 in a win32 prefix of its own for the 32-bit ones).
# Usage: scripts/build-windows.sh [build-root]      (default: build-win)
# Where the kernel runs no 32-bit programs, the i686 suite runs under qemu-i386 (qemu-user 10,
# set up once in build-root/qemu-wine32 by scripts/qemu-wine32.sh). Where neither route works,
# the i686 build is built and its DLLs checked, but its tests are skipped with a loud line and
# build-root/i686/TESTS-NOT-RUN says why (the Linux suite then skips the comparison of i686
# pictures); TORV_REQUIRE_I686=1 makes that a failure instead. TORV_I686_ROUTE=native|qemu takes
# one route only; TORV_WINE32 names the 32-bit Wine loader (e.g. /bin/false to try the skip).
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
# turned off. Machines of one kind differ here, so this is probed, never assumed. Where it fails,
# the loader runs under qemu-i386 instead (scripts/qemu-wine32.sh, set up once under the build
# root). TORV_I686_ROUTE=native or qemu takes that route only; TORV_WINE32 names the loader and
# takes no other (TORV_WINE32=/bin/false forces the skip).
route=${TORV_I686_ROUTE:-auto}
case "$route" in auto | native | qemu) ;; *) echo "TORV_I686_ROUTE: auto, native or qemu" >&2; exit 2 ;; esac
not_run_file=$root/i686/TESTS-NOT-RUN
mkdir -p "$root/i686"
i686_tests=OFF
i686_route=
probe_status=0
probe_loader() { # the loader's --version, or a failure with its last line
  local output status=0
  output=$("$1" --version 2>&1 </dev/null) || status=$?
  probe_output=$(tail -n 1 <<<"$output" | sed 's/^.*: line [0-9]*: //')
  return $status
}
if [ -n "${TORV_WINE32:-}" ]; then
  wine32=$TORV_WINE32
  if probe_loader "$wine32"; then
    i686_tests=ON
    echo "i686 probe: TORV_WINE32=$wine32 --version: $probe_output: the i686 suite runs with it"
    i686_route="with TORV_WINE32=$wine32"
  else
    probe_status=$?
    echo "i686 probe: TORV_WINE32=$wine32 --version failed (status $probe_status): $probe_output"
  fi
else
  if [ "$route" != qemu ]; then
    wine32=
    for candidate in /usr/lib/wine/wine /usr/lib/i386-linux-gnu/wine/wine; do
      if [ -x "$candidate" ]; then wine32=$candidate; break; fi
    done
    if [ -n "$wine32" ] && probe_loader "$wine32"; then
      i686_tests=ON
      echo "i686 probe: $wine32 --version: $probe_output: 32-bit programs run here, the i686 suite runs natively"
      i686_route=natively
    else
      probe_status=$?
      echo "i686 probe: ${wine32:-no 32-bit Wine loader} --version failed (status $probe_status):" \
        "${probe_output:-}"
    fi
  fi
  if [ $i686_tests = OFF ] && [ "$route" != native ]; then
    if qemu_loader=$(bash scripts/qemu-wine32.sh "$root/qemu-wine32") && probe_loader "$qemu_loader"; then
      i686_tests=ON
      qemu_version=$("$root/qemu-wine32/qemu-i386" --version | head -n 1)
      echo "i686 probe: $qemu_version runs the 32-bit Wine loader ($probe_output): the i686 suite runs under qemu-user"
      i686_route="under ${qemu_version%% (*}"
      export TORV_WINE32=$qemu_loader
      # A prefix of its own: its wineserver is the 64-bit one, which must not meet a native one.
      export TORV_WINEPREFIX32=${TORV_WINEPREFIX32:-${XDG_CACHE_HOME:-${HOME:-/tmp}/.cache}/torv/wine32-qemu}
    else
      echo "i686 probe: no qemu-i386 route either"
    fi
  fi
fi
if [ $i686_tests = ON ]; then
  rm -f "$not_run_file"
else
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
# Wine's conversion gives one per half; tests/win/CMakeLists.txt lists the others). Everything else runs on both architectures; the 32-bit build has
# one test more, CdeclHost.StackCheckSeesACalleeThatPopsItsArguments (64-bit Windows has a
# single calling convention, so there is no callee of another one to see).
architectures=(x86_64)
summaries=()
[ "$i686_tests" = ON ] && architectures+=(i686)
status=0
for arch in "${architectures[@]}"; do
  echo "tests of the $arch build under Wine"
  log=$root/$arch/ctest.log
  ctest --test-dir "$root/$arch" --output-on-failure -j "$jobs" \
    -E '^CJDataInputStreamTest\.ReadUtfSurrogatePairIsOneCharacter$' 2>&1 | tee "$log" || status=1
  total=$(sed -n 's/.*tests passed, \([0-9]*\) tests* failed out of \([0-9]*\).*/\2/p' "$log" | tail -n 1)
  failed=$(sed -n 's/.*tests passed, \([0-9]*\) tests* failed out of \([0-9]*\).*/\1/p' "$log" | tail -n 1)
  route_said=
  [ "$arch" = i686 ] && route_said=" ($i686_route)"
  summaries+=("$arch: ${total:-0} tests, $((${total:-0} - ${failed:-0})) passed, ${failed:-0} failed$route_said")
done
echo "=== Windows suites under Wine"
for line in "${summaries[@]}"; do echo "$line"; done
[ $status -eq 0 ] || exit 1
if [ "$i686_tests" = OFF ]; then
  echo "*** $(cat "$not_run_file")"
fi
