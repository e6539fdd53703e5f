// A flat 64 KB machine for the Z80 core's unit tests: one buffer serves fetch, read and
// write; no ports are installed. Programs are hand-assembled byte lists.
#pragma once

#include <cstdint>
#include <cstring>
#include <initializer_list>

#include "cpu/z80.h"

namespace plexaro::test {

inline uint8_t memory[0x10000];

// Where Boot puts the stack: pushes land at 0x7FFE-0x7FFF, clear of the programs.
inline constexpr uint32_t StackTop = 0x8000;

inline void Poke(uint32_t address, std::initializer_list<uint8_t> bytes) {
    for (uint8_t b : bytes) memory[address++ & 0xFFFF] = b;
}

inline uint32_t Word(uint32_t address) {
    return memory[address & 0xFFFF] | memory[(address + 1) & 0xFFFF] << 8;
}

inline void MapFlat() {
    z80::BeginMemoryMap();
    z80::MapFetch(0x0000, 0xFFFF, memory);
    z80::MapRead(0x0000, 0xFFFF, z80::MapDirect, z80::RegionData{.memory = memory});
    z80::MapWrite(0x0000, 0xFFFF, z80::MapDirect, z80::RegionData{.memory = memory});
    z80::EndMemoryMap();
}

// Zeroed memory (so unused bytes are NOPs), mapped flat, the core reset, the program at
// `origin` with PC on it.
inline void Boot(std::initializer_list<uint8_t> program, uint32_t origin = 0) {
    std::memset(memory, 0, sizeof memory);
    MapFlat();
    z80::Reset();
    Poke(origin, program);
    z80::SetRegister(z80::RegPC, origin);
    z80::SetRegister(z80::RegSP, StackTop);
}

inline uint32_t Reg(z80::Z80Register r) {
    return z80::GetRegister(r);
}
inline uint32_t A() {
    return z80::GetRegister(z80::RegAF) >> 8;
}
inline uint32_t PC() {
    return z80::GetRegister(z80::RegPC);
}
inline uint32_t SP() {
    return z80::GetRegister(z80::RegSP);
}
inline uint32_t R() {
    return z80::GetRegister(z80::RegIR) & 0xFF;
}

// Programs that end in PUSH AF (0xF5) leave the flags with bits 3 and 5 merged in, which
// GetRegister need not report.
inline uint32_t PushedF() {
    return memory[SP()];
}

// Z80 flag bits.
inline constexpr uint32_t FlagS = 0x80, FlagZ = 0x40, FlagY = 0x20, FlagH = 0x10, FlagX = 0x08,
                          FlagPV = 0x04, FlagN = 0x02, FlagC = 0x01;

}  // namespace plexaro::test
