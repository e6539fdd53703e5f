// Run-ahead against plain play of the demo, input changes included: the picture shown is the
// one plain play shows N frames later whenever the input holds that long, and the sound, the
// machine's state and everything after stay exactly those of plain play.
#include "host/shell/run_ahead.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "host/shell/shell.h"
#include "machine/checks.h"
#include "machine/hash.h"
#include "machine/machine.h"
#include "machine/state.h"

namespace plexaro {
namespace {

const std::string Demo = PLEXARO_BINARY_DIR "/cartridges/demo/demo.sg";
constexpr uint32_t Frames = 420;

// Title, start, then a flight steered this way and that: held stretches, changes between.
uint32_t HeldAt(uint32_t frame) {
    if (frame >= 60 && frame < 64) return 1u << JoypadButton1;
    if (frame >= 150 && frame < 230) return 1u << JoypadRight;
    if (frame >= 230 && frame < 231) return 1u << JoypadUp;  // one frame only
    if (frame >= 260 && frame < 330) return 1u << JoypadDown | 1u << JoypadLeft;
    if (frame >= 360) return 1u << JoypadButton2;
    return 0;
}

struct Play {
    std::vector<uint64_t> pictures;  // of what is shown after each frame
    std::vector<uint64_t> sounds;
    std::vector<uint8_t> state;  // after the last frame
    uint32_t framesRunAhead = 0;
};

Play PlayDemo(uint32_t hardware, uint32_t ahead) {
    Play play;
    SelectVideoBehaviour(hardware);
    EXPECT_EQ(InitMachine(256), nullptr);
    EXPECT_EQ(LoadCartridge(Demo.c_str()), nullptr);
    RunAheadSetFrames(ahead);
    for (uint32_t frame = 0; frame < Frames; ++frame) {
        ClearJoypad();
        for (uint32_t button = 0; button < 6; ++button) {
            if (HeldAt(frame) & 1u << button) PressJoypad(button);
        }
        RunFrame();
        const int16_t* sound = MakeSoundFrame();
        play.sounds.push_back(Fnv1a64(FnvOffsetBasis, sound, SoundFrameSamples() * 2));
        if (RunAheadAfterFrame()) ++play.framesRunAhead;
        play.pictures.push_back(Fnv1a64(FnvOffsetBasis, GetFrameBuffer(), 256 * 192 * 2));
    }
    play.state.resize(MachineStateSize());
    WriteMachineState(Frames, play.state.data());
    RunAheadSetFrames(0);
    return play;
}

TEST(RunAhead, ShowsPlainPlaysLaterPictureAndChangesNothingElse) {
    for (uint32_t hardware : {0u, 1u}) {
        const Play plain = PlayDemo(hardware, 0);
        EXPECT_EQ(plain.framesRunAhead, 0u);
        for (uint32_t ahead : {1u, 2u}) {
            SCOPED_TRACE("hardware " + std::to_string(hardware) + ", " + std::to_string(ahead) +
                         " ahead");
            const Play run = PlayDemo(hardware, ahead);
            EXPECT_EQ(run.framesRunAhead, Frames);
            EXPECT_EQ(run.sounds, plain.sounds);
            EXPECT_TRUE(run.state == plain.state);
            uint32_t compared = 0, sooner = 0;
            for (uint32_t frame = 0; frame + ahead < Frames; ++frame) {
                bool held = true;
                for (uint32_t later = 1; later <= ahead; ++later) {
                    held &= HeldAt(frame + later) == HeldAt(frame);
                }
                if (!held) continue;
                ++compared;
                EXPECT_EQ(run.pictures[frame], plain.pictures[frame + ahead]) << "frame " << frame;
                // A new input's picture, shown before plain play shows it.
                if (HeldAt(frame) != HeldAt(frame - 1) &&
                    run.pictures[frame] != plain.pictures[frame]) {
                    ++sooner;
                }
            }
            EXPECT_GT(compared, Frames - 12 * ahead);
            EXPECT_GE(sooner, 3u);
        }
    }
    SelectVideoBehaviour(0);
}

// Where each access is watched, frames that never happen must not be seen: no run-ahead.
TEST(RunAhead, OffOrWatchedRunsNone) {
    ASSERT_EQ(InitMachine(256), nullptr);
    ASSERT_EQ(LoadCartridge(Demo.c_str()), nullptr);
    RunFrame();
    EXPECT_FALSE(RunAheadAfterFrame());
    RunAheadCommand(CommandRunAheadOff + 2);
    EXPECT_EQ(RunAheadFrames(), 2u);
    ChecksEnable(true);
    EXPECT_FALSE(RunAheadAfterFrame());
    ChecksEnable(false);
    EXPECT_TRUE(RunAheadAfterFrame());
    RunAheadCommand(CommandRunAheadOff);
    EXPECT_EQ(RunAheadFrames(), 0u);
}

}  // namespace
}  // namespace plexaro
