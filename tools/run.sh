#!/bin/sh
# Plays a cartridge headless for ten seconds of console time: the one named by ROM, else the
# demo game, else our busy test cartridge. Its last frame is left in the build directory.
set -eu
BUILD="$1"
ROM="${2:-}"
PLAYER="$BUILD/host/plexaro"
if [ ! -x "$PLAYER" ]; then
    echo "The player is not built yet: the build finished, but there is nothing to play."
    exit 0
fi
if [ -z "$ROM" ]; then
    ROM="$BUILD/cartridges/demo/demo.sg"
    [ -f "$ROM" ] || ROM="$BUILD/cartridges/tests/busy.sg"
fi
SHOT="$BUILD/screenshot.png"
"$PLAYER" --headless --frames 600 --screenshot "$SHOT" -- "$ROM"
echo "Played $ROM; its last frame is in $SHOT"
