// The slips of a C program (slips.c) through the headless program: the warnings name the
// data and the instruction behind the video chip's and the stack's problems, without the
// false alarms SDCC's code and a long `di` gave; the profile counts calls; --break takes a
// count, a condition and continue; watches take a PC filter and a 16-bit width.
#include <gtest/gtest.h>

#include <regex>
#include <sstream>

#include "tests/host/player/run_program.h"
#include "tests/machine/test_cartridges.h"

namespace plexaro {
namespace {

namespace fs = std::filesystem;

using testing::Outcome;

// Each argument a word of its own, spaces and all.
Outcome Play(const fs::path& dir, std::vector<std::string> words) {
    words.insert(words.begin(), "--headless");
    words.push_back(testing::CartridgePath("slips"));
    return testing::RunProgram(dir, words);
}

bool Has(const std::string& text, const char* pattern) {
    return std::regex_search(text, std::regex(pattern));
}

// The deepest SP a warning gives ("SP down to 0xBE7A"), or 0.
uint32_t DeepestSp(const std::string& text, const char* title) {
    std::smatch match;
    const std::string pattern = std::string(title) + ": SP down to 0x([0-9A-F]{4})";
    if (!std::regex_search(text, match, std::regex(pattern))) return 0;
    return static_cast<uint32_t>(std::stoul(match[1].str(), nullptr, 16));
}

TEST(Slips, WarningsNameTheDataAndTheInstructionBehindThem) {
    const auto dir = testing::MakeScratch("slips-warnings");
    const Outcome run = Play(dir, {"--frames", "30", "--warnings"});
    EXPECT_EQ(run.status, 0) << run.err;
    const std::string& e = run.err;
    EXPECT_TRUE(Has(e, "_next_random: RAM read before it was written: at 0xC001 _rnd;")) << e;
    EXPECT_TRUE(Has(e, "_main\\+\\d+: Write to ROM: at 0x[0-9A-F]{4} _level1\\+2;")) << e;
    // The dropped sprite's entry was last written by put_sprite's first OUT.
    EXPECT_TRUE(Has(e, "0x[0-9A-F]{4} _put_sprite: More than four sprites")) << e;
    // Interrupts were off: no handler ran, so none failed to read the status; the fault is
    // the `ei` that finds the flag still set and lets in a stale interrupt.
    EXPECT_TRUE(Has(e, "_main\\+\\d+: Stale frame interrupt let in by ei; 1 time")) << e;
    EXPECT_FALSE(Has(e, "Frame interrupt not acknowledged")) << e;
    // ex (sp),hl into a freshly reserved slot reads nothing the program uses.
    EXPECT_FALSE(Has(e, "_reserve_slot")) << e;
    // The recursion runs SP over the variables (which end at 0xC006) and under 0xC000; both
    // name dive and the deepest SP, which a break where the recursion ends confirms.
    EXPECT_TRUE(Has(e,
                    "_dive\\+\\d+: Stack ran into the variables: SP down to 0x[0-9A-F]{4}, "
                    "below the variables' end at 0xC006"))
        << e;
    EXPECT_TRUE(Has(e, "_dive\\+\\d+: Stack below the console's RAM")) << e;
    const uint32_t deepest = DeepestSp(e, "Stack below the console's RAM");
    EXPECT_EQ(deepest, DeepestSp(e, "Stack ran into the variables"));
    const Outcome bottom = Play(dir, {"--frames", "30", "--break", "_dive if a == 0"});
    std::smatch sp;
    ASSERT_TRUE(std::regex_search(bottom.out, sp, std::regex("SP=([0-9a-f]{4})"))) << bottom.out;
    const uint32_t atBottom = static_cast<uint32_t>(std::stoul(sp[1].str(), nullptr, 16));
    EXPECT_LT(deepest, atBottom);  // dive's own frame goes deeper still
    EXPECT_GT(deepest + 64, atBottom);
    testing::RemoveScratch(dir);
}

TEST(Slips, TheProfileCountsCallsNotRunsOfTheFirstInstruction) {
    const auto dir = testing::MakeScratch("slips-profile");
    const Outcome run = Play(dir, {"--frames", "120", "--profile", (dir / "p.csv").string()});
    EXPECT_EQ(run.status, 0) << run.err;
    const std::string csv = testing::ReadText(dir / "p.csv");
    // wait_frame begins with its loop and is called once a frame; busy once in all.
    std::smatch calls;
    ASSERT_TRUE(std::regex_search(csv, calls, std::regex("\n_wait_frame,[^\n]*,(\\d+)\n"))) << csv;
    EXPECT_GT(std::stoul(calls[1].str()), 100u);
    EXPECT_LE(std::stoul(calls[1].str()), 120u);
    EXPECT_TRUE(Has(csv, "\n_busy,[^\n]*,1\n")) << csv;
    testing::RemoveScratch(dir);
}

TEST(Slips, BreaksCountConditionsAndContinue) {
    const auto dir = testing::MakeScratch("slips-break");
    // next_random runs in frame 0, then after the `ei` of frame 7 at once (the stale
    // interrupt), then once a frame after line 192; total is 0 until frame 7.
    Outcome run = Play(dir, {"--frames", "60", "--break", "_next_random:4"});
    EXPECT_TRUE(Has(run.out, "^break at 0x[0-9a-f]{4} _next_random \\(frame 8, line 193,"))
        << run.out;
    run = Play(dir, {"--frames", "60", "--break", "_next_random:2 if word[_total] != 0"});
    EXPECT_TRUE(Has(run.out, "^break at 0x[0-9a-f]{4} _next_random \\(frame 7, line 193,"))
        << run.out;
    run = Play(dir, {"--frames", "3", "--break", "_put_sprite continue"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 5 * 3 + 1) << run.out;
    EXPECT_TRUE(Has(run.out, "^passed at 0x[0-9a-f]{4} _put_sprite ")) << run.out;
    EXPECT_FALSE(Has(run.out, "break at")) << run.out;
    EXPECT_FALSE(Has(run.err, "no breakpoint was reached")) << run.err;
    run = Play(dir, {"--break", "_dive if a =="});
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(
        Has(run.err, "--break _dive if a ==: the condition of .*: expression ends too soon"))
        << run.err;
    testing::RemoveScratch(dir);
}

TEST(Slips, WatchesFilteredByPcAndSixteenBitsWide) {
    const auto dir = testing::MakeScratch("slips-watch");
    Outcome run =
        Play(dir, {"--frames", "12", "--watch", "w:_rnd@pc=_main", "--watch", "w16:_total"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_FALSE(Has(run.out, "w:_rnd")) << run.out;  // only next_random writes it
    // One line per instruction that writes total, with the whole value before and after.
    EXPECT_TRUE(Has(run.out,
                    "watch w16:_total: frame \\d+ line \\d+: pc 0x[0-9a-f]{4} \\(_main"
                    "\\+\\d+\\) wrote 0xc004 \\(_total\\): 0x[0-9a-f]{4} -> "
                    "0x[0-9a-f]{4} \\(\\d+ -> \\d+\\)\n"))
        << run.out;
    run = Play(dir, {"--frames", "12", "--watch", "w:_rnd@pc=_next_random"});
    EXPECT_TRUE(Has(run.out, "^watch w:_rnd@pc=_next_random\\.\\.0x[0-9a-f]{4}: frame 0 "))
        << run.out;
    testing::RemoveScratch(dir);
}

}  // namespace
}  // namespace plexaro
