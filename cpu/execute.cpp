// Run: the fetch-dispatch loop, the unprefixed opcode page and the end-of-budget path.
#include "cpu/costs.h"
#include "cpu/ops.h"
#include "cpu/prefixed.h"
#include "cpu/z80_state.h"

namespace plexaro::z80 {

using namespace detail;

namespace {

constexpr int32_t EiCost = 4;
// How far a chain of EIs may run past the budget before the run ends inside it: longer than
// any real program's chain, short enough that a run still ends within a few lines.
constexpr int32_t EiChainOverdraw = 1024;
static_assert(EiChainOverdraw + 64 < PendingCyclesLimit, "a line's overrun must fit a state");
constexpr uint32_t HaltCycleMask = 3;
constexpr int32_t HaltCycles = 4;
constexpr uint32_t HaltOpcode = 0x76;

// HALT stays on its opcode and ends the budget, leaving (what is left AND 3) - 4 of it.
[[gnu::always_inline]] inline int32_t LeftAfterHalt(int32_t left) {
    return static_cast<int32_t>(static_cast<uint32_t>(left) & HaltCycleMask) - HaltCycles;
}

// Jumps and calls, shared by their conditional and unconditional forms.
[[gnu::always_inline]] inline void JumpRelative(Cpu& c, uint32_t offset) {
    c.pc =
        (c.pc + static_cast<uint32_t>(static_cast<int32_t>(static_cast<int8_t>(offset)))) & 0xFFFF;
}

[[gnu::always_inline]] inline void Call(Cpu& c, uint32_t target) {
    Push(c, c.pc);
    c.pc = target;
}

// Closes the one-instruction window after EI (or after a memory handler's interrupt
// request): charges what the instruction in the window spent against the saved budget,
// takes an interrupt that is due, then charges the window's own cost.
[[gnu::always_inline]] inline void CloseWindow(Cpu& c) {
    counters.eiWindow = 0;
    c.left = counters.savedCyclesLeft - (1 - c.left);
    if (counters.deferredNmi != 0 || (core.irqLine != 0 && core.iff1 != 0)) {
        Flush(c);
        if (counters.deferredNmi != 0) {
            counters.deferredNmi = 0;
            TakeNmi();
        } else {
            TakeIrq();
        }
        Reload(c);
    }
    c.left -= counters.windowCost;
}

// A repeating block instruction that the last Step left between two repetitions with
// budget to spare: its address and second opcode byte. The next Step at that address goes
// on with it without fetching it again; a Run, or anything that changes the registers,
// forgets it.
struct HeldRepetition {
    bool held;
    uint16_t at;
    uint8_t op;
};

HeldRepetition repetition = {};

void BeginRun(int32_t budget) {
    counters.cyclesLeft = budget;
    counters.cyclesTotal = static_cast<uint32_t>(budget);
    counters.savedCyclesLeft = 0;
    counters.eiWindow = 0;
    counters.running = true;
    repetition.held = false;
}

}  // namespace

void detail::ForgetRepetition() {
    repetition.held = false;
}

uint32_t Run(int32_t cycles) {
    const int32_t budget = cycles + core.pendingCycles;
    core.pendingCycles = 0;
    BeginRun(budget);

    Cpu c;
    Reload(c);
    for (;;) {
        ++c.r;
        const uint32_t op = Fetch8(c);
        int32_t cost = MainCosts[op];
        switch (op) {
            // clang-format off
            case 0x00: break;  // NOP
            case 0x01: c.bc = Fetch16(c); break;
            case 0x11: c.de = Fetch16(c); break;
            case 0x21: c.hl = Fetch16(c); break;
            case 0x31: c.sp = Fetch16(c); break;
            case 0x02: Write8(c, c.bc, c.a); break;
            case 0x12: Write8(c, c.de, c.a); break;
            case 0x0A: c.a = Read8(c, c.bc); break;
            case 0x1A: c.a = Read8(c, c.de); break;
            case 0x22: Write16(c, Fetch16(c), c.hl); break;
            case 0x2A: c.hl = Read16(c, Fetch16(c)); break;
            case 0x32: Write8(c, Fetch16(c), c.a); break;
            case 0x3A: c.a = Read8(c, Fetch16(c)); break;
            case 0x03: c.bc = (c.bc + 1) & 0xFFFF; break;
            case 0x13: c.de = (c.de + 1) & 0xFFFF; break;
            case 0x23: c.hl = (c.hl + 1) & 0xFFFF; break;
            case 0x33: c.sp = (c.sp + 1) & 0xFFFF; break;
            case 0x0B: c.bc = (c.bc - 1) & 0xFFFF; break;
            case 0x1B: c.de = (c.de - 1) & 0xFFFF; break;
            case 0x2B: c.hl = (c.hl - 1) & 0xFFFF; break;
            case 0x3B: c.sp = (c.sp - 1) & 0xFFFF; break;
            case 0x09: c.hl = Add16(c, c.hl, c.bc); break;
            case 0x19: c.hl = Add16(c, c.hl, c.de); break;
            case 0x29: c.hl = Add16(c, c.hl, c.hl); break;
            case 0x39: c.hl = Add16(c, c.hl, c.sp); break;

            case 0x04: Put<RegB>(c, Inc8(c, Get<RegB>(c))); break;
            case 0x0C: Put<RegC>(c, Inc8(c, Get<RegC>(c))); break;
            case 0x14: Put<RegD>(c, Inc8(c, Get<RegD>(c))); break;
            case 0x1C: Put<RegE>(c, Inc8(c, Get<RegE>(c))); break;
            case 0x24: Put<RegH>(c, Inc8(c, Get<RegH>(c))); break;
            case 0x2C: Put<RegL>(c, Inc8(c, Get<RegL>(c))); break;
            case 0x3C: c.a = Inc8(c, c.a); break;
            case 0x34: Write8(c, c.hl, Inc8(c, Read8(c, c.hl))); break;
            case 0x05: Put<RegB>(c, Dec8(c, Get<RegB>(c))); break;
            case 0x0D: Put<RegC>(c, Dec8(c, Get<RegC>(c))); break;
            case 0x15: Put<RegD>(c, Dec8(c, Get<RegD>(c))); break;
            case 0x1D: Put<RegE>(c, Dec8(c, Get<RegE>(c))); break;
            case 0x25: Put<RegH>(c, Dec8(c, Get<RegH>(c))); break;
            case 0x2D: Put<RegL>(c, Dec8(c, Get<RegL>(c))); break;
            case 0x3D: c.a = Dec8(c, c.a); break;
            case 0x35: Write8(c, c.hl, Dec8(c, Read8(c, c.hl))); break;
            case 0x06: Put<RegB>(c, Fetch8(c)); break;
            case 0x0E: Put<RegC>(c, Fetch8(c)); break;
            case 0x16: Put<RegD>(c, Fetch8(c)); break;
            case 0x1E: Put<RegE>(c, Fetch8(c)); break;
            case 0x26: Put<RegH>(c, Fetch8(c)); break;
            case 0x2E: Put<RegL>(c, Fetch8(c)); break;
            case 0x3E: c.a = Fetch8(c); break;
            case 0x36: Write8(c, c.hl, Fetch8(c)); break;

            case 0x07: {  // RLCA
                c.a = ((c.a << 1) | (c.a >> 7)) & 0xFF;
                c.f = (c.f & (FlagS | FlagZ | FlagPV)) | (c.a & FlagC);
                c.xy = c.a;
                break;
            }
            case 0x0F: {  // RRCA
                const uint32_t carry = c.a & 1;
                c.a = (c.a >> 1) | (carry << 7);
                c.f = (c.f & (FlagS | FlagZ | FlagPV)) | carry;
                c.xy = c.a;
                break;
            }
            case 0x17: {  // RLA
                const uint32_t carry = c.a >> 7;
                c.a = ((c.a << 1) | (c.f & FlagC)) & 0xFF;
                c.f = (c.f & (FlagS | FlagZ | FlagPV)) | carry;
                c.xy = c.a;
                break;
            }
            case 0x1F: {  // RRA
                const uint32_t carry = c.a & 1;
                c.a = (c.a >> 1) | ((c.f & FlagC) << 7);
                c.f = (c.f & (FlagS | FlagZ | FlagPV)) | carry;
                c.xy = c.a;
                break;
            }
            case 0x27: Daa(c); break;
            case 0x2F:  // CPL
                c.a ^= 0xFF;
                c.f = (c.f & (FlagS | FlagZ | FlagPV | FlagC)) | FlagH | FlagN;
                c.xy = c.a;
                break;
            case 0x37:  // SCF
                c.f = (c.f & (FlagS | FlagZ | FlagPV)) | FlagC;
                c.xy = c.a;
                break;
            case 0x3F:  // CCF
                c.f = ((c.f & (FlagS | FlagZ | FlagPV | FlagC)) | ((c.f & FlagC) << 4)) ^ FlagC;
                c.xy = c.a;
                break;

            case 0x08: {  // EX AF,AF'
                const uint32_t incoming = core.af2;
                core.af2 = c.a | (MergedF(c) << 8);
                c.a = incoming & 0xFF;
                c.f = incoming >> 8;
                c.xy = c.f;
                break;
            }
            case 0xD9: {  // EXX
                uint32_t t = c.bc; c.bc = core.bc2; core.bc2 = t;
                t = c.de; c.de = core.de2; core.de2 = t;
                t = c.hl; c.hl = core.hl2; core.hl2 = t;
                break;
            }
            case 0xEB: { const uint32_t t = c.de; c.de = c.hl; c.hl = t; break; }  // EX DE,HL
            case 0xE3: {  // EX (SP),HL
                const uint32_t low = Read8(c, c.sp);
                Write8(c, c.sp, c.hl & 0xFF);
                const uint32_t high = Read8(c, (c.sp + 1) & 0xFFFF);
                Write8(c, (c.sp + 1) & 0xFFFF, c.hl >> 8);
                c.hl = low | (high << 8);
                break;
            }

            case 0x10:  // DJNZ
                c.bc = (c.bc - 0x100) & 0xFFFF;
                if ((c.bc >> 8) != 0) {
                    JumpRelative(c, Fetch8(c));
                    cost += JrTakenExtra;
                } else {
                    c.pc = (c.pc + 1) & 0xFFFF;
                }
                break;
            case 0x18: JumpRelative(c, Fetch8(c)); break;
            case 0x20: case 0x28: case 0x30: case 0x38:  // JR cc
                if (Condition(c, (op >> 3) & 3)) {
                    JumpRelative(c, Fetch8(c));
                    cost += JrTakenExtra;
                } else {
                    c.pc = (c.pc + 1) & 0xFFFF;
                }
                break;
            case 0xC3: c.pc = Fetch16(c); break;
            case 0xC2: case 0xCA: case 0xD2: case 0xDA:
            case 0xE2: case 0xEA: case 0xF2: case 0xFA: {  // JP cc
                const uint32_t target = Fetch16(c);
                if (Condition(c, op >> 3)) c.pc = target;
                break;
            }
            case 0xE9: c.pc = c.hl; break;
            case 0xCD: Call(c, Fetch16(c)); break;
            case 0xC4: case 0xCC: case 0xD4: case 0xDC:
            case 0xE4: case 0xEC: case 0xF4: case 0xFC: {  // CALL cc
                const uint32_t target = Fetch16(c);
                if (Condition(c, op >> 3)) {
                    Call(c, target);
                    cost += CallTakenExtra;
                }
                break;
            }
            case 0xC9: c.pc = Pop(c); break;
            case 0xC0: case 0xC8: case 0xD0: case 0xD8:
            case 0xE0: case 0xE8: case 0xF0: case 0xF8:  // RET cc
                if (Condition(c, op >> 3)) {
                    c.pc = Pop(c);
                    cost += RetTakenExtra;
                }
                break;
            case 0xC7: case 0xCF: case 0xD7: case 0xDF:
            case 0xE7: case 0xEF: case 0xF7: case 0xFF:  // RST
                Call(c, op & 0x38);
                break;

            case 0xC1: c.bc = Pop(c); break;
            case 0xD1: c.de = Pop(c); break;
            case 0xE1: c.hl = Pop(c); break;
            case 0xF1: {  // POP AF
                const uint32_t v = Pop(c);
                c.a = v >> 8;
                c.f = v & 0xFF;
                c.xy = c.f;
                break;
            }
            case 0xC5: Push(c, c.bc); break;
            case 0xD5: Push(c, c.de); break;
            case 0xE5: Push(c, c.hl); break;
            case 0xF5:  // PUSH AF
                c.f = MergedF(c);
                Push(c, (c.a << 8) | c.f);
                break;
            case 0xF9: c.sp = c.hl; break;

            case 0xD3: {  // OUT (n),A
                const uint32_t port = Fetch8(c) | (c.a << 8);
                PortOut(c, port, c.a);
                break;
            }
            case 0xDB: {  // IN A,(n)
                const uint32_t port = Fetch8(c) | (c.a << 8);
                c.a = PortIn(c, port);
                break;
            }
            case 0xF3: core.iff1 = core.iff2 = 0; break;  // DI
            case 0xFB:  // EI: the next instruction runs in a one-instruction window
                core.iff1 = core.iff2 = 1;
                // EI inside the window of an earlier EI: that EI's cycles are charged now,
                // or the pair would cost 4 where the CPU spends 8.
                if (counters.eiWindow == 0) {
                    counters.savedCyclesLeft = c.left;
                } else {
                    counters.savedCyclesLeft -= counters.windowCost;
                    // A chain of EIs no program writes (memory full of 0xFB) would keep the
                    // window open for ever: end the run inside it, this EI charged below.
                    if (counters.savedCyclesLeft < -EiChainOverdraw) {
                        c.left = counters.savedCyclesLeft;
                        counters.eiWindow = 0;
                        break;
                    }
                }
                counters.eiWindow = 1;
                counters.windowCost = EiCost;
                c.left = 1;
                continue;
            case 0x76:  // HALT: stay on the opcode and end the budget
                c.pc = (c.pc - 1) & 0xFFFF;
                c.left = LeftAfterHalt(c.left);
                cost = 0;
                break;

            // LD r,r'
            case 0x40: break;
            case 0x41: Put<RegB>(c, Get<RegC>(c)); break;
            case 0x42: Put<RegB>(c, Get<RegD>(c)); break;
            case 0x43: Put<RegB>(c, Get<RegE>(c)); break;
            case 0x44: Put<RegB>(c, Get<RegH>(c)); break;
            case 0x45: Put<RegB>(c, Get<RegL>(c)); break;
            case 0x47: Put<RegB>(c, c.a); break;
            case 0x48: Put<RegC>(c, Get<RegB>(c)); break;
            case 0x49: break;
            case 0x4A: Put<RegC>(c, Get<RegD>(c)); break;
            case 0x4B: Put<RegC>(c, Get<RegE>(c)); break;
            case 0x4C: Put<RegC>(c, Get<RegH>(c)); break;
            case 0x4D: Put<RegC>(c, Get<RegL>(c)); break;
            case 0x4F: Put<RegC>(c, c.a); break;
            case 0x50: Put<RegD>(c, Get<RegB>(c)); break;
            case 0x51: Put<RegD>(c, Get<RegC>(c)); break;
            case 0x52: break;
            case 0x53: Put<RegD>(c, Get<RegE>(c)); break;
            case 0x54: Put<RegD>(c, Get<RegH>(c)); break;
            case 0x55: Put<RegD>(c, Get<RegL>(c)); break;
            case 0x57: Put<RegD>(c, c.a); break;
            case 0x58: Put<RegE>(c, Get<RegB>(c)); break;
            case 0x59: Put<RegE>(c, Get<RegC>(c)); break;
            case 0x5A: Put<RegE>(c, Get<RegD>(c)); break;
            case 0x5B: break;
            case 0x5C: Put<RegE>(c, Get<RegH>(c)); break;
            case 0x5D: Put<RegE>(c, Get<RegL>(c)); break;
            case 0x5F: Put<RegE>(c, c.a); break;
            case 0x60: Put<RegH>(c, Get<RegB>(c)); break;
            case 0x61: Put<RegH>(c, Get<RegC>(c)); break;
            case 0x62: Put<RegH>(c, Get<RegD>(c)); break;
            case 0x63: Put<RegH>(c, Get<RegE>(c)); break;
            case 0x64: break;
            case 0x65: Put<RegH>(c, Get<RegL>(c)); break;
            case 0x67: Put<RegH>(c, c.a); break;
            case 0x68: Put<RegL>(c, Get<RegB>(c)); break;
            case 0x69: Put<RegL>(c, Get<RegC>(c)); break;
            case 0x6A: Put<RegL>(c, Get<RegD>(c)); break;
            case 0x6B: Put<RegL>(c, Get<RegE>(c)); break;
            case 0x6C: Put<RegL>(c, Get<RegH>(c)); break;
            case 0x6D: break;
            case 0x6F: Put<RegL>(c, c.a); break;
            case 0x78: c.a = Get<RegB>(c); break;
            case 0x79: c.a = Get<RegC>(c); break;
            case 0x7A: c.a = Get<RegD>(c); break;
            case 0x7B: c.a = Get<RegE>(c); break;
            case 0x7C: c.a = Get<RegH>(c); break;
            case 0x7D: c.a = Get<RegL>(c); break;
            case 0x7F: break;
            case 0x46: Put<RegB>(c, Read8(c, c.hl)); break;
            case 0x4E: Put<RegC>(c, Read8(c, c.hl)); break;
            case 0x56: Put<RegD>(c, Read8(c, c.hl)); break;
            case 0x5E: Put<RegE>(c, Read8(c, c.hl)); break;
            case 0x66: Put<RegH>(c, Read8(c, c.hl)); break;
            case 0x6E: Put<RegL>(c, Read8(c, c.hl)); break;
            case 0x7E: c.a = Read8(c, c.hl); break;
            case 0x70: Write8(c, c.hl, Get<RegB>(c)); break;
            case 0x71: Write8(c, c.hl, Get<RegC>(c)); break;
            case 0x72: Write8(c, c.hl, Get<RegD>(c)); break;
            case 0x73: Write8(c, c.hl, Get<RegE>(c)); break;
            case 0x74: Write8(c, c.hl, Get<RegH>(c)); break;
            case 0x75: Write8(c, c.hl, Get<RegL>(c)); break;
            case 0x77: Write8(c, c.hl, c.a); break;

            // ADD, ADC, SUB, SBC, AND, XOR, OR, CP on r, (HL) and n
            case 0x80: case 0x88: case 0x90: case 0x98: case 0xA0: case 0xA8: case 0xB0: case 0xB8:
                Alu(c, op >> 3, Get<RegB>(c));
                break;
            case 0x81: case 0x89: case 0x91: case 0x99: case 0xA1: case 0xA9: case 0xB1: case 0xB9:
                Alu(c, op >> 3, Get<RegC>(c));
                break;
            case 0x82: case 0x8A: case 0x92: case 0x9A: case 0xA2: case 0xAA: case 0xB2: case 0xBA:
                Alu(c, op >> 3, Get<RegD>(c));
                break;
            case 0x83: case 0x8B: case 0x93: case 0x9B: case 0xA3: case 0xAB: case 0xB3: case 0xBB:
                Alu(c, op >> 3, Get<RegE>(c));
                break;
            case 0x84: case 0x8C: case 0x94: case 0x9C: case 0xA4: case 0xAC: case 0xB4: case 0xBC:
                Alu(c, op >> 3, Get<RegH>(c));
                break;
            case 0x85: case 0x8D: case 0x95: case 0x9D: case 0xA5: case 0xAD: case 0xB5: case 0xBD:
                Alu(c, op >> 3, Get<RegL>(c));
                break;
            case 0x86: case 0x8E: case 0x96: case 0x9E: case 0xA6: case 0xAE: case 0xB6: case 0xBE:
                Alu(c, op >> 3, Read8(c, c.hl));
                break;
            case 0x87: case 0x8F: case 0x97: case 0x9F: case 0xA7: case 0xAF: case 0xB7: case 0xBF:
                Alu(c, op >> 3, c.a);
                break;
            case 0xC6: case 0xCE: case 0xD6: case 0xDE: case 0xE6: case 0xEE: case 0xF6: case 0xFE:
                Alu(c, op >> 3, Fetch8(c));
                break;

            // Prefixes: one more R count and opcode fetch, then the page's own decoder.
            case 0xCB: ++c.r; cost = ExecCb(c, Fetch8(c)); break;
            case 0xED: ++c.r; cost = ExecEd(c, Fetch8(c)); break;
            case 0xDD: ++c.r; cost = ExecIndex(c, c.ix, Fetch8(c)); break;
            case 0xFD: ++c.r; cost = ExecIndex(c, c.iy, Fetch8(c)); break;
            default: __builtin_unreachable();
                // clang-format on
        }
        if ((c.left -= cost) > 0) [[likely]]
            continue;
        // End of budget.
        if (counters.eiWindow == 0) break;
        CloseWindow(c);
        if (c.left <= 0) break;
    }
    Flush(c);
    counters.running = false;
    return counters.cyclesTotal - static_cast<uint32_t>(c.left);
}

namespace {

constexpr uint32_t EdPrefix = 0xED;

bool RepeatingBlock(uint32_t op) {
    return (op & 0xF4) == 0xB0;  // LDIR, CPIR, INIR, OTIR, LDDR, CPDR, INDR, OTDR
}

uint32_t OpcodeByte(uint32_t address) {
    address &= 0xFFFF;
    return core.fetch[address >> 8][address];
}

// The next repetition of the block instruction at PC, where Run's loop would have gone on
// had its budget lasted: past the two opcode bytes, which are not fetched (or counted in R)
// again. With a budget of 0 it is the only one, and ends as a Run(0) ends.
[[gnu::noinline]] uint32_t RunRepetition(uint32_t op) {
    BeginRun(0);
    Cpu c;
    Reload(c);
    c.pc = (c.pc + 2) & 0xFFFF;
    c.left -= ExecEd(c, op);
    if (counters.eiWindow != 0) CloseWindow(c);
    Flush(c);
    counters.running = false;
    return counters.cyclesTotal - static_cast<uint32_t>(c.left);
}

}  // namespace

// A fresh instruction is a Run(0) with the waiting response cycles set aside. What decides
// whether a block instruction's next repetition is fetched again is what decides it in Run:
// whether it stopped with budget left, and whether the loop itself ended it (an interrupt
// response or a memory handler's request window makes Run fetch it again too). Setting the
// window cost beforehand is harmless: it only counts while a window is open, and none is
// open between runs.
uint32_t Step(int32_t left) {
    const uint32_t pc = core.pc;
    const bool resumed = repetition.held && repetition.at == pc;
    // The block instruction about to run, if it is one: its second byte, read before it runs
    // (it may overwrite itself); 0 for anything else.
    uint32_t op = repetition.op;
    if (!resumed) {
        op = OpcodeByte(pc) == EdPrefix ? OpcodeByte(pc + 1) : 0;
        if (!RepeatingBlock(op)) op = 0;
    }
    const uint32_t responses = counters.responses;
    // Only a memory handler's request window sets the cost of closing one to 0 during a
    // block instruction: an EI can't run in the same step.
    counters.windowCost = EiCost;
    const int32_t pending = core.pendingCycles;
    core.pendingCycles = 0;

    const uint32_t spent = resumed ? RunRepetition(op) : Run(0);

    core.pendingCycles += pending;
    repetition.held = op != 0 && core.pc == pc && counters.responses == responses &&
                      counters.windowCost == EiCost &&
                      static_cast<int64_t>(left) > static_cast<int64_t>(spent);
    repetition.at = static_cast<uint16_t>(pc);
    repetition.op = static_cast<uint8_t>(op);
    return spent;
}

StepInRun StepWithinRun(int32_t left) {
    const uint32_t pc = core.pc;
    const uint32_t cycles = Step(left);
    // Only a HALT stays on its own opcode; an instruction that jumps to itself is not one.
    const bool halted = core.pc == pc && OpcodeByte(pc) == HaltOpcode;
    return {cycles, halted ? LeftAfterHalt(left) : left - static_cast<int32_t>(cycles), halted};
}

}  // namespace plexaro::z80
