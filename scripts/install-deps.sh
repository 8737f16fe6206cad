#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing zelmor need, when missing;
# with the argument "windows", also those of the Windows build, with "package" those of the
# Debian package.
set -euo pipefail

packages=(build-essential cmake pkg-config libsdl2-dev libgl-dev libglu1-mesa-dev libx11-dev
          libgtest-dev libgmock-dev libbenchmark-dev xvfb xdotool x11-apps imagemagick
          python3 clang-14 libclang-rt-14-dev openbox x11-utils)
# The web build and its checks (scripts/web.sh installs these itself when run alone).
packages+=(emscripten nodejs chromium)
# The Windows build (scripts/windows.sh): MinGW-w64 with POSIX threads, GoogleTest's sources to
# build for it, wine to run it, zip to pack it.
if [[ "${1:-}" == "windows" ]]; then
    packages+=(mingw-w64 g++-mingw-w64-x86-64-posix googletest wine wine64 zip)
fi
# The Debian package (scripts/package.sh): CPack finds the runtime libraries' packages with
# dpkg-shlibdeps, and lintian checks the result.
if [[ "${1:-}" == "package" ]]; then
    packages+=(dpkg-dev lintian)
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

# apt-get, waiting up to five minutes while another package manager holds its lock (a machine
# that is still installing its updates) instead of failing at once.
apt_get() {
    local deadline=$((SECONDS + 300)) output waited=0
    until output=$(apt-get "$@" 2>&1); do
        if [[ $output != *"Could not get lock"* ]] || ((SECONDS >= deadline)); then
            printf '%s\n' "$output" >&2
            return 1
        fi
        if ((waited % 60 == 0)); then
            echo "Waiting for another package manager to finish ($((waited / 60)) of 5 minutes):"
            grep -m 1 "Could not get lock" <<<"$output" || true
        fi
        sleep 5
        waited=$((waited + 5))
    done
}
apt_get update -qq
apt_get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
