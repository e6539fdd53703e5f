#!/bin/sh
# Installs Debian's RetroArch, which `make test-libretro` runs the libretro core in. Kept apart
# from the native list because RetroArch and what it pulls in are large and only this test
# needs them. Does nothing when it is present.
set -eu
exec sh "$(dirname "$0")/bootstrap.sh" retroarch
