#!/bin/sh
# The desktop program as a person sees it: a real window on an X server of the test's own
# (Xvfb, with openbox as its window manager), driven by xdotool and looked at through
# ImageMagick screenshots, against headless runs of the same demo cartridge.
# Usage: desktop_test.sh BUILD_DIR CASE
#   CASE: window | keys | fullscreen | size | load | states | close | dummy | nodisplay
set -eu

build=$1
case=$2
program=$build/host/plexaro
demo=$build/cartridges/demo/demo.sg
SKIP=77
MENU_BAR=19

need() {
    for tool in "$@"; do
        if ! command -v "$tool" >/dev/null 2>&1; then
            echo "SKIPPED: $tool is not installed"
            exit $SKIP
        fi
    done
}

fail() {
    echo "FAIL: $*"
    exit 1
}

tmp=$(mktemp -d)
pids=""
cleanup() {
    for pid in $pids; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$tmp"
}
trap cleanup EXIT INT TERM

# An X server on a display number it picks itself, and a window manager: full screen and
# closing a window go through the window manager, as on any desktop.
start_x() {
    need Xvfb openbox xdotool import convert compare
    # Under AddressSanitizer: the X server's software GL driver keeps memory it never frees,
    # and is unloaded before the leak check could name it. Our own code's leaks are checked
    # by the dummy case, which draws without GL.
    ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0"
    export ASAN_OPTIONS
    exec 3>"$tmp/display"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp >"$tmp/xvfb.log" 2>&1 &
    pids="$pids $!"
    exec 3>&-
    for _ in $(seq 50); do
        [ -s "$tmp/display" ] && break
        sleep 0.1
    done
    [ -s "$tmp/display" ] || fail "Xvfb did not start: $(cat "$tmp/xvfb.log")"
    DISPLAY=:$(cat "$tmp/display")
    export DISPLAY
    openbox --sm-disable >"$tmp/openbox.log" 2>&1 &
    pids="$pids $!"
    sleep 0.5
}

# Starts the program on a cartridge (the demo unless one is named) and waits for its window;
# sets $plexaro and $window.
start_plexaro() {
    SDL_AUDIODRIVER=dummy "$program" -- "${1:-$demo}" >"$tmp/out" 2>"$tmp/err" &
    plexaro=$!
    pids="$pids $plexaro"
    window=$(timeout 10 xdotool search --sync --onlyvisible --name '^Plexaro$' | head -1) ||
        fail "no window titled Plexaro appeared: $(cat "$tmp/err")"
    xdotool windowfocus --sync "$window"
    sleep 1  # past the demo's first frames, on its title screen
}

# Window geometry as WIDTHxHEIGHT.
size_of() {
    xdotool getwindowgeometry "$1" | sed -n 's/.*Geometry: //p'
}

# The headless program's picture after 120 frames, scaled by $1, holding the controls of $2.
reference() {
    printf '0-119 %s\n' "${2:-}" >"$tmp/script"
    [ -n "${2:-}" ] || : >"$tmp/script"
    "$program" --headless --frames 120 --input "$tmp/script" --screenshot "$tmp/ref.png" \
        -- "$demo" >/dev/null || fail "the headless reference run failed"
    convert "$tmp/ref.png" -scale "$1" "$tmp/reference.png"
}

# How many pixels of two pictures differ by more than a shade.
differing() {
    compare -metric AE -fuzz 6% "$1" "$2" null: 2>&1 || true
}

# The title screen's sprites move; everything else must match the headless picture.
same_picture() {
    count=$(differing "$1" "$2")
    total=$(identify -format '%[fx:w*h]' "$2")
    [ "$count" -lt $((total / 20)) ] || fail "$3: $count of $total pixels differ from the headless picture"
}

# The same, for a picture that takes a moment to come (a load, on a busy machine): the window
# is looked at again for up to five seconds.
eventually_same_picture() {
    for _ in $(seq 10); do
        import -window "$window" -crop "$1" +repage "$tmp/picture.png"
        count=$(differing "$tmp/picture.png" "$2")
        [ "$count" -lt $(($(identify -format '%[fx:w*h]' "$2") / 20)) ] && return 0
        sleep 0.5
    done
    fail "$3: $count pixels differ from the headless picture"
}

