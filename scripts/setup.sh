#!/usr/bin/env bash
# Installs the Debian packages the build needs, only those still missing.
# This is the one list of the project's system packages.
set -euo pipefail

packages=(
    g++
    cmake
    make
    libgtest-dev
    qt6-base-dev
    libsqlite3-dev
    sqlite3
    fonts-ipafont-gothic
    fonts-ipafont-mincho
    fontconfig
    qt6-translations-l10n
    xdg-utils
    fp-utils
    xchm
    xvfb
    openbox
    xdotool
    x11-utils
    man-db
    desktop-file-utils
    librsvg2-bin
    clang
    clang-format
    libclang-rt-14-dev
    gdal-bin
    parallel
    lintian
    dpkg-dev
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

as_root=()
if [ "$(id -u)" -ne 0 ]; then
    as_root=(sudo)
fi
echo "Installing: ${missing[*]}"
"${as_root[@]}" apt-get update -q
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
