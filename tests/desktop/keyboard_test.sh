#!/bin/sh
# The SC-3000's keyboard in the window: our probe cartridge (keys.s) shows the key matrix, and
# the keys pressed in the window light the boxes a headless run with the same keys lights.
# Keyboard mode comes on by itself for the probe; its key (Scroll Lock) turns it off, and the
# arrows go back to the joypad (row 7).
# Usage: keyboard_test.sh BUILD_DIR
set -eu

build=$1
. "$(dirname "$0")/lib.sh"
probe=$build/cartridges/tests/keys.sg
picture=512x384+0+$MENU_BAR

# The probe after two seconds headless with `controls` held, at the window's size x 2.
probe_reference() {  # NAME CONTROLS
    if [ -n "$2" ]; then printf '0-119 %s\n' "$2" >"$tmp/script"; else : >"$tmp/script"; fi
    timeout "$STEP" "$program" --headless --frames 120 --input "$tmp/script" \
        --screenshot "$tmp/$1.png" -- "$probe" >/dev/null || fail "the headless run of $1 failed"
    convert "$tmp/$1.png" -scale 200% "$tmp/$1-x2.png"
}

need convert
start_x
probe_reference none ""
probe_reference a kb-a
probe_reference shift-up "kb-shift kb-up"
probe_reference joypad-up up
start_plexaro "$probe"
until_seen "the probe shows no empty matrix" same_pixels "$window" "$picture" "$tmp/none-x2.png"
xdo keydown a
until_seen "A did not light the probe's A box" same_pixels "$window" "$picture" "$tmp/a-x2.png"
xdo keyup a
xdo keydown Shift_R keydown Up
until_seen "Right Shift and Up did not light SHIFT and the up key" \
    same_pixels "$window" "$picture" "$tmp/shift-up-x2.png"
xdo keyup Up keyup Shift_R
until_seen "the keys stayed lit" same_pixels "$window" "$picture" "$tmp/none-x2.png"
# Out of Keyboard mode, Up is the joypad's again.
xdo key Scroll_Lock
xdo keydown Up
until_seen "out of Keyboard mode, Up did not reach the joypad" \
    same_pixels "$window" "$picture" "$tmp/joypad-up-x2.png"
xdo keyup Up
echo "PASS"
