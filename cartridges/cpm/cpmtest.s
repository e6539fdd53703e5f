; cpmtest.com: Plexaro's own CP/M workout for the Z80 core.
;
; Each of 200 passes fills a 256-byte buffer from a linear congruential sequence, moves it
; with LDIR and LDDR, scrambles it pairwise through IX, folds it into a CRC-16 (CCITT:
; polynomial 0x1021, start 0xFFFF, kept in HL') and into a six-digit decimal total:
;     total += sum of the bytes + count of bytes equal to (pass AND 15) - pass
; with every term converted to BCD by doubling through DAA. The program prints
;     crc XXXX sum DDDDDD
; and returns to CP/M. It runs for about forty million cycles, which makes it a benchmark
; as well; the runner's test computes the same figures in plain C++.
        .module cpmtest

BDOS      = 0x0005
PUTCHAR   = 2
PUTSTRING = 9
PASSES    = 200

        .area _CODE
start:
        ld hl,(BDOS+1)          ; the stack goes under the BDOS, as CP/M programs do
        ld sp,hl
        ld de,#banner
        call print

        exx
        ld hl,#0xFFFF
        exx
        xor a
        ld (total),a
        ld (total+1),a
        ld (total+2),a
        ld hl,#0
        ld (pass),hl

passloop:
        call onepass
        ld hl,(pass)
        inc hl
        ld (pass),hl
        ld a,l
        cp #PASSES
        jr nz,passloop

        ld de,#crctext
        call print
        exx
        push hl
        exx
        pop hl
        ld a,h
        call putbyte
        ld a,l
        call putbyte
        ld de,#sumtext
        call print
        ld hl,#total+2
        ld b,#3
sumdigits:
        ld a,(hl)
        call putbyte
        dec hl
        djnz sumdigits
        ld de,#newline
        call print
        jp 0

; One pass over the buffers.
onepass:
        ; buf[i] = x = 5x + 0x11, from x = pass; the +0x11 comes as +0x10, CPL, NEG.
        ld a,(pass)
        ld hl,#buf
        ld b,#0
fill:
        ld c,a
        add a,a
        add a,a
        add a,c
        add a,#0x10
        cpl
        neg
        ld (hl),a
        inc hl
        djnz fill

        ld hl,#buf
        ld de,#copy
        ld bc,#256
        ldir
        ld hl,#copy+255
        ld de,#work+255
        ld bc,#256
        lddr

        ; each pair (a, b) becomes (a XOR b, high nibble of a : high nibble of b)
        ld ix,#work
        ld b,#128
scramble:
        ld a,0(ix)
        ld c,1(ix)
        ld e,a
        xor c
        ld 0(ix),a
        ld a,c
        srl a
        srl a
        srl a
        srl a
        ld d,a
        ld a,e
        and #0xF0
        or d
        ld 1(ix),a
        inc ix
        inc ix
        djnz scramble

        ld hl,#work
        ld b,#0
crcloop:
        ld a,(hl)
        call crcbyte
        inc hl
        djnz crcloop

        ld iy,#work
        ld hl,#0
        ld d,h
        ld b,#0
sumloop:
        ld e,0(iy)
        or a
        adc hl,de
        inc iy
        djnz sumloop
        call tobcd
        call addbcd

        ld a,(pass)
        and #0x0F
        ld hl,#work
        ld bc,#256
        ld de,#0
count:
        cpir
        jr nz,counted           ; ran out without a match
        inc de
        jp pe,count             ; BC not yet zero
counted:
        ex de,hl
        call tobcd
        call addbcd

        ld hl,(pass)
        call tobcd
        ; total -= bcd
        ld hl,#total
        ld de,#bcd
        ld b,#3
        or a
subdigits:
        ld a,(de)
        ld c,a
        ld a,(hl)
        sbc a,c
        daa
        ld (hl),a
        inc hl
        inc de
        djnz subdigits
        ret

; CRC-16 of A into HL', one bit at a time.
crcbyte:
        exx
        xor h
        ld h,a
        ld b,#8
crcbit:
        add hl,hl
        jr nc,crcnext
        ld a,h
        xor #0x10
        ld h,a
        ld a,l
        xor #0x21
        ld l,a
crcnext:
        djnz crcbit
        exx
        ret

; bcd = HL in decimal: shift HL out from the top and double the BCD digits with carry.
tobcd:
        xor a
        ld (bcd),a
        ld (bcd+1),a
        ld (bcd+2),a
        ld b,#16
tobcdbit:
        add hl,hl
        ld a,(bcd)
        adc a,a
        daa
        ld (bcd),a
        ld a,(bcd+1)
        adc a,a
        daa
        ld (bcd+1),a
        ld a,(bcd+2)
        adc a,a
        daa
        ld (bcd+2),a
        djnz tobcdbit
        ret

; total += bcd
addbcd:
        ld hl,#total
        ld de,#bcd
        ld b,#3
        or a
adddigits:
        ld a,(de)
        adc a,(hl)
        daa
        ld (hl),a
        inc hl
        inc de
        djnz adddigits
        ret

; Prints A as two hexadecimal digits; BC, DE and HL are kept.
putbyte:
        push af
        rrca
        rrca
        rrca
        rrca
        call putdigit
        pop af
putdigit:
        push bc
        push de
        push hl
        and #0x0F
        add a,#0x90             ; 0-9 become 0x90-0x99, A-F carry into 0x00-0x05
        daa
        adc a,#0x40
        daa                     ; ASCII '0'-'9' or 'A'-'F'
        ld e,a
        ld c,#PUTCHAR
        call BDOS
        pop hl
        pop de
        pop bc
        ret

; Prints the '$'-terminated string at DE.
print:
        push bc
        push hl
        ld c,#PUTSTRING
        call BDOS
        pop hl
        pop bc
        ret

banner:  .ascii "Plexaro CP/M test"
newline: .db 13, 10
        .ascii "$"
crctext: .ascii "crc $"
sumtext: .ascii " sum $"

        .area _DATA
pass:   .ds 2
total:  .ds 3                   ; BCD, least significant pair first
bcd:    .ds 3
buf:    .ds 256
copy:   .ds 256
work:   .ds 256
