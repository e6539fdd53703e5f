// Pollen Patrol, the demo cartridge: a bee collects flowers in a garden while hornets hunt it.
//
// The screen is Graphics II: each third of the screen has its own 256 tiles, so the sky, the
// hills and the meadow each get their own patterns and colours. The bee, the hornets and the
// flowers are 16x16 sprites. Every frame the main loop sleeps until the frame interrupt, then
// (still in the vertical blank) uploads the sprite table, reads the joypad and runs one step
// of the game. The video chip's collision flag says when any two sprites touched in the frame
// just drawn; only then does the game work out which ones with bounding boxes.
#include "art.h"
#include "hw.h"
#include "sound.h"

// The bee flies anywhere below the two HUD rows. Coordinates are the sprite's top left.
#define ARENA_LEFT 0
#define ARENA_RIGHT 240
#define ARENA_TOP 16
#define ARENA_BOTTOM 176
#define ARENA_MIDDLE_X 120
#define ARENA_MIDDLE_Y 96
#define BEE_SPEED 2  // pixels per frame on each held axis
#define BEE_START_X 120
#define BEE_START_Y 96

// The sprites' drawings fill about 14 of their 16 pixels, so a touch is centres closer than
// this on both axes; a slightly smaller hornet box forgives grazes.
#define FLOWER_REACH 13
#define HORNET_REACH 11

#define LIVES 3
#define FLOWERS_PER_LEVEL 8
#define MAX_LEVEL 99
#define MAX_HORNETS 4
#define FLOWER_COUNT 2
#define SAFE_FRAMES 120      // invulnerable, blinking, after a sting
#define BLINK_MASK 0x04      // hidden on frames with this bit of the counter set
#define FLAP_MASK 0x04       // wings change every four frames
#define OVER_FRAMES 360      // game over shows six seconds, then the title
#define OVER_MIN_FRAMES 60   // a button press skips it after one second
#define FLOWER_KEEPOUT 40    // new flowers appear at least this far from the bee
#define POINTS_PER_FLOWER 1  // in tens: the score is shown with a trailing zero

// Hornets speed up with the level: a hornet moves one pixel on the frames where its step
// accumulator overflows, so speed S gives S/256 pixels per frame.
#define CHASER_SPEED 136
#define BOUNCER_SPEED 168
#define SPEED_PER_LEVEL 14
#define SPEED_PER_PAIR 28
#define MAX_SPEED 248

#define COLOUR_BEE 11  // light yellow; nothing else on screen uses it
#define COLOUR_HORNET 8
#define COLOUR_FLOWER 13
#define COLOUR_HIDDEN 0  // colour 0 sprites are neither drawn nor tested for collisions

// Sprite table slots: lower slots are drawn on top.
#define SLOT_BEE 0
#define SLOT_HORNETS 1
#define SLOT_FLOWERS (SLOT_HORNETS + MAX_HORNETS)
#define SLOT_COUNT (SLOT_FLOWERS + FLOWER_COUNT)
#define OFFSCREEN_Y 192

// HUD cells, rows 0 and 1.
#define HUD_SCORE_COLUMN 7
#define HUD_HI_COLUMN 24
#define HUD_LIVES_COLUMN 1
#define HUD_LEVEL_COLUMN 13
#define HUD_PAD_COLUMN 25
#define SCORE_DIGITS 5

// Banners in the middle third.
#define BANNER_COLUMN 8
#define BANNER_WIDTH 16
#define OVER_ROW 10
#define OVER_ROWS 3
#define PAUSE_ROW 11
#define PAUSE_COLUMN 12
#define PAUSE_WIDTH 8

// The title's text box in the bottom third.
#define BOX_ROW 17
#define BOX_COLUMN 3
#define BOX_WIDTH 26
#define BOX_HEIGHT 5

