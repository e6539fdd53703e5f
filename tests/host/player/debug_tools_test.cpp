// The debugger's tools through the headless program on busy.sg, whose symbol files the build
// writes beside it: a breakpoint by label, watchpoints, the profile and coverage, and a
// plain run that loads no symbols at all.
#include <gtest/gtest.h>

#include <sstream>

#include "tests/host/player/run_program.h"
#include "tests/machine/test_cartridges.h"

namespace plexaro {
namespace {

namespace fs = std::filesystem;

using testing::Outcome;
using testing::ReadText;

// Headless runs of busy.sg.
Outcome Play(const fs::path& dir, const std::string& arguments) {
    return testing::RunProgram(dir,
                               "--headless " + arguments + " " + testing::CartridgePath("busy"));
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// busy.s: start fills video memory for eleven frames, then enables the frame interrupt,
// whose handler (no label: it sits at 0x0038) counts FRAME and calls names at 0x00D7.
TEST(DebugTools, BreakByLabelPrintsTheRegistersAndTheLastInstructions) {
    const auto dir = testing::MakeScratch("break");
    Outcome run = Play(dir, "--frames 30 --break names");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("busy.sym: 13 symbols"), std::string::npos) << run.err;
    const auto lines = Lines(run.out);
    ASSERT_GE(lines.size(), 21u);
    EXPECT_EQ(lines[0].substr(0, 25), "break at 0x00d7 names (fr");
    EXPECT_NE(lines[1].find("PC=00d7"), std::string::npos);
    EXPECT_EQ(lines[3], "the last instructions, oldest first:");
    // Sixteen, the handler's last ones naming what they touch, and the run's report.
    EXPECT_NE(lines[18].find("ld (FRAME), hl"), std::string::npos) << lines[18];
    EXPECT_NE(lines[19].find("call names"), std::string::npos) << lines[19];
    EXPECT_EQ(lines[20].substr(0, 10), "frames: 11");

    run = Play(dir, "--frames 30 --break nowhere");
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("--break nowhere: no such symbol or address"), std::string::npos);
    run = Play(dir, "--frames 2 --break 0x9fff");  // never reached: the run ends as usual
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.err.find("no breakpoint was reached in 2 frames"), std::string::npos);
    testing::RemoveScratch(dir);
}

TEST(DebugTools, WatchesPrintEachHit) {
    const auto dir = testing::MakeScratch("watch");
    Outcome run = Play(dir, "--frames 15 --watch w:FRAME=3 --watch out:0x7f=0x9f");
    EXPECT_EQ(run.status, 0) << run.err;
    const auto lines = Lines(run.out);
    ASSERT_EQ(lines.size(), 3u) << run.out;
    EXPECT_EQ(lines[0],
              "watch out:0x7f=0x9f: frame 11 line 107: pc 0x008f (start+39) out 0x9f "
              "to port 0x7f");
    EXPECT_EQ(lines[1],
              "watch w:FRAME=0x03: frame 12 line 193: pc 0x0042 wrote 0x03 to 0xc000 "
              "(FRAME)");
    run = Play(dir, "--watch x:0xc000");
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("a watch's kind is r, w, rw, in, out or io, not 'x'"),
              std::string::npos);
    testing::RemoveScratch(dir);
}

TEST(DebugTools, ProfileAndCoverage) {
    const auto dir = testing::MakeScratch("profile");
    const Outcome run = Play(dir, "--frames 120 --profile " + (dir / "p.csv").string() +
                                      " --coverage " + (dir / "c.txt").string());
    ASSERT_EQ(run.status, 0) << run.err;
    const auto csv = Lines(ReadText(dir / "p.csv"));
    ASSERT_GE(csv.size(), 8u);
    EXPECT_EQ(csv[0], "symbol,address,cycles,percent,cycles_per_frame,calls");
    EXPECT_EQ(csv[1].substr(0, 11), "names,0x00d");  // the handler's biggest callee
    double percent = 0;
    uint64_t cycles = 0;
    for (size_t i = 1; i < csv.size(); ++i) {
        std::istringstream row(csv[i]);
        std::string field[6];
        for (std::string& f : field) std::getline(row, f, ',');
        percent += std::stod(field[3]);
        cycles += std::stoull(field[2]);
    }
    EXPECT_NEAR(percent, 100.0, 0.1);
    // Every cycle of the 120 frames: at least 227 a line, and a line's overrun at most 23.
    EXPECT_GE(cycles, 120u * 262u * 227u);
    EXPECT_LT(cycles, 120u * 262u * 250u);

    const std::string coverage = ReadText(dir / "c.txt");
    EXPECT_EQ(coverage.substr(0, 10), "coverage: ");
    EXPECT_NE(coverage.find("\nstart                                    54         54\n"),
              std::string::npos)
        << coverage;
    EXPECT_NE(coverage.find("\nregisters                                 0          8\n"),
              std::string::npos);  // the table of register values is data
    EXPECT_NE(coverage.find("0x015d-0x0164      8 bytes  registers"), std::string::npos);
    testing::RemoveScratch(dir);
}

TEST(DebugTools, WithSymbolsTheTraceNamesEachInstructionsPlace) {
    const auto dir = testing::MakeScratch("trace");
    const Outcome run = Play(dir, "--frames 1 --trace " + (dir / "t.txt").string());
    ASSERT_EQ(run.status, 0) << run.err;
    const auto lines = Lines(ReadText(dir / "t.txt"));
    ASSERT_GT(lines.size(), 5u);
    EXPECT_EQ(lines[3].substr(0, 66),
              "000000 000 022 0006                      c3 68 00     jp start    ");
    EXPECT_EQ(lines[5].substr(0, 60),
              "000000 000 042 006b start+3              06 08        ld b, ");
    testing::RemoveScratch(dir);
}

TEST(DebugTools, APlainRunLoadsNoSymbols) {
    const auto dir = testing::MakeScratch("plain");
    const Outcome run = Play(dir, "--frames 2");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    testing::RemoveScratch(dir);
}

}  // namespace
}  // namespace plexaro
