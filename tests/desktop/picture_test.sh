#!/bin/sh
# The picture in any window and on any screen, as a person sees it: resized and maximised
# windows, Video > Strech from the menu, full screen at the screen's own size in each aspect,
# and each filter, against the headless program's picture scaled to where it should be. The full-screen pictures
# are kept in the build folder (fullscreen-ASPECT.png, fullscreen-FILTER.png) to be looked at.
# Usage: picture_test.sh BUILD_DIR CASE
#   CASE: resize | aspects | filters
set -eu

build=$1
case=$2
. "$(dirname "$0")/lib.sh"
# Each look compares a screen-sized picture, which takes a while on a busy machine.
LOOK=20

# The settings file the next start reads: Video > Aspect, Scaling and Filter.
choose() {
    mkdir -p "$XDG_CONFIG_HOME/plexaro"
    printf 'aspect = %s\nscaling = %s\nfilter = %s\n' "$1" "$2" "$3" \
        >"$XDG_CONFIG_HOME/plexaro/settings.ini"
}

# The headless picture after 120 frames, scaled by nearest pixels to exactly WIDTHxHEIGHT.
reference_at() {
    reference 100%
    convert "$tmp/ref.png" -sample "$1!" "$tmp/reference.png"
}

# Where the picture goes in the television's shape (32:21) in a room of WIDTH x HEIGHT whose
# top is TOP: as large as fits, in the middle. Prints WxH+LEFT+TOP.
console_fit() {
    awk -v aw="$1" -v ah="$2" -v top="$3" 'BEGIN {
        w = int((2 * ah * 32 + 21) / 42); h = ah
        if (w > aw) { w = aw; h = int((2 * aw * 21 + 32) / 64) }
        printf "%dx%d+%d+%d\n", w, h, int((aw - w) / 2), top + int((ah - h) / 2)
    }'
}

stop_plexaro() {
    kill -TERM "$plexaro"
    until_seen "SIGTERM did not end it" ended
}

# Full screen with the picture choices given; the screen is the test's 1280x800.
full_screen() {
    choose "$@"
    start_plexaro
    xdo key alt+Return
    until_seen "Alt+Enter did not fill the 1280x800 screen" size_is 1280x800
    # The start's notice (the symbols beside the demo) is over the picture for its moment.
    until_seen "the start's notice stayed over the picture" title_without_notice
}

showing() {  # WINDOW CROP: something other than black there
    ! black "$@"
}

# Mean grey of each row of a picture, one line each.
row_levels() {
    convert "$1" -colorspace Gray -scale "1x$(identify -format %h "$1")!" -depth 8 txt:- |
        sed -n 's/^0,[0-9]*: (\([0-9]*\).*/\1/p'
}

case $case in
resize)
    need wmctrl
    start_x
    choose console fit sharp
    start_plexaro
    # Size x 2 in the television's shape: 585 wide.
    until_seen "Size x 2 is not 585x384 in the console's aspect" size_is "585x$((384 + MENU_BAR))"
    reference_at 585x384
    until_seen "the picture at size x 2" same_picture "$window" "585x384+0+$MENU_BAR" \
        "$tmp/reference.png"
    # Wider than the shape: as tall as the window, black at the sides; taller: the other way.
    for size in 900x700 1100x500 400x700; do
        xdo windowsize "$window" "${size%x*}" "${size#*x}"
        until_seen "the window did not take $size" size_is "$size"
        at=$(console_fit "${size%x*}" $((${size#*x} - MENU_BAR)) $MENU_BAR)
        reference_at "${at%%+*}"
        until_seen "the picture at $at in a $size window" same_picture "$window" "$at" \
            "$tmp/reference.png"
    done
    look "$window" "$size+0+0" "$build/picture-narrow-window.png" || true
    # Maximised by the window manager, and back.
    wmctrl -i -r "$window" -b add,maximized_vert,maximized_horz
    until_seen "the window was not maximised" wider_than 1200 900
    size=$seen
    at=$(console_fit "${size%x*}" $((${size#*x} - MENU_BAR)) $MENU_BAR)
    reference_at "${at%%+*}"
    until_seen "the picture at $at in the maximised $size window" same_picture "$window" "$at" \
        "$tmp/reference.png"
    wmctrl -i -r "$window" -b remove,maximized_vert,maximized_horz
    until_seen "the window did not come back from maximised" size_is 400x700
    # Video, then "Strech", its eighth line: the stretch aspect fills the window, and stays.
    xdo mousemove --window "$window" 137 8 sleep 0.3 click 1 sleep 0.5
    xdo mousemove --window "$window" 140 131 sleep 0.3 click 1
    reference_at 400x681
    until_seen "Strech did not fill the window" same_picture "$window" "400x681+0+$MENU_BAR" \
        "$tmp/reference.png"
    grep -qx "aspect = stretch" "$XDG_CONFIG_HOME/plexaro/settings.ini" ||
        fail "Strech is not in the settings: $(cat "$XDG_CONFIG_HOME/plexaro/settings.ini")"
    ;;
aspects)
    SCREEN=1280x800
    start_x
    for aspect in console square stretch; do
        full_screen "$aspect" fit sharp
        case $aspect in
        console) at=1219x800+30+0 ;;  # 800 lines of 32:21 are 1219 wide
        square) at=1067x800+106+0 ;;
        stretch) at=1280x800+0+0 ;;
        esac
        reference_at "${at%%+*}"
        until_seen "the $aspect picture at $at" same_picture root "$at" "$tmp/reference.png"
        look root 1280x800+0+0 "$build/fullscreen-$aspect.png" || fail "no screenshot"
        left=${at#*+}
        left=${left%%+*}
        if [ "$left" -gt 0 ]; then
            black root "${left}x800+0+0" || fail "the border left of the $aspect picture ($seen)"
        fi
        stop_plexaro
    done
    ;;
filters)
    # Four times the lines in the television's shape: 1170x768, in the middle of the screen.
    SCREEN=1280x800
    start_x
    at=1170x768+55+16
    for filter in sharp smooth scanlines; do
        full_screen console integer "$filter"
        if [ "$filter" = sharp ]; then
            reference_at 1170x768
            until_seen "the picture at $at" same_picture root "$at" "$tmp/reference.png"
        else
            until_seen "no picture at $at" showing root "$at"
        fi
        look root "$at" "$tmp/filtered.png" || fail "no screenshot"
        look root 1280x800+0+0 "$build/fullscreen-$filter.png" || fail "no screenshot"
        colours=$(identify -format %k "$tmp/filtered.png")
        case $filter in
        # The console's 16 colours, and only them; smooth blends them at every edge.
        sharp) [ "$colours" -le 16 ] || fail "sharp shows $colours colours" ;;
        smooth) [ "$colours" -gt 100 ] || fail "smooth shows only $colours colours" ;;
        scanlines)
            # Each line is four rows: the lower two are the dark band.
            row_levels "$tmp/filtered.png" | awk '
                NR % 4 == 2 { light += $1 } NR % 4 == 0 { dark += $1 }
                END { if (!(dark < light * 0.6)) { print "light", light, "dark", dark; exit 1 } }' ||
                fail "no dark band between the lines"
            ;;
        esac
        stop_plexaro
    done
    ;;
*)
    fail "no case $case"
    ;;
esac
echo "PASS: $case"
