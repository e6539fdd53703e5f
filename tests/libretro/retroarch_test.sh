#!/bin/sh
# The libretro core in Debian's RetroArch, in a window on an X server of the test's own
# (Xvfb): RetroArch runs a cartridge for 300 frames and saves a screenshot, which must show
# the headless player's picture of the same frame, pixel for pixel at RetroArch's 3x scale.
# RetroArch gets a config, a home, a core folder and a D-Bus session bus of the test's own, so
# that nothing installed on the machine, kept in a home directory or running in a desktop
# session changes what it does.
# Usage: retroarch_test.sh BUILD_DIR CASE
#   CASE: plain | runahead   (runahead: one frame of run-ahead, which needs the core's
#                             deterministic save states; its picture is the frame after)
set -eu

build=$1
case=$2
SKIP=77
STEP=120  # a RetroArch run, long enough for a busy 2-core machine
FRAMES=300
SCALE=3

for tool in retroarch dbus-run-session Xvfb xprop convert identify python3 timeout; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "SKIPPED: $tool is not installed"
        exit $SKIP
    fi
done

core=$build/libretro/plexaro_libretro.so
player=$build/host/plexaro
for file in "$core" "$build/libretro/plexaro_libretro.info" "$player" \
    "$build/cartridges/demo/demo.sg" "$build/cartridges/tests/busy.sg"; do
    [ -f "$file" ] || { echo "FAIL: $file is not built"; exit 1; }
done

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

# With many X servers starting at once (tests run side by side), one may be handed a display
# number whose socket another holds, and then no one can reach it: such a server is ended and
# another started, on another number.
for attempt in 1 2 3; do
    : >"$tmp/display"
    exec 3>"$tmp/display"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset >"$tmp/xvfb.log" 2>&1 &
    xvfb=$!
    pids="$pids $xvfb"
    exec 3>&-
    for _ in $(seq $((STEP * 10))); do
        [ -s "$tmp/display" ] && break
        sleep 0.1
    done
    [ -s "$tmp/display" ] || fail "Xvfb did not start in $STEP s: $(cat "$tmp/xvfb.log")"
    DISPLAY=:$(cat "$tmp/display")
    export DISPLAY
    for _ in $(seq 50); do
        timeout 3 xprop -root >/dev/null 2>&1 && break 2
        sleep 0.2
    done
    [ "$attempt" -lt 3 ] || fail "no X server of our own after 3 attempts: $(cat "$tmp/xvfb.log")"
    kill "$xvfb" 2>/dev/null || true
done

# The core and its info file in a folder of their own: RetroArch reads what the core offers
# (save states good for run-ahead among it) from the info file beside the cores it scans.
mkdir -p "$tmp/cores" "$tmp/home" "$tmp/run"
chmod 700 "$tmp/run"
cp "$core" "$build/libretro/plexaro_libretro.info" "$tmp/cores/"
cat >"$tmp/retroarch.cfg" <<EOF
libretro_directory = "$tmp/cores"
libretro_info_path = "$tmp/cores"
video_driver = "gl"
video_scale = "$SCALE.0"
video_smooth = "false"
video_shader_enable = "false"
video_font_enable = "false"
video_fullscreen = "false"
video_vsync = "false"
audio_driver = "null"
audio_enable = "false"
menu_driver = "null"
pause_nonactive = "false"
config_save_on_exit = "false"
savestate_auto_load = "false"
savestate_auto_save = "false"
core_info_cache_enable = "false"
EOF
if [ "$case" = runahead ]; then
    cat >>"$tmp/retroarch.cfg" <<EOF
run_ahead_enabled = "true"
run_ahead_frames = "1"
run_ahead_secondary_instance = "false"
EOF
fi

# The picture as the RGB 565 values it was made from: RetroArch's GPU widens 5 and 6 bits
# to 8 its own way, the player's PNG another, so both are narrowed again before comparing.
narrow() {
    convert "$1" -depth 8 rgb:- | python3 -c '
import sys
data = sys.stdin.buffer.read()
sys.stdout.buffer.write(bytes(b >> (2 if i % 3 == 1 else 3) for i, b in enumerate(data)))' >"$2"
}

