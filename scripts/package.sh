#!/usr/bin/env bash
# Builds the Debian package build/qrlx_VERSION_amd64.deb.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/build.sh
cd build
cpack -G DEB
ls -l qrlx_*.deb
