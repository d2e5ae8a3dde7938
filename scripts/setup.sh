#!/usr/bin/env bash
# Installs the Debian packages Corvane needs (only the missing ones; works as
# root, uses sudo otherwise) and builds it out of tree in build/.
set -euo pipefail

top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir=${CORVANE_BUILD_DIR:-$top/build}

mapfile -t packages < <(grep -Ev '^\s*(#|$)' "$top/scripts/debian-packages.txt")
missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done

if ((${#missing[@]} > 0)); then
  echo "== Installing Debian packages: ${missing[*]}"
  as_root=()
  if [[ $(id -u) -ne 0 ]]; then
    as_root=(sudo)
  fi
  "${as_root[@]}" apt-get update
  "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
fi

echo "== Building in $build_dir"
cmake -S "$top" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build_dir"
