#!/usr/bin/env bash
# Builds and renders the pictures in docs/: the real main window, offscreen, after loading
# the sample files and running the search, at its first size (docs/screenshot.png, the
# README's) and enlarged (docs/screenshot-large.png); and the help viewer showing the help
# file's first page under a private X server (docs/help.png); and the extended grid's gallery
# (docs/grid-gallery.png).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/build.sh
work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT
mkdir -p docs
shot=./build/app/qrlx-screenshot
samples=(examples/map.csv examples/instructions.csv)
XDG_CONFIG_HOME="$work" QT_QPA_PLATFORM=offscreen "$shot" docs/screenshot.png "${samples[@]}"
XDG_CONFIG_HOME="$work" QT_QPA_PLATFORM=offscreen "$shot" docs/screenshot-large.png \
    "${samples[@]}" 1100x700
QT_QPA_PLATFORM=offscreen ./build/app/qrlx-grid-gallery --screenshot docs/grid-gallery.png

Xvfb -displayfd 1 -screen 0 1280x900x24 -nolisten tcp >"$work/display" 2>/dev/null &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -1 "$work/display")"
openbox --sm-disable 2>/dev/null &
pids+=($!)
for _ in $(seq 100); do xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q '#' && break; sleep 0.1; done
XDG_CONFIG_HOME="$work" xchm build/app/qrlx.chm 2>/dev/null &
pids+=($!)
viewer=$(timeout 20 xdotool search --sync --onlyvisible --class xchm | head -1)
xdotool windowsize "$viewer" 900 640
sleep 2
QT_QPA_PLATFORM=xcb "$shot" --window "$viewer" docs/help.png
echo "wrote docs/screenshot.png docs/screenshot-large.png docs/grid-gallery.png docs/help.png"
