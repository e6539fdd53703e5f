#!/bin/sh
# `make windows`: the libraries (built once into the cache, tools/windows-libs.sh), then the
# programs cross-compiled into OUT/build, then the download in OUT: plexaro.exe,
# plexaro_libretro.dll with its info file, README.txt, LICENSE, and
# plexaro-VERSION-windows-x64.zip holding them. Everything is linked statically, so no DLL
# of anyone else's ships.
# Usage: windows.sh OUT [JOBS]
set -eu
HERE=$(cd "$(dirname "$0")/.." && pwd)
OUT=$1
JOBS=${2:-2}
mkdir -p "$OUT"
OUT=$(cd "$OUT" && pwd)

PREFIX=$(JOBS=$JOBS sh "$HERE/tools/windows-libs.sh" | tail -1)
TREE=$OUT/build
if [ ! -f "$TREE/CMakeCache.txt" ]; then
    generator=""
    command -v ninja >/dev/null 2>&1 && generator="-G Ninja"
    # shellcheck disable=SC2086
    cmake -S "$HERE" -B "$TREE" $generator -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$HERE/cmake/mingw-w64.cmake" -DPLEXARO_MINGW_PREFIX="$PREFIX" \
        -DPLEXARO_IMGUI_BACKENDS="$PREFIX/share/imgui/backends" \
        "-DCMAKE_CROSSCOMPILING_EMULATOR=sh;$HERE/tools/wine-run.sh;$TREE/wine"
fi
cmake --build "$TREE" -j "$JOBS"

VERSION=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$TREE/CMakeCache.txt")
cp "$TREE/host/plexaro.exe" "$TREE/libretro/plexaro_libretro.dll" \
    "$TREE/libretro/plexaro_libretro.info" "$OUT/"
x86_64-w64-mingw32-strip "$OUT/plexaro.exe" "$OUT/plexaro_libretro.dll"
# The README's section for players, as plain text with Windows line ends.
sh "$HERE/tools/readme_text.sh" "$HERE/README.md" | sed 's/$/\r/' >"$OUT/README.txt"
sed 's/$/\r/' "$HERE/LICENSE" >"$OUT/LICENSE.txt"
ZIP=plexaro-$VERSION-windows-x64.zip
rm -f "$OUT/$ZIP"
(cd "$OUT" && zip -q -X -9 "$ZIP" plexaro.exe plexaro_libretro.dll plexaro_libretro.info \
    README.txt LICENSE.txt)
echo "windows: $OUT/$ZIP ($(wc -c <"$OUT/$ZIP") bytes)"
