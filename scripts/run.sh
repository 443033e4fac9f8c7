#!/usr/bin/env bash
# The main job: installs what is missing, builds Tavo and aligns the bundled
# demo session (a synthesised multi-microphone drum recording) with
# tavo-align. The results go to ./demo-output. Extra arguments go to
# tavo-align, e.g. scripts/run.sh --lookahead 300.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
scripts/build.sh

build/tools/align/tavo-align --demo -o demo-output --plot demo-output/alignment.png \
    --mix demo-output/mix.wav --force "$@"
