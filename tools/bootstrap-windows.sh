#!/bin/sh
# Installs what the Windows build needs on Debian: the MinGW-w64 cross compiler (the posix
# thread model, for std::thread), Wine to run the tests, zip for the download, and dpkg-dev so
# `apt-get source` can unpack Debian's own sources of the libraries we link. Source packages
# need a deb-src line: when the machine has none, one is added beside each deb line of the
# deb822 sources file. Does nothing when all is present.
set -eu

SOURCES=/etc/apt/sources.list.d/debian.sources
SRC_LIST=/etc/apt/sources.list.d/plexaro-deb-src.sources

has_deb_src() {
    grep -rqsE '^(Types:.*deb-src|deb-src )' /etc/apt/sources.list /etc/apt/sources.list.d/
}

if ! has_deb_src; then
    if [ "$(id -u)" -eq 0 ]; then SUDO=""; else SUDO="sudo"; fi
    if [ -f "$SOURCES" ]; then
        echo "bootstrap-windows: adding deb-src lines for Debian's sources"
        sed 's/^Types:.*/Types: deb-src/' "$SOURCES" | $SUDO tee "$SRC_LIST" >/dev/null
    elif [ -f /etc/apt/sources.list ]; then
        grep -E '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' |
            $SUDO tee /etc/apt/sources.list.d/plexaro-deb-src.list >/dev/null
    fi
    $SUDO apt-get -o DPkg::Lock::Timeout=600 update -qq
fi

exec sh "$(dirname "$0")/bootstrap.sh" g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix \
    wine wine64 zip unzip dpkg-dev libstb-dev libgtest-dev
