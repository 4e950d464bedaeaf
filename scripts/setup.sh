#!/usr/bin/env bash
# Installs the Debian packages the programs need, with --tests also those of the tests,
# only those still missing. These are the project's only lists of system packages.
set -euo pipefail

# What building and running the two programs needs.
packages=(
    g++
    cmake
    make
    qt6-base-dev
    libsqlite3-dev
    fonts-ipafont-gothic
    fonts-ipafont-mincho
    fontconfig
    qt6-translations-l10n
    xdg-utils
    fp-utils
    xchm
    librsvg2-bin
)
# What the tests, the checks and the packaging add (setup.sh --tests).
test_packages=(
    libgtest-dev
    sqlite3
    xvfb
    openbox
    xdotool
    x11-utils
    man-db
    desktop-file-utils
    clang
    clang-format
    libclang-rt-14-dev
    gdal-bin
    parallel
    lintian
    dpkg-dev
    appstream
)
if [ "${1:-}" = "--tests" ]; then
    packages+=("${test_packages[@]}")
fi

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
