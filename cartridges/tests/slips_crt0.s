; Start-up for slips.sg: entry points, no RAM clearing (the slip the C program relies on),
; and a frame interrupt handler that reads the status and raises a flag for the C code.

        .module slips_crt0
        .globl  _main
        .globl  _tick
        .globl  _reserve_slot

VDP_CTRL        = 0xBF
STACK_TOP       = 0xC400        ; the top of the console's 1 KB

        .area   _HEADER (ABS)
        .org    0x0000
        di
        ld      sp, #STACK_TOP
        im      1
        jp      init

        .org    0x0038
        jp      frame_irq

        .org    0x0066
        retn

        .include "sdcc_areas.inc"

        .area   _CODE
init:
        call    _main
1$:
        halt
        jr      1$

frame_irq:
        push    af
        in      a, (VDP_CTRL)
        ld      a, #1
        ld      (_tick), a
        pop     af
        ei
        reti

; What SDCC does for a local it keeps in a new stack slot: reserve it, then swap HL into it.
; The slot's old bytes go to HL only to be replaced: reading them is no fault.
_reserve_slot::
        ld      hl, #0x1234
        dec     sp
        dec     sp
        ex      (sp), hl
        pop     hl
        ret

        .area   _DATA
_tick:  .ds 1
