; A busy cartridge for the benchmark and the allocation test: Graphics II with 32 moving
; 16x16 sprites, the whole name table rewritten every frame, three tones and noise that
; change every frame, and a main loop that never rests (block copies, arithmetic, calls).
        .module busy
        .include "console.inc"

FRAME           = 0xC000        ; 16 bits: frames seen by the interrupt handler
LOOPS           = 0xC002        ; 16 bits: main loop passes
SUM             = 0xC004        ; 16 bits: running checksum of the work buffer
WORK            = 0xC100        ; 256-byte work buffer, copied to WORK_COPY
WORK_COPY       = 0xC200

; Video memory layout (Graphics II): patterns 0x0000, colours 0x2000, sprite patterns
; 0x1800, names 0x3800, sprite attributes 0x3B00.
NAME_TABLE_HI   = 0x38
SPRITE_ATTR_HI  = 0x3B

        .area   _HEADER (ABS)
        .org    0x0000
        di
        im      1
        ld      sp, #STACK_TOP
        jp      start

        .org    0x0038
        push    af
        push    bc
        push    de
        push    hl
        in      a, (VDP_CTRL)           ; acknowledge
        ld      hl, (FRAME)
        inc     hl
        ld      (FRAME), hl
        call    names
        call    sprites
        call    tones
        pop     hl
        pop     de
        pop     bc
        pop     af
        ei
        reti

        .org    0x0066                  ; the pause button: ignored
        retn

start:
        ld      hl, #registers
        ld      b, #8
        ld      c, #VDP_REG
1$:     ld      a, (hl)                 ; register value, then 0x80 | number
        out     (VDP_CTRL), a
        ld      a, c
        out     (VDP_CTRL), a
        inc     hl
        inc     c
        djnz    1$

        ; Fill 0x0000-0x37FF (patterns, sprite patterns, colours) with a busy texture:
        ; byte = low address byte XOR high address byte.
        xor     a
        out     (VDP_CTRL), a
        ld      a, #VDP_WRITE
        out     (VDP_CTRL), a
        ld      de, #0x0000
2$:     ld      a, e
        xor     d
        out     (VDP_DATA), a
        inc     de
        ld      a, d
        cp      #0x38
        jr      nz, 2$

        ld      a, #0x9F                ; silence everything until the first frame
        out     (PSG_PORT), a
        ld      a, #0xBF
        out     (PSG_PORT), a
        ld      a, #0xDF
        out     (PSG_PORT), a
        ld      a, #0xFF
        out     (PSG_PORT), a
        ei

main:   ld      hl, #WORK
        ld      de, #WORK_COPY
        ld      bc, #0x0100
        ldir
        ld      hl, #WORK
        ld      b, #0
3$:     ld      a, (hl)
        add     a, b
        rlca
        ld      (hl), a
        inc     hl
        djnz    3$
        call    checksum
        ld      hl, (LOOPS)
        inc     hl
        ld      (LOOPS), hl
        jr      main

checksum:
        ld      hl, #WORK_COPY
        ld      de, #0
        ld      b, #0
4$:     ld      a, (hl)
        add     a, e
        ld      e, a
        adc     a, d
        sub     e
        ld      d, a
        inc     hl
        djnz    4$
        ld      (SUM), de
        ret

; The name table: 768 names, scrolled by one each frame.
names:
        xor     a
        out     (VDP_CTRL), a
        ld      a, #VDP_WRITE | NAME_TABLE_HI
        out     (VDP_CTRL), a
        ld      a, (FRAME)
        ld      c, #3
5$:     ld      b, #0
6$:     out     (VDP_DATA), a
        inc     a
        djnz    6$
        dec     c
        jr      nz, 5$
        ret

; 32 sprites on a diagonal that slides with the frame count.
sprites:
        xor     a
        out     (VDP_CTRL), a
        ld      a, #VDP_WRITE | SPRITE_ATTR_HI
        out     (VDP_CTRL), a
        ld      a, (FRAME)
        ld      e, a
        ld      b, #32
        ld      d, #0
7$:     ld      a, d                    ; y: 6 lines apart, avoiding 0xD0 (end of list)
        add     a, a
        add     a, d
        add     a, a
        add     a, e
        cp      #0xD0
        jr      nz, 8$
        inc     a
8$:     out     (VDP_DATA), a
        ld      a, d                    ; x
        rlca
        rlca
        rlca
        sub     e
        out     (VDP_DATA), a
        ld      a, d                    ; pattern: 16x16 sprites use groups of four
        and     #7
        rlca
        rlca
        out     (VDP_DATA), a
        ld      a, d                    ; colour 2 to 15
        and     #0x0F
        or      #0x02
        out     (VDP_DATA), a
        inc     d
        djnz    7$
        ret

; Three tones sweeping with the frame count, noise every 16th frame.
tones:
        ld      a, (FRAME)
        ld      e, a
        and     #0x0F
        or      #0x80                   ; tone 0 period low bits
        out     (PSG_PORT), a
        ld      a, e
        and     #0x3F
        out     (PSG_PORT), a
        ld      a, #0x92                ; tone 0 attenuation 2
        out     (PSG_PORT), a
        ld      a, e
        and     #0x0F
        or      #0xA0                   ; tone 1 period low bits
        out     (PSG_PORT), a
        ld      a, #0x10
        out     (PSG_PORT), a
        ld      a, #0xB4
        out     (PSG_PORT), a
        ld      a, #0xC7                ; tone 2 period 0x207
        out     (PSG_PORT), a
        ld      a, #0x20
        out     (PSG_PORT), a
        ld      a, #0xD6
        out     (PSG_PORT), a
        ld      a, e
        and     #0x0F
        ret     nz
        ld      a, #0xE5                ; white noise, rate 1
        out     (PSG_PORT), a
        ld      a, #0xF8
        out     (PSG_PORT), a
        ret

; Graphics II (register 0 bit 1), display and interrupts on, 16x16 sprites, tables as
; above, backdrop colour 4.
registers:
        .db     0x02, 0xE2, 0x0E, 0xFF, 0x03, 0x76, 0x03, 0x04

        .area   _CODE
        .area   _DATA
