// The core's state block, its lifecycle, the register interface and interrupt responses.
#include <array>

#include "cpu/flag_tables.h"
#include "cpu/z80_state.h"

namespace plexaro::z80 {

namespace detail {

Z80State core;
RunCounters counters;

namespace {

constexpr uint32_t HaltOpcode = 0x76;
constexpr uint32_t Mode1Address = 0x0038;
constexpr uint32_t NmiAddress = 0x0066;
constexpr uint32_t RstBase = 0xC7;  // RST 00h; the other RST opcodes add their target
constexpr int32_t Mode01ResponseCycles = 13;
constexpr int32_t Mode2ResponseCycles = 19;
constexpr int32_t NmiResponseCycles = 11;

// What an unmapped fetch page holds, so that a stray jump runs RST 38h instead of
// reading through a null pointer.
constexpr std::array<uint8_t, 256> UnmappedFetchPage = [] {
    std::array<uint8_t, 256> page{};
    page.fill(0xFF);
    return page;
}();

// Before any map is built every page is unmapped, so that nothing reads a null pointer.
const bool initialized = [] {
    for (uint32_t page = 0; page < PageCount; ++page) {
        core.fetch[page] = Bias(UnmappedFetchPage.data(), page << 8);
    }
    BeginMemoryMap();
    EndMemoryMap();
    return true;
}();

// Memory accesses of an interrupt response. Handlers run in the memory context, so a
// request they make waits until this response is complete.
uint32_t ResponseRead(uint32_t address) {
    const auto& slot = core.read[address >> 8];
    if (slot.handler == nullptr) return slot.memory[address];
    return slot.handler(address) & 0xFF;
}

void ResponseWrite(uint32_t address, uint32_t value) {
    const auto& slot = core.write[address >> 8];
    if (slot.handler == nullptr) {
        slot.memory[address] = static_cast<uint8_t>(value);
    } else {
        slot.handler(address, value & 0xFF);
    }
}

// Steps 1 to 3 of every response: R, the HALT rule and the push of PC.
void EnterResponse() {
    ++core.r;
    if (core.fetch[core.pc >> 8][core.pc] == HaltOpcode) core.pc = (core.pc + 1) & 0xFFFF;
    core.sp = (core.sp - 1) & 0xFFFF;
    ResponseWrite(core.sp, core.pc >> 8);
    core.sp = (core.sp - 1) & 0xFFFF;
    ResponseWrite(core.sp, core.pc & 0xFF);
}

void NmiResponse() {
    core.iff1 = 0;
    EnterResponse();
    core.pc = NmiAddress;
    core.pendingCycles += NmiResponseCycles;
}

void IrqResponse() {
    core.iff1 = 0;
    core.iff2 = 0;
    EnterResponse();
    switch (core.im) {
        case 0:
            core.pc = (core.irqVector - RstBase) & 0xFF;
            core.pendingCycles += Mode01ResponseCycles;
            break;
        case 1:
            core.pc = Mode1Address;
            core.pendingCycles += Mode01ResponseCycles;
            break;
        default: {
            const uint32_t table = (static_cast<uint32_t>(core.i) << 8) | core.irqVector;
            const uint32_t low = ResponseRead(table);
            const uint32_t high = ResponseRead((table + 1) & 0xFFFF);
            core.pc = low | (high << 8);
            core.pendingCycles += Mode2ResponseCycles;
            break;
        }
    }
}

// Runs one response, then any NMI that a handler requested during it. An IRQ requested
// then needs nothing more: IFF1 is clear after every response, so it waits for EI.
template <typename Response>
void Respond(Response response) {
    const CallContext outer = counters.context;
    const int32_t pendingBefore = core.pendingCycles;
    ForgetRepetition();
    counters.context = CallContext::Memory;
    response();
    ++counters.responses;
    while (counters.deferredNmi != 0) {
        counters.deferredNmi = 0;
        NmiResponse();
        ++counters.responses;
    }
    counters.deferredRequest = 0;
    counters.context = outer;
    // A response taken while a run is under way spends that run's time. Left for the next
    // run, a routine that re-enables interrupts and returns while the line is still held
    // would hand every run more cycles than the one before, without end.
    if (counters.running) {
        counters.cyclesLeft -= core.pendingCycles - pendingBefore;
        core.pendingCycles = pendingBefore;
    }
}

}  // namespace

void TakeIrq() {
    Respond(IrqResponse);
}

void TakeNmi() {
    Respond(NmiResponse);
}

}  // namespace detail

using detail::CallContext;
using detail::core;
using detail::counters;

void Reset() {
    core.af = core.bc = core.de = core.hl = core.ix = core.iy = core.pc = core.sp = 0;
    core.af2 = core.bc2 = core.de2 = core.hl2 = 0;
    core.iff1 = core.iff2 = 0;
    core.r = core.rHigh = 0;
    core.i = core.xySource = core.im = core.irqVector = 0;
    core.irqLine = 0;
    core.pendingCycles = 0;
    core.ix = 0xFFFF;
    core.iy = 0xFFFF;
    core.af = detail::FlagZ << 8;
    detail::ForgetRepetition();
}

// An interrupt requested from a memory handler is answered once the instruction in
// progress is complete: the handler's caller opens a one-instruction window, like EI's,
// whose close takes the interrupt. From a port handler, between runs, or from the core's
// own response, it is answered at once. During INIR, INDR, OTIR and OTDR it ends the
// repetition after the current step, and the pushed address is the block instruction
// itself while steps remain, so the repetition resumes after the interrupt routine.
void RaiseIrq(uint32_t vector) {
    core.irqLine = 1;
    core.irqVector = static_cast<uint8_t>(vector);
    if (core.iff1 == 0) return;
    if (counters.context == CallContext::Memory) {
        counters.deferredRequest = 1;
        return;
    }
    detail::TakeIrq();
}

void LowerIrq() {
    core.irqLine = 0;
}

void TriggerNmi() {
    if (counters.context == CallContext::Memory) {
        counters.deferredNmi = 1;
        counters.deferredRequest = 1;
        return;
    }
    detail::TakeNmi();
}

// Inside a window the budget in progress is the stand-in budget of 1, and the cost of the
// EI that opened it is still to be charged; both are accounted for so that the count is
// the cycles actually run, as it is outside a window.
uint32_t ElapsedCycles() {
    uint32_t elapsed = counters.cyclesTotal - static_cast<uint32_t>(counters.cyclesLeft);
    if (counters.eiWindow != 0) {
        elapsed -= static_cast<uint32_t>(counters.savedCyclesLeft);
        elapsed += 1 + static_cast<uint32_t>(counters.windowCost);
    }
    return elapsed;
}

int32_t StopRun() {
    const int32_t left = counters.cyclesLeft;
    counters.cyclesTotal -= static_cast<uint32_t>(left);
    if (counters.eiWindow != 0) {
        counters.cyclesTotal -= static_cast<uint32_t>(counters.savedCyclesLeft);
    }
    counters.cyclesLeft = 0;
    counters.savedCyclesLeft = 0;
    return left;
}

void SkipRemainingCycles() {
    counters.cyclesLeft = 0;
    counters.savedCyclesLeft = 0;
}

void AddWaitCycles(int32_t n) {
    counters.cyclesTotal += static_cast<uint32_t>(n);
}

int32_t TakePendingCycles() {
    const int32_t pending = core.pendingCycles;
    core.pendingCycles = 0;
    return pending;
}

void AddPendingCycles(int32_t n) {
    core.pendingCycles += n;
}

namespace {

// F's bits 3 and 5 live in XYSource; the register interface shows them merged.
uint32_t MergedAf() {
    const uint32_t f = ((core.af >> 8) & ~detail::FlagsXY) | (core.xySource & detail::FlagsXY);
    return ((core.af & 0xFF) << 8) | f;
}

uint32_t SwapBytes(uint32_t v) {
    return ((v & 0xFF) << 8) | ((v >> 8) & 0xFF);
}

}  // namespace

uint32_t GetRegister(uint32_t index) {
    switch (index) {
        case RegAF: return MergedAf();
        case RegBC: return core.bc;
        case RegDE: return core.de;
        case RegHL: return core.hl;
        case RegIX: return core.ix;
        case RegIY: return core.iy;
        case RegPC: return core.pc;
        case RegSP: return core.sp;
        case RegAltAF: return SwapBytes(core.af2);
        case RegAltBC: return core.bc2;
        case RegAltDE: return core.de2;
        case RegAltHL: return core.hl2;
        case RegIFF1: return core.iff1 != 0 ? 1 : 0;
        case RegIFF2: return core.iff2 != 0 ? 1 : 0;
        case RegIM: return core.im;
        case RegIrqVector: return core.irqVector;
        case RegIrqLine: return core.irqLine != 0 ? 1 : 0;
        default:
            return (static_cast<uint32_t>(core.i) << 8) | (core.rHigh & 0x80) | (core.r & 0x7F);
    }
}

void SetRegister(uint32_t index, uint32_t value) {
    const uint32_t word = value & 0xFFFF;
    detail::ForgetRepetition();
    switch (index) {
        case RegAF:
            core.af = SwapBytes(word);
            core.xySource = static_cast<uint8_t>(word);
            break;
        case RegBC: core.bc = word; break;
        case RegDE: core.de = word; break;
        case RegHL: core.hl = word; break;
        case RegIX: core.ix = word; break;
        case RegIY: core.iy = word; break;
        case RegPC: core.pc = word; break;
        case RegSP: core.sp = word; break;
        case RegAltAF: core.af2 = SwapBytes(word); break;
        case RegAltBC: core.bc2 = word; break;
        case RegAltDE: core.de2 = word; break;
        case RegAltHL: core.hl2 = word; break;
        case RegIFF1: core.iff1 = value != 0 ? 1 : 0; break;
        case RegIFF2: core.iff2 = value != 0 ? 1 : 0; break;
        case RegIM: core.im = static_cast<uint8_t>(value); break;
        case RegIrqVector: core.irqVector = static_cast<uint8_t>(value); break;
        case RegIrqLine: core.irqLine = value != 0 ? 1 : 0; break;
        default:
            core.i = static_cast<uint8_t>(word >> 8);
            core.r = word & 0x7F;
            core.rHigh = word;
            break;
    }
}

CoreRegisters ExportRegisters() {
    const auto w = [](uint32_t value) { return static_cast<uint16_t>(value); };
    const auto b = [](uint32_t value) { return static_cast<uint8_t>(value); };
    return {w(SwapBytes(core.af)),
            w(core.bc),
            w(core.de),
            w(core.hl),
            w(core.ix),
            w(core.iy),
            w(core.pc),
            w(core.sp),
            w(SwapBytes(core.af2)),
            w(core.bc2),
            w(core.de2),
            w(core.hl2),
            b(core.iff1),
            b(core.iff2),
            core.i,
            b(core.r & 0x7F),
            b(core.rHigh & 0x80),
            core.im,
            core.xySource,
            core.irqVector,
            b(core.irqLine),
            core.pendingCycles};
}

void ImportRegisters(const CoreRegisters& s) {
    core.af = SwapBytes(s.af);
    core.bc = s.bc;
    core.de = s.de;
    core.hl = s.hl;
    core.ix = s.ix;
    core.iy = s.iy;
    core.pc = s.pc;
    core.sp = s.sp;
    core.af2 = SwapBytes(s.af2);
    core.bc2 = s.bc2;
    core.de2 = s.de2;
    core.hl2 = s.hl2;
    core.iff1 = s.iff1 != 0;
    core.iff2 = s.iff2 != 0;
    core.i = s.i;
    core.r = s.r & 0x7F;
    core.rHigh = s.rHigh & 0x80;
    core.im = s.im;
    core.xySource = s.xySource;
    core.irqVector = s.irqVector;
    core.irqLine = s.irqLine != 0;
    core.pendingCycles = s.pendingCycles;
    detail::ForgetRepetition();
}

}  // namespace plexaro::z80
