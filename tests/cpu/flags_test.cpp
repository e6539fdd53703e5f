// The flag rules: the INC, DEC and DAA tables, and where bits 3 and 5 come from. Flags
// are read from the stack after PUSH AF, the one place where all eight bits are defined.
#include <gtest/gtest.h>

#include "tests/cpu/z80_test_machine.h"

namespace plexaro {
namespace {

using test::FlagC;
using test::FlagH;
using test::FlagN;
using test::FlagPV;
using test::FlagS;
using test::FlagX;
using test::FlagY;
using test::FlagZ;
using test::memory;
using test::Poke;
using test::StackTop;

uint32_t SignZeroXY(uint32_t result) {
    return (result & (FlagS | FlagY | FlagX)) | (result == 0 ? FlagZ : 0);
}

uint32_t Parity(uint32_t value) {
    return __builtin_parity(value) ? 0 : FlagPV;
}

// Runs the program from 0 with AF set, returns the word the first PUSH AF left (A:F).
uint32_t PushedAF(std::initializer_list<uint8_t> program, uint32_t af) {
    test::Boot(program);
    z80::SetRegister(z80::RegAF, af);
    z80::Run(10000);
    return test::Word(StackTop - 2);
}

TEST(Flags, IncAndDecFollowTheirTables) {
    for (uint32_t x = 0; x < 256; ++x) {
        const uint32_t carry = x & FlagC;  // either way, C is kept
        const uint32_t inc = (x + 1) & 0xFF, dec = (x - 1) & 0xFF;
        const uint32_t incFlags =
            SignZeroXY(inc) | ((x & 0x0F) == 0x0F ? FlagH : 0) | (x == 0x7F ? FlagPV : 0) | carry;
        const uint32_t decFlags = SignZeroXY(dec) | ((x & 0x0F) == 0x00 ? FlagH : 0) |
                                  (x == 0x80 ? FlagPV : 0) | FlagN | carry;
        EXPECT_EQ(PushedAF({0x3C, 0xF5, 0x76}, x << 8 | carry), inc << 8 | incFlags) << x;
        EXPECT_EQ(PushedAF({0x3D, 0xF5, 0x76}, x << 8 | carry), dec << 8 | decFlags) << x;
    }
    // Worked by hand, to check the rule above.
    EXPECT_EQ(PushedAF({0x3C, 0xF5, 0x76}, 0x7F01), 0x8095u);  // S, H, P/V, C
    EXPECT_EQ(PushedAF({0x3D, 0xF5, 0x76}, 0x0000), 0xFFBAu);  // S, Y, H, X, N
}

TEST(Flags, DaaFollowsTheDecimalAdjustRule) {
    for (uint32_t index = 0; index < 2048; ++index) {
        const uint32_t a = index & 0xFF;
        const bool c = index & 0x100, n = index & 0x200, h = index & 0x400;
        uint32_t correction = 0, carry = 0;
        if (h || (a & 0x0F) > 9) correction |= 0x06;
        if (c || a > 0x99) correction |= 0x60, carry = FlagC;
        const uint32_t result = (n ? a - correction : a + correction) & 0xFF;
        const bool halfOut = n ? h && (a & 0x0F) < 6 : (a & 0x0F) > 9;
        const uint32_t flags =
            SignZeroXY(result) | Parity(result) | (halfOut ? FlagH : 0) | (n ? FlagN : 0) | carry;

        // POP AF; DAA; PUSH AF
        test::Boot({0xF1, 0x27, 0xF5, 0x76});
        Poke(StackTop, {uint8_t((c ? FlagC : 0) | (n ? FlagN : 0) | (h ? FlagH : 0)), uint8_t(a)});
        z80::Run(1000);
        EXPECT_EQ(test::Word(StackTop), result << 8 | flags)
            << std::hex << "A " << a << " C " << c << " N " << n << " H " << h;
    }
    // 0x15 + 0x27 is 0x3C with H clear; adjusted, 42 with H set and parity even.
    EXPECT_EQ(PushedAF({0x3E, 0x15, 0xC6, 0x27, 0x27, 0xF5, 0x76}, 0), 0x4214u);
}

TEST(Flags, CompareTakesBits3And5FromTheOperand) {
    EXPECT_EQ(PushedAF({0xFE, 0x28, 0xF5, 0x76}, 0x0000), 0x00BBu);  // CP 0x28
    EXPECT_EQ(PushedAF({0xD6, 0x28, 0xF5, 0x76}, 0x0000), 0xD89Bu);  // SUB 0x28: from 0xD8
}

TEST(Flags, Bits3And5TravelThroughExAfAndPopAf) {
    PushedAF(
        // clang-format off
        {
            0xFE, 0x28,  // CP 0x28: F = 0xBB
            0x08,        // EX AF,AF'
            0xAF,        // XOR A: F = 0x44
            0x08,        // EX AF,AF'
            0xF5,        // PUSH AF
            0x08,        // EX AF,AF'
            0xF5,        // PUSH AF
            0x76,
        },
        // clang-format on
        0x0000);
    EXPECT_EQ(memory[StackTop - 2], 0xBB);
    EXPECT_EQ(memory[StackTop - 4], 0x44);

    test::Boot({0xF1, 0x03, 0xF5, 0x76});  // POP AF; INC BC; PUSH AF
    Poke(StackTop, {0xFF, 0x12});
    z80::Run(1000);
    EXPECT_EQ(memory[StackTop], 0xFF);
}

TEST(Flags, BitKeepsBits3And5) {
    // clang-format off
    test::Boot({
        0xFE, 0x28,              // CP 0x28 with A = 0: bits 3 and 5 set, C set
        0x3E, 0x80,              // LD A,0x80
        0xCB, 0x7F,              // BIT 7,A
        0xF5,                    // PUSH AF
        0xCB, 0x47,              // BIT 0,A
        0xF5,                    // PUSH AF
        0xDD, 0x21, 0x00, 0x90,  // LD IX,0x9000
        0xDD, 0xCB, 0x01, 0x46,  // BIT 0,(IX+1)
        0xF5,                    // PUSH AF
        0x76,
    });
    // clang-format on
    z80::SetRegister(z80::RegAF, 0x0000);
    memory[0x9001] = 0xFE;
    z80::Run(1000);
    EXPECT_EQ(memory[StackTop - 2], FlagS | FlagH | FlagC | FlagY | FlagX);
    EXPECT_EQ(memory[StackTop - 4], FlagZ | FlagPV | FlagH | FlagC | FlagY | FlagX);
    EXPECT_EQ(memory[StackTop - 6], FlagZ | FlagPV | FlagH | FlagC | FlagY | FlagX);
}

TEST(Flags, ScfAndCcfTakeBits3And5FromA) {
    test::Boot({0x37, 0xF5, 0x3F, 0xF5, 0x76});  // SCF; PUSH AF; CCF; PUSH AF
    z80::SetRegister(z80::RegAF, 0x2840);
    z80::Run(1000);
    EXPECT_EQ(memory[StackTop - 2], FlagZ | FlagY | FlagX | FlagC);
    EXPECT_EQ(memory[StackTop - 4], FlagZ | FlagY | FlagX | FlagH);

    // Bits 3 and 5 left by CP go: A = 0 has neither.
    EXPECT_EQ(PushedAF({0xFE, 0x28, 0x37, 0xF5, 0x76}, 0x0000) & 0xFF, FlagS | FlagC);
}

TEST(Flags, BlockTransferAndCompareBits3And5) {
    struct Case {
        const char* what;
        uint8_t opcode;
        uint32_t a, byte, bc, flags;
    };
    const Case cases[] = {
        // A + byte = 0x0A: bit 1 gives bit 5, bit 3 gives bit 3; BC reaches 0.
        {"LDI 0x0A", 0xA0, 0x00, 0x0A, 1, FlagZ | FlagY | FlagX},
        // A + byte = 0x12: bit 5 only; BC not yet 0.
        {"LDI 0x12", 0xA0, 0x10, 0x02, 2, FlagZ | FlagY | FlagPV},
        // 0x10 - 0x08 borrows from bit 4, so n = 0x07: bit 5 only.
        {"CPI", 0xA1, 0x10, 0x08, 2, FlagY | FlagH | FlagPV | FlagN},
    };
    for (const Case& c : cases) {
        test::Boot({0xED, c.opcode, 0xF5, 0x76});
        memory[0x9000] = uint8_t(c.byte);
        z80::SetRegister(z80::RegAF, c.a << 8 | FlagZ);
        z80::SetRegister(z80::RegHL, 0x9000);
        z80::SetRegister(z80::RegDE, 0xA000);
        z80::SetRegister(z80::RegBC, c.bc);
        z80::Run(1000);
        EXPECT_EQ(memory[StackTop - 2], c.flags) << c.what;
    }
}

}  // namespace
}  // namespace plexaro
