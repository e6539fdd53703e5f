; Start-up for the demo cartridge: the Z80's fixed entry points, RAM set-up and the two
; interrupt handlers. The cartridge is mapped from address 0, so the reset entry, the IM 1
; vector (0x0038) and the NMI vector (0x0066) all live in this file's absolute area; the C
; code is linked from 0x0080 on (CODE_LOC in CMakeLists.txt).

        .module crt0
        .globl  _main
        .globl  _frame_count
        .globl  _status_latch
        .globl  _pause_flag

VDP_CTRL        = 0xBF          ; reading it returns the status and releases the interrupt
RAM_START       = 0xC000        ; the console's 1 KB of work RAM
RAM_SIZE        = 0x0400
STACK_TOP       = 0xC400        ; the first push lands at 0xC3FF

        .area   _HEADER (ABS)
        .org    0x0000
reset:
        di
        ld      sp, #STACK_TOP
        im      1               ; every maskable interrupt calls 0x0038
        jp      init

        .org    0x0038
        ; The video chip raises the interrupt after drawing line 191 and keeps it raised
        ; until the status port is read. The handler is long, so it lives further on.
        jp      frame_irq

        .org    0x0066
        ; The console's pause button is wired to the NMI. We only flip a flag; the game
        ; decides what pausing means. AF is the only register touched.
        push    af
        ld      a, (_pause_flag)
        xor     #1
        ld      (_pause_flag), a
        pop     af
        retn

        .include "sdcc_areas.inc"

        .area   _CODE
init:
        .include "sdcc_init.inc"
        ; Interrupts can be on from here: the video chip requests none until the game sets
        ; its interrupt enable.
        ei
        call    _main
        ; main never returns; if it did, stop quietly rather than run into data.
2$:
        di
        halt
        jr      2$

frame_irq:
        push    af
        push    hl
        in      a, (VDP_CTRL)
        ; Reading the status clears its collision bit as well, so keep every bit seen
        ; since the game last looked; the game clears the latch when it has used it.
        ld      hl, #_status_latch
        or      a, (hl)
        ld      (hl), a
        ld      hl, #_frame_count
        inc     (hl)
        pop     hl
        pop     af
        ei
        reti

        .area   _DATA
_frame_count:   .ds 1           ; counts frame interrupts; wraps at 256
_status_latch:  .ds 1           ; OR of the video status bytes read since last cleared
_pause_flag:    .ds 1           ; toggled by each press of the pause button
