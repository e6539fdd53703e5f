; Start-up for the C test cartridge: the reset entry, an interrupt handler that only
; acknowledges the video chip, RAM cleared and initialised globals copied, then main.
; The C code is linked from 0x0080 (CODE_LOC in CMakeLists.txt).

        .module crt0
        .globl  _main
        .globl  _frames

VDP_CTRL        = 0xBF          ; reading it returns the status and releases the interrupt
RAM_START       = 0xC000
RAM_SIZE        = 0x0400
STACK_TOP       = 0xC400

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
        .include "sdcc_init.inc"
        call    _main
2$:
        di
        halt
        jr      2$

frame_irq:
        push    af
        push    hl
        in      a, (VDP_CTRL)
        ld      hl, #_frames
        inc     (hl)
        pop     hl
        pop     af
        ei
        reti
