#!/usr/bin/env bash
# Installs what is missing, builds everything and runs the whole test suite.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
scripts/build.sh "$@"
ctest --test-dir "${TAVO_BUILD_DIR:-build}" --output-on-failure -j 2