case $case in
window)
    start_x
    start_plexaro
    [ "$(xdotool getwindowname "$window")" = "Plexaro" ] || fail "the title is not Plexaro"
    [ "$(size_of "$window")" = "512x$((384 + MENU_BAR))" ] || fail "window is $(size_of "$window")"
    import -window "$window" "$tmp/window.png"
    # Kept for the README: the window as the test saw it.
    cp "$tmp/window.png" "$build/desktop-window.png"
    convert "$tmp/window.png" -crop 512x384+0+$MENU_BAR +repage "$tmp/picture.png"
    reference 200%
    same_picture "$tmp/picture.png" "$tmp/reference.png" "the picture at size x 2"
    # The menu bar above it is ImGui's grey strip, not part of the picture.
    bar=$(convert "$tmp/window.png" -crop 1x1+500+5 -format '%[fx:int(255*r)]' info:)
    [ "$bar" -gt 20 ] && [ "$bar" -lt 90 ] || fail "no menu bar above the picture (red $bar)"
    ;;
keys)
    start_x
    start_plexaro
    marks=96x16+400+$((16 + MENU_BAR))  # the demo's six input marks, at twice their size
    xdotool keydown Up keydown Control_L
    sleep 0.5
    import -window "$window" -crop "$marks" +repage "$tmp/held.png"
    xdotool keyup Up keyup Control_L
    sleep 0.5
    import -window "$window" -crop "$marks" +repage "$tmp/released.png"
    reference 200% "up button1"
    convert "$tmp/reference.png" -crop 96x16+400+16 +repage "$tmp/held-ref.png"
    [ "$(differing "$tmp/held.png" "$tmp/held-ref.png")" = 0 ] || fail "Up and Left Ctrl did not light their marks"
    reference 200%
    convert "$tmp/reference.png" -crop 96x16+400+16 +repage "$tmp/released-ref.png"
    [ "$(differing "$tmp/released.png" "$tmp/released-ref.png")" = 0 ] || fail "the marks stayed lit"
    ;;
fullscreen)
    start_x
    start_plexaro
    # Entered with the File menu open, which holds the frames until it closes.
    xdotool mousemove --window "$window" 20 8 sleep 0.3 click 1 sleep 0.5
    xdotool key alt+Return
    sleep 1
    [ "$(size_of "$window")" = "1280x1024" ] || fail "Alt+Enter gave $(size_of "$window"), not the screen"
    import -window root "$tmp/screen.png"
    # 320x200 scaled by 4 is 1280x800, 112 rows of border above; the frame sits at (32,4).
    convert "$tmp/screen.png" -crop 1024x768+128+128 +repage "$tmp/picture.png"
    reference 400%
    same_picture "$tmp/picture.png" "$tmp/reference.png" "the full-screen picture"
    # The game goes on: a held key lights its mark.
    xdotool keydown Up sleep 0.5
    import -window root -crop 1024x768+128+128 +repage "$tmp/held.png"
    xdotool keyup Up
    [ "$(differing "$tmp/picture.png" "$tmp/held.png")" -gt 0 ] || fail "the game stands still in full screen"
    for at in 5+5 64+500 1200+500 640+1000 640+120; do
        level=$(convert "$tmp/screen.png" -crop "1x1+$at" -format '%[fx:int(255*maxima)]' info:)
        [ "$level" -eq 0 ] || fail "the border at $at is not black"
    done
    xdotool key alt+Return
    sleep 1
    [ "$(size_of "$window")" = "512x$((384 + MENU_BAR))" ] || fail "leaving full screen gave $(size_of "$window")"
    ;;
size)
    start_x
    start_plexaro
    # Video, then "Size x 3": the sixth line of its menu.
    xdotool mousemove --window "$window" 137 8 sleep 0.3 click 1 sleep 0.5
    xdotool mousemove --window "$window" 140 110 sleep 0.3 click 1 sleep 1
    [ "$(size_of "$window")" = "768x$((576 + MENU_BAR))" ] || fail "Size x 3 gave $(size_of "$window")"
    import -window "$window" "$tmp/window.png"
    convert "$tmp/window.png" -crop 768x576+0+$MENU_BAR +repage "$tmp/picture.png"
    reference 300%
    same_picture "$tmp/picture.png" "$tmp/reference.png" "the picture at size x 3"
    ;;
