#!/bin/sh
# Plays a cartridge in the window: the one named by ROM, else the demo game. Where there is
# no display (a server, a container), it says so and plays ten seconds of console time
# headless instead, leaving the last frame in the build directory.
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
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display here (DISPLAY and WAYLAND_DISPLAY are unset): playing headless instead."
    SHOT="$BUILD/screenshot.png"
    "$PLAYER" --headless --frames 600 --screenshot "$SHOT" -- "$ROM"
    echo "Played $ROM; its last frame is in $SHOT"
    exit 0
fi
exec "$PLAYER" -- "$ROM"
