#!/usr/bin/env bash
# Installs the Debian 12 packages the build needs. Does nothing, and says
# nothing, when they are all there already, so every build script can call it.
set -euo pipefail

PACKAGES=(
    desktop-file-utils
    build-essential
    g++
    cmake
    libgtest-dev
    libgmock-dev
    clang-14
    clang-format-14
    libclang-rt-14-dev
    zlib1g-dev
    libjpeg-dev
    nlohmann-json3-dev
    qt6-base-dev
    qt6-l10n-tools
    libx11-dev
    fonts-dejavu-core
    pkg-config
    libfreexl-dev
    libgsf-1-dev
    libzip-dev
    libexpat1-dev
    zip
    unzip
    poppler-utils   # pdftotext: the window tests read the PDF that the print window saves
)

missing=()
for package in "${PACKAGES[@]}"; do
    status=$(dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null || true)
    if [[ "$status" != "installed" ]]; then
        missing+=("$package")
    fi
done

if (( ${#missing[@]} == 0 )); then
    exit 0
fi

if [[ $EUID -ne 0 ]]; then
    echo "install-deps: missing packages: ${missing[*]}; run as root (sudo) to install them" >&2
    exit 1
fi

echo "install-deps: installing ${missing[*]}"
apt-get update -qq
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
