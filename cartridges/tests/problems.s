; Bugs that only the console shows, for the checks. Port A, read once at start, picks the
; one bug the program commits; otherwise it runs cleanly, close to each edge:
;   nothing pressed  none: RAM cleared before use, the status read in the handler, four
;                    sprites on a line, video memory written fast only with the display
;                    off and 40 cycles apart during the active display
;   up               two video memory writes 11 cycles apart during the active display
;   down             a read of RAM before anything was written there
;   left             a write to ROM
;   right            a push with the stack pointer below the RAM
;   button 1         five sprites on one line
;   button 2         the frame interrupt on for two frames while nothing reads the status
        .module problems
        .include "console.inc"

MODE            = 0xC000        ; port A as read at start
TICKS           = 0xC001        ; frame interrupts taken
FAST_DONE       = 0xC002        ; non-zero once the "up" mode's fast writes are made
NEVER_WRITTEN   = 0xC100
RAM_SIZE        = 0x0400        ; the console's 1 KB, which every board has at 0xC000
SAT_LO          = 0x00          ; sprite attributes at 0x3B00
SAT_HI          = 0x3B
SCRATCH_HI      = 0x3C          ; video memory nothing shows: 0x3C00
REG1_ON         = 0xE0          ; 16K, display on, frame interrupt on, Graphics I
SPRITE_BYTES    = 21            ; five entries and the end marker

        .area   _HEADER (ABS)
        .org    0x0000
        di
        im      1
        ld      sp, #STACK_TOP
        jp      start

        .org    0x0038
        push    af
        in      a, (VDP_CTRL)           ; acknowledge
        ld      a, (TICKS)
        inc     a
        ld      (TICKS), a
        pop     af
        ei
        reti

        .org    0x0066
        retn

start:
        in      a, (JOY_A)
        ld      b, a                    ; in B until the RAM is cleared
        bit     1, b                    ; down: read what nothing wrote
        jr      nz, 1$
        ld      a, (NEVER_WRITTEN)
1$:     ld      hl, #0xC000
        ld      de, #RAM_SIZE
2$:     ld      (hl), #0
        inc     hl
        dec     de
        ld      a, d
        or      e
        jr      nz, 2$
        ld      a, b
        ld      (MODE), a

        bit     2, a                    ; left: write to ROM
        jr      nz, 3$
        ld      (0x1000), a
3$:     bit     3, a                    ; right: push below the RAM
        jr      nz, 4$
        ld      sp, #0x4000
        push    af
        pop     af
        ld      sp, #STACK_TOP
4$:
        ; The registers, then the sprites, fast: the display is still off.
        ld      hl, #registers
        ld      b, #16
        ld      c, #VDP_CTRL
        otir
        ld      a, #SAT_LO
        out     (VDP_CTRL), a
        ld      a, #VDP_WRITE | SAT_HI
        out     (VDP_CTRL), a
        ld      hl, #four_sprites
        ld      a, (MODE)
        bit     4, a                    ; button 1: five on a line
        jr      nz, 5$
        ld      hl, #five_sprites
5$:     ld      b, #SPRITE_BYTES
        ld      c, #VDP_DATA
        otir

        ld      a, #REG1_ON
        out     (VDP_CTRL), a
        ld      a, #VDP_REG | 1
        out     (VDP_CTRL), a
        ld      a, (MODE)
        bit     5, a                    ; button 2: two frames with the interrupt unread
        jr      nz, 7$
        ld      bc, #5200               ; 26 cycles a pass: 135,200 cycles
6$:     dec     bc
        ld      a, b
        or      c
        jr      nz, 6$
        in      a, (VDP_CTRL)
7$:     ei

main:
        halt                            ; the frame interrupt, after line 191
        ld      bc, #700                ; 18,200 cycles: into the next frame's picture
8$:     dec     bc
        ld      a, b
        or      c
        jr      nz, 8$
        xor     a
        out     (VDP_CTRL), a
        ld      a, #VDP_WRITE | SCRATCH_HI
        out     (VDP_CTRL), a
        ld      a, (MODE)
        bit     0, a                    ; up: once, two writes too close together
        jr      nz, 9$
        ld      a, (FAST_DONE)
        or      a
        jr      nz, 9$
        inc     a
        ld      (FAST_DONE), a
        out     (VDP_DATA), a
        out     (VDP_DATA), a
        jr      main
9$:     out     (VDP_DATA), a           ; 40 cycles apart: slow enough anywhere
        push    hl
        pop     hl
        nop
        nop
        out     (VDP_DATA), a
        jr      main

registers:
        .db     0x00, VDP_REG | 0       ; Graphics I
        .db     0x80, VDP_REG | 1       ; 16K, display off
        .db     0x0E, VDP_REG | 2       ; names at 0x3800
        .db     0x80, VDP_REG | 3       ; colours at 0x2000
        .db     0x00, VDP_REG | 4       ; patterns at 0x0000
        .db     0x76, VDP_REG | 5       ; sprite attributes at 0x3B00
        .db     0x03, VDP_REG | 6       ; sprite patterns at 0x1800
        .db     0x01, VDP_REG | 7       ; black backdrop

; Y (the line above the first row), X, pattern, colour; all on lines 100 to 107.
four_sprites:
        .db     99, 0, 0, 15
        .db     99, 32, 0, 15
        .db     99, 64, 0, 15
        .db     99, 96, 0, 15
        .db     0xD0, 0, 0, 0
        .db     0, 0, 0, 0
five_sprites:
        .db     99, 0, 0, 15
        .db     99, 32, 0, 15
        .db     99, 64, 0, 15
        .db     99, 96, 0, 15
        .db     99, 128, 0, 15
        .db     0xD0

        .area   _CODE
        .area   _DATA
