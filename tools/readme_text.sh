#!/bin/sh
# README.md's sections for players ("Playing", then "On Windows") as plain text, for the
# README.txt of the Windows download: no backticks, bold marks, images or table rules.
# Usage: readme_text.sh README.md
set -eu
echo "Plexaro, an emulator of the Sega SG-1000"
echo
awk '
    /^## / { keep = ($0 == "## Playing" || $0 == "## On Windows") }
    keep' "$1" |
    sed -e '/^!\[/d' -e '/^| *---/d' -e 's/`//g' -e 's/\*\*//g' \
        -e 's/^## \(.*\)/\1/' -e 's/^| //' -e 's/ *| *|$//' -e 's/ |$//' -e 's/ | /  -  /g'
