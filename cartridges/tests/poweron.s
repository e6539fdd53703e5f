; What the RAM holds at power-on: the 256 bytes at 0xC100, never written, are added up
; into 0xC000, and the sum's low four bits become the backdrop colour. Zeroed RAM
; gives 0 (black); patterned or random RAM almost surely something else. A program that
; seeds its random numbers from RAM sees the same difference.
        .module poweron
        .include "console.inc"

SEED            = 0xC000
DONE            = 0xC001
UNTOUCHED       = 0xC100

        .area   _HEADER (ABS)
        .org    0x0000
        di
        ld      sp, #0xC3F0
        jp      start

        .org    0x0066
        retn

start:  ld      hl, #UNTOUCHED
        ld      b, #0           ; 256 bytes
        xor     a
sum:    add     a, (hl)
        inc     hl
        djnz    sum
        ld      (SEED), a
        and     #0x0F
        SHOW_BACKDROP
        ld      a, #0xA5
        ld      (DONE), a
idle:   jr      idle

        .area   _DATA
