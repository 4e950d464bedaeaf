#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer and UndefinedBehaviorSanitizer
# on) and runs each for SECONDS (default 60), starting from the committed seed corpora.
# Findings are written as crash-* files into build-fuzz/findings/ and make the script fail.
#   bash scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
bash scripts/setup.sh --tests
cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DQRLX_FUZZ=ON \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz --parallel "$(nproc)"
mkdir -p build-fuzz/findings
for target in csv_roundtrip batch_flow profile; do
    corpus=build-fuzz/corpus/$target
    mkdir -p "$corpus"
    cp -n tests/fuzz/corpus/$target/* "$corpus"/
    echo "fuzzing $target for $seconds s"
    "./build-fuzz/tests/fuzz/${target}_fuzz" -max_total_time="$seconds" -print_final_stats=1 \
        -artifact_prefix=build-fuzz/findings/ "$corpus" 2>&1 |
        grep -E '^(stat::number_of_executed_units|Done|==[0-9]+==ERROR|SUMMARY)' || true
    if [ "${PIPESTATUS[0]}" -ne 0 ]; then
        echo "fuzz target $target found a failure; see build-fuzz/findings/" >&2
        exit 1
    fi
done
