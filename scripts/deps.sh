#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian 12 machine; does nothing when all is there.
set -euo pipefail
packages=(cmake ninja-build g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
          wine64 fonts-wine xvfb xauth googletest clang libclang-rt-14-dev
          python3 librsvg2-bin fonts-wqy-microhei fonts-tlwg-loma-ttf x11-apps)
missing=()
for p in "${packages[@]}"; do
    dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
