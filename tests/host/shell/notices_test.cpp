// What the player is told and shown without a box, and what stays a box: the title naming the
// running game, notices for small things, the pause check mark through restarts, the emulation
// paused, the speed marks, and the question before a dropped file that is not named as a
// cartridge replaces the game.
#include "host/shell/notices.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "host/shell/audio.h"
#include "host/shell/settings.h"
#include "host/shell/shell.h"
#include "host/shell/snapshots.h"
#include "machine/machine.h"
#include "machine/state.h"
#include "tests/host/shell/shell_fakes.h"
#include "tests/machine/test_cartridges.h"

namespace plexaro {
namespace {

namespace fs = std::filesystem;

class ShellNotices : public ::testing::Test {
protected:
    void SetUp() override {
        fake::Reset();
        dir = testing::MakeScratch("notices");
        setenv("XDG_DATA_HOME", dir.c_str(), 1);
        ShellLoadFromCommandLine(testing::CartridgePath("busy"));
        ASSERT_TRUE(ShellStart(1, 0));
    }
    void TearDown() override {
        ShellShutdown();
        unsetenv("XDG_DATA_HOME");
        testing::RemoveScratch(dir);
    }
    static bool Running(const std::string& path) {
        const std::vector<uint8_t> bytes = testing::ReadBytes(path);
        return std::equal(bytes.begin(), bytes.end(), RomImage());
    }
    fs::path dir;
};

TEST_F(ShellNotices, TheTitleNamesTheRunningGameAndANoticeFollowsItsName) {
    // The start says what symbols were found; three seconds on, the title is the game's.
    EXPECT_EQ(fake::window.title.rfind("Plexaro - busy - busy.noi", 0), 0u);
    for (int second = 0; second < 3; ++second) ShellCheckReload();
    EXPECT_EQ(fake::window.title, "Plexaro - busy");
    ShellCommand(CommandSlot1 + 2);
    EXPECT_EQ(fake::window.title, "Plexaro - busy - slot 3");
    EXPECT_EQ(fake::window.notices.back(), "slot 3");
    for (int second = 0; second < 3; ++second) ShellCheckReload();
    EXPECT_EQ(fake::window.title, "Plexaro - busy");
    // A failed load leaves the game running, and its name.
    ShellFileChosen((dir / "missing.sg").string());
    EXPECT_EQ(fake::window.title, "Plexaro - busy");
    ShellCommand(CommandFreeRom);
    EXPECT_EQ(fake::window.title, "Plexaro");
}

// An empty slot is a small thing, said over the picture; a slot that holds something else
// stops to say so in a box, naming the file without the folder it lies in.
TEST_F(ShellNotices, AnEmptySlotIsANoticeAndABrokenOneABoxNamingTheFile) {
    ShellFramePass();
    ShellCommand(CommandSlot1 + 2);
    ShellCommand(CommandLoadState);
    EXPECT_TRUE(fake::window.messages.empty());
    EXPECT_EQ(fake::window.notices.back(), "slot 3 is empty");

    const std::string slot = SlotPath(Shell().runningPath, CartridgeHash(), 2);
    fs::create_directories(fs::path(slot).parent_path());
    testing::WriteFile(slot, {1, 2, 3});
    ShellCommand(CommandLoadState);
    ASSERT_EQ(fake::window.messages.size(), 1u);
    const std::string& box = fake::window.messages[0];
    EXPECT_EQ(box.rfind("Plexaro state error|" + fs::path(slot).filename().string(), 0), 0u) << box;
    EXPECT_EQ(box.find(dir.string()), std::string::npos) << box;
}

// The console's pause button was pressed in a console that a reset, a load or a state replaced;
// a state brings back the mark it was saved with.
TEST_F(ShellNotices, ThePauseMarkFollowsRestartsAndStates) {
    ShellFramePass();
    ShellCommand(CommandSaveState);
    const auto pressedThen = [](uint32_t command) {
        ShellCommand(CommandPause);
        EXPECT_EQ(Shell().PauseChecked, 1);
        ShellCommand(command);
        return Shell().PauseChecked;
    };
    EXPECT_EQ(pressedThen(CommandReset), 0);
    EXPECT_EQ(pressedThen(CommandLoadState), 0);
    ShellCommand(CommandPause);
    ShellCommand(CommandSaveState);
    ShellCommand(CommandPause);
    EXPECT_EQ(Shell().PauseChecked, 0);
    ShellCommand(CommandLoadState);
    EXPECT_EQ(Shell().PauseChecked, 1);
    ShellFileChosen(testing::CartridgePath("busy"));
    EXPECT_EQ(Shell().PauseChecked, 0);
}

// Paused, the emulator runs no frame and writes no sound; the picture is still drawn. The
// mark in the corner says which speed is on, the standstill first.
TEST_F(ShellNotices, PauseEmulationHoldsEverythingAndEachSpeedHasItsMark) {
    fake::card.present = true;
    AudioClose();
    AudioOpen();
    ShellFramePass();
    EXPECT_EQ(ShellSpeedMark(), MarkNone);
    ShellCommand(CommandPauseEmulation);
    EXPECT_EQ(ShellSpeedMark(), MarkPaused);
    const uint64_t frames = Shell().framesRun;
    const int writes = fake::card.writes;
    const int presents = fake::display.windowed;
    for (int pass = 0; pass < 3; ++pass) EXPECT_FALSE(ShellFramePass());
    EXPECT_EQ(Shell().framesRun, frames);
    EXPECT_EQ(fake::card.writes, writes);
    EXPECT_EQ(fake::display.windowed, presents + 3);
    ShellCommand(CommandFastForward);
    ShellFramePass();
    EXPECT_EQ(ShellSpeedMark(), MarkPaused);  // fast forward waits for the pause to end

    ShellCommand(CommandPauseEmulation);
    ShellFramePass();
    EXPECT_GT(Shell().framesRun, frames);
    EXPECT_EQ(ShellSpeedMark(), MarkFastForward);
    ShellCommand(CommandSlowMotion);
    ShellFramePass();
    EXPECT_EQ(ShellSpeedMark(), MarkSlowMotion);
    ShellSetRewinding(true);
    EXPECT_EQ(ShellSpeedMark(), MarkRewind);
    ShellSetRewinding(false);
    ShellCommand(CommandFreeRom);
    EXPECT_EQ(ShellSpeedMark(), MarkNone);
}

// A file dropped by mistake must not cost the game that runs: one not named .sg, .sc or .bin
// asks first. Nothing that failed to load enters File > Recent, and a program of a few bytes
// is a cartridge like any other.
TEST_F(ShellNotices, ADroppedFileAsksUnlessNamedAsACartridge) {
    const std::string busy = testing::CartridgePath("busy");
    const std::string sound = testing::CartridgePath("sound");
    const std::string rom = testing::WriteFile(dir / "game.rom", testing::ReadBytes(sound));
    fake::window.answer = false;
    ShellFileDropped(rom);
    ASSERT_EQ(fake::window.messages.size(), 1u);
    EXPECT_EQ(fake::window.messages[0].rfind("Plexaro load|game.rom is not named", 0), 0u);
    EXPECT_TRUE(Running(busy));
    fake::window.answer = true;
    ShellFileDropped(rom);
    EXPECT_TRUE(Running(sound));
    EXPECT_EQ(fake::window.title, "Plexaro - game");

    const std::string tiny = testing::WriteFile(dir / "tiny.BIN", {0xF3, 0x76});  // DI; HALT
    ShellFileDropped(tiny);
    EXPECT_EQ(fake::window.messages.size(), 2u);  // the one question answered yes: no box
    EXPECT_TRUE(Running(tiny));

    ShellFileDropped((dir / "gone.sg").string());
    ASSERT_EQ(fake::window.messages.size(), 3u);
    EXPECT_EQ(fake::window.messages[2], "Plexaro load error|gone.sg: Unable to stat file.");
    const auto& recent = SavedSettings().recent;
    EXPECT_EQ(std::count_if(recent.begin(), recent.end(),
                            [](const std::string& path) { return path.ends_with("gone.sg"); }),
              0);
}

TEST(CartridgeNames, ByTheirExtensionInAnyCase) {
    for (const char* name : {"a.sg", "b.SC", "/x/c.Bin"}) EXPECT_TRUE(HasCartridgeName(name));
    for (const char* name : {"a.rom", "sg", "a.sg.zip", ""}) EXPECT_FALSE(HasCartridgeName(name));
}

}  // namespace
}  // namespace plexaro
