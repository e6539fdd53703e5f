; The sound chip: tone 0 alone at full volume, period register 254, which is
; 3579545 / (32 x 254) = 440.4 Hz; everything else silent. While button 2 is held tone 0 is
; silenced, and the pause button (NMI) halves its period register (an octave up, 880.8 Hz).
        .module sound
        .include "console.inc"

PSG_LATCH       = 0x80          ; | channel << 5 | type << 4 | low four bits
TONE0_PERIOD    = 254

        .area   _HEADER (ABS)
        .org    0x0000
        di
        ld      sp, #STACK_TOP
        jp      start

        .org    0x0066
        push    af
        ld      a, #PSG_LATCH | ((TONE0_PERIOD / 2) & 0x0F)
        out     (PSG_PORT), a
        ld      a, #(TONE0_PERIOD / 2) >> 4
        out     (PSG_PORT), a
        pop     af
        retn

start:
        ld      a, #PSG_LATCH | 0x1F    ; tone 0 silent
        out     (PSG_PORT), a
        ld      a, #PSG_LATCH | 0x3F    ; tone 1 silent
        out     (PSG_PORT), a
        ld      a, #PSG_LATCH | 0x5F    ; tone 2 silent
        out     (PSG_PORT), a
        ld      a, #PSG_LATCH | 0x7F    ; noise silent
        out     (PSG_PORT), a

        ; The period latch goes through port 0x3F7E: the other port of the chip, with a
        ; high byte that must be ignored.
        ld      bc, #0x3F7E
        ld      a, #PSG_LATCH | (TONE0_PERIOD & 0x0F)
        out     (c), a
        ld      a, #TONE0_PERIOD >> 4
        out     (PSG_PORT), a

tone:   in      a, (JOY_A)
        bit     5, a                    ; button 2 (active low)
        ld      a, #PSG_LATCH | 0x10    ; tone 0 attenuation 0
        jr      nz, 1$
        ld      a, #PSG_LATCH | 0x1F    ; tone 0 silent
1$:     out     (PSG_PORT), a
        jr      tone

        .area   _CODE
        .area   _DATA
