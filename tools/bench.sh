#!/bin/sh
# Runs every benchmark the build produced, each printing its own figures.
set -eu
BUILD="$1"
found=0
for b in "$BUILD"/bench/*/bench_*; do
    [ -x "$b" ] || continue
    found=1
    echo "== $(basename "$b")"
    "$b"
done
[ "$found" -eq 1 ] || echo "no benchmarks built yet"
