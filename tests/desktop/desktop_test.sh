#!/bin/sh
# The desktop program as a person sees it: a real window on an X server of the test's own
# (Xvfb, with openbox as its window manager), driven by xdotool and looked at through
# ImageMagick screenshots, against headless runs of the same demo cartridge.
# Usage: desktop_test.sh BUILD_DIR CASE
#   CASE: window | keys | controls | fullscreen | size | debug | problems | tiles | load | states |
#         close | dummy | sound | nodisplay
set -eu

build=$1
case=$2
. "$(dirname "$0")/lib.sh"

title_is() {
    seen=$(timeout "$STEP" xdotool getwindowname "$window")
    [ "$seen" = "$1" ]
}

case $case in
window)
    start_x
    start_plexaro
    reference 200%
    # The title names the game that runs, by its file's name (once the notice of its symbols
    # has gone).
    until_seen "the title is not 'Plexaro - demo'" title_is "Plexaro - demo"
    until_seen "the window is not 512x$((384 + MENU_BAR))" size_is "512x$((384 + MENU_BAR))"
    until_seen "the picture at size x 2" \
        same_picture "$window" 512x384+0+$MENU_BAR "$tmp/reference.png"
    look "$window" 512x$((384 + MENU_BAR))+0+0 "$tmp/window.png" || fail "no screenshot of the window"
    # Kept for the README: the window as the test saw it.
    cp "$tmp/window.png" "$build/desktop-window.png"
    # The menu bar above it is ImGui's grey strip, not part of the picture.
    bar=$(convert "$tmp/window.png" -crop 1x1+500+5 -format '%[fx:int(255*r)]' info:)
    [ "$bar" -gt 20 ] && [ "$bar" -lt 90 ] || fail "no menu bar above the picture (red $bar)"
    ;;
keys)
    start_x
    start_plexaro
    marks=96x16+400+$((16 + MENU_BAR))  # the demo's six input marks, at twice their size
    reference 200% "up button1"
    convert "$tmp/reference.png" -crop 96x16+400+16 +repage "$tmp/held-ref.png"
    reference 200%
    convert "$tmp/reference.png" -crop 96x16+400+16 +repage "$tmp/released-ref.png"
    xdo keydown Up keydown Control_L
    until_seen "Up and Left Ctrl did not light their marks" \
        same_pixels "$window" "$marks" "$tmp/held-ref.png"
    xdo keyup Up keyup Control_L
    until_seen "the marks stayed lit" same_pixels "$window" "$marks" "$tmp/released-ref.png"
    ;;
controls)
    start_x
    start_plexaro
    marks=96x16+400+$((16 + MENU_BAR))
    reference 200% "up button1"
    convert "$tmp/reference.png" -crop 96x16+400+16 +repage "$tmp/held-ref.png"
    # Machine, then "Controls...", its sixth line; in the dialog, player 1's button 1 key, then
    # Z for it, then Close.
    xdo mousemove --window "$window" 75 8 sleep 0.3 click 1 sleep 0.5
    xdo mousemove --window "$window" 90 126 sleep 0.3 click 1 sleep 0.5
    xdo mousemove --window "$window" 138 173 sleep 0.3 click 1 sleep 0.3
    xdo key z
    xdo mousemove --window "$window" 168 320 sleep 0.3 click 1 sleep 0.3
    # Each change is written as it is made: the load's Recent entry at start-up, the key when
    # it is pressed. The cartridge is named as it was given, made absolute, links and all.
    settings=$XDG_CONFIG_HOME/plexaro/settings.ini
    until_seen "the new key is not in the settings" file_has "$settings" "p1_button1 = Z"
    until_seen "the cartridge is not in File > Recent's list" \
        file_has "$settings" "recent = $(cd "$(dirname "$demo")" && pwd)/$(basename "$demo")"
    # And it stays: the next run plays button 1 on Z.
    kill -TERM "$plexaro"
    until_seen "SIGTERM did not end it" ended
    start_plexaro
    xdo keydown Up keydown z
    until_seen "Up and Z did not light the marks of up and button 1" \
        same_pixels "$window" "$marks" "$tmp/held-ref.png"
    xdo keyup Up keyup z
    ;;