#define NAME_AT(row, column) (VRAM_NAMES + (unsigned int)(row)*32 + (column))
#define VDP_R1_ON (VDP_R1_16K | VDP_R1_DISPLAY | VDP_R1_IRQ | VDP_R1_SPRITES16)
#define VDP_R1_BLANK (VDP_R1_16K | VDP_R1_IRQ | VDP_R1_SPRITES16)

enum { STATE_TITLE, STATE_PLAY, STATE_OVER };

typedef struct {
    unsigned char x, y;
    unsigned char speed, step;  // step accumulates speed; an overflow moves the hornet
    signed char dx, dy;         // bouncers' direction; 0 for chasers
} Hornet;

typedef struct {
    unsigned char x, y;
} Flower;

static struct {
    unsigned char state;
    unsigned int timer;  // frames in the current state
    unsigned char pad, pad_prev, pad_shown;
    unsigned char paused;
    unsigned char bee_x, bee_y, bee_left, safe;
    Hornet hornets[MAX_HORNETS];
    unsigned char hornet_count;
    Flower flowers[FLOWER_COUNT];
    unsigned int score, hi;  // in tens of points
    unsigned char lives, level, caught;
    unsigned int rng;
    unsigned char sprites[SLOT_COUNT * 4 + 1];  // the sprite table, uploaded every frame
} g;

// Text colours per third, foreground in the high nibble: the HUD and the title's box are on
// black; the middle third's banners are white on dark red (game over) and on dark blue (pause).
static const unsigned char font_colours[3][2] = {{0xF1, 0xA1}, {0xF6, 0xF4}, {0xF1, 0xA1}};
static const unsigned char* const scene_patterns[3] = {scene0_patterns, scene1_patterns,
                                                       scene2_patterns};
static const unsigned char* const scene_colours[3] = {scene0_colours, scene1_colours,
                                                      scene2_colours};

// ---------------------------------------------------------------------------------------------
// Screen

static void put_text(unsigned char row, unsigned char column, const char* text,
                     unsigned char font) {
    vdp_address(NAME_AT(row, column));
    while (*text) vdp_put((unsigned char)(*text++ - FONT_FIRST_CHAR + font));
}

static void put_number(unsigned char row, unsigned char column, unsigned int value,
                       unsigned char digits) {
    char text[6];
    text[digits] = 0;
    while (digits) {
        text[--digits] = (char)('0' + value % 10);
        value /= 10;
    }
    put_text(row, column, text, TILE_FONT_A);
}

// Puts the garden back under a banner that is taken away.
static void restore(unsigned char row, unsigned char column, unsigned char count) {
    vdp_address(NAME_AT(row, column));
    vdp_copy(scene_names + (unsigned int)row * 32 + column, count);
}

static void draw_scene(void) {
    vdp_address(VRAM_NAMES);
    vdp_copy(scene_names, sizeof scene_names);
}

static void draw_pad(void) {
    unsigned char i;
    vdp_address(NAME_AT(1, HUD_PAD_COLUMN));
    for (i = 0; i < PAD_CONTROLS; ++i) {
        vdp_put((unsigned char)(((g.pad >> i) & 1 ? TILE_MARK_LIT : TILE_MARK_DIM) + i));
    }
    g.pad_shown = g.pad;
}

static void draw_hud(void) {
    unsigned char i;
    put_text(0, 1, "SCORE", TILE_FONT_A);
    put_number(0, HUD_SCORE_COLUMN, g.score, SCORE_DIGITS);
    put_text(0, HUD_SCORE_COLUMN + SCORE_DIGITS, "0", TILE_FONT_A);
    put_text(0, HUD_HI_COLUMN - 3, "HI", TILE_FONT_B);
    put_number(0, HUD_HI_COLUMN, g.hi, SCORE_DIGITS);
    put_text(0, HUD_HI_COLUMN + SCORE_DIGITS, "0", TILE_FONT_A);
    vdp_address(NAME_AT(1, HUD_LIVES_COLUMN));
    for (i = 0; i < LIVES; ++i) vdp_put(i < g.lives ? TILE_LIFE : TILE_FONT_A);
    put_text(1, HUD_LEVEL_COLUMN - 6, "LEVEL", TILE_FONT_B);
    put_number(1, HUD_LEVEL_COLUMN, g.level, 2);
    draw_pad();
}

