// The libretro core driven through its entry points by the tests' own frontend: the same
// pictures and sound as the headless player, controls mapped as documented, save states that
// run-ahead and netplay can rely on, bad games and bad states refused, and the core opening
// again after it was closed.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "machine/hash.h"
#include "tests/libretro/frontend.h"

namespace fs = std::filesystem;
using namespace plexaro;
using namespace plexaro::test;

namespace {

constexpr uint16_t Bit(unsigned id) {
    return static_cast<uint16_t>(1u << id);
}

std::string Cartridge(const std::string& name) {
    return std::string(PLEXARO_BINARY_DIR) + "/cartridges/" + name;
}

struct Hashes {
    uint64_t frame = 0;
    uint64_t audio = 0;
    bool operator==(const Hashes&) const = default;
};

// The headless player's hashes of a run, with an input script and options.
Hashes PlayerHashes(const std::string& cartridge, int frames, const std::string& script = "",
                    const std::string& options = "") {
    std::string command = std::string(PLEXARO_BINARY_DIR) + "/host/plexaro --headless --hash " +
                          options + " --frames " + std::to_string(frames);
    const fs::path input =
        fs::temp_directory_path() / ("plexaro_retro_script_" + std::to_string(::getpid()) + ".txt");
    if (!script.empty()) {
        std::ofstream(input) << script;
        command += " --input '" + input.string() + "'";
    }
    command += " -- '" + cartridge + "'";
    Hashes hashes;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char line[256];
        while (std::fgets(line, sizeof line, pipe) != nullptr) {
            std::sscanf(line, "frame hash: 0x%" SCNx64, &hashes.frame);
            std::sscanf(line, "audio hash: 0x%" SCNx64, &hashes.audio);
        }
        EXPECT_EQ(pclose(pipe), 0) << command;
    }
    fs::remove(input);
    return hashes;
}

class CoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!fs::exists(CorePath())) GTEST_SKIP() << CorePath() << " is not built";
        traits = FrontendTraits{};
        optionValues.clear();
        optionsChanged = false;
        pads[0] = pads[1] = 0;
        Start();
    }
    void TearDown() override { Close(core_); }

    void Start() {
        std::string error;
        ASSERT_TRUE(Open(core_, &error)) << error;
    }

    void Load(const std::string& cartridge) { ASSERT_TRUE(LoadPath(core_, Cartridge(cartridge))); }

    // Runs frames with the pads from `input` (frame number -> bits, both ports).
    template <typename Input>
    void Run(int frames, int first, Input input) {
        for (int f = first; f < first + frames; ++f) {
            input(f);
            core_.run();
        }
    }
    void Run(int frames) {
        Run(frames, 0, [](int) {});
    }

    Hashes Output() const {
        EXPECT_EQ(received.left, received.right) << "both channels carry the mono sound";
        return {HashPicture(FnvOffsetBasis, received.picture),
                HashSamples(FnvOffsetBasis, received.left)};
    }

    // Each frame's picture and sound hashed on its own, for comparing two runs frame by frame.
    std::vector<Hashes> RunRecording(int frames) {
        std::vector<Hashes> out;
        for (int f = 0; f < frames; ++f) {
            received.left.clear();
            received.right.clear();
            core_.run();
            out.push_back(Output());
        }
        return out;
    }

    CoreApi core_;
};

TEST_F(CoreTest, DescribesItselfAsAFrontendExpects) {
    EXPECT_EQ(core_.apiVersion(), retro::ApiVersion);
    retro::SystemInfo info;
    core_.getSystemInfo(&info);
    EXPECT_STREQ(info.libraryName, "Plexaro");
    EXPECT_STREQ(info.validExtensions, "sg|bin");
    EXPECT_EQ(received.optionKeys,
              (std::vector<std::string>{"plexaro_video", "plexaro_power_on_ram"}));
    EXPECT_FALSE(received.optionsAsVariables);

    Load("demo/demo.sg");
    retro::SystemAvInfo av;
    core_.getSystemAvInfo(&av);
    EXPECT_EQ(av.geometry.baseWidth, 256u);
    EXPECT_EQ(av.geometry.baseHeight, 192u);
    EXPECT_FLOAT_EQ(av.geometry.aspectRatio, 4.0f / 3.0f);
    EXPECT_EQ(av.timing.fps, 60.0);
    EXPECT_EQ(av.timing.sampleRate, 44100.0);
    EXPECT_EQ(received.pixelFormat, retro::PixelRgb565);
    EXPECT_EQ(received.inputs.size(), 16u) << "eight controls on each of two ports";
    EXPECT_EQ(core_.getRegion(), retro::RegionNtsc);

    Run(1);
    EXPECT_EQ(received.pictures, 1u) << "one picture per retro_run";
    EXPECT_EQ(received.left.size(), 735u);
}

