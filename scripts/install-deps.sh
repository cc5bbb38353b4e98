#!/usr/bin/env bash
# Installs the Debian packages that building, testing and benchmarking need.
set -euo pipefail
packages=(
  cmake g++ make pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libzxing-dev libzint-dev libpng-dev
  default-jdk-headless
  clang libclang-rt-14-dev
)
# shellcheck source=apt-install.sh
. "$(dirname "$0")/apt-install.sh"
apt_install_missing "${packages[@]}"
