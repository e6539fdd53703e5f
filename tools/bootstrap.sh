#!/bin/sh
# Installs the Debian packages that building, testing and running need, or the ones named
# (the browser and fuzzing builds name their own). Does nothing when they are all present, so
# it is cheap to run before every build.
# Usage: bootstrap.sh [PACKAGE...]
set -eu

PACKAGES="build-essential cmake pkg-config libgtest-dev libgmock-dev libbenchmark-dev \
libsdl2-dev libimgui-dev libstb-dev liblz4-dev libsamplerate0-dev sdcc clang-format \
xvfb xauth xfonts-base xdotool imagemagick x11-utils openbox wmctrl desktop-file-utils man-db \
python3 libglib2.0-bin shared-mime-info nodejs"
# The debug adapter's tests drive it with an npm module; a Node.js that brings its own npm
# needs no package (Debian's would conflict with it).
command -v npm >/dev/null 2>&1 || PACKAGES="$PACKAGES npm"

[ $# -gt 0 ] && PACKAGES="$*"

missing=""
for p in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $p"
    fi
done

[ -z "$missing" ] && exit 0

echo "bootstrap: installing$missing"
if [ "$(id -u)" -eq 0 ]; then
    SUDO=""
elif command -v sudo >/dev/null 2>&1; then
    SUDO="sudo"
else
    echo "bootstrap: missing packages:$missing (run as root, or install them)" >&2
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive
# Another install running at the same time (a second build, the system's own updates) holds
# apt's locks for a while: wait for it rather than fail.
LOCK="-o DPkg::Lock::Timeout=600"
# shellcheck disable=SC2086
$SUDO apt-get $LOCK update -qq
# shellcheck disable=SC2086
$SUDO apt-get $LOCK install -y -qq --no-install-recommends $missing
# Fonts installed after fontconfig (xfonts-base's) are left without fontconfig's caches on a
# new machine. The desktop tests' window manager would then build them itself when it first
# draws a title, and on a busy machine manage no window for a minute meanwhile: build them now.
if command -v fc-cache >/dev/null 2>&1; then
    $SUDO fc-cache -s || echo "bootstrap: fc-cache failed; the first desktop test may be slow" >&2
fi