// A frontend without the current options API gets the same options as variables.
TEST_F(CoreTest, OffersOptionsAsVariablesToOlderFrontends) {
    Close(core_);
    traits.optionsVersion = 0;
    Start();
    EXPECT_TRUE(received.optionsAsVariables);
    EXPECT_EQ(received.optionKeys.size(), 2u);
}

TEST_F(CoreTest, GivesThePlayersPicturesAndSound) {
    for (const char* name :
         {"demo/demo.sg", "tests/busy.sg", "tests/sound.sg", "tests/mapper.sg", "tests/rom48.sg"}) {
        SCOPED_TRACE(name);
        Close(core_);
        Start();
        Load(name);
        Run(300);
        EXPECT_EQ(received.pictures, 300u);
        EXPECT_EQ(Output(), PlayerHashes(Cartridge(name), 300));
    }
}

// Without duplicates (a frontend that can't take them) and without bitmasks, the same run.
TEST_F(CoreTest, GivesTheSameRunToAFrontendWithoutDuplicatesOrBitmasks) {
    Close(core_);
    traits.canDupe = false;
    traits.bitmasks = false;
    Start();
    Load("demo/demo.sg");
    Run(300);
    EXPECT_EQ(received.duplicates, 0u);
    EXPECT_EQ(Output(), PlayerHashes(Cartridge("demo/demo.sg"), 300));
}

TEST_F(CoreTest, PassesAnUnchangedPictureAsADuplicate) {
    Load("demo/demo.sg");  // its title screen stands still
    Run(300);
    EXPECT_GT(received.duplicates, 100u);
}

// Run-ahead's way: a frame the frontend does not show, then back to the state before it and
// the same frame shown. That picture differs from the one on screen, so it is given whole.
TEST_F(CoreTest, NeverPassesAHiddenFramesPictureAsADuplicate) {
    Load("tests/busy.sg");  // a new picture every frame
    Run(10);
    std::vector<uint8_t> state(core_.serializeSize());
    ASSERT_TRUE(core_.serialize(state.data(), state.size()));
    traits.videoEnabled = false;
    Run(1);
    const std::vector<uint16_t> hidden = received.picture;
    traits.videoEnabled = true;
    ASSERT_TRUE(core_.unserialize(state.data(), state.size()));
    received.picture.clear();
    const uint32_t before = received.duplicates;
    Run(1);
    EXPECT_EQ(received.duplicates, before);
    EXPECT_EQ(received.picture, hidden);
}

// The RetroPads as documented: D-pad, B button 1, A button 2, Start the pause button (once a
// press), Select reset (once a press), player 2 on the second port; against the player's
// script of the same presses.
TEST_F(CoreTest, MapsTheRetroPadsAsTheInfoFileSays) {
    const char* script =
        "60 button1\n"
        "100-160 right p2-left\n"
        "130-150 button2 p2-button1\n"
        "170-190 down p2-up\n"
        "200 pause\n"
        "230 pause\n"
        "240-250 left up\n"
        "260 reset\n"
        "280-299 button1\n";
    Load("demo/demo.sg");
    Run(300, 0, [](int f) {
        pads[0] = pads[1] = 0;
        if (f == 60 || (f >= 280 && f <= 299)) pads[0] |= Bit(retro::JoypadB);
        if (f >= 100 && f <= 160) {
            pads[0] |= Bit(retro::JoypadRight);
            pads[1] |= Bit(retro::JoypadLeft);
        }
        if (f >= 130 && f <= 150) {
            pads[0] |= Bit(retro::JoypadA);
            pads[1] |= Bit(retro::JoypadB);
        }
        if (f >= 170 && f <= 190) {
            pads[0] |= Bit(retro::JoypadDown);
            pads[1] |= Bit(retro::JoypadUp);
        }
        if (f >= 200 && f <= 205) pads[0] |= Bit(retro::JoypadStart);  // held: one press
        if (f == 230) pads[1] |= Bit(retro::JoypadStart);              // either pad's Start
        if (f >= 240 && f <= 250) pads[0] |= Bit(retro::JoypadLeft) | Bit(retro::JoypadUp);
        if (f >= 260 && f <= 263) pads[0] |= Bit(retro::JoypadSelect);
    });
    EXPECT_EQ(Output(), PlayerHashes(Cartridge("demo/demo.sg"), 300, script));
}

