// The checks on our problems cartridge, which commits one bug at a time (or none), in both
// video behaviours; and checks that watch without changing what the program does.
#include "machine/checks.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "machine/board.h"
#include "machine/debugger.h"
#include "machine/machine.h"
#include "machine/state.h"
#include "tests/machine/test_cartridges.h"

namespace plexaro {
namespace {

using testing::CartridgePath;

constexpr uint32_t FrameCount = 12;

// Loads `name` with the checks on or off and runs `frames` frames with port A's `button`
// held from power-on (none: nothing pressed).
void RunProgram(const char* name, bool checking, uint32_t hardware, int button, uint32_t frames) {
    SelectVideoBehaviour(hardware);
    ChecksClear();
    ChecksEnable(checking);
    ASSERT_EQ(InitMachine(VdpScreenWidth), nullptr);
    ASSERT_EQ(LoadCartridge(CartridgePath(name).c_str()), nullptr);
    DebuggerResetPosition();
    for (uint32_t frame = 0; frame < frames; ++frame) {
        ClearJoypad();
        if (button >= 0) PressJoypad(static_cast<uint32_t>(button));
        DebuggerRunFrame();
    }
}

struct Finish {
    std::vector<uint16_t> picture;
    std::vector<uint8_t> ram;
};

Finish Snapshot() {
    Finish finish;
    const uint16_t* pixels = GetFrameBuffer();
    finish.picture.assign(pixels, pixels + VdpScreenWidth * VdpVisibleLines);
    const uint8_t* ram = WritableConsoleRam();
    finish.ram.assign(ram, ram + 0x8000);
    return finish;
}

class Checks : public ::testing::TestWithParam<uint32_t> {
protected:
    void TearDown() override {
        ChecksEnable(false);
        ShutdownMachine();
        SelectVideoBehaviour(0);
    }
};

TEST_P(Checks, CleanRunRaisesNothing) {
    RunProgram("problems", true, GetParam(), -1, FrameCount);
    EXPECT_EQ(ChecksOccurrences(), 0u);
    for (uint32_t i = 0; i < ChecksWarningCount(); ++i) {
        ADD_FAILURE() << CheckKindTitle(ChecksWarning(i).kind);
    }
}

// Each button commits one bug once (the sprites stay, the unread interrupt lasts two frames):
// one warning, of its kind, at its instruction, with its figures.
TEST_P(Checks, EachBugIsFoundOnceAtItsPlace) {
    const struct {
        int button;
        uint32_t kind;
        bool located;
        uint32_t detail;
    } bugs[] = {
        {JoypadUp, CheckVramTooFast, true, 11},
        {JoypadDown, CheckUnwrittenRam, true, 0xC100},
        {JoypadLeft, CheckRomWrite, true, 0x1000},
        {JoypadRight, CheckStackOutsideRam, true, 0},
        {JoypadButton1, CheckSpriteOverflow, true, 5},
    };
    for (const auto& bug : bugs) {
        SCOPED_TRACE(CheckKindTitle(bug.kind));
        RunProgram("problems", true, GetParam(), bug.button, FrameCount);
        ASSERT_EQ(ChecksWarningCount(), 1u);
        const CheckWarning warning = ChecksWarning(0);
        EXPECT_EQ(warning.kind, bug.kind);
        EXPECT_EQ(warning.located, bug.located);
        EXPECT_GE(warning.count, 1u);
        EXPECT_EQ(ChecksOccurrences(), ChecksKindOccurrences(bug.kind));
        if (bug.detail != 0) {
            EXPECT_EQ(warning.detail, bug.detail);
        }
        if (bug.kind == CheckVramTooFast) {
            EXPECT_EQ(warning.needed, 29u);  // Graphics I in the picture
            EXPECT_EQ(warning.count, 1u);
            EXPECT_LT(warning.line, ActiveLines);
        }
        if (bug.kind == CheckSpriteOverflow) {
            EXPECT_EQ(warning.needed, 4u);  // the fifth entry is dropped
            EXPECT_EQ(warning.line, 100u);
            // The OUT, OUTI or OTIR that wrote the entry.
            EXPECT_TRUE(PeekConsole(warning.pc) == 0xD3 || PeekConsole(warning.pc) == 0xED);
        }
        if (bug.kind == CheckRomWrite || bug.kind == CheckUnwrittenRam) {
            EXPECT_EQ(warning.count, 1u);
            // At the instruction that did it: the byte there is a load.
            EXPECT_EQ(PeekConsole(warning.pc), bug.kind == CheckRomWrite ? 0x32 : 0x3A);
        }
        ChecksEnable(false);
    }
}

// Button 2 leaves the frame interrupt unread for two frames with interrupts off, and reads
// the status before `ei`: no handler failed to read it and no stale interrupt came in.
TEST_P(Checks, AnInterruptUnreadWhileInterruptsAreOffIsNoFault) {
    RunProgram("problems", true, GetParam(), JoypadButton2, FrameCount);
    EXPECT_EQ(ChecksOccurrences(), 0u);
}

// problems.s puts its stack at 0xDFF0 and pushes a few bytes under it. Variables said to end
// at 0xDFEF are run into, at the deepest SP; said to end at 0xE000, the stack was placed
// below them from the start, on purpose, and is no fault (the SP the reset leaves is not
// where the program put its stack).
TEST_P(Checks, TheStackIntoTheVariablesOnlyWhenItCameFromAbove) {
    ChecksSetDataEnd(0xDFEF);
    RunProgram("problems", true, GetParam(), -1, FrameCount);
    ASSERT_EQ(ChecksWarningCount(), 1u);
    const CheckWarning warning = ChecksWarning(0);
    EXPECT_EQ(warning.kind, CheckStackIntoData);
    EXPECT_TRUE(warning.located);
    EXPECT_LT(warning.detail, 0xDFEFu);
    EXPECT_GE(warning.detail, 0xDFE0u);
    EXPECT_EQ(warning.needed, 0xDFEFu);
    ChecksSetDataEnd(0xE000);
    RunProgram("problems", true, GetParam(), -1, FrameCount);
    EXPECT_EQ(ChecksOccurrences(), 0u);
    ChecksSetDataEnd(0);
}

INSTANTIATE_TEST_SUITE_P(Behaviours, Checks, ::testing::Values(0u, 1u));

// The checks watch; the program's picture and RAM come out the same, on the flat board and
// on the mapper's, whose page switches the checks' handlers must follow.
TEST(ChecksWatchOnly, SameRunWithAndWithout) {
    for (const char* name : {"busy", "mapper", "problems"}) {
        SCOPED_TRACE(name);
        RunProgram(name, false, 0, JoypadUp, 30);
        const Finish plain = Snapshot();
        RunProgram(name, true, 0, JoypadUp, 30);
        const Finish checked = Snapshot();
        EXPECT_TRUE(plain.picture == checked.picture);
        EXPECT_TRUE(plain.ram == checked.ram);
        ChecksEnable(false);
        ShutdownMachine();
    }
}

// Switched off, the board's own tables are back: nothing more is counted.
TEST(ChecksWatchOnly, OffStopsCounting) {
    RunProgram("problems", true, 0, JoypadButton1, 4);
    const uint64_t seen = ChecksOccurrences();
    ASSERT_GT(seen, 0u);
    ChecksEnable(false);
    for (int frame = 0; frame < 4; ++frame) DebuggerRunFrame();
    EXPECT_EQ(ChecksOccurrences(), seen);
    ShutdownMachine();
}

// A state brings back RAM the program wrote before: none of it counts as unwritten, and a
// reset starts the count of written bytes afresh.
TEST(ChecksWatchOnly, StatesAndResetsKeepTheRamStraight) {
    RunProgram("busy", true, 1, -1, 30);
    std::vector<uint8_t> state(MachineStateSize());
    SaveMachineState(30, state.data());
    ChecksClear();
    ASSERT_EQ(LoadMachineState(state.data(), state.size(), nullptr), nullptr);
    for (int frame = 0; frame < 5; ++frame) DebuggerRunFrame();
    EXPECT_EQ(ChecksKindOccurrences(CheckUnwrittenRam), 0u);

    RunProgram("problems", true, 1, JoypadDown, 2);
    EXPECT_EQ(ChecksKindOccurrences(CheckUnwrittenRam), 1u);
    ResetMachine();
    DebuggerResetPosition();
    ClearJoypad();
    PressJoypad(JoypadDown);
    DebuggerRunFrame();
    EXPECT_EQ(ChecksKindOccurrences(CheckUnwrittenRam), 2u);
    ChecksEnable(false);
    ShutdownMachine();
    SelectVideoBehaviour(0);
}

// A watch on the video chip's data port goes in front of the checks' handlers, not in their
// place: it sees the port, and the access made too soon after the one before is still found,
// once, as without the watch.
TEST(ChecksWatchOnly, APortWatchKeepsTheChecksWatching) {
    ASSERT_TRUE(DebuggerAddWatchpoint({WatchOut, 0xBE, 0xBE, false, 0, 0}));
    SelectVideoBehaviour(0);
    ChecksClear();
    ChecksEnable(true);
    ASSERT_EQ(InitMachine(VdpScreenWidth), nullptr);
    ASSERT_EQ(LoadCartridge(CartridgePath("problems").c_str()), nullptr);
    DebuggerResetPosition();
    for (uint32_t frames = 0; frames < FrameCount;) {
        ClearJoypad();
        PressJoypad(JoypadUp);
        if (DebuggerRunFrame() == DebugFrameEnded) ++frames;
        DebuggerResume();  // after each stop at the watch
    }
    EXPECT_GT(DebuggerGetWatchpoint(0).hits, 0u);
    EXPECT_EQ(ChecksKindOccurrences(CheckVramTooFast), 1u);
    EXPECT_EQ(ChecksWarningCount(), 1u);
    DebuggerClearWatchpoints();
    ChecksEnable(false);
    ShutdownMachine();
}

}  // namespace
}  // namespace plexaro
