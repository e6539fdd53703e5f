#!/bin/sh
# Installs what `make fuzz` needs: Debian's clang and libFuzzer's runtime. Kept apart from the
# native list so that the native build never needs clang. Does nothing when both are present.
set -eu
exec sh "$(dirname "$0")/bootstrap.sh" clang libclang-rt-14-dev
