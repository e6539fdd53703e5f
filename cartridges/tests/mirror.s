; The console's RAM: 1 KB at 0xC000 repeated through 0xFFFF. Writes 0x5A, then 0xA5, at
; 0xC000 and reads each back at 0xC400, 0xE000 and 0xFC00; the six reads go to 0xC010-0xC015
; and the number of them that matched to 0xC020. The backdrop is green when all six matched
; (the console as built), red when none did (separate RAM there).
        .module mirror
        .include "console.inc"

PROBE           = 0xC000
READS           = 0xC010
MATCHED         = 0xC020
GREEN           = 0x02
RED             = 0x08
YELLOW          = 0x0A

        .area   _HEADER (ABS)
        .org    0x0000
        di
        ld      sp, #0xC3F0
        jp      start

        .org    0x0066
        retn

start:  ld      hl, #READS
        ld      c, #0           ; matched reads
        ld      a, #0x5A
        call    probe
        ld      a, #0xA5
        call    probe
        ld      a, c
        ld      (MATCHED), a
        ld      b, #GREEN
        cp      #6
        jr      z, show
        ld      b, #RED
        or      a
        jr      z, show
        ld      b, #YELLOW
show:   ld      a, b
        SHOW_BACKDROP
idle:   jr      idle

; Writes A at 0xC000 and reads it back at the three mirrors, storing each read at (HL)
; onwards and counting the matches in C.
probe:  ld      (PROBE), a
        ld      d, a
        ld      a, (0xC400)
        call    keep
        ld      a, (0xE000)
        call    keep
        ld      a, (0xFC00)
keep:   ld      (hl), a
        inc     hl
        cp      d
        ret     nz
        inc     c
        ret

        .area   _DATA
