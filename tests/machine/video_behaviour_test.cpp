// Our Text-mode and status-polling cartridges on the whole machine, in both video
// behaviours, and the behaviour's survival across the machine's lifecycle. Expected rows
// come from the glyphs in text.s and the Text mode's rules.
#include <gtest/gtest.h>

#include <string>

#include "machine/board.h"
#include "machine/machine.h"
#include "tests/machine/test_cartridges.h"
#include "tests/video/vdp_test_support.h"
#include "video/vdp.h"

namespace plexaro {
namespace {

using test::Pixels;
using test::Repeat;
using test::Row;

constexpr uint16_t PollFrames = 0xC000;  // poll.s: 16 bits
constexpr uint16_t PollFifth = 0xC002;   // poll.s

class VideoBehaviour : public ::testing::Test {
protected:
    void TearDown() override {
        SelectVideoBehaviour(0);
        SelectPowerOnRam(PowerOnAuto, DefaultPowerOnSeed);
        ShutdownMachine();
    }

    static void Run(const char* name, uint32_t hardware, uint32_t frames) {
        SelectVideoBehaviour(hardware);
        // poll.s counts in RAM it never clears: it starts from zeros, as in the simple machine.
        SelectPowerOnRam(PowerOnZero, DefaultPowerOnSeed);
        ASSERT_EQ(InitMachine(256), nullptr);
        ASSERT_EQ(LoadCartridge(testing::CartridgePath(name).c_str()), nullptr);
        for (uint32_t frame = 0; frame < frames; ++frame) RunFrame();
    }

    static uint32_t Ram16(uint16_t address) {
        return ConsoleMemory()[address] | ConsoleMemory()[address + 1] << 8;
    }
};

TEST_F(VideoBehaviour, TextCartridgeIsBlackInSimpleAndWrittenInHardware) {
    Run("text", 0, 3);
    EXPECT_EQ(Row(8), std::vector<uint16_t>(VdpScreenWidth, 0));

    Run("text", 1, 3);
    // Row 1 of the text is lines 8 to 15; "HELLO WORLD!" starts at column 2, so after the
    // border and two blank cells, 20 pixels in. White (F) on dark blue (4).
    const std::string border = "44444444", blank = "444444";
    EXPECT_EQ(Row(8), Pixels(border + blank + blank + "F444F4FFFFF4F44444F444444FFF44" + blank +
                             "F444F44FFF44FFFF44F44444FFFF4444F444" + Repeat(blank, 26) + border));
    EXPECT_EQ(Row(11), Pixels(border + blank + blank + "FFFFF4FFFF44F44444F44444F444F4" + blank +
                              "F4F4F4F444F4FFFF44F44444F444F444F444" + Repeat(blank, 26) + border));
    EXPECT_EQ(Row(7), Pixels("4"));
}

TEST_F(VideoBehaviour, PollingWithInterruptsOffSeesTheFrameFlagOnlyInHardware) {
    Run("poll", 0, 5);
    EXPECT_EQ(Ram16(PollFrames), 0u);
    EXPECT_EQ(ConsoleMemory()[PollFifth], 0);

    Run("poll", 1, 5);
    EXPECT_EQ(Ram16(PollFrames), 5u);
    EXPECT_EQ(ConsoleMemory()[PollFifth], FifthSpriteFlag | 4);
}

TEST_F(VideoBehaviour, KeptThroughLoadResetAndFree) {
    Run("text", 1, 1);
    ResetMachine();
    FreeMachine();
    ASSERT_EQ(InitMachine(256), nullptr);
    ASSERT_EQ(LoadCartridge(testing::CartridgePath("poll").c_str()), nullptr);
    EXPECT_EQ(SelectedVideoBehaviour(), 1u);
    SelectVideoBehaviour(0);
    EXPECT_EQ(VdpBehaviour(), VideoSimple);
}

}  // namespace
}  // namespace plexaro