load)
    start_x
    start_plexaro "$tmp/no such game.sg"
    # The load error is a box over the window; Return dismisses it.
    box=$(xwininfo -root -tree | sed -n 's/^ *\(0x[0-9a-f]*\) "Plexaro load error".*/\1/p')
    [ -n "$box" ] || fail "no Plexaro load error box: $(cat "$tmp/err")"
    import -window "$box" "$tmp/box.png"
    xdotool windowfocus --sync "$box" key Return
    sleep 0.5
    # The path stays set, so frames run on empty memory: a black picture.
    import -window "$window" -crop 512x384+0+$MENU_BAR +repage "$tmp/empty.png"
    [ "$(convert "$tmp/empty.png" -format '%[fx:int(255*maxima)]' info:)" = 0 ] ||
        fail "the picture is not black after a failed load"
    # File, then "Load rom"; the dialog takes a typed path.
    xdotool mousemove --window "$window" 20 8 sleep 0.3 click 1 sleep 0.5
    xdotool mousemove --window "$window" 30 34 sleep 0.3 click 1 sleep 0.5
    xdotool windowfocus --sync "$window" type --delay 10 "$demo"
    xdotool key Return
    reference 200%
    eventually_same_picture 512x384+0+$MENU_BAR "$tmp/reference.png" \
        "the cartridge chosen in Select a file"
    ;;
states)
    start_x
    export XDG_DATA_HOME="$tmp/data" XDG_PICTURES_DIR="$tmp/pictures"
    start_plexaro
    # Start a game, save the moment in slot 2 and take its picture.
    xdotool keydown Control_L sleep 0.2 keyup Control_L sleep 0.5
    xdotool key F2 sleep 0.3 key F5 key F12
    sleep 0.5
    case $(xdotool getwindowname "$window") in
        "Plexaro - "*) ;;
        *) fail "no notice in the title after saving: $(xdotool getwindowname "$window")" ;;
    esac
    [ -f "$tmp/data/plexaro/states/demo.sg.2.state" ] || fail "no state in slot 2"
    shot="$tmp/pictures/plexaro-0001.png"
    [ "$(identify -format %wx%h "$shot")" = 256x192 ] || fail "no 256x192 screenshot"
    # Fly on, then load: the picture is the saved moment's again.
    xdotool keydown Right sleep 1.5 keyup Right
    xdotool key F7
    sleep 0.3
    convert "$shot" -scale 200% "$tmp/saved.png"
    eventually_same_picture 512x384+0+$MENU_BAR "$tmp/saved.png" "the picture after Load state"
    # Holding Backspace goes back in time: the picture changes while the game is held.
    import -window "$window" -crop 512x384+0+$MENU_BAR +repage "$tmp/before.png"
    xdotool keydown Right sleep 1.5 keyup Right
    import -window "$window" -crop 512x384+0+$MENU_BAR +repage "$tmp/flown.png"
    xdotool keydown BackSpace sleep 2 keyup BackSpace
    sleep 0.3
    import -window "$window" -crop 512x384+0+$MENU_BAR +repage "$tmp/rewound.png"
    [ "$(differing "$tmp/flown.png" "$tmp/rewound.png")" -gt 0 ] || fail "Backspace changed nothing"
    ;;
close)
    start_x
    start_plexaro
    xdotool key alt+F4  # the window manager's close: what the title bar's button does
    for _ in $(seq 50); do
        kill -0 "$plexaro" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$plexaro" 2>/dev/null && fail "the program is still running after its window closed"
    status=0
    wait "$plexaro" || status=$?
    [ "$status" = 0 ] || fail "closing the window ended with status $status: $(cat "$tmp/err")"
    ;;
dummy)
    # No X server at all: SDL's dummy drivers, asked for by name, run it without a screen.
    SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy "$program" -- "$demo" >"$tmp/out" 2>"$tmp/err" &
    plexaro=$!
    sleep 2
    kill -0 "$plexaro" 2>/dev/null || fail "it stopped on its own: $(cat "$tmp/err")"
    kill -TERM "$plexaro"
    status=0
    wait "$plexaro" || status=$?
    [ "$status" = 0 ] || fail "SIGTERM ended it with status $status: $(cat "$tmp/err")"
    ;;
nodisplay)
    for driver in x11 ""; do
        status=0
        env -u DISPLAY -u WAYLAND_DISPLAY SDL_VIDEODRIVER="$driver" "$program" -- "$demo" \
            >"$tmp/out" 2>"$tmp/err" || status=$?
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
