; Text mode: "HELLO WORLD!" in white on dark blue at row 1, column 2, with every interrupt
; off. The simple video chip draws no Text screen and leaves the picture black; the
; hardware one shows the words between the 8-pixel borders.
        .module text
        .include "console.inc"

; Video memory layout (Text): patterns 0x0000, one per character code; names 0x0800,
; 40 per row.
MESSAGE_AT      = 0x0800 + 40 + 2

        .area   _HEADER (ABS)
        .org    0x0000
        di
        im      1
        ld      sp, #STACK_TOP
        jp      start

        .org    0x0066                  ; the pause button: ignored
        retn

start:
        ld      hl, #registers          ; value, then 0x80 | number, for each register
        ld      b, #16
        ld      c, #VDP_CTRL
        otir

        ld      ix, #glyphs             ; each glyph: its character code, then 8 rows
glyph:  ld      a, 0 (ix)
        or      a
        jr      z, message
        ld      l, a
        ld      h, #0
        add     hl, hl
        add     hl, hl
        add     hl, hl                  ; code * 8
        ld      a, l
        out     (VDP_CTRL), a
        ld      a, h
        or      #VDP_WRITE
        out     (VDP_CTRL), a
        push    ix
        pop     hl
        inc     hl
        ld      b, #8
        ld      c, #VDP_DATA
        otir
        ld      de, #9
        add     ix, de
        jr      glyph

message:
        ld      a, #<MESSAGE_AT
        out     (VDP_CTRL), a
        ld      a, #>MESSAGE_AT | VDP_WRITE
        out     (VDP_CTRL), a
        ld      hl, #text
        ld      b, #text_end - text
        ld      c, #VDP_DATA
        otir
idle:   jr      idle

registers:
        .db     0x00, VDP_REG | 0       ; Text needs no M3
        .db     0xD0, VDP_REG | 1       ; 16K, display on, M1 (Text), interrupt off
        .db     0x02, VDP_REG | 2       ; names 0x0800
        .db     0x00, VDP_REG | 3
        .db     0x00, VDP_REG | 4       ; patterns 0x0000
        .db     0x00, VDP_REG | 5
        .db     0x00, VDP_REG | 6
        .db     0xF4, VDP_REG | 7       ; white text, dark blue backdrop

; Five pixels wide in the six that Text shows, the sixth column left as the gap.
glyphs:
        .db     'H, 0x88, 0x88, 0x88, 0xF8, 0x88, 0x88, 0x88, 0x00
        .db     'E, 0xF8, 0x80, 0x80, 0xF0, 0x80, 0x80, 0xF8, 0x00
        .db     'L, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0xF8, 0x00
        .db     'O, 0x70, 0x88, 0x88, 0x88, 0x88, 0x88, 0x70, 0x00
        .db     'W, 0x88, 0x88, 0x88, 0xA8, 0xA8, 0xA8, 0x50, 0x00
        .db     'R, 0xF0, 0x88, 0x88, 0xF0, 0xA0, 0x90, 0x88, 0x00
        .db     'D, 0xF0, 0x88, 0x88, 0x88, 0x88, 0x88, 0xF0, 0x00
        .db     '!, 0x20, 0x20, 0x20, 0x20, 0x20, 0x00, 0x20, 0x00
        .db     0

text:   .ascii  "HELLO WORLD!"
text_end:

        .area   _CODE
        .area   _DATA
