// The CB, ED, DD/FD and DD CB/FD CB pages. Each Exec function runs one instruction of its
// page and returns its cost; Run charges it. Included by execute.cpp only.
#pragma once

#include <cstdint>

#include "cpu/costs.h"
#include "cpu/ops.h"

namespace plexaro::z80::detail {

// ---- CB page -------------------------------------------------------------------------------

[[gnu::always_inline]] inline int32_t ExecCb(Cpu& c, uint32_t op) {
    const uint32_t field = (op >> 3) & 7;
    const uint32_t reg = op & 7;
    if (reg == 6) {
        const uint32_t v = Read8(c, c.hl);
        switch (op >> 6) {
            case 0: Write8(c, c.hl, Shift(c, field, v)); break;
            case 1: Bit(c, field, v); break;
            case 2: Write8(c, c.hl, v & ~(1u << field)); break;
            default: Write8(c, c.hl, v | (1u << field)); break;
        }
    } else {
        const uint32_t v = GetByIndex(c, reg);
        switch (op >> 6) {
            case 0: PutByIndex(c, reg, Shift(c, field, v)); break;
            case 1: Bit(c, field, v); break;
            case 2: PutByIndex(c, reg, v & ~(1u << field)); break;
            default: PutByIndex(c, reg, v | (1u << field)); break;
        }
    }
    return CbCosts[op];
}

// DD CB d op and FD CB d op on the effective address; operations other than BIT also
// copy their result into the register that the low three bits name, unless that is 6.
[[gnu::always_inline]] inline int32_t ExecIndexCb(Cpu& c, uint32_t address, uint32_t op) {
    const uint32_t field = (op >> 3) & 7;
    const uint32_t v = Read8(c, address);
    uint32_t result;
    switch (op >> 6) {
        case 0: result = Shift(c, field, v); break;
        case 1: Bit(c, field, v); return IndexCbBitCost;
        case 2: result = v & ~(1u << field); break;
        default: result = v | (1u << field); break;
    }
    Write8(c, address, result);
    if ((op & 7) != 6) PutByIndex(c, op & 7, result);
    return IndexCbCost;
}

// ---- Block instructions --------------------------------------------------------------------

// One step of LDI (step +1) or LDD (step 0xFFFF).
[[gnu::always_inline]] inline void BlockLoad(Cpu& c, uint32_t step) {
    const uint32_t v = Read8(c, c.hl);
    Write8(c, c.de, v);
    c.hl = (c.hl + step) & 0xFFFF;
    c.de = (c.de + step) & 0xFFFF;
    c.bc = (c.bc - 1) & 0xFFFF;
    const uint32_t n = c.a + v;
    c.f = (c.f & (FlagS | FlagZ | FlagC)) | (c.bc != 0 ? FlagPV : 0);
    c.xy = ((n << 4) & FlagY) | (n & FlagX);
}

// One step of CPI or CPD; returns true on a match.
[[gnu::always_inline]] inline bool BlockCompare(Cpu& c, uint32_t step) {
    const uint32_t v = Read8(c, c.hl);
    const uint32_t result = (c.a - v) & 0xFF;
    const uint32_t half = (c.a ^ v ^ result) & FlagH;
    c.hl = (c.hl + step) & 0xFFFF;
    c.bc = (c.bc - 1) & 0xFFFF;
    c.f = (c.f & FlagC) | FlagN | half | (SzTable[result] & (FlagS | FlagZ)) |
          (c.bc != 0 ? FlagPV : 0);
    const uint32_t n = result - (half != 0 ? 1 : 0);
    c.xy = ((n << 4) & FlagY) | (n & FlagX);
    return result == 0;
}

// N, H and C of the block input and output forms, from the byte moved and k.
[[gnu::always_inline]] inline uint32_t BlockIoCarries(uint32_t v, uint32_t k) {
    return ((v >> 6) & FlagN) | (v + k > 0xFF ? FlagH | FlagC : 0);
}

// One step of INI/IND (input) or OUTI/OTD (output). `pcSeen` is the PC an interrupt taken
// by the port handler would push. Returns true if the handler took an interrupt, in which
// case PC is the interrupt routine's.
[[gnu::always_inline]] inline bool BlockIo(Cpu& c, bool input, uint32_t step, uint32_t pcSeen,
                                           uint32_t& moved) {
    const uint32_t next = c.pc;
    const uint32_t responses = counters.responses;
    if (input) {
        c.pc = pcSeen;
        moved = PortIn(c, c.bc & 0xFF);
        if (counters.responses == responses) c.pc = next;
        Write8(c, c.hl, moved);
        c.bc = (c.bc - 0x100) & 0xFFFF;
    } else {
        moved = Read8(c, c.hl);
        c.bc = (c.bc - 0x100) & 0xFFFF;
        c.pc = pcSeen;
        PortOut(c, c.bc & 0xFF, moved);
        if (counters.responses == responses) c.pc = next;
    }
    c.hl = (c.hl + step) & 0xFFFF;
    return counters.responses != responses;
}

[[gnu::always_inline]] inline int32_t BlockIoOnce(Cpu& c, bool input, uint32_t step) {
    const uint32_t port = c.bc & 0xFF;
    uint32_t moved;
    BlockIo(c, input, step, c.pc, moved);
    const uint32_t b = c.bc >> 8;
    const uint32_t k = (input && step != 1 ? port - 1 : port + 1) & 0xFF;
    c.f = SzpTable[b] | BlockIoCarries(moved, k);
    c.xy = b;
    return BlockLastCost;
}

// INIR, INDR, OTIR, OTDR: steps while B stays non-zero and budget remains.
[[gnu::always_inline]] inline int32_t BlockIoRepeat(Cpu& c, bool input, uint32_t step) {
    const uint32_t start = (c.pc - 2) & 0xFFFF;
    for (;;) {
        const uint32_t port = c.bc & 0xFF;
        const bool last = (c.bc >> 8) == 1;
        uint32_t moved;
        const bool interrupted = BlockIo(c, input, step, last ? c.pc : start, moved);
        const uint32_t b = c.bc >> 8;
        const uint32_t carries = BlockIoCarries(moved, (port + 1) & 0xFF);
        c.xy = b;
        if (b == 0) {
            c.f = FlagZ | FlagPV | carries;
            return BlockLastCost;
        }
        c.f = (b & FlagS) | carries;
        if (!input) ++c.r;
        if (interrupted) return BlockRepeatCost;
        if ((c.left -= BlockRepeatCost) <= 0) {
            c.pc = start;
            return 0;
        }
    }
}

// ---- ED page -------------------------------------------------------------------------------

[[gnu::always_inline]] inline uint32_t GetPair(const Cpu& c, uint32_t p) {
    switch (p & 3) {
        case 0: return c.bc;
        case 1: return c.de;
        case 2: return c.hl;
        default: return c.sp;
    }
}

[[gnu::always_inline]] inline void PutPair(Cpu& c, uint32_t p, uint32_t v) {
    switch (p & 3) {
        case 0: c.bc = v; break;
        case 1: c.de = v; break;
        case 2: c.hl = v; break;
        default: c.sp = v; break;
    }
}

[[gnu::cold, gnu::noinline]] inline void CallReti() {
    if (core.reti != nullptr) core.reti();
}

[[gnu::always_inline]] inline int32_t ExecEd(Cpu& c, uint32_t op) {
    constexpr uint32_t StepUp = 1;
    constexpr uint32_t StepDown = 0xFFFF;
    const uint32_t field = (op >> 3) & 7;
    switch (op) {
        case 0x40:
        case 0x48:
        case 0x50:
        case 0x58:
        case 0x60:
        case 0x68:
        case 0x70:
        case 0x78: {  // IN r,(C); IN (C)
            const uint32_t v = PortIn(c, c.bc);
            c.f = (c.f & FlagC) | SzpTable[v];
            c.xy = v;
            if (field != 6) PutByIndex(c, field, v);
            break;
        }
        case 0x41:
        case 0x49:
        case 0x51:
        case 0x59:
        case 0x61:
        case 0x69:
        case 0x71:
        case 0x79:  // OUT (C),r; OUT (C),0
            PortOut(c, c.bc, field == 6 ? 0 : GetByIndex(c, field));
            break;
        case 0x42:
        case 0x52:
        case 0x62:
        case 0x72: Sbc16(c, GetPair(c, field >> 1)); break;
        case 0x4A:
        case 0x5A:
        case 0x6A:
        case 0x7A: Adc16(c, GetPair(c, field >> 1)); break;
        case 0x43:
        case 0x53:
        case 0x63:
        case 0x73:  // LD (nn),rr
            Write16(c, Fetch16(c), GetPair(c, field >> 1));
            break;
        case 0x4B:
        case 0x5B:
        case 0x6B:
        case 0x7B:  // LD rr,(nn)
            PutPair(c, field >> 1, Read16(c, Fetch16(c)));
            break;
        case 0x44:
        case 0x4C:
        case 0x54:
        case 0x5C:
        case 0x64:
        case 0x6C:
        case 0x74:
        case 0x7C: {  // NEG
            const uint32_t v = c.a;
            c.a = 0;
            Sub8(c, v, 0);
            break;
        }
        case 0x4D:  // RETI
            c.pc = Pop(c);
            core.iff1 = core.iff2;
            Flush(c);
            CallReti();
            Reload(c);
            break;
        case 0x45:
        case 0x55:
        case 0x5D:
        case 0x65:
        case 0x6D:
        case 0x75:
        case 0x7D:  // RETN
            c.pc = Pop(c);
            core.iff1 = core.iff2;
            break;
        case 0x46:
        case 0x66: core.im = 0; break;
        case 0x4E:
        case 0x56:
        case 0x6E:
        case 0x76: core.im = 1; break;
        case 0x5E:
        case 0x7E: core.im = 2; break;
        case 0x47: core.i = static_cast<uint8_t>(c.a); break;  // LD I,A
        case 0x4F:                                             // LD R,A
            c.r = c.a;
            core.rHigh = c.a;
            break;
        case 0x57:  // LD A,I
            c.a = core.i;
            c.f = (c.f & FlagC) | SzTable[c.a] | (core.iff2 != 0 ? FlagPV : 0);
            c.xy = c.a;
            break;
        case 0x5F:  // LD A,R
            c.a = (core.rHigh & 0x80) | (c.r & 0x7F);
            c.f = (c.f & FlagC) | SzTable[c.a] | (core.iff2 != 0 ? FlagPV : 0);
            c.xy = c.a;
            break;
        case 0x67: {  // RRD
            const uint32_t m = Read8(c, c.hl);
            Write8(c, c.hl, ((c.a << 4) | (m >> 4)) & 0xFF);
            c.a = (c.a & 0xF0) | (m & 0x0F);
            c.f = (c.f & FlagC) | SzpTable[c.a];
            c.xy = c.a;
            break;
        }
        case 0x6F: {  // RLD
            const uint32_t m = Read8(c, c.hl);
            Write8(c, c.hl, ((m << 4) | (c.a & 0x0F)) & 0xFF);
            c.a = (c.a & 0xF0) | (m >> 4);
            c.f = (c.f & FlagC) | SzpTable[c.a];
            c.xy = c.a;
            break;
        }
        case 0xA0: BlockLoad(c, StepUp); break;             // LDI
        case 0xA8: BlockLoad(c, StepDown); break;           // LDD
        case 0xA1: BlockCompare(c, StepUp); break;          // CPI
        case 0xA9: BlockCompare(c, StepDown); break;        // CPD
        case 0xA2: return BlockIoOnce(c, true, StepUp);     // INI
        case 0xAA: return BlockIoOnce(c, true, StepDown);   // IND
        case 0xA3: return BlockIoOnce(c, false, StepUp);    // OUTI
        case 0xAB: return BlockIoOnce(c, false, StepDown);  // OUTD
        case 0xB0:
        case 0xB8: {  // LDIR, LDDR
            const uint32_t step = op == 0xB0 ? StepUp : StepDown;
            for (;;) {
                BlockLoad(c, step);
                if (c.bc == 0) return BlockLastCost;
                ++c.r;
                if ((c.left -= BlockRepeatCost) <= 0) {
                    c.pc = (c.pc - 2) & 0xFFFF;
                    return 0;
                }
            }
        }
        case 0xB1:
        case 0xB9: {  // CPIR, CPDR
            const uint32_t step = op == 0xB1 ? StepUp : StepDown;
            for (;;) {
                if (BlockCompare(c, step) || c.bc == 0) return BlockLastCost;
                ++c.r;
                if ((c.left -= BlockRepeatCost) <= 0) {
                    c.pc = (c.pc - 2) & 0xFFFF;
                    return 0;
                }
            }
        }
        case 0xB2: return BlockIoRepeat(c, true, StepUp);     // INIR
        case 0xBA: return BlockIoRepeat(c, true, StepDown);   // INDR
        case 0xB3: return BlockIoRepeat(c, false, StepUp);    // OTIR
        case 0xBB: return BlockIoRepeat(c, false, StepDown);  // OTDR
        default: ++c.r; break;  // no meaning: the byte is fetched as a second opcode
    }
    return EdCosts[op];
}

// ---- DD and FD pages -----------------------------------------------------------------------

// One instruction under a DD or FD prefix, `x` being IX or IY. A byte without an indexed
// form steps PC back onto itself and costs only the prefix's cycles; Run then fetches it
// again as an unprefixed opcode.
[[gnu::always_inline]] inline int32_t ExecIndex(Cpu& c, uint32_t& x, uint32_t op) {
    switch (op) {
        case 0x09: x = Add16(c, x, c.bc); break;
        case 0x19: x = Add16(c, x, c.de); break;
        case 0x29: x = Add16(c, x, x); break;
        case 0x39: x = Add16(c, x, c.sp); break;
        case 0x21: x = Fetch16(c); break;
        case 0x22: Write16(c, Fetch16(c), x); break;
        case 0x2A: x = Read16(c, Fetch16(c)); break;
        case 0x23: x = (x + 1) & 0xFFFF; break;
        case 0x2B: x = (x - 1) & 0xFFFF; break;
        case 0x24: PutX<RegH>(c, x, Inc8(c, x >> 8)); break;
        case 0x25: PutX<RegH>(c, x, Dec8(c, x >> 8)); break;
        case 0x26: PutX<RegH>(c, x, Fetch8(c)); break;
        case 0x2C: PutX<RegL>(c, x, Inc8(c, x & 0xFF)); break;
        case 0x2D: PutX<RegL>(c, x, Dec8(c, x & 0xFF)); break;
        case 0x2E: PutX<RegL>(c, x, Fetch8(c)); break;
        case 0x34: {
            const uint32_t address = FetchDisplaced(c, x);
            Write8(c, address, Inc8(c, Read8(c, address)));
            break;
        }
        case 0x35: {
            const uint32_t address = FetchDisplaced(c, x);
            Write8(c, address, Dec8(c, Read8(c, address)));
            break;
        }
        case 0x36: {
            const uint32_t address = FetchDisplaced(c, x);
            Write8(c, address, Fetch8(c));
            break;
        }
        // LD r,r' with H and L meaning the index halves.
        case 0x44: Put<RegB>(c, GetX<RegH>(c, x)); break;
        case 0x45: Put<RegB>(c, GetX<RegL>(c, x)); break;
        case 0x4C: Put<RegC>(c, GetX<RegH>(c, x)); break;
        case 0x4D: Put<RegC>(c, GetX<RegL>(c, x)); break;
        case 0x54: Put<RegD>(c, GetX<RegH>(c, x)); break;
        case 0x55: Put<RegD>(c, GetX<RegL>(c, x)); break;
        case 0x5C: Put<RegE>(c, GetX<RegH>(c, x)); break;
        case 0x5D: Put<RegE>(c, GetX<RegL>(c, x)); break;
        case 0x60: PutX<RegH>(c, x, Get<RegB>(c)); break;
        case 0x61: PutX<RegH>(c, x, Get<RegC>(c)); break;
        case 0x62: PutX<RegH>(c, x, Get<RegD>(c)); break;
        case 0x63: PutX<RegH>(c, x, Get<RegE>(c)); break;
        case 0x65: PutX<RegH>(c, x, GetX<RegL>(c, x)); break;
        case 0x67: PutX<RegH>(c, x, Get<RegA>(c)); break;
        case 0x68: PutX<RegL>(c, x, Get<RegB>(c)); break;
        case 0x69: PutX<RegL>(c, x, Get<RegC>(c)); break;
        case 0x6A: PutX<RegL>(c, x, Get<RegD>(c)); break;
        case 0x6B: PutX<RegL>(c, x, Get<RegE>(c)); break;
        case 0x6C: PutX<RegL>(c, x, GetX<RegH>(c, x)); break;
        case 0x6F: PutX<RegL>(c, x, Get<RegA>(c)); break;
        case 0x7C: Put<RegA>(c, GetX<RegH>(c, x)); break;
        case 0x7D: Put<RegA>(c, GetX<RegL>(c, x)); break;
        // LD r,(X+d) and LD (X+d),r: here H and L are H and L.
        case 0x46:
        case 0x4E:
        case 0x56:
        case 0x5E:
        case 0x66:
        case 0x6E:
        case 0x7E: PutByIndex(c, (op >> 3) & 7, Read8(c, FetchDisplaced(c, x))); break;
        case 0x70:
        case 0x71:
        case 0x72:
        case 0x73:
        case 0x74:
        case 0x75:
        case 0x77: Write8(c, FetchDisplaced(c, x), GetByIndex(c, op & 7)); break;
        // Arithmetic and logic on the index halves and on (X+d).
        case 0x84:
        case 0x8C:
        case 0x94:
        case 0x9C:
        case 0xA4:
        case 0xAC:
        case 0xB4:
        case 0xBC: Alu(c, op >> 3, x >> 8); break;
        case 0x85:
        case 0x8D:
        case 0x95:
        case 0x9D:
        case 0xA5:
        case 0xAD:
        case 0xB5:
        case 0xBD: Alu(c, op >> 3, x & 0xFF); break;
        case 0x86:
        case 0x8E:
        case 0x96:
        case 0x9E:
        case 0xA6:
        case 0xAE:
        case 0xB6:
        case 0xBE: Alu(c, op >> 3, Read8(c, FetchDisplaced(c, x))); break;
        case 0xCB: {
            const uint32_t address = FetchDisplaced(c, x);
            ++c.r;
            return ExecIndexCb(c, address, Fetch8(c));
        }
        case 0xE1: x = Pop(c); break;
        case 0xE3: {  // EX (SP),X
            const uint32_t low = Read8(c, c.sp);
            Write8(c, c.sp, x & 0xFF);
            const uint32_t high = Read8(c, (c.sp + 1) & 0xFFFF);
            Write8(c, (c.sp + 1) & 0xFFFF, x >> 8);
            x = low | (high << 8);
            break;
        }
        case 0xE5: Push(c, x); break;
        case 0xE9: c.pc = x; break;
        case 0xF9: c.sp = x; break;
        default: c.pc = (c.pc - 1) & 0xFFFF; return IndexFallbackCost;
    }
    return IndexCosts[op];
}

}  // namespace plexaro::z80::detail
