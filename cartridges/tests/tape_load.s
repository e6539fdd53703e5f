; Loads a machine language program's header and data records from the cassette (as
; tape_save.s writes them) and shows what came: the header's 20 bytes and the first 32 data
; bytes in hexadecimal, eight a row, on a green backdrop when both parities were right and a
; red one when not (dark blue while it waits). The same goes to RAM for the tests: the
; outcome at 0xC000 (1 right, 2 a parity wrong), the header at 0xC010, the data at 0xC100.
;
; Reading: the time between two edges of the input (a half wave) in passes of a 45-cycle
; loop, about 17 for 2400 Hz and 33 for 1200 Hz; LONG_FROM splits them.
        .module tape_load
        .include "console.inc"
        .include "tape.inc"

LONG_FROM       = 25
LEADER_WAVES    = 200           ; short half waves in a row that make a leader
DARK_BLUE       = 0x04
GREEN           = 0x03
RED             = 0x08

OUTCOME         = 0xC000
parity_header   = 0xC001
HEADER          = 0xC010
HEADER_LENGTH   = NAME_LENGTH + 4
DATA            = 0xC100
SHOWN           = 32
BLANK           = 16            ; the pattern after the sixteen digits

; Graphics I: patterns at 0x0000, names at 0x1800, colours at 0x2000.
NAMES           = 0x1800
COLOURS         = 0x2000

        .area   _HEADER (ABS)
        .org    0x0000
        di
        ld      sp, #STACK_TOP
        jp      start

        .org    0x0066                  ; the pause button: ignored
        retn

start:
        call    screen
        ld      a, #PPI_MODE
        out     (PPI_CONTROL), a
        ld      a, #TAPE_LOW
        out     (PPI_C), a
        xor     a
        ld      (OUTCOME), a

find_header:
        call    leader
        call    read_byte
        cp      #KEY_ML_HEADER
        jr      nz, find_header
        ld      hl, #HEADER
        ld      b, #HEADER_LENGTH
        call    read_block
        ld      (parity_header), a

find_data:
        call    leader
        call    read_byte
        cp      #KEY_ML_DATA
        jr      nz, find_data
        ld      hl, #DATA
        ld      a, (HEADER + NAME_LENGTH)      ; the length's low byte: up to 255 here
        ld      b, a
        call    read_block
        ld      hl, #parity_header
        or      (hl)                    ; both sums come out 0 when right
        ld      a, #1
        jr      z, outcome
        inc     a
outcome:
        ld      (OUTCOME), a
        call    show
done:   jr      done

; B bytes to HL, then the parity byte: A comes back 0 when they add up.
read_block:
        ld      c, #0
block:  push    bc
        push    hl
        call    read_byte
        pop     hl
        pop     bc
        ld      (hl), a
        inc     hl
        add     a, c
        ld      c, a
        djnz    block
        push    bc
        call    read_byte
        pop     bc
        add     a, c
        ret

; Waits for LEADER_WAVES short half waves in a row.
leader: ld      e, #LEADER_WAVES
waves:  call    half_wave
        cp      #LONG_FROM
        jr      nc, leader
        dec     e
        jr      nz, waves
        ret

; A byte: past the stop bits and leader to the start bit's second half, then eight bits
; from bit 0.
read_byte:
        call    half_wave
        cp      #LONG_FROM
        jr      c, read_byte
        call    half_wave
        ld      b, #8
next_bit:
        call    half_wave
        cp      #LONG_FROM
        jr      nc, zero_bit
        call    half_wave               ; a 1: three half waves more
        call    half_wave
        call    half_wave
        scf
        jr      shift
zero_bit:
        call    half_wave
        or      a                       ; carry clear
shift:  rr      c
        djnz    next_bit
        ld      a, c
        ret

; Passes until the input changes, in A (255: none within 255); D keeps the level last seen.
half_wave:
        ld      l, #0
same:   in      a, (PPI_B)
        xor     d
        and     #0x80
        jr      nz, changed
        inc     l
        jr      nz, same
        ld      a, #255                 ; no edge: silence, the level as it was
        ret
changed:
        ld      a, d
        xor     #0x80
        ld      d, a
        ld      a, l
        ret

screen:
        ld      hl, #registers
        ld      b, #16
        ld      c, #VDP_CTRL
        otir
        ld      hl, #0                  ; the digits' patterns, then a blank one
        call    address
        ld      hl, #digits
        ld      bc, #17 * 8 * 256 + VDP_DATA
        otir
        ld      hl, #COLOURS
        call    address
        ld      b, #32
