#!/usr/bin/env bash
# Run by hand as root (not in CI): makes a fresh Debian 12 root with debootstrap, installs
# the command-line package there with apt-get, runs the installed qrlx-batch on the installed
# samples, then installs the desktop package beside it.
# Usage: bash scripts/try-package.sh [ROOT_DIR]   (default: a new folder under /tmp)
set -euo pipefail
cd "$(dirname "$0")/.."

root=${1:-$(mktemp -d /tmp/qrlx-debian-XXXXXX)}
mirror=http://deb.debian.org/debian
if ! command -v debootstrap >/dev/null; then
    apt-get update -q
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q debootstrap
fi
bash scripts/package.sh
batch=$(ls build/qrlx-batch_*_amd64.deb)
desktop=$(ls build/qrlx_*_amd64.deb)

echo "== debootstrap bookworm into $root"
debootstrap --variant=minbase bookworm "$root" "$mirror" >"$root.debootstrap.log" 2>&1 ||
    { tail -20 "$root.debootstrap.log"; exit 1; }
cp "$batch" "$desktop" "$root/tmp/"
mount --bind /proc "$root/proc"
trap 'umount "$root/proc"' EXIT

echo "== apt-get install ./$(basename "$batch")"
chroot "$root" /bin/sh -c "apt-get update -q >/dev/null &&
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q ./tmp/$(basename "$batch") | tail -3"

echo "== qrlx-batch in the fresh root"
chroot "$root" /bin/sh -c 'cd /tmp && qrlx-batch --version &&
    qrlx-batch /usr/share/doc/qrlx-batch/examples/map.csv \
        /usr/share/doc/qrlx-batch/examples/instructions.csv \
        result.csv --warnings log.txt; echo "exit status $?" &&
    head -3 result.csv | iconv -f CP932 -t UTF-8 && wc -l log.txt &&
    echo "packages installed: $(dpkg -l | grep -c ^ii)"'

echo "== apt-get install ./$(basename "$desktop")"
chroot "$root" /bin/sh -c "DEBIAN_FRONTEND=noninteractive apt-get install -y -q \
    ./tmp/$(basename "$desktop") | tail -3 &&
    dpkg -L qrlx | grep -E 'bin/|applications|metainfo|man1|qrlx.chm$'"
