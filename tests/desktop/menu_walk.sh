#!/bin/sh
# Every menu item clicked, as a person would, in a real window: the program writes the menus
# it draws to a file (PLEXARO_MENU_MAP, see host/sdl/menu_map.cpp) and this walk opens each
# title and submenu it finds there and clicks each item, so an item added to any menu is
# walked without being named here. After each click whatever opened is closed as a person
# closes it (a box with Return, a dialog with Escape), and the window goes back to the mode
# under test. The program must live through all of it, end with status 0 (File > Quit with a
# cartridge, the window manager's close without) and never print an assertion.
# Usage: menu_walk.sh BUILD_DIR MODE     MODE: x1 | x2 | x3 | fullscreen
set -eu

build=$1
mode=$2
. "$(dirname "$0")/lib.sh"

map=$tmp/menu-map
PLEXARO_MENU_MAP=$map
XDG_DATA_HOME=$tmp/data
XDG_PICTURES_DIR=$tmp/pictures
export PLEXARO_MENU_MAP XDG_DATA_HOME XDG_PICTURES_DIR
# Items that end what the walk needs: clicked last.
last_items="Free rom
Quit"

launch() {  # [CARTRIDGE]
    rm -f "$map"
    mkdir -p "$XDG_CONFIG_HOME/plexaro"
    scale=2
    case $mode in x1) scale=1 ;; x3) scale=3 ;; esac
    echo "window_scale = $scale" >"$XDG_CONFIG_HOME/plexaro/settings.ini"
    if [ -n "${1:-}" ]; then set -- -- "$1"; fi
    SDL_AUDIODRIVER=dummy "$program" "$@" >"$tmp/out" 2>"$tmp/err" &
    plexaro=$!
    pids="$pids $plexaro"
    until_seen "no window titled Plexaro appeared" find_window
    focus "$window"
    until_seen "no menu map from the program" test -s "$map"
    clicked=0
    opened=0
}

# until_seen, looking every twentieth of a second: the walk waits for a frame or two at
# every step, and there are hundreds of steps.
soon() {
    what=$1
    shift
    seen=""
    deadline=$(($(date +%s) + LOOK))
    while ! "$@"; do
        [ "$(date +%s)" -lt "$deadline" ] || fail "$what${seen:+ ($seen)}"
        sleep 0.05
    done
}

# The map's state line: state NAME prints its number.
state() {
    sed -n "1s/.* $1=\([0-9]*\).*/\1/p" "$map"
}
state_is() {  # NAME VALUE
    seen="$1=$(state "$1")"
    [ "$seen" = "$1=$2" ]
}
# An entry drawn in the last frame: "X Y WIDTH HEIGHT ENABLED KIND", nothing if it wasn't.
entry() {
    awk -F'\t' -v p="$1" 'NR > 1 && $7 == p { sub("enabled=", "", $2); print $3, $4, $5, $6, $2, $1; exit }' "$map"
}
# The paths of what a menu (or the bar, for "") shows, in the order drawn; with "listing",
# each after its kind and whether it is enabled.
children() {
    awk -F'\t' -v p="$1" -v listing="${2:-}" 'NR > 1 {
        mine = p == "" ? index($7, " > ") == 0 : \
            index($7, p " > ") == 1 && index(substr($7, length(p) + 4), " > ") == 0
        if (!mine) next
        if (listing != "") print $1 "\t" $2 "\t" $7; else print $7
    }' "$map"
}
drawn() {
    seen="not drawn"
    [ -n "$(entry "$1")" ]
}
shows_children() {
    seen="it shows nothing"
    [ -n "$(children "$1")" ]
}

alive() {
    kill -0 "$plexaro" 2>/dev/null || fail "the program ended ${doing:-}: $(cat "$tmp/err")"
}

