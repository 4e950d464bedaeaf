#!/usr/bin/env bash
# Builds and renders the pictures in docs/: the real main window, offscreen, after loading
# the sample files and running the search, at its first size (docs/screenshot.png, the
# README's) and enlarged (docs/screenshot-large.png); and the help viewer showing the help
# file's first page under a private X server (docs/help.png); and the extended grid's gallery
# (docs/grid-gallery.png); and the main window in the middle of loading a large map
# (docs/screenshot-loading.png).
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
# A road grid of 640,000 nodes and about 2.5 million links.
python3 - "$work/large.csv" <<'PY'
import sys
side = 800
with open(sys.argv[1], "w", encoding="cp932", newline="") as out:
    out.write("M_始点ノード名,M_終点ノード名,M_ノード間距離\r\n")
    for y in range(side):
        for x in range(side):
            here = f"交差点{x}-{y}"
            for nx, ny in ((x + 1, y), (x, y + 1)):
                if nx < side and ny < side:
                    there = f"交差点{nx}-{ny}"
                    length = 100 + (x * 7 + y * 13) % 400
                    out.write(f"{here},{there},{length}\r\n{there},{here},{length}\r\n")
PY
XDG_CONFIG_HOME="$work" QT_QPA_PLATFORM=offscreen "$shot" --during-load \
    docs/screenshot-loading.png "$work/large.csv"

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
echo "wrote docs/screenshot.png docs/screenshot-large.png docs/grid-gallery.png" \
    "docs/screenshot-loading.png docs/help.png"
