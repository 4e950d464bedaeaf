#!/usr/bin/env bash
# Builds and renders docs/screenshot.png: the real main window, offscreen, after loading the
# sample files and running the search.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/build.sh
config=$(mktemp -d)
trap 'rm -rf "$config"' EXIT
mkdir -p docs
XDG_CONFIG_HOME="$config" QT_QPA_PLATFORM=offscreen \
    ./build/app/qrlx-screenshot docs/screenshot.png examples/map.csv examples/instructions.csv
echo "wrote docs/screenshot.png"
