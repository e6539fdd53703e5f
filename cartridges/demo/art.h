// Tiles and sprites made by make_art.py (art.c).
#ifndef DEMO_ART_H
#define DEMO_ART_H

// Tile numbers in every third: two copies of the font (characters ' ' to '_') in two colour
// pairs, then the third's own picture tiles.
#define TILE_FONT_A 0
#define TILE_FONT_B 64
#define TILE_SCENE 128
#define FONT_FIRST_CHAR 0x20
#define FONT_GLYPHS 64

// Third 0's first picture tiles: the joypad marks (up, down, left, right, 1, 2), dim then
// lit, and the life icon.
#define TILE_MARK_DIM (TILE_SCENE + 0)
#define TILE_MARK_LIT (TILE_SCENE + 6)
#define TILE_LIFE (TILE_SCENE + 12)
// Third 2's first picture tiles: the text box's rim.
#define TILE_BOX_TL (TILE_SCENE + 0)
#define TILE_BOX_T (TILE_SCENE + 1)
#define TILE_BOX_TR (TILE_SCENE + 2)
#define TILE_BOX_L (TILE_SCENE + 3)
#define TILE_BOX_R (TILE_SCENE + 4)
#define TILE_BOX_BL (TILE_SCENE + 5)
#define TILE_BOX_B (TILE_SCENE + 6)
#define TILE_BOX_BR (TILE_SCENE + 7)

#define TITLE_ROW 3
#define TITLE_COLUMN 10
#define TITLE_WIDTH 12
#define TITLE_HEIGHT 4

// Sprite pattern numbers (16x16 sprites use four consecutive numbers).
#define SPR_BEE_RIGHT 0
#define SPR_BEE_LEFT 8
#define SPR_HORNET_RIGHT 16
#define SPR_HORNET_LEFT 24
#define SPR_FLOWER 32
#define SPR_FLAP 4  // added for the second frame of the wing beat

extern const unsigned char font_patterns[FONT_GLYPHS * 8];
extern const unsigned char sprite_patterns[36 * 8];
extern const unsigned char scene0_patterns[], scene0_colours[];
extern const unsigned char scene1_patterns[], scene1_colours[];
extern const unsigned char scene2_patterns[], scene2_colours[];
extern const unsigned char scene_names[768];
extern const unsigned char title_names[TITLE_WIDTH * TITLE_HEIGHT];
extern const unsigned char scene_tile_counts[3];

#endif
