// Rewind: stepping back through recorded frames gives back exactly the states that were
// recorded, newest first, a small budget keeps only the latest frames, and the default one
// holds a minute.
#include "host/shell/rewind.h"

#include <gtest/gtest.h>

#include <vector>

#include "machine/board.h"
#include "machine/machine.h"
#include "machine/state.h"
#include "tests/machine/test_cartridges.h"

namespace plexaro {
namespace {

std::vector<uint8_t> StateNow(uint64_t frame) {
    std::vector<uint8_t> bytes(MachineStateSize());
    SaveMachineState(frame, bytes.data());
    return bytes;
}

void Frame(uint64_t frame) {
    ClearJoypad();
    PressJoypad(static_cast<uint32_t>(frame / 9 % 4));
    RunFrame();
    MakeSoundFrame();
}

TEST(Rewind, StepsBackThroughExactlyTheRecordedStates) {
    ASSERT_EQ(InitMachine(256), nullptr);
    ASSERT_EQ(LoadCartridge(testing::CartridgePath("busy").c_str()), nullptr);
    ASSERT_TRUE(RewindStart(RewindDefaultBudget));
    std::vector<std::vector<uint8_t>> states;
    for (uint64_t frame = 1; frame <= 200; ++frame) {
        Frame(frame);
        RewindRecord(frame);
        states.push_back(StateNow(frame));
    }
    EXPECT_EQ(RewindFrames(), 199u);  // the first state is the base of the others
    std::printf("busy.sg: %zu bytes per recorded frame\n", RewindBytesUsed() / RewindFrames());
    for (uint64_t back = 199; back >= 150; --back) {
        uint64_t frame = 0;
        ASSERT_TRUE(RewindStepBack(&frame));
        EXPECT_EQ(frame, back);
        EXPECT_EQ(StateNow(frame), states[back - 1]) << back;
    }
    // Playing on from a rewound state records on from there.
    Frame(151);
    RewindRecord(151);
    EXPECT_EQ(RewindFrames(), 150u);

    // A budget smaller than the frames recorded keeps only the newest ones, going round
    // the arena several times, and they still step back right.
    constexpr size_t Budget = 150000;
    constexpr uint64_t Frames = 1000;
    RewindStart(Budget);
    states.resize(Frames);
    for (uint64_t frame = 1; frame <= Frames; ++frame) {
        Frame(frame);
        RewindRecord(frame);
        states[frame - 1] = StateNow(frame);
    }
    const uint32_t held = RewindFrames();
    EXPECT_LT(held, Frames / 2);
    EXPECT_GT(held, 50u);
    EXPECT_LE(RewindBytesUsed(), Budget);
    for (uint32_t step = 1; step <= held; ++step) {
        uint64_t frame = 0;
        ASSERT_TRUE(RewindStepBack(&frame));
        EXPECT_EQ(StateNow(frame), states[Frames - step - 1]) << step;
    }
    uint64_t frame = 0;
    EXPECT_FALSE(RewindStepBack(&frame));
    RewindStop();
    ShutdownMachine();
}

// On the mapper board with the console's 1 KB of RAM, a program that switches slot 1's page
// all the time: each step back brings back the state, its pages included.
TEST(Rewind, StepsBackThroughBankSwitchedStates) {
    std::vector<uint8_t> image(8 * MapperPageSize);
    for (size_t at = 0; at < image.size(); ++at) image[at] = static_cast<uint8_t>(at / 0x4000);
    const uint8_t program[] = {
        0x31, 0xF0, 0xC3,  // ld sp, 0xC3F0
        0x3C,              // inc a
        0x32, 0xFE, 0xFF,  // ld (0xFFFE), a
        0x32, 0x10, 0xC0,  // ld (0xC010), a
        0x18, 0xF7,        // jr to the inc
    };
    std::copy(std::begin(program), std::end(program), image.begin());
    const auto dir = testing::MakeScratch("rewind-mapper");
    SelectVideoBehaviour(1);
    ASSERT_EQ(InitMachine(256), nullptr);
    ASSERT_EQ(LoadCartridge(testing::WriteFile(dir / "switch.sg", image).c_str()), nullptr);
    ASSERT_EQ(CurrentBoard(), BoardMapper);
    ASSERT_TRUE(RewindStart(RewindDefaultBudget));
    std::vector<std::vector<uint8_t>> states;
    std::vector<uint8_t> pages;
    for (uint64_t frame = 1; frame <= 30; ++frame) {
        RunFrame();
        RewindRecord(frame);
        states.push_back(StateNow(frame));
        pages.push_back(CurrentPages().page[1]);
    }
    for (uint64_t back = 29; back >= 1; --back) {
        uint64_t frame = 0;
        ASSERT_TRUE(RewindStepBack(&frame));
        EXPECT_EQ(StateNow(frame), states[back - 1]) << back;
        EXPECT_EQ(CurrentPages().page[1], pages[back - 1]) << back;
        EXPECT_EQ(PeekConsole(0x4100), pages[back - 1]) << back;
        // The register's write reached the RAM under it too (a frame may end before the copy
        // at 0xC010 is made).
        EXPECT_EQ(PeekConsole(0xFFFE) & 7, pages[back - 1]) << back;
    }
    RewindStop();
    SelectVideoBehaviour(0);
    ShutdownMachine();
    testing::RemoveScratch(dir);
}

// The promise made to players: the last minute of a busy game, all within the default budget.
TEST(Rewind, AMinuteOfTheBusyCartridgeFitsTheDefaultBudget) {
    ASSERT_EQ(InitMachine(256), nullptr);
    ASSERT_EQ(LoadCartridge(testing::CartridgePath("busy").c_str()), nullptr);
    ASSERT_TRUE(RewindStart(RewindDefaultBudget));
    for (uint64_t frame = 1; frame <= 3601; ++frame) {
        Frame(frame);
        RewindRecord(frame);
    }
    EXPECT_EQ(RewindFrames(), 3600u);
    RewindStop();
    ShutdownMachine();
}

}  // namespace
}  // namespace plexaro
