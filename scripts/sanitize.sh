#!/usr/bin/env bash
# Builds and runs the test suite under a sanitizer in a build folder of its
# own: scripts/sanitize.sh thread, or scripts/sanitize.sh address.
set -euo pipefail
cd "$(dirname "$0")/.."

kind=${1:-thread}
export TAVO_BUILD_DIR=build-$kind
export TSAN_OPTIONS=${TSAN_OPTIONS:-"halt_on_error=1 second_deadlock_stack=1"}
export ASAN_OPTIONS=${ASAN_OPTIONS:-"detect_leaks=1"}
scripts/test.sh -DTAVO_SANITIZER="$kind" -DTAVO_BUILD_PLUGIN=OFF
