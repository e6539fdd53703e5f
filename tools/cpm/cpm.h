// A minimal CP/M 2.2 environment on the Z80 core, enough for .COM programs that print
// through the BDOS, such as the classic instruction exercisers.
//
// The machine is 64 KB of flat RAM, mapped through the core's public map API for fetch,
// read and write. Page zero holds what CP/M programs rely on: address 0x0000 is the warm
// boot (a program ends by jumping there, or by returning to the stack the loader set up),
// and 0x0005 is a JP to the BDOS entry, whose address at 0x0006-0x0007 sits near the top
// of memory because programs take their stack from it. The program is loaded at 0x0100.
//
// Two BDOS functions are served: 2 prints the character in E, 9 prints the string at DE
// up to '$'. Function 0 (system reset) ends the run like a warm boot; others are ignored.
//
//     if (const char* failure = CpmLoadFile("PROGRAM.COM", PrintChar)) Complain(failure);
//     CpmRunResult result = CpmRun(0);
//
// Unit of time: CPU clock cycles.
#pragma once

#include <cstddef>
#include <cstdint>

namespace plexaro {

inline constexpr uint32_t CpmProgramStart = 0x0100;
inline constexpr uint32_t CpmBdosEntry = 0xFE00;
// The program may fill everything from its load address up to the BDOS.
inline constexpr uint32_t CpmMaxProgramSize = CpmBdosEntry - CpmProgramStart;

// Receives every character the program prints, in order.
using CpmOutput = void (*)(char c);

struct CpmRunResult {
    uint64_t cycles;      // emulated clock cycles
    const char* failure;  // null when the program returned to CP/M
};

// Builds the machine with this program loaded and the core reset to start it. Returns a
// message text, or null on success.
const char* CpmLoadProgram(const uint8_t* program, size_t size, CpmOutput output);
const char* CpmLoadFile(const char* path, CpmOutput output);

// Runs the loaded program until it returns to CP/M. A non-zero cycle limit stops a
// program that never does; a HALT, which no interrupt could ever end here, stops it too.
CpmRunResult CpmRun(uint64_t cycleLimit);

// The machine's 64 KB of RAM.
uint8_t* CpmMemory();

}  // namespace plexaro
