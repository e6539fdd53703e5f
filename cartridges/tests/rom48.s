; A 48 KB cartridge: its main code and its data lie above 0xA000, where only a board that
; maps the whole 48 KB shows ROM. Started from 0x0000, it jumps to 0xA000, adds up a table
; at 0xBF00 and stores the sum at 0xC000 (0x5A when the table is read as written) and 0xA5
; at 0xC001, and turns the backdrop green; anything else leaves the backdrop black.
        .module rom48
        .include "console.inc"

SUM             = 0xC000
DONE            = 0xC001
GREEN           = 0x02

        .area   _HEADER (ABS)
        .org    0x0000
        di
        ld      sp, #0xC3F0
        jp      high

        .org    0x0066
        retn

        .org    0xA000
high:   ld      hl, #table
        ld      b, #table_end - table
        xor     a
sum:    add     a, (hl)
        inc     hl
        djnz    sum
        ld      (SUM), a
        cp      #0x5A
        jr      nz, idle
        ld      a, #GREEN
        SHOW_BACKDROP
        ld      a, #0xA5
        ld      (DONE), a
idle:   jr      idle

        .org    0xBF00
table:  .db     0x10, 0x20, 0x0A, 0x20  ; adds up to 0x5A
table_end:
        .org    0xBFFF
        .db     0x5A                    ; the image's last byte: 49152 bytes in all

        .area   _DATA