# point PATH [click]: the pointer to the middle of what PATH names, clicked if asked.
point() {
    # In full screen the bar may go up between one look at the map and the next (the pointer
    # left the top edge as a menu closed): a title is brought down again, twice at most.
    for _ in 1 2 3; do
        case $1 in
        *" > "*) soon "$1 is not drawn" drawn "$1" ;;
        *) reveal "$1" ;;
        esac
        got=$(entry "$1")
        [ -n "$got" ] && break
    done
    # shellcheck disable=SC2086
    set -- "$1" "${2:-}" $got
    [ $# -ge 6 ] || fail "$1 is not drawn"
    # A line past the window's edge can't be reached by a person either.
    eval "$(sed -n '1s/^state //p' "$map")"
    [ $(($3 + $5 / 2)) -lt "$width" ] && [ $(($4 + $6 / 2)) -lt "$height" ] ||
        fail "$1 is drawn at ($3,$4), outside the ${width}x$height window"
    xdo mousemove --window "$window" $(($3 + $5 / 2)) $(($4 + $6 / 2))
    [ "$2" = click ] && xdo sleep 0.05 click 1
    return 0
}

# Opens the menu at PATH: its title clicked, then each submenu on the way pointed at.
# Full screen shows the menu bar while the pointer is at the top edge.
reveal() {  # TITLE
    drawn "$1" && return 0
    xdo mousemove --window "$window" 4 0
    soon "the menu bar did not come down for $1" drawn "$1"
}

