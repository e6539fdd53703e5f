#!/bin/sh
# Builds the libraries the Windows programs link, with Debian's MinGW-w64 cross compiler, from
# Debian's own source packages of the versions the Linux build uses (`apt-get source`): SDL2,
# Dear ImGui with its SDL2 backends, LZ4, libsamplerate, plus GoogleTest for the tests and stb
# from libstb-dev. Everything is static, so nothing but our own files ships. They land in a
# cache outside the clone named after the versions, built once per machine and reused; the
# folder's path is printed on the last line.
# Usage: windows-libs.sh [CACHE_ROOT]   (default: $XDG_CACHE_HOME or ~/.cache, then plexaro/)
set -eu

HERE=$(cd "$(dirname "$0")/.." && pwd)
JOBS=${JOBS:-2}
ROOT=${1:-${XDG_CACHE_HOME:-$HOME/.cache}/plexaro}

version() { dpkg-query -W -f='${source:Version}' "$1"; }
SDL=$(version libsdl2-dev)
IMGUI=$(version libimgui-dev)
LZ4=$(version liblz4-dev)
SRC=$(version libsamplerate0-dev)
GTEST=$(version libgtest-dev)
STB=$(version libstb-dev)
GCC=$(x86_64-w64-mingw32-g++-posix -dumpfullversion)

PREFIX="$ROOT/mingw-gcc$GCC-sdl2_$SDL-imgui_$IMGUI-lz4_$LZ4-samplerate_$SRC-gtest_$GTEST-stb_$STB"
if [ -f "$PREFIX/.complete" ]; then
    echo "$PREFIX"
    exit 0
fi

start=$(date +%s)
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
rm -rf "$PREFIX"
mkdir -p "$PREFIX/lib/pkgconfig" "$PREFIX/include"
TOOLCHAIN="$HERE/cmake/mingw-w64.cmake"
CC=x86_64-w64-mingw32-gcc-posix
CXX=x86_64-w64-mingw32-g++-posix
AR=x86_64-w64-mingw32-ar
CCACHE=$(command -v ccache || true)

cd "$WORK"
# Fetched as the invoking user into a folder apt's sandbox user cannot read: say so to apt.
apt-get source -qq -o APT::Sandbox::User=root \
    "libsdl2=$SDL" "imgui=$IMGUI" "lz4=$LZ4" "libsamplerate=$SRC" >/dev/null
sdl_dir=$(ls -d libsdl2-*/)
imgui_dir=$(ls -d imgui-*/)
lz4_dir=$(ls -d lz4-*/)
src_dir=$(ls -d libsamplerate-*/)

# cmake_cross SOURCE BUILD [OPTION...]
cmake_cross() {
    source_dir=$1
    build_dir=$2
    shift 2
    cmake -S "$source_dir" -B "$build_dir" -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" \
        -DPLEXARO_MINGW_PREFIX="$PREFIX" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$PREFIX" \
        ${CCACHE:+-DCMAKE_C_COMPILER_LAUNCHER=$CCACHE -DCMAKE_CXX_COMPILER_LAUNCHER=$CCACHE} \
        -Wno-dev "$@" >/dev/null
}

# SDL2: video, audio, events, joysticks and game controllers; none of what we never call.
cmake_cross "$sdl_dir" sdl-build -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF \
    -DSDL_POWER=OFF -DSDL_SENSOR=OFF -DSDL_HAPTIC=OFF -DSDL_VULKAN=OFF -DSDL_OPENGLES=OFF \
    -DSDL2_DISABLE_UNINSTALL=ON
cmake --build sdl-build -j "$JOBS" >/dev/null
cmake --install sdl-build >/dev/null

# libsamplerate without its examples and tests.
cmake_cross "$src_dir" src-build -DBUILD_TESTING=OFF -DLIBSAMPLERATE_EXAMPLES=OFF \
    -DBUILD_SHARED_LIBS=OFF
cmake --build src-build -j "$JOBS" >/dev/null
cmake --install src-build >/dev/null

# LZ4: the library's four C files, as its Makefile builds them.
for f in lz4 lz4hc lz4frame xxhash; do
    $CCACHE $CC -O3 -c "$lz4_dir/lib/$f.c" -o "lz4-$f.o"
