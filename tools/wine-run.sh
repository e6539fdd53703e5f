#!/bin/sh
# Runs a Windows program under Wine, in a Wine prefix of the caller's (made on first use):
#     wine-run.sh PREFIX PROGRAM [ARGUMENT...]
# The Windows build's tests run through it (CMAKE_CROSSCOMPILING_EMULATOR). Wine's own
# messages are off, and so are its offers to install Mono and Gecko, which we never need.
# Wine reads Linux file names and arguments in the locale's encoding: UTF-8, whatever the
# caller's locale.
set -eu
mkdir -p "$1"
WINEPREFIX=$(cd "$1" && pwd)  # Wine wants it absolute
shift
WINEDEBUG=-all
WINEDLLOVERRIDES="mscoree,mshtml="
LC_ALL=C.UTF-8
export WINEPREFIX WINEDEBUG WINEDLLOVERRIDES LC_ALL
exec wine "$@"
