; Small helpers for the console's chips, called from C. Every one is declared in hw.h with
; the old stack calling convention (__sdcccall(0): arguments pushed right to left, one byte
; for a char) or __z88dk_fastcall (one argument in L or HL), so the offsets below hold
; whatever the compiler's default convention is. IX is never touched.

        .module hw

VDP_DATA        = 0xBE          ; video memory data port
VDP_CTRL        = 0xBF          ; address / register set-up; status when read
VDP_WRITE_SETUP = 0x40          ; second control byte 01aaaaaa: write from address
VDP_REG_WRITE   = 0x80          ; second control byte 1000rrrr: write register r
PSG_PORT        = 0x7F          ; the sound chip's single data input
JOYPAD_A        = 0xDC          ; active-low: up, down, left, right, button 1, button 2
JOYPAD_MASK     = 0x3F          ; bits 6 and 7 are not controls

        .area   _CODE

; The control port takes two bytes in a row; a status read between them (the frame interrupt
; handler does one) would make the second byte count as a first. So both set-up helpers hold
; interrupts off across the pair.

; void vdp_register(unsigned char reg, unsigned char value)
_vdp_register::
        ld      hl, #2
        add     hl, sp
        ld      c, (hl)
        inc     hl
        ld      a, (hl)
        di
        out     (VDP_CTRL), a
        ld      a, c
        or      a, #VDP_REG_WRITE
        out     (VDP_CTRL), a
        ei
        ret

; void vdp_address(unsigned int address): the next data-port writes go from here on.
_vdp_address::
        di
        ld      a, l
        out     (VDP_CTRL), a
        ld      a, h
        and     a, #0x3F
        or      a, #VDP_WRITE_SETUP
        out     (VDP_CTRL), a
        ei
        ret

; void vdp_put(unsigned char value)
_vdp_put::
        ld      a, l
        out     (VDP_DATA), a
        ret

; The copy and fill loops take about 50 clock cycles per byte, slower than the video chip
; needs between two accesses even while it is drawing, so they may run at any time.

; void vdp_copy(const unsigned char *source, unsigned int count)
_vdp_copy::
        ld      hl, #2
        add     hl, sp
        ld      e, (hl)
        inc     hl
        ld      d, (hl)
        inc     hl
        ld      c, (hl)
        inc     hl
        ld      b, (hl)
        ex      de, hl
1$:
        ld      a, b
        or      a, c
        ret     z
        ld      a, (hl)
        out     (VDP_DATA), a
        inc     hl
        dec     bc
        jr      1$

; void vdp_fill(unsigned char value, unsigned int count)
_vdp_fill::
        ld      hl, #2
        add     hl, sp
        ld      e, (hl)
        inc     hl
        ld      c, (hl)
        inc     hl
        ld      b, (hl)
1$:
        ld      a, b
        or      a, c
        ret     z
        ld      a, e
        out     (VDP_DATA), a
        dec     bc
        jr      1$

; void psg_put(unsigned char value): one latch or data byte to the sound chip.
_psg_put::
        ld      a, l
        out     (PSG_PORT), a
        ret

; unsigned char joypad_read(void): the controls held, active high (bit set = pressed).
_joypad_read::
        in      a, (JOYPAD_A)
        cpl
        and     a, #JOYPAD_MASK
        ld      l, a
        ret
