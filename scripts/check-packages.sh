#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# Checks the release packages the way an integrator uses them, from the packages alone:
# - lists the files of every package;
# - lintian on the Debian packages: no error and no warning (the ones that stay are overridden,
#   with the reason, in packaging/debian/*.lintian-overrides);
# - installs the Debian packages, builds the example hosts with pkg-config and with
#   find_package(Torv 1.1 CONFIG) against /usr and runs them, then removes the packages;
# - the same two builds against the unpacked Linux archive, wherever it lies;
# - the compile lines of the integration guide (section 7), run as written;
# - per Windows ZIP: its commands draw a picture; a host linked with mingw-w64 against lib<name>.dll.a (by hand and through the
#   ZIP's CMake package), and one compiled for *-pc-windows-msvc and linked by lld-link against
#   <name>.lib; each imports only names the DLLs export, and runs under Wine (32-bit ones only
#   where the machine can execute 32-bit programs).
# Usage: scripts/check-packages.sh [--dist DIR] [work-dir]   (default: build-check-packages)
# Without --dist it builds the packages first (scripts/package.sh, every platform).
set -euo pipefail
cd "$(dirname "$0")/.."
source=$PWD
dist=
if [ "${1:-}" = --dist ]; then
  dist=$(cd "$2" && pwd)
  shift 2
fi
work=${1:-build-check-packages}
mkdir -p "$work"
work=$(cd "$work" && pwd)
start=$(date +%s)
bash scripts/install-deps.sh
# shellcheck source=apt-install.sh
. scripts/apt-install.sh
apt_install_missing --no-install-recommends wine64 wine32:i386
if [ -z "$dist" ]; then
  bash scripts/package.sh --out "$work/dist" --build-root "$work/build-package"
  dist=$work/dist
