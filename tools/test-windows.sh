#!/bin/sh
# `make test-windows`: the Windows build's tests under Wine, in a Wine prefix of the build's
# own (TREE/wine). The prefix is made first, so that tests running side by side don't all make
# it, and one Wine server is kept for the whole run: started afresh for each program, Wine
# boots its services again every time.
# Usage: test-windows.sh TREE LINUX_BUILD JOBS
set -eu
HERE=$(cd "$(dirname "$0")/.." && pwd)
TREE=$(cd "$1" && pwd)
LINUX=$(cd "$2" && pwd)
JOBS=${3:-2}
PREFIX=$TREE/wine
start=$(date +%s)
mkdir -p "$PREFIX"
WINEPREFIX=$PREFIX wineserver -k 2>/dev/null || true
WINEPREFIX=$PREFIX wineserver -p &
sh "$HERE/tools/wine-run.sh" "$PREFIX" wineboot -i
status=0
# One test more than cores: a program under Wine spends part of its time waiting on the Wine
# server, and the desktop test on its window.
PLEXARO_LINUX_BUILD=$LINUX ctest --test-dir "$TREE" --output-on-failure -j "$((JOBS + 1))" ||
    status=$?
WINEPREFIX=$PREFIX wineserver -k || true
echo "test-windows: $(($(date +%s) - start)) s"
exit $status
