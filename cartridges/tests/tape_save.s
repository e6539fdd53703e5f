; Saves 32 bytes to the cassette as the machine's own BASIC saves a machine language program:
; a header record (key 26h, the name, the length, the start address, parity, two dummy
; bytes), a second of silence, then the data record (key 27h, the bytes, parity, two dummy
; bytes). The backdrop is dark blue while it saves and green once it is done.
;
; Timing: a half wave is a delay loop of B passes, 13 cycles each, plus the 47 of the call
; around it, so B = 54 gives 749 cycles (2400 Hz: 746) and B = 111 gives 1490 (1200 Hz: 1491).
        .module tape_save
        .include "console.inc"
        .include "tape.inc"

SHORT_PASSES    = 54
LONG_PASSES     = 111
DARK_BLUE       = 0x04
GREEN           = 0x03

        .area   _HEADER (ABS)
        .org    0x0000
        di
        ld      sp, #STACK_TOP
        jp      start

        .org    0x0066                  ; the pause button: ignored
        retn

start:
        ld      a, #DARK_BLUE
        SHOW_BACKDROP
        ld      a, #PPI_MODE
        out     (PPI_CONTROL), a
        ld      a, #TAPE_LOW
        out     (PPI_C), a

        ld      b, #2                   ; half a second before the first leader
        call    silence
        ld      hl, #header
        ld      b, #header_end - header
        call    record
        ld      b, #4                   ; a second between the records
        call    silence
        ld      hl, #data_key
        ld      b, #data_end - data_key
        call    record

        ld      a, #GREEN
        SHOW_BACKDROP
done:   jr      done

; Sends a record: the leader, then B bytes from HL, whose first is the key code. Parity is
; the two's complement of the sum of the bytes after the key, sent after them, followed by two
; dummy bytes.
record:
        push    hl
        push    bc
        ld      de, #LEADER_BITS
leader: call    one
        dec     de
        ld      a, d
        or      e
        jr      nz, leader
        pop     bc
        pop     hl
        ld      a, (hl)                 ; the key code, outside the parity
        inc     hl
        dec     b
        push    bc
        call    byte
        pop     bc
        ld      c, #0                   ; the sum
send:   ld      a, (hl)
        add     a, c
        ld      c, a
        ld      a, (hl)
        inc     hl
        push    bc
        call    byte
        pop     bc
        djnz    send
        xor     a
        sub     c
        call    byte
        xor     a
        call    byte
        xor     a
        jp      byte

; One byte from A: a start bit, eight bits from bit 0, two stop bits.
byte:   ld      c, a
        call    zero
        ld      b, #8
bits:   rrc     c
        push    bc
        call    c, one
        pop     bc
        push    bc
        call    nc, zero
        pop     bc
        djnz    bits
        call    one
        jp      one

one:    call    short_wave
short_wave:
        ld      a, #TAPE_HIGH
        ld      b, #SHORT_PASSES
        call    half
        ld      a, #TAPE_LOW
        ld      b, #SHORT_PASSES
        jp      half

zero:   ld      a, #TAPE_HIGH
        ld      b, #LONG_PASSES
        call    half
        ld      a, #TAPE_LOW
        ld      b, #LONG_PASSES
half:   out     (PPI_C), a
pass:   djnz    pass
        ret

; The output held low for B quarters of a second (a quarter: 256 * 256 passes of 13 cycles
; and a little, about 0.24 s).
silence:
        push    bc
        ld      d, #0
quarter:
        ld      b, #0
inner:  djnz    inner
        dec     d
        jr      nz, quarter
        pop     bc
        djnz    silence
        ret

header: .db     KEY_ML_HEADER
        .ascii  "PLEXARO TAPE    "
        .dw     data_end - data         ; the program's length
        .dw     0xC100                  ; its start address
header_end:

data_key:
        .db     KEY_ML_DATA
data:   .db     0x00, 0xFF, 0x55, 0xAA, 0x01, 0x80, 0x7F, 0xFE
        .ascii  "SC-3000 TAPE OK!"
        .db     0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE, 0xF0
data_end:

        .area   _CODE
        .area   _DATA
