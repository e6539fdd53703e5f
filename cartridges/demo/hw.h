// The demo's view of the console: ports, video-chip registers and the helpers in hw.s and
// crt0.s. Everything the chips need is written through these few calls.
#ifndef DEMO_HW_H
#define DEMO_HW_H

// Joypad bits as joypad_read returns them (pressed = 1).
#define PAD_UP 0x01
#define PAD_DOWN 0x02
#define PAD_LEFT 0x04
#define PAD_RIGHT 0x08
#define PAD_BUTTON1 0x10
#define PAD_BUTTON2 0x20
#define PAD_CONTROLS 6

// Video status bits, as latched by the frame interrupt.
#define STATUS_FRAME 0x80
#define STATUS_COLLISION 0x20  // two sprites had set pixels at the same place

// Register 0: bit 1 (M3) selects Graphics II, the mode with a pattern and a colour for
// every cell row. Register 1: bit 7 the 16 KB memory, bit 6 display on, bit 5 the frame
// interrupt, bit 1 16x16 sprites.
#define VDP_R0_GRAPHICS2 0x02
#define VDP_R1_16K 0x80
#define VDP_R1_DISPLAY 0x40
#define VDP_R1_IRQ 0x20
#define VDP_R1_SPRITES16 0x02

// Video memory layout. In Graphics II the pattern and colour tables are 6 KB each (three
// 2 KB blocks, one per third of the screen); registers 3 and 4 only choose which 8 KB half.
#define VRAM_PATTERNS 0x0000         // register 4 = 0x03
#define VRAM_SPRITE_PATTERNS 0x1800  // register 6 = 0x03 (0x03 x 0x800)
#define VRAM_COLOURS 0x2000          // register 3 = 0xFF
#define VRAM_NAMES 0x3800            // register 2 = 0x0E (0x0E x 0x400)
#define VRAM_SPRITES 0x3B00          // register 5 = 0x76 (0x76 x 0x80)
#define VRAM_THIRD 0x0800
#define VDP_R2_NAMES 0x0E
#define VDP_R3_COLOURS 0xFF
#define VDP_R4_PATTERNS 0x03
#define VDP_R5_SPRITES 0x76
#define VDP_R6_SPRITE_PATTERNS 0x03

#define SPRITE_END 0xD0  // a Y byte of 208 ends the sprite attribute table

// Sound chip bytes: a latch byte is 1 ccc dddd, with ccc the register (channel x 2, +1 for
// attenuation), a data byte 0 x dddddd carries a tone period's upper six bits.
#define PSG_LATCH 0x80
#define PSG_ATTENUATION 0x10
#define PSG_NOISE_CONTROL 0xE0
#define PSG_NOISE_WHITE 0x04
#define PSG_SILENT 15
#define PSG_NOISE 3  // channel number of the noise generator

void vdp_register(unsigned char reg, unsigned char value) __sdcccall(0);
void vdp_address(unsigned int address) __z88dk_fastcall;
void vdp_put(unsigned char value) __z88dk_fastcall;
void vdp_copy(const unsigned char* source, unsigned int count) __sdcccall(0);
void vdp_fill(unsigned char value, unsigned int count) __sdcccall(0);
void psg_put(unsigned char value) __z88dk_fastcall;
unsigned char joypad_read(void) __sdcccall(0);

// Kept by crt0.s's interrupt handlers.
extern volatile unsigned char frame_count;
extern volatile unsigned char status_latch;
extern volatile unsigned char pause_flag;

#endif
