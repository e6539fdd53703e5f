// Machine > Tape as a player meets it: a recording lands beside the cartridge under a name of
// its own and is a tape the recorder plays; a file that is no tape is refused over the picture.
#include <gtest/gtest.h>

#include <filesystem>

#include "host/shell/shell.h"
#include "host/tape.h"
#include "machine/cassette.h"
#include "machine/machine.h"
#include "tests/host/shell/shell_fakes.h"
#include "tests/machine/test_cartridges.h"

namespace plexaro {
namespace {

namespace fs = std::filesystem;

TEST(ShellTape, RecordsBesideTheCartridgeAndPlaysItBack) {
    fake::Reset();
    const fs::path dir = testing::MakeScratch("shell_tape");
    const std::string game = testing::WriteFile(
        dir / "saver.sg", testing::ReadBytes(testing::CartridgePath("tape_save")));
    ShellLoadFromCommandLine(game);
    ASSERT_TRUE(ShellStart(1, 0));

    ShellCommand(CommandTapeRecord);
    EXPECT_EQ(fake::window.notices.back(), "recording to saver-tape-1.wav");
    constexpr int Passes = 90;
    for (int pass = 0; pass < Passes; ++pass) {
        ShellFramePass();
        ShellTapePassEnded();
    }
    ShellCommand(CommandTapeStop);
    EXPECT_EQ(fake::window.notices.back(), "tape recorded: saver-tape-1.wav");
    TapeSound sound{};
    ASSERT_EQ(ReadTapeFile((dir / "saver-tape-1.wav").string(), sound), "");
    // Every frame's samples, none lost between passes. The tape runs on the machine's cycles:
    // the simple behaviour's frame of 262 lines of 227 cycles is 732.7 samples long.
    const double cycles = double{Passes} * LinesPerFrame * CyclesPerLine;
    EXPECT_NEAR(static_cast<double>(sound.samples.size()),
                cycles * CassetteRecordRate / ConsoleClockHz, 1);

    ShellCommand(CommandTapeRecord);  // the first name is taken now
    EXPECT_EQ(fake::window.notices.back(), "recording to saver-tape-2.wav");
    ShellCommand(CommandTapeEject);
    EXPECT_TRUE(fs::exists(dir / "saver-tape-2.wav"));

    testing::WriteFile(dir / "empty.wav", {});
    ShellTapeChosen((dir / "empty.wav").string(), true);
    EXPECT_EQ(fake::window.notices.back(), "can't play the tape empty.wav: the file is empty");
    EXPECT_FALSE(GetCassetteStatus().inserted);
    ShellTapeChosen((dir / "saver-tape-1.wav").string(), true);
    EXPECT_EQ(fake::window.notices.back(), "tape playing: saver-tape-1.wav");
    EXPECT_TRUE(GetCassetteStatus().playing);

    ShellShutdown();
    ShellTapeShutdown();
    testing::RemoveScratch(dir);
}

}  // namespace
}  // namespace plexaro
