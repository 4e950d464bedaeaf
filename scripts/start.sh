#!/usr/bin/env bash
# Installs what the programs need, builds them, and starts the desktop program. Without a
# display it says so and runs the command-line tool on the sample files instead.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/build.sh --programs
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    exec ./build/app/qrlx
fi

echo
echo "No display is available (neither DISPLAY nor WAYLAND_DISPLAY is set), so the window"
echo "cannot open. Start build/app/qrlx from a desktop session. Meanwhile, the same search"
echo "through the command-line tool on the sample files in examples/:"
echo
out=build/examples
mkdir -p "$out"
status=0
./build/batch/qrlx-batch examples/map.csv examples/instructions.csv "$out/result.csv" \
    --warnings "$out/warnings.txt" || status=$?
echo
echo "== $out/result.csv"
iconv -f CP932 -t UTF-8 "$out/result.csv"
echo "== $out/warnings.txt"
iconv -f CP932 -t UTF-8 "$out/warnings.txt"
exit "$status"
