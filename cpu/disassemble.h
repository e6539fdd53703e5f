// Our Z80 disassembler: one instruction's bytes to text that SDCC's assembler (sdasz80)
// accepts and assembles back into the same bytes, for the debugger's CPU view and the trace.
//
// Notation, as sdasz80 writes it: lower-case mnemonics; "ld a, b" (one space after the
// mnemonic and after each comma); ALU forms always name A ("sub a, b", "cp a, #0x05");
// immediates "#0x12" and "#0x1234"; absolute addresses and ports bare hex inside
// parentheses ("ld a, (0xc000)", "out (0xbe), a"); jump and call targets bare hex
// ("jp 0x0038", and JR and DJNZ show the absolute target, not the offset); indexed operands
// with a signed decimal displacement ("ld a, 5 (ix)", "ld -3 (iy), #0x12"); the halves of
// the index registers "ixh", "ixl", "iyh", "iyl" (assembled under sdasz80's .zxn directive,
// which accepts them).
//
// Forms that sdasz80 cannot write are shown as the bytes themselves, in the canonical text
// ".db 0xcb, 0x30" (every byte of the instruction, lower-case hex, ", " between them, no
// comment), so the text still assembles to the same bytes:
// - SLL (CB 30-37) and its DD CB / FD CB form;
// - DD CB d op and FD CB d op whose low three bits name a register (the result copied to it),
//   and the BIT forms whose low three bits are not 6;
// - IN (C) and OUT (C),0 (ED 70, ED 71), the ED duplicates of NEG, RETN and IM, the ED forms
//   of LD (nn),HL and LD HL,(nn) (ED 63, ED 6B: four bytes), and ED bytes with no meaning.
// A DD or FD prefix that changes nothing (before a byte without an indexed form, or before
// 0x64 and 0x6D, where "ld ixh, ixh" would mean what "ld h, h" means) is one instruction of
// its own, ".db 0xdd", as the core executes it: one step, then the next byte as an opcode.
#pragma once

#include <cstddef>
#include <cstdint>

namespace plexaro::z80 {

// Room for the longest text and its terminating zero.
inline constexpr size_t DisassemblyTextSize = 32;

// Decodes the instruction at bytes[0], which sits at CPU `address` (for JR and DJNZ
// targets), and writes its zero-terminated text into `text` (cut to size - 1 characters).
// Returns its length in bytes (1 to 4). When fewer than that many bytes are available, the
// first byte alone is shown as ".db" and 1 is returned; with none available, 0.
uint32_t Disassemble(const uint8_t* bytes, uint32_t available, uint16_t address, char* text,
                     size_t size);

}  // namespace plexaro::z80
