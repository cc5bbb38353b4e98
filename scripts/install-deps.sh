#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# Installs the Debian packages that building, testing, benchmarking and packaging need.
set -euo pipefail
packages=(
  cmake g++ make pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libzxing-dev libzint-dev zlib1g-dev libpng-dev librsvg2-bin zint man-db
  # pdf417-encode's EPS and PDF pictures rasterised in the tests
  ghostscript poppler-utils
  # Java ZXing reads every Macro PDF417 field in the tests
  libzxing-core-java
  default-jdk-headless
  # MicroPDF417 against BWIPP: bwip-js runs under Node (scripts/install-bwipjs.sh BUILD installs it
  # with npm into the build tree)
  nodejs
  clang libclang-rt-14-dev
  # scripts/package.sh: the Windows DLLs and commands (with zlib inside), splitting debug
  # information, the Debian packages (debhelper) and the ZIPs
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
  libz-mingw-w64-dev
  binutils dpkg-dev debhelper zip unzip
  # MSVC-format import libraries (llvm-dlltool) and the checks of the packages: lintian, and a
  # host linked with lld-link against them; the check itself is a Python program
  # (scripts/check_packages.py)
  llvm lld lintian python3
)
# shellcheck source=apt-install.sh
. "$(dirname "$0")/apt-install.sh"
apt_install_missing "${packages[@]}"
