#!/bin/sh
# Installs what the browser build and its tests need: Debian's emscripten for `make web`, and
# Debian's chromium for `make test-web`. Kept apart from bootstrap.sh so that the native build
# stays small. Does nothing when everything is present.
# Usage: bootstrap-web.sh [test]   (with "test", chromium as well)
set -eu

PACKAGES="emscripten"
[ "${1:-}" = "test" ] && PACKAGES="$PACKAGES chromium"

missing=""
for p in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $p"
    fi
done

[ -z "$missing" ] && exit 0

echo "bootstrap-web: installing$missing"
if [ "$(id -u)" -eq 0 ]; then
    SUDO=""
elif command -v sudo >/dev/null 2>&1; then
    SUDO="sudo"
else
    echo "bootstrap-web: missing packages:$missing (run as root, or install them)" >&2
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
# shellcheck disable=SC2086
$SUDO apt-get install -y -qq --no-install-recommends $missing
