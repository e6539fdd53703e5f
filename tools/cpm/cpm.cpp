#include "tools/cpm/cpm.h"

#include <cstdio>
#include <cstring>

#include "cpu/z80.h"

namespace plexaro {
namespace {

constexpr uint32_t MemorySize = 0x10000;
constexpr uint32_t WarmBoot = 0x0000;
constexpr uint32_t BdosVector = 0x0005;
constexpr uint8_t OpJp = 0xC3;
constexpr uint8_t OpHalt = 0x76;

// The run ends from an output handler, so the budget of one Run only bounds how often the
// loop looks at the cycle limit; it is large so that the figures measure the core.
constexpr int32_t RunBudget = 1 << 24;

// The BDOS entry moves the call into registers that every output handler can see: the
// function goes out as the value and DE as the port, since OUT (C),A passes BC whole.
// BC and AF are kept for the caller, as programs written for a real BDOS may not expect.
constexpr uint32_t BdosOut = CpmBdosEntry + 5;
// clang-format off
constexpr uint8_t BdosCode[] = {
    0xF5,        // push af
    0xC5,        // push bc
    0x79,        // ld a,c
    0x42,        // ld b,d
    0x4B,        // ld c,e
    0xED, 0x79,  // out (c),a
    0xC1,        // pop bc
    0xF1,        // pop af
    0xC9,        // ret
};
// Warm boot: an OUT whose handler ends the run, then a HALT in case anyone runs on.
constexpr uint8_t WarmBootCode[] = {
    0xD3, 0x00,  // out (0),a
    OpHalt,
};
// clang-format on

// Which OUT fired is told by the PC the core hands back around the call, which lies
// within the instruction or just after it.
bool PcWithin(uint32_t pc, uint32_t instruction, uint32_t length) {
    return pc >= instruction && pc <= instruction + length;
}

struct CpmMachine {
    uint8_t memory[MemorySize];
    CpmOutput output;
    bool returned;
};

CpmMachine machine;

void Print(char c) {
    if (machine.output) machine.output(c);
}

void PrintString(uint32_t address) {
    // A string with no '$' anywhere would wrap round memory for ever; one lap is the most.
    for (uint32_t n = 0; n < MemorySize; ++n) {
        const char c = static_cast<char>(machine.memory[(address + n) & 0xFFFF]);
        if (c == '$') return;
        Print(c);
    }
}

void Bdos(uint32_t function, uint32_t de) {
    switch (function) {
        case 0:
            machine.returned = true;
            z80::StopRun();
            break;
        case 2: Print(static_cast<char>(de & 0xFF)); break;
        case 9: PrintString(de); break;
        default: break;
    }
}

void PortOut(uint32_t port, uint32_t value) {
    const uint32_t pc = z80::GetRegister(z80::RegPC);
    if (PcWithin(pc, WarmBoot, 2)) {
        machine.returned = true;
        z80::StopRun();
    } else if (PcWithin(pc, BdosOut, 2)) {
        Bdos(value & 0xFF, port & 0xFFFF);
    }
}

}  // namespace

const char* CpmLoadProgram(const uint8_t* program, size_t size, CpmOutput output) {
    if (size == 0) return "the program is empty";
    if (size > CpmMaxProgramSize) {
        return "the program does not fit below the BDOS (at most 64768 bytes)";
    }
    static_assert(CpmMaxProgramSize == 64768);

    std::memset(machine.memory, 0, sizeof machine.memory);
    machine.output = output;
    machine.returned = false;
    uint8_t* m = machine.memory;
    std::memcpy(m + WarmBoot, WarmBootCode, sizeof WarmBootCode);
    m[BdosVector] = OpJp;
    m[BdosVector + 1] = CpmBdosEntry & 0xFF;
    m[BdosVector + 2] = CpmBdosEntry >> 8;
    std::memcpy(m + CpmBdosEntry, BdosCode, sizeof BdosCode);
    std::memcpy(m + CpmProgramStart, program, size);

    z80::BeginMemoryMap();
    z80::MapFetch(0x0000, 0xFFFF, m);
    z80::MapRead(0x0000, 0xFFFF, z80::MapDirect, z80::RegionData{.memory = m});
    z80::MapWrite(0x0000, 0xFFFF, z80::MapDirect, z80::RegionData{.memory = m});
    z80::EndMemoryMap();
    z80::SetOutHandler(PortOut);
    z80::Reset();

    // The CCP calls a program with a return address of 0x0000 on its stack, so a program
    // may end with RET; the stack starts just under the BDOS, where the zeroed memory
    // already holds that address.
    z80::SetRegister(z80::RegSP, CpmBdosEntry - 2);
    z80::SetRegister(z80::RegPC, CpmProgramStart);
    return nullptr;
}

const char* CpmLoadFile(const char* path, CpmOutput output) {
    std::FILE* file = std::fopen(path, "rb");
    if (!file) return "cannot open the program file";
    // Read one byte past the limit to tell a file that fits from one that does not.
    static uint8_t buffer[CpmMaxProgramSize + 1];
    const size_t size = std::fread(buffer, 1, sizeof buffer, file);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) return "cannot read the program file";
    return CpmLoadProgram(buffer, size, output);
}

CpmRunResult CpmRun(uint64_t cycleLimit) {
    CpmRunResult result{0, nullptr};
    while (!machine.returned) {
        int32_t budget = RunBudget;
        if (cycleLimit != 0) {
            if (result.cycles >= cycleLimit) {
                result.failure = "the program did not return to CP/M within the cycle limit";
                break;
            }
            const uint64_t left = cycleLimit - result.cycles;
            if (left < static_cast<uint64_t>(budget)) budget = static_cast<int32_t>(left);
        }
        result.cycles += z80::Run(budget);
        if (!machine.returned && machine.memory[z80::GetRegister(z80::RegPC)] == OpHalt) {
            result.failure = "the program halted, and nothing here can interrupt it";
            break;
        }
    }
    return result;
}

uint8_t* CpmMemory() {
    return machine.memory;
}

}  // namespace plexaro