TEST_F(CoreTest, FollowsTheVideoBehaviourOptionFromTheNextReset) {
    optionValues["plexaro_video"] = "hardware";
    Load("demo/demo.sg");
    retro::SystemAvInfo av;
    core_.getSystemAvInfo(&av);
    EXPECT_NEAR(av.timing.fps, 59.92, 0.01);
    EXPECT_EQ(core_.getMemorySize(retro::MemorySystemRam), 0x400u) << "the console's 1 KB";
    Run(300);
    EXPECT_EQ(Output(), PlayerHashes(Cartridge("demo/demo.sg"), 300, "", "--video hardware"));

    optionValues["plexaro_video"] = "simple";
    optionsChanged = true;
    received.avInfoChanged = false;
    core_.reset();
    Run(1);
    EXPECT_TRUE(received.avInfoChanged) << "the frontend hears of the new frame rate";
    EXPECT_EQ(received.avInfo.timing.fps, 60.0);
    EXPECT_EQ(core_.getMemorySize(retro::MemorySystemRam), 0x4000u);
}

TEST_F(CoreTest, ShowsTheConsolesRamToCheatsAndAchievements) {
    Load("demo/demo.sg");
    Run(120);
    auto* ram = static_cast<uint8_t*>(core_.getMemoryData(retro::MemorySystemRam));
    ASSERT_NE(ram, nullptr);
    EXPECT_EQ(core_.getMemorySize(retro::MemorySystemRam), 0x4000u);
    EXPECT_EQ(core_.getMemoryData(retro::MemorySaveRam), nullptr);
    // The descriptor of 0xC000 points at the same bytes, and ROM is marked constant.
    bool ramFound = false;
    bool romFound = false;
    for (const retro::MemoryDescriptor& d : received.memory) {
        if (d.start == 0xC000 && (d.flags & retro::MemSystemRam)) {
            ramFound = static_cast<uint8_t*>(d.ptr) + d.offset == ram;
        }
        if (d.start == 0 && (d.flags & retro::MemConst)) romFound = d.len >= 0x8000;
    }
    EXPECT_TRUE(ramFound);
    EXPECT_TRUE(romFound);
    // What is seen there is what the game keeps: a state's RAM section holds the same bytes.
    std::vector<uint8_t> state(core_.serializeSize());
    ASSERT_TRUE(core_.serialize(state.data(), state.size()));
    const std::vector<uint8_t> live(ram, ram + 0x4000);
    EXPECT_NE(std::search(state.begin(), state.end(), live.begin(), live.end()), state.end());
}

// What run-ahead, rewind and netplay rely on: a state brings back exactly the run it was made
// in, buttons held across it included.
TEST_F(CoreTest, RunsTheSameFramesAgainFromAState) {
    Load("demo/demo.sg");
    Run(100, 0, [](int f) {
        pads[0] = f == 60 ? Bit(retro::JoypadB) : 0;
        if (f >= 80) pads[0] |= Bit(retro::JoypadRight);
    });
    const size_t size = core_.serializeSize();
    std::vector<uint8_t> state(size);
    ASSERT_TRUE(core_.serialize(state.data(), state.size()));
    // Start goes down in the first frame after the state: the pause acts in both runs.
    pads[0] = Bit(retro::JoypadRight) | Bit(retro::JoypadStart);
    const auto first = RunRecording(60);
    EXPECT_EQ(core_.serializeSize(), size) << "the size does not change while a game runs";

    ASSERT_TRUE(core_.unserialize(state.data(), state.size()));
    const auto again = RunRecording(60);
    EXPECT_EQ(first, again);
    std::vector<uint8_t> after(size);
    ASSERT_TRUE(core_.unserialize(state.data(), state.size()));
    ASSERT_TRUE(core_.serialize(after.data(), after.size()));
    EXPECT_EQ(after, state);
}

TEST_F(CoreTest, RefusesAnotherCartridgesStateOrADamagedOneAndKeepsRunning) {
    Load("tests/busy.sg");
    std::vector<uint8_t> other(core_.serializeSize());
    Run(30);
    ASSERT_TRUE(core_.serialize(other.data(), other.size()));
    Close(core_);

    Start();
    Load("demo/demo.sg");
    Run(100, 0, [](int f) { pads[0] = f == 60 ? Bit(retro::JoypadB) : 0; });
    std::vector<uint8_t> own(core_.serializeSize());
    ASSERT_TRUE(core_.serialize(own.data(), own.size()));
    std::vector<uint8_t> damaged = own;
    damaged[damaged.size() / 2] ^= 0x40;
    std::vector<uint8_t> truncated(own.begin(), own.begin() + 100);
    received.log.clear();
    EXPECT_FALSE(core_.unserialize(other.data(), other.size()));
    EXPECT_FALSE(core_.unserialize(damaged.data(), damaged.size()));
    EXPECT_FALSE(core_.unserialize(truncated.data(), truncated.size()));
    EXPECT_EQ(received.log.size(), 3u) << "each refusal is logged";

    std::vector<uint8_t> now(own.size());
    ASSERT_TRUE(core_.serialize(now.data(), now.size()));
    EXPECT_EQ(now, own) << "a refused state changes nothing";
}

