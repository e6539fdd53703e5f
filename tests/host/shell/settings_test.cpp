// The settings file and the bindings: a round trip through the file, each kind of damage
// costing only what it would have set with one warning line, the command line's choices
// kept out of the file, File > Recent following the cartridge that runs, and rebound keys
// and buttons working the joypads.
#include "host/shell/settings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "host/options.h"
#include "host/os/os.h"
#include "host/shell/bindings.h"
#include "host/shell/input.h"
#include "host/shell/keyboard.h"
#include "host/shell/shell.h"
#include "machine/machine.h"
#include "tests/host/shell/shell_fakes.h"
#include "tests/machine/test_cartridges.h"

namespace plexaro {
namespace {

namespace fs = std::filesystem;

std::string Read(const fs::path& path) {
    const std::vector<uint8_t> bytes = testing::ReadBytes(path.string());
    return std::string(bytes.begin(), bytes.end());
}

void Write(const fs::path& path, const std::string& text) {
    testing::WriteFile(path, std::vector<uint8_t>(text.begin(), text.end()));
}

class SettingsFile : public ::testing::Test {
protected:
    void SetUp() override {
        dir = testing::MakeScratch("settings");
        path = dir / "plexaro" / "settings.ini";
        fs::create_directories(path.parent_path());
    }
    void TearDown() override {
        LoadSettings("");
        testing::RemoveScratch(dir);
    }
    // Loads the file; what the load printed on stderr.
    std::string Load() {
        ::testing::internal::CaptureStderr();
        LoadSettings(path.string());
        return ::testing::internal::GetCapturedStderr();
    }
    fs::path dir, path;
};

TEST_F(SettingsFile, MissingGivesDefaultsAndAChangeWritesItWholeAndItReadsBack) {
    EXPECT_EQ(Load(), "");
    EXPECT_EQ(SavedSettings(), Settings{});
    EXPECT_FALSE(fs::exists(path));
    EXPECT_TRUE(StoreSettings(Settings{}));  // nothing changed: nothing written
    EXPECT_FALSE(fs::exists(path));

    Settings changed;
    changed.windowScale = 3;
    changed.rgbMode = 0;
    changed.videoHardware = 1;
    changed.soundLatency = SoundLatencySafe;
    changed.runAhead = 2;
    changed.liveReload = false;
    changed.picture = {AspectConsole, ScalingInteger, FilterSmooth};
    changed.lastFolder = "/games/sg 1000";
    AddRecent(changed, "/games/a.sg");
    AddRecent(changed, "/games/b.sg");
    BindKey(changed.bindings, 1, PadButton1, KeyNamed("Right Ctrl"));
    BindButton(changed.bindings, 0, PadButton2, ButtonNamed("x"));
    BindProgramKey(changed.bindings, KeyRewind, Unbound);
    ASSERT_TRUE(StoreSettings(changed));
    ASSERT_TRUE(fs::is_regular_file(path));
    const auto files = fs::directory_iterator(path.parent_path());
    EXPECT_EQ(std::distance(fs::begin(files), fs::end(files)), 1);  // no temporary left
    EXPECT_EQ(Load(), "");
    EXPECT_EQ(SavedSettings(), changed);
    EXPECT_EQ(SavedSettings().recent, (std::vector<std::string>{"/games/b.sg", "/games/a.sg"}));
}

TEST_F(SettingsFile, EachDamageCostsOnlyItsLineAndSaysSoOnce) {
    struct Case {
        const char* name;
        std::string text;
        const char* said;    // the warning names the file and this
        const char* damage;  // and this is said over the picture
    };
    const Case cases[] = {
        {"bad syntax", "video = hardware\nwindow_scale 3\nrgb_mode = 555\n", ":2: not a",
         "settings.ini line 2 could not be read; kept as settings.ini.bad"},
        {"unknown key", "video = hardware\n\n# note\ncolour = red\nrgb_mode = 555\n",
         ":4: unknown key 'colour'", ""},  // perhaps a later build's: not damage
        {"out of range", "video = hardware\nwindow_scale = 9\nrgb_mode = 555\np1_up = Hyper\n",
         ":2: '9' is no value of window_scale (and 1 more line)",
         "settings.ini lines 2 and 4 could not be read; kept as settings.ini.bad"},
        {"binary junk",
         "video = hardware\n" +
             std::string("\x7F"
                         "ELF\x01\x02\0\0=\xFF\n",
                         11) +
             "rgb_mode = 555\n",
         ":2: not a 'key = value' line;",
         "settings.ini line 2 could not be read; kept as settings.ini.bad"},
    };
    for (const Case& c : cases) {
        Write(path, c.text);
        const std::string said = Load();
        EXPECT_EQ(said.rfind("plexaro: " + path.string() + c.said, 0), 0u)
            << c.name << ": " << said;
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << c.name;
        // The good lines around the bad one are still read; the bad one's setting is default.
        EXPECT_EQ(SavedSettings().videoHardware, 1u) << c.name;
        EXPECT_EQ(SavedSettings().rgbMode, 0u) << c.name;
        EXPECT_EQ(SavedSettings().windowScale, 2u) << c.name;
        EXPECT_EQ(SavedSettings().bindings, DefaultBindings()) << c.name;
        EXPECT_EQ(SettingsDamage(), c.damage) << c.name;
        EXPECT_EQ(fs::exists(path.string() + ".bad"), !SettingsDamage().empty()) << c.name;
        fs::remove(path.string() + ".bad");
    }

    // A folder in the file's place: every default, one line, and saving says it failed.
    fs::remove(path);
    fs::create_directories(path);
    const std::string said = Load();
    EXPECT_EQ(said, "plexaro: " + path.string() +
                        ": a folder, not a settings file; using the defaults for what could "
                        "not be read\n");
    EXPECT_EQ(SavedSettings(), Settings{});
    Settings changed;
    changed.windowScale = 1;
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(StoreSettings(changed));
    EXPECT_FALSE(StoreSettings(Settings{}));
    const std::string failed = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(failed.begin(), failed.end(), '\n'), 1) << failed;  // said once
    EXPECT_TRUE(fs::is_directory(path));
}

// A damaged file costs nothing but its bad line: the file as it was is kept aside, the bad
// line becomes a comment, the picture says so, and a change rewrites only its own line.
TEST_F(SettingsFile, ADamagedFileIsKeptAsideAndOnlyWhatChangesIsRewritten) {
    const std::string damaged =
        "# my own notes\np1_up = W\nwindow_scale = 9\np1_down = S\nlater_key = 42\n"
        "rgb_mode=555";
    Write(path, damaged);
    const std::string said = Load();
    EXPECT_NE(said.find(":3: '9' is no value of window_scale (and 1 more line); the file as it "
                        "was is kept as settings.ini.bad;"),
              std::string::npos)
        << said;
    EXPECT_EQ(Read(path.string() + ".bad"), damaged);
    std::string expected =
        "# my own notes\np1_up = W\n# could not be read: window_scale = 9\np1_down = S\n"
        "later_key = 42\nrgb_mode=555";
    EXPECT_EQ(Read(path), expected);
    EXPECT_EQ(SavedSettings().bindings.key[0][PadUp], KeyNamed("W"));
    EXPECT_EQ(SavedSettings().bindings.key[0][PadDown], KeyNamed("S"));
    EXPECT_EQ(SavedSettings().rgbMode, 0u);

    fake::Reset();
    ShellLoadFromCommandLine("");
    ASSERT_TRUE(ShellStart(1, 0));
    ASSERT_FALSE(fake::window.notices.empty());
    EXPECT_EQ(fake::window.notices[0],
              "settings.ini line 3 could not be read; kept as settings.ini.bad");
    ShellCommand(CommandHardwareAccuracy);  // a key the file lacks goes at its end
    expected += "\nvideo = hardware\n";
    EXPECT_EQ(Read(path), expected);
    Bindings bindings = SavedSettings().bindings;
    BindKey(bindings, 0, PadUp, KeyNamed("I"));  // player 2's up, which it takes
    ShellSetBindings(bindings);
    const std::string text = Read(path);
    EXPECT_EQ(text.substr(0, text.find("p1_down")),
              "# my own notes\np1_up = I\n# could not "
              "be read: window_scale = 9\n");
    EXPECT_NE(text.find("later_key = 42\nrgb_mode=555\n"), std::string::npos);
    EXPECT_NE(text.find("\np2_up = none\n"), std::string::npos);
    ShellShutdown();

    // Read again, only the key of a later build is left to mention, and nothing is damaged.
    EXPECT_EQ(Load(), "plexaro: " + path.string() +
                          ":5: unknown key 'later_key'; using the defaults for what could not be "
                          "read\n");
    EXPECT_EQ(SettingsDamage(), "");
    EXPECT_EQ(SavedSettings().bindings, bindings);

    // Too long to read at all: kept aside whole, and written afresh.
    Write(path, std::string(300 * 1024, '#'));
    Load();
    EXPECT_EQ(SettingsDamage(),
              "settings.ini could not be read: too long for a settings file; kept as "
              "settings.ini.bad");
    EXPECT_EQ(fs::file_size(path.string() + ".bad"), 300u * 1024);
    EXPECT_EQ(Read(path), SettingsText(Settings{}));
}

#ifdef _WIN32
TEST(SettingsPath, IsInTheRoamingAppDataFolder) {
    EXPECT_EQ(SettingsPath(), UserConfigFolder() + "/plexaro/settings.ini");
    EXPECT_NE(UserConfigFolder(), "");
}
#else
TEST(SettingsPath, FollowsTheDesktopsConfigFolder) {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const std::string saved = config != nullptr ? config : "";
    const std::string home = std::getenv("HOME") != nullptr ? std::getenv("HOME") : "";
    setenv("XDG_CONFIG_HOME", "/cfg", 1);
    EXPECT_EQ(SettingsPath(), "/cfg/plexaro/settings.ini");
    setenv("XDG_CONFIG_HOME", "relative", 1);  // ignored, as the desktop's rule says
    setenv("HOME", "/home/someone", 1);
    EXPECT_EQ(SettingsPath(), "/home/someone/.config/plexaro/settings.ini");
    setenv("HOME", home.c_str(), 1);
    if (config != nullptr) {
        setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    } else {
        unsetenv("XDG_CONFIG_HOME");
    }
}
#endif

// --rgb and --video decide this run and never reach the file; what the user changes does,
// and File > Recent lists the cartridges that really ran.
TEST_F(SettingsFile, TheCommandLineWinsForTheRunAndRecentFollowsWhatRuns) {
    Write(path,
          "rgb_mode = 555\nvideo = hardware\nwindow_scale = 3\nlive_reload = off\n"
          "sound_latency = safe\nrun_ahead = 2\n");
    EXPECT_EQ(Load(), "");
    PlayerOptions options;
    const char* words[] = {"--rgb",           "565", "--video",     "simple",
                           "--audio-latency", "40",  "--run-ahead", "0"};
    ASSERT_EQ(ParseOptions(8, words, options), "");
    const PlayerOptions run = ShellRunOptions(options, SavedSettings());
    EXPECT_EQ(run.runAhead, 0u);
    EXPECT_EQ(ShellRunOptions(PlayerOptions{}, SavedSettings()).runAhead, 2u);
    EXPECT_EQ(run.rgbMode, 1u);
    EXPECT_EQ(run.videoHardware, 0u);
    EXPECT_EQ(SoundLatencyFromMilliseconds(run.audioLatencyMs), SoundLatencyLow);
    const PlayerOptions fromFile = ShellRunOptions(PlayerOptions{}, SavedSettings());
    EXPECT_EQ(fromFile.rgbMode, 0u);
    EXPECT_EQ(SoundLatencyFromMilliseconds(fromFile.audioLatencyMs), SoundLatencySafe);

    fake::Reset();
    const std::string busy =
        TextOf(fs::absolute(testing::CartridgePath("busy")).lexically_normal());
    const std::string sound =
        TextOf(fs::absolute(testing::CartridgePath("sound")).lexically_normal());
    ShellLoadFromCommandLine(busy);
    ASSERT_TRUE(ShellStart(run.rgbMode, run.videoHardware));
    EXPECT_EQ(fake::window.posted, std::vector<uint32_t>{CommandSize3});
    EXPECT_EQ(Shell().LiveReload, 0);
    EXPECT_EQ(Shell().RgbMode, 1);
    ShellCommand(CommandSize1);
    std::string text = Read(path);
    EXPECT_NE(text.find("window_scale = 1\n"), std::string::npos);
    EXPECT_NE(text.find("rgb_mode = 555\n"), std::string::npos);
    EXPECT_NE(text.find("video = hardware\n"), std::string::npos);
    EXPECT_NE(text.find("recent = " + busy + "\n"), std::string::npos);

    ShellFileChosen("/nonexistent/game.sg");  // fails: not recent
    ShellFileChosen(sound);
    ShellCommand(CommandRecent1 + 1);  // busy again, back to the top
    EXPECT_EQ(Shell().runningPath, busy);
    EXPECT_EQ(SavedSettings().recent, (std::vector<std::string>{busy, sound}));
    ShellCommand(CommandRgb555);
    ShellCommand(CommandRgb565);
    EXPECT_NE(Read(path).find("rgb_mode = 565\n"), std::string::npos);
    ShellCommand(CommandClearRecent);
    EXPECT_TRUE(SavedSettings().recent.empty());
    ShellCommand(CommandSoundLatencyLow + 1);  // Normal
    EXPECT_NE(Read(path).find("sound_latency = normal\n"), std::string::npos);
    ShellCommand(CommandRunAheadOff + 1);
    EXPECT_NE(Read(path).find("run_ahead = 1\n"), std::string::npos);
    ShellCommand(CommandRunAheadOff);
    ShellShutdown();
    Load();
    EXPECT_TRUE(SavedSettings().recent.empty());
    EXPECT_EQ(SavedSettings().windowScale, 1u);
}

TEST(Bindings, EveryKeyAndButtonNameReadsBackAndABindingMovesWhatItTakes) {
    for (uint32_t code = 0; code < KeyCodeCount; ++code) {
        if (const char* name = KeyName(code)) {
            EXPECT_EQ(KeyNamed(name), code) << name;
        }
    }
    for (uint32_t button = 0; button < JoystickButtonCount; ++button) {
        EXPECT_EQ(ButtonNamed(ButtonName(button)), button);
    }
    EXPECT_EQ(KeyNamed("left ctrl"), uint32_t{KeyLeftControl});
    EXPECT_EQ(KeyNamed("Escape"), NoSuchName);

    Bindings bindings = DefaultBindings();
    BindKey(bindings, 0, PadButton1, KeySpace);  // fast forward's, until now
    EXPECT_EQ(bindings.programKey[KeyFastForward], Unbound);
    EXPECT_EQ(bindings.key[0][PadButton1], uint32_t{KeySpace});
    BindProgramKey(bindings, KeyReset, KeyI);  // player 2's up
    EXPECT_EQ(bindings.key[1][PadUp], Unbound);
    BindButton(bindings, 1, PadUp, 0);  // player 2's A: its button 1 lets it go
    EXPECT_EQ(bindings.button[1][PadButton1], Unbound);
    EXPECT_EQ(bindings.button[0][PadButton1], 0u);  // player 1's controller is another
}

TEST(Bindings, ReboundKeysAndButtonsWorkTheJoypads) {
    fake::Reset();
    SetKeyboardMode(false);  // as another test in this process may have left it
    ASSERT_EQ(InitMachine(256), nullptr);
    InputOpen();
    KeyboardOpen();
    Bindings bindings = DefaultBindings();
    BindKey(bindings, 0, PadButton1, KeySpace);
    BindProgramKey(bindings, KeyFastForward, KeyLeftControl);
    BindButton(bindings, 1, PadButton2, 3);  // Y
    InputSetBindings(bindings);

    InputKeyEvent(KeySpace, true);
    PollInput(0);
    EXPECT_EQ(JoypadPorts()[0], 0xEF);
    EXPECT_FALSE(InputFastForwardHeld());
    InputKeyEvent(KeySpace, false);
    InputKeyEvent(KeyLeftControl, true);
    PollInput(0);
    EXPECT_EQ(JoypadPorts()[0], 0xFF);
    EXPECT_TRUE(InputFastForwardHeld());

    fake::controller2.attached = true;
    fake::controller2.reading.button[1] = true;  // B: nothing now
    ASSERT_EQ(JoystickOpen(), 1);
    PollInput(1);
    EXPECT_EQ(JoypadPorts()[1], 0xFF);
    fake::controller2.reading.button[3] = true;
    PollInput(1);
    EXPECT_EQ(JoypadPorts()[1], 0xF7);

    InputSetBindings(DefaultBindings());
    KeyboardClose();
    InputClose();
    ShutdownMachine();
}

}  // namespace
}  // namespace plexaro
