#!/usr/bin/env bash
# Builds and runs the benchmarks.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/build.sh
./build/bench/csv_bench
./build/bench/network_bench
./build/bench/network_bench 300 20 negative-cycle