fullscreen)
    start_x
    start_plexaro
    reference 500%
    # Entered with the File menu open, which holds the frames until it closes.
    xdo mousemove --window "$window" 20 8 sleep 0.3 click 1 sleep 0.5
    xdo key alt+Return
    until_seen "Alt+Enter did not fill the screen" size_is 1280x1024
    # The screen's own size: the picture as wide as the screen, five times its size, with 32
    # rows of border above and below.
    until_seen "the full-screen picture" \
        same_picture root 1280x960+0+32 "$tmp/reference.png"
    cp "$tmp/picture.png" "$tmp/still.png"
    look root 1280x1024+0+0 "$tmp/screen.png" || fail "no screenshot of the screen"
    for at in 5+5 640+20 1275+31 640+992 5+1020; do
        level=$(convert "$tmp/screen.png" -crop "1x1+$at" -format '%[fx:int(255*maxima)]' info:)
        [ "$level" -eq 0 ] || fail "the border at $at is not black"
    done
    # The game goes on: a held key lights its mark.
    xdo keydown Up
    until_seen "the game stands still in full screen" \
        changed_from root 1280x960+0+32 "$tmp/still.png"
    xdo keyup Up
    xdo key alt+Return
    until_seen "leaving full screen gave another size" size_is "512x$((384 + MENU_BAR))"
    # Again: the menu bar comes down at the top edge only, and Escape leaves as well.
    xdo key alt+Return
    until_seen "Alt+Enter did not fill the screen again" size_is 1280x1024
    until_seen "a menu bar over the full-screen picture" black root 1280x19+0+0
    xdo mousemove 600 0 sleep 0.5
    until_seen "no menu bar at the top edge" menu_bar_at root 600 5
    xdo mousemove 600 500 sleep 0.3 key Escape
    until_seen "Escape did not leave full screen" size_is "512x$((384 + MENU_BAR))"
    ;;
size)
    start_x
    start_plexaro
    reference 300%
    # Video, then "Size x 3": the sixth line of its menu.
    xdo mousemove --window "$window" 137 8 sleep 0.3 click 1 sleep 0.5
    xdo mousemove --window "$window" 140 110 sleep 0.3 click 1
    until_seen "Size x 3 gave another size" size_is "768x$((576 + MENU_BAR))"
    until_seen "the picture at size x 3" \
        same_picture "$window" 768x576+0+$MENU_BAR "$tmp/reference.png"
    # "Size x 1", the fourth line: the window stays as wide as the menu bar, with the picture
    # in the middle, so that the Debug menu at its right end can still be opened.
    reference 100%
    xdo mousemove --window "$window" 137 8 sleep 0.3 click 1 sleep 0.5
    xdo mousemove --window "$window" 140 76 sleep 0.3 click 1
    until_seen "Size x 1 kept the window narrower than its menu bar" wider_than 300 $((192 + MENU_BAR))
    width=${seen%x*}
    until_seen "the picture at size x 1, in the middle" \
        same_picture "$window" 256x192+$(((width - 256) / 2))+$MENU_BAR "$tmp/reference.png"
    look "$window" "${width}x$((192 + MENU_BAR))+0+0" "$build/desktop-size1.png" || true
    xdo mousemove --window "$window" 290 8 sleep 0.3 click 1 sleep 0.5
    xdo mousemove --window "$window" 300 48 sleep 0.3 click 1
    until_seen "the Debug menu's Video did not open its panel" wider_than 800 $((192 + MENU_BAR))
    ;;
