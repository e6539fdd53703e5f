#!/bin/sh
# Installs a built tree into a throw-away root and checks it the way a desktop would use it:
# the menu entry, `man plexaro`, the icons, and .sg files opening with Plexaro.
# Usage: install_test.sh BUILD_DIR SOURCE_DIR   (after the plexaro target is built)
set -eu

build=$1
source=$2
SKIP=77

for tool in cmake desktop-file-validate update-desktop-database update-mime-database man groff python3; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "SKIPPED: $tool is not installed"
        exit $SKIP
    fi
done
if ! ls /usr/share/mime/packages/*.xml >/dev/null 2>&1; then
    echo "SKIPPED: the system has no shared-mime-info definitions"
    exit $SKIP
fi

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT INT TERM
root=$tmp/root
share=$root/usr/share
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

if ! DESTDIR=$root cmake --install "$build" --prefix /usr >"$tmp/install.log" 2>&1; then
    cat "$tmp/install.log"
    echo "FAIL: cmake --install (is the plexaro target built?)"
    exit 1
fi

# A staged install leaves the desktop database to the package manager; a direct one refreshes it.
[ ! -e "$share/applications/mimeinfo.cache" ] || fail "a DESTDIR install wrote the desktop database"
if DESTDIR='' cmake --install "$build" --prefix "$tmp/direct" >"$tmp/direct.log" 2>&1; then
    grep -q "=plexaro.desktop;" "$tmp/direct/share/applications/mimeinfo.cache" 2>/dev/null ||
        fail "a direct install did not refresh the desktop database"
else
    cat "$tmp/direct.log"
    fail "cmake --install without DESTDIR"
fi

for file in bin/plexaro share/applications/plexaro.desktop share/man/man6/plexaro.6 \
    share/icons/hicolor/48x48/apps/plexaro.png share/icons/hicolor/128x128/apps/plexaro.png \
    share/icons/hicolor/256x256/apps/plexaro.png share/doc/plexaro/LICENSE; do
    [ -f "$root/usr/$file" ] || fail "$file was not installed"
done
[ -x "$root/usr/bin/plexaro" ] || fail "bin/plexaro is not executable"
cmp -s "$source/LICENSE" "$share/doc/plexaro/LICENSE" || fail "the installed LICENSE is not the project's"
grep -q '^license = "MIT"$' "$share/libretro/info/plexaro_libretro.info" 2>/dev/null ||
    fail "the installed info file does not give the core's licence as MIT"

# The libretro core and its info file where Debian's RetroArch looks for them.
multiarch=$(gcc -print-multiarch 2>/dev/null || true)
retro=$root/usr/lib/${multiarch:+$multiarch/}libretro/plexaro_libretro.so
[ -f "$retro" ] || fail "the libretro core is not at ${retro#"$root"}"
[ -f "$share/libretro/info/plexaro_libretro.info" ] || fail "the libretro core's info file was not installed"
grep -q '^display_name = "Plexaro"$' "$share/libretro/info/plexaro_libretro.info" 2>/dev/null ||
    fail "the installed info file does not name the core Plexaro"
if [ -f /etc/retroarch.cfg ]; then
    for key in libretro_directory libretro_info_path; do
        dir=$(sed -n "s/^$key = \"\(.*\)\"/\1/p" /etc/retroarch.cfg)
        case $key in
            libretro_directory) file=plexaro_libretro.so ;;
            *) file=plexaro_libretro.info ;;
        esac
        [ -z "$dir" ] || [ -f "$root/${dir%/}/$file" ] ||
            fail "RetroArch's $key ($dir) does not hold the installed $file"
    done
fi
case $("$root/usr/bin/plexaro" --version 2>&1) in
    "plexaro "[0-9]*) ;;
    *) fail "the installed plexaro does not print its version" ;;
esac

# Hints count as failures too: a clean entry prints nothing.
entry=$share/applications/plexaro.desktop
if ! desktop-file-validate "$entry" >"$tmp/validate.log" 2>&1 || [ -s "$tmp/validate.log" ]; then
    cat "$tmp/validate.log"
    fail "desktop-file-validate"
fi

page=$share/man/man6/plexaro.6
if ! groff -man -Tutf8 -ww -z "$page" >"$tmp/groff.log" 2>&1 || [ -s "$tmp/groff.log" ]; then
    cat "$tmp/groff.log"
    fail "groff warns about the manual page"
fi
if ! man -l "$page" >"$tmp/man.txt" 2>"$tmp/man.log" || [ -s "$tmp/man.log" ] ||
    ! grep -q 'PLEXARO(6)' "$tmp/man.txt"; then
    cat "$tmp/man.log"
    fail "man -l does not render the manual page cleanly"
fi
[ "$(MANPATH=$share/man man -w plexaro 2>/dev/null)" = "$page" ] ||
    fail "man does not find plexaro(6) under the installed prefix"

# The icons are the sizes their folders claim, and the committed ones are what the script draws.
# Pixels are compared rather than bytes so that another zlib's compression does not matter.
python3 "$source/tools/make_icon.py" --out "$tmp/drawn"
if ! python3 - "$share/icons/hicolor" "$tmp/drawn" <<'EOF'; then
import struct, sys, zlib
hicolor, drawn = sys.argv[1:]

def read(path):
    data = open(path, "rb").read()
    assert data[:8] == b"\x89PNG\r\n\x1a\n", f"{path}: not a PNG"
    pos, chunks = 8, {}
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 4:pos + 8 + length]
        assert zlib.crc32(body) == struct.unpack(">I", data[pos + 8 + length:pos + 12 + length])[0], \
            f"{path}: bad CRC in {kind}"
        chunks[kind] = chunks.get(kind, b"") + body[4:]
        pos += 12 + length
    return chunks[b"IHDR"], zlib.decompress(chunks[b"IDAT"])

ok = True
for size in (48, 128, 256):
    installed = f"{hicolor}/{size}x{size}/apps/plexaro.png"
    header, pixels = read(installed)
    width, height = struct.unpack(">II", header[:8])
    if (width, height) != (size, size):
        print(f"{installed} is {width}x{height}")
        ok = False
    if (header, pixels) != read(f"{drawn}/plexaro-{size}.png"):
        print(f"{installed} differs from what tools/make_icon.py draws; run it and commit the PNGs")
        ok = False
sys.exit(0 if ok else 1)
EOF
    fail "icons"
fi

# Opening GAME.SG must start Plexaro: the entry's MIME types exist, *.sg maps to them in any
# case, and the desktop database lists Plexaro for them. The database is rebuilt from the
# system's definitions plus any we install, so the machine's own caches play no part.
types=$(sed -n 's/^MimeType=//p' "$entry" | tr ';' ' ')
[ -n "$types" ] || fail "the entry names no MIME type"
mkdir -p "$tmp/db/mime/packages"
cp /usr/share/mime/packages/*.xml "$tmp/db/mime/packages/"
if [ -d "$share/mime/packages" ]; then
    for xml in "$share/mime/packages"/*.xml; do
        python3 -c 'import sys, xml.dom.minidom; xml.dom.minidom.parse(sys.argv[1])' "$xml" ||
            fail "$xml is not well-formed"
        cp "$xml" "$tmp/db/mime/packages/"
    done
fi
update-mime-database "$tmp/db/mime" >/dev/null 2>&1 || fail "update-mime-database"
update-desktop-database "$share/applications" || fail "update-desktop-database"
sg_types=$(awk -F: '$3 == "*.sg" && $4 !~ /cs/ { print $2 }' "$tmp/db/mime/globs2")
for type in $types; do
    grep -qx "$type" "$tmp/db/mime/types" || fail "no definition of $type"
    echo "$sg_types" | grep -qx "$type" || fail "*.sg is not a case-insensitive glob of $type"
    grep -q "^$type=.*plexaro.desktop" "$share/applications/mimeinfo.cache" ||
        fail "the desktop database does not list plexaro.desktop for $type"
done

if command -v gio >/dev/null 2>&1; then
    mkdir -p "$tmp/home" "$tmp/config"
    printf 'PLX\000\001\002\363' >"$tmp/GAME.SG"
    export XDG_DATA_HOME="$tmp/home" XDG_CONFIG_HOME="$tmp/config" XDG_CONFIG_DIRS="$tmp/config"
    export XDG_DATA_DIRS="$share:$tmp/db"
    # GLib hides entries whose program is not on the PATH.
    export PATH="$root/usr/bin:$PATH"
    type=$(gio info -a standard::content-type "$tmp/GAME.SG" | sed -n 's/^ *standard::content-type: //p')
    case " $types " in
        *" ${type:-none} "*) ;;
        *) fail "GAME.SG is '$type', not one of: $types" ;;
    esac
    gio mime "$type" | grep -q "^Default application.*: plexaro.desktop$" ||
        fail "plexaro.desktop is not the default application for $type"
else
    echo "note: gio is not installed; checked the MIME glob and desktop database, not a file's lookup"
fi

[ "$failures" -eq 0 ] || exit 1
echo "install: all checks passed"
