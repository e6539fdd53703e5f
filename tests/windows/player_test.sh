#!/bin/sh
# The Windows player under Wine beside the Linux one, on our cartridges kept under
# "Jeux/ゲーム/Über/" (with a space further down): the same hashes in both behaviours, and the
# screenshot, the sound and the saved state byte for byte the Linux build's; a state loaded
# runs on the same; --help, a wrong option and a missing cartridge end as they do on Linux.
# Usage: player_test.sh WINDOWS_BUILD SOURCE   (PLEXARO_LINUX_BUILD: the Linux build)
set -eu
win=$1
src=$2
linux=${PLEXARO_LINUX_BUILD:-$src/build/release}
if [ ! -x "$linux/host/plexaro" ] || ! command -v wine >/dev/null 2>&1; then
    echo "SKIPPED: needs Wine and the Linux build at $linux"
    exit 77
fi
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}
# What a run said, without its speed line (its own machine's timing) or Windows' line ends.
said() {
    tr -d '\r' <"$1" | grep -v '^frames: .* fps: '
}
windows() {
    sh "$src/tools/wine-run.sh" "$win/wine" "$win/host/plexaro.exe" "$@"
}
# The Windows program sees the whole Linux tree as drive Z:.
here="$tmp/Jeux/ゲーム/Über/mes cartouches"
mkdir -p "$here"
W="Z:$here"

for cartridge in demo/demo.sg tests/sound.sg tests/busy.sg; do
    name=$(basename "$cartridge")
    cp "$linux/cartridges/$cartridge" "$here/$name"
    for behaviour in simple hardware; do
        set -- --headless --frames 300 --hash --video "$behaviour"
        "$linux/host/plexaro" "$@" --screenshot "$tmp/linux.png" --wav "$tmp/linux.wav" \
            --save-state "$tmp/linux.state" -- "$here/$name" >"$tmp/linux.out" 2>&1 ||
            fail "$name ($behaviour): the Linux player ended with $?"
        rm -f "$here/shot.png" "$here/sound.wav" "$here/game.state"
        windows "$@" --screenshot "$W/shot.png" --wav "$W/sound.wav" --save-state "$W/game.state" \
            -- "$W/$name" >"$tmp/windows.out" 2>&1 ||
            fail "$name ($behaviour): the Windows player ended with $?: $(cat "$tmp/windows.out")"
        said "$tmp/linux.out" >"$tmp/linux.txt"
        said "$tmp/windows.out" >"$tmp/windows.txt"
        cmp -s "$tmp/linux.txt" "$tmp/windows.txt" ||
            fail "$name ($behaviour): they said different things: $(diff "$tmp/linux.txt" "$tmp/windows.txt")"
        grep -q "frame hash: 0x" "$tmp/windows.txt" || fail "$name ($behaviour): no hash said"
        cmp "$tmp/linux.png" "$here/shot.png" || fail "$name ($behaviour): screenshots differ"
        cmp "$tmp/linux.wav" "$here/sound.wav" || fail "$name ($behaviour): sound differs"
        cmp "$tmp/linux.state" "$here/game.state" || fail "$name ($behaviour): states differ"

        # Each loads the other's state and runs on to the same place.
        set -- --headless --frames 120 --hash --video "$behaviour"
        "$linux/host/plexaro" "$@" --load-state "$here/game.state" -- "$here/$name" \
            >"$tmp/linux.out" 2>&1 || fail "$name ($behaviour): Linux did not load the state"
        windows "$@" --load-state "$W/game.state" -- "$W/$name" >"$tmp/windows.out" 2>&1 ||
            fail "$name ($behaviour): Windows did not load the state: $(cat "$tmp/windows.out")"
        said "$tmp/linux.out" >"$tmp/linux.txt"
        said "$tmp/windows.out" | cmp -s "$tmp/linux.txt" - ||
            fail "$name ($behaviour): after loading the state they differ"
    done
    [ "$failures" != 0 ] || echo "$name: the same on both, in both behaviours"
done

# Exit statuses and the words of the command line's answers.
for words in "--help" "--no-such-option" "--headless --frames 1 -- $tmp/nothing.sg"; do
    status=0
    # shellcheck disable=SC2086
    "$linux/host/plexaro" $words >"$tmp/linux.out" 2>&1 || status=$?
    wstatus=0
    # shellcheck disable=SC2086
    windows $(echo "$words" | sed "s|$tmp|Z:$tmp|") >"$tmp/windows.out" 2>&1 || wstatus=$?
    [ "$status" = "$wstatus" ] || fail "'$words': Linux ended with $status, Windows with $wstatus"
    [ -s "$tmp/windows.out" ] || fail "'$words': Windows said nothing"
done
[ "$failures" = 0 ] || exit 1
echo "PASS"
