#!/bin/sh
# The Windows debug adapter under Wine on its standard handles, as an editor starts it: an
# initialize request through a pipe is answered with the adapter's abilities, a disconnect
# is answered too, and the end of the pipe ends the program with status 0.
# Usage: dap_test.sh WINDOWS_BUILD SOURCE
set -eu
win=$1
src=$2
if ! command -v wine >/dev/null 2>&1; then
    echo "SKIPPED: needs Wine"
    exit 77
fi
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
request() {
    printf 'Content-Length: %d\r\n\r\n%s' "$(printf %s "$1" | wc -c)" "$1"
}
# The second request comes a moment later, so that the adapter waits on an open, empty pipe.
status=0
{
    request '{"seq":1,"type":"request","command":"initialize","arguments":{"adapterID":"plexaro"}}'
    sleep 1
    request '{"seq":2,"type":"request","command":"disconnect","arguments":{}}'
} | timeout 60 sh "$src/tools/wine-run.sh" "$win/wine" "$win/host/plexaro.exe" --dap \
    >"$tmp/out" 2>"$tmp/err" || status=$?
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}
[ "$status" -eq 0 ] || fail "the adapter ended with $status: $(cat "$tmp/err")"
grep -q '^Content-Length: [0-9]*' "$tmp/out" || fail "no framed answer: $(head -c 300 "$tmp/out")"
grep -q '"request_seq":1,"success":true,"command":"initialize","body":{"supports' "$tmp/out" ||
    fail "initialize not answered: $(head -c 300 "$tmp/out")"
grep -q '"request_seq":2,"success":true,"command":"disconnect"' "$tmp/out" ||
    fail "disconnect not answered"
[ "$failures" -eq 0 ] || exit 1
echo "the adapter answered through its standard handles"
