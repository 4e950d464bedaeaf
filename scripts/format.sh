#!/usr/bin/env bash
# Checks that every C and C++ source is as clang-format lays it out (.clang-format);
# with --fix, formats them in place instead.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh --tests
mapfile -t sources < <(git ls-files '*.cpp' '*.h' '*.c')
if [ "${1:-}" = "--fix" ]; then
    clang-format -i "${sources[@]}"
else
    clang-format --dry-run --Werror "${sources[@]}"
fi
