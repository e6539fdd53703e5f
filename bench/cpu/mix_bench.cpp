// Emulated speed of the Z80 core on a loop of common instructions: loads, arithmetic,
// logic, relative and absolute jumps, calls, stack traffic, CB forms, indexed forms and a
// block move. The core runs it the way the console does, 227 cycles per Run call.
// Reports emulated MHz: cycles emulated / wall seconds / 1e6.
#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <cstring>

#include "cpu/z80.h"

namespace {

using namespace plexaro;

// clang-format off
constexpr uint8_t Program[] = {
    0x31, 0x00, 0xF0,        // 0000 LD SP,0xF000
    0xDD, 0x21, 0x00, 0x80,  // 0003 LD IX,0x8000
    0xFD, 0x21, 0x00, 0x90,  // 0007 LD IY,0x9000
    0x06, 0x10,              // 000B loop:  LD B,16
    0xDD, 0x7E, 0x01,        // 000D inner: LD A,(IX+1)
    0xFD, 0x86, 0x02,        // 0010 ADD A,(IY+2)
    0xDD, 0x77, 0x03,        // 0013 LD (IX+3),A
    0xDD, 0x34, 0x04,        // 0016 INC (IX+4)
    0x21, 0x00, 0x81,        // 0019 LD HL,0x8100
    0x5E,                    // 001C LD E,(HL)
    0x23,                    // 001D INC HL
    0x56,                    // 001E LD D,(HL)
    0x19,                    // 001F ADD HL,DE
    0xEB,                    // 0020 EX DE,HL
    0xE6, 0x0F,              // 0021 AND 0x0F
    0xB1,                    // 0023 OR C
    0xAA,                    // 0024 XOR D
    0xFE, 0x40,              // 0025 CP 0x40
    0x20, 0x01,              // 0027 JR NZ,+1
    0x00,                    // 0029 NOP
    0xCD, 0x44, 0x00,        // 002A CALL sub
    0x07,                    // 002D RLCA
    0xCB, 0x21,              // 002E SLA C
    0xCB, 0x5F,              // 0030 BIT 3,A
    0xC5,                    // 0032 PUSH BC
    0xC1,                    // 0033 POP BC
    0x10, 0xD7,              // 0034 DJNZ inner
    0x21, 0x00, 0x82,        // 0036 LD HL,0x8200
    0x11, 0x00, 0x83,        // 0039 LD DE,0x8300
    0x01, 0x20, 0x00,        // 003C LD BC,32
    0xED, 0xB0,              // 003F LDIR
    0xC3, 0x0B, 0x00,        // 0041 JP loop
    0x3C,                    // 0044 sub: INC A
    0x0D,                    // 0045 DEC C
    0x32, 0x00, 0x84,        // 0046 LD (0x8400),A
    0xC9,                    // 0049 RET
};
// clang-format on

constexpr int32_t CyclesPerLine = 227;
constexpr int LinesPerFrame = 262;

std::array<uint8_t, 0x10000> memory;

void Setup() {
    memory.fill(0);
    std::memcpy(memory.data(), Program, sizeof Program);
    z80::BeginMemoryMap();
    z80::MapFetch(0x0000, 0xFFFF, memory.data());
    z80::MapRead(0x0000, 0xFFFF, z80::MapDirect, z80::RegionData{.memory = memory.data()});
    z80::MapWrite(0x8000, 0xFFFF, z80::MapDirect,
                  z80::RegionData{.memory = memory.data() + 0x8000});
    z80::EndMemoryMap();
    z80::Reset();
}

void InstructionMix(benchmark::State& state) {
    Setup();
    uint64_t cycles = 0;
    for (auto _ : state) {
        for (int line = 0; line < LinesPerFrame; ++line) cycles += z80::Run(CyclesPerLine);
    }
    benchmark::DoNotOptimize(memory);
    // Shown as "emulated_cycles=…M/s": millions of emulated cycles per wall second (MHz).
    state.counters["emulated_cycles"] =
        benchmark::Counter(static_cast<double>(cycles), benchmark::Counter::kIsRate);
}
BENCHMARK(InstructionMix)->MinTime(0.5)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
