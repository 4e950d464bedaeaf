#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what a user gets: every file in its
# place, a valid desktop entry, a manual page that renders without warnings, and the
# installed qrlx-batch running on the installed samples.
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

cmake --install "$build" --prefix "$prefix" >/dev/null
expected="bin/qrlx
bin/qrlx-batch
share/applications/qrlx.desktop
share/doc/qrlx/examples/instructions.csv
share/doc/qrlx/examples/map.csv
share/doc/qrlx/help/files.html
share/doc/qrlx/help/index.html
share/doc/qrlx/help/messages.html
share/doc/qrlx/help/style.css
share/doc/qrlx/help/use.html
share/doc/qrlx/qrlx.chm
share/icons/hicolor/128x128/apps/qrlx.png
share/icons/hicolor/16x16/apps/qrlx.png
share/icons/hicolor/24x24/apps/qrlx.png
share/icons/hicolor/256x256/apps/qrlx.png
share/icons/hicolor/32x32/apps/qrlx.png
share/icons/hicolor/48x48/apps/qrlx.png
share/icons/hicolor/64x64/apps/qrlx.png
share/icons/hicolor/scalable/apps/qrlx.svg
share/man/man1/qrlx-batch.1"
actual=$(cd "$prefix" && find . -type f | sed 's|^\./||' | LC_ALL=C sort)
if [ "$actual" != "$expected" ]; then
    echo "installed files differ:"
    diff <(echo "$expected") <(echo "$actual") || true
    exit 1
fi

desktop-file-validate "$prefix/share/applications/qrlx.desktop"

warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$prefix/share/man/man1/qrlx-batch.1" 2>&1 >/dev/null)
if [ -n "$warnings" ]; then
    echo "the manual page renders with warnings:"
    echo "$warnings"
    exit 1
fi

cd "$prefix"
./bin/qrlx-batch --version | grep -q '^qrlx-batch [0-9]'
./bin/qrlx-batch share/doc/qrlx/examples/map.csv share/doc/qrlx/examples/instructions.csv \
    result.csv --warnings log.txt >out.txt
grep -q '検索成功数: 3' out.txt
test -s result.csv
echo "install tree checked"
