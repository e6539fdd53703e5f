#!/bin/sh
# Long runs that would show a leak or a crash that short tests miss: the demo headless at
# full speed, and the desktop program under an X server of its own with SDL's dummy audio
# and a random key every few frames. Resident memory is sampled once a second; after the
# first minute it must not grow by more than 1 MB. Not part of CI: it takes 40 minutes.
# Usage: tools/soak.sh BUILD_DIR [HEADLESS_SECONDS [DESKTOP_SECONDS]]
set -eu
BUILD="$1"
HEADLESS_SECONDS="${2:-1800}"
DESKTOP_SECONDS="${3:-600}"
PROGRAM="$BUILD/host/plexaro"
DEMO="$BUILD/cartridges/demo/demo.sg"
ALLOWED_KB=1024
tmp=$(mktemp -d)
pids=""
trap 'for p in $pids; do kill $p 2>/dev/null || true; done; rm -rf "$tmp"' EXIT INT TERM

rss_kb() { awk '/VmRSS/ {print $2}' "/proc/$1/status" 2>/dev/null || echo 0; }

# Samples a process's memory each second for $2 seconds; prints the verdict.
watch_memory() {
    pid=$1 seconds=$2 name=$3 baseline="" peak=0
    for second in $(seq "$seconds"); do
        sleep 1
        kill -0 "$pid" 2>/dev/null || { echo "$name: FAILED, the program ended after $second s"; return 1; }
        rss=$(rss_kb "$pid")
        [ "$second" -eq 60 ] && baseline=$rss
        [ "$rss" -gt "$peak" ] && peak=$rss
        [ $((second % 60)) -eq 0 ] && echo "$name: $second s, resident $rss kB"
    done
    [ -n "$baseline" ] || baseline=$(rss_kb "$pid")
    growth=$((peak - baseline))
    if [ "$growth" -gt "$ALLOWED_KB" ]; then
        echo "$name: FAILED, memory grew by $growth kB after the first minute ($baseline -> $peak kB)"
        return 1
    fi
    echo "$name: passed, $growth kB of growth after the first minute (peak $peak kB)"
}

status=0

# Headless: as many frames as the machine can run in the time given.
"$PROGRAM" --headless --frames 100000000000 -- "$DEMO" >"$tmp/headless.out" 2>&1 &
headless=$!
pids="$pids $headless"
watch_memory $headless "$HEADLESS_SECONDS" headless || status=1
ticks=$(awk '{print $14 + $15}' "/proc/$headless/stat" 2>/dev/null || echo 0)
kill -INT $headless 2>/dev/null || true
# The endless run can't report its frames, so a short run of the same program gives the rate
# that turns its processor time into console time.
fps=$("$PROGRAM" --headless --frames 60000 -- "$DEMO" | sed -n 's/.*fps: \([0-9.]*\).*/\1/p')
awk -v t="$ticks" -v hz="$(getconf CLK_TCK)" -v fps="$fps" 'BEGIN {
    printf "headless: %.0f s of processor time at about %.0f frames a second: about %.1f hours of console time\n",
        t / hz, fps, t / hz * fps / 60 / 3600 }'

# The desktop program, pressed on at random.
exec 3>"$tmp/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
pids="$pids $!"
exec 3>&-
while [ ! -s "$tmp/display" ]; do sleep 0.1; done
export DISPLAY=":$(cat "$tmp/display")"
SDL_AUDIODRIVER=dummy "$PROGRAM" --stats -- "$DEMO" >"$tmp/desktop.out" 2>&1 &
desktop=$!
pids="$pids $desktop"
window=$(timeout 10 xdotool search --sync --onlyvisible --name '^Plexaro$' | head -1)
xdotool windowfocus "$window"
(
    while kill -0 $desktop 2>/dev/null; do
        key=$(shuf -n 1 -e Up Down Left Right Control_L Shift_L Tab)
        xdotool keydown "$key" sleep 0.0$(shuf -i 1-9 -n 1) keyup "$key" 2>/dev/null || true
        sleep 0.0$(shuf -i 3-9 -n 1)
    done
) &
pids="$pids $!"
watch_memory $desktop "$DESKTOP_SECONDS" desktop || status=1
kill -TERM $desktop 2>/dev/null || true
wait $desktop 2>/dev/null || true
cat "$tmp/desktop.out"
exit $status
