; Frame interrupts. Port A, read once at start, picks what the program does:
;   nothing pressed  video interrupts on, CPU interrupts on; the handler counts and never
;                    reads the status, so the request stays up and the interrupt is taken
;                    again as soon as the handler re-enables interrupts
;   button 1         the same, but the handler reads the status (acknowledges)
;   button 2         video interrupts on, CPU interrupts off; the program idles
;   up               video interrupt enable clear, CPU interrupts on
; The pause button (NMI) counts itself and reads the status in every mode.
        .module irq
        .include "console.inc"

IRQ_COUNT       = 0xC000        ; 16 bits: maskable interrupts taken
MODE            = 0xC002        ; port A as read at start
ACK             = 0xC003        ; non-zero: the handler reads the status
IRQ_STATUS      = 0xC004        ; status byte the handler read last
NMI_COUNT       = 0xC005        ; pause presses seen
NMI_STATUS      = 0xC006        ; status byte the NMI handler read, one per press
REG1_IRQ_ON     = 0xE0          ; 16K, display on, interrupt enable, Graphics I
REG1_IRQ_OFF    = 0xC0

        .area   _HEADER (ABS)
        .org    0x0000
        di
        im      1
        ld      sp, #STACK_TOP
        jp      start

        .org    0x0038
        push    af
        push    hl
        ld      hl, (IRQ_COUNT)
        inc     hl
        ld      (IRQ_COUNT), hl
        ld      a, (ACK)
        or      a
        jr      z, irq_done
        in      a, (VDP_CTRL)
        ld      (IRQ_STATUS), a
irq_done:
        pop     hl
        pop     af
        ei
        reti

        .org    0x0066
        push    af
        push    hl
        ld      hl, #NMI_COUNT
        inc     (hl)
        ld      a, (hl)
        ld      hl, #NMI_STATUS - 1
        add     a, l            ; NMI_STATUS + count - 1: one byte per press
        ld      l, a
        in      a, (VDP_CTRL)
        ld      (hl), a
        pop     hl
        pop     af
        retn

start:
        in      a, (JOY_A)
        ld      (MODE), a
        ld      b, #REG1_IRQ_ON
        bit     0, a            ; up (active low)
        jr      nz, 1$
        ld      b, #REG1_IRQ_OFF
1$:     bit     4, a            ; button 1
        jr      nz, 2$
        ld      hl, #ACK
        ld      (hl), #1
2$:     ld      a, b
        out     (VDP_CTRL), a
        ld      a, #VDP_REG | 1
        out     (VDP_CTRL), a
        ld      a, (MODE)
        bit     5, a            ; button 2: leave the CPU's interrupts off
        jr      z, idle
        ei
idle:   jr      idle

        .area   _CODE
        .area   _DATA