done
$AR rcs "$PREFIX/lib/liblz4.a" lz4-*.o
cp "$lz4_dir/lib/lz4.h" "$lz4_dir/lib/lz4hc.h" "$lz4_dir/lib/lz4frame.h" "$PREFIX/include/"
cat >"$PREFIX/lib/pkgconfig/liblz4.pc" <<PC
prefix=$PREFIX
Name: lz4
Description: LZ4, built for Windows from Debian's source
Version: ${LZ4%-*}
Libs: -L\${prefix}/lib -llz4
Cflags: -I\${prefix}/include
PC

# stb from libstb-dev, as on Linux: the headers, and the implementations Debian's libstb.so
# gives the Linux build, one object each, so that a program defining one itself (we write
# PNGs with our own stb_image_write) never meets a second copy.
cp -r /usr/include/stb "$PREFIX/include/"
# The TrueType packer sees the rectangle packer's declarations first, or it uses a small one of
# its own whose context ImGui, which shares it, would misread.
for part in image rect_pack truetype; do
    upper=$(echo "$part" | tr a-z A-Z)
    {
        [ "$part" != truetype ] || echo '#include <stb/stb_rect_pack.h>'
        printf '#define STB_%s_IMPLEMENTATION\n#include <stb/stb_%s.h>\n' "$upper" "$part"
    } >"stb_$part.c"
    $CCACHE $CC -O2 -w -I"$PREFIX/include" -c "stb_$part.c" -o "stb_$part.o"
done
$AR rcs "$PREFIX/lib/libstb.a" stb_image.o stb_rect_pack.o stb_truetype.o
cat >"$PREFIX/lib/pkgconfig/stb.pc" <<PC
prefix=$PREFIX
Name: stb
Description: stb from libstb-dev
Version: 0
Libs: -L\${prefix}/lib -lstb
Cflags: -I\${prefix}/include
PC

# Dear ImGui with the flags of Debian's own build (stb's rect packer and TrueType from libstb),
# and its two SDL2 backends: the Linux build takes the same two from Debian's package.
IMGUI_FLAGS="-O2 -w -I$imgui_dir -I$PREFIX/include -I$PREFIX/include/SDL2 -DIMGUI_DISABLE_STB_RECT_PACK_IMPLEMENTATION \
 -DIMGUI_STB_RECT_PACK_FILENAME=<stb/stb_rect_pack.h> -DIMGUI_DISABLE_STB_TRUETYPE_IMPLEMENTATION \
 -DIMGUI_STB_TRUETYPE_FILENAME=<stb/stb_truetype.h>"
for f in imgui imgui_draw imgui_tables imgui_widgets imgui_demo misc/cpp/imgui_stdlib \
         backends/imgui_impl_sdl backends/imgui_impl_sdlrenderer; do
    # shellcheck disable=SC2086
    $CCACHE $CXX $IMGUI_FLAGS -c "$imgui_dir/$f.cpp" -o "imgui-$(basename "$f").o"
done
$AR rcs "$PREFIX/lib/libimgui.a" imgui-*.o
mkdir -p "$PREFIX/include/imgui/backends"
cp "$imgui_dir"/*.h "$imgui_dir/misc/cpp/imgui_stdlib.h" "$PREFIX/include/imgui/"
cp "$imgui_dir"/backends/imgui_impl_sdl.h "$imgui_dir"/backends/imgui_impl_sdlrenderer.h \
    "$PREFIX/include/imgui/backends/"
mkdir -p "$PREFIX/share/imgui/backends"
cp "$imgui_dir"/backends/imgui_impl_sdlrenderer.cpp "$PREFIX/share/imgui/backends/"
cat >"$PREFIX/lib/pkgconfig/imgui.pc" <<PC
prefix=$PREFIX
Name: imgui
Description: Dear ImGui, built for Windows from Debian's source
Version: ${IMGUI%%+*}
Requires: stb
Libs: -L\${prefix}/lib -limgui
Cflags: -I\${prefix}/include/imgui -I\${prefix}/include/SDL2 -DIMGUI_DISABLE_STB_RECT_PACK_IMPLEMENTATION -DIMGUI_DISABLE_STB_TRUETYPE_IMPLEMENTATION
PC

# GoogleTest from Debian's libgtest-dev, which ships its source.
cmake_cross /usr/src/googletest gtest-build -DBUILD_GMOCK=ON -Dgtest_disable_pthreads=OFF
cmake --build gtest-build -j "$JOBS" >/dev/null
cmake --install gtest-build >/dev/null

touch "$PREFIX/.complete"
echo "windows-libs: built in $(($(date +%s) - start)) s" >&2
echo "$PREFIX"
