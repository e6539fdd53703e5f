// Single steps: one instruction at a time, taken as the debugger takes them, end up exactly
// where Run would, R included, and each unit of a step is the core's own.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "tests/cpu/z80_test_machine.h"

namespace plexaro {
namespace {

using test::memory;
using test::PC;
using test::R;
using test::Reg;

constexpr uint8_t Halt = 0x76;

// Two block instructions long enough to span many budgets, an EI window, redundant DD and
// FD prefixes, and R read back into A at the end.
void BootMixedProgram() {
    test::Boot({
        0x21, 0x00, 0x10,  // LD HL,0x1000
        0x11, 0x00, 0x20,  // LD DE,0x2000
        0x01, 0x28, 0x00,  // LD BC,40
        0xED, 0xB0,        // LDIR
        0xFB,              // EI
        0x3C,              // INC A
        0xDD, 0xDD, 0x23,  // INC IX, after a DD that changes nothing
        0xFD, 0x00,        // an FD that changes nothing, then NOP
        0x21, 0x00, 0x10,  // LD HL,0x1000
        0x01, 0x30, 0x00,  // LD BC,48
        0x3E, 0x77,        // LD A,0x77
        0xED, 0xB1,        // CPIR: no match in zeroed memory, all 48 repetitions
        0xED, 0x5F,        // LD A,R
        Halt,
    });
    for (uint32_t i = 0; i < 40; ++i) memory[0x1000 + i] = static_cast<uint8_t>(i * 7 + 1);
}

// A line of `budget` cycles: one Run, or steps until the budget is spent or a HALT ends it,
// as the debugger's stepped frames do. Returns what is left of the budget (0 or below).
int32_t Line(bool stepped, int32_t budget) {
    if (!stepped) return budget - static_cast<int32_t>(z80::Run(budget));
    for (int32_t left = budget;;) {
        const z80::StepInRun step = z80::StepWithinRun(left);
        left = step.left;
        if (left <= 0 || step.halted) return left;
    }
}

TEST(Step, SteppedLinesEndWhereRunEndsThem) {
    // Budgets that end lines inside the block instructions, on their last repetition, and
    // between instructions.
    for (const int32_t budget : {1, 16, 21, 22, 50, 227, 5000}) {
        SCOPED_TRACE(budget);
        BootMixedProgram();
        const int lines = 6000 / budget + 2;
        // What each line leaves over, which the hardware behaviour takes off the next: past
        // the last instruction's end, or HALT's own remainder once the program halts.
        std::vector<int32_t> runLeft, stepLeft;
        for (int i = 0; i < lines; ++i) runLeft.push_back(Line(false, budget));
        const z80::CoreRegisters run = z80::ExportRegisters();
        const uint8_t copied = memory[0x2000 + 39];

        BootMixedProgram();
        for (int i = 0; i < lines; ++i) stepLeft.push_back(Line(true, budget));
        EXPECT_EQ(stepLeft, runLeft);
        const z80::CoreRegisters stepped = z80::ExportRegisters();
        EXPECT_EQ(memory[PC()], Halt);
        EXPECT_EQ(stepped.af, run.af);  // A holds R as LD A,R read it
        EXPECT_EQ(stepped.bc, run.bc);
        EXPECT_EQ(stepped.de, run.de);
        EXPECT_EQ(stepped.hl, run.hl);
        EXPECT_EQ(stepped.ix, run.ix);
        EXPECT_EQ(stepped.pc, run.pc);
        EXPECT_EQ(stepped.r, run.r);
        EXPECT_EQ(stepped.xySource, run.xySource);
        EXPECT_EQ(memory[0x2000 + 39], copied);
    }
}

TEST(Step, EachUnitIsTheCoresOwn) {
    BootMixedProgram();
    for (int i = 0; i < 3; ++i) z80::Step(1000);
    // LDIR: each repetition one step; the first fetches it, the others go straight on.
    uint32_t r = R();
    EXPECT_EQ(z80::Step(1000), 21u);
    EXPECT_EQ(R(), r + 3);
    EXPECT_EQ(PC(), 0x0009u);
    EXPECT_EQ(z80::Step(1000), 21u);
    EXPECT_EQ(R(), r + 4);
    // A step that spends the budget leaves the next repetition to be fetched again.
    EXPECT_EQ(z80::Step(21), 21u);
    EXPECT_EQ(R(), r + 5);
    r = R();
    EXPECT_EQ(z80::Step(1000), 21u);
    EXPECT_EQ(R(), r + 3);
    while (Reg(z80::RegBC) != 1) z80::Step(1000);
    EXPECT_EQ(z80::Step(1000), 16u);  // the last repetition
    EXPECT_EQ(PC(), 0x000Bu);

    EXPECT_EQ(z80::Step(1000), 8u);  // EI with INC A
    EXPECT_EQ(PC(), 0x000Du);
    EXPECT_EQ(z80::Step(1000), 4u);  // the DD that changes nothing
    EXPECT_EQ(PC(), 0x000Eu);
    EXPECT_EQ(z80::Step(1000), 10u);  // INC IX
    EXPECT_EQ(Reg(z80::RegIX), 0x0000u);
    EXPECT_EQ(z80::Step(1000), 4u);  // the FD
    EXPECT_EQ(z80::Step(1000), 4u);  // NOP
    EXPECT_EQ(PC(), 0x0012u);
}

TEST(Step, ResponsesCountInTheStepThatTakesThem) {
    // Waiting from between runs: they stay waiting, and the step runs one instruction.
    test::Boot({0x00, 0xFB, 0x00, 0x00});  // NOP; EI; NOP; NOP
    z80::SetRegister(z80::RegIM, 1);
    z80::SetRegister(z80::RegIFF1, 1);
    z80::RaiseIrq(0xFF);
    EXPECT_EQ(PC(), 0x0038u);
    z80::SetRegister(z80::RegPC, 0);
    EXPECT_EQ(z80::Step(227), 4u);
    EXPECT_EQ(PC(), 1u);
    EXPECT_EQ(z80::TakePendingCycles(), 13);

    // Taken as EI's window closes: EI, NOP and the response are one step.
    EXPECT_EQ(z80::Step(227), 4u + 4u + 13u);
    EXPECT_EQ(PC(), 0x0038u);
    EXPECT_EQ(z80::TakePendingCycles(), 0);
}

}  // namespace
}  // namespace plexaro
