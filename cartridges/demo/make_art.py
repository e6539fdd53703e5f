#!/usr/bin/env python3
"""Builds art.c for the demo cartridge: the font, the sprites and the garden picture.

Run it from this folder after changing any drawing below: `python3 make_art.py`; it rewrites
art.c (and, with --preview FILE.png, writes what the background looks like). The output is
committed, so the build needs no Python.

The background is painted procedurally as a 256x192 picture of colour numbers and then cut into
8x8 tiles the way the video chip's Graphics II mode wants them: each third of the screen has its
own 256 patterns, and every 8-pixel row of a pattern may use only two colours (the colour table
gives one foreground and one background per row).
"""
import math
import sys

# Tile numbers shared with the C code (art.h repeats them).
FONT_A = 0        # ' ' .. '_' in the third's first text colour pair
FONT_B = 64       # the same glyphs in the second pair
SCENE_BASE = 128  # each third's own picture tiles start here

# --------------------------------------------------------------------------------------------
# Font: 5x7 glyphs, drawn one pixel in from the left so that letters are spaced by the cell.
GLYPHS = {
    ' ': [".....", ".....", ".....", ".....", ".....", ".....", "....."],
    '!': ["..#..", "..#..", "..#..", "..#..", "..#..", ".....", "..#.."],
    '-': [".....", ".....", ".....", "#####", ".....", ".....", "....."],
    '.': [".....", ".....", ".....", ".....", ".....", ".##..", ".##.."],
    ':': [".....", ".##..", ".##..", ".....", ".##..", ".##..", "....."],
    '(': ["...#.", "..#..", ".#...", ".#...", ".#...", "..#..", "...#."],
    ')': [".#...", "..#..", "...#.", "...#.", "...#.", "..#..", ".#..."],
    '0': [".###.", "#...#", "#..##", "#.#.#", "##..#", "#...#", ".###."],
    '1': ["..#..", ".##..", "..#..", "..#..", "..#..", "..#..", ".###."],
    '2': [".###.", "#...#", "....#", "..##.", ".#...", "#....", "#####"],
    '3': ["#####", "...#.", "..#..", "...#.", "....#", "#...#", ".###."],
    '4': ["...#.", "..##.", ".#.#.", "#..#.", "#####", "...#.", "...#."],
    '5': ["#####", "#....", "####.", "....#", "....#", "#...#", ".###."],
    '6': ["..##.", ".#...", "#....", "####.", "#...#", "#...#", ".###."],
    '7': ["#####", "....#", "...#.", "..#..", ".#...", ".#...", ".#..."],
    '8': [".###.", "#...#", "#...#", ".###.", "#...#", "#...#", ".###."],
    '9': [".###.", "#...#", "#...#", ".####", "....#", "...#.", ".##.."],
    'A': [".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"],
    'B': ["####.", "#...#", "#...#", "####.", "#...#", "#...#", "####."],
    'C': [".###.", "#...#", "#....", "#....", "#....", "#...#", ".###."],
    'D': ["###..", "#..#.", "#...#", "#...#", "#...#", "#..#.", "###.."],
    'E': ["#####", "#....", "#....", "####.", "#....", "#....", "#####"],
    'F': ["#####", "#....", "#....", "####.", "#....", "#....", "#...."],
    'G': [".###.", "#...#", "#....", "#.###", "#...#", "#...#", ".####"],
    'H': ["#...#", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"],
    'I': [".###.", "..#..", "..#..", "..#..", "..#..", "..#..", ".###."],
    'J': ["..###", "...#.", "...#.", "...#.", "...#.", "#..#.", ".##.."],
    'K': ["#...#", "#..#.", "#.#..", "##...", "#.#..", "#..#.", "#...#"],
    'L': ["#....", "#....", "#....", "#....", "#....", "#....", "#####"],
    'M': ["#...#", "##.##", "#.#.#", "#.#.#", "#...#", "#...#", "#...#"],
    'N': ["#...#", "#...#", "##..#", "#.#.#", "#..##", "#...#", "#...#"],
    'O': [".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."],
    'P': ["####.", "#...#", "#...#", "####.", "#....", "#....", "#...."],
    'Q': [".###.", "#...#", "#...#", "#...#", "#.#.#", "#..#.", ".##.#"],
    'R': ["####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"],
    'S': [".####", "#....", "#....", ".###.", "....#", "....#", "####."],
    'T': ["#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."],
    'U': ["#...#", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."],
    'V': ["#...#", "#...#", "#...#", "#...#", "#...#", ".#.#.", "..#.."],
    'W': ["#...#", "#...#", "#...#", "#.#.#", "#.#.#", "#.#.#", ".#.#."],
    'X': ["#...#", "#...#", ".#.#.", "..#..", ".#.#.", "#...#", "#...#"],
    'Y': ["#...#", "#...#", ".#.#.", "..#..", "..#..", "..#..", "..#.."],
    'Z': ["#####", "....#", "...#.", "..#..", ".#...", "#....", "#####"],
}


def glyph_rows(ch):
    """Eight pattern bytes for a glyph: 5x7 at column 1, row 0; the eighth row spaces lines."""
    rows = []
    for line in GLYPHS[ch] + ["....."]:
        byte = 0
        for i, c in enumerate(line):
            if c == '#':
                byte |= 0x40 >> i
        rows.append(byte)
    return rows


def font_bytes():
    out = []
    for code in range(0x20, 0x60):
        ch = chr(code)
        if ch in GLYPHS:
            out.extend(glyph_rows(ch))
        else:
            out.extend([0] * 8)
    return out

# --------------------------------------------------------------------------------------------
# Sprites, 16x16, one colour each (the video chip gives a sprite a single colour).
BEE = [
    "................",
    ".....###.###....",
    "....#...#...#...",
    "....#...#...#...",
    ".....###.###....",
    "...##########...",
    "..###.##.##.##..",
    ".####.##.##.###.",
    "#####.##.##.#.##",
    ".####.##.##.####",
    "..###.##.##.###.",
    "...##########...",
    "....#....#......",
    "...#....#.......",
    "................",
    "................",
]
BEE_FLAP = [
    "................",
    "................",
    "................",
    "......##.##.....",
    "....##..#..##...",
    "...##########...",
    "..###.##.##.##..",
    ".####.##.##.###.",
    "#####.##.##.#.##",
    ".####.##.##.####",
    "..###.##.##.###.",
    "...##########...",
    ".....#....#.....",
    "......#....#....",
    "................",
    "................",
]
HORNET = [
    "................",
    "...#####.####...",
    "..#.....#....#..",
    "...#####.####...",
    ".......#.#......",
    "....#########...",
    "...##.##.##.###.",
    "#####.##.##.#.##",
    "...##.##.##.####",
    "....#########.#.",
    ".....#..#..#..#.",
    "....#..#..#.....",
    "................",
    "................",
    "................",
    "................",
]
HORNET_FLAP = [
    "................",
    "................",
    "................",
    "....###.###.....",
    "...#...#...#....",
    "....#########...",
    "...##.##.##.###.",
    "#####.##.##.#.##",
    "...##.##.##.####",
    "....#########.#.",
    "....#..#..#...#.",
    ".....#..#..#....",
    "................",
    "................",
    "................",
    "................",
]
FLOWER = [
    "................",
    "......###.......",
    ".....#####......",
    "..##.#####.##...",
    ".#####.#.#####..",
    ".######.######..",
    ".#####...#####..",
    "..###.#.#.###...",
    "..###..#..###...",
    ".#####...#####..",
    ".######.######..",
    ".#####.#.#####..",
    "..##.#####.##...",
    ".....#####......",
    "......###.......",
    "................",
]


def mirror(art):
    return [line[::-1] for line in art]


def sprite_bytes(art):
    """32 bytes: the left 8 columns' 16 rows, then the right 8 columns' 16 rows."""
    out = []
    for half in (0, 8):
        for line in art:
            byte = 0
            for i in range(8):
                if line[half + i] == '#':
                    byte |= 0x80 >> i
            out.append(byte)
    return out


SPRITES = [  # (name, art) in the order of their pattern numbers (4 per 16x16 sprite)
    ("BEE_RIGHT", BEE), ("BEE_RIGHT_FLAP", BEE_FLAP),
    ("BEE_LEFT", mirror(BEE)), ("BEE_LEFT_FLAP", mirror(BEE_FLAP)),
    ("HORNET_RIGHT", HORNET), ("HORNET_RIGHT_FLAP", HORNET_FLAP),
    ("HORNET_LEFT", mirror(HORNET)), ("HORNET_LEFT_FLAP", mirror(HORNET_FLAP)),
    ("FLOWER", FLOWER),
]

# --------------------------------------------------------------------------------------------
# The garden: a colour number per pixel. Colours by number: 1 black, 2 green, 3 light green,
# 4 dark blue, 5 light blue, 6 dark red, 7 cyan, 8 red, 9 light red, 10 dark yellow,
# 11 light yellow, 12 dark green, 13 magenta, 14 grey, 15 white. Colour 11 is kept for the
# player's bee alone, so that it can be found on screen.
W, H = 256, 192


def sky_colour(y):
    """The sky darkens upwards in bands of whole pixel rows, so that text and the big title
    letters can sit on it with one background colour per row."""
    bands = [(26, 4), (30, 5), (32, 4), (35, 5), (37, 4), (48, 5), (51, 7), (53, 5),
             (56, 7), (58, 5), (192, 7)]
    for limit, colour in bands:
        if y < limit:
            return colour
    return 7


def far_hill_top(x):
    return int(86 + 5 * math.sin(x / 23.0) + 3 * math.sin(x / 9.0 + 1.3))


def near_hill_top(x):
    return int(104 + 5 * math.sin(x / 31.0 + 2.0) + 2 * math.sin(x / 7.0))


def paint():
    img = [[1] * W for _ in range(H)]
    for y in range(16, H):
        for x in range(W):
            img[y][x] = sky_colour(y)
    # The sun, top right.
    for y in range(16, 48):
        for x in range(200, 240):
            if (x - 220) ** 2 + (y - 30) ** 2 <= 10 ** 2:
                img[y][x] = 10
    # Clouds: unions of circles, white, in rows that are one colour of sky.
    for cx, cy, parts in ((40, 44, ((0, 0, 7), (9, -3, 8), (19, 0, 6), (-9, 1, 5))),
                          (148, 70, ((0, 0, 6), (8, -3, 7), (17, 0, 5), (-8, 1, 4))),
                          (232, 64, ((0, 0, 5), (8, -2, 6), (-7, 1, 4)))):
        for dx, dy, r in parts:
            for y in range(cy + dy - r, cy + dy + r + 1):
                for x in range(cx + dx - r, cx + dx + r + 1):
                    if 0 <= x < W and (x - cx - dx) ** 2 + (y - cy - dy) ** 2 <= r * r:
                        if y <= cy + 3:  # flat bottoms
                            img[y][x] = 15
    # Hills: a far light-green range, a near dark-green one, then the meadow.
    for x in range(W):
        for y in range(far_hill_top(x), H):
            img[y][x] = 3
        for y in range(near_hill_top(x), H):
            img[y][x] = 2
        for y in range(120, H):
            img[y][x] = 12
    # Meadow: tufts of dark grass and small flowers, a 32x16 motif repeated so that a third
    # needs few distinct tiles.
    tufts = [(3, 4), (13, 12), (22, 6), (28, 14)]
    flowers = [(6, 1, 15), (20, 9, 10)]
    for y in range(122, H - 8):
        for x in range(W):
            mx, my = x % 32, (y - 122) % 16
            for tx, ty in tufts:
                if (mx, my) in ((tx, ty), (tx + 1, ty - 1), (tx + 2, ty)):
                    img[y][x] = 2
            for fx, fy, colour in flowers:
                if (mx - fx, my - fy) in ((0, -1), (-1, 0), (1, 0), (0, 1)):
                    img[y][x] = colour
    # The lowest row: dark soil edge with grass blades.
    for y in range(H - 8, H):
        for x in range(W):
            img[y][x] = 2 if (x + (y // 2)) % 5 else 12
    return img

# --------------------------------------------------------------------------------------------
# Big title letters: the font's glyphs at twice the size, in a gradient, on the sky.
TITLE_ROWS = (3, 5)      # name-table rows of the two words (each word two rows high)
TITLE_COLUMN = 10
TITLE_WORDS = ("POLLEN", "PATROL")
TITLE_GRADIENT = [15, 15, 15, 10, 10, 10, 9, 9, 9, 8, 8, 8, 6, 6, 6, 6]


def paint_title(img):
    for word, row in zip(TITLE_WORDS, TITLE_ROWS):
        for n, ch in enumerate(word):
            rows = glyph_rows(ch)
            x0, y0 = (TITLE_COLUMN + 2 * n) * 8, row * 8
            for gy in range(8):
                for gx in range(8):
                    # Each glyph pixel becomes 3x2, overlapping its right neighbour by one
                    # column: bolder strokes at twice the size.
                    if rows[gy] & (0x80 >> gx):
                        for sy in range(2):
                            for sx in range(3):
                                img[y0 + 2 * gy + sy][x0 + 2 * gx + sx] = TITLE_GRADIENT[2 * gy + sy]

# --------------------------------------------------------------------------------------------
# Cutting a picture into Graphics II tiles.


def cell_tile(img, row, col):
    """(patterns, colours) of one 8x8 cell: per pixel row, the two most used colours, the
    more used one as background; any third colour falls to the nearer of the two."""
    patterns, colours = [], []
    for y in range(row * 8, row * 8 + 8):
        line = img[y][col * 8:col * 8 + 8]
        counts = {}
        for c in line:
            counts[c] = counts.get(c, 0) + 1
        ranked = sorted(counts, key=lambda c: (-counts[c], c))
        bg = ranked[0]
        fg = ranked[1] if len(ranked) > 1 else bg
        if len(ranked) > 2:
            print(f"note: cell ({row},{col}) row {y % 8} has {len(ranked)} colours", file=sys.stderr)
        byte = 0
        for i, c in enumerate(line):
            if c == fg and fg != bg:
                byte |= 0x80 >> i
        patterns.append(byte)
        colours.append((fg << 4) | bg)
    return tuple(patterns), tuple(colours)


def cut(img, rows, extra=()):
    """Tiles and a name map for the given name-table rows of one third."""
    tiles = list(extra)
    index = {t: SCENE_BASE + i for i, t in enumerate(tiles)}
    names = []
    for row in rows:
        for col in range(32):
            t = cell_tile(img, row, col)
            if t not in index:
                index[t] = SCENE_BASE + len(tiles)
                tiles.append(t)
            names.append(index[t])
    if SCENE_BASE + len(tiles) > 256:
        sys.exit(f"too many tiles in rows {rows[0]}..{rows[-1]}: {len(tiles)}")
    return tiles, names

# HUD marks, third 0: drawn on black. The joypad indicator's marks come in a dim and a lit
# form; the lit ones are consecutive after the dim ones.
MARKS = {
    "UP":    ["...#....", "..###...", ".#####..", "...#....", "...#....", "...#....", "........", "........"],
    "DOWN":  ["...#....", "...#....", "...#....", ".#####..", "..###...", "...#....", "........", "........"],
    "LEFT":  ["........", "..#.....", ".##.....", "######..", ".##.....", "..#.....", "........", "........"],
    "RIGHT": ["........", "...#....", "...##...", "######..", "...##...", "...#....", "........", "........"],
    "B1":    [".####...", "##..##..", "##.###..", "##..##..", "##..##..", ".####...", "........", "........"],
    "B2":    [".####...", "#...##..", "#.#.##..", "##.###..", "#....#..", ".####...", "........", "........"],
}
MARK_ORDER = ["UP", "DOWN", "LEFT", "RIGHT", "B1", "B2"]
LIFE = ["........", ".##.##..", "#..#..#.", ".#####..", "#.#.#.#.", ".#####..", "..###...", "........"]
MARK_DIM, MARK_LIT, LIFE_COLOUR = 14, 10, 10
BOX = {  # a rounded black box with a grey rim, for text on the title screen
    "TL": ["........", "........", "........", "...#####", "..#.....", ".#......", ".#......", ".#......"],
    "T":  ["........", "........", "........", "########", "........", "........", "........", "........"],
    "TR": ["........", "........", "........", "#####...", ".....#..", "......#.", "......#.", "......#."],
    "L":  [".#......"] * 8,
    "R":  ["......#."] * 8,
    "BL": [".#......", ".#......", ".#......", "..#.....", "...#####", "........", "........", "........"],
    "B":  ["........", "........", "........", "........", "########", "........", "........", "........"],
    "BR": ["......#.", "......#.", "......#.", ".....#..", "#####...", "........", "........", "........"],
}
BOX_ORDER = ["TL", "T", "TR", "L", "R", "BL", "B", "BR"]


def art_tile(art, fg, bg):
    pats = []
    for line in art:
        byte = 0
        for i, c in enumerate(line):
            if c == '#':
                byte |= 0x80 >> i
        pats.append(byte)
    return tuple(pats), tuple([(fg << 4) | bg] * 8)


def c_array(name, data, per_line=16, comment=None):
    lines = []
    if comment:
        lines.append(f"// {comment}")
    lines.append(f"const unsigned char {name}[{len(data)}] = {{")
    for i in range(0, len(data), per_line):
        lines.append("    " + ", ".join(f"0x{b:02X}" for b in data[i:i + per_line]) + ",")
    lines.append("};")
    return "\n".join(lines)


def main():
    img = paint()
    title_img = [row[:] for row in img]
    paint_title(title_img)

    # Third 0: HUD marks first (fixed numbers for the C code), then the sky, then the title.
    hud = [art_tile(MARKS[m], MARK_DIM, 1) for m in MARK_ORDER]
    hud += [art_tile(MARKS[m], MARK_LIT, 1) for m in MARK_ORDER]
    hud.append(art_tile(LIFE, LIFE_COLOUR, 1))
    tiles0, names0 = cut(img, range(0, 8), hud)
    # The title's cells are extra tiles of third 0; the C code draws them over the sky.
    title_names = []
    index0 = {t: SCENE_BASE + i for i, t in enumerate(tiles0)}
    for row in range(TITLE_ROWS[0], TITLE_ROWS[1] + 2):
        for col in range(TITLE_COLUMN, TITLE_COLUMN + 12):
            t = cell_tile(title_img, row, col)
            if t not in index0:
                index0[t] = SCENE_BASE + len(tiles0)
                tiles0.append(t)
            title_names.append(index0[t])
    tiles1, names1 = cut(img, range(8, 16))
    # Third 2: the black text box of the title screen uses its own tiles.
    box = [art_tile(BOX[b], 14, 1) for b in BOX_ORDER]
    tiles2, names2 = cut(img, range(16, 24), box)
    for t, tiles in enumerate((tiles0, tiles1, tiles2)):
        if SCENE_BASE + len(tiles) > 256:
            sys.exit(f"third {t}: too many tiles ({len(tiles)})")

    # The HUD rows are plain black text cells, drawn by the game.
    for i in range(64):
        names0[i] = FONT_A

    out = []
    out.append("// Generated by make_art.py from the drawings there; edit those, not this file.")
    out.append('#include "art.h"')
    out.append("")
    out.append(c_array("font_patterns", font_bytes(), 8,
                       "Glyphs for the characters ' ' to '_', 8 bytes each, top row first."))
    out.append("")
    sprite_data = []
    for _, art in SPRITES:
        sprite_data += sprite_bytes(art)
    out.append(c_array("sprite_patterns", sprite_data, 16,
                       "16x16 sprites: left half's 16 rows, then the right half's."))
    for t, tiles in enumerate((tiles0, tiles1, tiles2)):
        pats = [b for p, _ in tiles for b in p]
        cols = [b for _, c in tiles for b in c]
        out.append("")
        out.append(c_array(f"scene{t}_patterns", pats, 8,
                           f"Third {t}: patterns of tiles {SCENE_BASE} on."))
        out.append(c_array(f"scene{t}_colours", cols, 8,
                           "Colour bytes: foreground in the high nibble, background low."))
    out.append("")
    out.append(c_array("scene_names", names0 + names1 + names2, 32,
                       "The garden: 24 rows of 32 tile numbers."))
    out.append("")
    out.append(c_array("title_names", title_names, 12,
                       "The big title, 4 rows of 12 cells from row 3, column 10."))
    out.append("")
    out.append("const unsigned char scene_tile_counts[3] = {"
               f"{len(tiles0)}, {len(tiles1)}, {len(tiles2)}}};")
    with open("art.c", "w") as f:
        f.write("\n".join(out) + "\n")

    sizes = (len(tiles0), len(tiles1), len(tiles2))
    print(f"tiles per third: {sizes}; sprite patterns: {len(SPRITES) * 4}")
    if len(sys.argv) > 2 and sys.argv[1] == "--preview":
        write_png(sys.argv[2], rebuild((tiles0, tiles1, tiles2), names0 + names1 + names2,
                                       title_names))


def rebuild(thirds, names, title_names):
    """The picture as the video chip will draw it from the tiles (text cells left black)."""
    names = list(names)
    for i, n in enumerate(title_names):
        names[(TITLE_ROWS[0] + i // 12) * 32 + TITLE_COLUMN + i % 12] = n
    img = [[1] * W for _ in range(H)]
    for row in range(24):
        tiles = thirds[row // 8]
        for col in range(32):
            n = names[row * 32 + col]
            if n < SCENE_BASE:
                continue
            pats, cols = tiles[n - SCENE_BASE]
            for y in range(8):
                for x in range(8):
                    on = pats[y] & (0x80 >> x)
                    img[row * 8 + y][col * 8 + x] = cols[y] >> 4 if on else cols[y] & 15
    return img


RGB = [(0, 0, 0), (0, 0, 0), (32, 192, 32), (96, 224, 96), (32, 32, 224), (64, 96, 224),
       (160, 32, 32), (64, 192, 224), (224, 32, 32), (224, 96, 96), (192, 192, 32),
       (192, 192, 128), (32, 128, 32), (192, 64, 160), (160, 160, 160), (224, 224, 224)]


def write_png(path, img):
    import struct
    import zlib
    raw = b"".join(b"\0" + bytes(v for c in row for v in RGB[c]) for row in img)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", W, H, 8, 2, 0, 0, 0)))
        f.write(chunk(b"IDAT", zlib.compress(raw)))
        f.write(chunk(b"IEND", b""))

if __name__ == "__main__":
    main()
