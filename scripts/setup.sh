#!/usr/bin/env bash
# Installs whatever the build and the tests need from Debian's packages. Safe to run again: it
# installs only what is missing.
set -euo pipefail

packages=(
    cmake ninja-build g++ ccache
    qt6-base-dev qt6-base-dev-tools libgl-dev
    libchm-dev fp-utils
    libyaml-cpp-dev
    googletest libgtest-dev libgmock-dev libbenchmark-dev
    fonts-liberation
    clang libclang-rt-14-dev
    desktop-file-utils appstream shared-mime-info librsvg2-bin
    dpkg-dev file python3
    locales
    neovim
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done

sudo=()
if [[ $(id -u) -ne 0 ]]; then
    sudo=(sudo)
fi

if ((${#missing[@]} > 0)); then
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    "${sudo[@]}" apt-get update -qq
    "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# A locale whose decimal separator is a comma: the tests run once more under it. Without it that
# run is skipped (scripts/test.sh says so); nothing else depends on it.
if ! locale -a 2>/dev/null | grep -qix 'de_DE\.utf-\?8'; then
    "${sudo[@]}" localedef -i de_DE -f UTF-8 de_DE.UTF-8 ||
        echo "setup: the locale de_DE.UTF-8 could not be generated" >&2
fi