// A state the player (or the desktop) saved, which has no buttons of ours after it.
TEST_F(CoreTest, CarriesOnFromThePlayersState) {
    const fs::path saved =
        fs::temp_directory_path() / ("plexaro_retro_state_" + std::to_string(::getpid()));
    const std::string busy = Cartridge("tests/busy.sg");
    PlayerHashes(busy, 100, "", "--save-state '" + saved.string() + "'");
    std::ifstream in(saved, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), {});
    Load("tests/busy.sg");
    ASSERT_TRUE(core_.unserialize(bytes.data(), bytes.size()));
    received.left.clear();
    received.right.clear();
    Run(50);
    EXPECT_EQ(Output(), PlayerHashes(busy, 50, "", "--load-state '" + saved.string() + "'"));
    fs::remove(saved);
}

TEST_F(CoreTest, RefusesBadGamesWithAMessageInTheLog) {
    const fs::path dir =
        fs::temp_directory_path() / ("plexaro_retro_bad_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    std::ofstream(dir / "empty.sg").close();
    const std::string cases[] = {(dir / "missing.sg").string(), (dir / "empty.sg").string(),
                                 dir.string()};
    for (const std::string& path : cases) {
        received.log.clear();
        EXPECT_FALSE(LoadPath(core_, path)) << path;
        ASSERT_FALSE(received.log.empty()) << path;
        EXPECT_EQ(received.log.back().rfind("ERROR: ", 0), 0u) << received.log.back();
        EXPECT_NE(received.log.back().find(path), std::string::npos) << received.log.back();
    }
    received.log.clear();
    EXPECT_FALSE(core_.loadGame(nullptr));
    EXPECT_FALSE(received.log.empty());
    EXPECT_EQ(core_.serializeSize(), 0u) << "nothing runs";

    // Longer than the largest board: loads its first 1 MB, with the player's warning.
    const fs::path huge = dir / "huge.sg";
    {
        std::ifstream in(Cartridge("demo/demo.sg"), std::ios::binary);
        std::vector<char> bytes((std::istreambuf_iterator<char>(in)), {});
        bytes.resize((1u << 20) + 1, '\0');
        std::ofstream(huge, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
    }
    received.log.clear();
    EXPECT_TRUE(LoadPath(core_, huge.string()));
    ASSERT_FALSE(received.log.empty());
    EXPECT_NE(received.log.back().find("only its first 1048576 bytes are loaded"),
              std::string::npos)
        << received.log.back();
    fs::remove_all(dir);
}

// A frontend that hands over bytes rather than a file.
TEST_F(CoreTest, LoadsAGameGivenAsBytes) {
    std::ifstream in(Cartridge("tests/busy.sg"), std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), {});
    const retro::GameInfo game = {nullptr, bytes.data(), bytes.size(), nullptr};
    ASSERT_TRUE(core_.loadGame(&game));
    Run(300);
    EXPECT_EQ(Output(), PlayerHashes(Cartridge("tests/busy.sg"), 300));
}

TEST_F(CoreTest, OpensAgainAfterItWasClosed) {
    Load("tests/busy.sg");
    Run(60);
    const Hashes first = Output();
    core_.unloadGame();
    EXPECT_EQ(core_.serializeSize(), 0u);
    Load("tests/busy.sg");  // the same game again, in the same session
    received.left.clear();
    received.right.clear();
    Run(60);
    EXPECT_EQ(Output(), first);

    Close(core_);
    Start();
    Load("tests/busy.sg");
    Run(60);
    EXPECT_EQ(Output(), first);
}

// Figures, not a timed test: frames per second through the frontend beside the player's.
TEST_F(CoreTest, PrintsItsSpeedBesideThePlayers) {
    Close(core_);
    traits.keep = false;  // the frontend's own copying is not the core's speed
    Start();
    Load("demo/demo.sg");
    constexpr int Frames = 3000;
    const auto start = std::chrono::steady_clock::now();
    Run(Frames);  // the player's run below has no input either
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("core through the frontend: %.0f frames per second; state %zu bytes\n",
                Frames / wall, core_.serializeSize());
    const std::string command = std::string(PLEXARO_BINARY_DIR) +
                                "/host/plexaro --headless --frames 3000 -- " +
                                Cartridge("demo/demo.sg");
    std::fflush(stdout);
    EXPECT_EQ(std::system(command.c_str()), 0);
}

}  // namespace
