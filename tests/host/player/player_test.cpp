// The plexaro program itself, run headless on our cartridges: input scripts, the PNG and
// WAV it writes, its report and hashes, its messages and exit statuses.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <set>

#include "host/media.h"
#include "machine/board.h"
#include "machine/machine.h"
#include "machine/state.h"
#include "tests/host/player/run_program.h"
#include "tests/machine/test_cartridges.h"
#include "video/vdp.h"

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wunused-function"
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#include <stb/stb_image.h>
#pragma GCC diagnostic pop

namespace plexaro {
namespace {

using testing::CartridgePath;
namespace fs = std::filesystem;

using testing::Outcome;
using testing::ReadText;

Outcome Play(const fs::path& dir, const std::vector<std::string>& words) {
    return testing::RunProgram(dir, words);
}

bool HasReport(const std::string& out, unsigned long long frames) {
    unsigned long long n = 0;
    double wall = 0, fps = 0, speed = 0;
    if (std::sscanf(out.c_str(), "frames: %llu  wall: %lf s  fps: %lf  speed: %lfx", &n, &wall,
                    &fps, &speed) != 4) {
        return false;
    }
    char line[200];
    std::snprintf(line, sizeof line,
                  "frames: %llu  wall: %.3f s  fps: %.1f  speed: %.1fx real time\n", n, wall, fps,
                  speed);
    return n == frames && out.rfind(line, 0) == 0;
}

// Rising crossings of half a full-volume channel (10922) over frames first to last.
int RisingEdges(const std::vector<int16_t>& samples, size_t first, size_t last) {
    int edges = 0;
    for (size_t i = first * 735 + 1; i < (last + 1) * 735; ++i) {
        edges += samples[i - 1] < 5461 && samples[i] >= 5461;
    }
    return edges;
}

uint32_t Le32(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

// sound.s plays 440.4 Hz, is silent while button 2 is held, goes an octave up on pause and
// starts over on reset. 29 frames of 440.4 Hz hold 212.9 rising edges.
TEST(Player, InputScriptDrivesTheCartridge) {
    const fs::path dir = testing::MakeScratch("script");
    const std::string script =
        "# silence, octave, back\n30-59 button2\n\n90 pause # up\n150 reset\n";
    testing::WriteFile(dir / "keys.txt", std::vector<uint8_t>(script.begin(), script.end()));
    const Outcome run = Play(dir, {"--headless", "--frames", "180", "--input", "keys.txt", "--wav",
                                   "out.wav", CartridgePath("sound")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(HasReport(run.out, 180)) << run.out;
    EXPECT_EQ(run.err, "");

    const std::vector<uint8_t> wav = testing::ReadBytes((dir / "out.wav").string());
    ASSERT_EQ(wav.size(), 44 + 180u * 735 * 2);
    EXPECT_EQ(std::string(wav.begin(), wav.begin() + 4), "RIFF");
    EXPECT_EQ(Le32(wav, 4), 36 + 180u * 735 * 2);
    EXPECT_EQ(std::string(wav.begin() + 8, wav.begin() + 16), "WAVEfmt ");
    EXPECT_EQ(Le32(wav, 20), 0x00010001u);  // PCM, mono
    EXPECT_EQ(Le32(wav, 24), 44100u);
    EXPECT_EQ(Le32(wav, 32), 0x00100002u);  // 2 bytes a sample, 16 bits
    EXPECT_EQ(Le32(wav, 40), 180u * 735 * 2);
    std::vector<int16_t> samples;
    for (size_t i = 44; i < wav.size(); i += 2) samples.push_back(wav[i] | wav[i + 1] << 8);
    EXPECT_NEAR(RisingEdges(samples, 1, 29), 213, 2);
    for (size_t i = 30 * 735; i < 60 * 735; ++i) ASSERT_EQ(samples[i], 0) << i;
    EXPECT_NEAR(RisingEdges(samples, 61, 89), 213, 2);
    EXPECT_NEAR(RisingEdges(samples, 91, 149), 866, 2);
    EXPECT_NEAR(RisingEdges(samples, 151, 179), 213, 2);
    testing::RemoveScratch(dir);
}

// bus.sg echoes both joypad ports to RAM every pass; the state saved after the last frame
// shows what the program read with player 2's controls held by the script.
TEST(Player, InputScriptHoldsPlayerTwosControls) {
    const fs::path dir = testing::MakeScratch("players");
    const std::string script = "0-9 right p2-left p2-button2\n5-9 p2-up\n";
    testing::WriteFile(dir / "keys.txt", std::vector<uint8_t>(script.begin(), script.end()));
    const std::string bus = CartridgePath("bus");
    const auto portsAfter = [&](const std::string& frames) {
        const Outcome run = Play(dir, {"--headless", "--frames", frames, "--input", "keys.txt",
                                       "--save-state", "s.state", bus});
        EXPECT_EQ(run.status, 0) << run.err;
        const std::vector<uint8_t> state = testing::ReadBytes((dir / "s.state").string());
        EXPECT_EQ(InitMachine(256), nullptr);
        EXPECT_EQ(LoadCartridge(bus.c_str()), nullptr);
        EXPECT_EQ(LoadMachineState(state.data(), state.size(), nullptr), nullptr);
        // Port A, its mirror, port B and its mirror as the program last read them.
        const uint8_t* ram = ConsoleMemory();
        const std::vector<uint8_t> ports = {ram[0xC010], ram[0xC012],      ram[0xC013],
                                            ram[0xC014], JoypadPorts()[0], JoypadPorts()[1]};
        ShutdownMachine();
        return ports;
    };
    // Player 1's right is port A bit 3; player 2's up is its bit 6, left and button 2 port B's
    // bits 0 and 3.
    EXPECT_EQ(portsAfter("5"), std::vector<uint8_t>({0xF7, 0xF7, 0xF6, 0xF6, 0xF7, 0xF6}));
    EXPECT_EQ(portsAfter("10"), std::vector<uint8_t>({0xB7, 0xB7, 0xF6, 0xF6, 0xB7, 0xF6}));
    EXPECT_EQ(portsAfter("11"), std::vector<uint8_t>(6, 0xFF));
    testing::RemoveScratch(dir);
}

uint64_t PrintedHash(const std::string& out, const std::string& name) {
    const std::string prefix = name + " hash: 0x";
    const size_t at = out.find(prefix) + prefix.size();
    if (at < prefix.size() || at + 17 > out.size() || out[at + 16] != '\n') return 0;
    return std::stoull(out.substr(at, 16), nullptr, 16);
}

// Either pixel format gives the same PNG of palette colours. The frame hash is over the
// 16-bit pixels (recovered from the PNG by dropping each field's low bits), the audio hash
// over the samples in the WAV.
TEST(Player, ScreenshotAndHashesInBothPixelFormats) {
    const fs::path dir = testing::MakeScratch("picture");
    std::vector<uint8_t> rgb[2];
    for (int mode = 0; mode < 2; ++mode) {
        const Outcome run = Play(
            dir, {"--headless", "--frames", "30", "--rgb", mode ? "565" : "555", "--screenshot",
                  "shot.png", "--wav", "out.wav", "--hash", CartridgePath("busy")});
        ASSERT_EQ(run.status, 0) << run.err;
        int width = 0, height = 0, channels = 0;
        uint8_t* data = stbi_load((dir / "shot.png").c_str(), &width, &height, &channels, 3);
        ASSERT_NE(data, nullptr);
        rgb[mode].assign(data, data + width * height * 3);
        stbi_image_free(data);
        ASSERT_EQ(width * height, 256 * 192);

        std::vector<uint16_t> pixels(256 * 192);
        for (size_t i = 0; i < pixels.size(); ++i) {
            const uint32_t r = rgb[mode][i * 3] >> 3, g = rgb[mode][i * 3 + 1],
                           b = rgb[mode][i * 3 + 2] >> 3;
            pixels[i] = static_cast<uint16_t>(mode ? r << 11 | (g >> 2) << 5 | b
                                                   : r << 10 | (g >> 3) << 5 | b);
        }
        EXPECT_EQ(PrintedHash(run.out, "frame"), HashFrame(FnvOffsetBasis, pixels.data(), 256));
        const std::vector<uint8_t> wav = testing::ReadBytes((dir / "out.wav").string());
        EXPECT_EQ(PrintedHash(run.out, "audio"),
                  Fnv1a64(FnvOffsetBasis, wav.data() + 44, wav.size() - 44));
    }
    EXPECT_EQ(rgb[0], rgb[1]);
    std::set<uint32_t> palette, seen;
    for (const auto& c : RgbPalette) palette.insert(c[0] << 16 | c[1] << 8 | c[2]);
    for (size_t i = 0; i < rgb[1].size(); i += 3) {
        seen.insert(rgb[1][i] << 16 | rgb[1][i + 1] << 8 | rgb[1][i + 2]);
    }
    EXPECT_GE(seen.size(), 3u);
    for (uint32_t colour : seen) EXPECT_TRUE(palette.count(colour)) << std::hex << colour;
    testing::RemoveScratch(dir);
}

// text.s writes "HELLO WORLD!" in Text mode: its H starts at column 20 of line 8 in white.
// The simple chip leaves the picture black; the hardware one keeps drawing it after a reset.
TEST(Player, VideoOptionPicksTheBehaviourForTheWholeRun) {
    const fs::path dir = testing::MakeScratch("video");
    const std::string script = "2 reset\n";
    testing::WriteFile(dir / "keys.txt", std::vector<uint8_t>(script.begin(), script.end()));
    for (const char* behaviour : {"simple", "hardware"}) {
        const Outcome run =
            Play(dir, {"--headless", "--frames", "5", "--video", behaviour, "--input", "keys.txt",
                       "--screenshot", "shot.png", CartridgePath("text")});
        ASSERT_EQ(run.status, 0) << run.err;
        int width = 0, height = 0, channels = 0;
        uint8_t* data = stbi_load((dir / "shot.png").c_str(), &width, &height, &channels, 3);
        ASSERT_NE(data, nullptr);
        const uint8_t* h = data + (8 * 256 + 20) * 3;
        const uint32_t expected = behaviour[0] == 'h' ? 224 : 0;
        EXPECT_EQ(h[0] + h[1] + h[2], 3 * expected) << behaviour;
        stbi_image_free(data);
    }
    testing::RemoveScratch(dir);
}

// Every kind of bad or odd file a player might be handed: the headless program says what
// went wrong with the path in front, and the loader leaves the running cartridge alone.
TEST(Player, BadAndOddFilesEachHaveAClearOutcome) {
    const fs::path dir = testing::MakeScratch("files");
    const std::vector<uint8_t> bus = testing::ReadBytes(CartridgePath("bus"));
    testing::WriteFile(dir / "empty.sg", {});
    fs::create_directory(dir / "folder.sg");
    ASSERT_EQ(::mkfifo((dir / "pipe.sg").c_str(), 0600), 0);
    std::vector<uint8_t> longer = bus;
    longer.resize(MapperImageLimit + 1);  // one byte past the largest board's image
    testing::WriteFile(dir / "long.sg", longer);
    testing::WriteFile(dir / "huge.sg", bus);
    fs::resize_file(dir / "huge.sg", 100u << 20);      // sparse: 100 MB on paper
    testing::WriteFile(dir / "my bus  cart.sg", bus);  // two spaces: an empty word
    testing::WriteFile(dir / "\"quoted\".sg", bus);
    testing::WriteFile(dir / "caf\xE9.sg", bus);  // Latin-1, not UTF-8
    testing::WriteFile(dir / "locked.sg", bus);
    fs::permissions(dir / "locked.sg", fs::perms::none);
    const bool root = ::geteuid() == 0;  // permissions don't stop root
    std::string deep = dir.string();
    while (deep.size() <= 4096) deep += "/" + std::string(200, 'd');

    const std::string stat = "Unable to stat file.";
    const std::string rom = "Can't find Rom !";
    const struct {
        std::string path;
        std::string error;  // empty: it loads
        bool warning;       // a file over 1 MB loads its first 1 MB, with a warning
    } cases[] = {
        {(dir / "missing.sg").string(), stat, false},
        {(dir / "folder.sg").string(), rom, false},
        {(dir / "empty.sg").string(), rom, false},
        {(dir / "pipe.sg").string(), rom, false},
        {"/dev/zero", rom, false},
        {"/dev/urandom", rom, false},
        {(dir / "locked.sg").string(), root ? "" : rom, false},
        {(dir / "long.sg").string(), "", true},
        {(dir / "huge.sg").string(), "", true},
        {(dir / "my bus  cart.sg").string(), "", false},
        {(dir / "\"quoted\".sg").string(), "", false},
        {"\"" + CartridgePath("bus") + "\"", stat, false},  // quotes are part of the name
        {(dir / "caf\xE9.sg").string(), "", false},
        {deep + "/game.sg", stat, false},
    };
    if (root) std::printf("running as root: the unreadable file is readable, and loads\n");

    ASSERT_EQ(InitMachine(256), nullptr);
    for (const auto& c : cases) {
        // In the program, with a bound on the time so that a hang fails instead of waiting.
        const Outcome run = Play(dir, {"--headless", "--frames", "2", c.path});
        if (c.error.empty()) {
            EXPECT_EQ(run.status, 0) << c.path << ": " << run.err;
            EXPECT_EQ(run.err.find("warning") != std::string::npos, c.warning) << run.err;
        } else {
            EXPECT_EQ(run.status, 1) << c.path;
            EXPECT_EQ(run.err, "plexaro: " + c.path + ": " + c.error + "\n");
        }
        // In process: a failure leaves the cartridge that was running.
        ASSERT_EQ(LoadCartridge(CartridgePath("sound").c_str()), nullptr);
        const std::vector<uint8_t> before(RomImage(), RomImage() + RomImageSize);
        const char* error = LoadCartridge(c.path.c_str());
        EXPECT_EQ(error == nullptr ? "" : error, c.error) << c.path;
        if (error != nullptr) {
            EXPECT_TRUE(std::equal(before.begin(), before.end(), RomImage())) << c.path;
        } else {
            EXPECT_TRUE(std::equal(bus.begin(), bus.end(), RomImage())) << c.path;
        }
    }
    ShutdownMachine();

    // Options after the path are part of its name; the message says where they belong.
    const Outcome late = Play(dir, {"--headless", CartridgePath("bus"), "--frames", "10"});
    EXPECT_EQ(late.status, 1);
    EXPECT_NE(late.err.find("options go before the cartridge's path"), std::string::npos)
        << late.err;
    fs::permissions(dir / "locked.sg", fs::perms::owner_all);
    testing::RemoveScratch(dir);
}

TEST(Player, UsageErrorsAndMalformedScriptsStopBeforeAnyFrame) {
    const fs::path dir = testing::MakeScratch("usage");
    const std::string script = "10 up\n# fine\n20-30 jump\n";
    testing::WriteFile(dir / "keys.txt", std::vector<uint8_t>(script.begin(), script.end()));
    fs::resize_file(testing::WriteFile(dir / "huge.txt", {}), (64u << 20) + 1);  // sparse
    const std::string bus = CartridgePath("bus");
    const std::vector<std::vector<std::string>> bad = {
        {"--headless", "--fast", bus},
        {"--rgb", "444", bus},
        {"--video", "accurate", bus},
        {"--headless"},
        {"--headless", "--input", "none.txt", bus},
        // Outputs that would overwrite the run's own input, or each other.
        {"--headless", "--wav", bus, bus},
        {"--headless", "--screenshot", "../" + dir.filename().string() + "/keys.txt", "--input",
         "keys.txt", bus},
        {"--headless", "--wav", "same", "--screenshot", "./same", bus},
        // Scripts that must not be read without end.
        {"--headless", "--input", "/dev/zero", bus},
        {"--headless", "--input", "huge.txt", bus},
        {"--headless", "--input", "keys.txt", "--wav", "out.wav", bus},
    };
    for (const auto& words : bad) {
        const Outcome run = Play(dir, words);
        EXPECT_EQ(run.status, 2) << words[1];
        EXPECT_EQ(run.err.rfind("plexaro: ", 0), 0u) << run.err;
        EXPECT_EQ(run.out, "");
    }
    EXPECT_EQ(Play(dir, bad.back()).err.rfind("plexaro: keys.txt:3: ", 0), 0u);
    EXPECT_NE(Play(dir, bad[5]).err.find("would overwrite the cartridge"), std::string::npos);
    EXPECT_NE(Play(dir, bad[6]).err.find("would overwrite the input script"), std::string::npos);
    EXPECT_NE(Play(dir, bad[9]).err.find("huge.txt: can't read the input script"),
              std::string::npos);
    EXPECT_EQ(testing::ReadBytes(bus).size(), fs::file_size(bus));
    EXPECT_EQ(ReadText(dir / "keys.txt"), script);
    EXPECT_FALSE(fs::exists(dir / "out.wav") || fs::exists(dir / "same"));
    EXPECT_EQ(Play(dir, {"--version"}).out.rfind("plexaro ", 0), 0u);
    testing::RemoveScratch(dir);
}

// A run saved and carried on from its state ends where one straight run does, with the
// script's frames counted on from the state.
TEST(Player, SaveStateThenLoadStateCarriesOn) {
    const fs::path dir = testing::MakeScratch("states");
    const std::string script = "0-400 right\n20 button1\n90-120 up\n";
    testing::WriteFile(dir / "keys.txt", std::vector<uint8_t>(script.begin(), script.end()));
    const std::string demo = std::string(PLEXARO_BINARY_DIR) + "/cartridges/demo/demo.sg";
    const auto frameHash = [](const std::string& out) {
        return out.substr(out.find("frame hash"));
    };
    const Outcome straight =
        Play(dir, {"--headless", "--frames", "150", "--input", "keys.txt", "--hash", demo});
    Outcome first = Play(dir, {"--headless", "--frames", "100", "--input", "keys.txt",
                               "--save-state", "s.state", demo});
    ASSERT_EQ(first.status, 0) << first.err;
    const Outcome rest = Play(dir, {"--headless", "--frames", "50", "--input", "keys.txt",
                                    "--load-state", "s.state", "--hash", demo});
    ASSERT_EQ(rest.status, 0) << rest.err;
    EXPECT_EQ(frameHash(rest.out).substr(0, 30), frameHash(straight.out).substr(0, 30));
    // A trace counts its frames on from the state's too.
    ASSERT_EQ(Play(dir, {"--headless", "--frames", "1", "--load-state", "s.state", "--trace",
                         "t.txt", demo})
                  .status,
              0);
    EXPECT_EQ(ReadText(dir / "t.txt").substr(0, 7), "000100 ");

    const Outcome other =
        Play(dir, {"--headless", "--load-state", "s.state", CartridgePath("busy")});
    EXPECT_EQ(other.status, 1);
    EXPECT_EQ(other.err, "plexaro: s.state: the save state belongs to another cartridge\n");
    testing::RemoveScratch(dir);
}

// Options that only a headless run uses are refused without --headless; a run writes no file
// it was not asked for, not even a temporary one.
TEST(Player, WritesNothingUnasked) {
    const fs::path dir = testing::MakeScratch("quiet");
    // Options that only a headless run has a use for are refused without --headless.
    Outcome run = Play(dir, {"--frames", "3", "--hash", CartridgePath("busy")});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("--frames only works with --headless"), std::string::npos) << run.err;
    run = Play(dir, {"--headless", "--frames", "3", CartridgePath("busy")});
    EXPECT_EQ(run.err, "");
    EXPECT_TRUE(fs::is_empty(dir));
    testing::RemoveScratch(dir);
}

}  // namespace
}  // namespace plexaro
