#!/usr/bin/env bash
# Installs what is missing and builds the program.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/build.sh