debug)
    start_x
    start_plexaro
    # Debug, then "Video": the panel beside the picture widens the window to 1112x760 on this
    # 1280x1024 screen, and the window moves to stay on it.
    xdo mousemove --window "$window" 290 8 sleep 0.3 click 1 sleep 0.5
    xdo mousemove --window "$window" 300 48 sleep 0.3 click 1
    until_seen "the debug panel did not open" size_is 1112x760
    until_seen "the widened window is not on the screen" on_screen
    ;;
problems)
    start_x
    start_plexaro "$build/cartridges/tests/busy.sg"
    # Debug, then "Problems", its eighth line: the panel opens, and under the picture the
    # window, whose blue title bar spans the width. The screenshot is kept to be looked at.
    xdo mousemove --window "$window" 290 8 sleep 0.3 click 1 sleep 0.5
    xdo mousemove --window "$window" 300 153 sleep 0.3 click 1
    until_seen "the debug panel did not open" size_is 1112x760
    until_seen "no Problems window under the picture" title_bar_under_picture
    look "$window" 1112x760+0+0 "$build/desktop-problems.png" || true
    ;;
tiles)
    # On a 1280x800 screen, the CPU, Memory and Problems windows (Debug's first, fourth and
    # eighth lines) open in tiles of their own, opaque, all on the screen. The screenshot is
    # kept to be looked at.
    SCREEN=1280x800
    start_x
    start_plexaro "$build/cartridges/tests/slips.sg"
    for line in 31 82 153; do
        xdo mousemove --window "$window" 290 8 sleep 0.3 click 1 sleep 0.5
        xdo mousemove --window "$window" 300 $line sleep 0.3 click 1 sleep 0.5
    done
    until_seen "the debug panel did not open" wider_than 1000 700
    until_seen "the widened window is not on the screen" on_screen
    sleep 1
    size=$(size_of "$window")
    look "$window" "$size+0+0" "$build/desktop-tiles.png" || true
    ;;
load)
    start_x
    start_plexaro "$tmp/no such game.sg"
    reference 200%
    # The load error is a box over the window; Return dismisses it.
    until_seen "no Plexaro load error box" find_box
    timeout "$STEP" import -window "$box" "$tmp/box.png" || fail "no screenshot of the box"
    focus "$box"
    xdo key Return
    # The path stays set, so frames run on empty memory: a black picture.
    until_seen "the picture is not black after a failed load" black "$window" 512x384+0+$MENU_BAR
    # File, then "Load rom"; the dialog takes a typed path.
    xdo mousemove --window "$window" 20 8 sleep 0.3 click 1 sleep 0.5
    xdo mousemove --window "$window" 30 34 sleep 0.3 click 1 sleep 0.5
    focus "$window"
    xdo type --delay 10 "$demo"
    xdo key Return
    until_seen "the cartridge chosen in Select a file" \
        same_picture "$window" 512x384+0+$MENU_BAR "$tmp/reference.png"
    ;;
states)
    start_x
    export XDG_DATA_HOME="$tmp/data" XDG_PICTURES_DIR="$tmp/pictures"
    start_plexaro
    # Start a game, save the moment in slot 2 and take its picture.
    xdo keydown Control_L sleep 0.2 keyup Control_L sleep 0.5
    xdo key F2 sleep 0.3 key F5 key F12
    until_seen "no notice in the title after saving" title_has_notice
    shot="$tmp/pictures/plexaro-0001.png"
    until_seen "no state in slot 2" slot_saved demo.sg 2
    until_seen "no 256x192 screenshot" screenshot_written "$shot"
    # Fly on, then load: the picture is the saved moment's again.
    xdo keydown Right sleep 1.5 keyup Right
    xdo key F7
    convert "$shot" -scale 200% "$tmp/saved.png"
    until_seen "the picture after Load state" \
        same_picture "$window" 512x384+0+$MENU_BAR "$tmp/saved.png"
    # Holding Backspace goes back in time: the picture changes while the game is held.
    xdo keydown Right sleep 1.5 keyup Right
    look "$window" 512x384+0+$MENU_BAR "$tmp/flown.png" || fail "no screenshot of the window"
    xdo keydown BackSpace
    until_seen "Backspace changed nothing" changed_from "$window" 512x384+0+$MENU_BAR "$tmp/flown.png"
    xdo keyup BackSpace
    ;;
