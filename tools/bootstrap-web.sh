#!/bin/sh
# Installs what the browser build and its tests need: Debian's emscripten for `make web`, and
# Debian's chromium and npm for `make test-web`. Kept apart from the native list so that the
# native build stays small. Does nothing when everything is present.
# Usage: bootstrap-web.sh [test]   (with "test", chromium and npm as well)
set -eu

PACKAGES="emscripten"
if [ "${1:-}" = "test" ]; then
    PACKAGES="$PACKAGES chromium"
    # The tests' Node script comes through npm, which Debian's nodejs leaves out; a Node.js
    # that brings its own npm needs no package (Debian's would conflict with it).
    command -v npm >/dev/null 2>&1 || PACKAGES="$PACKAGES npm"
fi
# shellcheck disable=SC2086
exec sh "$(dirname "$0")/bootstrap.sh" $PACKAGES
