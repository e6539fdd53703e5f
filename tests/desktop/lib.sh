# What every desktop case shares: an X server of the test's own (Xvfb, with openbox as its
# window manager), the program started on it, xdotool with bounded waits, and ImageMagick looks
# at the window compared with headless runs of the same cartridge. Sourced by the case scripts
# after they set $build.
#
# Every wait is on something the program or the X server has done (a window, a file written, a
# picture shown) and has an end, so that a slow or busy machine gives a pass or a failure that
# says what it was waiting for, how long it waited and what the program printed, well inside
# the test's time limit, and never a hang. The bounds fit a 2-core machine busy with builds
# and other tests (a sanitized program starts several times slower): starting the X server,
# the window manager or the program gets START seconds, a step that waits on one of them
# (xdotool's --sync included) STEP seconds, and a look at the window is taken again until it
# shows what is expected or LOOK seconds have gone by.

program=$build/host/plexaro
demo=$build/cartridges/demo/demo.sg
SKIP=77
MENU_BAR=19
START=60
STEP=20
LOOK=20

need() {
    for tool in "$@"; do
        if ! command -v "$tool" >/dev/null 2>&1; then
            echo "SKIPPED: $tool is not installed"
            exit $SKIP
        fi
    done
}

# Says what went wrong, then what the program printed on stderr and whether it still runs.
fail() {
    echo "FAIL: $*"
    if [ -n "${plexaro:-}" ]; then
        if kill -0 "$plexaro" 2>/dev/null; then
            # Where a program that still runs waits, thread by thread (a hang shows there).
            state="still running, waiting in: $(for f in /proc/"$plexaro"/task/*/wchan; do
                cat "$f" 2>/dev/null; echo; done | sort | uniq -c | awk '{ printf "%s%s x%s", sep, $2, $1; sep = ", " }')"
        else
            state="ended"
        fi
        if [ -s "$tmp/err" ]; then
            echo "plexaro ($state) said on stderr:"
            sed 's/^/    /' "$tmp/err"
        else
            echo "plexaro ($state) said nothing on stderr"
        fi
    fi
    exit 1
}

# xdotool, given STEP seconds.
xdo() {
    timeout "$STEP" xdotool "$@" || fail "xdotool $* did not finish in $STEP s"
}

# Gives a window the keyboard, asking again while the window manager is slow to let it. The
# X server's focus is not enough: the window manager's own keys (Alt+F4) act on the window it
# has made active, which on a busy machine it may do a while later.
focus() {
    asked=$(date +%s)
    while [ $(($(date +%s) - asked)) -lt "$STEP" ]; do
        timeout 3 xdotool windowfocus --sync "$1" 2>/dev/null && active "$1" && return 0
        sleep 0.2
    done
    fail "window $1 did not take the keyboard focus in $STEP s (the active window: $(active_window))"
}

active_window() {
    timeout "$STEP" xprop -root _NET_ACTIVE_WINDOW 2>/dev/null | sed -n 's/.*# \(0x[0-9a-f]*\).*/\1/p'
}
active() {
    [ "$(active_window)" = "$(printf '0x%x' "$1")" ]
}

# until_seen WHAT CHECK [ARGS]: runs CHECK until it succeeds or LOOK seconds have gone by,
# then fails with WHAT, the time waited and what the last check saw ($seen).
until_seen() {
    until_seen_for "$LOOK" "$@"
}

# until_seen_for SECONDS WHAT CHECK [ARGS]: until_seen with a bound of its own.
until_seen_for() {
    bound=$1
    what=$2
    shift 2
    seen=""
    begun=$(date +%s)
    while ! "$@"; do
        waited=$(($(date +%s) - begun))
        [ "$waited" -lt "$bound" ] || fail "$what after $waited s${seen:+: $seen}"
        sleep 0.3
    done
}

