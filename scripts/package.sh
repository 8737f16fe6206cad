#!/usr/bin/env bash
# Builds the Debian package with CPack into build-package/ and leaves
# out/zelmor_<version>_amd64.deb. With --check it then runs the package's tests
# (tests/package/package_test.sh): lintian, installing it, the launcher on a fresh home folder
# under Xvfb, the folder's bad cases, and removing it. Installs what it needs when missing (as
# root).
set -euo pipefail
cd "$(dirname "$0")/.."
check=false
[[ "${1:-}" == "--check" ]] && check=true
fail() {
    echo "package: $*" >&2
    exit 1
}

scripts/install-deps.sh package

# The package ships the generated data as the generator wrote it, nothing changed by hand.
if ! changed=$(cd data && grep -v '^#' .generated | sha256sum --check --quiet 2>&1); then
    fail "data/ holds files changed since scripts/make_models.py wrote them, and the package" \
        "ships only what it writes (python3 scripts/make_models.py --force writes them again):
$changed"
fi

# Debian's own compiler and linker flags for packages: fortified and hardened binaries.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
flags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
cmake -S . -B build-package -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=/usr \
    -DBUILD_TESTING=OFF -DZELMOR_BENCH=OFF "-DCMAKE_CXX_FLAGS=$flags" \
    "-DCMAKE_EXE_LINKER_FLAGS=$(dpkg-buildflags --get LDFLAGS)" >/dev/null
cmake --build build-package -j2
rm -f build-package/zelmor_*.deb
(cd build-package && cpack -G DEB >/dev/null) || fail "cpack failed (see build-package/_CPack_Packages/)"
made=(build-package/zelmor_*_amd64.deb)
deb=${made[0]##*/}
mkdir -p out
rm -f out/zelmor_*_amd64.deb
mv "build-package/$deb" "out/$deb"
echo "package: out/$deb ($(du -k "out/$deb" | cut -f 1) KB)"

if $check; then
    tests/package/package_test.sh "out/$deb"
fi