colour: ld      a, #0xF0                ; white on the backdrop
        out     (VDP_DATA), a
        djnz    colour
        ld      hl, #NAMES
        call    address
        ld      de, #32 * 24
clear:  ld      a, #BLANK
        out     (VDP_DATA), a
        dec     de
        ld      a, d
        or      e
        jr      nz, clear
        ret

; The header from row 2, the data from row 6, and the outcome's backdrop.
show:   ld      hl, #NAMES + 2 * 32 + 4
        ld      de, #HEADER
        ld      b, #HEADER_LENGTH
        call    hex_rows
        ld      hl, #NAMES + 6 * 32 + 4
        ld      de, #DATA
        ld      b, #SHOWN
        call    hex_rows
        ld      a, (OUTCOME)
        cp      #1
        ld      a, #GREEN
        jr      z, backdrop
        ld      a, #RED
backdrop:
        out     (VDP_CTRL), a
        ld      a, #VDP_REG | 7
        out     (VDP_CTRL), a
        ret

; B bytes from DE as hexadecimal pairs with a space between, eight a row, from name HL.
hex_rows:
        call    address
        ld      c, #8
pair:   ld      a, (de)
        inc     de
        push    af
        rrca
        rrca
        rrca
        rrca
        and     #0x0F
        out     (VDP_DATA), a
        pop     af
        and     #0x0F
        out     (VDP_DATA), a
        ld      a, #BLANK
        out     (VDP_DATA), a
        dec     b
        ret     z
        dec     c
        jr      nz, pair
        push    de
        ld      de, #32
        add     hl, de
        pop     de
        jr      hex_rows

; The video chip's write address to HL.
address:
        ld      a, l
        out     (VDP_CTRL), a
        ld      a, h
        or      #VDP_WRITE
        out     (VDP_CTRL), a
        ret

registers:
        .db     0x00, VDP_REG | 0       ; Graphics I
        .db     0xC0, VDP_REG | 1       ; 16K, display on, interrupt off
        .db     0x06, VDP_REG | 2       ; names 0x1800
        .db     0x80, VDP_REG | 3       ; colours 0x2000
        .db     0x00, VDP_REG | 4       ; patterns 0x0000
        .db     0x36, VDP_REG | 5
        .db     0x07, VDP_REG | 6
        .db     DARK_BLUE, VDP_REG | 7

; 0 to 9 and A to F, five pixels wide, then a blank.
digits: .db     0x70, 0x88, 0x98, 0xA8, 0xC8, 0x88, 0x70, 0x00
        .db     0x20, 0x60, 0x20, 0x20, 0x20, 0x20, 0x70, 0x00
        .db     0x70, 0x88, 0x08, 0x30, 0x40, 0x80, 0xF8, 0x00
        .db     0xF8, 0x10, 0x20, 0x10, 0x08, 0x88, 0x70, 0x00
        .db     0x10, 0x30, 0x50, 0x90, 0xF8, 0x10, 0x10, 0x00
        .db     0xF8, 0x80, 0xF0, 0x08, 0x08, 0x88, 0x70, 0x00
        .db     0x30, 0x40, 0x80, 0xF0, 0x88, 0x88, 0x70, 0x00
        .db     0xF8, 0x08, 0x10, 0x20, 0x40, 0x40, 0x40, 0x00
        .db     0x70, 0x88, 0x88, 0x70, 0x88, 0x88, 0x70, 0x00
        .db     0x70, 0x88, 0x88, 0x78, 0x08, 0x10, 0x60, 0x00
        .db     0x70, 0x88, 0x88, 0xF8, 0x88, 0x88, 0x88, 0x00
        .db     0xF0, 0x88, 0x88, 0xF0, 0x88, 0x88, 0xF0, 0x00
        .db     0x70, 0x88, 0x80, 0x80, 0x80, 0x88, 0x70, 0x00
        .db     0xF0, 0x88, 0x88, 0x88, 0x88, 0x88, 0xF0, 0x00
        .db     0xF8, 0x80, 0x80, 0xF0, 0x80, 0x80, 0xF8, 0x00
        .db     0xF8, 0x80, 0x80, 0xF0, 0x80, 0x80, 0x80, 0x00
        .db     0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00

        .area   _CODE
        .area   _DATA