tmp=$(mktemp -d)
pids=""
plexaro=""
# A home of the test's own (settings, saves, Mesa's shader cache): no run depends on, or
# changes, those of whoever runs the tests.
mkdir -p "$tmp/home" "$tmp/runtime"
chmod 700 "$tmp/runtime"
HOME=$tmp/home
XDG_CONFIG_HOME=$tmp/config
XDG_DATA_HOME=$tmp/home/.local/share
XDG_CACHE_HOME=$tmp/home/.cache
XDG_RUNTIME_DIR=$tmp/runtime
export HOME XDG_CONFIG_HOME XDG_DATA_HOME XDG_CACHE_HOME XDG_RUNTIME_DIR
cleanup() {
    for pid in $pids; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$tmp"
}
trap cleanup EXIT INT TERM

# An X server on a display number it picks itself, and a window manager: full screen and
# closing a window go through the window manager, as on any desktop. Its screen is 1280x1024
# unless $SCREEN names another size.
start_x() {
    need Xvfb openbox xdotool xwininfo xprop import convert compare identify
    # Under AddressSanitizer: the X server's software GL driver keeps memory it never frees,
    # and is unloaded before the leak check could name it. Our own code's leaks are checked
    # by the dummy case, which draws without GL.
    ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0"
    export ASAN_OPTIONS
    # With many X servers starting at once (tests run side by side), one may be handed a
    # display number whose socket another holds, and then no one can reach it: such a server
    # is ended and another started, on another number. -noreset: a server whose last client
    # leaves starts afresh and refuses connections meanwhile, and the window manager, which
    # connects right after our first look has left, would meet that moment and give up.
    for attempt in 1 2 3; do
        : >"$tmp/display"
        exec 3>"$tmp/display"
        Xvfb -displayfd 3 -screen 0 "${SCREEN:-1280x1024}x24" -nolisten tcp -noreset >"$tmp/xvfb.log" 2>&1 &
        xvfb=$!
        pids="$pids $xvfb"
        exec 3>&-
        until_seen_for "$START" "Xvfb did not start" xvfb_running
        DISPLAY=:$(cat "$tmp/display")
        export DISPLAY
        xvfb_answers && break
        [ "$attempt" -lt 3 ] || fail "no X server of our own after 3 attempts: $(cat "$tmp/xvfb.log")"
        kill "$xvfb" 2>/dev/null || true
    done
    openbox --sm-disable >"$tmp/openbox.log" 2>&1 &
    pids="$pids $!"
    # The window manager is up once it names its window on the root.
    until_seen_for "$START" "openbox did not start" wm_running
}

xvfb_running() {
    seen="it said: $(cat "$tmp/xvfb.log")"
    [ -s "$tmp/display" ]
}

# Whether the new X server takes connections within STEP seconds (its complaints about the
# numbers it passed over on its way are no sign either way).
xvfb_answers() {
    asked=$(date +%s)
    while [ $(($(date +%s) - asked)) -lt "$STEP" ]; do
        kill -0 "$xvfb" 2>/dev/null || return 1
        timeout 3 xprop -root >/dev/null 2>&1 && return 0
        sleep 0.2
    done
    return 1
}

wm_running() {
    seen="it said: $(cat "$tmp/openbox.log"); Xvfb on $DISPLAY said: $(cat "$tmp/xvfb.log")"
    timeout "$STEP" xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"
}

# Starts the program on a cartridge (the demo unless one is named) and waits for its window;
# sets $plexaro and $window.
start_plexaro() {
    SDL_AUDIODRIVER=dummy "$program" -- "${1:-$demo}" >"$tmp/out" 2>"$tmp/err" &
    plexaro=$!
    pids="$pids $plexaro"
    # Looked for again and again rather than waited for with --sync: a window that goes while
    # xdotool walks the window tree (SDL may make its window twice) ends xdotool with BadWindow.
    until_seen_for "$START" "no window titled Plexaro appeared" find_window
    focus "$window"
    # The menu bar comes with the first frame, from which on the program takes input; a load
    # error's box comes before it.
    until_seen_for "$START" "no first frame in the window" first_frame
    sleep 1  # past the demo's first frames, on its title screen
}