fi
version=$(sed -n 's/^project(torv .*VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
arch=$(uname -m)
deb_arch=$(dpkg --print-architecture)
step() { echo; echo "== $*"; }

step "files of every package"
for deb in "$dist"/*.deb; do
  [ -f "$deb" ] || continue
  echo "-- $(basename "$deb")"
  dpkg-deb -f "$deb" Package Version Depends Breaks Replaces
  dpkg-deb -c "$deb" | awk '{ print "  " $NF }' | grep -v '/$'
done
for archive in "$dist"/*.tar.gz; do
  [ -f "$archive" ] || continue
  echo "-- $(basename "$archive")"
  tar -tzf "$archive" | grep -v '/$' | sed 's/^/  /'
done
for archive in "$dist"/*.zip; do
  [ -f "$archive" ] || continue
  echo "-- $(basename "$archive")"
  unzip -Z1 "$archive" | sed 's/^/  /'
done

# Every archive carries the licence, the debug-symbol ones included.
for archive in "$dist"/*.tar.gz "$dist"/*.zip; do
  [ -f "$archive" ] || continue
  case "$archive" in
    *.zip) members=$(unzip -Z1 "$archive") ;;
    *) members=$(tar -tzf "$archive") ;;
  esac
  if ! grep -Eq '^[^/]+/(LICENSE\.txt|LICENSE|share/doc/torv/LICENSE)$' <<<"$members"; then
    echo "check-packages.sh: $(basename "$archive") carries no licence" >&2
    exit 1
  fi
done
echo "licence: in every archive"

step "lintian"
debs=("$dist"/libtorv_"$version"_"$deb_arch".deb "$dist"/libtorv-dev_"$version"_"$deb_arch".deb)
[ -f "$dist/torv-tools_${version}_$deb_arch.deb" ] && debs+=("$dist/torv-tools_${version}_$deb_arch.deb")
# Overridden tags are shown (O:, with their reasons as N:); an error or warning (E:, W:) fails.
lintian --show-overrides --fail-on none "${debs[@]}" 2>&1 | grep -v 'running with root privileges' | tee "$work/lintian.log"
if grep -q '^[EW]:' "$work/lintian.log"; then
  echo "check-packages.sh: lintian reports errors or warnings" >&2
  exit 1
fi
echo "lintian: no errors or warnings in ${#debs[@]} packages"

# The start of a consumer's CMakeLists.txt: the package found by version, and where from.
consumer_cmake_head() {
  cat <<'CMAKE'
cmake_minimum_required(VERSION 3.20)
project(torv_consumer C)
find_package(Torv 1.1 CONFIG REQUIRED)
message(STATUS "Torv ${Torv_VERSION} from ${Torv_DIR}")
CMAKE
}

# Builds both example hosts with pkg-config and with CMake against one installed tree and runs
# them. pkg-config and find_package see only that tree.
build_hosts() { # label, examples dir, pkg-config dir, CMake prefix, library dir for running (or "")
  local label=$1 examples=$2 pcdir=$3 prefix=$4 libdir=$5 out=$work/hosts-$1
  rm -rf "$out"
  mkdir -p "$out"
  local run=()
  [ -n "$libdir" ] && run=(env LD_LIBRARY_PATH="$libdir")
  local pc=(env PKG_CONFIG_PATH="$pcdir" PKG_CONFIG_LIBDIR="$pcdir")
  echo "pkg-config ($label): $("${pc[@]}" pkg-config --cflags --libs TorvVeskClientSession)"
  local host library
  for host in vesk_host:TorvVeskClientSession pdf417_host:torvc_pdf417; do
    library=${host#*:}
    host=${host%%:*}
    echo "+ cc -std=c11 -Wall -Wextra $examples/$host.c \$(pkg-config --cflags --libs $library) -ldl -o $host"
    # shellcheck disable=SC2046
    cc -std=c11 -Wall -Wextra -Werror "$examples/$host.c" $("${pc[@]}" pkg-config --cflags --libs "$library") -ldl \
      -o "$out/$host"
    "${run[@]}" "$out/$host" >"$out/$host.log" || { cat "$out/$host.log"; exit 1; }
    tail -1 "$out/$host.log"
  done
  echo "+ cc -std=c11 $examples/linked_host.c \$(pkg-config --cflags --libs TorvVeskClientSession torvc_pdf417)"
  # shellcheck disable=SC2046
  cc -std=c11 -Wall -Wextra -Werror "$examples/linked_host.c" \
    $("${pc[@]}" pkg-config --cflags --libs TorvVeskClientSession torvc_pdf417) -o "$out/linked_host"
  "${run[@]}" "$out/linked_host" | tail -1

  mkdir -p "$out/cmake"
  cat >"$out/cmake/CMakeLists.txt" <<CMAKE
$(consumer_cmake_head)
foreach(host vesk_host:TorvVeskClientSession pdf417_host:torvc_pdf417)
  string(REPLACE ":" ";" parts \${host})
  list(GET parts 0 name)
  list(GET parts 1 library)
  add_executable(\${name} $examples/\${name}.c)
  target_link_libraries(\${name} PRIVATE Torv::\${library} \${CMAKE_DL_LIBS})
endforeach()
add_executable(linked_host $examples/linked_host.c)
target_link_libraries(linked_host PRIVATE Torv::TorvVeskClientSession Torv::torvc_pdf417)
set_target_properties(vesk_host pdf417_host linked_host PROPERTIES C_STANDARD 11)
CMAKE
  echo "+ cmake -DCMAKE_PREFIX_PATH=$prefix (find_package(Torv 1.1 CONFIG) with Torv::TorvVeskClientSession, Torv::torvc_pdf417)"
  cmake -S "$out/cmake" -B "$out/cmake/build" -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF \
    -DCMAKE_C_FLAGS="-Wall -Wextra -Werror" | grep 'Torv '
  cmake --build "$out/cmake/build" >/dev/null
  for host in vesk_host pdf417_host linked_host; do
    "$out/cmake/build/$host" >"$out/$host-cmake.log" || { cat "$out/$host-cmake.log"; exit 1; }
    tail -1 "$out/$host-cmake.log"
  done
}

# Runs the guide's own compile lines (section 7) that start with `prefix`, in `dir`, as written.
guide_commands() { # prefix, dir
  local line ran=0
  while IFS= read -r line; do
    echo "+ (guide) $line"
    (cd "$2" && eval "$line")
    ran=$((ran + 1))
  done < <(sed -n "s|^    \($1.*\)$|\1|p" "$source/docs/integration.md")
  [ $ran -gt 0 ] || { echo "check-packages.sh: no compile line for $1 in the guide" >&2; exit 1; }
}

step "Debian packages: install, build hosts against /usr, remove"
installed=(libtorv libtorv-dev)
[ ${#debs[@]} -gt 2 ] && installed+=(torv-tools)
remove_packages() { dpkg -r "${installed[@]}" >/dev/null 2>&1 || true; }
trap remove_packages EXIT
dpkg -i "${debs[@]}" >/dev/null
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
build_hosts deb /usr/share/doc/libtorv-dev/examples "/usr/lib/$multiarch/pkgconfig" /usr ""
mkdir -p "$work/guide-deb"
guide_commands "cc -std=c11 /usr/share/doc/libtorv-dev/" "$work/guide-deb"
for host in vesk_host pdf417_host linked_host; do "$work/guide-deb/$host" | tail -1; done
if [ ${#debs[@]} -gt 2 ]; then
  pdf417 --version
  # The installed command finds its installed reader.
  pdf417-encode --verify -v -o "$work/verified.png" 'Order 4711' | tail -1
fi
dpkg -r "${installed[@]}" >/dev/null
trap - EXIT
if ls "/usr/lib/$multiarch"/libTorvVeskClientSession.so /usr/include/torvc_pdf417.h 2>/dev/null; then
  echo "check-packages.sh: files stayed after removing the packages" >&2
  exit 1
fi
echo "removed: ${installed[*]}"

step "Linux archive: build hosts against the unpacked tree"
rm -rf "$work/unpacked"
mkdir -p "$work/unpacked"
tar -xzf "$dist/torv-$version-linux-$arch.tar.gz" -C "$work/unpacked"
tree=$work/unpacked/torv-$version-linux-$arch
build_hosts archive "$tree/share/doc/torv/examples" "$tree/lib/pkgconfig" "$tree" "$tree/lib"
guide_commands "cc -std=c11 -Iinclude share/doc/torv/" "$tree"
guide_commands "./vesk_host lib/" "$tree" | tail -1

# Runs a Windows program under Wine. A machine whose kernel cannot execute 32-bit programs
# (no IA-32 emulation) cannot run the 32-bit Wine loader: the program is then only linked.
run_windows() { # program, arguments...
  if [ "$(od -An -tx2 -j$(($(od -An -tu4 -j60 -N4 "$1" | tr -d ' ') + 4)) -N2 "$1" | tr -d ' ')" = 014c ] &&
    ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
    echo "$(basename "$1"): linked; not run, this machine cannot execute 32-bit programs"
    return 0
  fi
  "$source/cmake/wine-run.sh" "$@"
}

# Every name a program imports from the two DLLs must be one the DLL exports (its .def file):
# a decorated name (_name, name@n) would fail to load.
check_imports() { # program, lib dir
  local imported listed
  imported=$(llvm-readobj --coff-imports "$1" | awk '/Name: / { dll = $2 } /Symbol: / && (dll == "TorvVeskClientSession.dll" || dll == "torvc_pdf417.dll") { print $2 }' | sort)
  listed=$(sed -n 's/^  \([A-Za-z_][A-Za-z0-9_]*\)$/\1/p' "$2"/*.def | sort)
  if [ -z "$imported" ] || [ -n "$(comm -23 <(echo "$imported") <(echo "$listed"))" ]; then
    echo "check-packages.sh: $(basename "$1") imports names the DLLs do not export:" $imported >&2
    exit 1
  fi
  echo "$(basename "$1"): imports $(echo "$imported" | wc -l) names, each exported by its DLL"
}

# A Windows ZIP: the linked host through both kinds of import library, run under Wine.
check_zip() { # i686|x86_64
  local arch=$1 zip=$dist/torv-$version-windows-$1.zip out=$work/windows-$1
  [ -f "$zip" ] || return 0
  rm -rf "$out"
  mkdir -p "$out"
  unzip -q "$zip" -d "$out"
  local tree=$out/torv-$version-windows-$arch bin=$out/run
  mkdir -p "$bin"
  cp "$tree"/bin/*.dll "$bin/"
  # The commands, run from the unpacked ZIP as they are: static programs, nothing beside them.
  local command
  for command in pdf417 pdf417-encode; do
    echo "+ bin/$command.exe -q -o $command.png 'Order 4711'"
    run_windows "$tree/bin/$command.exe" -q -o "$out/$command.png" 'Order 4711'
    if [ "$arch" = x86_64 ] || [ -f "$out/$command.png" ]; then
      [ "$(head -c 4 "$out/$command.png" 2>/dev/null | tail -c 3)" = PNG ] ||
        { echo "check-packages.sh: $command.exe ($arch) wrote no PNG picture" >&2; exit 1; }
      echo "$command.exe ($arch): wrote a PNG picture of $(stat -c %s "$out/$command.png") bytes"
    fi
  done
  local triplet=$arch-w64-mingw32
  echo "+ $triplet-gcc -std=c11 -I include doc/examples/linked_host.c -L lib -lTorvVeskClientSession -ltorvc_pdf417"
  "$triplet-gcc" -std=c11 -Wall -Wextra -Werror -I "$tree/include" "$tree/doc/examples/linked_host.c" \
    -L "$tree/lib" -lTorvVeskClientSession -ltorvc_pdf417 -o "$bin/linked_host.exe"
  check_imports "$bin/linked_host.exe" "$tree/lib"
  run_windows "$bin/linked_host.exe" | tail -1
  if [ "$arch" = x86_64 ]; then
    guide_commands "x86_64-w64-mingw32-gcc -std=c11 -Iinclude doc/" "$tree"
    cp "$tree/pdf417_host.exe" "$tree/linked_host.exe" "$bin/"
    run_windows "$bin/pdf417_host.exe" | tail -1
    run_windows "$bin/linked_host.exe" | tail -1
  fi
  # README.txt's mingw-w64 line and its two cmd.exe examples, run as written from the folder (the
  # cross compiler for gcc, / for \, the commands under Wine).
  local line
  line=$(tr -d '\r' <"$tree/README.txt" | sed -n 's/^  mingw-w64: *\(gcc .*\)$/\1/p' | head -1)
  [ -n "$line" ] || { echo "check-packages.sh: README.txt has no mingw-w64 compile line" >&2; exit 1; }
  echo "+ (README.txt) $line"
  (cd "$tree" && eval "$triplet-${line//\\//}" && cp linked_host.exe "$bin/readme_host.exe" && rm linked_host.exe)
  run_windows "$bin/readme_host.exe" | tail -1
  while IFS= read -r line; do
    line=${line#  }
    echo "+ (README.txt) $line"
    (cd "$out" && eval "run_windows $tree/${line//\\//}")
  done < <(tr -d '\r' <"$tree/README.txt" | grep -E '^  bin\\pdf417(-encode)?\.exe -')
  [ -s "$out/order.png" ] && [ -s "$out/label.bmp" ] ||
    { [ "$arch" = i686 ] || { echo "check-packages.sh: README.txt's examples wrote no pictures" >&2; exit 1; }; }

  # The ZIP's CMake package, from a mingw-w64 build with a cross toolchain file as integrators write
  # them (packages only below CMAKE_FIND_ROOT_PATH): found through Torv_DIR, Torv::... link
  # through lib<name>.dll.a.
  mkdir -p "$out/cmake"
  cat >"$out/cmake/toolchain.cmake" <<CMAKE
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR $arch)
set(CMAKE_C_COMPILER $triplet-gcc)
set(CMAKE_RC_COMPILER $triplet-windres)
set(CMAKE_FIND_ROOT_PATH /usr/$triplet)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
CMAKE
  cat >"$out/cmake/CMakeLists.txt" <<CMAKE
$(consumer_cmake_head)
add_executable(linked_host $tree/doc/examples/linked_host.c)
target_link_libraries(linked_host PRIVATE Torv::TorvVeskClientSession Torv::torvc_pdf417)
set_target_properties(linked_host PROPERTIES C_STANDARD 11)
CMAKE
  echo "+ cmake -DCMAKE_TOOLCHAIN_FILE=<mingw-w64 $arch, CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY> -DTorv_DIR=lib/cmake/Torv"
  cmake -S "$out/cmake" -B "$out/cmake/build" -DCMAKE_TOOLCHAIN_FILE="$out/cmake/toolchain.cmake" \
    -DTorv_DIR="$tree/lib/cmake/Torv" | grep 'Torv '
  cmake --build "$out/cmake/build" >/dev/null
  cp "$out/cmake/build/linked_host.exe" "$bin/linked_host_cmake.exe"
  check_imports "$bin/linked_host_cmake.exe" "$tree/lib"
  run_windows "$bin/linked_host_cmake.exe" | tail -1

  local target machine
  case "$arch" in i686) target=i686-pc-windows-msvc machine=x86 ;; *) target=x86_64-pc-windows-msvc machine=x64 ;; esac
  echo "+ clang++ --target=$target -c tests/packages/msvc_host.cpp -I include;" \
    "lld-link /entry:start lib/TorvVeskClientSession.lib lib/torvc_pdf417.lib"
  clang++ --target="$target" -std=c++17 -O1 -fno-exceptions -fno-stack-protector -Wall -Wextra -Werror \
    -I "$tree/include" -c "$source/tests/packages/msvc_host.cpp" -o "$out/msvc_host.obj"
  printf 'LIBRARY kernel32.dll\nEXPORTS\n  ExitProcess%s\n' "$([ "$arch" = i686 ] && echo @4)" >"$out/kernel32.def"
  llvm-dlltool -m "$([ "$arch" = i686 ] && echo i386 || echo i386:x86-64)" -d "$out/kernel32.def" -k \
    -l "$out/kernel32.lib"
  lld-link /nologo /nodefaultlib /entry:start /subsystem:console /machine:$machine "$out/msvc_host.obj" \
    "$tree/lib/TorvVeskClientSession.lib" "$tree/lib/torvc_pdf417.lib" "$out/kernel32.lib" /out:"$bin/msvc_host.exe"
  check_imports "$bin/msvc_host.exe" "$tree/lib"
  run_windows "$bin/msvc_host.exe" >"$out/msvc_host.log"
  if [ -s "$out/msvc_host.log" ]; then
    cat "$out/msvc_host.log"
  else
    echo "msvc_host ($arch, lld-link, MSVC-format import libraries): exit status 0, every call as documented"
  fi

  # The same host through the CMake package as an MSVC-like consumer (clang for *-windows-msvc,
  # lld-link): the imported targets must name <name>.lib, not the mingw import libraries.
  mkdir -p "$out/cmake-msvc"
  cat >"$out/cmake-msvc/toolchain.cmake" <<CMAKE
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR $([ "$arch" = i686 ] && echo X86 || echo AMD64))
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_CXX_COMPILER_TARGET $target)
set(CMAKE_LINKER lld-link)
# No Windows SDK or C runtime here: nothing is linked while CMake tries the compiler.
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)
set(CMAKE_CXX_STANDARD_LIBRARIES "" CACHE STRING "" FORCE)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
CMAKE
  cat >"$out/cmake-msvc/CMakeLists.txt" <<CMAKE
cmake_minimum_required(VERSION 3.20)
project(torv_msvc_consumer CXX)
find_package(Torv 1.1 CONFIG REQUIRED)
add_executable(msvc_host $source/tests/packages/msvc_host.cpp)
target_compile_options(msvc_host PRIVATE -O1 -fno-exceptions -fno-stack-protector)
target_link_options(msvc_host PRIVATE -nostdlib -fuse-ld=lld -Wl,/nodefaultlib,/entry:start,/subsystem:console)
target_link_libraries(msvc_host PRIVATE Torv::TorvVeskClientSession Torv::torvc_pdf417 $out/kernel32.lib)
CMAKE
  echo "+ cmake -DCMAKE_TOOLCHAIN_FILE=<clang $target> -DTorv_DIR=lib/cmake/Torv (Torv::... through <name>.lib)"
  cmake -S "$out/cmake-msvc" -B "$out/cmake-msvc/build" -DCMAKE_TOOLCHAIN_FILE="$out/cmake-msvc/toolchain.cmake" \
    -DTorv_DIR="$tree/lib/cmake/Torv" >/dev/null
  cmake --build "$out/cmake-msvc/build" >/dev/null
  if grep -q 'dll\.a' "$out/cmake-msvc/build/CMakeFiles/msvc_host.dir/linkLibs.rsp" 2>/dev/null ||
    ! grep -q 'TorvVeskClientSession\.lib' "$out/cmake-msvc/build/CMakeFiles/msvc_host.dir/linkLibs.rsp"; then
    echo "check-packages.sh: the CMake package gives an MSVC consumer no <name>.lib" >&2
    exit 1
  fi
  cp "$out/cmake-msvc/build/msvc_host.exe" "$bin/msvc_host_cmake.exe"
  check_imports "$bin/msvc_host_cmake.exe" "$tree/lib"
  run_windows "$bin/msvc_host_cmake.exe" && echo "msvc_host_cmake ($arch): linked through the CMake package's <name>.lib, ran"
}
step "Windows ZIPs: hosts linked through the import libraries"
check_zip x86_64
check_zip i686
echo
echo "check-packages.sh: all checks passed in $(($(date +%s) - start)) s"
