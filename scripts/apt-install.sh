# SPDX-License-Identifier: Apache-2.0
# Sourced by the scripts that need Debian packages. apt_install_missing installs those of the
# given packages that are not installed yet; options (words starting with -) go to apt-get
# install. A package of a foreign architecture (name:arch) adds that architecture to dpkg first.
# Without root it only says what is missing and fails.
#
# A mirror that is syncing serves an index whose size its Release file does not announce yet
# ("File has unexpected size ... Mirror sync in progress?"): apt-get update then fails for a
# moment that has nothing to do with us. It is tried a few times with a pause (TORV_APT_TRIES,
# TORV_APT_PAUSE seconds); if it still fails, the install is tried with the lists at hand, and
# only a failed install fails, saying which packages could not be had. A foreign architecture's
# libraries must have the same versions as the native ones: when one architecture's index of the
# security suite is what failed, the install is tried again from the release's own suite
# (apt-get -t CODENAME), whose versions both architectures have.
apt_update_retrying() {
  local tries=${TORV_APT_TRIES:-5} pause=${TORV_APT_PAUSE:-20} attempt log
  log=$(mktemp)
  for ((attempt = 1; attempt <= tries; attempt++)); do
    if apt-get update -qq >"$log" 2>&1; then
      rm -f "$log"
      return 0
    fi
    echo "apt-get update failed (attempt $attempt of $tries):" >&2
    grep -E '^(E|W):' "$log" | head -n 5 >&2
    [ "$attempt" -lt "$tries" ] && sleep "$pause"
  done
  rm -f "$log"
  echo "apt-get update kept failing; installing with the package lists at hand" >&2
  return 1
}

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
  local updated=1
  apt_update_retrying || updated=0
  if apt-get install -y -qq "${options[@]}" "${missing[@]}"; then return 0; fi
  local codename
  codename=$(. /etc/os-release 2>/dev/null && echo "${VERSION_CODENAME:-}")
  if [ $updated = 0 ] && [ -n "$codename" ]; then
    echo "installing again from $codename's own suite, whose lists are complete" >&2
    apt-get install -y -qq -t "$codename" "${options[@]}" "${missing[@]}" && return 0
  fi
  echo "could not install the packages this step needs: ${missing[*]}" >&2
  echo "(the package lists may be stale while a mirror syncs: try again later)" >&2
  return 1
}
