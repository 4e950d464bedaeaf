#!/usr/bin/env bash
# Builds the Debian packages build/qrlx_VERSION_amd64.deb (the desktop program) and
# build/qrlx-batch_VERSION_amd64.deb (the command-line tool), with the hardening flags
# Debian gives a package (fortify, stack protector, relro and bindnow, PIE), in a build of
# its own.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh --tests
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
eval "$(dpkg-buildflags --export=sh)"
export CXXFLAGS="$CPPFLAGS $CXXFLAGS"  # CMake takes no CPPFLAGS: _FORTIFY_SOURCE is there
rm -rf build-package  # the flags count only in a new build
cmake -S . -B build-package -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQRLX_WERROR=ON \
    -DCMAKE_POSITION_INDEPENDENT_CODE=ON -DQRLX_TESTS=OFF >/dev/null
cmake --build build-package --parallel "$(nproc)"
(cd build-package && cpack -G DEB >/dev/null)
mkdir -p build
mv build-package/qrlx_*_amd64.deb build-package/qrlx-batch_*_amd64.deb build/
ls -l build/qrlx_*_amd64.deb build/qrlx-batch_*_amd64.deb
