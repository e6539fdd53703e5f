; The mapper board: pages switched in each of the three slots through 0xFFFD-0xFFFF, each
; read back to see that the slot shows it. The image is 8 pages; every byte of pages 1 to 7
; is its own page number. The whole program lies in the first 1 KB, which stays page 0 even
; while slot 0 shows another page.
;
; Checked: slots 1 and 2 show pages 1 to 7 (first and last byte); a page number past the end
; wraps (9 shows page 1); slot 0 shows page 3 from 0x0400 while 0x0000-0x03FF stays page 0;
; a page register reads back as RAM the value written. The backdrop turns green when all of
; it holds, red otherwise, and the number of failed checks is left at 0xC000.
        .module mapper
        .include "console.inc"

FAILURES        = 0xC000
DONE            = 0xC001        ; 0xA5 once the checks are over
SLOT0           = 0xFFFD
SLOT1           = 0xFFFE
SLOT2           = 0xFFFF
GREEN           = 0x02
RED             = 0x08
DI_OPCODE       = 0xF3          ; the byte at 0x0000

        .area   _HEADER (ABS)
        .org    0x0000
        di
        ld      sp, #0xC3F0     ; inside the console's 1 KB, however the RAM is built
        jp      start

        .org    0x0066                  ; the pause button: ignored
        retn

start:
        ld      e, #0           ; failed checks
        ld      b, #1
pages:  ld      a, b
        ld      (SLOT1), a
        ld      a, (0x4000)
        call    expect_b
        ld      a, (0x7FFF)
        call    expect_b
        ld      a, b
        ld      (SLOT2), a
        ld      a, (0x8000)
        call    expect_b
        ld      a, (0xBFFF)
        call    expect_b
        inc     b
        ld      a, b
        cp      #8
        jr      nz, pages

        ld      a, #9           ; 9 pages on an 8-page image: page 1
        ld      (SLOT1), a
        ld      b, #1
        ld      a, (0x5000)
        call    expect_b
        ld      a, (SLOT1)      ; the register's RAM holds what was written
        ld      b, #9
        call    expect_b

        ld      a, #3
        ld      (SLOT0), a
        ld      b, #3
        ld      a, (0x0400)
        call    expect_b
        ld      a, (0x3FFF)
        call    expect_b
        ld      b, #DI_OPCODE   ; the first 1 KB is page 0 whatever slot 0 shows
        ld      a, (0x0000)
        call    expect_b
        xor     a
        ld      (SLOT0), a

        ld      a, e
        ld      (FAILURES), a
        or      a
        ld      a, #GREEN
        jr      z, show
        ld      a, #RED
show:   SHOW_BACKDROP
        ld      a, #0xA5
        ld      (DONE), a
idle:   jr      idle

; Counts a failure in E unless A equals B.
expect_b:
        cp      b
        ret     z
        inc     e
        ret

        .area   _DATA
