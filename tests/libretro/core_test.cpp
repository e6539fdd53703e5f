// The libretro core through its entry points, driven by our own frontend: the headless player's
// pictures and sound, controls as documented, states run-ahead and netplay can rely on, bad
// games and states refused, and the core opening again after it was closed.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "host/os/os.h"
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

// The headless player's hashes of a run, with an input script and options; started without a
// shell, so that paths need no quoting on any system.
Hashes PlayerHashes(const std::string& cartridge, int frames, const std::string& script = "",
                    const std::vector<std::string>& options = {}) {
    const std::string program =
        std::string(PLEXARO_BINARY_DIR) + "/host/plexaro" + PLEXARO_EXECUTABLE_SUFFIX;
    std::vector<std::string> words = {"--headless", "--hash", "--frames", std::to_string(frames)};
    words.insert(words.end(), options.begin(), options.end());
    const fs::path input =
        fs::temp_directory_path() / ("plexaro_retro_script_" + std::to_string(::getpid()) + ".txt");
    if (!script.empty()) {
        std::ofstream(input) << script;
        words.insert(words.end(), {"--input", input.string()});
    }
    words.insert(words.end(), {"--", cartridge});
    Hashes hashes;
    std::FILE* output = std::tmpfile();
    ChildProcess child{};
    EXPECT_EQ(StartChildProcess(program, words, "", output, &child), "") << program;
    if (child.id != 0) {
        EXPECT_EQ(WaitForAnyChild().status, 0) << program;
        std::rewind(output);
        char line[256];
        while (std::fgets(line, sizeof line, output) != nullptr) {
            std::sscanf(line, "frame hash: 0x%" SCNx64, &hashes.frame);
            std::sscanf(line, "audio hash: 0x%" SCNx64, &hashes.audio);
        }
    }
    std::fclose(output);
    fs::remove(input);
    return hashes;
}

// RetroArch's cheat search: the bytes of the system-RAM descriptors, through `ptr` and `len`
// only, one after the other. CpuAddress is what the descriptor says the byte is, for the test.
struct CheatMemory {
    std::vector<std::pair<uint8_t*, size_t>> blocks;
    std::vector<size_t> starts;

    CheatMemory() {
        for (const retro::MemoryDescriptor& d : received.memory) {
            if (!(d.flags & retro::MemSystemRam) || d.ptr == nullptr || d.len == 0) continue;
            blocks.emplace_back(static_cast<uint8_t*>(d.ptr), d.len);
            starts.push_back(d.start);
        }
    }
    size_t Size() const {
        size_t total = 0;
        for (const auto& block : blocks) total += block.second;
        return total;
    }
    uint8_t& At(size_t index) {
        for (const auto& block : blocks) {
            if (index < block.second) return block.first[index];
            index -= block.second;
        }
        return blocks.back().first[0];
    }
    size_t CpuAddress(size_t index) const {
        for (size_t b = 0; b < blocks.size(); ++b) {
            if (index < blocks[b].second) return starts[b] + index;
            index -= blocks[b].second;
        }
        return 0;
    }
    std::vector<uint8_t> Bytes() {
        std::vector<uint8_t> out(Size());
        for (size_t i = 0; i < out.size(); ++i) out[i] = At(i);
        return out;
    }
};

