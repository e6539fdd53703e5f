// The plexaro program itself, run headless on our cartridges: options, input scripts, the
// PNG and WAV it writes, its messages and exit statuses.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "host/media.h"
#include "tests/machine/test_cartridges.h"
#include "video/vdp.h"

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wunused-function"
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#include <stb/stb_image.h>
#pragma GCC diagnostic pop

namespace plexaro {
namespace {

using testing::CartridgePath;
namespace fs = std::filesystem;

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

std::string Quote(const std::string& word) {
    std::string quoted = "'";
    for (char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::string ReadText(const fs::path& path) {
    const std::vector<uint8_t> bytes = testing::ReadBytes(path.string());
    return {bytes.begin(), bytes.end()};
}

// Runs the program in `dir` with the given words (each passed as one argument), capturing
// its output in files outside `dir`.
Outcome Play(const fs::path& dir, const std::vector<std::string>& words) {
    const fs::path capture = dir.string() + ".out";
    fs::create_directories(capture);
    std::string command = "cd " + Quote(dir.string()) + " && " +
                          Quote(std::string(PLEXARO_BINARY_DIR) + "/host/plexaro");
    for (const std::string& word : words) command += " " + Quote(word);
    command += " >" + Quote((capture / "out").string()) + " 2>" + Quote((capture / "err").string());
    const int raw = std::system(command.c_str());
    Outcome outcome{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadText(capture / "out"),
                    ReadText(capture / "err")};
    testing::RemoveScratch(capture);
    return outcome;
}

// Whether `out` is exactly the report line, in its exact number formats; gives its frames.
bool IsReportLine(const std::string& out, unsigned long long& frames) {
    double wall = 0, fps = 0, speed = 0;
    if (std::sscanf(out.c_str(), "frames: %llu  wall: %lf s  fps: %lf  speed: %lfx", &frames, &wall,
                    &fps, &speed) != 4) {
        return false;
    }
    char line[200];
    std::snprintf(line, sizeof line,
                  "frames: %llu  wall: %.3f s  fps: %.1f  speed: %.1fx real time\n", frames, wall,
                  fps, speed);
    return out == line;
}

bool IsReportLine(const std::string& out) {
    unsigned long long frames = 0;
    return IsReportLine(out, frames);
}

std::vector<int16_t> WavSamples(const fs::path& path) {
    const std::vector<uint8_t> bytes = testing::ReadBytes(path.string());
    std::vector<int16_t> samples;
    for (size_t i = 44; i + 1 < bytes.size(); i += 2) {
        samples.push_back(static_cast<int16_t>(bytes[i] | bytes[i + 1] << 8));
    }
    return samples;
}

// Rising crossings of half of a full-volume channel (10922) over frames [first, last].
int RisingEdges(const std::vector<int16_t>& samples, int first, int last) {
    int edges = 0;
    for (size_t i = first * 735 + 1; i < static_cast<size_t>(last + 1) * 735; ++i) {
        if (samples[i - 1] < 5461 && samples[i] >= 5461) ++edges;
    }
    return edges;
}

// sound.s plays 440.4 Hz on tone 0, silences it while button 2 is held, goes up an octave
// on the pause button, and starts over (440.4 Hz) on reset.
TEST(Player, InputScriptDrivesTheCartridge) {
    const fs::path dir = testing::MakeScratch("script");
    const std::string script =
        "# silence, then an octave up, then back\n"
        "30-59 button2\n"
        "\n"
        "90 pause   # from frame 90\n"
        "150 reset\n";
    testing::WriteFile(dir / "keys.txt", std::vector<uint8_t>(script.begin(), script.end()));
    const Outcome run = Play(dir, {"--headless", "--frames", "180", "--input", "keys.txt", "--wav",
                                   "out.wav", CartridgePath("sound")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(IsReportLine(run.out)) << run.out;
    EXPECT_EQ(run.err, "");

    const std::vector<int16_t> samples = WavSamples(dir / "out.wav");
    ASSERT_EQ(samples.size(), 180u * 735);
    // 29 frames are 29/60 s: 440.4 Hz gives 212.9 rising edges, 880.8 Hz twice that.
    EXPECT_NEAR(RisingEdges(samples, 1, 29), 213, 2);
    for (size_t i = 30 * 735; i < 60 * 735; ++i) ASSERT_EQ(samples[i], 0) << "sample " << i;
    EXPECT_NEAR(RisingEdges(samples, 61, 89), 213, 2);
    EXPECT_NEAR(RisingEdges(samples, 91, 149), 866, 2);
    EXPECT_NEAR(RisingEdges(samples, 151, 179), 213, 2);
    testing::RemoveScratch(dir);
}

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;
};

Picture ReadPng(const fs::path& path) {
    Picture picture;
    int channels = 0;
    uint8_t* data = stbi_load(path.c_str(), &picture.width, &picture.height, &channels, 3);
    if (data == nullptr) return picture;
    picture.rgb.assign(data, data + picture.width * picture.height * 3);
    stbi_image_free(data);
    return picture;
}

// The value of a "<name> hash: 0x<16 lower-case hex digits>" line, or 0 if there is none.
uint64_t PrintedHash(const std::string& out, const char* name) {
    const std::string prefix = std::string(name) + " hash: 0x";
    const size_t at = out.find(prefix);
    if (at == std::string::npos || at + prefix.size() + 17 > out.size()) return 0;
    const std::string digits = out.substr(at + prefix.size(), 16);
    if (digits.find_first_not_of("0123456789abcdef") != std::string::npos) return 0;
    if (out[at + prefix.size() + 16] != '\n') return 0;
    return std::stoull(digits, nullptr, 16);
}

// The same frame written in either pixel format gives the same PNG of palette colours; the
// frame hash is over the 16-bit pixels (so the formats differ) and the audio hash over the
// WAV's samples.
TEST(Player, ScreenshotHashesAndPixelFormats) {
    const fs::path dir = testing::MakeScratch("picture");
    Picture pictures[2];
    uint64_t audio[2] = {};
    for (int mode = 0; mode < 2; ++mode) {
        const std::string png = mode == 1 ? "565.png" : "555.png";
        const Outcome run =
            Play(dir, {"--headless", "--frames", "30", "--rgb", mode == 1 ? "565" : "555",
                       "--screenshot", png, "--wav", "out.wav", "--hash", CartridgePath("busy")});
        ASSERT_EQ(run.status, 0) << run.err;
        pictures[mode] = ReadPng(dir / png);
        ASSERT_EQ(pictures[mode].width, 256);
        ASSERT_EQ(pictures[mode].height, 192);

        // The 16-bit pixels follow from the PNG's bytes by dropping each field's low bits.
        std::vector<uint16_t> pixels(256 * 192);
        for (size_t i = 0; i < pixels.size(); ++i) {
            const uint8_t* p = &pictures[mode].rgb[i * 3];
            pixels[i] =
                mode == 1 ? static_cast<uint16_t>((p[0] >> 3) << 11 | (p[1] >> 2) << 5 | p[2] >> 3)
                          : static_cast<uint16_t>((p[0] >> 3) << 10 | (p[1] >> 3) << 5 | p[2] >> 3);
        }
        EXPECT_EQ(PrintedHash(run.out, "frame"), HashFrame(FnvOffsetBasis, pixels.data(), 256));

        const std::vector<uint8_t> wav = testing::ReadBytes((dir / "out.wav").string());
        audio[mode] = PrintedHash(run.out, "audio");
        EXPECT_EQ(audio[mode], Fnv1a64(FnvOffsetBasis, wav.data() + 44, wav.size() - 44));
    }
    EXPECT_EQ(pictures[0].rgb, pictures[1].rgb);
    EXPECT_EQ(audio[0], audio[1]);

    std::set<uint32_t> palette;
    for (const auto& c : RgbPalette) palette.insert(c[0] << 16 | c[1] << 8 | c[2]);
    std::set<uint32_t> seen;
    for (size_t i = 0; i < pictures[1].rgb.size(); i += 3) {
        const uint8_t* p = &pictures[1].rgb[i];
        seen.insert(p[0] << 16 | p[1] << 8 | p[2]);
    }
    EXPECT_GE(seen.size(), 3u);  // texture, backdrop and sprites
    for (uint32_t colour : seen) EXPECT_TRUE(palette.count(colour)) << std::hex << colour;
    testing::RemoveScratch(dir);
}

TEST(Player, FailedLoadsExitWithTheLoadersMessage) {
    const fs::path dir = testing::MakeScratch("fail");
    testing::WriteFile(dir / "empty.sg", {});
    fs::create_directory(dir / "folder.sg");
    struct Case {
        std::string path;
        const char* err;
    };
    const Case cases[] = {
        {(dir / "missing.sg").string(), "plexaro: Unable to stat file.\n"},
        {"\"" + CartridgePath("bus") + "\"", "plexaro: Unable to stat file.\n"},
        {(dir / "empty.sg").string(), "plexaro: Can't find Rom !\n"},
        {(dir / "folder.sg").string(), "plexaro: Can't find Rom !\n"},
    };
    for (const Case& c : cases) {
        const Outcome run = Play(dir, {"--headless", "--frames", "5", c.path});
        EXPECT_EQ(run.status, 1) << c.path;
        EXPECT_EQ(run.err, c.err) << c.path;
        EXPECT_EQ(run.out, "") << c.path;
    }
    testing::RemoveScratch(dir);
}

// The words after the options are joined by single spaces, so this path needs no quotes.
TEST(Player, PathWithSpacesAndOversizedFile) {
    const fs::path dir = testing::MakeScratch("spaces");
    std::vector<uint8_t> image = testing::ReadBytes(CartridgePath("bus"));
    testing::WriteFile(dir / "my bus cart.sg", image);
    Outcome run =
        Play(dir, {"--headless", "--frames", "5", (dir / "my").string(), "bus", "cart.sg"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    unsigned long long frames = 0;
    ASSERT_TRUE(IsReportLine(run.out, frames)) << run.out;
    EXPECT_EQ(frames, 5u);

    image.resize(40960 + 1, 0);
    testing::WriteFile(dir / "long.sg", image);
    run = Play(dir, {"--headless", "--frames", "5", (dir / "long.sg").string()});
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.err.find("plexaro: warning: "), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("40960"), std::string::npos) << run.err;
    testing::RemoveScratch(dir);
}

TEST(Player, MalformedScriptStopsBeforeAnyFrame) {
    const fs::path dir = testing::MakeScratch("badscript");
    const std::string script = "10 up\n# fine\n20-30 jump\n";
    testing::WriteFile(dir / "keys.txt", std::vector<uint8_t>(script.begin(), script.end()));
    const Outcome run = Play(
        dir, {"--headless", "--input", "keys.txt", "--wav", "out.wav", CartridgePath("sound")});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err.rfind("plexaro: keys.txt:3: ", 0), 0u) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_FALSE(fs::exists(dir / "out.wav"));

    const Outcome missing =
        Play(dir, {"--headless", "--input", "none.txt", CartridgePath("sound")});
    EXPECT_EQ(missing.status, 2);
    EXPECT_EQ(missing.err.rfind("plexaro: none.txt", 0), 0u) << missing.err;
    testing::RemoveScratch(dir);
}

TEST(Player, UsageErrorsHelpAndVersion) {
    const fs::path dir = testing::MakeScratch("usage");
    for (const std::vector<std::string>& words :
         std::vector<std::vector<std::string>>{{"--headless", "--fast", CartridgePath("bus")},
                                               {"--rgb", "444", CartridgePath("bus")},
                                               {"--headless"},
                                               {"--headless", "--frames"}}) {
        const Outcome run = Play(dir, words);
        EXPECT_EQ(run.status, 2) << words[1];
        EXPECT_EQ(run.err.rfind("plexaro: ", 0), 0u) << run.err;
        EXPECT_EQ(run.out, "");
    }
    const Outcome help = Play(dir, {"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--screenshot FILE"), std::string::npos);
    const Outcome version = Play(dir, {"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.rfind("plexaro ", 0), 0u);
    testing::RemoveScratch(dir);
}

// Without --headless the program says the window is missing and runs headless; either way
// it writes no file it was not asked for.
TEST(Player, WritesNothingUnasked) {
    const fs::path dir = testing::MakeScratch("quiet");
    Outcome run = Play(dir, {"--frames", "3", "--hash", CartridgePath("busy")});
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.err.find("window"), std::string::npos) << run.err;
    EXPECT_NE(run.out.find("frames: 3  "), std::string::npos) << run.out;
    run = Play(dir, {"--headless", "--frames", "3", CartridgePath("busy")});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_TRUE(fs::is_empty(dir));
    testing::RemoveScratch(dir);
}

}  // namespace
}  // namespace plexaro
