// Register access, power-on values and the plain-fields export that save states use.
#include <gtest/gtest.h>

#include "tests/cpu/z80_test_machine.h"

namespace plexaro {
namespace {

using test::A;
using test::memory;
using test::PC;
using test::Poke;
using test::Reg;

TEST(Registers, ResetGivesPowerOnValuesAndKeepsTheMap) {
    test::Boot({0x3A, 0x00, 0x90, 0x76});  // LD A,(0x9000)
    for (uint32_t r = z80::RegAF; r <= z80::RegIrqLine; ++r) z80::SetRegister(r, 0x1357);
    z80::RaiseIrq(0xFF);  // taken, so the next Run would get the response's cycles
    z80::Reset();

    EXPECT_EQ(Reg(z80::RegAF), 0x0040u);
    EXPECT_EQ(Reg(z80::RegIX), 0xFFFFu);
    EXPECT_EQ(Reg(z80::RegIY), 0xFFFFu);
    for (auto r : {z80::RegBC, z80::RegDE, z80::RegHL, z80::RegPC, z80::RegSP, z80::RegAltAF,
                   z80::RegAltBC, z80::RegAltDE, z80::RegAltHL, z80::RegIFF1, z80::RegIFF2,
                   z80::RegIR, z80::RegIM, z80::RegIrqVector, z80::RegIrqLine}) {
        EXPECT_EQ(Reg(r), 0u) << "register " << r;
    }
    memory[0x9000] = 0x5C;
    EXPECT_EQ(z80::Run(0), 13u);  // no pending cycles left, the map still in place
    EXPECT_EQ(A(), 0x5Cu);
}

TEST(Registers, EachIndexReachesItsOwnRegister) {
    test::Boot({});
    // The low byte avoids bits 3 and 5, which GetRegister need not report for F.
    for (uint32_t r = z80::RegAF; r <= z80::RegAltHL; ++r) z80::SetRegister(r, 0x1100 * r + 0x41);
    for (uint32_t r = z80::RegAF; r <= z80::RegAltHL; ++r) {
        EXPECT_EQ(Reg(z80::Z80Register(r)), 0x1100 * r + 0x41) << "register " << r;
    }
    // Non-zero values count as enabled; IM and the vector keep the low byte.
    z80::SetRegister(z80::RegIFF1, 0x100);
    z80::SetRegister(z80::RegIFF2, 7);
    z80::SetRegister(z80::RegIM, 0x102);
    z80::SetRegister(z80::RegIrqVector, 0x1CF);
    z80::SetRegister(z80::RegIrqLine, 5);
    EXPECT_EQ(Reg(z80::RegIFF1), 1u);
    EXPECT_EQ(Reg(z80::RegIFF2), 1u);
    EXPECT_EQ(Reg(z80::RegIM), 2u);
    EXPECT_EQ(Reg(z80::RegIrqVector), 0xCFu);
    EXPECT_EQ(Reg(z80::RegIrqLine), 1u);
}

TEST(Registers, AfIsSeenInZ80Order) {
    // SCF; PUSH AF; EX AF,AF'; PUSH AF. F avoids bits 3 and 5, which PUSH AF takes from
    // elsewhere.
    test::Boot({0x37, 0xF5, 0x08, 0xF5, 0x76});
    z80::SetRegister(z80::RegAF, 0x12C6);
    z80::SetRegister(z80::RegAltAF, 0x3480);
    z80::Run(1000);
    EXPECT_EQ(test::Word(0x7FFE), 0x12C5u);  // SCF kept S, Z and P/V and cleared N
    EXPECT_EQ(test::Word(0x7FFC), 0x3480u);
    EXPECT_EQ(Reg(z80::RegAltAF) & 0xFFD7, 0x12C5u);
}

TEST(Registers, IrPacksIAndRAndHigherIndexesActAsIt) {
    test::Boot({0xED, 0x57, 0x76});  // LD A,I
    z80::SetRegister(z80::RegIR, 0x12AB);
    EXPECT_EQ(Reg(z80::RegIR), 0x12ABu);
    z80::Run(100);
    EXPECT_EQ(A(), 0x12u);
    EXPECT_EQ(Reg(z80::RegIR), 0x12AEu);  // three fetches; bit 7 stays from the write

    z80::SetRegister(18, 0x3456);
    EXPECT_EQ(Reg(z80::RegIR), 0x3456u);
    EXPECT_EQ(z80::GetRegister(200), 0x3456u);
    EXPECT_EQ(z80::GetRegister(0xFFFFFFFF), 0x3456u);
}

TEST(Registers, ImportRestoresExportedRegisters) {
    test::Boot({0x3C, 0xF5, 0x76}, 0x0100);  // INC A; PUSH AF; HALT
    z80::SetRegister(z80::RegAF, 0x4100);
    z80::SetRegister(z80::RegIM, 1);
    z80::SetRegister(z80::RegIFF1, 1);
    z80::RaiseIrq(0xFF);  // PC 0x38, and 13 cycles for the next Run
    z80::SetRegister(z80::RegPC, 0x0100);
    const z80::CoreRegisters saved = z80::ExportRegisters();

    EXPECT_EQ(z80::Run(0), 15u);  // the pending 13: INC A, and PUSH AF overshoots
    const uint32_t af = Reg(z80::RegAF);
    z80::SetRegister(z80::RegBC, 0xBEEF);
    z80::SetRegister(z80::RegIrqLine, 0);
    Poke(0x7FFC, {0, 0});

    z80::ImportRegisters(saved);  // the memory map is not part of it: it stays as it is
    EXPECT_EQ(PC(), 0x0100u);
    EXPECT_EQ(Reg(z80::RegBC), 0u);
    EXPECT_EQ(Reg(z80::RegIrqLine), 1u);
    EXPECT_EQ(z80::Run(0), 15u);
    EXPECT_EQ(Reg(z80::RegAF), af);
    EXPECT_EQ(A(), 0x42u);
    EXPECT_EQ(memory[0x7FFD], 0x42);
}

}  // namespace
}  // namespace plexaro
