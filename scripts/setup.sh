#!/usr/bin/env bash
# Installs whatever the build and the tests need from Debian's packages. Safe to run again: it
# installs only what is missing.
set -euo pipefail

packages=(
    cmake ninja-build g++ ccache
    qt6-base-dev qt6-base-dev-tools libgl-dev
    libchm-dev fp-utils
    googletest libgtest-dev libgmock-dev libbenchmark-dev
    fonts-liberation
    clang libclang-rt-14-dev
    desktop-file-utils appstream shared-mime-info librsvg2-bin
    dpkg-dev file
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done

if ((${#missing[@]} == 0)); then
    exit 0
fi

echo "Installing: ${missing[*]}"
sudo=()
if [[ $(id -u) -ne 0 ]]; then
    sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
