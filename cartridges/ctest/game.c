/* The C test cartridge: a little of everything a C debugger must show, built with
 * `sdcc --debug`. A global struct with a pointer in it, 8-, 16- and 32-bit globals, a file
 * static, a function-local static, a local array, a recursive function, and a main loop that
 * runs once a frame so tests can break on its lines and watch its variables change. */
#include "plexaro_debug.h"

struct actor {
    int x;
    signed char dy;
    unsigned char flags;
    long score;
    struct actor *next;
};

unsigned char frames; /* counted by the interrupt handler */
struct actor hero;
unsigned int total;
long big;
unsigned char *cursor;
static int level = 3;
const char title[] = "CTEST";

__sfr __at 0xBF vdp_control;

int fact(int n)
{
    int r;
    if (n <= 1)
        return 1;
    r = n * fact(n - 1);
    return r;
}

unsigned char fill(unsigned char seed)
{
    unsigned char cells[6];
    unsigned char i;
    unsigned char sum = 0;
    for (i = 0; i < 6; i++)
        cells[i] = seed + i;
    for (i = 0; i < 6; i++)
        sum += cells[i];
    return sum;
}

static void step(struct actor *a)
{
    a->x += a->dy;
    a->score += 10;
    if (a->x > 200)
        a->dy = -2;
    if (a->x < 10)
        a->dy = 2;
}

static void wait_frame(void)
{
    unsigned char seen = frames;
    while (frames == seen)
        ;
}

void main(void)
{
    static unsigned char rounds;
    hero.x = 100;
    hero.dy = 2;
    hero.next = &hero;
    cursor = (unsigned char *)&total;
    PLEXARO_PRINT("ctest: started");
    vdp_control = 0x20; /* the frame interrupt on: value first, then register 1 */
    vdp_control = 0x81;
    __asm__("ei");
    for (;;) {
        wait_frame();
        rounds++;
        total = fact(level + (rounds & 3));
        big += total;
        step(&hero);
        total += fill(rounds);
    }
}
