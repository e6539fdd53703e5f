; A program without an interrupt handler: the CPU's interrupts and the video interrupt stay
; off, and the main loop polls the video status. Each status with the frame flag counts a
; frame; the first status that reports a fifth sprite is kept. Five sprites share lines
; 100 to 107 (blank patterns, so they never collide).
;
; The hardware video chip sets the frame flag every frame, so the count follows the frames
; and the kept status is 0x44 (fifth sprite, entry 4). The simple chip sets the flag only
; while the video interrupt is enabled and never reports a fifth sprite: both stay 0.
        .module poll
        .include "console.inc"

FRAMES          = 0xC000        ; 16 bits: statuses seen with the frame flag
FIFTH           = 0xC002        ; the first status seen with the fifth-sprite bit, else 0

; Video memory layout (Graphics I): sprite attributes 0x1B00, sprite patterns 0x3800.
SPRITE_ATTR     = 0x1B00

        .area   _HEADER (ABS)
        .org    0x0000
        di
        im      1
        ld      sp, #STACK_TOP
        jp      start

        .org    0x0066                  ; the pause button: ignored
        retn

start:
        ; The sprites first and the display last: a line drawn with the display on while the
        ; attribute table is half written would count the zeroed entries as sprites.
        ld      a, #<SPRITE_ATTR
        out     (VDP_CTRL), a
        ld      a, #>SPRITE_ATTR | VDP_WRITE
        out     (VDP_CTRL), a
        ld      hl, #sprites
        ld      b, #sprites_end - sprites
        ld      c, #VDP_DATA
        otir
        ld      hl, #registers          ; value, then 0x80 | number, for each register
        ld      b, #16
        ld      c, #VDP_CTRL
        otir

poll:   in      a, (VDP_CTRL)
        ld      b, a
        bit     6, a
        jr      z, 1$
        ld      a, (FIFTH)
        or      a
        jr      nz, 1$
        ld      a, b
        ld      (FIFTH), a
1$:     bit     7, b
        jr      z, poll
        ld      hl, (FRAMES)
        inc     hl
        ld      (FRAMES), hl
        jr      poll

registers:
        .db     0x00, VDP_REG | 0
        .db     0x06, VDP_REG | 2       ; names 0x1800
        .db     0x80, VDP_REG | 3       ; colours 0x2000
        .db     0x00, VDP_REG | 4       ; patterns 0x0000
        .db     0x36, VDP_REG | 5       ; sprite attributes 0x1B00
        .db     0x07, VDP_REG | 6       ; sprite patterns 0x3800
        .db     0x01, VDP_REG | 7       ; black backdrop
        .db     0xC0, VDP_REG | 1       ; 16K, display on, Graphics I, interrupt off

; Y 99 puts a sprite on lines 100 to 107.
sprites:
        .db     99, 0, 0, 15
        .db     99, 16, 0, 15
        .db     99, 32, 0, 15
        .db     99, 48, 0, 15
        .db     99, 64, 0, 15
        .db     0xD0
sprites_end:

        .area   _CODE
        .area   _DATA