static void set_sprite(unsigned char slot, unsigned char x, unsigned char y, unsigned char pattern,
                       unsigned char colour) {
    unsigned char* s = g.sprites + slot * 4;
    s[0] = (unsigned char)(y - 1);  // the chip draws a sprite's top row on line Y + 1
    s[1] = x;
    s[2] = pattern;
    s[3] = colour;
}

static void hide_sprites(void) {
    unsigned char slot;
    for (slot = 0; slot < SLOT_COUNT; ++slot) set_sprite(slot, 0, OFFSCREEN_Y, 0, COLOUR_HIDDEN);
    g.sprites[SLOT_COUNT * 4] = SPRITE_END;
}

static void load_third(unsigned char third) {
    unsigned int base = (unsigned int)third * VRAM_THIRD;
    unsigned int scene_bytes = (unsigned int)scene_tile_counts[third] * 8;
    vdp_address(VRAM_PATTERNS + base);
    vdp_copy(font_patterns, sizeof font_patterns);
    vdp_copy(font_patterns, sizeof font_patterns);
    vdp_copy(scene_patterns[third], scene_bytes);
    vdp_address(VRAM_COLOURS + base);
    vdp_fill(font_colours[third][0], sizeof font_patterns);
    vdp_fill(font_colours[third][1], sizeof font_patterns);
    vdp_copy(scene_colours[third], scene_bytes);
}

static void video_init(void) {
    unsigned char third;
    vdp_register(1, VDP_R1_16K);  // display and interrupt off while the tables load
    vdp_register(0, VDP_R0_GRAPHICS2);
    vdp_register(2, VDP_R2_NAMES);
    vdp_register(3, VDP_R3_COLOURS);
    vdp_register(4, VDP_R4_PATTERNS);
    vdp_register(5, VDP_R5_SPRITES);
    vdp_register(6, VDP_R6_SPRITE_PATTERNS);
    vdp_register(7, 0x01);  // black backdrop
    for (third = 0; third < 3; ++third) load_third(third);
    vdp_address(VRAM_SPRITE_PATTERNS);
    vdp_copy(sprite_patterns, sizeof sprite_patterns);
    hide_sprites();
}

static void upload_sprites(void) {
    vdp_address(VRAM_SPRITES);
    vdp_copy(g.sprites, sizeof g.sprites);
}

static void wait_frame(void) {
    unsigned char seen = frame_count;
    // HALT sleeps until an interrupt; the pause button's NMI also wakes it, hence the loop.
    while (frame_count == seen) __asm__("halt");
}

// ---------------------------------------------------------------------------------------------
// Game rules

static unsigned char next_random(void) {
    // 16-bit xorshift; never zero once seeded with a non-zero value.
    g.rng ^= g.rng << 7;
    g.rng ^= g.rng >> 9;
    g.rng ^= g.rng << 8;
    return (unsigned char)g.rng;
}

static unsigned char distance(unsigned char a, unsigned char b) {
    return a > b ? a - b : b - a;
}

static unsigned char touching(unsigned char ax, unsigned char ay, unsigned char bx,
                              unsigned char by, unsigned char reach) {
    return distance(ax, bx) < reach && distance(ay, by) < reach;
}

static void place_flower(Flower* flower) {
    unsigned char tries;
    for (tries = 0; tries < 8; ++tries) {
        flower->x =
            (unsigned char)(ARENA_LEFT + 8 + next_random() % (ARENA_RIGHT - ARENA_LEFT - 16));
        flower->y =
            (unsigned char)(ARENA_TOP + 8 + next_random() % (ARENA_BOTTOM - ARENA_TOP - 16));
        if (distance(flower->x, g.bee_x) >= FLOWER_KEEPOUT ||
            distance(flower->y, g.bee_y) >= FLOWER_KEEPOUT)
            break;
    }
}

