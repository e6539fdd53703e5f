// The slips a homebrew author makes in C that only the console shows, one after another, for
// the checks' warnings and the profiler: a variable read before it is set (the start-up does
// not clear RAM), a constant table written through a cast, interrupts left off while the
// video chip's frame interrupt waits, a stack that recursion runs down into the variables
// and below the console's RAM, five sprites on a line, and a wait loop at a function's start.

__sfr __at 0xBE vdp_data;
__sfr __at 0xBF vdp_ctrl;

extern volatile unsigned char tick;  // set by the frame interrupt
void reserve_slot(void);

unsigned int rnd;  // never set before its first use
unsigned char level;
unsigned int total;
const unsigned char level1[4] = {3, 1, 4, 1};

void reg(unsigned char r, unsigned char v) {
    vdp_ctrl = v;
    vdp_ctrl = 0x80 | r;
}

void vram_at(unsigned int address) {
    vdp_ctrl = address & 0xFF;
    vdp_ctrl = (address >> 8) | 0x40;
}

void put_sprite(unsigned char y, unsigned char x) {
    vdp_data = y;
    vdp_data = x;
    vdp_data = 0;
    vdp_data = 15;
}

unsigned char next_random(void) {
    rnd = rnd * 75 + 74;
    return rnd >> 8;
}

// Each level keeps a small array on the stack: deep enough, it runs over the globals.
unsigned char dive(unsigned char n) {
    unsigned char pad[8];
    pad[n & 7] = n;
    if (n == 0) return 0;
    return dive(n - 1) + pad[n & 7];
}

// Returns at the next frame interrupt: the loop is the function's first instruction.
void wait_frame(void) {
    while (!tick) {
    }
    tick = 0;
}

void busy(unsigned int n) {
    while (n--) {
        level ^= 1;
    }
}

void main(void) {
    unsigned char i;
    reserve_slot();
    level = next_random();
    ((unsigned char*)level1)[2] = level;  // a constant table lives in ROM

    reg(1, 0x80);  // display off while video memory is filled
    reg(5, 0x76);  // sprite attributes at 0x3B00
    reg(6, 0x03);
    vram_at(0x3B00);
    for (i = 0; i < 5; ++i) put_sprite(60, i * 20);
    vdp_data = 0xD0;

    // The frame interrupt on while interrupts stay off for a while.
    reg(1, 0xE0);
    busy(6000);
    total = dive(100);
    __asm__("ei");
    for (;;) {
        wait_frame();
        total += next_random();
    }
}
