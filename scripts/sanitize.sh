#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer into build-asan/
# and runs the whole test suite there. Leak reports are off: Qt and fontconfig keep
# process-lifetime allocations that are not faults.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh --tests
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQRLX_SANITIZE=ON >/dev/null
cmake --build build-asan --parallel "$(nproc)"
cd build-asan
ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --output-on-failure --no-tests=error
