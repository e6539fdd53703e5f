#!/bin/sh
# Installs what the browser build and its tests need: Debian's emscripten for `make web`, and
# Debian's chromium for `make test-web`. Kept apart from the native list so that the native
# build stays small. Does nothing when everything is present.
# Usage: bootstrap-web.sh [test]   (with "test", chromium as well)
set -eu

PACKAGES="emscripten"
[ "${1:-}" = "test" ] && PACKAGES="$PACKAGES chromium"
# shellcheck disable=SC2086
exec sh "$(dirname "$0")/bootstrap.sh" $PACKAGES
