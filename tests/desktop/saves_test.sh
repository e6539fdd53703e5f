#!/bin/sh
# Saves and settings as a player meets them in a real window: a damaged settings file is kept
# aside and said, and F12 with no cartridge writes no picture and says there is nothing.
# Usage: saves_test.sh BUILD_DIR
set -eu

build=$1
. "$(dirname "$0")/lib.sh"

start_x
export XDG_DATA_HOME="$tmp/data" XDG_PICTURES_DIR="$tmp/pictures"
mkdir -p "$XDG_CONFIG_HOME/plexaro"
settings=$XDG_CONFIG_HOME/plexaro/settings.ini
printf 'p1_up = W\nwindow_scale = 9\np1_down = S\n' >"$settings"
cp "$settings" "$tmp/damaged.ini"
# No cartridge: the empty window.
SDL_AUDIODRIVER=dummy "$program" >"$tmp/out" 2>"$tmp/err" &
plexaro=$!
pids="$pids $plexaro"
until_seen "no window titled Plexaro appeared" find_window
focus "$window"

grep -q "settings.ini:2: '9' is no value of window_scale; the file as it was is kept as settings.ini.bad" "$tmp/err" ||
    fail "no warning on stderr: $(cat "$tmp/err")"
cmp -s "$settings.bad" "$tmp/damaged.ini" || fail "settings.ini.bad is not the file as it was"
[ "$(cat "$settings")" = "$(printf 'p1_up = W\n# could not be read: window_scale = 9\np1_down = S')" ] ||
    fail "settings.ini is now: $(cat "$settings")"

xdo key F12
picture_notice() {
    seen=$(timeout "$STEP" xdotool getwindowname "$window")
    [ "$seen" = "Plexaro - no cartridge running: nothing to capture" ]
}
until_seen "F12 said nothing" picture_notice
[ ! -e "$tmp/pictures" ] || [ -z "$(ls "$tmp/pictures")" ] || fail "F12 wrote $(ls "$tmp/pictures")"
