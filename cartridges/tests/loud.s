; A loud title tune: all three tones at full volume playing chords, a note every eight
; frames, and the noise channel at full volume as a drum for the first two frames of each.
; Four channels at full volume add up past what one 16-bit sample holds: the chip's mix
; clamps them, the console's output stage has the room. For counting clamped samples.
        .module loud
        .include "console.inc"

PSG_LATCH       = 0x80          ; | channel << 5 | type << 4 | low four bits
FRAME_LOOPS     = 2287          ; turns of `wait` in a frame of 59,474 cycles (26 each)

; One tone's period: the latch byte with its low four bits, then the data byte with the rest.
        .macro  PERIOD channel, value
        .db     PSG_LATCH | (channel << 5) | (value & 0x0F), (value >> 4)
        .endm
; A chord: tone 0's melody, tone 1's harmony, tone 2's bass (period registers: 3579545 / (32 x
; the frequency)).
        .macro  CHORD melody, harmony, bass
        PERIOD  0, melody
        PERIOD  1, harmony
        PERIOD  2, bass
        .endm

        .area   _HEADER (ABS)
        .org    0x0000
        di
        ld      sp, #STACK_TOP
        jp      start

        .org    0x0066
        retn

start:
        ld      c, #PSG_PORT
        ld      hl, #voices
        ld      b, #5
        otir
tune:   ld      hl, #chords
        ld      e, #CHORDS
chord:  ld      b, #6
        otir                            ; the chord's three periods
        ld      a, #PSG_LATCH | 0x70    ; the drum: noise at full volume
        out     (PSG_PORT), a
        ld      bc, #2 * FRAME_LOOPS
        call    wait
        ld      a, #PSG_LATCH | 0x7F    ; and silent for the rest of the note
        out     (PSG_PORT), a
        ld      bc, #6 * FRAME_LOOPS
        call    wait
        ld      c, #PSG_PORT
        dec     e
        jr      nz, chord
        jr      tune

wait:   dec     bc
        ld      a, b
        or      c
        jr      nz, wait
        ret

; The three tones at full volume, white noise at its fastest rate, the noise silent.
voices: .db     PSG_LATCH | 0x10, PSG_LATCH | 0x30, PSG_LATCH | 0x50, PSG_LATCH | 0x64
        .db     PSG_LATCH | 0x7F

CHORDS          = 8
chords: CHORD   214, 339, 855       ; C5 E4 C3
        CHORD   190, 339, 855       ; D5 E4 C3
        CHORD   170, 428, 1017      ; E5 C4 A2
        CHORD   214, 428, 1017      ; C5 C4 A2
        CHORD   214, 320, 641       ; C5 F4 F3
        CHORD   160, 320, 641       ; F5 F4 F3
        CHORD   226, 381, 571       ; B4 D4 G3
        CHORD   285, 381, 571       ; G4 D4 G3

        .area   _CODE
        .area   _DATA
