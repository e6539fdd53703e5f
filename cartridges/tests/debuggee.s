; The debug adapter's subject: a loop that calls a function that calls another, two RAM
; variables they change, and one of the game's own debug messages (ld d,d then a jr over the
; text) at the start. Nothing is drawn.
        .module debuggee
        .include "console.inc"

counter         = 0xC000        ; 8 bits: one more each pass of the loop
total           = 0xC002        ; 16 bits: the sum of the counter's values

        .area   _HEADER (ABS)
        .org    0x0000
        di
        ld      sp, #STACK_TOP
        jp      start

        .org    0x0066                  ; the pause button: ignored
        retn

start:  xor     a
        ld      (counter), a
        ld      hl, #0
        ld      (total), hl
        ld      d, d                    ; a debug message: harmless on the console
        jr      main_loop
        .ascii  "hello from the game"
        .db     0
main_loop:
        call    bump
        jr      main_loop

bump:   ld      a, (counter)
        inc     a
        ld      (counter), a
        call    add_total
        ret

add_total:
        ld      hl, (total)
        ld      e, a
        ld      d, #0
        add     hl, de
        ld      (total), hl
        ret

        .area   _DATA                   ; the link places it; the variables are equates