static unsigned char level_speed(unsigned char base, unsigned char index) {
    unsigned int speed = base + (unsigned int)(g.level - 1) * SPEED_PER_LEVEL +
                         (unsigned int)(index / 2) * SPEED_PER_PAIR;
    return speed > MAX_SPEED ? MAX_SPEED : (unsigned char)speed;
}

// Even hornets chase the bee, odd ones fly straight and bounce off the edges. All start in the
// corner region away from the bee, so a new wave never lands on it.
static void spawn_hornet(unsigned char index) {
    Hornet* h = &g.hornets[index];
    unsigned char far_x = g.bee_x < ARENA_MIDDLE_X ? ARENA_RIGHT : ARENA_LEFT;
    unsigned char far_y = g.bee_y < ARENA_MIDDLE_Y ? ARENA_BOTTOM : ARENA_TOP;
    unsigned char near_y = far_y == ARENA_TOP ? ARENA_BOTTOM : ARENA_TOP;
    h->x = far_x;
    h->y = index >= 2 ? near_y : far_y;
    h->step = 0;
    if (index & 1) {
        h->speed = level_speed(BOUNCER_SPEED, index);
        h->dx = far_x == ARENA_LEFT ? 1 : -1;
        h->dy = h->y == ARENA_TOP ? 1 : -1;
    } else {
        h->speed = level_speed(CHASER_SPEED, index);
        h->dx = h->dy = 0;
    }
}

static void set_level(unsigned char level) {
    unsigned char i, count = level + 1 > MAX_HORNETS ? MAX_HORNETS : level + 1;
    g.level = level;
    for (i = 0; i < count; ++i) {
        if (i >= g.hornet_count) {
            spawn_hornet(i);
        } else {
            g.hornets[i].speed = level_speed(g.hornets[i].dx ? BOUNCER_SPEED : CHASER_SPEED, i);
        }
    }
    g.hornet_count = count;
}

static void move_hornet(Hornet* h) {
    unsigned char before = h->step;
    h->step += h->speed;
    if (h->step >= before) return;  // no overflow: not this frame
    if (h->dx == 0) {
        if (h->x < g.bee_x)
            ++h->x;
        else if (h->x > g.bee_x)
            --h->x;
        if (h->y < g.bee_y)
            ++h->y;
        else if (h->y > g.bee_y)
            --h->y;
    } else {
        h->x += h->dx;
        h->y += h->dy;
        if (h->x <= ARENA_LEFT || h->x >= ARENA_RIGHT) h->dx = -h->dx;
        if (h->y <= ARENA_TOP || h->y >= ARENA_BOTTOM) h->dy = -h->dy;
    }
}

static void move_bee(void) {
    if ((g.pad & PAD_UP) && g.bee_y >= ARENA_TOP + BEE_SPEED) g.bee_y -= BEE_SPEED;
    if ((g.pad & PAD_DOWN) && g.bee_y <= ARENA_BOTTOM - BEE_SPEED) g.bee_y += BEE_SPEED;
    if ((g.pad & PAD_LEFT) && g.bee_x >= ARENA_LEFT + BEE_SPEED) g.bee_x -= BEE_SPEED;
    if ((g.pad & PAD_RIGHT) && g.bee_x <= ARENA_RIGHT - BEE_SPEED) g.bee_x += BEE_SPEED;
    if (g.pad & PAD_LEFT) g.bee_left = 1;
    if (g.pad & PAD_RIGHT) g.bee_left = 0;
}

