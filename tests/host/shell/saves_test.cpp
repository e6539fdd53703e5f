// Save slots and screenshots as a player meets them: two games of one file name never share a
// slot, a slot saved before slots were keyed by the contents is taken over by the game it was
// made from (and only by it), and F12 without a cartridge writes nothing and says why.
#include <gtest/gtest.h>

#include <filesystem>

#include "host/shell/shell.h"
#include "host/shell/snapshots.h"
#include "machine/machine.h"
#include "machine/state.h"
#include "tests/host/shell/shell_fakes.h"
#include "tests/machine/test_cartridges.h"

namespace plexaro {
namespace {

namespace fs = std::filesystem;

class Saves : public ::testing::Test {
protected:
    void SetUp() override {
        fake::Reset();
        dir = testing::MakeScratch("saves");
        setenv("XDG_DATA_HOME", (dir / "data").c_str(), 1);
        states = dir / "data/plexaro/states";
        // One file name, two games: whole homebrew collections name every build so.
        fs::create_directories(dir / "a");
        fs::create_directories(dir / "b");
        gameA = testing::WriteFile(dir / "a/cart.sg",
                                   testing::ReadBytes(testing::CartridgePath("busy")));
        gameB = testing::WriteFile(dir / "b/cart.sg",
                                   testing::ReadBytes(testing::CartridgePath("sound")));
        ShellLoadFromCommandLine(gameA);
        ASSERT_TRUE(ShellStart(1, 0));
    }
    void TearDown() override {
        ShellShutdown();
        unsetenv("XDG_DATA_HOME");
        testing::RemoveScratch(dir);
    }
    static void Play(int frames) {
        for (int i = 0; i < frames; ++i) ShellFramePass();
    }
    // The running machine as a slot file would hold it now.
    static std::vector<uint8_t> StateNow() {
        std::vector<uint8_t> bytes(MachineStateSize());
        SaveMachineState(Shell().framesRun, bytes.data());
        return bytes;
    }
    static bool Said(const char* words) {
        for (const auto* list : {&fake::window.messages, &fake::window.notices}) {
            for (const std::string& line : *list) {
                if (line.find(words) != std::string::npos) return true;
            }
        }
        return false;
    }
    static size_t Files(const fs::path& folder) {
        const auto files = fs::directory_iterator(folder);
        return static_cast<size_t>(std::distance(fs::begin(files), fs::end(files)));
    }
    fs::path dir, states;
    std::string gameA, gameB;
};

TEST_F(Saves, TwoGamesOfOneNameKeepTheirOwnSlots) {
    Play(30);
    ShellCommand(CommandSaveState);
    const std::string slotA = SlotPath(gameA, CartridgeHash(), 0);
    EXPECT_EQ(fs::path(slotA).parent_path(), states);
    const std::vector<uint8_t> savedA = testing::ReadBytes(slotA);
    ASSERT_EQ(savedA.size(), MachineStateSize());

    ShellFileChosen(gameB);
    Play(10);
    const std::vector<uint8_t> before = StateNow();
    ShellCommand(CommandLoadState);  // this game has saved nothing: A's state is not offered
    EXPECT_FALSE(Said("another cartridge"));
    EXPECT_EQ(StateNow(), before);
    ShellCommand(CommandSaveState);
    const std::string slotB = SlotPath(gameB, CartridgeHash(), 0);
    EXPECT_NE(slotB, slotA);
    EXPECT_EQ(fs::path(slotB).filename().string().rfind("cart.sg-", 0), 0u);
    EXPECT_EQ(testing::ReadBytes(slotA), savedA);  // B's save left A's alone
    EXPECT_EQ(Files(states), 2u);

    ShellFileChosen(gameA);
    ShellCommand(CommandLoadState);
    EXPECT_EQ(StateNow(), savedA);
    EXPECT_FALSE(Said("another cartridge"));
}

TEST_F(Saves, AnUnkeyedSlotIsTakenOverOnlyByTheGameItWasMadeFrom) {
    // A slot of each game under the name alone, as builds before the keyed names wrote them.
    ShellFileChosen(gameB);
    Play(5);
    ShellCommand(CommandSlot1 + 2);
    ShellCommand(CommandSaveState);
    fs::rename(SlotPath(gameB, CartridgeHash(), 2), states / "cart.sg.3.state");
    ShellFileChosen(gameA);
    Play(20);
    ShellCommand(CommandSlot1 + 1);
    ShellCommand(CommandSaveState);
    const std::string keyed = SlotPath(gameA, CartridgeHash(), 1);
    const std::vector<uint8_t> savedA = testing::ReadBytes(keyed);
    fs::rename(keyed, states / "cart.sg.2.state");

    Play(5);
    ShellCommand(CommandLoadState);
    EXPECT_EQ(StateNow(), savedA);
    EXPECT_EQ(fake::window.notices.back(), "state 2 loaded");
    EXPECT_TRUE(fs::is_regular_file(keyed));
    EXPECT_FALSE(fs::exists(states / "cart.sg.2.state"));

    // B's unkeyed slot 3 is nothing of A's: not loaded, not moved, not written over.
    const std::vector<uint8_t> before = StateNow();
    ShellCommand(CommandSlot1 + 2);
    ShellCommand(CommandLoadState);
    EXPECT_EQ(StateNow(), before);
    EXPECT_FALSE(Said("another cartridge"));
    ShellCommand(CommandSaveState);
    EXPECT_TRUE(fs::is_regular_file(states / "cart.sg.3.state"));
    ShellFileChosen(gameB);
    ShellCommand(CommandLoadState);
    EXPECT_EQ(fake::window.notices.back(), "state 3 loaded");
    EXPECT_FALSE(fs::exists(states / "cart.sg.3.state"));
    EXPECT_EQ(Files(states), 3u);  // A's slots 2 and 3, B's slot 3, each under its keyed name
}

TEST_F(Saves, AScreenshotWithoutACartridgeWritesNothingAndSaysSo) {
    setenv("XDG_PICTURES_DIR", (dir / "pictures").c_str(), 1);
    Play(2);
    ShellCommand(CommandScreenshot);
    EXPECT_EQ(fake::window.notices.back(), "screenshot plexaro-0001.png");
    ShellCommand(CommandFreeRom);
    Play(2);
    ShellCommand(CommandScreenshot);
    EXPECT_EQ(fake::window.notices.back(), "no cartridge running: nothing to capture");
    EXPECT_TRUE(fake::window.messages.empty());  // no box to dismiss
    EXPECT_EQ(Files(dir / "pictures"), 1u);
    unsetenv("XDG_PICTURES_DIR");
}

}  // namespace
}  // namespace plexaro
