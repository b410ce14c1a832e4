#!/usr/bin/env bash
# Installs the Debian packages of scripts/packages.txt that are missing.
# On a machine that has them all it does nothing, not even "apt-get update".
# Run it, or source it and call vantix_install_deps.

vantix_install_deps() {
  local list
  list="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/packages.txt"

  local missing=() pkg
  while read -r pkg; do
    pkg="${pkg%%#*}"
    pkg="${pkg//[[:space:]]/}"
    [[ -n "$pkg" ]] || continue
    # "install ok installed" is the only state that counts: half-installed or
    # removed-with-config-kept packages get installed again.
    if [[ "$(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null)" != "install ok installed" ]]; then
      missing+=("$pkg")
    fi
  done < "$list"
  [[ ${#missing[@]} -gt 0 ]] || return 0

  local sudo=()
  if [[ "$(id -u)" -ne 0 ]]; then
    if ! command -v sudo >/dev/null; then
      echo "deps: missing packages (${missing[*]}) and no sudo to install them as root" >&2
      return 1
    fi
    sudo=(sudo)
  fi
  echo "deps: installing ${missing[*]}"
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive \
    apt-get install -y -q --no-install-recommends "${missing[@]}"
}

if [[ "${BASH_SOURCE[0]}" == "$0" ]]; then
  set -euo pipefail
  vantix_install_deps
fi
