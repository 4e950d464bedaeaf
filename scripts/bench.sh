#!/usr/bin/env bash
# Builds and runs the benchmarks: the CSV table, then the search engine on generated grid
# road networks of three sizes (10,000, 100,000 and 1,000,000 nodes; names and rows in
# random order), on one thread and on every core, and one map with a negative cycle.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/build.sh
./build/bench/csv_bench
cores=$(nproc)
for size in "100 1000" "316 1000" "1000 200"; do
    for threads in 1 "$cores"; do
        echo
        # shellcheck disable=SC2086
        ./build/bench/network_bench $size "$threads"
    done
done
echo
./build/bench/network_bench 300 20 1 negative-cycle
