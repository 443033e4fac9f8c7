#!/usr/bin/env bash
# Builds the plug-in and installs the LV2 and VST3 bundles for the current user.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
scripts/build.sh

artefacts=build/Tavo_artefacts/RelWithDebInfo
mkdir -p "$HOME/.lv2" "$HOME/.vst3"
rm -rf "$HOME/.lv2/Tavo.lv2" "$HOME/.vst3/Tavo.vst3"
cp -r "$artefacts/LV2/Tavo.lv2" "$HOME/.lv2/"
cp -r "$artefacts/VST3/Tavo.vst3" "$HOME/.vst3/"

echo "Installed the LV2 plug-in to  $HOME/.lv2/Tavo.lv2"
echo "Installed the VST3 plug-in to $HOME/.vst3/Tavo.vst3"
echo "The standalone application is $PWD/$artefacts/Standalone/Tavo"
