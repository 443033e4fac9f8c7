#!/usr/bin/env bash
# Configures and builds everything into ./build (or $TAVO_BUILD_DIR).
# Extra arguments go to CMake's configure step, e.g. -DTAVO_SANITIZER=thread.
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=${TAVO_BUILD_DIR:-build}
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build "$build_dir"
