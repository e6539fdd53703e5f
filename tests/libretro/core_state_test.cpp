// The libretro core's memory and states: the console's RAM for cheats and achievements, states
// that run-ahead and netplay can rely on, other cartridges' and damaged states and bad games
// refused, games given as bytes, the log, and the core opening again after it was closed.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/libretro/core_fixture.h"

using namespace plexaro;
using namespace plexaro::test;

namespace {

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
