#!/usr/bin/env bash
# Installs what is missing and builds into build/: everything, or with --programs only the
# two programs and what they ship (no tests, no benchmarks, no test tools installed).
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "${1:-}" = "--programs" ]; then
    bash scripts/setup.sh
    tests=OFF
else
    bash scripts/setup.sh --tests
    tests=ON
fi
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQRLX_WERROR=ON -DQRLX_TESTS=$tests >/dev/null
cmake --build build --parallel "$(nproc)"