close)
    start_x
    start_plexaro
    xdo key alt+F4  # the window manager's close: what the title bar's button does
    # A window still shown is the window manager not having taken the key (on a busy machine
    # it has been seen to miss one): the key is given once more, and said. A window gone while
    # the program runs on is the program's fault, and fails.
    if ! until_seen_quietly ended && window_shown; then
        echo "the window manager did not act on Alt+F4 within $LOOK s; pressing it again"
        focus "$window"
        xdo key alt+F4
    fi
    until_seen "the program is still running after its window closed (window shown: \
$(window_shown && echo yes || echo no))" ended
    status=0
    wait "$plexaro" || status=$?
    [ "$status" = 0 ] || fail "closing the window ended with status $status: $(cat "$tmp/err")"
    ;;
dummy)
    # No X server at all: SDL's dummy drivers, asked for by name, run it without a screen.
    SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy "$program" -- "$demo" >"$tmp/out" 2>"$tmp/err" &
    plexaro=$!
    pids="$pids $plexaro"
    sleep 2
    kill -0 "$plexaro" 2>/dev/null || fail "it stopped on its own: $(cat "$tmp/err")"
    kill -TERM "$plexaro"
    until_seen "SIGTERM did not end it" ended
    status=0
    wait "$plexaro" || status=$?
    [ "$status" = 0 ] || fail "SIGTERM ended it with status $status: $(cat "$tmp/err")"
    ;;
sound)
    # --stats's sound figures. Xvfb's software renderer has no vsync, so the card paces the
    # frames; Low hears a frame's first sample within 50 ms of the frame, and Safe is the whole
    # ring as it always was.
    start_x
    for latency in low safe; do
        option=""
        [ "$latency" = safe ] && option="--audio-latency 200"
        # shellcheck disable=SC2086
        SDL_AUDIODRIVER=dummy "$program" --stats $option -- "$demo" >"$tmp/out" 2>"$tmp/err" &
        plexaro=$!
        pids="$pids $plexaro"
        until_seen_for "$START" "no window titled Plexaro appeared" find_window
        sleep 3
        kill -TERM "$plexaro"
        until_seen "SIGTERM did not end it" ended
        wait "$plexaro" || fail "SIGTERM ended it with an error: $(cat "$tmp/err")"
        line=$(grep '^pacing: ' "$tmp/out") || fail "no sound figures: $(cat "$tmp/out")"
        case $latency in
        low) expect="pacing: card  sound latency: low (device 256 samples)" most=50 ;;
        *) expect="pacing: card  sound latency: safe (device 1024 samples)" most=230 ;;
        esac
        case $line in
        "$expect"*) ;;
        *) fail "$latency: $line" ;;
        esac
        max=$(echo "$line" | sed -n 's/.* max \([0-9]*\)\.[0-9] ms.*/\1/p')
        [ -n "$max" ] && [ "$max" -lt "$most" ] || fail "$latency: latency over $most ms: $line"
    done
    ;;
nodisplay)
    for driver in x11 ""; do
        status=0
        env -u DISPLAY -u WAYLAND_DISPLAY SDL_VIDEODRIVER="$driver" \
            timeout "$STEP" "$program" -- "$demo" >"$tmp/out" 2>"$tmp/err" || status=$?
        [ "$status" = 1 ] || fail "driver '$driver': status $status"
        grep -q "^plexaro: no display available (.*); run with --headless to play without a window$" \
            "$tmp/err" || fail "driver '$driver' said: $(cat "$tmp/err")"
    done
    ;;
*)
    fail "no case $case"
    ;;
esac
echo "PASS: $case"
