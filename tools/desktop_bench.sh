#!/bin/sh
# How light the desktop program is: runs it on the demo under an X server of its own (Xvfb)
# with SDL's dummy audio driver, which plays at real-time rate like a sound card, and prints
# its CPU use, resident memory, frame rate and time to the first frame.
# Usage: tools/desktop_bench.sh BUILD_DIR [SECONDS]   (SDL_RENDER_DRIVER picks the renderer)
set -eu
BUILD="$1"
SECONDS_TO_RUN="${2:-10}"
PROGRAM="$BUILD/host/plexaro"
DEMO="$BUILD/cartridges/demo/demo.sg"
tmp=$(mktemp -d)
trap 'kill $xvfb 2>/dev/null; rm -rf "$tmp"' EXIT INT TERM

exec 3>"$tmp/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
exec 3>&-
while [ ! -s "$tmp/display" ]; do sleep 0.1; done
export DISPLAY=":$(cat "$tmp/display")"

ticks=$(getconf CLK_TCK)
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
SDL_AUDIODRIVER="${SDL_AUDIODRIVER-dummy}" "$PROGRAM" --stats -- "$DEMO" >"$tmp/out" 2>"$tmp/err" &
pid=$!
sleep 2  # past start-up and the sound buffer's first fill
before=$(cpu_ticks $pid)
sleep "$SECONDS_TO_RUN"
after=$(cpu_ticks $pid)
rss=$(awk '/VmRSS/ {print $2}' "/proc/$pid/status")
anon=$(awk '/RssAnon/ {print $2}' "/proc/$pid/status")
kill -TERM $pid
wait $pid || true
echo "renderer $(sed -n 's/.*renderer: \([^ ]*\).*/\1/p' "$tmp/out"), sound $(sed -n 's/.*sound: //p' "$tmp/out")"
awk -v t="$((after - before))" -v hz="$ticks" -v s="$SECONDS_TO_RUN" \
    'BEGIN { printf "cpu: %.1f%% of one core over %d s\n", 100 * t / hz / s, s }'
echo "resident memory: $((rss / 1024)) MB, of which $((anon / 1024)) MB its own (the rest shared libraries' pages)"
cat "$tmp/out"
