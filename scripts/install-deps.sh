#!/usr/bin/env bash
# Installs the Debian 12 packages the build needs. Does nothing, and says
# nothing, when they are all there already, so every build script can call it.
# Run as the user: only installing missing packages needs root, which it asks
# for through sudo (as root, on a fresh machine, it runs apt-get itself).
set -euo pipefail

PACKAGES=(
    desktop-file-utils   # desktop-file-validate: the launcher's test
    appstream            # appstreamcli: the metainfo's test
    dpkg-dev             # dpkg-shlibdeps: the Debian package's dependencies
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
    libseccomp-dev   # the confinement of the workbook reader
    libxlsxwriter-dev # the lists exported as .xlsx
    libxml2-dev      # the lists exported as .ods
    zip
    unzip
    poppler-utils   # pdftotext: the window tests read the PDF that the print window saves
    help2man        # epinax-cli's manual page, from its --help
    lintian         # the Debian package's test judges it by Debian's rules
    bash-completion # the package's test runs epinax-cli's completion
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

as_root=()
if [[ $EUID -ne 0 ]]; then
    if ! command -v sudo >/dev/null; then
        echo "install-deps: missing packages: ${missing[*]}; run as root to install them (sudo is not installed)" >&2
        exit 1
    fi
    as_root=(sudo)
    echo "install-deps: installing ${missing[*]} through sudo"
else
    echo "install-deps: installing ${missing[*]}"
fi
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