# retroarch_shot CARTRIDGE NAME: RetroArch's screenshot after FRAMES frames, narrowed.
# RetroArch with GameMode (Debian's recommends) asks for a session bus at start-up and aborts
# where none runs (a server, a container, CI), so it gets one of its own, ended with it; the
# desktop's bus, where there is one, is not used.
retroarch_shot() {
    begun=$(date +%s)
    status=0
    HOME=$tmp/home XDG_CONFIG_HOME=$tmp/home/.config XDG_RUNTIME_DIR=$tmp/run \
        DBUS_SESSION_BUS_ADDRESS='' dbus-run-session -- timeout "$STEP" retroarch \
        --config "$tmp/retroarch.cfg" --verbose -L "$tmp/cores/plexaro_libretro.so" "$1" \
        --max-frames=$FRAMES --max-frames-ss \
        --max-frames-ss-path="$tmp/$2.png" >"$tmp/$2.log" 2>&1 || status=$?
    if [ "$status" != 0 ]; then
        [ "$status" != 124 ] || status="124, still running after $STEP s"
        fail "retroarch on $1 ended with status $status after $(($(date +%s) - begun)) s" \
            "($(tail -5 "$tmp/$2.log"))"
    fi
    [ -f "$tmp/$2.png" ] || fail "retroarch wrote no screenshot ($(tail -5 "$tmp/$2.log"))"
    if grep -q "Run-Ahead unavailable" "$tmp/$2.log"; then
        fail "RetroArch would not run ahead: $(grep "Run-Ahead" "$tmp/$2.log" | head -1)"
    fi
    size=$(convert "$tmp/$2.png" -format '%wx%h' info:)
    [ "$size" = "$((256 * SCALE))x$((192 * SCALE))" ] || fail "the screenshot is $size"
    narrow "$tmp/$2.png" "$tmp/$2.rgb"
}

# player_shot CARTRIDGE FRAMES NAME: the headless player's picture after FRAMES frames, at
# RetroArch's scale, narrowed.
player_shot() {
    "$player" --headless --frames "$2" --screenshot "$tmp/$3.png" -- "$1" >/dev/null ||
        fail "the player did not run $1"
    convert "$tmp/$3.png" -filter point -resize "$((SCALE * 100))%" "$tmp/$3-big.png"
    narrow "$tmp/$3-big.png" "$tmp/$3.rgb"
}

# The demo's title screen, and the busy cartridge, whose picture changes every frame and so
# tells which frame RetroArch showed: the last one run, or with run-ahead the one after it.
if [ "$case" = runahead ]; then expected=$((FRAMES + 1)); else expected=$FRAMES; fi
for cartridge in "$build/cartridges/demo/demo.sg" "$build/cartridges/tests/busy.sg"; do
    name=$(basename "$cartridge" .sg)
    retroarch_shot "$cartridge" "ra-$name"
    shown=""
    for frame in $((FRAMES - 1)) $FRAMES $((FRAMES + 1)) $((FRAMES + 2)); do
        player_shot "$cartridge" "$frame" "player-$name-$frame"
        if cmp -s "$tmp/ra-$name.rgb" "$tmp/player-$name-$frame.rgb"; then
            shown="$shown $frame"
        fi
    done
    [ -n "$shown" ] || fail "RetroArch's picture of $name is none of the player's frames $((FRAMES - 1)) to $((FRAMES + 2))"
    case " $shown " in
        *" $expected "*) echo "$name: RetroArch showed the player's frame$shown (expected $expected)" ;;
        *) fail "RetroArch showed $name's frame$shown, not $expected" ;;
    esac
    # Kept for a person to look at when asked to.
    if [ -n "${PLEXARO_KEEP_SHOTS:-}" ]; then
        cp "$tmp/ra-$name.png" "$PLEXARO_KEEP_SHOTS/retroarch-$case-$name.png"
    fi
done
echo "retroarch ($case): all checks passed"