static void place_sprites(void) {
    unsigned char i, flap = frame_count & FLAP_MASK ? SPR_FLAP : 0;
    unsigned char hidden = g.safe && (frame_count & BLINK_MASK);
    set_sprite(SLOT_BEE, g.bee_x, g.bee_y, (g.bee_left ? SPR_BEE_LEFT : SPR_BEE_RIGHT) + flap,
               hidden ? COLOUR_HIDDEN : COLOUR_BEE);
    for (i = 0; i < MAX_HORNETS; ++i) {
        const Hornet* h = &g.hornets[i];
        if (i < g.hornet_count) {
            unsigned char left = h->dx ? h->dx < 0 : h->x > g.bee_x;
            set_sprite(SLOT_HORNETS + i, h->x, h->y,
                       (left ? SPR_HORNET_LEFT : SPR_HORNET_RIGHT) + flap, COLOUR_HORNET);
        } else {
            set_sprite(SLOT_HORNETS + i, 0, OFFSCREEN_Y, 0, COLOUR_HIDDEN);
        }
    }
    for (i = 0; i < FLOWER_COUNT; ++i) {
        set_sprite(SLOT_FLOWERS + i, g.flowers[i].x, g.flowers[i].y, SPR_FLOWER, COLOUR_FLOWER);
    }
}

static void enter_title(void) {
    unsigned char row;
    g.state = STATE_TITLE;
    g.timer = 0;
    vdp_register(1, VDP_R1_BLANK);
    draw_scene();
    for (row = 0; row < TITLE_HEIGHT; ++row) {
        vdp_address(NAME_AT(TITLE_ROW + row, TITLE_COLUMN));
        vdp_copy(title_names + row * TITLE_WIDTH, TITLE_WIDTH);
    }
    for (row = 0; row < BOX_HEIGHT; ++row) {
        unsigned char first = row == 0                ? TILE_BOX_TL
                              : row == BOX_HEIGHT - 1 ? TILE_BOX_BL
                                                      : TILE_BOX_L;
        unsigned char middle = row == 0                ? TILE_BOX_T
                               : row == BOX_HEIGHT - 1 ? TILE_BOX_B
                                                       : TILE_FONT_A;
        unsigned char last = row == 0                ? TILE_BOX_TR
                             : row == BOX_HEIGHT - 1 ? TILE_BOX_BR
                                                     : TILE_BOX_R;
        unsigned char column;
        vdp_address(NAME_AT(BOX_ROW + row, BOX_COLUMN));
        vdp_put(first);
        for (column = 2; column < BOX_WIDTH; ++column) vdp_put(middle);
        vdp_put(last);
    }
    put_text(BOX_ROW + 1, BOX_COLUMN + 2, "PRESS BUTTON 1 TO PLAY", TILE_FONT_B);
    put_text(BOX_ROW + 2, BOX_COLUMN + 4, "CATCH THE FLOWERS!", TILE_FONT_A);
    put_text(BOX_ROW + 3, BOX_COLUMN + 4, "DODGE THE HORNETS!", TILE_FONT_A);
    draw_hud();
    // A still life beside the title: nothing on the title screen moves until a press.
    hide_sprites();
    set_sprite(SLOT_BEE, 36, 64, SPR_BEE_RIGHT, COLOUR_BEE);
    set_sprite(SLOT_HORNETS, 186, 50, SPR_HORNET_LEFT, COLOUR_HORNET);
    set_sprite(SLOT_FLOWERS, 212, 118, SPR_FLOWER, COLOUR_FLOWER);
    upload_sprites();
    vdp_register(1, VDP_R1_ON);
    sound_play(SONG_TITLE);
}

static void start_game(void) {
    unsigned char i;
    // Seeded from the time spent on the title: a scripted run always plays the same game.
    g.rng = 0x5EED ^ (g.timer << 3) ^ g.timer;
    if (g.rng == 0) g.rng = 1;
    g.state = STATE_PLAY;
    g.timer = 0;
    g.paused = 0;
    pause_flag = 0;
    g.score = 0;
    g.lives = LIVES;
    g.caught = 0;
    g.bee_x = BEE_START_X;
    g.bee_y = BEE_START_Y;
    g.bee_left = 0;
    g.safe = 0;
    g.hornet_count = 0;
    set_level(1);
    for (i = 0; i < FLOWER_COUNT; ++i) place_flower(&g.flowers[i]);
    vdp_register(1, VDP_R1_BLANK);
    draw_scene();
    draw_hud();
    place_sprites();
    upload_sprites();
    vdp_register(1, VDP_R1_ON);
    sound_play(SONG_GAME);
    sound_effect(SFX_START);
}