open_menu() {
    title=${1%% > *}
    reveal "$title"
    # A click can be lost while the desktop is busy (the X server, the window manager taking
    # back the focus from a box): the title is clicked again, twice at most, if its menu stays
    # closed for two seconds.
    for _ in 1 2 3; do
        point "$title" click
        polls=0
        while ! shows_children "$title" && [ $polls -lt 40 ]; do
            sleep 0.05
            polls=$((polls + 1))
        done
        shows_children "$title" && break
    done
    soon "menu $title did not open" shows_children "$title"
    opened=$((opened + 1))
    reached=$title
    rest=${1#"$title"}
    while [ -n "$rest" ]; do
        rest=${rest# > }
        step=${rest%% > *}
        rest=${rest#"$step"}
        reached="$reached > $step"
        point "$reached"
        soon "submenu $reached did not open" shows_children "$reached"
        opened=$((opened + 1))
    done
}

# A box of ours over the window ("Plexaro about", "Plexaro load error", ...), by its X id.
box_shown() {
    box=$(timeout "$STEP" xwininfo -root -tree |
        sed -n 's/^ *\(0x[0-9a-f]*\) "Plexaro [a-z][^"]*":.*/\1/p' | head -1)
    [ -n "$box" ]
}

# After a click: every box dismissed and any menu or dialog left open closed with Escape,
# until the program has carried out every command posted and holds nothing open.
settle() {
    deadline=$(($(date +%s) + LOOK))
    open_polls=0
    while :; do
        alive
        # posted=N handled=N holding=0|1 ...: the program's own words, as shell variables.
        eval "$(sed -n '1s/^state //p' "$map")"
        # A box holds the program inside the command that opened it.
        if [ "$posted" != "$handled" ] && box_shown; then
            echo "$doing" >>"$tmp/boxes"
            focus "$box"
            xdo key Return
            sleep 0.2
            focus "$window"
            continue
        fi
        if [ "$posted" = "$handled" ]; then
            [ "$holding" = 0 ] && return 0
            # Open two looks running: Escape, as a person closes a dialog or a menu.
            open_polls=$((open_polls + 1))
            [ $((open_polls % 4)) = 2 ] && xdo key Escape
        fi
        [ "$(date +%s)" -lt "$deadline" ] || fail "still open after $doing: $(cat "$map")"
        sleep 0.05
    done
}

enter_full_screen() {
    focus "$window"
    xdo key alt+Return
    soon "full screen did not begin" state_is fullscreen 1
    until_seen "the window did not fill the screen" size_is 1280x1024
}

# Back to the mode under test, if the item clicked left it.
restore_mode() {
    if [ "$mode" = fullscreen ]; then
        state_is fullscreen 1 && return 0
        focus "$window"
        enter_full_screen
        return 0
    fi
    if state_is fullscreen 1; then
        focus "$window"
        xdo key alt+Return
        soon "full screen did not end" state_is fullscreen 0
    fi
    want=${mode#x}
    state_is size "$want" && return 0
    [ -n "${size_item:-}" ] || fail "no Size x $want item was seen to go back to $mode"
    open_menu "${size_item% > *}"
    point "$size_item" click
    soon "$size_item did not give size $want" state_is size "$want"
    settle
}

click_item() {  # PATH
    doing="clicking $1"
    open_menu "${1% > *}"
    before=$(cat "$map")
    point "$1" click
    clicked=$((clicked + 1))
    # An enabled item closes its menu: wait for that before looking at what it did.
    if [ "$(entry "$1" | cut -d' ' -f5)" = 1 ]; then
        deadline=$(($(date +%s) + STEP))
        while [ "$(cat "$map")" = "$before" ] && [ "$(date +%s)" -lt "$deadline" ]; do
            alive
            box_shown && break
            sleep 0.05
        done
    fi
    settle
    restore_mode
}

# Every item of the menu at PATH, and of its submenus, depth first.
walk_menu() {
    open_menu "$1"
    kids=$(children "$1" listing)
    case $kids in *"> Size x ${mode#x}"*) size_item=$(echo "$kids" | sed -n "s/.*\t//; /> Size x ${mode#x}$/p") ;; esac
    doing="looking at $1"
    xdo key Escape
    settle
    echo "$kids" | while IFS="$(printf '\t')" read -r kind enabled kid; do
        [ -n "$kid" ] || continue
        label=${kid##* > }
        if echo "$last_items" | grep -qx "$label"; then
            echo "$kid" >>"$tmp/last"
            continue
        fi
        case "$kind $enabled" in
        "menu enabled=1") walk_menu "$kid" ;;
        "menu enabled=0") ;;  # a menu that can't open now (File > Recent, empty)
        *) click_item "$kid" ;;
        esac
        echo "$clicked $opened" >"$tmp/counts"
    done
    read -r clicked opened <"$tmp/counts"
}

walk() {  # WHAT [CARTRIDGE]
    run_name=$1
    launch "${2:-}"
    [ "$mode" != fullscreen ] || enter_full_screen
    # Escape closes an open menu (and in full screen, closes only the menu).
    xdo mousemove --window "$window" 4 0
    until_seen "the menu bar did not come down" shows_children ""
    first=$(children "" | head -1)
    open_menu "$first"
    xdo key Escape
    until_seen "Escape did not close $first" state_is holding 0
    [ "$mode" != fullscreen ] || state_is fullscreen 1 || fail "Escape on a menu left full screen"
    : >"$tmp/last"
    : >"$tmp/boxes"
    echo "0 0" >"$tmp/counts"
    # The titles as drawn; the bar's own items (About) are clicked like the others.
    children "" listing >"$tmp/titles"
    while IFS="$(printf '\t')" read -r kind enabled title; do
        if [ "$kind" = menu ]; then
            walk_menu "$title"
        else
            doing="clicking $title"
            reveal "$title"
            point "$title" click
            clicked=$((clicked + 1))
            sleep 0.2
            settle
            restore_mode
            echo "$clicked $opened" >"$tmp/counts"
        fi
    done <"$tmp/titles"
    read -r clicked opened <"$tmp/counts"
    # What ends the walk: Free rom (with a cartridge), then File > Quit; without a cartridge
    # the window manager closes the window instead.
    while IFS= read -r kid; do
        case $kid in
        *"> Quit") [ -n "${2:-}" ] || continue ;;
        esac
        doing="clicking $kid"
        open_menu "${kid% > *}"
        point "$kid" click
        clicked=$((clicked + 1))
        case $kid in *"> Quit") break ;; esac
        settle
    done <"$tmp/last"
    if [ -z "${2:-}" ]; then
        timeout "$STEP" wmctrl -i -c "$window" || fail "wmctrl could not close the window"
    fi
    until_seen "the program did not end after the walk" ended
    status=0
    wait "$plexaro" || status=$?
    [ "$status" = 0 ] || fail "$run_name: ended with status $status: $(cat "$tmp/err")"
    if grep -qi "assert" "$tmp/err"; then fail "$run_name: $(cat "$tmp/err")"; fi
    echo "$mode $run_name: $clicked items clicked, $opened menus opened," \
        "$(wc -l <"$tmp/boxes") boxes closed"
    rm -f "$tmp/boxes"
}

need wmctrl
start_x
walk "with a cartridge" "$demo"
walk "without a cartridge"
echo "PASS: menu walk $mode"
