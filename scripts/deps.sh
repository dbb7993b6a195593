#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the program need; only what is missing.
set -euo pipefail
packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev libgl-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libthai-dev libthai-data libdatrie1-bin hunspell-th
  libharfbuzz-dev libharfbuzz-bin
  fonts-thai-tlwg fonts-dejavu-core
  xvfb
  xdotool
  x11-utils
  libx11-dev
  poppler-utils
  clang
  libclang-rt-14-dev
  desktop-file-utils
  xclip
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
