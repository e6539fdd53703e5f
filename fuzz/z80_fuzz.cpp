// Fuzz target: an arbitrary 64 KB memory image run on the Z80 core, with maskable interrupts
// and NMIs raised between runs and from inside port and memory handlers, at points the input
// chooses.
//
// Input: repeated to fill the 64 KB that the core fetches, reads and writes. Its first
// SetupSize bytes also set up the registers; the same bytes, read in turn from a cursor that
// wraps round the input, decide what every handler call and every pause between runs does.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "cpu/z80.h"

namespace {

namespace z80 = plexaro::z80;

constexpr uint32_t Runs = 300;
constexpr int32_t Budget = 227;            // a scanline
constexpr uint32_t HandledStart = 0xFF00;  // a page served by handlers, to reach their paths
constexpr uint32_t HandledEnd = 0xFF7F;

uint8_t memory[0x10000];

struct Script {
    const uint8_t* data;
    size_t size;
    size_t at;
};
Script script;

uint8_t NextByte() {
    const uint8_t byte = script.data[script.at];
    script.at = (script.at + 1) % script.size;
    return byte;
}

// What a handler call or a pause between runs does, chosen by one script byte:
// bits 0-1: nothing, raise the maskable interrupt (vector from the next byte), lower it, or
// an NMI; bit 2: end the run after this instruction; bit 3: wait cycles from bits 4-7.
void Act(bool insideRun) {
    const uint8_t byte = NextByte();
    switch (byte & 3) {
        case 0: break;
        case 1: z80::RaiseIrq(NextByte()); break;
        case 2: z80::LowerIrq(); break;
        case 3: z80::TriggerNmi(); break;
    }
    if (!insideRun) return;
    if (byte & 4) z80::StopRun();
    if (byte & 8) z80::AddWaitCycles(byte >> 4);
    (void)z80::ElapsedCycles();
}

uint32_t PortIn(uint32_t) {
    Act(true);
    return NextByte();
}

void PortOut(uint32_t, uint32_t) {
    Act(true);
}

uint32_t HandledRead(uint32_t address) {
    Act(true);
    return memory[address & 0xFFFF];
}

void HandledWrite(uint32_t address, uint32_t value) {
    Act(true);
    memory[address & 0xFFFF] = static_cast<uint8_t>(value);
}

void Reti() {
    Act(true);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    z80::BeginMemoryMap();
    z80::MapFetch(0x0000, 0xFFFF, memory);
    z80::MapRead(HandledStart, HandledEnd, z80::MapHandled, z80::RegionData{.read = HandledRead});
    z80::MapRead(0x0000, 0xFFFF, z80::MapDirect, z80::RegionData{.memory = memory});
    z80::MapWrite(HandledStart, HandledEnd, z80::MapHandled,
                  z80::RegionData{.write = HandledWrite});
    z80::MapWrite(0x0000, 0xFFFF, z80::MapDirect, z80::RegionData{.memory = memory});
    z80::EndMemoryMap();
    z80::SetInHandler(PortIn);
    z80::SetOutHandler(PortOut);
    z80::SetRetiHandler(Reti);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    for (size_t at = 0; at < sizeof memory; at += size) {
        std::memcpy(memory + at, data, std::min(size, sizeof memory - at));
    }
    script = Script{data, size, 0};

    z80::Reset();
    (void)z80::TakePendingCycles();
    const uint8_t setup = NextByte();
    z80::SetRegister(z80::RegIM, setup % 3);
    z80::SetRegister(z80::RegIFF1, (setup >> 2) & 1);
    z80::SetRegister(z80::RegIFF2, (setup >> 3) & 1);
    const uint32_t spHigh = NextByte();
    z80::SetRegister(z80::RegSP, spHigh << 8 | NextByte());
    z80::SetRegister(z80::RegIR, NextByte() << 8);

    for (uint32_t run = 0; run < Runs; ++run) {
        const uint32_t elapsed = z80::Run(Budget);
        // A run may overshoot by one instruction plus the interrupt responses and the waits
        // handlers add; anything far past that means the budget is not being kept.
        if (elapsed > 100000) {
            std::fprintf(stderr, "z80_fuzz: run %u took %u cycles for a budget of %d\n", run,
                         elapsed, Budget);
            std::abort();
        }
        Act(false);
    }
    return 0;
}
