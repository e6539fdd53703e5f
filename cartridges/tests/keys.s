; The SC-3000 keyboard probe: it scans the eight rows of the key matrix through the PPI, over
; and over, keeps what each row reads (port A, then port B) at 0xC000-0xC00F, and draws the
; matrix as a grid: one line per row, from row 0 at the top to row 7 (the joypads) at the
; bottom, one box per bit, port A's bits 0-7 from the left, then port B's bits 0-3. A key
; held fills its box. RESET, outside the matrix, raises the NMI: the probe counts them.
        .module keys
        .include "console.inc"

PPI_C           = 0xDE          ; bits 0-2 select the row the PPI's ports A and B read
PPI_CONTROL     = 0xDF
PPI_MODE        = 0x92          ; ports A and B inputs, port C an output

ROWS            = 0xC000        ; 16 bytes: each row's port A, then its port B
NMIS            = 0xC010        ; non-maskable interrupts taken: RESET's presses

NAMES           = 0x1800
GRID            = NAMES + 4 * 32 + 4        ; row 0's first box: line 4, column 4
LINE_STEP       = 2 * 32                    ; a blank line between rows
EMPTY           = 1                         ; the patterns of a box, open and filled
FILLED          = 2

        .area   _HEADER (ABS)
        .org    0x0000
        di
        im      1
        ld      sp, #STACK_TOP
        jp      start

        .org    0x0066                  ; RESET (and the pause button): counted
        push    af
        ld      a, (NMIS)
        inc     a
        ld      (NMIS), a
        pop     af
        retn

start:
        ld      a, #PPI_MODE
        out     (PPI_CONTROL), a
        ld      hl, #registers          ; value, then 0x80 | number, for each register
        ld      b, #14
        ld      c, #VDP_CTRL
        otir
        ; The two box patterns after the blank pattern 0.
        ld      a, #0x08
        out     (VDP_CTRL), a
        ld      a, #VDP_WRITE
        out     (VDP_CTRL), a
        ld      hl, #boxes
        ld      b, #16
        ld      c, #VDP_DATA
        otir
        ; White on black for every pattern.
        ld      a, #0x00
        out     (VDP_CTRL), a
        ld      a, #0x20 | VDP_WRITE
        out     (VDP_CTRL), a
        ld      b, #32
        ld      a, #0xF1
1$:     out     (VDP_DATA), a
        djnz    1$
        ; No sprites.
        ld      a, #0x00
        out     (VDP_CTRL), a
        ld      a, #0x1B | VDP_WRITE
        out     (VDP_CTRL), a
        ld      a, #0xD0
        out     (VDP_DATA), a
        ; A blank name table: 768 zeros.
        ld      a, #<NAMES
        out     (VDP_CTRL), a
        ld      a, #>NAMES | VDP_WRITE
        out     (VDP_CTRL), a
        ld      bc, #768
2$:     xor     a
        out     (VDP_DATA), a
        dec     bc
        ld      a, b
        or      c
        jr      nz, 2$
        ld      a, #0xC0                ; display on, Graphics I, interrupt off
        out     (VDP_CTRL), a
        ld      a, #VDP_REG | 1
        out     (VDP_CTRL), a

scan:   ld      hl, #ROWS
        ld      de, #GRID
        ld      b, #0                   ; the row
row:    ld      a, b
        out     (PPI_C), a
        in      a, (JOY_A)
        ld      (hl), a
        inc     hl
        in      a, (JOY_B)
        ld      (hl), a
        inc     hl
        ; The row's line of boxes.
        ld      a, e
        out     (VDP_CTRL), a
        ld      a, d
        or      #VDP_WRITE
        out     (VDP_CTRL), a
        dec     hl
        dec     hl
        ld      a, (hl)
        ld      c, #8
        call    draw
        inc     hl
        ld      a, (hl)
        ld      c, #4
        call    draw
        inc     hl
        ex      de, hl
        push    bc
        ld      bc, #LINE_STEP
        add     hl, bc
        pop     bc
        ex      de, hl
        inc     b
        ld      a, b
        cp      #8
        jr      nz, row
        jr      scan

; Draws C boxes for the low bits of A, bit 0 first: filled where the bit is 0 (held), each
; followed by a blank.
draw:   push    bc
        ld      b, a
1$:     ld      a, #FILLED
        srl     b
        jr      nc, 2$
        ld      a, #EMPTY
2$:     out     (VDP_DATA), a
        xor     a
        out     (VDP_DATA), a
        dec     c
        jr      nz, 1$
        pop     bc
        ret

registers:
        .db     0x00, VDP_REG | 0
        .db     0x80, VDP_REG | 1       ; 16K, display off while the tables are written
        .db     0x06, VDP_REG | 2       ; names 0x1800
        .db     0x80, VDP_REG | 3       ; colours 0x2000
        .db     0x00, VDP_REG | 4       ; patterns 0x0000
        .db     0x36, VDP_REG | 5       ; sprite attributes 0x1B00: none (0xD0 first)
        .db     0x01, VDP_REG | 7       ; black backdrop

boxes:
        .db     0xFF, 0x81, 0x81, 0x81, 0x81, 0x81, 0x81, 0xFF
        .db     0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF

        .area   _CODE
        .area   _DATA
