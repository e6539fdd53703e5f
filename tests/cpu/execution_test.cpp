// Budgets, HALT, the EI window, interrupt responses, suspended block instructions and the
// R counter. Memory is zeroed, so every byte a test leaves alone is a NOP (4 cycles).
#include <gtest/gtest.h>

#include "tests/cpu/z80_test_machine.h"

namespace plexaro {
namespace {

using test::A;
using test::memory;
using test::PC;
using test::Poke;
using test::R;
using test::Reg;
using test::SP;
using test::StackTop;
using test::Word;

constexpr uint32_t Im1Routine = 0x0038;
constexpr uint32_t NmiRoutine = 0x0066;

void EnableInterrupts(uint32_t mode) {
    z80::SetRegister(z80::RegIM, mode);
    z80::SetRegister(z80::RegIFF1, 1);
    z80::SetRegister(z80::RegIFF2, 1);
}

// OUT (0xFE),A records the elapsed cycles and R when it runs; its own cost is not yet in.
uint32_t probeElapsed, probeR;
void Probe(uint32_t port, uint32_t) {
    if ((port & 0xFF) == 0xFE) {
        probeElapsed = z80::ElapsedCycles();
        probeR = R() & 0x7F;
    }
}

TEST(Budget, RunEndsOnTheInstructionThatSpendsIt) {
    test::Boot({});
    EXPECT_EQ(z80::Run(227), 228u);  // 57 NOPs, the last one overshooting by 1
    EXPECT_EQ(PC(), 57u);
    EXPECT_EQ(z80::Run(228), 228u);  // the overshoot is not carried over
    EXPECT_EQ(PC(), 114u);
    EXPECT_EQ(z80::Run(229), 232u);
    EXPECT_EQ(PC(), 172u);
    EXPECT_EQ(z80::Run(0), 4u);  // exactly one instruction
    EXPECT_EQ(PC(), 173u);
}

TEST(Budget, HaltSpendsEveryRunUntilAnInterrupt) {
    test::Boot({0x76});
    EXPECT_EQ(z80::Run(227), 228u);  // (227 AND 3) - 4 left
    EXPECT_EQ(z80::Run(100), 104u);
    EXPECT_EQ(z80::Run(0), 4u);
    EXPECT_EQ(PC(), 0u);
}

TEST(Budget, LdirSuspendsOnTheEdPrefixAndResumes) {
    test::Boot({0xED, 0xB0, 0x76});  // LDIR; HALT
    for (uint32_t i = 0; i < 100; ++i) memory[0x9000 + i] = uint8_t(i + 1);
    z80::SetRegister(z80::RegHL, 0x9000);
    z80::SetRegister(z80::RegDE, 0xA000);
    z80::SetRegister(z80::RegBC, 100);

    EXPECT_EQ(z80::Run(100), 105u);  // five repeating steps of 21
    EXPECT_EQ(Reg(z80::RegBC), 95u);
    EXPECT_EQ(PC(), 0u);
    EXPECT_EQ(memory[0xA004], 5);
    EXPECT_EQ(memory[0xA005], 0);
    EXPECT_EQ(R(), 7u);  // ED and B0, then one per repeating step
    EXPECT_EQ(Reg(z80::RegAF) & (test::FlagH | test::FlagPV | test::FlagN), test::FlagPV);

    EXPECT_EQ(z80::Run(100), 105u);
    EXPECT_EQ(Reg(z80::RegBC), 90u);
    z80::Run(10000);
    EXPECT_EQ(Reg(z80::RegBC), 0u);
    EXPECT_EQ(PC(), 2u);
    EXPECT_EQ(memory[0xA063], 100);
    EXPECT_EQ(memory[0xA064], 0);
}

TEST(Budget, RepeatingStepsCost21AndTheLastOne16) {
    test::Boot({0xED, 0xB0, 0xD3, 0xFE});  // LDIR; OUT (0xFE),A
    z80::SetOutHandler(Probe);
    z80::SetRegister(z80::RegBC, 3);
    z80::SetRegister(z80::RegHL, 0x9000);
    z80::SetRegister(z80::RegDE, 0xA000);
    z80::Run(1000);
    EXPECT_EQ(probeElapsed, 58u);
}

TEST(Interrupts, Mode1PushesPcAndChargesTheNextRun) {
    test::Boot({}, 0x1234);
    EnableInterrupts(1);
    z80::RaiseIrq(0xFF);
    EXPECT_EQ(SP(), StackTop - 2);
    EXPECT_EQ(memory[SP()], 0x34);
    EXPECT_EQ(memory[SP() + 1], 0x12);
    EXPECT_EQ(PC(), Im1Routine);
    EXPECT_EQ(Reg(z80::RegIFF1), 0u);
    EXPECT_EQ(Reg(z80::RegIFF2), 0u);
    EXPECT_EQ(R(), 1u);
    EXPECT_EQ(Reg(z80::RegIrqLine), 1u);  // taking it does not release the line

    EXPECT_EQ(z80::Run(227), 240u);  // 227 + 13: exactly 60 NOPs
    EXPECT_EQ(PC(), Im1Routine + 60);
    EXPECT_EQ(z80::Run(227), 228u);
}

TEST(Interrupts, Mode0TreatsTheVectorAsAnRst) {
    test::Boot({}, 0x1234);
    EnableInterrupts(0);
    z80::RaiseIrq(0xFF);
    EXPECT_EQ(PC(), 0x0038u);
    EXPECT_EQ(z80::Run(227), 240u);

    test::Boot({}, 0x1234);
    EnableInterrupts(0);
    z80::RaiseIrq(0xCF);
    EXPECT_EQ(PC(), 0x0008u);
    EXPECT_EQ(Word(SP()), 0x1234u);
}

TEST(Interrupts, Mode2JumpsThroughTheVectorTable) {
    test::Boot({}, 0x1234);
    EnableInterrupts(2);
    z80::SetRegister(z80::RegIR, 0x4000);
    Poke(0x4010, {0x78, 0x56});
    z80::RaiseIrq(0x10);
    EXPECT_EQ(PC(), 0x5678u);
    EXPECT_EQ(Word(SP()), 0x1234u);
    EXPECT_EQ(z80::Run(227), 248u);  // budget 246: 62 NOPs
}

TEST(Interrupts, TakenAtTheCloseOfTheEiWindow) {
    test::Boot({0xFB, 0x00});  // EI; NOP
    z80::SetRegister(z80::RegIM, 1);
    z80::RaiseIrq(0xFF);
    EXPECT_EQ(PC(), 0u);
    EXPECT_EQ(Reg(z80::RegIrqLine), 1u);
    // The NOP, the 13-cycle response and then EI's 4 cycles come off this run's budget, which
    // leaves 79 for NOPs at 0x38: 20 of them, the last one overshooting by 1.
    EXPECT_EQ(z80::Run(100), 101u);
    EXPECT_EQ(Word(SP()), 0x0002u);
    EXPECT_EQ(SP(), StackTop - 2);
    EXPECT_EQ(PC(), Im1Routine + 20);
    EXPECT_EQ(Reg(z80::RegIFF1), 0u);
}

TEST(Interrupts, EiHaltReturnsPastTheHalt) {
    test::Boot({0xFB, 0x76});
    z80::SetRegister(z80::RegIM, 1);
    z80::RaiseIrq(0xFF);
    EXPECT_EQ(z80::Run(100), 101u);
    EXPECT_EQ(Word(SP()), 0x0002u);
    EXPECT_EQ(PC(), Im1Routine + 20);

    // Without the line the window closes quietly and the HALT ends the run.
    test::Boot({0xFB, 0x76});
    EXPECT_EQ(z80::Run(100), 104u);
    EXPECT_EQ(PC(), 1u);
    EXPECT_EQ(Reg(z80::RegIFF1), 1u);
}

TEST(Interrupts, EiAfterEiKeepsTheWindowAndChargesBoth) {
    test::Boot({0xFB, 0xFB, 0x00});  // EI; EI; NOP
    z80::SetRegister(z80::RegIM, 1);
    z80::RaiseIrq(0xFF);
    // No interrupt until the NOP after the second EI is done; its response is charged here.
    EXPECT_EQ(z80::Run(0), 25u);
    EXPECT_EQ(Word(SP()), 0x0003u);
    EXPECT_EQ(PC(), Im1Routine);
}

TEST(Interrupts, EiWindowSuspendsABlockInstructionAfterOneStep) {
    test::Boot({0xFB, 0xED, 0xB0});  // EI; LDIR
    z80::SetRegister(z80::RegIM, 1);
    z80::SetRegister(z80::RegBC, 10);
    z80::SetRegister(z80::RegHL, 0x9000);
    z80::SetRegister(z80::RegDE, 0xA000);
    z80::RaiseIrq(0xFF);
    z80::Run(100);
    EXPECT_EQ(Word(StackTop - 2), 0x0001u);  // back on the LDIR
    EXPECT_EQ(Reg(z80::RegBC), 9u);
}

TEST(Interrupts, TheLineIsOnlyLookedAtByRaiseIrqAndTheEiWindow) {
    test::Boot({});
    z80::SetRegister(z80::RegIM, 1);
    z80::RaiseIrq(0xFF);
    z80::SetRegister(z80::RegIFF1, 1);
    z80::SetRegister(z80::RegIFF2, 1);
    z80::Run(100);
    EXPECT_EQ(PC(), 25u);
    EXPECT_EQ(SP(), StackTop);

    test::Boot({0xFB, 0xF3});  // EI; DI
    z80::SetRegister(z80::RegIM, 1);
    z80::RaiseIrq(0xFF);
    z80::Run(100);
    EXPECT_EQ(SP(), StackTop);
    EXPECT_EQ(Reg(z80::RegIFF1), 0u);
}

TEST(Interrupts, NmiKeepsIff2AndRetnRestoresIff1) {
    test::Boot({0x76});
    Poke(NmiRoutine, {0xED, 0x45});  // RETN
    EnableInterrupts(1);
    z80::Run(100);
    z80::TriggerNmi();
    EXPECT_EQ(PC(), NmiRoutine);
    EXPECT_EQ(Reg(z80::RegIFF1), 0u);
    EXPECT_EQ(Reg(z80::RegIFF2), 1u);
    EXPECT_EQ(R(), 2u);           // the HALT's fetch and the response
    EXPECT_EQ(z80::Run(0), 14u);  // budget 11, spent by the RETN
    EXPECT_EQ(PC(), 1u);
    EXPECT_EQ(SP(), StackTop);
    EXPECT_EQ(Reg(z80::RegIFF1), 1u);
}

TEST(RRegister, CountsEveryOpcodeAndPrefixFetch) {
    // clang-format off
    test::Boot({
        0x00,                    // NOP          1
        0xCB, 0x00,              // RLC B        2
        0xED, 0x44,              // NEG          2
        0xDD, 0x21, 0x00, 0x00,  // LD IX,0      2
        0xDD, 0xCB, 0x00, 0x06,  // RLC (IX+0)   3
        0xED, 0x00,              // no meaning   3
        0xFD, 0x00,              // no effect    3
        0xD3, 0xFE,              // OUT (0xFE),A 1
    });
    // clang-format on
    z80::SetOutHandler(Probe);
    z80::Run(1000);
    EXPECT_EQ(probeR, 17u);
    EXPECT_EQ(probeElapsed, 4u + 8 + 8 + 14 + 23 + 8 + 8);
}

TEST(RRegister, APrefixWithoutEffectIsAnInstructionOfItsOwn) {
    test::Boot({0xDD, 0x00});
    EXPECT_EQ(z80::Run(0), 4u);  // the budget check after the prefix ends the run
    EXPECT_EQ(PC(), 1u);
    EXPECT_EQ(R(), 2u);
    EXPECT_EQ(z80::Run(0), 4u);
    EXPECT_EQ(PC(), 2u);
    EXPECT_EQ(R(), 3u);
}

TEST(RRegister, InputRepeatsDoNotCountButOutputRepeatsDo) {
    test::Boot({0xED, 0xB2, 0x76});  // INIR
    z80::SetRegister(z80::RegBC, 0x0310);
    z80::SetRegister(z80::RegHL, 0x9000);
    z80::Run(1000);
    EXPECT_EQ(R() & 0x7F, 3u);  // ED, B2 and the HALT

    test::Boot({0xED, 0xB3, 0x76});  // OTIR
    z80::SetRegister(z80::RegBC, 0x0310);
    z80::SetRegister(z80::RegHL, 0x9000);
    z80::Run(1000);
    EXPECT_EQ(R() & 0x7F, 5u);  // and two repeating steps
}

TEST(RRegister, BitSevenComesFromTheLastWrite) {
    // clang-format off
    test::Boot({
        0x3E, 0x7F,  // LD A,0x7F
        0xED, 0x4F,  // LD R,A
        0xED, 0x5F,  // LD A,R: the counter is now 0x81, bit 7 still 0
        0x47,        // LD B,A
        0x3E, 0x80,  // LD A,0x80
        0xED, 0x4F,  // LD R,A
        0xED, 0x5F,  // LD A,R
        0x76,
    });
    // clang-format on
    z80::Run(1000);
    EXPECT_EQ(Reg(z80::RegBC) >> 8, 0x01u);
    EXPECT_EQ(A(), 0x82u);
}

}  // namespace
}  // namespace plexaro
