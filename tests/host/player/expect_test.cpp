// The program run headless as a CI job runs it: expected hashes and pictures, the checks'
// warnings, and suites of cases with their JUnit report.
#include <gtest/gtest.h>

#include <cstdio>

#include "host/player/suite.h"
#include "tests/host/player/run_program.h"
#include "tests/machine/test_cartridges.h"

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
using testing::WriteText;

Outcome Play(const fs::path& dir, const std::string& words) {
    return testing::RunProgram(dir, words);
}

std::string FrameHash(const std::string& out) {
    const size_t at = out.find("frame hash: ");
    return at == std::string::npos ? "" : out.substr(at + 12, 18);
}

TEST(Expect, HashAndPicture) {
    const fs::path dir = testing::MakeScratch("expect");
    const std::string busy = CartridgePath("busy");
    const Outcome reference =
        Play(dir, "--headless --frames 20 --hash --screenshot ref.png " + busy);
    ASSERT_EQ(reference.status, 0) << reference.err;
    const std::string hash = FrameHash(reference.out);
    ASSERT_EQ(hash.size(), 18u);

    EXPECT_EQ(Play(dir, "--headless --frames 20 --expect-hash " + hash + " " + busy).status, 0);
    EXPECT_EQ(Play(dir, "--headless --frames 20 --expect-screenshot ref.png " + busy).status, 0);
    EXPECT_FALSE(fs::exists(dir / "ref.png.diff.png"));

    // One frame later the sprites have moved: both fail, saying what they found.
    const Outcome hashLater =
        Play(dir, "--headless --frames 21 --expect-hash " + hash + " " + busy);
    EXPECT_EQ(hashLater.status, 3);
    EXPECT_NE(hashLater.err.find("not the expected " + hash), std::string::npos) << hashLater.err;
    const Outcome later = Play(dir, "--headless --frames 21 --expect-screenshot ref.png " + busy);
    EXPECT_EQ(later.status, 3);
    EXPECT_NE(later.err.find("pixels of the last frame differ (its hash is 0x"), std::string::npos)
        << later.err;

    // The difference picture: red where they differ, grey elsewhere, and some of each.
    int width = 0, height = 0, channels = 0;
    uint8_t* diff = stbi_load((dir / "ref.png.diff.png").c_str(), &width, &height, &channels, 3);
    ASSERT_NE(diff, nullptr);
    ASSERT_EQ(width * height, 256 * 192);
    int red = 0, grey = 0;
    for (int i = 0; i < width * height; ++i) {
        const uint8_t* p = diff + i * 3;
        red += p[0] == 0xFF && p[1] == 0 && p[2] == 0;
        grey += p[0] == p[1] && p[1] == p[2];
    }
    stbi_image_free(diff);
    EXPECT_GT(red, 0);
    EXPECT_GT(grey, 0);
    EXPECT_EQ(red + grey, width * height);

    WriteText(dir / "not.png", "not a picture");
    EXPECT_EQ(Play(dir, "--headless --frames 1 --expect-screenshot not.png " + busy).status, 3);
    EXPECT_EQ(Play(dir, "--headless --expect-hash 0xZZ " + busy).status, 2);
    testing::RemoveScratch(dir);
}

TEST(Expect, Warnings) {
    const fs::path dir = testing::MakeScratch("warnings");
    const std::string problems = CartridgePath("problems");
    WriteText(dir / "left.txt", "0 left\n");
    const Outcome clean = Play(dir, "--headless --frames 10 --expect-no-warnings " + problems);
    EXPECT_EQ(clean.status, 0) << clean.err;
    EXPECT_EQ(clean.err, "");

    const Outcome listed =
        Play(dir, "--headless --frames 10 --warnings --input left.txt " + problems);
    EXPECT_EQ(listed.status, 0);
    EXPECT_NE(
        listed.err.find("plexaro: 1 warning (1 occurrence):\n  0x0088 start+32: Write to ROM: at "
                        "0x1000; 1 time, first in frame 0, line "),
        std::string::npos)
        << listed.err;
    const Outcome failed =
        Play(dir, "--headless --frames 10 --expect-no-warnings --input left.txt " + problems);
    EXPECT_EQ(failed.status, 3);
    // The symbols beside the cartridge name the place, as --warnings does.
    EXPECT_NE(failed.err.find("the first is 0x0088 start+32: Write to ROM"), std::string::npos)
        << failed.err;
    testing::RemoveScratch(dir);
}

