; Every Z80 opcode form with the bytes it assembles to, for the disassembler's
; round-trip test. Written by tools/make_opcode_listing.py: edit that, not this.
        .module opcodes
        .zxn                           ; accepts ixh, ixl, iyh, iyl
        .area   _HEADER (ABS)
        .org    0x0100
        nop                          ; 00
        ld bc, #0xc0de               ; 01 de c0
        ld (bc), a                   ; 02
        inc bc                       ; 03
        inc b                        ; 04
        dec b                        ; 05
        ld b, #0x5a                  ; 06 5a
        rlca                         ; 07
        ex af, af'                   ; 08
        add hl, bc                   ; 09
        ld a, (bc)                   ; 0a
        dec bc                       ; 0b
        inc c                        ; 0c
        dec c                        ; 0d
        ld c, #0x5a                  ; 0e 5a
        rrca                         ; 0f
        djnz 0x00ca                  ; 10 b4
        ld de, #0xc0de               ; 11 de c0
        ld (de), a                   ; 12
        inc de                       ; 13
        inc d                        ; 14
        dec d                        ; 15
        ld d, #0x5a                  ; 16 5a
        rla                          ; 17
        jr 0x00fb                    ; 18 d9
        add hl, de                   ; 19
        ld a, (de)                   ; 1a
        dec de                       ; 1b
        inc e                        ; 1c
        dec e                        ; 1d
        ld e, #0x5a                  ; 1e 5a
        rra                          ; 1f
        jr nz, 0x012a                ; 20 fe
        ld hl, #0xc0de               ; 21 de c0
        ld (0xc0de), hl              ; 22 de c0
        inc hl                       ; 23
        inc h                        ; 24
        dec h                        ; 25
        ld h, #0x5a                  ; 26 5a
        daa                          ; 27
        jr z, 0x015d                 ; 28 23
        add hl, hl                   ; 29
        ld hl, (0xc0de)              ; 2a de c0
        dec hl                       ; 2b
        inc l                        ; 2c
        dec l                        ; 2d
        ld l, #0x5a                  ; 2e 5a
        cpl                          ; 2f
        jr nc, 0x018e                ; 30 48
        ld sp, #0xc0de               ; 31 de c0
        ld (0xc0de), a               ; 32 de c0
        inc sp                       ; 33
        inc (hl)                     ; 34
        dec (hl)                     ; 35
        ld (hl), #0x5a               ; 36 5a
        scf                          ; 37
        jr c, 0x01c1                 ; 38 6d
        add hl, sp                   ; 39
        ld a, (0xc0de)               ; 3a de c0
        dec sp                       ; 3b
        inc a                        ; 3c
        dec a                        ; 3d
        ld a, #0x5a                  ; 3e 5a
        ccf                          ; 3f
        ld b, b                      ; 40
        ld b, c                      ; 41
        ld b, d                      ; 42
        ld b, e                      ; 43
        ld b, h                      ; 44
        ld b, l                      ; 45
        ld b, (hl)                   ; 46
        ld b, a                      ; 47
        ld c, b                      ; 48
        ld c, c                      ; 49
        ld c, d                      ; 4a
        ld c, e                      ; 4b
        ld c, h                      ; 4c
        ld c, l                      ; 4d
        ld c, (hl)                   ; 4e
        ld c, a                      ; 4f
        ld d, b                      ; 50
        ld d, c                      ; 51
        ld d, d                      ; 52
        ld d, e                      ; 53
        ld d, h                      ; 54
        ld d, l                      ; 55
        ld d, (hl)                   ; 56
        ld d, a                      ; 57
        ld e, b                      ; 58
        ld e, c                      ; 59
        ld e, d                      ; 5a
        ld e, e                      ; 5b
        ld e, h                      ; 5c
        ld e, l                      ; 5d
        ld e, (hl)                   ; 5e
        ld e, a                      ; 5f
        ld h, b                      ; 60
        ld h, c                      ; 61
        ld h, d                      ; 62
        ld h, e                      ; 63
        ld h, h                      ; 64
        ld h, l                      ; 65
        ld h, (hl)                   ; 66
        ld h, a                      ; 67
        ld l, b                      ; 68
        ld l, c                      ; 69
        ld l, d                      ; 6a
        ld l, e                      ; 6b
        ld l, h                      ; 6c
        ld l, l                      ; 6d
        ld l, (hl)                   ; 6e
        ld l, a                      ; 6f
        ld (hl), b                   ; 70
        ld (hl), c                   ; 71
        ld (hl), d                   ; 72
        ld (hl), e                   ; 73
        ld (hl), h                   ; 74
        ld (hl), l                   ; 75
        halt                         ; 76
        ld (hl), a                   ; 77
        ld a, b                      ; 78
        ld a, c                      ; 79
        ld a, d                      ; 7a
        ld a, e                      ; 7b
        ld a, h                      ; 7c
        ld a, l                      ; 7d
        ld a, (hl)                   ; 7e
        ld a, a                      ; 7f
        add a, b                     ; 80
        add a, c                     ; 81
        add a, d                     ; 82
        add a, e                     ; 83
        add a, h                     ; 84
        add a, l                     ; 85
        add a, (hl)                  ; 86
        add a, a                     ; 87
        adc a, b                     ; 88
        adc a, c                     ; 89
        adc a, d                     ; 8a
        adc a, e                     ; 8b
        adc a, h                     ; 8c
        adc a, l                     ; 8d
        adc a, (hl)                  ; 8e
        adc a, a                     ; 8f
        sub a, b                     ; 90
        sub a, c                     ; 91
        sub a, d                     ; 92
        sub a, e                     ; 93
        sub a, h                     ; 94
        sub a, l                     ; 95
        sub a, (hl)                  ; 96
        sub a, a                     ; 97
        sbc a, b                     ; 98
        sbc a, c                     ; 99
        sbc a, d                     ; 9a
        sbc a, e                     ; 9b
        sbc a, h                     ; 9c
        sbc a, l                     ; 9d
        sbc a, (hl)                  ; 9e
        sbc a, a                     ; 9f
        and a, b                     ; a0
        and a, c                     ; a1
        and a, d                     ; a2
        and a, e                     ; a3
        and a, h                     ; a4
        and a, l                     ; a5
        and a, (hl)                  ; a6
        and a, a                     ; a7
        xor a, b                     ; a8
        xor a, c                     ; a9
        xor a, d                     ; aa
        xor a, e                     ; ab
        xor a, h                     ; ac
        xor a, l                     ; ad
        xor a, (hl)                  ; ae
        xor a, a                     ; af
        or a, b                      ; b0
        or a, c                      ; b1
        or a, d                      ; b2
        or a, e                      ; b3
        or a, h                      ; b4
        or a, l                      ; b5
        or a, (hl)                   ; b6
        or a, a                      ; b7
        cp a, b                      ; b8
        cp a, c                      ; b9
        cp a, d                      ; ba
        cp a, e                      ; bb
        cp a, h                      ; bc
        cp a, l                      ; bd
        cp a, (hl)                   ; be
        cp a, a                      ; bf
        ret nz                       ; c0
        pop bc                       ; c1
        jp nz, 0xc0de                ; c2 de c0
        jp 0xc0de                    ; c3 de c0
        call nz, 0xc0de              ; c4 de c0
        push bc                      ; c5
        add a, #0x5a                 ; c6 5a
        rst 0x00                     ; c7
        ret z                        ; c8
        ret                          ; c9
        jp z, 0xc0de                 ; ca de c0
        call z, 0xc0de               ; cc de c0
        call 0xc0de                  ; cd de c0
        adc a, #0x5a                 ; ce 5a
        rst 0x08                     ; cf
        ret nc                       ; d0
        pop de                       ; d1
        jp nc, 0xc0de                ; d2 de c0
        out (0x5a), a                ; d3 5a
        call nc, 0xc0de              ; d4 de c0
        push de                      ; d5
        sub a, #0x5a                 ; d6 5a
        rst 0x10                     ; d7
        ret c                        ; d8
        exx                          ; d9
        jp c, 0xc0de                 ; da de c0
        in a, (0x5a)                 ; db 5a
        call c, 0xc0de               ; dc de c0
        sbc a, #0x5a                 ; de 5a
        rst 0x18                     ; df
        ret po                       ; e0
        pop hl                       ; e1
        jp po, 0xc0de                ; e2 de c0
        ex (sp), hl                  ; e3
        call po, 0xc0de              ; e4 de c0
        push hl                      ; e5
        and a, #0x5a                 ; e6 5a
        rst 0x20                     ; e7
        ret pe                       ; e8
        jp (hl)                      ; e9
        jp pe, 0xc0de                ; ea de c0
        ex de, hl                    ; eb
        call pe, 0xc0de              ; ec de c0
        xor a, #0x5a                 ; ee 5a
        rst 0x28                     ; ef
        ret p                        ; f0
        pop af                       ; f1
        jp p, 0xc0de                 ; f2 de c0
        di                           ; f3
        call p, 0xc0de               ; f4 de c0
        push af                      ; f5
        or a, #0x5a                  ; f6 5a
        rst 0x30                     ; f7
        ret m                        ; f8
        ld sp, hl                    ; f9
        jp m, 0xc0de                 ; fa de c0
        ei                           ; fb
        call m, 0xc0de               ; fc de c0
        cp a, #0x5a                  ; fe 5a
        rst 0x38                     ; ff
        rlc b                        ; cb 00
        rlc c                        ; cb 01
        rlc d                        ; cb 02
        rlc e                        ; cb 03
        rlc h                        ; cb 04
        rlc l                        ; cb 05
        rlc (hl)                     ; cb 06
        rlc a                        ; cb 07
        rrc b                        ; cb 08
        rrc c                        ; cb 09
        rrc d                        ; cb 0a
        rrc e                        ; cb 0b
        rrc h                        ; cb 0c
        rrc l                        ; cb 0d
        rrc (hl)                     ; cb 0e
        rrc a                        ; cb 0f
        rl b                         ; cb 10
        rl c                         ; cb 11
        rl d                         ; cb 12
        rl e                         ; cb 13
        rl h                         ; cb 14
        rl l                         ; cb 15
        rl (hl)                      ; cb 16
        rl a                         ; cb 17
        rr b                         ; cb 18
        rr c                         ; cb 19
        rr d                         ; cb 1a
        rr e                         ; cb 1b
        rr h                         ; cb 1c
        rr l                         ; cb 1d
        rr (hl)                      ; cb 1e
        rr a                         ; cb 1f
        sla b                        ; cb 20
        sla c                        ; cb 21
        sla d                        ; cb 22
        sla e                        ; cb 23
        sla h                        ; cb 24
        sla l                        ; cb 25
        sla (hl)                     ; cb 26
        sla a                        ; cb 27
        sra b                        ; cb 28
        sra c                        ; cb 29
        sra d                        ; cb 2a
        sra e                        ; cb 2b
        sra h                        ; cb 2c
        sra l                        ; cb 2d
        sra (hl)                     ; cb 2e
        sra a                        ; cb 2f
        .db 0xcb, 0x30               ; cb 30
        .db 0xcb, 0x31               ; cb 31
        .db 0xcb, 0x32               ; cb 32
        .db 0xcb, 0x33               ; cb 33
        .db 0xcb, 0x34               ; cb 34
        .db 0xcb, 0x35               ; cb 35
        .db 0xcb, 0x36               ; cb 36
        .db 0xcb, 0x37               ; cb 37
        srl b                        ; cb 38
        srl c                        ; cb 39
        srl d                        ; cb 3a
        srl e                        ; cb 3b
        srl h                        ; cb 3c
        srl l                        ; cb 3d
        srl (hl)                     ; cb 3e
        srl a                        ; cb 3f
        bit 0, b                     ; cb 40
        bit 0, c                     ; cb 41
        bit 0, d                     ; cb 42
        bit 0, e                     ; cb 43
        bit 0, h                     ; cb 44
        bit 0, l                     ; cb 45
        bit 0, (hl)                  ; cb 46
        bit 0, a                     ; cb 47
        bit 1, b                     ; cb 48
        bit 1, c                     ; cb 49
        bit 1, d                     ; cb 4a
        bit 1, e                     ; cb 4b
        bit 1, h                     ; cb 4c
        bit 1, l                     ; cb 4d
        bit 1, (hl)                  ; cb 4e
        bit 1, a                     ; cb 4f
        bit 2, b                     ; cb 50
        bit 2, c                     ; cb 51
        bit 2, d                     ; cb 52
        bit 2, e                     ; cb 53
        bit 2, h                     ; cb 54
        bit 2, l                     ; cb 55
        bit 2, (hl)                  ; cb 56
        bit 2, a                     ; cb 57
        bit 3, b                     ; cb 58
        bit 3, c                     ; cb 59
        bit 3, d                     ; cb 5a
        bit 3, e                     ; cb 5b
        bit 3, h                     ; cb 5c
        bit 3, l                     ; cb 5d
        bit 3, (hl)                  ; cb 5e
        bit 3, a                     ; cb 5f
        bit 4, b                     ; cb 60
        bit 4, c                     ; cb 61
        bit 4, d                     ; cb 62
        bit 4, e                     ; cb 63
        bit 4, h                     ; cb 64
        bit 4, l                     ; cb 65
        bit 4, (hl)                  ; cb 66
        bit 4, a                     ; cb 67
        bit 5, b                     ; cb 68
        bit 5, c                     ; cb 69
        bit 5, d                     ; cb 6a
        bit 5, e                     ; cb 6b
        bit 5, h                     ; cb 6c
        bit 5, l                     ; cb 6d
        bit 5, (hl)                  ; cb 6e
        bit 5, a                     ; cb 6f
        bit 6, b                     ; cb 70
        bit 6, c                     ; cb 71
        bit 6, d                     ; cb 72
        bit 6, e                     ; cb 73
        bit 6, h                     ; cb 74
        bit 6, l                     ; cb 75
        bit 6, (hl)                  ; cb 76
        bit 6, a                     ; cb 77
        bit 7, b                     ; cb 78
        bit 7, c                     ; cb 79
        bit 7, d                     ; cb 7a
        bit 7, e                     ; cb 7b
        bit 7, h                     ; cb 7c
        bit 7, l                     ; cb 7d
        bit 7, (hl)                  ; cb 7e
        bit 7, a                     ; cb 7f
        res 0, b                     ; cb 80
        res 0, c                     ; cb 81
        res 0, d                     ; cb 82
        res 0, e                     ; cb 83
        res 0, h                     ; cb 84
        res 0, l                     ; cb 85
        res 0, (hl)                  ; cb 86
        res 0, a                     ; cb 87
        res 1, b                     ; cb 88
        res 1, c                     ; cb 89
        res 1, d                     ; cb 8a
        res 1, e                     ; cb 8b
        res 1, h                     ; cb 8c
        res 1, l                     ; cb 8d
        res 1, (hl)                  ; cb 8e
        res 1, a                     ; cb 8f
        res 2, b                     ; cb 90
        res 2, c                     ; cb 91
        res 2, d                     ; cb 92
        res 2, e                     ; cb 93
        res 2, h                     ; cb 94
        res 2, l                     ; cb 95
        res 2, (hl)                  ; cb 96
        res 2, a                     ; cb 97
        res 3, b                     ; cb 98
        res 3, c                     ; cb 99
        res 3, d                     ; cb 9a
        res 3, e                     ; cb 9b
        res 3, h                     ; cb 9c
        res 3, l                     ; cb 9d
        res 3, (hl)                  ; cb 9e
        res 3, a                     ; cb 9f
        res 4, b                     ; cb a0
        res 4, c                     ; cb a1
        res 4, d                     ; cb a2
        res 4, e                     ; cb a3
        res 4, h                     ; cb a4
        res 4, l                     ; cb a5
        res 4, (hl)                  ; cb a6
        res 4, a                     ; cb a7
        res 5, b                     ; cb a8
        res 5, c                     ; cb a9
        res 5, d                     ; cb aa
        res 5, e                     ; cb ab
        res 5, h                     ; cb ac
        res 5, l                     ; cb ad
        res 5, (hl)                  ; cb ae
        res 5, a                     ; cb af
        res 6, b                     ; cb b0
        res 6, c                     ; cb b1
        res 6, d                     ; cb b2
        res 6, e                     ; cb b3
        res 6, h                     ; cb b4
        res 6, l                     ; cb b5
        res 6, (hl)                  ; cb b6
        res 6, a                     ; cb b7
        res 7, b                     ; cb b8
        res 7, c                     ; cb b9
        res 7, d                     ; cb ba
        res 7, e                     ; cb bb
        res 7, h                     ; cb bc
        res 7, l                     ; cb bd
        res 7, (hl)                  ; cb be
        res 7, a                     ; cb bf
        set 0, b                     ; cb c0
        set 0, c                     ; cb c1
        set 0, d                     ; cb c2
        set 0, e                     ; cb c3
        set 0, h                     ; cb c4
        set 0, l                     ; cb c5
        set 0, (hl)                  ; cb c6
        set 0, a                     ; cb c7
        set 1, b                     ; cb c8
        set 1, c                     ; cb c9
        set 1, d                     ; cb ca
        set 1, e                     ; cb cb
        set 1, h                     ; cb cc
        set 1, l                     ; cb cd
        set 1, (hl)                  ; cb ce
        set 1, a                     ; cb cf
        set 2, b                     ; cb d0
        set 2, c                     ; cb d1
        set 2, d                     ; cb d2
        set 2, e                     ; cb d3
        set 2, h                     ; cb d4
        set 2, l                     ; cb d5
        set 2, (hl)                  ; cb d6
        set 2, a                     ; cb d7
        set 3, b                     ; cb d8
        set 3, c                     ; cb d9
        set 3, d                     ; cb da
        set 3, e                     ; cb db
        set 3, h                     ; cb dc
        set 3, l                     ; cb dd
        set 3, (hl)                  ; cb de
        set 3, a                     ; cb df
        set 4, b                     ; cb e0
        set 4, c                     ; cb e1
        set 4, d                     ; cb e2
        set 4, e                     ; cb e3
        set 4, h                     ; cb e4
        set 4, l                     ; cb e5
        set 4, (hl)                  ; cb e6
        set 4, a                     ; cb e7
        set 5, b                     ; cb e8
        set 5, c                     ; cb e9
        set 5, d                     ; cb ea
        set 5, e                     ; cb eb
        set 5, h                     ; cb ec
        set 5, l                     ; cb ed
        set 5, (hl)                  ; cb ee
        set 5, a                     ; cb ef
        set 6, b                     ; cb f0
        set 6, c                     ; cb f1
        set 6, d                     ; cb f2
        set 6, e                     ; cb f3
        set 6, h                     ; cb f4
        set 6, l                     ; cb f5
        set 6, (hl)                  ; cb f6
        set 6, a                     ; cb f7
        set 7, b                     ; cb f8
        set 7, c                     ; cb f9
        set 7, d                     ; cb fa
        set 7, e                     ; cb fb
        set 7, h                     ; cb fc
        set 7, l                     ; cb fd
        set 7, (hl)                  ; cb fe
        set 7, a                     ; cb ff
        .db 0xed, 0x00               ; ed 00
        .db 0xed, 0x01               ; ed 01
        .db 0xed, 0x02               ; ed 02
        .db 0xed, 0x03               ; ed 03
        .db 0xed, 0x04               ; ed 04
        .db 0xed, 0x05               ; ed 05
        .db 0xed, 0x06               ; ed 06
        .db 0xed, 0x07               ; ed 07
        .db 0xed, 0x08               ; ed 08
        .db 0xed, 0x09               ; ed 09
        .db 0xed, 0x0a               ; ed 0a
        .db 0xed, 0x0b               ; ed 0b
        .db 0xed, 0x0c               ; ed 0c
        .db 0xed, 0x0d               ; ed 0d
        .db 0xed, 0x0e               ; ed 0e
        .db 0xed, 0x0f               ; ed 0f
        .db 0xed, 0x10               ; ed 10
        .db 0xed, 0x11               ; ed 11
        .db 0xed, 0x12               ; ed 12
        .db 0xed, 0x13               ; ed 13
        .db 0xed, 0x14               ; ed 14
        .db 0xed, 0x15               ; ed 15
        .db 0xed, 0x16               ; ed 16
        .db 0xed, 0x17               ; ed 17
        .db 0xed, 0x18               ; ed 18
        .db 0xed, 0x19               ; ed 19
        .db 0xed, 0x1a               ; ed 1a
        .db 0xed, 0x1b               ; ed 1b
        .db 0xed, 0x1c               ; ed 1c
        .db 0xed, 0x1d               ; ed 1d
        .db 0xed, 0x1e               ; ed 1e
        .db 0xed, 0x1f               ; ed 1f
        .db 0xed, 0x20               ; ed 20
        .db 0xed, 0x21               ; ed 21
        .db 0xed, 0x22               ; ed 22
        .db 0xed, 0x23               ; ed 23
        .db 0xed, 0x24               ; ed 24
        .db 0xed, 0x25               ; ed 25
        .db 0xed, 0x26               ; ed 26
        .db 0xed, 0x27               ; ed 27
        .db 0xed, 0x28               ; ed 28
        .db 0xed, 0x29               ; ed 29
        .db 0xed, 0x2a               ; ed 2a
        .db 0xed, 0x2b               ; ed 2b
        .db 0xed, 0x2c               ; ed 2c
        .db 0xed, 0x2d               ; ed 2d
        .db 0xed, 0x2e               ; ed 2e
        .db 0xed, 0x2f               ; ed 2f
        .db 0xed, 0x30               ; ed 30
        .db 0xed, 0x31               ; ed 31
        .db 0xed, 0x32               ; ed 32
        .db 0xed, 0x33               ; ed 33
        .db 0xed, 0x34               ; ed 34
        .db 0xed, 0x35               ; ed 35
        .db 0xed, 0x36               ; ed 36
        .db 0xed, 0x37               ; ed 37
        .db 0xed, 0x38               ; ed 38
        .db 0xed, 0x39               ; ed 39
        .db 0xed, 0x3a               ; ed 3a
        .db 0xed, 0x3b               ; ed 3b
        .db 0xed, 0x3c               ; ed 3c
        .db 0xed, 0x3d               ; ed 3d
        .db 0xed, 0x3e               ; ed 3e
        .db 0xed, 0x3f               ; ed 3f
        in b, (c)                    ; ed 40
        out (c), b                   ; ed 41
        sbc hl, bc                   ; ed 42
        ld (0xc0de), bc              ; ed 43 de c0
        neg                          ; ed 44
        retn                         ; ed 45
        im 0                         ; ed 46
        ld i, a                      ; ed 47
        in c, (c)                    ; ed 48
        out (c), c                   ; ed 49
        adc hl, bc                   ; ed 4a
        ld bc, (0xc0de)              ; ed 4b de c0
        .db 0xed, 0x4c               ; ed 4c
        reti                         ; ed 4d
        .db 0xed, 0x4e               ; ed 4e
        ld r, a                      ; ed 4f
        in d, (c)                    ; ed 50
        out (c), d                   ; ed 51
        sbc hl, de                   ; ed 52
        ld (0xc0de), de              ; ed 53 de c0
        .db 0xed, 0x54               ; ed 54
        .db 0xed, 0x55               ; ed 55
        im 1                         ; ed 56
        ld a, i                      ; ed 57
        in e, (c)                    ; ed 58
        out (c), e                   ; ed 59
        adc hl, de                   ; ed 5a
        ld de, (0xc0de)              ; ed 5b de c0
        .db 0xed, 0x5c               ; ed 5c
        .db 0xed, 0x5d               ; ed 5d
        im 2                         ; ed 5e
        ld a, r                      ; ed 5f
        in h, (c)                    ; ed 60
        out (c), h                   ; ed 61
        sbc hl, hl                   ; ed 62
        .db 0xed, 0x63, 0xde, 0xc0   ; ed 63 de c0
        .db 0xed, 0x64               ; ed 64
        .db 0xed, 0x65               ; ed 65
        .db 0xed, 0x66               ; ed 66
        rrd                          ; ed 67
        in l, (c)                    ; ed 68
        out (c), l                   ; ed 69
        adc hl, hl                   ; ed 6a
        .db 0xed, 0x6b, 0xde, 0xc0   ; ed 6b de c0
        .db 0xed, 0x6c               ; ed 6c
        .db 0xed, 0x6d               ; ed 6d
        .db 0xed, 0x6e               ; ed 6e
        rld                          ; ed 6f
        .db 0xed, 0x70               ; ed 70
        .db 0xed, 0x71               ; ed 71
        sbc hl, sp                   ; ed 72
        ld (0xc0de), sp              ; ed 73 de c0
        .db 0xed, 0x74               ; ed 74
        .db 0xed, 0x75               ; ed 75
        .db 0xed, 0x76               ; ed 76
        .db 0xed, 0x77               ; ed 77
        in a, (c)                    ; ed 78
        out (c), a                   ; ed 79
        adc hl, sp                   ; ed 7a
        ld sp, (0xc0de)              ; ed 7b de c0
        .db 0xed, 0x7c               ; ed 7c
        .db 0xed, 0x7d               ; ed 7d
        .db 0xed, 0x7e               ; ed 7e
        .db 0xed, 0x7f               ; ed 7f
        .db 0xed, 0x80               ; ed 80
        .db 0xed, 0x81               ; ed 81
        .db 0xed, 0x82               ; ed 82
        .db 0xed, 0x83               ; ed 83
        .db 0xed, 0x84               ; ed 84
        .db 0xed, 0x85               ; ed 85
        .db 0xed, 0x86               ; ed 86
        .db 0xed, 0x87               ; ed 87
        .db 0xed, 0x88               ; ed 88
        .db 0xed, 0x89               ; ed 89
        .db 0xed, 0x8a               ; ed 8a
        .db 0xed, 0x8b               ; ed 8b
        .db 0xed, 0x8c               ; ed 8c
        .db 0xed, 0x8d               ; ed 8d
        .db 0xed, 0x8e               ; ed 8e
        .db 0xed, 0x8f               ; ed 8f
        .db 0xed, 0x90               ; ed 90
        .db 0xed, 0x91               ; ed 91
        .db 0xed, 0x92               ; ed 92
        .db 0xed, 0x93               ; ed 93
        .db 0xed, 0x94               ; ed 94
        .db 0xed, 0x95               ; ed 95
        .db 0xed, 0x96               ; ed 96
        .db 0xed, 0x97               ; ed 97
        .db 0xed, 0x98               ; ed 98
        .db 0xed, 0x99               ; ed 99
        .db 0xed, 0x9a               ; ed 9a
        .db 0xed, 0x9b               ; ed 9b
        .db 0xed, 0x9c               ; ed 9c
        .db 0xed, 0x9d               ; ed 9d
        .db 0xed, 0x9e               ; ed 9e
        .db 0xed, 0x9f               ; ed 9f
        ldi                          ; ed a0
        cpi                          ; ed a1
        ini                          ; ed a2
        outi                         ; ed a3
        .db 0xed, 0xa4               ; ed a4
        .db 0xed, 0xa5               ; ed a5
        .db 0xed, 0xa6               ; ed a6
        .db 0xed, 0xa7               ; ed a7
        ldd                          ; ed a8
        cpd                          ; ed a9
        ind                          ; ed aa
        outd                         ; ed ab
        .db 0xed, 0xac               ; ed ac
        .db 0xed, 0xad               ; ed ad
        .db 0xed, 0xae               ; ed ae
        .db 0xed, 0xaf               ; ed af
        ldir                         ; ed b0
        cpir                         ; ed b1
        inir                         ; ed b2
        otir                         ; ed b3
        .db 0xed, 0xb4               ; ed b4
        .db 0xed, 0xb5               ; ed b5
        .db 0xed, 0xb6               ; ed b6
        .db 0xed, 0xb7               ; ed b7
        lddr                         ; ed b8
        cpdr                         ; ed b9
        indr                         ; ed ba
        otdr                         ; ed bb
        .db 0xed, 0xbc               ; ed bc
        .db 0xed, 0xbd               ; ed bd
        .db 0xed, 0xbe               ; ed be
        .db 0xed, 0xbf               ; ed bf
        .db 0xed, 0xc0               ; ed c0
        .db 0xed, 0xc1               ; ed c1
        .db 0xed, 0xc2               ; ed c2
        .db 0xed, 0xc3               ; ed c3
        .db 0xed, 0xc4               ; ed c4
        .db 0xed, 0xc5               ; ed c5
        .db 0xed, 0xc6               ; ed c6
        .db 0xed, 0xc7               ; ed c7
        .db 0xed, 0xc8               ; ed c8
        .db 0xed, 0xc9               ; ed c9
        .db 0xed, 0xca               ; ed ca
        .db 0xed, 0xcb               ; ed cb
        .db 0xed, 0xcc               ; ed cc
        .db 0xed, 0xcd               ; ed cd
        .db 0xed, 0xce               ; ed ce
        .db 0xed, 0xcf               ; ed cf
        .db 0xed, 0xd0               ; ed d0
        .db 0xed, 0xd1               ; ed d1
        .db 0xed, 0xd2               ; ed d2
        .db 0xed, 0xd3               ; ed d3
        .db 0xed, 0xd4               ; ed d4
        .db 0xed, 0xd5               ; ed d5
        .db 0xed, 0xd6               ; ed d6
        .db 0xed, 0xd7               ; ed d7
        .db 0xed, 0xd8               ; ed d8
        .db 0xed, 0xd9               ; ed d9
        .db 0xed, 0xda               ; ed da
        .db 0xed, 0xdb               ; ed db
        .db 0xed, 0xdc               ; ed dc
        .db 0xed, 0xdd               ; ed dd
        .db 0xed, 0xde               ; ed de
        .db 0xed, 0xdf               ; ed df
        .db 0xed, 0xe0               ; ed e0
        .db 0xed, 0xe1               ; ed e1
        .db 0xed, 0xe2               ; ed e2
        .db 0xed, 0xe3               ; ed e3
        .db 0xed, 0xe4               ; ed e4
        .db 0xed, 0xe5               ; ed e5
        .db 0xed, 0xe6               ; ed e6
        .db 0xed, 0xe7               ; ed e7
        .db 0xed, 0xe8               ; ed e8
        .db 0xed, 0xe9               ; ed e9
        .db 0xed, 0xea               ; ed ea
        .db 0xed, 0xeb               ; ed eb
        .db 0xed, 0xec               ; ed ec
        .db 0xed, 0xed               ; ed ed
        .db 0xed, 0xee               ; ed ee
        .db 0xed, 0xef               ; ed ef
        .db 0xed, 0xf0               ; ed f0
        .db 0xed, 0xf1               ; ed f1
        .db 0xed, 0xf2               ; ed f2
        .db 0xed, 0xf3               ; ed f3
        .db 0xed, 0xf4               ; ed f4
        .db 0xed, 0xf5               ; ed f5
        .db 0xed, 0xf6               ; ed f6
        .db 0xed, 0xf7               ; ed f7
        .db 0xed, 0xf8               ; ed f8
        .db 0xed, 0xf9               ; ed f9
        .db 0xed, 0xfa               ; ed fa
        .db 0xed, 0xfb               ; ed fb
        .db 0xed, 0xfc               ; ed fc
        .db 0xed, 0xfd               ; ed fd
        .db 0xed, 0xfe               ; ed fe
        .db 0xed, 0xff               ; ed ff
        .db 0xdd                     ; dd
        nop                          ; 00
        .db 0xdd                     ; dd
        ld bc, #0xc0de               ; 01 de c0
        .db 0xdd                     ; dd
        ld (bc), a                   ; 02
        .db 0xdd                     ; dd
        inc bc                       ; 03
        .db 0xdd                     ; dd
        inc b                        ; 04
        .db 0xdd                     ; dd
        dec b                        ; 05
        .db 0xdd                     ; dd
        ld b, #0x5a                  ; 06 5a
        .db 0xdd                     ; dd
        rlca                         ; 07
        .db 0xdd                     ; dd
        ex af, af'                   ; 08
        add ix, bc                   ; dd 09
        .db 0xdd                     ; dd
        ld a, (bc)                   ; 0a
        .db 0xdd                     ; dd
        dec bc                       ; 0b
        .db 0xdd                     ; dd
        inc c                        ; 0c
        .db 0xdd                     ; dd
        dec c                        ; 0d
        .db 0xdd                     ; dd
        ld c, #0x5a                  ; 0e 5a
        .db 0xdd                     ; dd
        rrca                         ; 0f
        .db 0xdd                     ; dd
        djnz 0x0633                  ; 10 b4
        .db 0xdd                     ; dd
        ld de, #0xc0de               ; 11 de c0
        .db 0xdd                     ; dd
        ld (de), a                   ; 12
        .db 0xdd                     ; dd
        inc de                       ; 13
        .db 0xdd                     ; dd
        inc d                        ; 14
        .db 0xdd                     ; dd
        dec d                        ; 15
        .db 0xdd                     ; dd
        ld d, #0x5a                  ; 16 5a
        .db 0xdd                     ; dd
        rla                          ; 17
        .db 0xdd                     ; dd
        jr 0x066c                    ; 18 d9
        add ix, de                   ; dd 19
        .db 0xdd                     ; dd
        ld a, (de)                   ; 1a
        .db 0xdd                     ; dd
        dec de                       ; 1b
        .db 0xdd                     ; dd
        inc e                        ; 1c
        .db 0xdd                     ; dd
        dec e                        ; 1d
        .db 0xdd                     ; dd
        ld e, #0x5a                  ; 1e 5a
        .db 0xdd                     ; dd
        rra                          ; 1f
        .db 0xdd                     ; dd
        jr nz, 0x06a3                ; 20 fe
        ld ix, #0xc0de               ; dd 21 de c0
        ld (0xc0de), ix              ; dd 22 de c0
        inc ix                       ; dd 23
        inc ixh                      ; dd 24
        dec ixh                      ; dd 25
        ld ixh, #0x5a                ; dd 26 5a
        .db 0xdd                     ; dd
        daa                          ; 27
        .db 0xdd                     ; dd
        jr z, 0x06de                 ; 28 23
        add ix, ix                   ; dd 29
        ld ix, (0xc0de)              ; dd 2a de c0
        dec ix                       ; dd 2b
        inc ixl                      ; dd 2c
        dec ixl                      ; dd 2d
        ld ixl, #0x5a                ; dd 2e 5a
        .db 0xdd                     ; dd
        cpl                          ; 2f
        .db 0xdd                     ; dd
        jr nc, 0x0717                ; 30 48
        .db 0xdd                     ; dd
        ld sp, #0xc0de               ; 31 de c0
        .db 0xdd                     ; dd
        ld (0xc0de), a               ; 32 de c0
        .db 0xdd                     ; dd
        inc sp                       ; 33
        inc -20 (ix)                 ; dd 34 ec
        dec -13 (ix)                 ; dd 35 f3
        ld -6 (ix), #0x5a            ; dd 36 fa 5a
        .db 0xdd                     ; dd
        scf                          ; 37
        .db 0xdd                     ; dd
        jr c, 0x0755                 ; 38 6d
        add ix, sp                   ; dd 39
        .db 0xdd                     ; dd
        ld a, (0xc0de)               ; 3a de c0
        .db 0xdd                     ; dd
        dec sp                       ; 3b
        .db 0xdd                     ; dd
        inc a                        ; 3c
        .db 0xdd                     ; dd
        dec a                        ; 3d
        .db 0xdd                     ; dd
        ld a, #0x5a                  ; 3e 5a
        .db 0xdd                     ; dd
        ccf                          ; 3f
        .db 0xdd                     ; dd
        ld b, b                      ; 40
        .db 0xdd                     ; dd
        ld b, c                      ; 41
        .db 0xdd                     ; dd
        ld b, d                      ; 42
        .db 0xdd                     ; dd
        ld b, e                      ; 43
        ld b, ixh                    ; dd 44
        ld b, ixl                    ; dd 45
        ld b, 106 (ix)               ; dd 46 6a
        .db 0xdd                     ; dd
        ld b, a                      ; 47
        .db 0xdd                     ; dd
        ld c, b                      ; 48
        .db 0xdd                     ; dd
        ld c, c                      ; 49
        .db 0xdd                     ; dd
        ld c, d                      ; 4a
        .db 0xdd                     ; dd
        ld c, e                      ; 4b
        ld c, ixh                    ; dd 4c
        ld c, ixl                    ; dd 4d
        ld c, -94 (ix)               ; dd 4e a2
        .db 0xdd                     ; dd
        ld c, a                      ; 4f
        .db 0xdd                     ; dd
        ld d, b                      ; 50
        .db 0xdd                     ; dd
        ld d, c                      ; 51
        .db 0xdd                     ; dd
        ld d, d                      ; 52
        .db 0xdd                     ; dd
        ld d, e                      ; 53
        ld d, ixh                    ; dd 54
        ld d, ixl                    ; dd 55
        ld d, -38 (ix)               ; dd 56 da
        .db 0xdd                     ; dd
        ld d, a                      ; 57
        .db 0xdd                     ; dd
        ld e, b                      ; 58
        .db 0xdd                     ; dd
        ld e, c                      ; 59
        .db 0xdd                     ; dd
        ld e, d                      ; 5a
        .db 0xdd                     ; dd
        ld e, e                      ; 5b
        ld e, ixh                    ; dd 5c
        ld e, ixl                    ; dd 5d
        ld e, 18 (ix)                ; dd 5e 12
        .db 0xdd                     ; dd
        ld e, a                      ; 5f
        ld ixh, b                    ; dd 60
        ld ixh, c                    ; dd 61
        ld ixh, d                    ; dd 62
        ld ixh, e                    ; dd 63
        .db 0xdd                     ; dd
        ld h, h                      ; 64
        ld ixh, ixl                  ; dd 65
        ld h, 74 (ix)                ; dd 66 4a
        ld ixh, a                    ; dd 67
        ld ixl, b                    ; dd 68
        ld ixl, c                    ; dd 69
        ld ixl, d                    ; dd 6a
        ld ixl, e                    ; dd 6b
        ld ixl, ixh                  ; dd 6c
        .db 0xdd                     ; dd
        ld l, l                      ; 6d
        ld l, -126 (ix)              ; dd 6e 82
        ld ixl, a                    ; dd 6f
        ld -112 (ix), b              ; dd 70 90
        ld -105 (ix), c              ; dd 71 97
        ld -98 (ix), d               ; dd 72 9e
        ld -91 (ix), e               ; dd 73 a5
        ld -84 (ix), h               ; dd 74 ac
        ld -77 (ix), l               ; dd 75 b3
        .db 0xdd                     ; dd
        halt                         ; 76
        ld -63 (ix), a               ; dd 77 c1
        .db 0xdd                     ; dd
        ld a, b                      ; 78
        .db 0xdd                     ; dd
        ld a, c                      ; 79
        .db 0xdd                     ; dd
        ld a, d                      ; 7a
        .db 0xdd                     ; dd
        ld a, e                      ; 7b
        ld a, ixh                    ; dd 7c
        ld a, ixl                    ; dd 7d
        ld a, -14 (ix)               ; dd 7e f2
        .db 0xdd                     ; dd
        ld a, a                      ; 7f
        .db 0xdd                     ; dd
        add a, b                     ; 80
        .db 0xdd                     ; dd
        add a, c                     ; 81
        .db 0xdd                     ; dd
        add a, d                     ; 82
        .db 0xdd                     ; dd
        add a, e                     ; 83
        add a, ixh                   ; dd 84
        add a, ixl                   ; dd 85
        add a, 42 (ix)               ; dd 86 2a
        .db 0xdd                     ; dd
        add a, a                     ; 87
        .db 0xdd                     ; dd
        adc a, b                     ; 88
        .db 0xdd                     ; dd
        adc a, c                     ; 89
        .db 0xdd                     ; dd
        adc a, d                     ; 8a
        .db 0xdd                     ; dd
        adc a, e                     ; 8b
        adc a, ixh                   ; dd 8c
        adc a, ixl                   ; dd 8d
        adc a, 98 (ix)               ; dd 8e 62
        .db 0xdd                     ; dd
        adc a, a                     ; 8f
        .db 0xdd                     ; dd
        sub a, b                     ; 90
        .db 0xdd                     ; dd
        sub a, c                     ; 91
        .db 0xdd                     ; dd
        sub a, d                     ; 92
        .db 0xdd                     ; dd
        sub a, e                     ; 93
        sub a, ixh                   ; dd 94
        sub a, ixl                   ; dd 95
        sub a, -102 (ix)             ; dd 96 9a
        .db 0xdd                     ; dd
        sub a, a                     ; 97
        .db 0xdd                     ; dd
        sbc a, b                     ; 98
        .db 0xdd                     ; dd
        sbc a, c                     ; 99
        .db 0xdd                     ; dd
        sbc a, d                     ; 9a
        .db 0xdd                     ; dd
        sbc a, e                     ; 9b
        sbc a, ixh                   ; dd 9c
        sbc a, ixl                   ; dd 9d
        sbc a, -46 (ix)              ; dd 9e d2
        .db 0xdd                     ; dd
        sbc a, a                     ; 9f
        .db 0xdd                     ; dd
        and a, b                     ; a0
        .db 0xdd                     ; dd
        and a, c                     ; a1
        .db 0xdd                     ; dd
        and a, d                     ; a2
        .db 0xdd                     ; dd
        and a, e                     ; a3
        and a, ixh                   ; dd a4
        and a, ixl                   ; dd a5
        and a, 10 (ix)               ; dd a6 0a
        .db 0xdd                     ; dd
        and a, a                     ; a7
        .db 0xdd                     ; dd
        xor a, b                     ; a8
        .db 0xdd                     ; dd
        xor a, c                     ; a9
        .db 0xdd                     ; dd
        xor a, d                     ; aa
        .db 0xdd                     ; dd
        xor a, e                     ; ab
        xor a, ixh                   ; dd ac
        xor a, ixl                   ; dd ad
        xor a, 66 (ix)               ; dd ae 42
        .db 0xdd                     ; dd
        xor a, a                     ; af
        .db 0xdd                     ; dd
        or a, b                      ; b0
        .db 0xdd                     ; dd
        or a, c                      ; b1
        .db 0xdd                     ; dd
        or a, d                      ; b2
        .db 0xdd                     ; dd
        or a, e                      ; b3
        or a, ixh                    ; dd b4
        or a, ixl                    ; dd b5
        or a, 122 (ix)               ; dd b6 7a
        .db 0xdd                     ; dd
        or a, a                      ; b7
        .db 0xdd                     ; dd
        cp a, b                      ; b8
        .db 0xdd                     ; dd
        cp a, c                      ; b9
        .db 0xdd                     ; dd
        cp a, d                      ; ba
        .db 0xdd                     ; dd
        cp a, e                      ; bb
        cp a, ixh                    ; dd bc
        cp a, ixl                    ; dd bd
        cp a, -78 (ix)               ; dd be b2
        .db 0xdd                     ; dd
        cp a, a                      ; bf
        .db 0xdd                     ; dd
        ret nz                       ; c0
        .db 0xdd                     ; dd
        pop bc                       ; c1
        .db 0xdd                     ; dd
        jp nz, 0xc0de                ; c2 de c0
        .db 0xdd                     ; dd
        jp 0xc0de                    ; c3 de c0
        .db 0xdd                     ; dd
        call nz, 0xc0de              ; c4 de c0
        .db 0xdd                     ; dd
        push bc                      ; c5
        .db 0xdd                     ; dd
        add a, #0x5a                 ; c6 5a
        .db 0xdd                     ; dd
        rst 0x00                     ; c7
        .db 0xdd                     ; dd
        ret z                        ; c8
        .db 0xdd                     ; dd
        ret                          ; c9
        .db 0xdd                     ; dd
        jp z, 0xc0de                 ; ca de c0
        .db 0xdd                     ; dd
        call z, 0xc0de               ; cc de c0
        .db 0xdd                     ; dd
        call 0xc0de                  ; cd de c0
        .db 0xdd                     ; dd
        adc a, #0x5a                 ; ce 5a
        .db 0xdd                     ; dd
        rst 0x08                     ; cf
        .db 0xdd                     ; dd
        ret nc                       ; d0
        .db 0xdd                     ; dd
        pop de                       ; d1
        .db 0xdd                     ; dd
        jp nc, 0xc0de                ; d2 de c0
        .db 0xdd                     ; dd
        out (0x5a), a                ; d3 5a
        .db 0xdd                     ; dd
        call nc, 0xc0de              ; d4 de c0
        .db 0xdd                     ; dd
        push de                      ; d5
        .db 0xdd                     ; dd
        sub a, #0x5a                 ; d6 5a
        .db 0xdd                     ; dd
        rst 0x10                     ; d7
        .db 0xdd                     ; dd
        ret c                        ; d8
        .db 0xdd                     ; dd
        exx                          ; d9
        .db 0xdd                     ; dd
        jp c, 0xc0de                 ; da de c0
        .db 0xdd                     ; dd
        in a, (0x5a)                 ; db 5a
        .db 0xdd                     ; dd
        call c, 0xc0de               ; dc de c0
        .db 0xdd                     ; dd
        ld ix, #0xc0de               ; dd 21 de c0
        .db 0xdd                     ; dd
        sbc a, #0x5a                 ; de 5a
        .db 0xdd                     ; dd
        rst 0x18                     ; df
        .db 0xdd                     ; dd
        ret po                       ; e0
        pop ix                       ; dd e1
        .db 0xdd                     ; dd
        jp po, 0xc0de                ; e2 de c0
        ex (sp), ix                  ; dd e3
        .db 0xdd                     ; dd
        call po, 0xc0de              ; e4 de c0
        push ix                      ; dd e5
        .db 0xdd                     ; dd
        and a, #0x5a                 ; e6 5a
        .db 0xdd                     ; dd
        rst 0x20                     ; e7
        .db 0xdd                     ; dd
        ret pe                       ; e8
        jp (ix)                      ; dd e9
        .db 0xdd                     ; dd
        jp pe, 0xc0de                ; ea de c0
        .db 0xdd                     ; dd
        ex de, hl                    ; eb
        .db 0xdd                     ; dd
        call pe, 0xc0de              ; ec de c0
        .db 0xdd                     ; dd
        neg                          ; ed 44
        .db 0xdd                     ; dd
        xor a, #0x5a                 ; ee 5a
        .db 0xdd                     ; dd
        rst 0x28                     ; ef
        .db 0xdd                     ; dd
        ret p                        ; f0
        .db 0xdd                     ; dd
        pop af                       ; f1
        .db 0xdd                     ; dd
        jp p, 0xc0de                 ; f2 de c0
        .db 0xdd                     ; dd
        di                           ; f3
        .db 0xdd                     ; dd
        call p, 0xc0de               ; f4 de c0
        .db 0xdd                     ; dd
        push af                      ; f5
        .db 0xdd                     ; dd
        or a, #0x5a                  ; f6 5a
        .db 0xdd                     ; dd
        rst 0x30                     ; f7
        .db 0xdd                     ; dd
        ret m                        ; f8
        ld sp, ix                    ; dd f9
        .db 0xdd                     ; dd
        jp m, 0xc0de                 ; fa de c0
        .db 0xdd                     ; dd
        ei                           ; fb
        .db 0xdd                     ; dd
        call m, 0xc0de               ; fc de c0
        .db 0xdd                     ; dd
        ld iy, #0xc0de               ; fd 21 de c0
        .db 0xdd                     ; dd
        cp a, #0x5a                  ; fe 5a
        .db 0xdd                     ; dd
        rst 0x38                     ; ff
        .db 0xdd, 0xcb, 0x80, 0x00   ; dd cb 80 00
        .db 0xdd, 0xcb, 0x8d, 0x01   ; dd cb 8d 01
        .db 0xdd, 0xcb, 0x9a, 0x02   ; dd cb 9a 02
        .db 0xdd, 0xcb, 0xa7, 0x03   ; dd cb a7 03
        .db 0xdd, 0xcb, 0xb4, 0x04   ; dd cb b4 04
        .db 0xdd, 0xcb, 0xc1, 0x05   ; dd cb c1 05
        rlc -50 (ix)                 ; dd cb ce 06
        .db 0xdd, 0xcb, 0xdb, 0x07   ; dd cb db 07
        .db 0xdd, 0xcb, 0xe8, 0x08   ; dd cb e8 08
        .db 0xdd, 0xcb, 0xf5, 0x09   ; dd cb f5 09
        .db 0xdd, 0xcb, 0x02, 0x0a   ; dd cb 02 0a
        .db 0xdd, 0xcb, 0x0f, 0x0b   ; dd cb 0f 0b
        .db 0xdd, 0xcb, 0x1c, 0x0c   ; dd cb 1c 0c
        .db 0xdd, 0xcb, 0x29, 0x0d   ; dd cb 29 0d
        rrc 54 (ix)                  ; dd cb 36 0e
        .db 0xdd, 0xcb, 0x43, 0x0f   ; dd cb 43 0f
        .db 0xdd, 0xcb, 0x50, 0x10   ; dd cb 50 10
        .db 0xdd, 0xcb, 0x5d, 0x11   ; dd cb 5d 11
        .db 0xdd, 0xcb, 0x6a, 0x12   ; dd cb 6a 12
        .db 0xdd, 0xcb, 0x77, 0x13   ; dd cb 77 13
        .db 0xdd, 0xcb, 0x84, 0x14   ; dd cb 84 14
        .db 0xdd, 0xcb, 0x91, 0x15   ; dd cb 91 15
        rl -98 (ix)                  ; dd cb 9e 16
        .db 0xdd, 0xcb, 0xab, 0x17   ; dd cb ab 17
        .db 0xdd, 0xcb, 0xb8, 0x18   ; dd cb b8 18
        .db 0xdd, 0xcb, 0xc5, 0x19   ; dd cb c5 19
        .db 0xdd, 0xcb, 0xd2, 0x1a   ; dd cb d2 1a
        .db 0xdd, 0xcb, 0xdf, 0x1b   ; dd cb df 1b
        .db 0xdd, 0xcb, 0xec, 0x1c   ; dd cb ec 1c
        .db 0xdd, 0xcb, 0xf9, 0x1d   ; dd cb f9 1d
        rr 6 (ix)                    ; dd cb 06 1e
        .db 0xdd, 0xcb, 0x13, 0x1f   ; dd cb 13 1f
        .db 0xdd, 0xcb, 0x20, 0x20   ; dd cb 20 20
        .db 0xdd, 0xcb, 0x2d, 0x21   ; dd cb 2d 21
        .db 0xdd, 0xcb, 0x3a, 0x22   ; dd cb 3a 22
        .db 0xdd, 0xcb, 0x47, 0x23   ; dd cb 47 23
        .db 0xdd, 0xcb, 0x54, 0x24   ; dd cb 54 24
        .db 0xdd, 0xcb, 0x61, 0x25   ; dd cb 61 25
        sla 110 (ix)                 ; dd cb 6e 26
        .db 0xdd, 0xcb, 0x7b, 0x27   ; dd cb 7b 27
        .db 0xdd, 0xcb, 0x88, 0x28   ; dd cb 88 28
        .db 0xdd, 0xcb, 0x95, 0x29   ; dd cb 95 29
        .db 0xdd, 0xcb, 0xa2, 0x2a   ; dd cb a2 2a
        .db 0xdd, 0xcb, 0xaf, 0x2b   ; dd cb af 2b
        .db 0xdd, 0xcb, 0xbc, 0x2c   ; dd cb bc 2c
        .db 0xdd, 0xcb, 0xc9, 0x2d   ; dd cb c9 2d
        sra -42 (ix)                 ; dd cb d6 2e
        .db 0xdd, 0xcb, 0xe3, 0x2f   ; dd cb e3 2f
        .db 0xdd, 0xcb, 0xf0, 0x30   ; dd cb f0 30
        .db 0xdd, 0xcb, 0xfd, 0x31   ; dd cb fd 31
        .db 0xdd, 0xcb, 0x0a, 0x32   ; dd cb 0a 32
        .db 0xdd, 0xcb, 0x17, 0x33   ; dd cb 17 33
        .db 0xdd, 0xcb, 0x24, 0x34   ; dd cb 24 34
        .db 0xdd, 0xcb, 0x31, 0x35   ; dd cb 31 35
        .db 0xdd, 0xcb, 0x3e, 0x36   ; dd cb 3e 36
        .db 0xdd, 0xcb, 0x4b, 0x37   ; dd cb 4b 37
        .db 0xdd, 0xcb, 0x58, 0x38   ; dd cb 58 38
        .db 0xdd, 0xcb, 0x65, 0x39   ; dd cb 65 39
        .db 0xdd, 0xcb, 0x72, 0x3a   ; dd cb 72 3a
        .db 0xdd, 0xcb, 0x7f, 0x3b   ; dd cb 7f 3b
        .db 0xdd, 0xcb, 0x8c, 0x3c   ; dd cb 8c 3c
        .db 0xdd, 0xcb, 0x99, 0x3d   ; dd cb 99 3d
        srl -90 (ix)                 ; dd cb a6 3e
        .db 0xdd, 0xcb, 0xb3, 0x3f   ; dd cb b3 3f
        .db 0xdd, 0xcb, 0xc0, 0x40   ; dd cb c0 40
        .db 0xdd, 0xcb, 0xcd, 0x41   ; dd cb cd 41
        .db 0xdd, 0xcb, 0xda, 0x42   ; dd cb da 42
        .db 0xdd, 0xcb, 0xe7, 0x43   ; dd cb e7 43
        .db 0xdd, 0xcb, 0xf4, 0x44   ; dd cb f4 44
        .db 0xdd, 0xcb, 0x01, 0x45   ; dd cb 01 45
        bit 0, 14 (ix)               ; dd cb 0e 46
        .db 0xdd, 0xcb, 0x1b, 0x47   ; dd cb 1b 47
        .db 0xdd, 0xcb, 0x28, 0x48   ; dd cb 28 48
        .db 0xdd, 0xcb, 0x35, 0x49   ; dd cb 35 49
        .db 0xdd, 0xcb, 0x42, 0x4a   ; dd cb 42 4a
        .db 0xdd, 0xcb, 0x4f, 0x4b   ; dd cb 4f 4b
        .db 0xdd, 0xcb, 0x5c, 0x4c   ; dd cb 5c 4c
        .db 0xdd, 0xcb, 0x69, 0x4d   ; dd cb 69 4d
        bit 1, 118 (ix)              ; dd cb 76 4e
        .db 0xdd, 0xcb, 0x83, 0x4f   ; dd cb 83 4f
        .db 0xdd, 0xcb, 0x90, 0x50   ; dd cb 90 50
        .db 0xdd, 0xcb, 0x9d, 0x51   ; dd cb 9d 51
        .db 0xdd, 0xcb, 0xaa, 0x52   ; dd cb aa 52
        .db 0xdd, 0xcb, 0xb7, 0x53   ; dd cb b7 53
        .db 0xdd, 0xcb, 0xc4, 0x54   ; dd cb c4 54
        .db 0xdd, 0xcb, 0xd1, 0x55   ; dd cb d1 55
        bit 2, -34 (ix)              ; dd cb de 56
        .db 0xdd, 0xcb, 0xeb, 0x57   ; dd cb eb 57
        .db 0xdd, 0xcb, 0xf8, 0x58   ; dd cb f8 58
        .db 0xdd, 0xcb, 0x05, 0x59   ; dd cb 05 59
        .db 0xdd, 0xcb, 0x12, 0x5a   ; dd cb 12 5a
        .db 0xdd, 0xcb, 0x1f, 0x5b   ; dd cb 1f 5b
        .db 0xdd, 0xcb, 0x2c, 0x5c   ; dd cb 2c 5c
        .db 0xdd, 0xcb, 0x39, 0x5d   ; dd cb 39 5d
        bit 3, 70 (ix)               ; dd cb 46 5e
        .db 0xdd, 0xcb, 0x53, 0x5f   ; dd cb 53 5f
        .db 0xdd, 0xcb, 0x60, 0x60   ; dd cb 60 60
        .db 0xdd, 0xcb, 0x6d, 0x61   ; dd cb 6d 61
        .db 0xdd, 0xcb, 0x7a, 0x62   ; dd cb 7a 62
        .db 0xdd, 0xcb, 0x87, 0x63   ; dd cb 87 63
        .db 0xdd, 0xcb, 0x94, 0x64   ; dd cb 94 64
        .db 0xdd, 0xcb, 0xa1, 0x65   ; dd cb a1 65
        bit 4, -82 (ix)              ; dd cb ae 66
        .db 0xdd, 0xcb, 0xbb, 0x67   ; dd cb bb 67
        .db 0xdd, 0xcb, 0xc8, 0x68   ; dd cb c8 68
        .db 0xdd, 0xcb, 0xd5, 0x69   ; dd cb d5 69
        .db 0xdd, 0xcb, 0xe2, 0x6a   ; dd cb e2 6a
        .db 0xdd, 0xcb, 0xef, 0x6b   ; dd cb ef 6b
        .db 0xdd, 0xcb, 0xfc, 0x6c   ; dd cb fc 6c
        .db 0xdd, 0xcb, 0x09, 0x6d   ; dd cb 09 6d
        bit 5, 22 (ix)               ; dd cb 16 6e
        .db 0xdd, 0xcb, 0x23, 0x6f   ; dd cb 23 6f
        .db 0xdd, 0xcb, 0x30, 0x70   ; dd cb 30 70
        .db 0xdd, 0xcb, 0x3d, 0x71   ; dd cb 3d 71
        .db 0xdd, 0xcb, 0x4a, 0x72   ; dd cb 4a 72
        .db 0xdd, 0xcb, 0x57, 0x73   ; dd cb 57 73
        .db 0xdd, 0xcb, 0x64, 0x74   ; dd cb 64 74
        .db 0xdd, 0xcb, 0x71, 0x75   ; dd cb 71 75
        bit 6, 126 (ix)              ; dd cb 7e 76
        .db 0xdd, 0xcb, 0x8b, 0x77   ; dd cb 8b 77
        .db 0xdd, 0xcb, 0x98, 0x78   ; dd cb 98 78
        .db 0xdd, 0xcb, 0xa5, 0x79   ; dd cb a5 79
        .db 0xdd, 0xcb, 0xb2, 0x7a   ; dd cb b2 7a
        .db 0xdd, 0xcb, 0xbf, 0x7b   ; dd cb bf 7b
        .db 0xdd, 0xcb, 0xcc, 0x7c   ; dd cb cc 7c
        .db 0xdd, 0xcb, 0xd9, 0x7d   ; dd cb d9 7d
        bit 7, -26 (ix)              ; dd cb e6 7e
        .db 0xdd, 0xcb, 0xf3, 0x7f   ; dd cb f3 7f
        .db 0xdd, 0xcb, 0x00, 0x80   ; dd cb 00 80
        .db 0xdd, 0xcb, 0x0d, 0x81   ; dd cb 0d 81
        .db 0xdd, 0xcb, 0x1a, 0x82   ; dd cb 1a 82
        .db 0xdd, 0xcb, 0x27, 0x83   ; dd cb 27 83
        .db 0xdd, 0xcb, 0x34, 0x84   ; dd cb 34 84
        .db 0xdd, 0xcb, 0x41, 0x85   ; dd cb 41 85
        res 0, 78 (ix)               ; dd cb 4e 86
        .db 0xdd, 0xcb, 0x5b, 0x87   ; dd cb 5b 87
        .db 0xdd, 0xcb, 0x68, 0x88   ; dd cb 68 88
        .db 0xdd, 0xcb, 0x75, 0x89   ; dd cb 75 89
        .db 0xdd, 0xcb, 0x82, 0x8a   ; dd cb 82 8a
        .db 0xdd, 0xcb, 0x8f, 0x8b   ; dd cb 8f 8b
        .db 0xdd, 0xcb, 0x9c, 0x8c   ; dd cb 9c 8c
        .db 0xdd, 0xcb, 0xa9, 0x8d   ; dd cb a9 8d
        res 1, -74 (ix)              ; dd cb b6 8e
        .db 0xdd, 0xcb, 0xc3, 0x8f   ; dd cb c3 8f
        .db 0xdd, 0xcb, 0xd0, 0x90   ; dd cb d0 90
        .db 0xdd, 0xcb, 0xdd, 0x91   ; dd cb dd 91
        .db 0xdd, 0xcb, 0xea, 0x92   ; dd cb ea 92
        .db 0xdd, 0xcb, 0xf7, 0x93   ; dd cb f7 93
        .db 0xdd, 0xcb, 0x04, 0x94   ; dd cb 04 94
        .db 0xdd, 0xcb, 0x11, 0x95   ; dd cb 11 95
        res 2, 30 (ix)               ; dd cb 1e 96
        .db 0xdd, 0xcb, 0x2b, 0x97   ; dd cb 2b 97
        .db 0xdd, 0xcb, 0x38, 0x98   ; dd cb 38 98
        .db 0xdd, 0xcb, 0x45, 0x99   ; dd cb 45 99
        .db 0xdd, 0xcb, 0x52, 0x9a   ; dd cb 52 9a
        .db 0xdd, 0xcb, 0x5f, 0x9b   ; dd cb 5f 9b
        .db 0xdd, 0xcb, 0x6c, 0x9c   ; dd cb 6c 9c
        .db 0xdd, 0xcb, 0x79, 0x9d   ; dd cb 79 9d
        res 3, -122 (ix)             ; dd cb 86 9e
        .db 0xdd, 0xcb, 0x93, 0x9f   ; dd cb 93 9f
        .db 0xdd, 0xcb, 0xa0, 0xa0   ; dd cb a0 a0
        .db 0xdd, 0xcb, 0xad, 0xa1   ; dd cb ad a1
        .db 0xdd, 0xcb, 0xba, 0xa2   ; dd cb ba a2
        .db 0xdd, 0xcb, 0xc7, 0xa3   ; dd cb c7 a3
        .db 0xdd, 0xcb, 0xd4, 0xa4   ; dd cb d4 a4
        .db 0xdd, 0xcb, 0xe1, 0xa5   ; dd cb e1 a5
        res 4, -18 (ix)              ; dd cb ee a6
        .db 0xdd, 0xcb, 0xfb, 0xa7   ; dd cb fb a7
        .db 0xdd, 0xcb, 0x08, 0xa8   ; dd cb 08 a8
        .db 0xdd, 0xcb, 0x15, 0xa9   ; dd cb 15 a9
        .db 0xdd, 0xcb, 0x22, 0xaa   ; dd cb 22 aa
        .db 0xdd, 0xcb, 0x2f, 0xab   ; dd cb 2f ab
        .db 0xdd, 0xcb, 0x3c, 0xac   ; dd cb 3c ac
        .db 0xdd, 0xcb, 0x49, 0xad   ; dd cb 49 ad
        res 5, 86 (ix)               ; dd cb 56 ae
        .db 0xdd, 0xcb, 0x63, 0xaf   ; dd cb 63 af
        .db 0xdd, 0xcb, 0x70, 0xb0   ; dd cb 70 b0
        .db 0xdd, 0xcb, 0x7d, 0xb1   ; dd cb 7d b1
        .db 0xdd, 0xcb, 0x8a, 0xb2   ; dd cb 8a b2
        .db 0xdd, 0xcb, 0x97, 0xb3   ; dd cb 97 b3
        .db 0xdd, 0xcb, 0xa4, 0xb4   ; dd cb a4 b4
        .db 0xdd, 0xcb, 0xb1, 0xb5   ; dd cb b1 b5
        res 6, -66 (ix)              ; dd cb be b6
        .db 0xdd, 0xcb, 0xcb, 0xb7   ; dd cb cb b7
        .db 0xdd, 0xcb, 0xd8, 0xb8   ; dd cb d8 b8
        .db 0xdd, 0xcb, 0xe5, 0xb9   ; dd cb e5 b9
        .db 0xdd, 0xcb, 0xf2, 0xba   ; dd cb f2 ba
        .db 0xdd, 0xcb, 0xff, 0xbb   ; dd cb ff bb
        .db 0xdd, 0xcb, 0x0c, 0xbc   ; dd cb 0c bc
        .db 0xdd, 0xcb, 0x19, 0xbd   ; dd cb 19 bd
        res 7, 38 (ix)               ; dd cb 26 be
        .db 0xdd, 0xcb, 0x33, 0xbf   ; dd cb 33 bf
        .db 0xdd, 0xcb, 0x40, 0xc0   ; dd cb 40 c0
        .db 0xdd, 0xcb, 0x4d, 0xc1   ; dd cb 4d c1
        .db 0xdd, 0xcb, 0x5a, 0xc2   ; dd cb 5a c2
        .db 0xdd, 0xcb, 0x67, 0xc3   ; dd cb 67 c3
        .db 0xdd, 0xcb, 0x74, 0xc4   ; dd cb 74 c4
        .db 0xdd, 0xcb, 0x81, 0xc5   ; dd cb 81 c5
        set 0, -114 (ix)             ; dd cb 8e c6
        .db 0xdd, 0xcb, 0x9b, 0xc7   ; dd cb 9b c7
        .db 0xdd, 0xcb, 0xa8, 0xc8   ; dd cb a8 c8
        .db 0xdd, 0xcb, 0xb5, 0xc9   ; dd cb b5 c9
        .db 0xdd, 0xcb, 0xc2, 0xca   ; dd cb c2 ca
        .db 0xdd, 0xcb, 0xcf, 0xcb   ; dd cb cf cb
        .db 0xdd, 0xcb, 0xdc, 0xcc   ; dd cb dc cc
        .db 0xdd, 0xcb, 0xe9, 0xcd   ; dd cb e9 cd
        set 1, -10 (ix)              ; dd cb f6 ce
        .db 0xdd, 0xcb, 0x03, 0xcf   ; dd cb 03 cf
        .db 0xdd, 0xcb, 0x10, 0xd0   ; dd cb 10 d0
        .db 0xdd, 0xcb, 0x1d, 0xd1   ; dd cb 1d d1
        .db 0xdd, 0xcb, 0x2a, 0xd2   ; dd cb 2a d2
        .db 0xdd, 0xcb, 0x37, 0xd3   ; dd cb 37 d3
        .db 0xdd, 0xcb, 0x44, 0xd4   ; dd cb 44 d4
        .db 0xdd, 0xcb, 0x51, 0xd5   ; dd cb 51 d5
        set 2, 94 (ix)               ; dd cb 5e d6
        .db 0xdd, 0xcb, 0x6b, 0xd7   ; dd cb 6b d7
        .db 0xdd, 0xcb, 0x78, 0xd8   ; dd cb 78 d8
        .db 0xdd, 0xcb, 0x85, 0xd9   ; dd cb 85 d9
        .db 0xdd, 0xcb, 0x92, 0xda   ; dd cb 92 da
        .db 0xdd, 0xcb, 0x9f, 0xdb   ; dd cb 9f db
        .db 0xdd, 0xcb, 0xac, 0xdc   ; dd cb ac dc
        .db 0xdd, 0xcb, 0xb9, 0xdd   ; dd cb b9 dd
        set 3, -58 (ix)              ; dd cb c6 de
        .db 0xdd, 0xcb, 0xd3, 0xdf   ; dd cb d3 df
        .db 0xdd, 0xcb, 0xe0, 0xe0   ; dd cb e0 e0
        .db 0xdd, 0xcb, 0xed, 0xe1   ; dd cb ed e1
        .db 0xdd, 0xcb, 0xfa, 0xe2   ; dd cb fa e2
        .db 0xdd, 0xcb, 0x07, 0xe3   ; dd cb 07 e3
        .db 0xdd, 0xcb, 0x14, 0xe4   ; dd cb 14 e4
        .db 0xdd, 0xcb, 0x21, 0xe5   ; dd cb 21 e5
        set 4, 46 (ix)               ; dd cb 2e e6
        .db 0xdd, 0xcb, 0x3b, 0xe7   ; dd cb 3b e7
        .db 0xdd, 0xcb, 0x48, 0xe8   ; dd cb 48 e8
        .db 0xdd, 0xcb, 0x55, 0xe9   ; dd cb 55 e9
        .db 0xdd, 0xcb, 0x62, 0xea   ; dd cb 62 ea
        .db 0xdd, 0xcb, 0x6f, 0xeb   ; dd cb 6f eb
        .db 0xdd, 0xcb, 0x7c, 0xec   ; dd cb 7c ec
        .db 0xdd, 0xcb, 0x89, 0xed   ; dd cb 89 ed
        set 5, -106 (ix)             ; dd cb 96 ee
        .db 0xdd, 0xcb, 0xa3, 0xef   ; dd cb a3 ef
        .db 0xdd, 0xcb, 0xb0, 0xf0   ; dd cb b0 f0
        .db 0xdd, 0xcb, 0xbd, 0xf1   ; dd cb bd f1
        .db 0xdd, 0xcb, 0xca, 0xf2   ; dd cb ca f2
        .db 0xdd, 0xcb, 0xd7, 0xf3   ; dd cb d7 f3
        .db 0xdd, 0xcb, 0xe4, 0xf4   ; dd cb e4 f4
        .db 0xdd, 0xcb, 0xf1, 0xf5   ; dd cb f1 f5
        set 6, -2 (ix)               ; dd cb fe f6
        .db 0xdd, 0xcb, 0x0b, 0xf7   ; dd cb 0b f7
        .db 0xdd, 0xcb, 0x18, 0xf8   ; dd cb 18 f8
        .db 0xdd, 0xcb, 0x25, 0xf9   ; dd cb 25 f9
        .db 0xdd, 0xcb, 0x32, 0xfa   ; dd cb 32 fa
        .db 0xdd, 0xcb, 0x3f, 0xfb   ; dd cb 3f fb
        .db 0xdd, 0xcb, 0x4c, 0xfc   ; dd cb 4c fc
        .db 0xdd, 0xcb, 0x59, 0xfd   ; dd cb 59 fd
        set 7, 102 (ix)              ; dd cb 66 fe
        .db 0xdd, 0xcb, 0x73, 0xff   ; dd cb 73 ff
        .db 0xfd                     ; fd
        nop                          ; 00
        .db 0xfd                     ; fd
        ld bc, #0xc0de               ; 01 de c0
        .db 0xfd                     ; fd
        ld (bc), a                   ; 02
        .db 0xfd                     ; fd
        inc bc                       ; 03
        .db 0xfd                     ; fd
        inc b                        ; 04
        .db 0xfd                     ; fd
        dec b                        ; 05
        .db 0xfd                     ; fd
        ld b, #0x5a                  ; 06 5a
        .db 0xfd                     ; fd
        rlca                         ; 07
        .db 0xfd                     ; fd
        ex af, af'                   ; 08
        add iy, bc                   ; fd 09
        .db 0xfd                     ; fd
        ld a, (bc)                   ; 0a
        .db 0xfd                     ; fd
        dec bc                       ; 0b
        .db 0xfd                     ; fd
        inc c                        ; 0c
        .db 0xfd                     ; fd
        dec c                        ; 0d
        .db 0xfd                     ; fd
        ld c, #0x5a                  ; 0e 5a
        .db 0xfd                     ; fd
        rrca                         ; 0f
        .db 0xfd                     ; fd
        djnz 0x0c9d                  ; 10 b4
        .db 0xfd                     ; fd
        ld de, #0xc0de               ; 11 de c0
        .db 0xfd                     ; fd
        ld (de), a                   ; 12
        .db 0xfd                     ; fd
        inc de                       ; 13
        .db 0xfd                     ; fd
        inc d                        ; 14
        .db 0xfd                     ; fd
        dec d                        ; 15
        .db 0xfd                     ; fd
        ld d, #0x5a                  ; 16 5a
        .db 0xfd                     ; fd
        rla                          ; 17
        .db 0xfd                     ; fd
        jr 0x0cd6                    ; 18 d9
        add iy, de                   ; fd 19
        .db 0xfd                     ; fd
        ld a, (de)                   ; 1a
        .db 0xfd                     ; fd
        dec de                       ; 1b
        .db 0xfd                     ; fd
        inc e                        ; 1c
        .db 0xfd                     ; fd
        dec e                        ; 1d
        .db 0xfd                     ; fd
        ld e, #0x5a                  ; 1e 5a
        .db 0xfd                     ; fd
        rra                          ; 1f
        .db 0xfd                     ; fd
        jr nz, 0x0d0d                ; 20 fe
        ld iy, #0xc0de               ; fd 21 de c0
        ld (0xc0de), iy              ; fd 22 de c0
        inc iy                       ; fd 23
        inc iyh                      ; fd 24
        dec iyh                      ; fd 25
        ld iyh, #0x5a                ; fd 26 5a
        .db 0xfd                     ; fd
        daa                          ; 27
        .db 0xfd                     ; fd
        jr z, 0x0d48                 ; 28 23
        add iy, iy                   ; fd 29
        ld iy, (0xc0de)              ; fd 2a de c0
        dec iy                       ; fd 2b
        inc iyl                      ; fd 2c
        dec iyl                      ; fd 2d
        ld iyl, #0x5a                ; fd 2e 5a
        .db 0xfd                     ; fd
        cpl                          ; 2f
        .db 0xfd                     ; fd
        jr nc, 0x0d81                ; 30 48
        .db 0xfd                     ; fd
        ld sp, #0xc0de               ; 31 de c0
        .db 0xfd                     ; fd
        ld (0xc0de), a               ; 32 de c0
        .db 0xfd                     ; fd
        inc sp                       ; 33
        inc -20 (iy)                 ; fd 34 ec
        dec -13 (iy)                 ; fd 35 f3
        ld -6 (iy), #0x5a            ; fd 36 fa 5a
        .db 0xfd                     ; fd
        scf                          ; 37
        .db 0xfd                     ; fd
        jr c, 0x0dbf                 ; 38 6d
        add iy, sp                   ; fd 39
        .db 0xfd                     ; fd
        ld a, (0xc0de)               ; 3a de c0
        .db 0xfd                     ; fd
        dec sp                       ; 3b
        .db 0xfd                     ; fd
        inc a                        ; 3c
        .db 0xfd                     ; fd
        dec a                        ; 3d
        .db 0xfd                     ; fd
        ld a, #0x5a                  ; 3e 5a
        .db 0xfd                     ; fd
        ccf                          ; 3f
        .db 0xfd                     ; fd
        ld b, b                      ; 40
        .db 0xfd                     ; fd
        ld b, c                      ; 41
        .db 0xfd                     ; fd
        ld b, d                      ; 42
        .db 0xfd                     ; fd
        ld b, e                      ; 43
        ld b, iyh                    ; fd 44
        ld b, iyl                    ; fd 45
        ld b, 106 (iy)               ; fd 46 6a
        .db 0xfd                     ; fd
        ld b, a                      ; 47
        .db 0xfd                     ; fd
        ld c, b                      ; 48
        .db 0xfd                     ; fd
        ld c, c                      ; 49
        .db 0xfd                     ; fd
        ld c, d                      ; 4a
        .db 0xfd                     ; fd
        ld c, e                      ; 4b
        ld c, iyh                    ; fd 4c
        ld c, iyl                    ; fd 4d
        ld c, -94 (iy)               ; fd 4e a2
        .db 0xfd                     ; fd
        ld c, a                      ; 4f
        .db 0xfd                     ; fd
        ld d, b                      ; 50
        .db 0xfd                     ; fd
        ld d, c                      ; 51
        .db 0xfd                     ; fd
        ld d, d                      ; 52
        .db 0xfd                     ; fd
        ld d, e                      ; 53
        ld d, iyh                    ; fd 54
        ld d, iyl                    ; fd 55
        ld d, -38 (iy)               ; fd 56 da
        .db 0xfd                     ; fd
        ld d, a                      ; 57
        .db 0xfd                     ; fd
        ld e, b                      ; 58
        .db 0xfd                     ; fd
        ld e, c                      ; 59
        .db 0xfd                     ; fd
        ld e, d                      ; 5a
        .db 0xfd                     ; fd
        ld e, e                      ; 5b
        ld e, iyh                    ; fd 5c
        ld e, iyl                    ; fd 5d
        ld e, 18 (iy)                ; fd 5e 12
        .db 0xfd                     ; fd
        ld e, a                      ; 5f
        ld iyh, b                    ; fd 60
        ld iyh, c                    ; fd 61
        ld iyh, d                    ; fd 62
        ld iyh, e                    ; fd 63
        .db 0xfd                     ; fd
        ld h, h                      ; 64
        ld iyh, iyl                  ; fd 65
        ld h, 74 (iy)                ; fd 66 4a
        ld iyh, a                    ; fd 67
        ld iyl, b                    ; fd 68
        ld iyl, c                    ; fd 69
        ld iyl, d                    ; fd 6a
        ld iyl, e                    ; fd 6b
        ld iyl, iyh                  ; fd 6c
        .db 0xfd                     ; fd
        ld l, l                      ; 6d
        ld l, -126 (iy)              ; fd 6e 82
        ld iyl, a                    ; fd 6f
        ld -112 (iy), b              ; fd 70 90
        ld -105 (iy), c              ; fd 71 97
        ld -98 (iy), d               ; fd 72 9e
        ld -91 (iy), e               ; fd 73 a5
        ld -84 (iy), h               ; fd 74 ac
        ld -77 (iy), l               ; fd 75 b3
        .db 0xfd                     ; fd
        halt                         ; 76
        ld -63 (iy), a               ; fd 77 c1
        .db 0xfd                     ; fd
        ld a, b                      ; 78
        .db 0xfd                     ; fd
        ld a, c                      ; 79
        .db 0xfd                     ; fd
        ld a, d                      ; 7a
        .db 0xfd                     ; fd
        ld a, e                      ; 7b
        ld a, iyh                    ; fd 7c
        ld a, iyl                    ; fd 7d
        ld a, -14 (iy)               ; fd 7e f2
        .db 0xfd                     ; fd
        ld a, a                      ; 7f
        .db 0xfd                     ; fd
        add a, b                     ; 80
        .db 0xfd                     ; fd
        add a, c                     ; 81
        .db 0xfd                     ; fd
        add a, d                     ; 82
        .db 0xfd                     ; fd
        add a, e                     ; 83
        add a, iyh                   ; fd 84
        add a, iyl                   ; fd 85
        add a, 42 (iy)               ; fd 86 2a
        .db 0xfd                     ; fd
        add a, a                     ; 87
        .db 0xfd                     ; fd
        adc a, b                     ; 88
        .db 0xfd                     ; fd
        adc a, c                     ; 89
        .db 0xfd                     ; fd
        adc a, d                     ; 8a
        .db 0xfd                     ; fd
        adc a, e                     ; 8b
        adc a, iyh                   ; fd 8c
        adc a, iyl                   ; fd 8d
        adc a, 98 (iy)               ; fd 8e 62
        .db 0xfd                     ; fd
        adc a, a                     ; 8f
        .db 0xfd                     ; fd
        sub a, b                     ; 90
        .db 0xfd                     ; fd
        sub a, c                     ; 91
        .db 0xfd                     ; fd
        sub a, d                     ; 92
        .db 0xfd                     ; fd
        sub a, e                     ; 93
        sub a, iyh                   ; fd 94
        sub a, iyl                   ; fd 95
        sub a, -102 (iy)             ; fd 96 9a
        .db 0xfd                     ; fd
        sub a, a                     ; 97
        .db 0xfd                     ; fd
        sbc a, b                     ; 98
        .db 0xfd                     ; fd
        sbc a, c                     ; 99
        .db 0xfd                     ; fd
        sbc a, d                     ; 9a
        .db 0xfd                     ; fd
        sbc a, e                     ; 9b
        sbc a, iyh                   ; fd 9c
        sbc a, iyl                   ; fd 9d
        sbc a, -46 (iy)              ; fd 9e d2
        .db 0xfd                     ; fd
        sbc a, a                     ; 9f
        .db 0xfd                     ; fd
        and a, b                     ; a0
        .db 0xfd                     ; fd
        and a, c                     ; a1
        .db 0xfd                     ; fd
        and a, d                     ; a2
        .db 0xfd                     ; fd
        and a, e                     ; a3
        and a, iyh                   ; fd a4
        and a, iyl                   ; fd a5
        and a, 10 (iy)               ; fd a6 0a
        .db 0xfd                     ; fd
        and a, a                     ; a7
        .db 0xfd                     ; fd
        xor a, b                     ; a8
        .db 0xfd                     ; fd
        xor a, c                     ; a9
        .db 0xfd                     ; fd
        xor a, d                     ; aa
        .db 0xfd                     ; fd
        xor a, e                     ; ab
        xor a, iyh                   ; fd ac
        xor a, iyl                   ; fd ad
        xor a, 66 (iy)               ; fd ae 42
        .db 0xfd                     ; fd
        xor a, a                     ; af
        .db 0xfd                     ; fd
        or a, b                      ; b0
        .db 0xfd                     ; fd
        or a, c                      ; b1
        .db 0xfd                     ; fd
        or a, d                      ; b2
        .db 0xfd                     ; fd
        or a, e                      ; b3
        or a, iyh                    ; fd b4
        or a, iyl                    ; fd b5
        or a, 122 (iy)               ; fd b6 7a
        .db 0xfd                     ; fd
        or a, a                      ; b7
        .db 0xfd                     ; fd
        cp a, b                      ; b8
        .db 0xfd                     ; fd
        cp a, c                      ; b9
        .db 0xfd                     ; fd
        cp a, d                      ; ba
        .db 0xfd                     ; fd
        cp a, e                      ; bb
        cp a, iyh                    ; fd bc
        cp a, iyl                    ; fd bd
        cp a, -78 (iy)               ; fd be b2
        .db 0xfd                     ; fd
        cp a, a                      ; bf
        .db 0xfd                     ; fd
        ret nz                       ; c0
        .db 0xfd                     ; fd
        pop bc                       ; c1
        .db 0xfd                     ; fd
        jp nz, 0xc0de                ; c2 de c0
        .db 0xfd                     ; fd
        jp 0xc0de                    ; c3 de c0
        .db 0xfd                     ; fd
        call nz, 0xc0de              ; c4 de c0
        .db 0xfd                     ; fd
        push bc                      ; c5
        .db 0xfd                     ; fd
        add a, #0x5a                 ; c6 5a
        .db 0xfd                     ; fd
        rst 0x00                     ; c7
        .db 0xfd                     ; fd
        ret z                        ; c8
        .db 0xfd                     ; fd
        ret                          ; c9
        .db 0xfd                     ; fd
        jp z, 0xc0de                 ; ca de c0
        .db 0xfd                     ; fd
        call z, 0xc0de               ; cc de c0
        .db 0xfd                     ; fd
        call 0xc0de                  ; cd de c0
        .db 0xfd                     ; fd
        adc a, #0x5a                 ; ce 5a
        .db 0xfd                     ; fd
        rst 0x08                     ; cf
        .db 0xfd                     ; fd
        ret nc                       ; d0
        .db 0xfd                     ; fd
        pop de                       ; d1
        .db 0xfd                     ; fd
        jp nc, 0xc0de                ; d2 de c0
        .db 0xfd                     ; fd
        out (0x5a), a                ; d3 5a
        .db 0xfd                     ; fd
        call nc, 0xc0de              ; d4 de c0
        .db 0xfd                     ; fd
        push de                      ; d5
        .db 0xfd                     ; fd
        sub a, #0x5a                 ; d6 5a
        .db 0xfd                     ; fd
        rst 0x10                     ; d7
        .db 0xfd                     ; fd
        ret c                        ; d8
        .db 0xfd                     ; fd
        exx                          ; d9
        .db 0xfd                     ; fd
        jp c, 0xc0de                 ; da de c0
        .db 0xfd                     ; fd
        in a, (0x5a)                 ; db 5a
        .db 0xfd                     ; fd
        call c, 0xc0de               ; dc de c0
        .db 0xfd                     ; fd
        ld ix, #0xc0de               ; dd 21 de c0
        .db 0xfd                     ; fd
        sbc a, #0x5a                 ; de 5a
        .db 0xfd                     ; fd
        rst 0x18                     ; df
        .db 0xfd                     ; fd
        ret po                       ; e0
        pop iy                       ; fd e1
        .db 0xfd                     ; fd
        jp po, 0xc0de                ; e2 de c0
        ex (sp), iy                  ; fd e3
        .db 0xfd                     ; fd
        call po, 0xc0de              ; e4 de c0
        push iy                      ; fd e5
        .db 0xfd                     ; fd
        and a, #0x5a                 ; e6 5a
        .db 0xfd                     ; fd
        rst 0x20                     ; e7
        .db 0xfd                     ; fd
        ret pe                       ; e8
        jp (iy)                      ; fd e9
        .db 0xfd                     ; fd
        jp pe, 0xc0de                ; ea de c0
        .db 0xfd                     ; fd
        ex de, hl                    ; eb
        .db 0xfd                     ; fd
        call pe, 0xc0de              ; ec de c0
        .db 0xfd                     ; fd
        neg                          ; ed 44
        .db 0xfd                     ; fd
        xor a, #0x5a                 ; ee 5a
        .db 0xfd                     ; fd
        rst 0x28                     ; ef
        .db 0xfd                     ; fd
        ret p                        ; f0
        .db 0xfd                     ; fd
        pop af                       ; f1
        .db 0xfd                     ; fd
        jp p, 0xc0de                 ; f2 de c0
        .db 0xfd                     ; fd
        di                           ; f3
        .db 0xfd                     ; fd
        call p, 0xc0de               ; f4 de c0
        .db 0xfd                     ; fd
        push af                      ; f5
        .db 0xfd                     ; fd
        or a, #0x5a                  ; f6 5a
        .db 0xfd                     ; fd
        rst 0x30                     ; f7
        .db 0xfd                     ; fd
        ret m                        ; f8
        ld sp, iy                    ; fd f9
        .db 0xfd                     ; fd
        jp m, 0xc0de                 ; fa de c0
        .db 0xfd                     ; fd
        ei                           ; fb
        .db 0xfd                     ; fd
        call m, 0xc0de               ; fc de c0
        .db 0xfd                     ; fd
        ld iy, #0xc0de               ; fd 21 de c0
        .db 0xfd                     ; fd
        cp a, #0x5a                  ; fe 5a
        .db 0xfd                     ; fd
        rst 0x38                     ; ff
        .db 0xfd, 0xcb, 0x80, 0x00   ; fd cb 80 00
        .db 0xfd, 0xcb, 0x8d, 0x01   ; fd cb 8d 01
        .db 0xfd, 0xcb, 0x9a, 0x02   ; fd cb 9a 02
        .db 0xfd, 0xcb, 0xa7, 0x03   ; fd cb a7 03
        .db 0xfd, 0xcb, 0xb4, 0x04   ; fd cb b4 04
        .db 0xfd, 0xcb, 0xc1, 0x05   ; fd cb c1 05
        rlc -50 (iy)                 ; fd cb ce 06
        .db 0xfd, 0xcb, 0xdb, 0x07   ; fd cb db 07
        .db 0xfd, 0xcb, 0xe8, 0x08   ; fd cb e8 08
        .db 0xfd, 0xcb, 0xf5, 0x09   ; fd cb f5 09
        .db 0xfd, 0xcb, 0x02, 0x0a   ; fd cb 02 0a
        .db 0xfd, 0xcb, 0x0f, 0x0b   ; fd cb 0f 0b
        .db 0xfd, 0xcb, 0x1c, 0x0c   ; fd cb 1c 0c
        .db 0xfd, 0xcb, 0x29, 0x0d   ; fd cb 29 0d
        rrc 54 (iy)                  ; fd cb 36 0e
        .db 0xfd, 0xcb, 0x43, 0x0f   ; fd cb 43 0f
        .db 0xfd, 0xcb, 0x50, 0x10   ; fd cb 50 10
        .db 0xfd, 0xcb, 0x5d, 0x11   ; fd cb 5d 11
        .db 0xfd, 0xcb, 0x6a, 0x12   ; fd cb 6a 12
        .db 0xfd, 0xcb, 0x77, 0x13   ; fd cb 77 13
        .db 0xfd, 0xcb, 0x84, 0x14   ; fd cb 84 14
        .db 0xfd, 0xcb, 0x91, 0x15   ; fd cb 91 15
        rl -98 (iy)                  ; fd cb 9e 16
        .db 0xfd, 0xcb, 0xab, 0x17   ; fd cb ab 17
        .db 0xfd, 0xcb, 0xb8, 0x18   ; fd cb b8 18
        .db 0xfd, 0xcb, 0xc5, 0x19   ; fd cb c5 19
        .db 0xfd, 0xcb, 0xd2, 0x1a   ; fd cb d2 1a
        .db 0xfd, 0xcb, 0xdf, 0x1b   ; fd cb df 1b
        .db 0xfd, 0xcb, 0xec, 0x1c   ; fd cb ec 1c
        .db 0xfd, 0xcb, 0xf9, 0x1d   ; fd cb f9 1d
        rr 6 (iy)                    ; fd cb 06 1e
        .db 0xfd, 0xcb, 0x13, 0x1f   ; fd cb 13 1f
        .db 0xfd, 0xcb, 0x20, 0x20   ; fd cb 20 20
        .db 0xfd, 0xcb, 0x2d, 0x21   ; fd cb 2d 21
        .db 0xfd, 0xcb, 0x3a, 0x22   ; fd cb 3a 22
        .db 0xfd, 0xcb, 0x47, 0x23   ; fd cb 47 23
        .db 0xfd, 0xcb, 0x54, 0x24   ; fd cb 54 24
        .db 0xfd, 0xcb, 0x61, 0x25   ; fd cb 61 25
        sla 110 (iy)                 ; fd cb 6e 26
        .db 0xfd, 0xcb, 0x7b, 0x27   ; fd cb 7b 27
        .db 0xfd, 0xcb, 0x88, 0x28   ; fd cb 88 28
        .db 0xfd, 0xcb, 0x95, 0x29   ; fd cb 95 29
        .db 0xfd, 0xcb, 0xa2, 0x2a   ; fd cb a2 2a
        .db 0xfd, 0xcb, 0xaf, 0x2b   ; fd cb af 2b
        .db 0xfd, 0xcb, 0xbc, 0x2c   ; fd cb bc 2c
        .db 0xfd, 0xcb, 0xc9, 0x2d   ; fd cb c9 2d
        sra -42 (iy)                 ; fd cb d6 2e
        .db 0xfd, 0xcb, 0xe3, 0x2f   ; fd cb e3 2f
        .db 0xfd, 0xcb, 0xf0, 0x30   ; fd cb f0 30
        .db 0xfd, 0xcb, 0xfd, 0x31   ; fd cb fd 31
        .db 0xfd, 0xcb, 0x0a, 0x32   ; fd cb 0a 32
        .db 0xfd, 0xcb, 0x17, 0x33   ; fd cb 17 33
        .db 0xfd, 0xcb, 0x24, 0x34   ; fd cb 24 34
        .db 0xfd, 0xcb, 0x31, 0x35   ; fd cb 31 35
        .db 0xfd, 0xcb, 0x3e, 0x36   ; fd cb 3e 36
        .db 0xfd, 0xcb, 0x4b, 0x37   ; fd cb 4b 37
        .db 0xfd, 0xcb, 0x58, 0x38   ; fd cb 58 38
        .db 0xfd, 0xcb, 0x65, 0x39   ; fd cb 65 39
        .db 0xfd, 0xcb, 0x72, 0x3a   ; fd cb 72 3a
        .db 0xfd, 0xcb, 0x7f, 0x3b   ; fd cb 7f 3b
        .db 0xfd, 0xcb, 0x8c, 0x3c   ; fd cb 8c 3c
        .db 0xfd, 0xcb, 0x99, 0x3d   ; fd cb 99 3d
        srl -90 (iy)                 ; fd cb a6 3e
        .db 0xfd, 0xcb, 0xb3, 0x3f   ; fd cb b3 3f
        .db 0xfd, 0xcb, 0xc0, 0x40   ; fd cb c0 40
        .db 0xfd, 0xcb, 0xcd, 0x41   ; fd cb cd 41
        .db 0xfd, 0xcb, 0xda, 0x42   ; fd cb da 42
        .db 0xfd, 0xcb, 0xe7, 0x43   ; fd cb e7 43
        .db 0xfd, 0xcb, 0xf4, 0x44   ; fd cb f4 44
        .db 0xfd, 0xcb, 0x01, 0x45   ; fd cb 01 45
        bit 0, 14 (iy)               ; fd cb 0e 46
        .db 0xfd, 0xcb, 0x1b, 0x47   ; fd cb 1b 47
        .db 0xfd, 0xcb, 0x28, 0x48   ; fd cb 28 48
        .db 0xfd, 0xcb, 0x35, 0x49   ; fd cb 35 49
        .db 0xfd, 0xcb, 0x42, 0x4a   ; fd cb 42 4a
        .db 0xfd, 0xcb, 0x4f, 0x4b   ; fd cb 4f 4b
        .db 0xfd, 0xcb, 0x5c, 0x4c   ; fd cb 5c 4c
        .db 0xfd, 0xcb, 0x69, 0x4d   ; fd cb 69 4d
        bit 1, 118 (iy)              ; fd cb 76 4e
        .db 0xfd, 0xcb, 0x83, 0x4f   ; fd cb 83 4f
        .db 0xfd, 0xcb, 0x90, 0x50   ; fd cb 90 50
        .db 0xfd, 0xcb, 0x9d, 0x51   ; fd cb 9d 51
        .db 0xfd, 0xcb, 0xaa, 0x52   ; fd cb aa 52
        .db 0xfd, 0xcb, 0xb7, 0x53   ; fd cb b7 53
        .db 0xfd, 0xcb, 0xc4, 0x54   ; fd cb c4 54
        .db 0xfd, 0xcb, 0xd1, 0x55   ; fd cb d1 55
        bit 2, -34 (iy)              ; fd cb de 56
        .db 0xfd, 0xcb, 0xeb, 0x57   ; fd cb eb 57
        .db 0xfd, 0xcb, 0xf8, 0x58   ; fd cb f8 58
        .db 0xfd, 0xcb, 0x05, 0x59   ; fd cb 05 59
        .db 0xfd, 0xcb, 0x12, 0x5a   ; fd cb 12 5a
        .db 0xfd, 0xcb, 0x1f, 0x5b   ; fd cb 1f 5b
        .db 0xfd, 0xcb, 0x2c, 0x5c   ; fd cb 2c 5c
        .db 0xfd, 0xcb, 0x39, 0x5d   ; fd cb 39 5d
        bit 3, 70 (iy)               ; fd cb 46 5e
        .db 0xfd, 0xcb, 0x53, 0x5f   ; fd cb 53 5f
        .db 0xfd, 0xcb, 0x60, 0x60   ; fd cb 60 60
        .db 0xfd, 0xcb, 0x6d, 0x61   ; fd cb 6d 61
        .db 0xfd, 0xcb, 0x7a, 0x62   ; fd cb 7a 62
        .db 0xfd, 0xcb, 0x87, 0x63   ; fd cb 87 63
        .db 0xfd, 0xcb, 0x94, 0x64   ; fd cb 94 64
        .db 0xfd, 0xcb, 0xa1, 0x65   ; fd cb a1 65
        bit 4, -82 (iy)              ; fd cb ae 66
        .db 0xfd, 0xcb, 0xbb, 0x67   ; fd cb bb 67
        .db 0xfd, 0xcb, 0xc8, 0x68   ; fd cb c8 68
        .db 0xfd, 0xcb, 0xd5, 0x69   ; fd cb d5 69
        .db 0xfd, 0xcb, 0xe2, 0x6a   ; fd cb e2 6a
        .db 0xfd, 0xcb, 0xef, 0x6b   ; fd cb ef 6b
        .db 0xfd, 0xcb, 0xfc, 0x6c   ; fd cb fc 6c
        .db 0xfd, 0xcb, 0x09, 0x6d   ; fd cb 09 6d
        bit 5, 22 (iy)               ; fd cb 16 6e
        .db 0xfd, 0xcb, 0x23, 0x6f   ; fd cb 23 6f
        .db 0xfd, 0xcb, 0x30, 0x70   ; fd cb 30 70
        .db 0xfd, 0xcb, 0x3d, 0x71   ; fd cb 3d 71
        .db 0xfd, 0xcb, 0x4a, 0x72   ; fd cb 4a 72
        .db 0xfd, 0xcb, 0x57, 0x73   ; fd cb 57 73
        .db 0xfd, 0xcb, 0x64, 0x74   ; fd cb 64 74
        .db 0xfd, 0xcb, 0x71, 0x75   ; fd cb 71 75
        bit 6, 126 (iy)              ; fd cb 7e 76
        .db 0xfd, 0xcb, 0x8b, 0x77   ; fd cb 8b 77
        .db 0xfd, 0xcb, 0x98, 0x78   ; fd cb 98 78
        .db 0xfd, 0xcb, 0xa5, 0x79   ; fd cb a5 79
        .db 0xfd, 0xcb, 0xb2, 0x7a   ; fd cb b2 7a
        .db 0xfd, 0xcb, 0xbf, 0x7b   ; fd cb bf 7b
        .db 0xfd, 0xcb, 0xcc, 0x7c   ; fd cb cc 7c
        .db 0xfd, 0xcb, 0xd9, 0x7d   ; fd cb d9 7d
        bit 7, -26 (iy)              ; fd cb e6 7e
        .db 0xfd, 0xcb, 0xf3, 0x7f   ; fd cb f3 7f
        .db 0xfd, 0xcb, 0x00, 0x80   ; fd cb 00 80
        .db 0xfd, 0xcb, 0x0d, 0x81   ; fd cb 0d 81
        .db 0xfd, 0xcb, 0x1a, 0x82   ; fd cb 1a 82
        .db 0xfd, 0xcb, 0x27, 0x83   ; fd cb 27 83
        .db 0xfd, 0xcb, 0x34, 0x84   ; fd cb 34 84
        .db 0xfd, 0xcb, 0x41, 0x85   ; fd cb 41 85
        res 0, 78 (iy)               ; fd cb 4e 86
        .db 0xfd, 0xcb, 0x5b, 0x87   ; fd cb 5b 87
        .db 0xfd, 0xcb, 0x68, 0x88   ; fd cb 68 88
        .db 0xfd, 0xcb, 0x75, 0x89   ; fd cb 75 89
        .db 0xfd, 0xcb, 0x82, 0x8a   ; fd cb 82 8a
        .db 0xfd, 0xcb, 0x8f, 0x8b   ; fd cb 8f 8b
        .db 0xfd, 0xcb, 0x9c, 0x8c   ; fd cb 9c 8c
        .db 0xfd, 0xcb, 0xa9, 0x8d   ; fd cb a9 8d
        res 1, -74 (iy)              ; fd cb b6 8e
        .db 0xfd, 0xcb, 0xc3, 0x8f   ; fd cb c3 8f
        .db 0xfd, 0xcb, 0xd0, 0x90   ; fd cb d0 90
        .db 0xfd, 0xcb, 0xdd, 0x91   ; fd cb dd 91
        .db 0xfd, 0xcb, 0xea, 0x92   ; fd cb ea 92
        .db 0xfd, 0xcb, 0xf7, 0x93   ; fd cb f7 93
        .db 0xfd, 0xcb, 0x04, 0x94   ; fd cb 04 94
        .db 0xfd, 0xcb, 0x11, 0x95   ; fd cb 11 95
        res 2, 30 (iy)               ; fd cb 1e 96
        .db 0xfd, 0xcb, 0x2b, 0x97   ; fd cb 2b 97
        .db 0xfd, 0xcb, 0x38, 0x98   ; fd cb 38 98
        .db 0xfd, 0xcb, 0x45, 0x99   ; fd cb 45 99
        .db 0xfd, 0xcb, 0x52, 0x9a   ; fd cb 52 9a
        .db 0xfd, 0xcb, 0x5f, 0x9b   ; fd cb 5f 9b
        .db 0xfd, 0xcb, 0x6c, 0x9c   ; fd cb 6c 9c
        .db 0xfd, 0xcb, 0x79, 0x9d   ; fd cb 79 9d
        res 3, -122 (iy)             ; fd cb 86 9e
        .db 0xfd, 0xcb, 0x93, 0x9f   ; fd cb 93 9f
        .db 0xfd, 0xcb, 0xa0, 0xa0   ; fd cb a0 a0
        .db 0xfd, 0xcb, 0xad, 0xa1   ; fd cb ad a1
        .db 0xfd, 0xcb, 0xba, 0xa2   ; fd cb ba a2
        .db 0xfd, 0xcb, 0xc7, 0xa3   ; fd cb c7 a3
        .db 0xfd, 0xcb, 0xd4, 0xa4   ; fd cb d4 a4
        .db 0xfd, 0xcb, 0xe1, 0xa5   ; fd cb e1 a5
        res 4, -18 (iy)              ; fd cb ee a6
        .db 0xfd, 0xcb, 0xfb, 0xa7   ; fd cb fb a7
        .db 0xfd, 0xcb, 0x08, 0xa8   ; fd cb 08 a8
        .db 0xfd, 0xcb, 0x15, 0xa9   ; fd cb 15 a9
        .db 0xfd, 0xcb, 0x22, 0xaa   ; fd cb 22 aa
        .db 0xfd, 0xcb, 0x2f, 0xab   ; fd cb 2f ab
        .db 0xfd, 0xcb, 0x3c, 0xac   ; fd cb 3c ac
        .db 0xfd, 0xcb, 0x49, 0xad   ; fd cb 49 ad
        res 5, 86 (iy)               ; fd cb 56 ae
        .db 0xfd, 0xcb, 0x63, 0xaf   ; fd cb 63 af
        .db 0xfd, 0xcb, 0x70, 0xb0   ; fd cb 70 b0
        .db 0xfd, 0xcb, 0x7d, 0xb1   ; fd cb 7d b1
        .db 0xfd, 0xcb, 0x8a, 0xb2   ; fd cb 8a b2
        .db 0xfd, 0xcb, 0x97, 0xb3   ; fd cb 97 b3
        .db 0xfd, 0xcb, 0xa4, 0xb4   ; fd cb a4 b4
        .db 0xfd, 0xcb, 0xb1, 0xb5   ; fd cb b1 b5
        res 6, -66 (iy)              ; fd cb be b6
        .db 0xfd, 0xcb, 0xcb, 0xb7   ; fd cb cb b7
        .db 0xfd, 0xcb, 0xd8, 0xb8   ; fd cb d8 b8
        .db 0xfd, 0xcb, 0xe5, 0xb9   ; fd cb e5 b9
        .db 0xfd, 0xcb, 0xf2, 0xba   ; fd cb f2 ba
        .db 0xfd, 0xcb, 0xff, 0xbb   ; fd cb ff bb
        .db 0xfd, 0xcb, 0x0c, 0xbc   ; fd cb 0c bc
        .db 0xfd, 0xcb, 0x19, 0xbd   ; fd cb 19 bd
        res 7, 38 (iy)               ; fd cb 26 be
        .db 0xfd, 0xcb, 0x33, 0xbf   ; fd cb 33 bf
        .db 0xfd, 0xcb, 0x40, 0xc0   ; fd cb 40 c0
        .db 0xfd, 0xcb, 0x4d, 0xc1   ; fd cb 4d c1
        .db 0xfd, 0xcb, 0x5a, 0xc2   ; fd cb 5a c2
        .db 0xfd, 0xcb, 0x67, 0xc3   ; fd cb 67 c3
        .db 0xfd, 0xcb, 0x74, 0xc4   ; fd cb 74 c4
        .db 0xfd, 0xcb, 0x81, 0xc5   ; fd cb 81 c5
        set 0, -114 (iy)             ; fd cb 8e c6
        .db 0xfd, 0xcb, 0x9b, 0xc7   ; fd cb 9b c7
        .db 0xfd, 0xcb, 0xa8, 0xc8   ; fd cb a8 c8
        .db 0xfd, 0xcb, 0xb5, 0xc9   ; fd cb b5 c9
        .db 0xfd, 0xcb, 0xc2, 0xca   ; fd cb c2 ca
        .db 0xfd, 0xcb, 0xcf, 0xcb   ; fd cb cf cb
        .db 0xfd, 0xcb, 0xdc, 0xcc   ; fd cb dc cc
        .db 0xfd, 0xcb, 0xe9, 0xcd   ; fd cb e9 cd
        set 1, -10 (iy)              ; fd cb f6 ce
        .db 0xfd, 0xcb, 0x03, 0xcf   ; fd cb 03 cf
        .db 0xfd, 0xcb, 0x10, 0xd0   ; fd cb 10 d0
        .db 0xfd, 0xcb, 0x1d, 0xd1   ; fd cb 1d d1
        .db 0xfd, 0xcb, 0x2a, 0xd2   ; fd cb 2a d2
        .db 0xfd, 0xcb, 0x37, 0xd3   ; fd cb 37 d3
        .db 0xfd, 0xcb, 0x44, 0xd4   ; fd cb 44 d4
        .db 0xfd, 0xcb, 0x51, 0xd5   ; fd cb 51 d5
        set 2, 94 (iy)               ; fd cb 5e d6
        .db 0xfd, 0xcb, 0x6b, 0xd7   ; fd cb 6b d7
        .db 0xfd, 0xcb, 0x78, 0xd8   ; fd cb 78 d8
        .db 0xfd, 0xcb, 0x85, 0xd9   ; fd cb 85 d9
        .db 0xfd, 0xcb, 0x92, 0xda   ; fd cb 92 da
        .db 0xfd, 0xcb, 0x9f, 0xdb   ; fd cb 9f db
        .db 0xfd, 0xcb, 0xac, 0xdc   ; fd cb ac dc
        .db 0xfd, 0xcb, 0xb9, 0xdd   ; fd cb b9 dd
        set 3, -58 (iy)              ; fd cb c6 de
        .db 0xfd, 0xcb, 0xd3, 0xdf   ; fd cb d3 df
        .db 0xfd, 0xcb, 0xe0, 0xe0   ; fd cb e0 e0
        .db 0xfd, 0xcb, 0xed, 0xe1   ; fd cb ed e1
        .db 0xfd, 0xcb, 0xfa, 0xe2   ; fd cb fa e2
        .db 0xfd, 0xcb, 0x07, 0xe3   ; fd cb 07 e3
        .db 0xfd, 0xcb, 0x14, 0xe4   ; fd cb 14 e4
        .db 0xfd, 0xcb, 0x21, 0xe5   ; fd cb 21 e5
        set 4, 46 (iy)               ; fd cb 2e e6
        .db 0xfd, 0xcb, 0x3b, 0xe7   ; fd cb 3b e7
        .db 0xfd, 0xcb, 0x48, 0xe8   ; fd cb 48 e8
        .db 0xfd, 0xcb, 0x55, 0xe9   ; fd cb 55 e9
        .db 0xfd, 0xcb, 0x62, 0xea   ; fd cb 62 ea
        .db 0xfd, 0xcb, 0x6f, 0xeb   ; fd cb 6f eb
        .db 0xfd, 0xcb, 0x7c, 0xec   ; fd cb 7c ec
        .db 0xfd, 0xcb, 0x89, 0xed   ; fd cb 89 ed
        set 5, -106 (iy)             ; fd cb 96 ee
        .db 0xfd, 0xcb, 0xa3, 0xef   ; fd cb a3 ef
        .db 0xfd, 0xcb, 0xb0, 0xf0   ; fd cb b0 f0
        .db 0xfd, 0xcb, 0xbd, 0xf1   ; fd cb bd f1
        .db 0xfd, 0xcb, 0xca, 0xf2   ; fd cb ca f2
        .db 0xfd, 0xcb, 0xd7, 0xf3   ; fd cb d7 f3
        .db 0xfd, 0xcb, 0xe4, 0xf4   ; fd cb e4 f4
        .db 0xfd, 0xcb, 0xf1, 0xf5   ; fd cb f1 f5
        set 6, -2 (iy)               ; fd cb fe f6
        .db 0xfd, 0xcb, 0x0b, 0xf7   ; fd cb 0b f7
        .db 0xfd, 0xcb, 0x18, 0xf8   ; fd cb 18 f8
        .db 0xfd, 0xcb, 0x25, 0xf9   ; fd cb 25 f9
        .db 0xfd, 0xcb, 0x32, 0xfa   ; fd cb 32 fa
        .db 0xfd, 0xcb, 0x3f, 0xfb   ; fd cb 3f fb
        .db 0xfd, 0xcb, 0x4c, 0xfc   ; fd cb 4c fc
        .db 0xfd, 0xcb, 0x59, 0xfd   ; fd cb 59 fd
        set 7, 102 (iy)              ; fd cb 66 fe
        .db 0xfd, 0xcb, 0x73, 0xff   ; fd cb 73 ff
        .area   _DATA