// What the CPU reads where the map says ROM is.
std::vector<uint8_t> RomBytes() {
    std::vector<uint8_t> out;
    for (const retro::MemoryDescriptor& d : received.memory) {
        if (!(d.flags & retro::MemConst)) continue;
        const auto* bytes = static_cast<const uint8_t*>(d.ptr);
        out.insert(out.end(), bytes, bytes + d.len);
    }
    return out;
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
    EXPECT_STREQ(info.validExtensions, "sg|sc");
    EXPECT_FALSE(info.needFullpath) << "the frontend reads the file (a zip in memory)";
    EXPECT_EQ(received.optionKeys,
              (std::vector<std::string>{"plexaro_video", "plexaro_power_on_ram", "plexaro_select",
                                        "plexaro_machine"}));
    EXPECT_EQ(received.optionsApi, 2u);
    EXPECT_EQ(received.controllers,
              (std::vector<std::vector<unsigned>>{{retro::DeviceJoypad}, {retro::DeviceJoypad}}))
        << "two ports, a joypad on each";

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

// Each frontend gets the options in the newest API it knows. Version 2's call answering false
// (no categories) has taken them all the same: the older APIs are not tried after it.
TEST_F(CoreTest, OffersOptionsInTheNewestApiTheFrontendKnows) {
    const std::vector<std::string> keys = {"plexaro_video", "plexaro_power_on_ram",
                                           "plexaro_select", "plexaro_machine"};
    for (unsigned version : {2u, 1u, 0u}) {
        SCOPED_TRACE(version);
        Close(core_);
        traits.optionsVersion = version;
        traits.categories = false;
        optionValues.clear();
        Start();
        EXPECT_EQ(received.optionsApi, version);
        EXPECT_EQ(received.optionKeys, keys);
        if (version > 0) {
            EXPECT_EQ(optionValues["plexaro_select"], "reset") << "its default taken";
        }
    }
    ASSERT_EQ(received.variableTexts.size(), keys.size());
    EXPECT_EQ(received.variableTexts[0], "Video behaviour; simple|hardware");
    EXPECT_EQ(received.variableTexts[2], "Select button; reset|none");
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
    EXPECT_EQ(Output(), PlayerHashes(Cartridge("demo/demo.sg"), 300, "", {"--video", "hardware"}));

    optionValues["plexaro_video"] = "simple";
    optionsChanged = true;
    received.avInfoChanged = false;
    core_.reset();
    Run(1);
    EXPECT_TRUE(received.avInfoChanged) << "the frontend hears of the new frame rate";
    EXPECT_EQ(received.avInfo.timing.fps, 60.0);
    EXPECT_EQ(core_.getMemorySize(retro::MemorySystemRam), 0x4000u);
    EXPECT_EQ(CheatMemory().Size(), 0x8000u) << "and of the RAM laid out anew";
}

TEST_F(CoreTest, ShowsTheConsolesRamToCheatsAndAchievements) {
    Load("demo/demo.sg");
    Run(120);
    auto* ram = static_cast<uint8_t*>(core_.getMemoryData(retro::MemorySystemRam));
    ASSERT_NE(ram, nullptr);
    EXPECT_EQ(core_.getMemorySize(retro::MemorySystemRam), 0x4000u);
    EXPECT_EQ(core_.getMemoryData(retro::MemorySaveRam), nullptr);
    // Each descriptor points at its own first byte, and ROM is marked constant.
    bool ramFound = false;
    bool romFound = false;
    for (const retro::MemoryDescriptor& d : received.memory) {
        EXPECT_EQ(d.offset, 0u) << std::hex << d.start;
        if ((d.flags & retro::MemSystemRam) && d.start <= 0xC000 && 0xC000 < d.start + d.len) {
            ramFound = static_cast<uint8_t*>(d.ptr) + (0xC000 - d.start) == ram;
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

// A cheat search as RetroArch makes one, through the descriptors' ptr and len alone: it sees
// the console's RAM once (never ROM, never a mirror), finds a game's variable at its address,
// and a cheat written there changes the game and nothing else. The busy cartridge counts frames
// at 0xC000; the 48 KB and the mapper cartridges leave 0xA5 at 0xC001 when done.
TEST_F(CoreTest, ACheatSearchFindsTheGamesVariablesAndWritesOnlyRam) {
    struct Case {
        const char* cartridge;
        const char* video;
        size_t ram;  // bytes searched
    };
    for (const Case& c :
         {Case{"tests/busy.sg", "simple", 0x8000}, Case{"tests/busy.sg", "hardware", 0x400},
          Case{"tests/rom48.sg", "simple", 0x4000}, Case{"tests/rom48.sg", "hardware", 0x400},
          Case{"tests/mapper.sg", "simple", 0x4000}, Case{"tests/mapper.sg", "hardware", 0x400}}) {
        SCOPED_TRACE(std::string(c.cartridge) + " " + c.video);
        Close(core_);
        optionValues["plexaro_video"] = c.video;
        Start();
        Load(c.cartridge);
        Run(30);
        CheatMemory cheat;
        ASSERT_EQ(cheat.Size(), c.ram);
        const std::vector<uint8_t> rom = RomBytes();
        ASSERT_FALSE(rom.empty());

        const bool counter = std::string(c.cartridge) == "tests/busy.sg";
        std::vector<size_t> found;  // "went up by one each frame", or "equals 0xA5"
        std::vector<uint8_t> before = cheat.Bytes();
        for (size_t i = 0; i < cheat.Size(); ++i) {
            if (counter || before[i] == 0xA5) found.push_back(i);
        }
        for (int round = 0; round < (counter ? 4 : 0); ++round) {
            Run(1);
            std::vector<size_t> kept;
            for (size_t i : found) {
                if (cheat.At(i) == static_cast<uint8_t>(before[i] + 1)) kept.push_back(i);
            }
            found = kept;
            before = cheat.Bytes();
        }
        const size_t variable = counter ? 0xC000 : 0xC001;
        const auto at = std::find_if(found.begin(), found.end(),
                                     [&](size_t i) { return cheat.CpuAddress(i) == variable; });
        ASSERT_NE(at, found.end()) << "found " << found.size();

        // The cheat holds the variable at 0x40; the counter goes on from there.
        cheat.At(*at) = 0x40;
        Run(1);
        EXPECT_EQ(cheat.At(*at), counter ? 0x41 : 0x40);
        auto* ram = static_cast<uint8_t*>(core_.getMemoryData(retro::MemorySystemRam));
        EXPECT_EQ(ram[variable - 0xC000], cheat.At(*at)) << "the console's own RAM";
        EXPECT_EQ(RomBytes(), rom) << "the cartridge is untouched";
    }
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
    PlayerHashes(busy, 100, "", {"--save-state", saved.string()});
    std::vector<char> bytes;
    {
        std::ifstream in(saved, std::ios::binary);  // closed before the file is removed
        bytes.assign(std::istreambuf_iterator<char>(in), {});
    }
    Load("tests/busy.sg");
    ASSERT_TRUE(core_.unserialize(bytes.data(), bytes.size()));
    received.left.clear();
    received.right.clear();
    Run(50);
    EXPECT_EQ(Output(), PlayerHashes(busy, 50, "", {"--load-state", saved.string()}));
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
        if (path == cases[1]) {
            EXPECT_NE(received.log.back().find("the file is empty"), std::string::npos)
                << "the file is there: it is empty";
        }
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

// RetroArch's way with need_fullpath false: the file's bytes, with the path of a file that may
// not exist (a game inside a zip). A file of a few hundred bytes is a real cartridge (busy.sg
// is 357); an empty one is named as such.
TEST_F(CoreTest, LoadsAGameGivenAsBytes) {
    std::ifstream in(Cartridge("tests/busy.sg"), std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), {});
    ASSERT_LT(bytes.size(), 1024u);
    const std::string inZip = Cartridge("tests/games.zip#busy.sg");
    const retro::GameInfo game = {inZip.c_str(), bytes.data(), bytes.size(), nullptr};
    ASSERT_TRUE(core_.loadGame(&game));
    Run(300);
    EXPECT_EQ(Output(), PlayerHashes(Cartridge("tests/busy.sg"), 300));

    const retro::GameInfo empty = {inZip.c_str(), bytes.data(), 0, nullptr};
    received.log.clear();
    received.messages.clear();
    EXPECT_FALSE(core_.loadGame(&empty));
    ASSERT_EQ(received.log.size(), 1u);
    EXPECT_EQ(received.log[0], "ERROR: [Plexaro] " + inZip + ": the file is empty\n");
    EXPECT_EQ(received.messages,
              (std::vector<std::string>{"EXT: " + inZip + ": the file is empty"}));
}

// RetroArch hands its environment over again after start-up, one that may give no log
// interface: the core keeps the one it had. What the player must know reaches the screen
// too, in the frontend's newer message call when it has one, else in the old one.
TEST_F(CoreTest, KeepsItsLogAndTellsThePlayerOnScreen) {
    for (unsigned version : {1u, 0u}) {
        SCOPED_TRACE(version);
        Close(core_);
        traits.messageVersion = version;
        Start();
        Load("tests/busy.sg");
        traits.logInterface = false;
        core_.setEnvironment(AnswerEnvironment);
        traits.logInterface = true;
        std::vector<uint8_t> state(core_.serializeSize());
        ASSERT_TRUE(core_.serialize(state.data(), state.size()));
        state[state.size() / 2] ^= 1;
        received.log.clear();
        received.messages.clear();
        EXPECT_FALSE(core_.unserialize(state.data(), state.size()));
        const std::string why =
            "state not loaded: the save state is damaged: its checksum does not match";
        EXPECT_EQ(received.log, (std::vector<std::string>{"WARN: [Plexaro] " + why + "\n"}));
        EXPECT_EQ(received.messages,
                  (std::vector<std::string>{(version == 1 ? "EXT: " : "OLD: ") + why}));
    }
}

// With the "Select button" option at none, Select changes nothing: the run is the player's
// without a reset. (The default, reset, is in MapsTheRetroPadsAsTheInfoFileSays.)
TEST_F(CoreTest, SelectDoesNothingWhenTheOptionSaysNone) {
    optionValues["plexaro_select"] = "none";
    Load("demo/demo.sg");
    Run(200, 0, [](int f) {
        pads[0] = f == 60 ? Bit(retro::JoypadB) : 0;
        if (f >= 100 && f <= 103) pads[0] |= Bit(retro::JoypadSelect);
        pads[1] = f == 150 ? Bit(retro::JoypadSelect) : 0;
    });
    EXPECT_EQ(Output(), PlayerHashes(Cartridge("demo/demo.sg"), 200, "60 button1\n"));
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

}  // namespace
