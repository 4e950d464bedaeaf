#!/usr/bin/env bash
# Installs what is missing, builds, and runs qrlx-batch on the sample files, showing the
# result file and the warning log (converted from CP932 for the terminal).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/build.sh
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
