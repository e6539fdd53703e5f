// The headless tools on our C cartridge built with `sdcc --debug`: breakpoints by C line and
// function, the trace's C line column, the profile per line and the lcov tracefile. The counts
// follow from game.c: main runs one round a frame, calling fill and step once and fact(n) for
// n = 3 + (round & 3), which enters fact n times.
#include <gtest/gtest.h>

#include <sstream>

#include "tests/host/player/run_program.h"

namespace plexaro {
namespace {

namespace fs = std::filesystem;

using testing::Outcome;
using testing::ReadText;

Outcome Play(const fs::path& dir, const std::string& arguments) {
    return testing::RunProgram(
        dir, "--headless " + arguments + " " + PLEXARO_BINARY_DIR + "/cartridges/ctest/ctest.sg");
}

TEST(CDebug, BreakpointsByCLineAndFunction) {
    const auto dir = testing::MakeScratch("cbreak");
    Outcome run = Play(dir, "--frames 30 --break game.c:37");  // a declaration: no code
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("ctest.cdb: 24 symbols, 43 C lines"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("line 37 has no code; breaking at line 38"), std::string::npos);
    EXPECT_NE(run.out.find(" _fill+16 game.c:38 (frame"), std::string::npos) << run.out;
    run = Play(dir, "--frames 30 --break step");  // a static function: only the .cdb names it
    EXPECT_NE(run.out.find("break at 0x0114 _step game.c:46"), std::string::npos) << run.out;
    run = Play(dir, "--frames 30 --break game.c:400");
    EXPECT_EQ(run.status, 2);
    testing::RemoveScratch(dir);
}

TEST(CDebug, TraceProfileAndLcovSpeakInCLines) {
    const auto dir = testing::MakeScratch("clines");
    ASSERT_EQ(Play(dir, "--frames 3 --trace t.txt").status, 0);
    EXPECT_NE(ReadText(dir / "t.txt").find(" _fact+3              game.c:28      "),
              std::string::npos);
    const Outcome run = Play(dir, "--frames 120 --profile-lines lines.csv --coverage-lcov c.info");
    ASSERT_EQ(run.status, 0) << run.err;

    // Waiting for the frame interrupt takes nearly all the time.
    const std::string lines = ReadText(dir / "lines.csv");
    EXPECT_TRUE(
        lines.starts_with("file,line,function,cycles,percent,cycles_per_frame,runs\n"
                          "game.c,59,wait_frame,"))
        << lines;

    const std::string lcov = ReadText(dir / "c.info");
    EXPECT_EQ(lcov.substr(0, 14), "TN:\nSF:game.c\n");
    for (const char* record : {"FN:25,fact\n", "FN:46,step\n", "FNDA:540,fact\n", "FNDA:120,fill\n",
                               "FNDA:1,main\n", "FNF:5\nFNH:5\n",
                               "DA:29,120\n",  // fact's "return 1;": once a round
                               "DA:40,720\n",  // the first loop's body, six times a round
                               "DA:53,0\n",    // x never falls below 10: never run
                               "end_of_record\n"}) {
        EXPECT_NE(lcov.find(record), std::string::npos) << record;
    }
    // LF and LH agree with the DA lines.
    size_t found = 0;
    size_t hit = 0;
    std::istringstream in(lcov);
    for (std::string line; std::getline(in, line);) {
        if (!line.starts_with("DA:")) continue;
        ++found;
        hit += !line.ends_with(",0");
    }
    EXPECT_NE(lcov.find("LF:" + std::to_string(found) + "\nLH:" + std::to_string(hit) + "\n"),
              std::string::npos)
        << lcov;
    testing::RemoveScratch(dir);
}

}  // namespace
}  // namespace plexaro
