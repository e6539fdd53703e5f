#!/bin/sh
# Runs dap_test.js against the program. The npm module comes into the build folder once (a
# cache there, kept between runs); without npm or the network the test is skipped (77).
# Usage: dap_test.sh PLEXARO DEBUGGEE.sg CTEST.sg CTEST_SOURCES WORK_FOLDER
set -eu
here=$(cd "$(dirname "$0")" && pwd)
plexaro=$1 cartridge=$2 ctest=$3 sources=$4 work=$5

command -v node >/dev/null 2>&1 || { echo "SKIPPED: no node"; exit 77; }
modules="$work/node_modules/@vscode/debugadapter-testsupport"
if [ ! -d "$modules" ]; then
    command -v npm >/dev/null 2>&1 || { echo "SKIPPED: no npm"; exit 77; }
    mkdir -p "$work"
    cp "$here/package.json" "$here/package-lock.json" "$work/"
    # The machine's extra certificate authorities, when it trusts any, reach npm through
    # NODE_EXTRA_CA_CERTS from the environment.
    if ! (cd "$work" && npm ci --no-audit --no-fund --silent --cache "$work/npm-cache") >"$work/npm.log" 2>&1; then
        echo "SKIPPED: npm could not fetch @vscode/debugadapter-testsupport (see $work/npm.log)"
        exit 77
    fi
fi
NODE_PATH="$work/node_modules" exec node "$here/dap_test.js" "$plexaro" "$cartridge" "$ctest" "$sources"
