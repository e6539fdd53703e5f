// The desktop program's platform-neutral logic against fakes of its platform layers: the
// joypad mapping and its order, what the menu commands and window events do to the shell's
// state, and the one way every restart of the machine goes. The audio ring has audio_test.cpp.
#include "host/shell/shell.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>

#include "host/debug/profiler.h"
#include "host/shell/audio.h"
#include "host/shell/input.h"
#include "host/shell/rewind.h"
#include "host/shell/settings.h"
#include "host/shell/snapshots.h"
#include "machine/board.h"
#include "machine/debugger.h"
#include "machine/machine.h"
#include "machine/state.h"
#include "tests/host/shell/shell_fakes.h"
#include "tests/machine/test_cartridges.h"

namespace plexaro {
namespace {

class JoypadInput : public ::testing::Test {
protected:
    void SetUp() override {
        fake::Reset();
        ASSERT_EQ(InitMachine(256), nullptr);
        AudioClose();
        InputOpen();
        KeyboardOpen();
    }
    void TearDown() override {
        KeyboardClose();
        InputClose();
        ShutdownMachine();
    }
    static uint8_t PortA() { return JoypadPorts()[0]; }
    static uint8_t PortB() { return JoypadPorts()[1]; }
};

TEST_F(JoypadInput, KeysAndStickPressTogetherBeyondTheDeadZone) {
    PollInput(0);
    EXPECT_EQ(PortA(), 0xFF);
    InputKeyEvent(KeyUpArrow, true);
    InputKeyEvent(KeyLeftControl, true);
    PollInput(0);
    EXPECT_EQ(PortA(), 0xEE);

    // The stick pushed up as well still reads as up; a slight lean is no direction.
    fake::controller = {true, {JoystickDeadZone, -JoystickAxisRange, {false, true}}};
    ASSERT_EQ(JoystickOpen(), 1);
    PollInput(1);
    EXPECT_EQ(PortA(), 0xCE);  // up, button 1, button 2
    fake::controller.reading.x = JoystickDeadZone + 1;
    InputReleaseKeys();
    PollInput(1);
    EXPECT_EQ(PortA(), 0xD6);  // up and right from the stick, button 2
    // A controller that is gone reads as centred with nothing pressed.
    fake::controller.attached = false;
    PollInput(1);
    EXPECT_EQ(PortA(), 0xFF);
}

// Player 2's keys and controller reach its own bits only: up and down in port A's top bits,
// the rest in port B; player 1 alone leaves port B released.
TEST_F(JoypadInput, PlayerTwoHasItsOwnKeysAndController) {
    InputKeyEvent(KeyRightArrow, true);
    InputKeyEvent(KeyLeftShift, true);
    PollInput(0);
    EXPECT_EQ(PortA(), 0xD7);
    EXPECT_EQ(PortB(), 0xFF);

    const std::pair<uint32_t, std::pair<uint8_t, uint8_t>> keys[] = {
        {KeyI, {0x40, 0x00}}, {KeyK, {0x80, 0x00}}, {KeyJ, {0x00, 0x01}},
        {KeyL, {0x00, 0x02}}, {KeyF, {0x00, 0x04}}, {KeyG, {0x00, 0x08}},
    };
    for (const auto& [key, bits] : keys) {
        InputKeyEvent(key, true);
        PollInput(0);
        EXPECT_EQ(PortA(), 0xD7 & ~bits.first) << key;
        EXPECT_EQ(PortB(), 0xFF & ~bits.second) << key;
        InputKeyEvent(key, false);
    }
    InputReleaseKeys();

    // The second controller is player 2's; the first stays player 1's.
    fake::controller = {true, {0, JoystickAxisRange, {true, false}}};
    fake::controller2 = {true, {-JoystickAxisRange, -JoystickAxisRange, {false, true}}};
    ASSERT_EQ(JoystickOpen(), 1);
    PollInput(1);
    EXPECT_EQ(PortA(), 0xAD);  // player 1's down and button 1, player 2's up
    EXPECT_EQ(PortB(), 0xF6);  // player 2's left and button 2
    // A lone second controller still plays; one that is gone reads as nothing pressed.
    fake::controller.attached = false;
    ASSERT_EQ(JoystickOpen(), 1);
    PollInput(1);
    EXPECT_EQ(PortA(), 0xBF);
    EXPECT_EQ(PortB(), 0xF6);
    fake::controller2.attached = false;
    EXPECT_EQ(JoystickOpen(), 0);
    PollInput(1);
    EXPECT_EQ(PortA(), 0xFF);
    EXPECT_EQ(PortB(), 0xFF);
}

TEST_F(JoypadInput, TabResetsOnEveryPassItWasHeldBefore) {
    // Input only reports the key; the shell resets before each PollInput that finds it held.
    int resets = 0;
    const auto pass = [&resets] {
        if (InputResetHeld()) ++resets;
        PollInput(0);
    };
    InputKeyEvent(KeyTab, true);
    pass();
    EXPECT_EQ(resets, 0);  // the pass that first sees Tab only takes its snapshot
    pass();
    pass();
    EXPECT_EQ(resets, 2);
    InputKeyEvent(KeyTab, false);
    pass();  // still acts on the previous pass's state
    EXPECT_EQ(resets, 3);
    pass();
    EXPECT_EQ(resets, 3);
}

class ShellCommands : public ::testing::Test {
protected:
    void SetUp() override {
        fake::Reset();
        LoadSettings("");  // no test's choices reach the next
        ShellLoadFromCommandLine(testing::CartridgePath("busy"));
        ASSERT_TRUE(ShellStart(1, 0));
        ASSERT_EQ(fake::window.posted, std::vector<uint32_t>{CommandSize2});
        RunPosted();
    }
    void TearDown() override { ShellShutdown(); }
    static void RunPosted() {
        std::vector<uint32_t> posted;
        posted.swap(fake::window.posted);
        for (uint32_t id : posted) ShellCommand(id);
    }
};

TEST_F(ShellCommands, SizesAndFullScreenComeBackAtTwiceTheSize) {
    EXPECT_EQ(Shell().sizeChecked, 2u);
    EXPECT_EQ(fake::window.width, 512);
    ShellCommand(CommandSize3);
    EXPECT_EQ(fake::window.height, 576);
    ShellFramePass();
    EXPECT_EQ(fake::display.lastDest, (Rect{0, 19, 768, 595}));

    // Full screen is the desktop's 1280x800: the picture as tall as it is, in the middle.
    ShellCommand(CommandFullscreen);
    EXPECT_EQ(Shell().FullScreenMode, 1);
    EXPECT_FALSE(fake::window.cursorShown);
    ShellFramePass();
    EXPECT_EQ(fake::display.fullScreen, 1);
    EXPECT_EQ(fake::display.lastDest, (Rect{106, 0, 1173, 800}));
    ShellCommand(CommandStrech);
    ShellFramePass();
    EXPECT_EQ(fake::display.lastDest, (Rect{0, 0, 1280, 800}));
    ShellCommand(CommandStrech);
    ShellFramePass();
    EXPECT_EQ(fake::display.lastDest, (Rect{106, 0, 1173, 800}));

    ShellCommand(CommandFullscreen);
    EXPECT_TRUE(fake::window.cursorShown);
    EXPECT_EQ(fake::display.modes, (std::vector<int>{0, 1, 0}));
    RunPosted();
    EXPECT_EQ(Shell().sizeChecked, 2u);
    EXPECT_EQ(fake::window.width, 512);
}

TEST_F(ShellCommands, RgbModePauseHardwareAccuracyAndAbout) {
    ShellCommand(CommandRgb555);
    EXPECT_EQ(Shell().RgbMode, 0);
    EXPECT_EQ(fake::display.rgbMode, 0u);
    ShellFramePass();
    // The backdrop pixel in RGB 555 has bit 15 clear whatever its colour.
    EXPECT_EQ(GetFrameBuffer()[0] & 0x8000, 0);
    ShellCommand(CommandRgb565);
    EXPECT_EQ(fake::display.rgbMode, 1u);

    ShellCommand(CommandPause);
    EXPECT_EQ(Shell().PauseChecked, 1);
    ShellCommand(CommandPause);
    EXPECT_EQ(Shell().PauseChecked, 0);

    ShellCommand(CommandHardwareAccuracy);
    EXPECT_EQ(SelectedVideoBehaviour(), 1u);
    ShellCommand(CommandHardwareAccuracy);
    EXPECT_EQ(SelectedVideoBehaviour(), 0u);

    // A board is chosen now and built at the next reset.
    const uint32_t running = CurrentBoard();
    ShellCommand(CommandBoardAuto + uint32_t{BoardRam8k});
    EXPECT_EQ(SelectedBoard(), BoardRam8k);
    EXPECT_EQ(CurrentBoard(), running);
    ShellCommand(CommandReset);
    EXPECT_EQ(CurrentBoard(), BoardRam8k);
    ShellCommand(CommandBoardAuto);
    EXPECT_EQ(SelectedBoard(), BoardAuto);

    // The window is drawn before the box opens: the menu that chose About has closed.
    const int finished = fake::window.framesFinished;
    ShellCommand(CommandAbout);
    EXPECT_EQ(fake::window.framesFinished, finished + 1);
    ASSERT_EQ(fake::window.messages.size(), 1u);
    EXPECT_EQ(fake::window.messages[0].rfind("Plexaro about|Plexaro\nbeta 0.01", 0), 0u);
}

TEST_F(ShellCommands, FreeThenResetLeavesTheBlankPictureAndZeroMemory) {
    ShellFramePass();
    EXPECT_EQ(fake::display.windowed, 1);
    ShellCommand(CommandFreeRom);
    ShellCommand(CommandReset);
    ShellFramePass();
    EXPECT_EQ(fake::display.blank, 1);
    EXPECT_EQ(fake::display.windowed, 1);
    const uint8_t* memory = ConsoleMemory();
    EXPECT_TRUE(std::all_of(memory, memory + ConsoleMemorySize, [](uint8_t b) { return b == 0; }));
}

TEST_F(ShellCommands, AFailedLoadKeepsThePathAndSaysWhy) {
    ShellFileChosen("/nonexistent/game.sg");
    ASSERT_EQ(fake::window.messages.size(), 1u);
    EXPECT_EQ(fake::window.messages[0], "Plexaro load error|game.sg: Unable to stat file.");
    EXPECT_EQ(Shell().CartridgePath, "/nonexistent/game.sg");
    EXPECT_TRUE(Shell().cartridgeLoaded);
    ShellCommand(CommandLoadRom);
    EXPECT_EQ(fake::window.dialogsOpened, 1);

    // The game that goes on running keeps its own slots: F5 must not write it over the
    // failed cartridge's, nor F7 load that one's into it.
    const std::filesystem::path dir = testing::MakeScratch("failed-load-states");
    setenv("XDG_DATA_HOME", dir.c_str(), 1);
    ShellFramePass();
    ShellCommand(CommandSaveState);
    ShellCommand(CommandLoadState);
    EXPECT_EQ(fake::window.messages.size(), 1u);
    EXPECT_TRUE(std::filesystem::is_regular_file(SlotPath("busy.sg", CartridgeHash(), 0)));
    const auto files = std::filesystem::directory_iterator(dir / "plexaro/states");
    EXPECT_EQ(std::distance(std::filesystem::begin(files), std::filesystem::end(files)), 1);
    unsetenv("XDG_DATA_HOME");
    testing::RemoveScratch(dir);
}

TEST(ShellStartUp, APathWithOptionsInItSaysWhereOptionsGo) {
    fake::Reset();
    ShellLoadFromCommandLine("/nonexistent/game.sg --stats");
    ASSERT_TRUE(ShellStart(1, 0));
    ASSERT_EQ(fake::window.messages.size(), 1u);
    EXPECT_EQ(fake::window.messages[0],
              "Plexaro load error|game.sg --stats: Unable to stat file.\n"
              "Options go before the cartridge's path: plexaro [OPTIONS] [--] CARTRIDGE.");
    ShellShutdown();
}

TEST_F(ShellCommands, NoFramesRunWhileMinimisedOrHolding) {
    fake::card.present = true;
    AudioClose();
    AudioOpen();
    ShellFramePass();
    const int writes = fake::card.writes;
    ShellMinimised();
    EXPECT_EQ(Shell().EmulationActive, 0);
    EXPECT_FALSE(ShellFramePass());
    EXPECT_EQ(fake::display.windowed, 1);
    ShellRestored();

    // A menu opening silences the card once; frames wait but the picture is still drawn.
    ShellHold(true);
    const int silenced = fake::card.writes;
    EXPECT_GT(silenced, writes);
    ShellHold(true);
    EXPECT_FALSE(ShellFramePass());
    EXPECT_EQ(fake::card.writes, silenced);
    EXPECT_EQ(fake::display.windowed, 2);
    ShellHold(false);
    EXPECT_TRUE(ShellFramePass());
}

// Save and load through the State menu: a slot file per cartridge, a state that brings its
// own video behaviour back into the menu, no state taken where a stopped frame stands, and
// frames that the debugger's buttons finish counted like played ones.
TEST_F(ShellCommands, StatesSavedBetweenFramesAndLoadedWithTheirBehaviour) {
    const std::filesystem::path dir = testing::MakeScratch("states");
    setenv("XDG_DATA_HOME", dir.c_str(), 1);
    ShellFramePass();
    ShellCommand(CommandSaveState);
    EXPECT_TRUE(std::filesystem::is_regular_file(SlotPath("busy.sg", CartridgeHash(), 0)));
    ASSERT_FALSE(fake::window.notices.empty());  // said over the picture, full screen too
    EXPECT_EQ(fake::window.notices.back(), "state 1 saved");
    ShellCommand(CommandHardwareAccuracy);
    ShellCommand(CommandLoadState);
    EXPECT_EQ(Shell().HardwareAccuracy, 0);
    EXPECT_EQ(SelectedVideoBehaviour(), 0u);

    ShellFramePass();  // the base that rewind's differences start from again
    const uint64_t frames = Shell().framesRun;
    ShellCommand(CommandDebugStep);
    ShellCommand(CommandSaveState);
    ASSERT_EQ(fake::window.messages.size(), 1u);
    EXPECT_NE(fake::window.messages[0].find("middle of a frame"), std::string::npos);
    ASSERT_TRUE(RewindActive());
    const uint32_t recorded = RewindFrames();
    ShellCommand(CommandDebugNextFrame);
    EXPECT_EQ(Shell().framesRun, frames + 1);
    EXPECT_EQ(RewindFrames(), recorded + 1);
    ShellCommand(CommandDebugRun);
    ShellCommand(CommandSaveState);
    EXPECT_EQ(fake::window.messages.size(), 1u);
    unsetenv("XDG_DATA_HOME");
    testing::RemoveScratch(dir);
}

// Screenshots go to the desktop's pictures folder as its settings name it, numbered on.
TEST_F(ShellCommands, ScreenshotsNumberedInTheDesktopsPicturesFolder) {
    const std::filesystem::path dir = testing::MakeScratch("pictures");
    const std::string home = std::getenv("HOME") != nullptr ? std::getenv("HOME") : "";
    setenv("HOME", dir.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
    unsetenv("XDG_PICTURES_DIR");
    const std::string dirs =
        "# written by xdg-user-dirs-update\nXDG_PICTURES_DIR=\"$HOME/Bilder\"\n";
    std::filesystem::create_directories(dir / "config");
    testing::WriteFile(dir / "config/user-dirs.dirs",
                       std::vector<uint8_t>(dirs.begin(), dirs.end()));
    ShellFramePass();
    ShellCommand(CommandScreenshot);
    ShellCommand(CommandScreenshot);
    EXPECT_TRUE(std::filesystem::is_regular_file(dir / "Bilder/plexaro-0001.png"));
    EXPECT_TRUE(std::filesystem::is_regular_file(dir / "Bilder/plexaro-0002.png"));
    EXPECT_TRUE(fake::window.messages.empty());
    setenv("HOME", home.c_str(), 1);
    unsetenv("XDG_CONFIG_HOME");
    testing::RemoveScratch(dir);
}

TEST(ShellLiveReload, ARebuiltCartridgeRunsAndABrokenOneIsSaidOnce) {
    namespace fs = std::filesystem;
    fake::Reset();
    const fs::path dir = testing::MakeScratch("reload");
    const std::string path = (dir / "game.sg").string();
    const std::vector<uint8_t> first = testing::ReadBytes(testing::CartridgePath("busy"));
    const std::vector<uint8_t> second = testing::ReadBytes(testing::CartridgePath("sound"));
    testing::WriteFile(path, first);
    ShellLoadFromCommandLine(path);
    ASSERT_TRUE(ShellStart(1, 0));
    const auto rewrite = [&](const std::vector<uint8_t>& bytes) {
        const auto before = fs::last_write_time(path);
        testing::WriteFile(path, bytes);
        fs::last_write_time(path, before + std::chrono::seconds(2));
    };
    const auto running = [](const std::vector<uint8_t>& bytes) {
        return std::equal(bytes.begin(), bytes.end(), RomImage());
    };

    ShellCheckReload();
    EXPECT_EQ(fake::window.title, "Plexaro - game");
    rewrite(second);
    ShellCheckReload();  // seen, and given a second to settle
    EXPECT_TRUE(running(first));
    ShellCheckReload();
    EXPECT_TRUE(running(second));
    EXPECT_EQ(fake::window.title, "Plexaro - game - reloaded");
    for (int tick = 0; tick < 3; ++tick) ShellCheckReload();
    EXPECT_EQ(fake::window.title, "Plexaro - game");

    // An empty file: the running game stays, and it is said once, over the picture, with no
    // box to stop the game.
    rewrite({});
    const size_t notices = fake::window.notices.size();
    for (int tick = 0; tick < 4; ++tick) ShellCheckReload();
    EXPECT_TRUE(running(second));
    EXPECT_TRUE(fake::window.messages.empty());
    EXPECT_EQ(std::vector<std::string>(fake::window.notices.begin() + notices,
                                       fake::window.notices.end()),
              std::vector<std::string>{"reload failed: game.sg: Can't find Rom !"});

    // A build grown past 1 MB plays its first 1 MB, with the warning over the picture.
    std::vector<uint8_t> longer = first;
    longer.resize(MapperImageLimit + 1);
    rewrite(longer);
    for (int tick = 0; tick < 2; ++tick) ShellCheckReload();
    EXPECT_TRUE(running(first));
    EXPECT_TRUE(fake::window.messages.empty());
    EXPECT_EQ(fake::window.notices.back().rfind("game.sg is 1048577 bytes long", 0), 0u)
        << fake::window.notices.back();

    // Turned off, a change is left alone.
    ShellCommand(CommandLiveReload);
    rewrite(second);
    for (int tick = 0; tick < 2; ++tick) ShellCheckReload();
    EXPECT_TRUE(running(first));
    ShellShutdown();
    testing::RemoveScratch(dir);
}

// Cycles counted at the old build's addresses would be summed under the new build's labels:
// at a reload the profile starts again from nothing.
TEST(ShellLiveReload, TheProfileStartsAfreshAtAReload) {
    namespace fs = std::filesystem;
    fake::Reset();
    const fs::path dir = testing::MakeScratch("reload-profile");
    const std::string path = (dir / "game.sg").string();
    testing::WriteFile(path, testing::ReadBytes(testing::CartridgePath("busy")));
    ShellLoadFromCommandLine(path);
    ASSERT_TRUE(ShellStart(1, 0));
    if (Shell().LiveReload != 1) ShellCommand(CommandLiveReload);  // as the test before left it
    ProfilerStart(true, false);
    for (int frame = 0; frame < 3; ++frame) ShellFramePass();
    const auto cycles = [] {
        std::FILE* file = std::tmpfile();
        WriteProfileCsv(file);
        std::rewind(file);
        char line[256];
        uint64_t sum = 0;
        std::fgets(line, sizeof line, file);  // the heading
        while (std::fgets(line, sizeof line, file) != nullptr) {
            const char* field = std::strchr(std::strchr(line, ',') + 1, ',') + 1;
            sum += std::strtoull(field, nullptr, 10);
        }
        std::fclose(file);
        return sum;
    };
    EXPECT_GT(cycles(), 0u);
    const auto before = fs::last_write_time(path);
    testing::WriteFile(path, testing::ReadBytes(testing::CartridgePath("sound")));
    fs::last_write_time(path, before + std::chrono::seconds(2));
    ShellCheckReload();
    ShellCheckReload();
    EXPECT_TRUE(ProfilerRunning());
    EXPECT_EQ(cycles(), 0u);
    ProfilerStop();
    ShellShutdown();
    testing::RemoveScratch(dir);
}

// The sound stream only keeps the words; the shell says them once, whether the error came
// while a frame was written or while the sound was being stopped.
TEST_F(ShellCommands, ASoundErrorIsShownOnceAndTheGameGoesOnSilent) {
    fake::card.present = true;
    fake::card.step = AudioSlotBytes;
    AudioClose();
    AudioOpen();
    fake::card.failCode = 0x12345678;
    ShellFramePass();
    ASSERT_EQ(fake::window.messages.size(), 1u);
    EXPECT_EQ(fake::window.messages[0], "Plexaro sound error|Unknown HRESULT");
    EXPECT_FALSE(AudioPlaying());
    const uint64_t frames = Shell().framesRun;
    ShellFramePass();
    ShellCommand(CommandReset);
    EXPECT_EQ(Shell().framesRun, frames + 1);
    EXPECT_EQ(fake::window.messages.size(), 1u);

    AudioOpen();
    fake::card.failCode = 0x88780096;
    ShellMinimised();
    ASSERT_EQ(fake::window.messages.size(), 2u);
    EXPECT_EQ(fake::window.messages[1], "Plexaro sound error|DSERR_BUFFERLOST");
}

// What a restart leaves behind, to hold one way of restarting against another.
struct AfterRestart {
    bool stoppedMidFrame;  // before it: the debugger stood inside a frame
    uint32_t rewindFrames;
    DebugPosition position;
    bool soundSilenced;
    std::vector<uint8_t> state;     // after one more frame
    std::vector<uint16_t> picture;  // of that frame
    bool nextSoundInFirstSlot;
};

// Plays the busy cartridge in RGB 555 with the sound on, stops the debugger in the middle of
// a frame, restarts the machine the way `restart` does, then runs one frame.
template <typename Restart>
AfterRestart PlayThenRestart(Restart restart) {
    fake::Reset();
    fake::card.present = true;
    fake::card.step = AudioSlotBytes;
    AudioClose();
    AudioSetLatency(SoundLatencySafe);  // the whole ring, slot by slot
    ShellLoadFromCommandLine(testing::CartridgePath("busy"));
    EXPECT_TRUE(ShellStart(0, 0));
    for (int pass = 0; pass < 20; ++pass) ShellFramePass();
    ShellCommand(CommandDebugStep);
    AfterRestart after{};
    const DebugPosition stopped = DebuggerPosition();
    after.stoppedMidFrame = (stopped.line != 0 || stopped.cycle != 0) && RewindFrames() > 0;
    const int writes = fake::card.writes;
    restart();
    after.rewindFrames = RewindFrames();
    after.position = DebuggerPosition();
    after.soundSilenced = fake::card.writes > writes &&
                          std::all_of(fake::card.buffer, fake::card.buffer + AudioBufferBytes,
                                      [](uint8_t b) { return b == 0; });
    ShellCommand(CommandDebugRun);
    ShellFramePass();
    after.state.resize(MachineStateSize());
    SaveMachineState(0, after.state.data());
    const uint16_t* frame = GetFrameBuffer();
    for (uint32_t row = 0; row < 192; ++row) {
        after.picture.insert(after.picture.end(), frame + row * RecordedRowStride(),
                             frame + row * RecordedRowStride() + 256);
    }
    after.nextSoundInFirstSlot = fake::card.lastWriteOffset == 0;
    ShellShutdown();
    return after;
}

TEST(ShellRestart, TabAndTheMenusResetLeaveTheSameMachineAndForgetTheSame) {
    const AfterRestart menu = PlayThenRestart([] { ShellCommand(CommandReset); });
    const AfterRestart tab = PlayThenRestart([] {
        InputKeyEvent(KeyTab, true);
        ShellFramePass();  // Tab is seen
        InputKeyEvent(KeyTab, false);
        ShellFramePass();  // and resets on the pass after
    });
    for (const AfterRestart* after : {&menu, &tab}) {
        EXPECT_TRUE(after->stoppedMidFrame);
        EXPECT_EQ(after->rewindFrames, 0u);
        EXPECT_EQ(after->position.line, 0u);
        EXPECT_EQ(after->position.cycle, 0u);
        EXPECT_TRUE(after->soundSilenced);
        EXPECT_TRUE(after->nextSoundInFirstSlot);
    }
    EXPECT_EQ(tab.state, menu.state);
    EXPECT_EQ(tab.picture, menu.picture);

    // A load restarts the same way, and its picture keeps the chosen pixel format although
    // loading makes the palette in RGB 565: bit 15 is clear in every pixel of RGB 555.
    const AfterRestart load =
        PlayThenRestart([] { ShellFileChosen(testing::CartridgePath("busy")); });
    EXPECT_TRUE(load.stoppedMidFrame);
    EXPECT_EQ(load.rewindFrames, 0u);
    EXPECT_EQ(load.position.line, 0u);
    EXPECT_EQ(load.position.cycle, 0u);
    EXPECT_TRUE(load.soundSilenced);
    EXPECT_TRUE(load.nextSoundInFirstSlot);
    EXPECT_TRUE(std::none_of(load.picture.begin(), load.picture.end(),
                             [](uint16_t pixel) { return (pixel & 0x8000) != 0; }));
    EXPECT_TRUE(std::any_of(menu.picture.begin(), menu.picture.end(),
                            [](uint16_t pixel) { return pixel != 0; }));
}

TEST(ShellStartUp, AFailingStepEndsTheProgramWithStatusOne) {
    fake::Reset();
    fake::display.setModeResult = 1;
    ShellLoadFromCommandLine("");
    EXPECT_FALSE(ShellStart(1, 0));
    EXPECT_TRUE(Shell().quitting);
    EXPECT_EQ(Shell().exitStatus, 1);
    ShellShutdown();
}

}  // namespace
}  // namespace plexaro
