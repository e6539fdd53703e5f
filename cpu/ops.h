// The executor's working registers and the small operations its decoders are built from.
// Everything here is always inlined into Run, so the registers stay in host registers;
// only the rare handler paths copy them back to the state block and reload them.
#pragma once

#include <cstdint>

#include "cpu/flag_tables.h"
#include "cpu/z80_state.h"

namespace plexaro::z80::detail {

// The working copy of the registers that instructions touch all the time. Alternate
// registers, I, IM and the flip-flops stay in the state block.
struct Cpu {
    uint32_t a;
    uint32_t f;  // bits 3 and 5 are meaningless here; xy holds them
    uint32_t bc, de, hl, ix, iy, sp, pc;
    uint32_t xy;
    uint32_t r;
    int32_t left;  // CyclesLeft
};

// Register numbers as the opcodes encode them; 6 is (HL) and never reaches these helpers.
enum Reg8 : int { RegB = 0, RegC = 1, RegD = 2, RegE = 3, RegH = 4, RegL = 5, RegA = 7 };

[[gnu::always_inline]] inline void Flush(const Cpu& c) {
    core.af = c.a | (c.f << 8);
    core.bc = c.bc;
    core.de = c.de;
    core.hl = c.hl;
    core.ix = c.ix;
    core.iy = c.iy;
    core.sp = c.sp;
    core.pc = c.pc;
    core.xySource = static_cast<uint8_t>(c.xy);
    core.r = c.r;
    counters.cyclesLeft = c.left;
}

[[gnu::always_inline]] inline void Reload(Cpu& c) {
    c.a = core.af & 0xFF;
    c.f = core.af >> 8;
    c.bc = core.bc;
    c.de = core.de;
    c.hl = core.hl;
    c.ix = core.ix;
    c.iy = core.iy;
    c.sp = core.sp;
    c.pc = core.pc;
    c.xy = core.xySource;
    c.r = core.r;
    c.left = counters.cyclesLeft;
}

// A memory handler asked for an interrupt: end the run's budget after this instruction
// so that the end-of-budget path (closing the window) can answer it.
[[gnu::always_inline]] inline void OpenRequestWindow(Cpu& c) {
    counters.deferredRequest = 0;
    if (counters.eiWindow != 0) return;  // already closing after this instruction
    counters.savedCyclesLeft = c.left;
    counters.windowCost = 0;
    counters.eiWindow = 1;
    c.left = 1;
}

// ---- Memory and ports -------------------------------------------------------------------

[[gnu::always_inline]] inline uint32_t Fetch8(Cpu& c) {
    const uint32_t v = core.fetch[c.pc >> 8][c.pc];
    c.pc = (c.pc + 1) & 0xFFFF;
    return v;
}

[[gnu::always_inline]] inline uint32_t Fetch16(Cpu& c) {
    const uint32_t low = Fetch8(c);
    return low | (Fetch8(c) << 8);
}

[[gnu::always_inline]] inline uint32_t FetchDisplaced(Cpu& c, uint32_t base) {
    const auto d = static_cast<int8_t>(Fetch8(c));
    return (base + static_cast<uint32_t>(static_cast<int32_t>(d))) & 0xFFFF;
}

[[gnu::cold, gnu::noinline]] inline uint32_t CallRead(ReadHandler handler, uint32_t address) {
    const CallContext outer = counters.context;
    counters.context = CallContext::Memory;
    const uint32_t v = handler(address) & 0xFF;
    counters.context = outer;
    return v;
}

[[gnu::cold, gnu::noinline]] inline void CallWrite(WriteHandler handler, uint32_t address,
                                                   uint32_t value) {
    const CallContext outer = counters.context;
    counters.context = CallContext::Memory;
    handler(address, value);
    counters.context = outer;
}

[[gnu::always_inline]] inline uint32_t Read8(Cpu& c, uint32_t address) {
    const PageSlot<ReadHandler>& slot = core.read[address >> 8];
    if (slot.handler == nullptr) [[likely]]
        return slot.memory[address];
    Flush(c);
    const uint32_t v = CallRead(slot.handler, address);
    Reload(c);
    if (counters.deferredRequest != 0) OpenRequestWindow(c);
    return v;
}

[[gnu::always_inline]] inline void Write8(Cpu& c, uint32_t address, uint32_t value) {
    const PageSlot<WriteHandler>& slot = core.write[address >> 8];
    if (slot.handler == nullptr) [[likely]] {
        slot.memory[address] = static_cast<uint8_t>(value);
        return;
    }
    Flush(c);
    CallWrite(slot.handler, address, value);
    Reload(c);
    if (counters.deferredRequest != 0) OpenRequestWindow(c);
}

[[gnu::always_inline]] inline uint32_t Read16(Cpu& c, uint32_t address) {
    const uint32_t low = Read8(c, address);
    return low | (Read8(c, (address + 1) & 0xFFFF) << 8);
}

[[gnu::always_inline]] inline void Write16(Cpu& c, uint32_t address, uint32_t value) {
    Write8(c, address, value & 0xFF);
    Write8(c, (address + 1) & 0xFFFF, value >> 8);
}

[[gnu::always_inline]] inline void Push(Cpu& c, uint32_t value) {
    c.sp = (c.sp - 1) & 0xFFFF;
    Write8(c, c.sp, value >> 8);
    c.sp = (c.sp - 1) & 0xFFFF;
    Write8(c, c.sp, value & 0xFF);
}

[[gnu::always_inline]] inline uint32_t Pop(Cpu& c) {
    const uint32_t low = Read8(c, c.sp);
    const uint32_t high = Read8(c, (c.sp + 1) & 0xFFFF);
    c.sp = (c.sp + 2) & 0xFFFF;
    return low | (high << 8);
}

// Port handlers may take an interrupt at once (it changes PC, SP and the flip-flops),
// and may read or set any register, so everything goes back to the state block.
[[gnu::cold, gnu::noinline]] inline uint32_t CallIn(uint32_t port) {
    return core.in(port)&0xFF;
}

[[gnu::cold, gnu::noinline]] inline void CallOut(uint32_t port, uint32_t value) {
    core.out(port, value);
}

[[gnu::always_inline]] inline uint32_t PortIn(Cpu& c, uint32_t port) {
    Flush(c);
    const uint32_t v = CallIn(port);
    Reload(c);
    return v;
}

[[gnu::always_inline]] inline void PortOut(Cpu& c, uint32_t port, uint32_t value) {
    Flush(c);
    CallOut(port, value);
    Reload(c);
}

// ---- Registers ----------------------------------------------------------------------------

template <int R>
[[gnu::always_inline]] inline uint32_t Get(const Cpu& c) {
    if constexpr (R == RegB) return c.bc >> 8;
    if constexpr (R == RegC) return c.bc & 0xFF;
    if constexpr (R == RegD) return c.de >> 8;
    if constexpr (R == RegE) return c.de & 0xFF;
    if constexpr (R == RegH) return c.hl >> 8;
    if constexpr (R == RegL) return c.hl & 0xFF;
    if constexpr (R == RegA) return c.a;
}

template <int R>
[[gnu::always_inline]] inline void Put(Cpu& c, uint32_t v) {
    if constexpr (R == RegB) c.bc = (c.bc & 0x00FF) | (v << 8);
    if constexpr (R == RegC) c.bc = (c.bc & 0xFF00) | v;
    if constexpr (R == RegD) c.de = (c.de & 0x00FF) | (v << 8);
    if constexpr (R == RegE) c.de = (c.de & 0xFF00) | v;
    if constexpr (R == RegH) c.hl = (c.hl & 0x00FF) | (v << 8);
    if constexpr (R == RegL) c.hl = (c.hl & 0xFF00) | v;
    if constexpr (R == RegA) c.a = v;
}

// The same under a DD or FD prefix: H and L name the halves of the index register.
template <int R>
[[gnu::always_inline]] inline uint32_t GetX(const Cpu& c, uint32_t x) {
    if constexpr (R == RegH) return x >> 8;
    if constexpr (R == RegL) return x & 0xFF;
    if constexpr (R != RegH && R != RegL) return Get<R>(c);
}

template <int R>
[[gnu::always_inline]] inline void PutX(Cpu& c, uint32_t& x, uint32_t v) {
    if constexpr (R == RegH) x = (x & 0x00FF) | (v << 8);
    if constexpr (R == RegL) x = (x & 0xFF00) | v;
    if constexpr (R != RegH && R != RegL) Put<R>(c, v);
}

// Register field of an opcode at run time, for the CB and DD CB pages.
[[gnu::always_inline]] inline uint32_t GetByIndex(const Cpu& c, uint32_t r) {
    switch (r) {
        case RegB: return Get<RegB>(c);
        case RegC: return Get<RegC>(c);
        case RegD: return Get<RegD>(c);
        case RegE: return Get<RegE>(c);
        case RegH: return Get<RegH>(c);
        case RegL: return Get<RegL>(c);
        default: return c.a;
    }
}

[[gnu::always_inline]] inline void PutByIndex(Cpu& c, uint32_t r, uint32_t v) {
    switch (r) {
        case RegB: Put<RegB>(c, v); break;
        case RegC: Put<RegC>(c, v); break;
        case RegD: Put<RegD>(c, v); break;
        case RegE: Put<RegE>(c, v); break;
        case RegH: Put<RegH>(c, v); break;
        case RegL: Put<RegL>(c, v); break;
        default: c.a = v; break;
    }
}

// ---- Arithmetic and logic -----------------------------------------------------------------

[[gnu::always_inline]] inline void Add8(Cpu& c, uint32_t v, uint32_t carry) {
    const uint32_t result = c.a + v + carry;
    c.f = SzTable[result & 0xFF] | ((c.a ^ v ^ result) & FlagH) |
          (((c.a ^ v ^ 0x80) & (c.a ^ result) & 0x80) >> 5) | (result >> 8);
    c.a = result & 0xFF;
    c.xy = c.a;
}

// Flags of A - v - borrow, the result returned.
[[gnu::always_inline]] inline uint32_t Subtract8(Cpu& c, uint32_t v, uint32_t borrow) {
    const uint32_t result = (c.a - v - borrow) & 0x1FF;
    c.f = SzTable[result & 0xFF] | ((c.a ^ v ^ result) & FlagH) |
          (((c.a ^ v) & (c.a ^ result) & 0x80) >> 5) | FlagN | (result >> 8);
    return result & 0xFF;
}

[[gnu::always_inline]] inline void Sub8(Cpu& c, uint32_t v, uint32_t borrow) {
    c.a = Subtract8(c, v, borrow);
    c.xy = c.a;
}

[[gnu::always_inline]] inline void Cp8(Cpu& c, uint32_t v) {
    Subtract8(c, v, 0);
    c.xy = v;
}

[[gnu::always_inline]] inline void And8(Cpu& c, uint32_t v) {
    c.a &= v;
    c.f = SzpTable[c.a] | FlagH;
    c.xy = c.a;
}

[[gnu::always_inline]] inline void Xor8(Cpu& c, uint32_t v) {
    c.a ^= v;
    c.f = SzpTable[c.a];
    c.xy = c.a;
}

[[gnu::always_inline]] inline void Or8(Cpu& c, uint32_t v) {
    c.a |= v;
    c.f = SzpTable[c.a];
    c.xy = c.a;
}

// The eight operations of the 80-BF rows and of the immediate forms, by bits 3-5.
[[gnu::always_inline]] inline void Alu(Cpu& c, uint32_t operation, uint32_t v) {
    switch (operation & 7) {
        case 0: Add8(c, v, 0); break;
        case 1: Add8(c, v, c.f & FlagC); break;
        case 2: Sub8(c, v, 0); break;
        case 3: Sub8(c, v, c.f & FlagC); break;
        case 4: And8(c, v); break;
        case 5: Xor8(c, v); break;
        case 6: Or8(c, v); break;
        default: Cp8(c, v); break;
    }
}

[[gnu::always_inline]] inline uint32_t Inc8(Cpu& c, uint32_t v) {
    c.f = (c.f & FlagC) | IncTable[v];
    c.xy = (v + 1) & 0xFF;
    return c.xy;
}

[[gnu::always_inline]] inline uint32_t Dec8(Cpu& c, uint32_t v) {
    c.f = (c.f & FlagC) | DecTable[v];
    c.xy = (v - 1) & 0xFF;
    return c.xy;
}

[[gnu::always_inline]] inline uint32_t Add16(Cpu& c, uint32_t x, uint32_t v) {
    const uint32_t result = x + v;
    c.f = (c.f & (FlagS | FlagZ | FlagPV)) | (((x ^ v ^ result) >> 8) & FlagH) | (result >> 16);
    c.xy = (result >> 8) & 0xFF;
    return result & 0xFFFF;
}

[[gnu::always_inline]] inline void Adc16(Cpu& c, uint32_t v) {
    const uint32_t result = c.hl + v + (c.f & FlagC);
    c.f = (((c.hl ^ v ^ result) >> 8) & FlagH) | (result >> 16) | ((result >> 8) & FlagS) |
          ((result & 0xFFFF) == 0 ? FlagZ : 0) |
          (((c.hl ^ v ^ 0x8000) & (c.hl ^ result) & 0x8000) >> 13);
    c.hl = result & 0xFFFF;
    c.xy = c.hl >> 8;
}

[[gnu::always_inline]] inline void Sbc16(Cpu& c, uint32_t v) {
    const uint32_t result = (c.hl - v - (c.f & FlagC)) & 0x1FFFF;
    c.f = (((c.hl ^ v ^ result) >> 8) & FlagH) | (result >> 16) | ((result >> 8) & FlagS) |
          ((result & 0xFFFF) == 0 ? FlagZ : 0) | (((c.hl ^ v) & (c.hl ^ result) & 0x8000) >> 13) |
          FlagN;
    c.hl = result & 0xFFFF;
    c.xy = c.hl >> 8;
}

// The rotates and shifts of the CB page, by bits 3-5 of the opcode.
[[gnu::always_inline]] inline uint32_t Shift(Cpu& c, uint32_t operation, uint32_t v) {
    uint32_t result;
    uint32_t carry;
    switch (operation & 7) {
        case 0:
            carry = v >> 7;
            result = (v << 1) | carry;
            break;  // RLC
        case 1:
            carry = v & 1;
            result = (v >> 1) | (carry << 7);
            break;  // RRC
        case 2:
            carry = v >> 7;
            result = (v << 1) | (c.f & FlagC);
            break;  // RL
        case 3:
            carry = v & 1;
            result = (v >> 1) | ((c.f & FlagC) << 7);
            break;  // RR
        case 4:
            carry = v >> 7;
            result = v << 1;
            break;  // SLA
        case 5:
            carry = v & 1;
            result = (v >> 1) | (v & 0x80);
            break;  // SRA
        case 6:
            carry = v >> 7;
            result = (v << 1) | 1;
            break;  // SLL
        default:
            carry = v & 1;
            result = v >> 1;
            break;  // SRL
    }
    result &= 0xFF;
    c.f = SzpTable[result] | carry;
    c.xy = result;
    return result;
}

// BIT leaves bits 3 and 5 alone in every form.
[[gnu::always_inline]] inline void Bit(Cpu& c, uint32_t bit, uint32_t v) {
    const uint32_t tested = v & (1u << bit);
    c.f = (c.f & FlagC) | FlagH | (tested == 0 ? FlagZ | FlagPV : 0) | (tested & FlagS);
}

[[gnu::always_inline]] inline void Daa(Cpu& c) {
    const uint32_t index = ((c.f & FlagN) << 8) | ((c.f & FlagC) << 8) | c.a;
    const DaaEntry& entry = DaaTables[(c.f & FlagH) != 0 ? 1 : 0][index];
    c.a = entry.a;
    c.f = entry.f;
    c.xy = entry.f;
}

[[gnu::always_inline]] inline bool Condition(const Cpu& c, uint32_t cc) {
    switch (cc & 7) {
        case 0: return (c.f & FlagZ) == 0;
        case 1: return (c.f & FlagZ) != 0;
        case 2: return (c.f & FlagC) == 0;
        case 3: return (c.f & FlagC) != 0;
        case 4: return (c.f & FlagPV) == 0;
        case 5: return (c.f & FlagPV) != 0;
        case 6: return (c.f & FlagS) == 0;
        default: return (c.f & FlagS) != 0;
    }
}

// F as PUSH AF and EX AF,AF' see it: bits 3 and 5 merged in from XYSource.
[[gnu::always_inline]] inline uint32_t MergedF(const Cpu& c) {
    return (c.f & ~FlagsXY & 0xFF) | (c.xy & FlagsXY);
}

}  // namespace plexaro::z80::detail
