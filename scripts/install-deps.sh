#!/usr/bin/env bash
# Installs the Debian packages that building and testing Tavo needs.
# Idempotent: prints nothing and changes nothing when everything is present.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config
    juce-modules-source
    libprotobuf-dev protobuf-compiler
    libeigen3-dev libkissfft-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    libflac-dev libvorbis-dev libogg-dev libpng-dev libjpeg-dev zlib1g-dev
    libasound2-dev libfreetype-dev libcurl4-gnutls-dev libgl-dev
    libx11-dev libxext-dev libxinerama-dev libxrandr-dev libxcursor-dev
    libjack-jackd2-dev lv2-dev lilv-utils
    libcli11-dev nlohmann-json3-dev fonts-dejavu-core
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
    echo "install-deps: missing packages: ${missing[*]}; run this script as root" >&2
    exit 1
fi

echo "install-deps: installing ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
