// Fast forward and slow motion against the fakes: which passes run frames, which write sound,
// when the caller may skip its wait, and how the fast-forward key and rewind's share the game.
#include <gtest/gtest.h>

#include <algorithm>

#include "host/shell/audio.h"
#include "host/shell/input.h"
#include "host/shell/rewind.h"
#include "host/shell/shell.h"
#include "machine/machine.h"
#include "tests/host/shell/shell_fakes.h"
#include "tests/machine/test_cartridges.h"

namespace plexaro {
namespace {

class Speed : public ::testing::Test {
protected:
    // The busy cartridge with a sound card whose cursor moves a slot at each wait, or none.
    void Start(bool card) {
        fake::Reset();
        fake::card.present = card;
        fake::card.step = AudioSlotBytes;
        AudioClose();
        AudioSetLatency(SoundLatencySafe);  // the whole ring, slot by slot
        ShellLoadFromCommandLine(testing::CartridgePath("busy"));
        ASSERT_TRUE(ShellStart(1, 0));
    }
    void TearDown() override { ShellShutdown(); }
    static bool SilentFrom(uint32_t byte) {
        return std::all_of(fake::card.buffer + byte, fake::card.buffer + AudioBufferBytes,
                           [](uint8_t b) { return b == 0; });
    }
};

TEST_F(Speed, HeldSpaceRunsAheadSilentlyAndLetsGoIntoACleanRing) {
    Start(true);
    for (int pass = 0; pass < 20; ++pass) ShellFramePass();
    ASSERT_GT(fake::card.waits, 0);  // the ring is full and paces play

    InputKeyEvent(KeySpace, true);
    uint64_t frames = Shell().framesRun;
    EXPECT_FALSE(ShellFramePass());
    EXPECT_TRUE(Shell().fastForwarding);
    EXPECT_EQ(JoypadPorts()[0], 0xFF);  // the key is the program's, not the game's
    EXPECT_EQ(JoypadPorts()[1], 0xFF);
    EXPECT_GT(Shell().framesRun, frames + 1);  // a tick's worth in one pass
    EXPECT_TRUE(SilentFrom(0));                // what was queued is not heard again
    const int waits = fake::card.waits, writes = fake::card.writes;
    frames = Shell().framesRun;
    for (int pass = 0; pass < 5; ++pass) EXPECT_FALSE(ShellFramePass());
    EXPECT_GT(Shell().framesRun, frames + 5);
    EXPECT_EQ(fake::card.waits, waits);
    EXPECT_EQ(fake::card.writes, writes);

    // Let go: the ring starts again from silence, the next frame in its first slot, and the
    // card paces play once the writer is a ring ahead.
    InputKeyEvent(KeySpace, false);
    fake::card.cursor = 0;
    frames = Shell().framesRun;
    EXPECT_TRUE(ShellFramePass());
    EXPECT_FALSE(Shell().fastForwarding);
    EXPECT_EQ(Shell().framesRun, frames + 1);
    EXPECT_EQ(fake::card.lastWriteOffset, 0u);
    EXPECT_TRUE(SilentFrom(AudioSlotBytes));
    for (int pass = 0; pass < 12; ++pass) EXPECT_TRUE(ShellFramePass());
    EXPECT_GT(fake::card.waits, waits);
    EXPECT_EQ(Shell().framesRun, frames + 13);
}

TEST_F(Speed, TheMenusTogglesExcludeEachOtherAndSlowMotionKeepsTheRingFed) {
    Start(true);
    ShellCommand(CommandFastForward);
    EXPECT_EQ(Shell().FastForward, 1);
    uint64_t frames = Shell().framesRun;
    EXPECT_FALSE(ShellFramePass());
    EXPECT_GT(Shell().framesRun, frames + 1);

    ShellCommand(CommandSlowMotion);
    EXPECT_EQ(Shell().FastForward, 0);
    EXPECT_EQ(Shell().SlowMotion, 1);
    // Every pass writes a frame of sound, and so is paced by the card; every other one runs a
    // frame, starting with the first.
    frames = Shell().framesRun;
    for (int pass = 0; pass < 8; ++pass) {
        const int writes = fake::card.writes;
        EXPECT_TRUE(ShellFramePass());
        EXPECT_EQ(Shell().framesRun, frames + static_cast<uint64_t>(pass / 2 + 1));
        EXPECT_FALSE(Shell().fastForwarding);
        // The first pass also silences the ring as fast forward ends.
        EXPECT_EQ(fake::card.writes, writes + (pass == 0 ? 2 : 1));
    }
    // Holding Space outruns slow motion, which comes back on release.
    InputKeyEvent(KeySpace, true);
    ShellFramePass();
    EXPECT_TRUE(Shell().fastForwarding);
    InputKeyEvent(KeySpace, false);
    frames = Shell().framesRun;
    ShellFramePass();
    ShellFramePass();
    EXPECT_EQ(Shell().framesRun, frames + 1);

    ShellCommand(CommandFastForward);
    EXPECT_EQ(Shell().SlowMotion, 0);
    ShellCommand(CommandFastForward);
    frames = Shell().framesRun;
    ShellFramePass();
    ShellFramePass();
    EXPECT_EQ(Shell().framesRun, frames + 2);  // normal speed again
}

TEST_F(Speed, WithoutSoundSlowMotionRunsAFrameEveryOtherTick) {
    Start(false);
    ShellCommand(CommandSlowMotion);
    const uint64_t frames = Shell().framesRun;
    for (int pass = 0; pass < 10; ++pass) EXPECT_FALSE(ShellFramePass());
    EXPECT_EQ(Shell().framesRun, frames + 5);
    EXPECT_FALSE(Shell().fastForwarding);  // the caller waits for each tick
}

TEST_F(Speed, BetweenRewindAndFastForwardTheLaterKeyWins) {
    Start(false);
    ASSERT_TRUE(RewindActive());
    for (int pass = 0; pass < 10; ++pass) ShellFramePass();

    InputKeyEvent(KeySpace, true);
    ShellFramePass();
    ASSERT_TRUE(Shell().fastForwarding);
    ShellSetRewinding(true);
    uint64_t frames = Shell().framesRun;
    ShellFramePass();
    EXPECT_TRUE(Shell().rewinding);
    EXPECT_FALSE(Shell().fastForwarding);
    EXPECT_EQ(Shell().framesRun, frames - 1);
    // Backspace let go with Space still down: play goes on at normal speed until Space is
    // pressed again.
    ShellSetRewinding(false);
    frames = Shell().framesRun;
    ShellFramePass();
    EXPECT_FALSE(Shell().fastForwarding);
    EXPECT_EQ(Shell().framesRun, frames + 1);

    // Space pressed while Backspace is held takes over from rewind.
    InputKeyEvent(KeySpace, false);
    ShellFramePass();
    ShellSetRewinding(true);
    ShellFramePass();
    ASSERT_TRUE(Shell().rewinding);
    InputKeyEvent(KeySpace, true);
    frames = Shell().framesRun;
    ShellFramePass();
    EXPECT_FALSE(Shell().rewinding);
    EXPECT_TRUE(Shell().fastForwarding);
    EXPECT_GT(Shell().framesRun, frames + 1);
    InputKeyEvent(KeySpace, false);
    ShellSetRewinding(false);
}

}  // namespace
}  // namespace plexaro
