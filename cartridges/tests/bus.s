; The bus: memory writes below and above 0x8000, video memory written and read back
; through the ports, ports reached through their mirrors, then the joypad echoed to RAM
; for ever. The pause button (NMI) is counted.
        .module bus
        .include "console.inc"

ROM_READBACK    = 0xC000        ; 0x4000 after writing 0x55 there: the cartridge byte
RAM_READBACK    = 0xC001        ; 0x8123 after writing 0x55 there
VRAM_READBACK   = 0xC002        ; four bytes read back from video memory 0x0734
PORT_A          = 0xC010        ; IN 0xDC
PORT_A_HIGH     = 0xC011        ; IN with BC = 0x12DC
PORT_A_MIRROR   = 0xC012        ; IN 0xC0
PORT_B          = 0xC013        ; IN 0xDD
PORT_B_MIRROR   = 0xC014        ; IN 0xC1
PORT_7F         = 0xC015        ; IN 0x7F: nothing answers
PORT_DE         = 0xC016        ; IN 0xDE: nothing answers
NMI_COUNT       = 0xC020
LOOPS           = 0xC021        ; 16 bits: echo loop passes
ROM_BYTE        = 0xA5          ; what the cartridge holds at 0x4000

        .area   _HEADER (ABS)
        .org    0x0000
        di
        ld      sp, #STACK_TOP
        jp      start

        .org    0x0066
        push    hl
        ld      hl, #NMI_COUNT
        inc     (hl)
        pop     hl
        retn

start:
        ld      a, #0x55
        ld      (0x4000), a
        ld      (0x8123), a
        ld      a, (0x4000)
        ld      (ROM_READBACK), a
        ld      a, (0x8123)
        ld      (RAM_READBACK), a

        ; Write 11 22 33 44 from video memory 0x0734; the third byte goes through
        ; port 0x12BE, which must decode as the data port.
        ld      a, #0x34
        out     (VDP_CTRL), a
        ld      a, #VDP_WRITE | 0x07
        out     (VDP_CTRL), a
        ld      a, #0x11
        out     (VDP_DATA), a
        ld      a, #0x22
        out     (VDP_DATA), a
        ld      bc, #0x12BE
        ld      a, #0x33
        out     (c), a
        ld      a, #0x44
        out     (VDP_DATA), a

        ; Read them back; the address set-up goes through port 0xFFBF this time.
        ld      bc, #0xFFBF
        ld      a, #0x34
        out     (c), a
        ld      a, #0x07
        out     (c), a
        ld      hl, #VRAM_READBACK
        ld      b, #4
        ld      c, #VDP_DATA
        inir

        ; Tone 0 attenuation 0xA through port 0x3F7E.
        ld      bc, #0x3F7E
        ld      a, #0x9A
        out     (c), a

echo:   in      a, (JOY_A)
        ld      (PORT_A), a
        ld      bc, #0x12DC
        in      a, (c)
        ld      (PORT_A_HIGH), a
        in      a, (0xC0)
        ld      (PORT_A_MIRROR), a
        in      a, (JOY_B)
        ld      (PORT_B), a
        in      a, (0xC1)
        ld      (PORT_B_MIRROR), a
        in      a, (0x7F)
        ld      (PORT_7F), a
        in      a, (0xDE)
        ld      (PORT_DE), a
        ld      hl, (LOOPS)
        inc     hl
        ld      (LOOPS), hl
        jr      echo

        .org    0x4000
        .db     ROM_BYTE

        .area   _CODE
        .area   _DATA