find_window() {
    window=$(timeout "$STEP" xdotool search --onlyvisible --name '^Plexaro( - .*)?$' 2>/dev/null | head -1)
    if kill -0 "$plexaro" 2>/dev/null; then seen="still starting"; else seen="it ended"; fi
    [ -n "$window" ] && return 0
    # Which windows the display does have, named: a window under another title, or none.
    seen="$seen; named windows on $DISPLAY: $(timeout 3 xwininfo -root -tree 2>/dev/null |
        sed -n 's/^ *\(0x[0-9a-f]*\) "\([^"]*\)".*/\2 (\1)/p' | tr '\n' ',' | sed 's/,$//')"
    return 1
}

first_frame() {
    find_box && return 0
    width=$(size_of "$window")
    width=${width%x*}
    menu_bar_at "$window" $((${width:-8} - 8)) 5
}

# file_has FILE LINE: a check for until_seen, for a line the program writes to a file (whole
# files are written under another name and renamed, so a look never sees half of one).
file_has() {
    seen="the file holds: $(cat "$1" 2>/dev/null | tr '\n' '|')"
    grep -qxF "$2" "$1" 2>/dev/null
}

# A check for until_seen: an ImGui title bar (blue) across the window right below the picture
# (a tile there begins a margin under it).
title_bar_under_picture() {
    look "$window" 1000x1+40+$((384 + MENU_BAR + 16)) "$tmp/bar.png" || { seen="no screenshot"; return 1; }
    seen=$(convert "$tmp/bar.png" -format '%[fx:int(255*mean.r)] %[fx:int(255*mean.b)]' info:)
    red=${seen% *}
    blue=${seen#* }
    [ "$blue" -gt $((red + 40)) ]
}

# Window geometry as WIDTHxHEIGHT.
size_of() {
    timeout "$STEP" xdotool getwindowgeometry "$1" | sed -n 's/.*Geometry: //p'
}

# Checks for until_seen: the window's size, and the window inside the 1280x1024 screen.
size_is() {
    seen=$(size_of "$window")
    [ "$seen" = "$1" ]
}
on_screen() {
    seen=$(timeout "$STEP" xdotool getwindowgeometry "$window" | tr '\n' ' ')
    echo "$seen" |
        sed -n 's/.*Position: \([0-9-]*\),\([0-9-]*\).*Geometry: \([0-9]*\)x\([0-9]*\).*/\1 \2 \3 \4/p' | {
        read -r x y width height || return 1
        [ "$x" -ge 0 ] && [ "$y" -ge 0 ] && [ $((x + width)) -le 1280 ] && [ $((y + height)) -le 1024 ]
    }
}

# The headless program's picture after 120 frames, scaled by $1, holding the controls of $2.
reference() {
    printf '0-119 %s\n' "${2:-}" >"$tmp/script"
    [ -n "${2:-}" ] || : >"$tmp/script"
    timeout "$STEP" "$program" --headless --frames 120 --input "$tmp/script" \
        --screenshot "$tmp/ref.png" -- "$demo" >/dev/null || fail "the headless reference run failed"
    convert "$tmp/ref.png" -scale "$1" "$tmp/reference.png"
}

# How many pixels of two pictures differ by more than a shade; a great many when they can't
# be compared (a screenshot of another size, or none).
differing() {
    status=0
    count=$(compare -metric AE -fuzz 6% "$1" "$2" null: 2>&1) || status=$?
    if [ "$status" -gt 1 ]; then
        echo 999999999
    else
        awk -v n="$count" 'BEGIN { printf "%d\n", n }'
    fi
}

# look WINDOW CROP FILE: a screenshot of part of a window ("root": the whole screen).
look() {
    timeout "$STEP" import -window "$1" -crop "$2" +repage "$3" 2>/dev/null
}

# Checks for until_seen, on a fresh screenshot of CROP of the window (or of the screen for
# "root") in $tmp/picture.png. The title screen's sprites move, so a picture is the headless
# one when all but a twentieth of it matches; a check of marks wants every pixel.
same_picture() {  # WINDOW CROP REFERENCE
    look "$1" "$2" "$tmp/picture.png" || { seen="no screenshot"; return 1; }
    count=$(differing "$tmp/picture.png" "$3")
    total=$(($(identify -format '%w*%h' "$3")))  # fx would print a million as 1e+06
    seen="$count of $total pixels differ from the headless picture"
    [ "$count" -lt $((total / 20)) ]
}
same_pixels() {  # WINDOW CROP REFERENCE
    look "$1" "$2" "$tmp/picture.png" || { seen="no screenshot"; return 1; }
    count=$(differing "$tmp/picture.png" "$3")
    seen="$count pixels differ"
    [ "$count" = 0 ]
}
changed_from() {  # WINDOW CROP EARLIER
    look "$1" "$2" "$tmp/picture.png" || { seen="no screenshot"; return 1; }
    [ "$(differing "$tmp/picture.png" "$3")" -gt 0 ]
}

# More checks for until_seen.
find_box() {
    box=$(timeout "$STEP" xwininfo -root -tree |
        sed -n 's/^ *\(0x[0-9a-f]*\) "Plexaro load error".*/\1/p' | head -1)
    [ -n "$box" ]
}
black() {  # WINDOW CROP
    look "$1" "$2" "$tmp/picture.png" || { seen="no screenshot"; return 1; }
    seen="brightest $(convert "$tmp/picture.png" -format '%[fx:int(255*maxima)]' info:)"
    [ "$seen" = "brightest 0" ]
}
title_has_notice() {  # after the game's name: "Plexaro - demo - state 2 saved"
    seen=$(timeout "$STEP" xdotool getwindowname "$window")
    case $seen in "Plexaro - "*" - "*) return 0 ;; esac
    return 1
}
title_without_notice() {  # the game's name alone: what a notice said at the start is gone
    seen=$(timeout "$STEP" xdotool getwindowname "$window")
    case $seen in "Plexaro - "*" - "*) return 1 ;; esac
    return 0
}
wider_than() {  # WIDTH HEIGHT: the window is wider than WIDTH and at least HEIGHT tall
    seen=$(size_of "$window")
    [ "${seen%x*}" -gt "$1" ] && [ "${seen#*x}" -ge "$2" ]
}
menu_bar_at() {  # WINDOW X Y: ImGui's grey strip there
    look "$1" "1x1+$2+$3" "$tmp/picture.png" || { seen="no screenshot"; return 1; }
    seen="red $(convert "$tmp/picture.png" -format '%[fx:int(255*r)]' info:)"
    [ "${seen#red }" -gt 20 ] && [ "${seen#red }" -lt 90 ]
}
slot_saved() {  # CARTRIDGE SLOT: a slot file named after the cartridge and its contents' hash
    seen=$(ls "$tmp/data/plexaro/states" 2>/dev/null | tr '\n' ' ')
    ls "$tmp/data/plexaro/states" 2>/dev/null | grep -qx "$1-[0-9a-f]\{8\}\.$2\.state"
}
screenshot_written() {
    [ "$(identify -format %wx%h "$1" 2>/dev/null)" = 256x192 ]
}
ended() {
    ! kill -0 "$plexaro" 2>/dev/null
}

# Whether $window is still mapped on the screen.
window_shown() {
    timeout "$STEP" xwininfo -id "$window" 2>/dev/null | grep -q IsViewable
}

# until_seen without failing: true once CHECK succeeds, false after LOOK seconds.
until_seen_quietly() {
    begun=$(date +%s)
    while ! "$@"; do
        [ $(($(date +%s) - begun)) -lt "$LOOK" ] || return 1
        sleep 0.3
    done
}