static void game_over(void) {
    unsigned char row;
    g.state = STATE_OVER;
    g.timer = 0;
    if (g.score > g.hi) g.hi = g.score;
    draw_hud();
    hide_sprites();
    for (row = 0; row < OVER_ROWS; ++row) {
        put_text(OVER_ROW + row, BANNER_COLUMN, row == 1 ? "   GAME  OVER   " : "                ",
                 TILE_FONT_A);
    }
    sound_play(SONG_GAME_OVER);
}

static void sting(void) {
    unsigned char i;
    sound_effect(SFX_HIT);
    --g.lives;
    draw_hud();
    if (g.lives == 0) {
        game_over();
        return;
    }
    g.safe = SAFE_FRAMES;
    // Chasers go back to the far corners; bouncers keep flying.
    for (i = 0; i < g.hornet_count; i += 2) spawn_hornet(i);
}

static void collect(Flower* flower) {
    g.score += POINTS_PER_FLOWER * g.level;
    ++g.caught;
    place_flower(flower);
    if (g.caught % FLOWERS_PER_LEVEL == 0 && g.level < MAX_LEVEL) {
        set_level(g.level + 1);
        sound_effect(SFX_LEVEL);
    } else {
        sound_effect(SFX_COLLECT);
    }
    draw_hud();
}

// The collision flag covers the frame just drawn, so it is checked before anything moves.
static void check_collisions(void) {
    unsigned char i;
    if (!(status_latch & STATUS_COLLISION)) return;
    for (i = 0; i < FLOWER_COUNT; ++i) {
        if (touching(g.bee_x, g.bee_y, g.flowers[i].x, g.flowers[i].y, FLOWER_REACH)) {
            collect(&g.flowers[i]);
        }
    }
    if (g.safe) return;
    for (i = 0; i < g.hornet_count; ++i) {
        if (touching(g.bee_x, g.bee_y, g.hornets[i].x, g.hornets[i].y, HORNET_REACH)) {
            sting();
            return;
        }
    }
}

static void play_frame(void) {
    unsigned char i;
    if (pause_flag) {
        if (!g.paused) {
            g.paused = 1;
            sound_silence();
            put_text(PAUSE_ROW, PAUSE_COLUMN, " PAUSE  ", TILE_FONT_B);
        }
        return;
    }
    if (g.paused) {
        g.paused = 0;
        restore(PAUSE_ROW, PAUSE_COLUMN, PAUSE_WIDTH);
    }
    sound_frame();
    check_collisions();
    if (g.state != STATE_PLAY) return;
    if (g.safe) --g.safe;
    move_bee();
    for (i = 0; i < g.hornet_count; ++i) move_hornet(&g.hornets[i]);
    place_sprites();
    ++g.timer;
}

static void title_frame(void) {
    sound_frame();
    ++g.timer;
    if ((g.pad & PAD_BUTTON1) && !(g.pad_prev & PAD_BUTTON1)) start_game();
}

static void over_frame(void) {
    sound_frame();
    ++g.timer;
    if (g.timer >= OVER_FRAMES ||
        (g.timer >= OVER_MIN_FRAMES && (g.pad & PAD_BUTTON1) && !(g.pad_prev & PAD_BUTTON1))) {
        enter_title();
    }
}

void main(void) {
    video_init();
    sound_init();
    g.level = 1;
    enter_title();
    for (;;) {
        wait_frame();
        upload_sprites();
        g.pad_prev = g.pad;
        g.pad = joypad_read();
        if (g.pad != g.pad_shown) draw_pad();
        if (g.state != STATE_PLAY) pause_flag = 0;  // the pause button only pauses a game
        switch (g.state) {
            case STATE_TITLE: title_frame(); break;
            case STATE_PLAY: play_frame(); break;
            default: over_frame(); break;
        }
        status_latch = 0;
    }
}