TEST(Suite, FileParsing) {
    std::vector<SuiteCase> cases;
    uint32_t line = 0;
    std::string error;
    ASSERT_TRUE(
        ParseSuite("# defaults\ncartridge game.sg\nframes 60\n\ncase a\nhash 0x12 # c\n"
                   "case b\nframes 5\ninput keys.txt\nscreenshot b.png\noptions --hardware "
                   " --expect-no-warnings\n",
                   cases, line, error))
        << error;
    ASSERT_EQ(cases.size(), 2u);
    EXPECT_EQ(SuiteCaseArguments(cases[0]),
              (std::vector<std::string>{"--headless", "--frames", "60", "--expect-hash", "0x12",
                                        "--", "game.sg"}));
    EXPECT_EQ(SuiteCaseArguments(cases[1]),
              (std::vector<std::string>{"--headless", "--frames", "5", "--input", "keys.txt",
                                        "--expect-screenshot", "b.png", "--hardware",
                                        "--expect-no-warnings", "--", "game.sg"}));

    const struct {
        const char* text;
        uint32_t line;
    } wrong[] = {{"case a\ncartridge x\ncolour red\n", 3},
                 {"case a\n", 1},
                 {"cartridge x\n", 1},
                 {"cartridge x\ncase a\ncase a\n", 3},
                 {"cartridge x\ncase\n", 2}};
    for (const auto& bad : wrong) {
        std::vector<SuiteCase> ignored;
        EXPECT_FALSE(ParseSuite(bad.text, ignored, line, error)) << bad.text;
        EXPECT_EQ(line, bad.line) << bad.text << error;
    }
}

// Four cases in parallel, two failing; paths relative to the suite file, which lives
// elsewhere than where the program runs.
TEST(Suite, RunsInParallelAndReports) {
    const fs::path dir = testing::MakeScratch("suite");
    fs::create_directories(dir / "ci");
    const Outcome reference = Play(
        dir / "ci", "--headless --frames 20 --hash --screenshot ref.png " + CartridgePath("busy"));
    const std::string hash = FrameHash(reference.out);
    WriteText(dir / "ci" / "left.txt", "0 left\n");
    WriteText(dir / "ci" / "game.suite",
              "cartridge " + CartridgePath("busy") + "\nframes 20\n" + "case by-hash\nhash " +
                  hash + "\n" + "case by-picture\nscreenshot ref.png\n" +
                  "case wrong-hash\nhash 0x0123456789abcdef\n" + "case rom-write\ncartridge " +
                  CartridgePath("problems") + "\ninput left.txt\noptions --expect-no-warnings\n");
    const Outcome run = Play(dir, "--headless --suite ci/game.suite --junit report.xml");
    EXPECT_EQ(run.status, 3) << run.err;
    EXPECT_NE(run.out.find("ok    by-hash ("), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("ok    by-picture ("), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("FAIL  wrong-hash ("), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("): the last frame's hash is " + hash), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("FAIL  rom-write ("), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("4 cases, 2 passed, 2 failed"), std::string::npos) << run.out;

    const std::string xml = ReadText(dir / "report.xml");
    EXPECT_NE(xml.find("<testsuite name=\"game\" tests=\"4\" failures=\"2\" errors=\"0\""),
              std::string::npos)
        << xml;
    EXPECT_NE(xml.find("<testcase classname=\"game\" name=\"by-picture\""), std::string::npos);
    EXPECT_NE(xml.find("<failure message=\"the last frame's hash is " + hash), std::string::npos);

    WriteText(dir / "bad.suite", "case a\n");
    const Outcome bad = Play(dir, "--headless --suite bad.suite");
    EXPECT_EQ(bad.status, 2);
    EXPECT_NE(bad.err.find("bad.suite:1: case 'a' has no cartridge"), std::string::npos) << bad.err;
    testing::RemoveScratch(dir);
}

}  // namespace
}  // namespace plexaro
