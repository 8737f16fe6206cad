#!/usr/bin/env bash
# Builds zelmor and runs every test: logic, GL on a Mesa context, and the real program under
# its own Xvfb. Installs the Debian packages it needs when they are missing.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh build
ctest --test-dir build --output-on-failure -j2
