#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what a user gets: every file in its
# place, a valid desktop entry and software-centre entry, manual pages that render without
# warnings, the help outside /usr/share/doc, two packages lintian accepts (the command-line
# one without the desktop), and the installed qrlx-batch running on the installed samples.
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

cmake --install "$build" --prefix "$prefix" >/dev/null
expected="bin/qrlx
bin/qrlx-batch
share/applications/qrlx.desktop
share/doc-base/qrlx
share/doc/qrlx-batch/changelog.gz
share/doc/qrlx-batch/copyright
share/doc/qrlx-batch/examples/instructions-via.csv
share/doc/qrlx-batch/examples/instructions.csv
share/doc/qrlx-batch/examples/join-parts.sh
share/doc/qrlx-batch/examples/map.csv
share/doc/qrlx-batch/examples/roads.csv
share/doc/qrlx-batch/examples/slurm-job.sh
share/doc/qrlx/changelog.gz
share/doc/qrlx/copyright
share/doc/qrlx/help/files.html
share/doc/qrlx/help/index.html
share/doc/qrlx/help/messages.html
share/doc/qrlx/help/style.css
share/doc/qrlx/help/use.html
share/icons/hicolor/128x128/apps/qrlx.png
share/icons/hicolor/16x16/apps/qrlx.png
share/icons/hicolor/24x24/apps/qrlx.png
share/icons/hicolor/256x256/apps/qrlx.png
share/icons/hicolor/32x32/apps/qrlx.png
share/icons/hicolor/48x48/apps/qrlx.png
share/icons/hicolor/64x64/apps/qrlx.png
share/icons/hicolor/scalable/apps/qrlx.svg
share/lintian/overrides/qrlx-batch
share/man/man1/qrlx-batch.1.gz
share/man/man1/qrlx.1.gz
share/metainfo/org.example.qrlx.metainfo.xml
share/qrlx/qrlx.chm"
actual=$(cd "$prefix" && find . -type f | sed 's|^\./||' | LC_ALL=C sort)
if [ "$actual" != "$expected" ]; then
    echo "installed files differ:"
    diff <(echo "$expected") <(echo "$actual") || true
    exit 1
fi

desktop-file-validate "$prefix/share/applications/qrlx.desktop"
appstreamcli validate --no-net "$prefix/share/metainfo/org.example.qrlx.metainfo.xml" >/dev/null

for page in qrlx qrlx-batch; do
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$prefix/share/man/man1/$page.1.gz" 2>&1 >/dev/null)
    if [ -n "$warnings" ]; then
        echo "the manual page $page(1) renders with warnings:"
        echo "$warnings"
        exit 1
    fi
done

# The Debian packages as a maintainer would check them: no error, no warning (the
# overrides say why the samples are Shift-JIS); the command-line package needs no desktop.
rm -f "$build"/qrlx*_amd64.deb
(cd "$build" && cpack -G DEB >/dev/null)
for deb in "$build"/qrlx_*_amd64.deb "$build"/qrlx-batch_*_amd64.deb; do
    if ! report=$(lintian --pedantic --fail-on error,warning "$deb" 2>&1); then
        echo "lintian finds errors or warnings in $deb:"
        echo "$report"
        exit 1
    fi
done
batch_depends=$(dpkg-deb --field "$build"/qrlx-batch_*_amd64.deb Depends)
if echo "$batch_depends" | grep -qi 'qt6\|xchm\|fonts'; then
    echo "qrlx-batch depends on the desktop: $batch_depends"
    exit 1
fi
dpkg-deb --field "$build"/qrlx_*_amd64.deb Depends | grep -q 'qrlx-batch (= '
dpkg-deb --field "$build"/qrlx_*_amd64.deb Recommends | grep -q xchm

cd "$prefix"
./bin/qrlx-batch --version | grep -q '^qrlx-batch [0-9]'
./bin/qrlx-batch share/doc/qrlx-batch/examples/map.csv share/doc/qrlx-batch/examples/instructions.csv \
    result.csv --warnings log.txt >out.txt
grep -q '検索成功数: 3' out.txt
test -s result.csv
echo "install tree checked"
