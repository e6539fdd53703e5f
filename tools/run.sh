#!/bin/sh
# Plays a cartridge: the one named by ROM, else our bundled one.
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
    [ -f "$ROM" ] || ROM="$(ls "$BUILD"/cartridges/*/*.sg 2>/dev/null | head -n 1)"
fi
exec "$PLAYER" "$ROM"
