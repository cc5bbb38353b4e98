# SPDX-License-Identifier: Apache-2.0
# Sourced by the scripts that need Debian packages. apt_install_missing installs those of the
# given packages that are not installed yet; options (words starting with -) go to apt-get
# install. A package of a foreign architecture (name:arch) adds that architecture to dpkg first.
# Without root it only says what is missing and fails.
apt_install_missing() {
  local options=() missing=() architectures=() p
  for p in "$@"; do
    case "$p" in
      -*) options+=("$p") ;;
      *) dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p") ;;
    esac
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" -ne 0 ]; then
    echo "missing packages: ${missing[*]} (run as root to install them)" >&2
    return 1
  fi
  for p in "${missing[@]}"; do
    case "$p" in *:*) architectures+=("${p##*:}") ;; esac
  done
  for p in "${architectures[@]}"; do
    if [ "$p" != "$(dpkg --print-architecture)" ] && ! dpkg --print-foreign-architectures | grep -qx "$p"; then
      dpkg --add-architecture "$p"
    fi
  done
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq "${options[@]}" "${missing[@]}"
}
