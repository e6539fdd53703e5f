#!/bin/sh
# `--dap-port` in the window: an editor (dap_client.py, speaking the protocol's wire format)
# attaches to the running window, stops it at a C line of our test cartridge, reads and steps,
# and leaves; the window plays on through it all and closes with status 0. The window while
# stopped is kept as dap-stopped.png in the build folder, to be looked at.
# Usage: dap_window_test.sh BUILD_DIR
set -eu

build=$1
. "$(dirname "$0")/lib.sh"
ctest=$build/cartridges/ctest/ctest.sg
sources=$(cd "$(dirname "$0")/../../cartridges/ctest" && pwd)

need python3
[ -f "$ctest" ] || { echo "SKIPPED: no C test cartridge (SDCC missing)"; exit $SKIP; }
listening() {
    port=$(sed -n 's/^plexaro: debug adapter listening on 127\.0\.0\.1:\([0-9]*\)$/\1/p' "$tmp/err")
    seen="it said: $(cat "$tmp/err")"
    [ -n "$port" ]
}

start_x
SDL_AUDIODRIVER=dummy "$program" --dap-port 0 -- "$ctest" >"$tmp/out" 2>"$tmp/err" &
plexaro=$!
pids="$pids $plexaro"
until_seen_for "$START" "no window titled Plexaro appeared" find_window
until_seen_for "$START" "no first frame in the window" first_frame
until_seen "the window does not say where it listens" listening
timeout 120 python3 "$(dirname "$0")/dap_client.py" "$port" "$ctest" "$sources" \
    "import -window $window $tmp/stopped.png" || fail "the editor's session went wrong"
cp "$tmp/stopped.png" "$build/dap-stopped.png"
kill -0 "$plexaro" 2>/dev/null || fail "the program ended with the session"
window_shown || fail "the window went with the session"
grep -q "a second client was turned away" "$tmp/err" || fail "the second client went unmentioned"
focus "$window"
xdo key alt+F4
if ! until_seen_quietly ended && window_shown; then
    focus "$window"
    xdo key alt+F4
fi
until_seen "the program is still running after its window closed" ended
status=0
wait "$plexaro" || status=$?
[ "$status" = 0 ] || fail "closing the window ended with status $status"
echo "PASS: dap"
