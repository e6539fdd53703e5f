#!/bin/sh
# The Windows desktop program under Wine, in a window on an X server of the test's own (Xvfb
# and openbox, as tests/desktop/ has them), drawn by SDL's software renderer: the window
# titled Plexaro appears, its picture is the Linux player's at twice its size, held keys light
# the demo's marks, the settings file is written under the Wine prefix's %APPDATA%, and the
# window manager's close ends it with status 0. Its window is kept as windows-window.png in
# the build folder.
# Usage: desktop_test.sh WINDOWS_BUILD SOURCE   (PLEXARO_LINUX_BUILD: the Linux build)
set -eu
build=$1
src=$2
linux=${PLEXARO_LINUX_BUILD:-$src/build/release}
. "$src/tests/desktop/lib.sh"
need wine wmctrl
[ -x "$linux/host/plexaro" ] || { echo "SKIPPED: no Linux build at $linux"; exit $SKIP; }
# Wine starts slowly on a busy machine, the first time in a prefix above all.
START=120

# A prefix of this test's own, beside the one the unit groups share: its %APPDATA% holds only
# what this run writes, and its Wine processes end with the test.
prefix=$build/wine-desktop
appdata=$(ls -d "$prefix"/drive_c/users/*/AppData/Roaming 2>/dev/null | head -1 || true)
[ -z "$appdata" ] || rm -rf "$appdata/plexaro"
stop_wine() {
    WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
    cleanup
}
trap stop_wine EXIT INT TERM

# The references come from the Linux player; lib.sh's reference() runs $program.
program=$linux/host/plexaro
demo=$build/cartridges/demo/demo.sg

start_x
SDL_RENDER_DRIVER=software SDL_AUDIODRIVER=dummy sh "$src/tools/wine-run.sh" "$prefix" \
    "$build/host/plexaro.exe" -- "Z:$demo" >"$tmp/out" 2>"$tmp/err" &
plexaro=$!
pids="$pids $plexaro"
until_seen_for "$START" "no window titled Plexaro appeared" find_window
focus "$window"
until_seen_for "$START" "no first frame in the window" first_frame
sleep 1

reference 200%
until_seen "the picture at size x 2" same_picture "$window" 512x384+0+$MENU_BAR "$tmp/reference.png"
look "$window" 512x$((384 + MENU_BAR))+0+0 "$build/windows-window.png" ||
    fail "no screenshot of the window"
echo "the window shows the Linux player's picture at x 2"

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
echo "keys reach the game"

# The window manager's close, as the title bar's button does.
timeout "$STEP" wmctrl -i -c "$window" || fail "wmctrl could not ask the window to close"
until_seen "the program is still running after its window closed" ended
status=0
wait "$plexaro" || status=$?
[ "$status" = 0 ] || fail "closing the window ended with status $status: $(cat "$tmp/err")"
settings=$(ls "$prefix"/drive_c/users/*/AppData/Roaming/plexaro/settings.ini 2>/dev/null | head -1 || true)
[ -n "$settings" ] || fail "no settings.ini under the prefix's %APPDATA%\\plexaro"
grep -q "demo.sg" "$settings" || fail "settings.ini does not name the demo among the recent: $(cat "$settings")"
echo "closed with status 0; settings in ${settings#"$prefix/"}"
echo "PASS"
