#!/bin/sh
# Whole-console speed against another commit: builds that commit's bench_machine_frames in a
# temporary worktree beside this tree, then runs the two benchmarks alternately on our busy
# test cartridge and prints the best frames per second of each and their ratio.
#
#     tools/compare_speed.sh COMMIT [ROUNDS]      # ROUNDS defaults to 3
#
# BUILD (default build/release) is this tree's release build. The worktree and its build
# are removed at the end, also after a failure or an interrupt.
set -eu
[ $# -ge 1 ] || { echo "usage: $0 COMMIT [ROUNDS]" >&2; exit 2; }
COMMIT=$1
ROUNDS=${2:-3}
ROOT=$(git rev-parse --show-toplevel)
BUILD=${BUILD:-$ROOT/build/release}
case $BUILD in /*) ;; *) BUILD=$ROOT/$BUILD ;; esac
JOBS=${JOBS:-2}
GEN=""
command -v ninja >/dev/null 2>&1 && GEN="-G Ninja"

OTHER=$ROOT/build/compare-$$
cleanup() {
    git -C "$ROOT" worktree remove --force "$OTHER" >/dev/null 2>&1 || rm -rf "$OTHER"
    git -C "$ROOT" worktree prune
}
trap cleanup EXIT
trap 'exit 130' INT TERM

mkdir -p "$ROOT/build"
git -C "$ROOT" worktree add --detach "$OTHER" "$COMMIT" >/dev/null
echo "building $COMMIT ..."
# shellcheck disable=SC2086
cmake -S "$OTHER" -B "$OTHER/build" $GEN -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$OTHER/build" -j "$JOBS" --target bench_machine_frames >/dev/null
echo "building this tree ..."
if [ ! -f "$BUILD/CMakeCache.txt" ]; then
    # shellcheck disable=SC2086
    cmake -S "$ROOT" -B "$BUILD" $GEN -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$BUILD" -j "$JOBS" --target bench_machine_frames >/dev/null

CARTRIDGE=$BUILD/cartridges/tests/busy.sg
# Prints the simple behaviour's frames per second, then the hardware one's.
measure() {
    "$1" "$CARTRIDGE" | awk '/^frames:/ { simple = $9 } /^hardware video:/ { print simple, $9 }'
}

best() {
    awk -v a="$1" -v b="$2" 'BEGIN { print (b > a ? b : a) }'
}

old_simple=0 old_hardware=0 new_simple=0 new_hardware=0
round=1
while [ "$round" -le "$ROUNDS" ]; do
    set -- $(measure "$OTHER/build/bench/machine/bench_machine_frames")
    old_simple=$(best "$old_simple" "$1")
    old_hardware=$(best "$old_hardware" "$2")
    set -- $(measure "$BUILD/bench/machine/bench_machine_frames")
    new_simple=$(best "$new_simple" "$1")
    new_hardware=$(best "$new_hardware" "$2")
    echo "round $round: $COMMIT $old_simple fps, this tree $new_simple fps (best so far)"
    round=$((round + 1))
done

awk -v c="$COMMIT" -v os="$old_simple" -v oh="$old_hardware" -v ns="$new_simple" \
    -v nh="$new_hardware" 'BEGIN {
    printf "cartridge: busy.sg, best of %s rounds\n", '"$ROUNDS"'
    printf "simple video:   %s %.0f fps, this tree %.0f fps, ratio %.2fx\n", c, os, ns, ns / os
    printf "hardware video: %s %.0f fps, this tree %.0f fps, ratio %.2fx\n", c, oh, nh, nh / oh
}'
