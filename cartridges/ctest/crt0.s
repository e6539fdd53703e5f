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

        .area   _HOME
        .area   _CODE
        .area   _INITIALIZER
        .area   _GSINIT
        .area   _GSFINAL
        .area   _DATA
        .area   _INITIALIZED
        .area   _BSEG
        .area   _BSS
        .area   _HEAP

        .area   _CODE
init:
        ld      hl, #RAM_START
        ld      de, #RAM_START + 1
        ld      bc, #RAM_SIZE - 1
        ld      (hl), #0
        ldir
        ld      bc, #l__INITIALIZER
        ld      a, b
        or      a, c
        jr      z, 1$
        ld      de, #s__INITIALIZED
        ld      hl, #s__INITIALIZER
        ldir
1$:
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
