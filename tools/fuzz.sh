#!/bin/sh
# Replays the inputs of past findings, then runs each fuzz target for a while on a copy of its
# committed seed corpus, one core each in turn, and prints what each reached. Fails if any target finds something; the input that
# did it is left in <build>/run/<target>/artifacts/.
# Usage: fuzz.sh BUILD_DIR SOURCE_CORPUS_DIR SECONDS
set -eu

build=$1
seeds=$2
seconds=$3
targets="cartridge chips z80 input_script state"

failed=""
# Past findings first, each replayed alone by its own target (named by its file's first word):
# what was fixed stays fixed.
findings="$(dirname "$seeds")/findings"
for finding in "$findings"/*; do
    [ -f "$finding" ] || continue
    t=$(basename "$finding" | sed 's/-.*//')
    if "$build/${t}_fuzz" -timeout=5 -rss_limit_mb=1024 "$finding" >"$build/replay.txt" 2>&1; then
        echo "fuzz: replayed $(basename "$finding"): fine"
    else
        failed="$failed $(basename "$finding")"
        grep -E "^(==[0-9]+==ERROR|SUMMARY)|runtime error" "$build/replay.txt" || true
    fi
done
for t in $targets; do
    run="$build/run/$t"
    rm -rf "$run"
    mkdir -p "$run/corpus" "$run/artifacts"
    cp "$seeds/$t"/* "$run/corpus/"
    echo "fuzz: $t for ${seconds}s"
    if ! "$build/${t}_fuzz" -max_total_time="$seconds" -timeout=5 -rss_limit_mb=1024 \
            -print_final_stats=1 -artifact_prefix="$run/artifacts/" "$run/corpus" \
            >"$run/log.txt" 2>&1; then
        failed="$failed $t"
        grep -E "^(==[0-9]+==ERROR|SUMMARY|z80_fuzz:)|runtime error|Test unit written" "$run/log.txt" || true
    fi
done

echo "fuzz: target        executions  exec/s"
for t in $targets; do
    log="$build/run/$t/log.txt"
    units=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
    printf 'fuzz: %-12s %11s %7s\n' "$t" "${units:-?}" "${rate:-?}"
done

if [ -n "$failed" ]; then
    echo "fuzz: findings in:$failed (logs in $build/run/<target>/log.txt)" >&2
    exit 1
fi
