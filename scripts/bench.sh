#!/usr/bin/env bash
# Builds and runs the benchmarks: the CSV table, then the search engine on generated grid
# road networks of three sizes (10,000, 100,000 and 1,000,000 nodes; names and rows in
# random order), on one thread and on every core, the largest also with its searches from
# ten depots, and one map with a negative cycle. Ends with a table of where the time went:
# per run, the total, the loading alone and the search phase. Then, when the benchmark kit
# beside the project (../shared/bench) has its real road graphs, New York's road network
# with 200 and 10,000 random searches, phase by phase, and with 100,000: the run as it goes,
# then the hierarchy built alone and the cost of a search up it. Last, the window with 500,000
# results on the largest map: the longest wait for its event loop and the peak memory.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/build.sh
./build/bench/csv_bench
cores=$(nproc)
summary=""
# Runs network_bench with the arguments and keeps its phase line for the table.
run() {
    echo
    local out
    out=$(./build/bench/network_bench "$@")
    echo "$out"
    summary+=$(printf '%-34s %s' "$*" "$(grep '^phases:' <<<"$out" | cut -d' ' -f2-)")$'\n'
}
for size in "100 1000" "316 1000" "1000 200"; do
    for threads in 1 "$cores"; do
        # shellcheck disable=SC2086
        run $size "$threads"
    done
done
run 1000 1000 "$cores" depots
run 300 20 1 negative-cycle

echo
echo "SIDE SEARCHES THREADS [KIND]         total = loading + search phase"
printf '%s' "$summary"

kit=../shared/bench
if [ -f "$kit/real/USA-road-d.NY.gr.gz" ]; then
    real=$(mktemp -d)
    trap 'rm -rf "$real"' EXIT
    for pairs in 200 10000 100000; do
        echo
        python3 "$kit/real_network.py" "$kit/real/USA-road-d.NY.gr.gz" "$real/$pairs" \
            --pairs "$pairs" --seed 5 >/dev/null
        ./build/bench/network_bench --files "$real/$pairs/map.csv" "$real/$pairs/drf.csv" "$cores"
    done
    echo
    ./build/bench/network_bench --files "$real/100000/map.csv" "$real/100000/drf.csv" "$cores" \
        hierarchy
fi

echo
./build/bench/window_bench 1000 500000 36
