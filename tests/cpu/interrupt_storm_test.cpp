// Found by the Z80 fuzz target (fuzz/findings/z80-response-cycles-grow.bin): a routine that
// re-enables interrupts and returns while the line is still held is entered again at every
// EI. When a response taken inside a Run was charged to the next Run's budget, in mode 2 a
// response (19 cycles) cost more than EI; RET (14), so every Run(227) lasted about a third
// longer than the one before, until the budget overflowed. A console program whose frame
// routine forgets to read the status port does this. Such responses now spend the time of
// the Run they happen in.
//
// Found the same way (fuzz/findings/z80-ei-chain-never-ends.bin): memory full of EI kept
// the window after EI open for ever, so a Run or a Step never returned.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/cpu/z80_test_machine.h"

namespace plexaro {
namespace {

TEST(InterruptStorm, HeldLineWithEiRetKeepsEachRunNearItsBudget) {
    // IM 2; LD A,0x10; LD I,A; LD SP,0xF000; EI; JR $. The table entry 0x10FF holds 0x0200,
    // where EI; RET waits.
    test::Boot({0xED, 0x5E, 0x3E, 0x10, 0xED, 0x47, 0x31, 0x00, 0xF0, 0xFB, 0x18, 0xFE});
    test::Poke(0x10FF, {0x00, 0x02});
    test::Poke(0x0200, {0xFB, 0xC9});
    z80::Run(227);
    z80::RaiseIrq(0xFF);
    for (int run = 0; run < 100; ++run) {
        // The budget, one response and the longest instruction's overshoot, with room.
        ASSERT_LT(z80::Run(227), 1000u) << "run " << run;
    }
}

TEST(InterruptStorm, EndlessChainOfEiStillEndsEachRunAndStep) {
    test::Boot({0xFB});
    std::memset(test::memory, 0xFB, sizeof test::memory);
    z80::RaiseIrq(0xFF);
    for (int run = 0; run < 3; ++run) ASSERT_LT(z80::Run(227), 2000u) << "run " << run;
    ASSERT_LT(z80::Step(0), 2000u);
}

}  // namespace
}  // namespace plexaro
