#!/bin/sh
# Installs Debian's RetroArch, which `make test-libretro` runs the libretro core in. Kept apart
# from the native list because RetroArch and what it pulls in are large and only this test
# needs them. Under Xvfb it draws through Mesa's software OpenGL, named so that a machine
# without it gets it too. GameMode is what `apt-get install retroarch` brings by default, so
# the tests run RetroArch as players have it; with it RetroArch needs a D-Bus session bus,
# which the tests start with dbus-run-session. Does nothing when they are present.
set -eu
exec sh "$(dirname "$0")/bootstrap.sh" retroarch libgl1-mesa-dri libgamemode0 dbus-bin dbus-daemon
