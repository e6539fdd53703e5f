// --trace on a program small enough to trace by hand: every line's position, bytes, text and
// registers before the instruction, and where the first scanline's budget runs out.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "host/player/player.h"
#include "tests/machine/test_cartridges.h"

namespace plexaro {
namespace {

TEST(Trace, OneLinePerInstructionWithTheRegistersBeforeIt) {
    const auto scratch = testing::MakeScratch("trace");
    PlayerOptions options;
    options.headless = true;
    options.frames = 1;
    const std::vector<uint8_t> program = {
        0x31, 0x00, 0xC4,  // ld sp, #0xc400
        0x3E, 0x12,        // ld a, #0x12
        0x06, 0x34,        // ld b, #0x34
        0x80,              // add a, b
        0xC3, 0x08, 0x00,  // jp 0x0008
    };
    options.cartridgePath = testing::WriteFile(scratch / "t.sg", program);
    options.tracePath = (scratch / "trace.txt").string();
    ASSERT_EQ(RunHeadless(options), ExitSuccess);

    std::ifstream file(options.tracePath);
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);) lines.push_back(line);
    testing::RemoveScratch(scratch);
    // clang-format off
    const char* const expected[] = {
        "000000 000 000 0000 31 00 c4     ld sp, #0xc400              AF=0040 BC=0000 DE=0000 HL=0000 IX=ffff IY=ffff SP=0000",
        "000000 000 010 0003 3e 12        ld a, #0x12                 AF=0040 BC=0000 DE=0000 HL=0000 IX=ffff IY=ffff SP=c400",
        "000000 000 017 0005 06 34        ld b, #0x34                 AF=1240 BC=0000 DE=0000 HL=0000 IX=ffff IY=ffff SP=c400",
        "000000 000 024 0007 80           add a, b                    AF=1240 BC=3400 DE=0000 HL=0000 IX=ffff IY=ffff SP=c400",
        "000000 000 028 0008 c3 08 00     jp 0x0008                   AF=4600 BC=3400 DE=0000 HL=0000 IX=ffff IY=ffff SP=c400",
        "000000 000 038 0008 c3 08 00     jp 0x0008                   AF=4600 BC=3400 DE=0000 HL=0000 IX=ffff IY=ffff SP=c400",
    };
    // clang-format on
    ASSERT_GT(lines.size(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i) EXPECT_EQ(lines[i], expected[i]) << i;
    // 28 cycles, then 20 jumps reach 228: line 0 ends, and line 1 starts on its own budget.
    EXPECT_EQ(lines[23].substr(0, 19), "000000 000 218 0008");
    EXPECT_EQ(lines[24].substr(0, 19), "000000 001 000 0008");
    // 23 jumps (230 cycles) in each of the other 261 lines.
    EXPECT_EQ(lines.size(), 24u + 261u * 23u);
}

}  // namespace
}  // namespace plexaro
