#!/usr/bin/env bash
# Configures and builds zelmor with the default preset into build/ (or into the folder given as
# the first argument); further arguments go to the configuration.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${1:-build}
shift || true
cmake --preset default -B "$build_dir" "$@" >/dev/null
cmake --build "$build_dir" -j"$(nproc)"
