#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing zelmor need, when missing;
# with the argument "windows", also those of the Windows build.
set -euo pipefail

packages=(build-essential cmake pkg-config libsdl2-dev libgl-dev libglu1-mesa-dev libx11-dev
          libgtest-dev libgmock-dev libbenchmark-dev xvfb xdotool x11-apps imagemagick
          python3 clang-14 libclang-rt-14-dev)
# The Windows build (scripts/windows.sh): MinGW-w64 with POSIX threads, GoogleTest's sources to
# build for it, wine to run it, zip to pack it.
if [[ "${1:-}" == "windows" ]]; then
    packages+=(mingw-w64 g++-mingw-w64-x86-64-posix googletest wine wine64 zip)
fi

missing=()
for package in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$package")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing: ${missing[*]}"
if [[ $(id -u) -ne 0 ]]; then
    echo "These Debian packages are missing; run as root or install them: ${missing[*]}" >&2
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
