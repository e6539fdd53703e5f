// Private to cpu/: the core's state block, its run counters and the helpers that the
// memory map, the interrupt logic and the executor share. Nothing outside cpu/ includes it.
#pragma once

#include <cstdint>

#include "cpu/z80.h"

namespace plexaro::z80::detail {

// One 256-byte page of the read or write map. With no handler, the byte for CPU address A
// is memory[A]: the pointer is biased by the first CPU address it serves.
template <typename Handler>
struct PageSlot {
    Handler handler;
    uint8_t* memory;
};

// A region of a read or write list. For MapDirect, data.memory is biased like a page
// pointer; for MapHandled it holds the handler. low == FreeRegion marks an unused entry.
struct MemoryRegion {
    uint32_t low;
    uint32_t high;
    uint32_t method;
    RegionData data;
};

inline constexpr uint32_t FreeRegion = 0xFFFFFFFF;
inline constexpr uint32_t RegionsPerList = 64;
inline constexpr uint32_t PageCount = 256;

struct Z80State {
    // Registers. AF keeps A in the low byte and F in the high byte; the other pairs are
    // in Z80 order. Only bits 3 and 5 of xySource matter: they are F's bits 3 and 5.
    uint32_t af, bc, de, hl, ix, iy, pc, sp;
    uint32_t af2, bc2, de2, hl2;
    uint32_t iff1, iff2;
    uint32_t r;      // bits 0-6 count opcode fetches; higher bits are noise
    uint32_t rHigh;  // bit 7 is bit 7 of R
    uint8_t i;
    uint8_t xySource;
    uint8_t im;
    uint8_t irqVector;
    uint32_t irqLine;
    int32_t pendingCycles;  // responses taken between runs, charged to the next Run

    const uint8_t* fetch[PageCount];
    PageSlot<ReadHandler> read[PageCount];
    PageSlot<WriteHandler> write[PageCount];
    InHandler in;
    OutHandler out;
    RetiHandler reti;
    MemoryRegion readRegions[RegionsPerList];
    MemoryRegion writeRegions[RegionsPerList];
};

// Who is calling out of the core right now; decides whether an interrupt request made
// from inside a handler can be answered at once.
enum class CallContext : uint8_t {
    None,    // no handler running, or a port handler: requests are answered at once
    Memory,  // a memory handler: the instruction in progress is half done, so wait
};

// Counters of the Run in progress; not part of the saved state.
struct RunCounters {
    int32_t cyclesLeft;
    uint32_t cyclesTotal;
    int32_t savedCyclesLeft;
    uint8_t eiWindow;
    // What closing the window charges: EI's own cycles, or nothing when the window was
    // opened to answer an interrupt requested from a memory handler.
    int32_t windowCost;
    CallContext context;
    uint8_t deferredRequest;  // a memory handler asked for an interrupt
    uint8_t deferredNmi;
    uint32_t responses;  // interrupt responses taken so far, to spot one inside a handler
    bool running;        // inside Run: a response's cycles come off this run's budget
};

extern Z80State core;
extern RunCounters counters;

// Step keeps a block instruction it left between two repetitions, to go on with it as Run's
// own loop would; anything else that runs the core or changes its registers calls this.
void ForgetRepetition();

// Interrupt responses, acting on the state block (registers must be written back first).
void TakeIrq();
void TakeNmi();

// Biases a host pointer so that indexing it with a CPU address reaches the byte that
// address designates when `first` is the CPU address of memory[0].
inline uint8_t* Bias(const uint8_t* memory, uint32_t first) {
    return reinterpret_cast<uint8_t*>(reinterpret_cast<uintptr_t>(memory) - first);
}

}  // namespace plexaro::z80::detail
