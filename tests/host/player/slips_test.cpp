// The slips of a C program (slips.c) through the headless program: the warnings name the
// data and the instruction behind the video chip's and the stack's problems, without the
// false alarms SDCC's code and a long `di` gave; the profile counts calls; --break takes a
// count, a condition and continue; watches take a PC filter and a 16-bit width.
#include <gtest/gtest.h>

#include <cctype>
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

// A pattern on one line: # stands for hex digits (one or more), * for anything, ^ at the
// start and $ at the end tie it to the line's ends. (std::regex trips GCC's warnings in the
// sanitizer's build.)
bool MatchHere(const char* p, const char* s) {
    if (*p == 0) return true;
    if (*p == '$' && p[1] == 0) return *s == 0;
    if (*p == '*') {
        for (;; ++s) {
            if (MatchHere(p + 1, s)) return true;
            if (*s == 0) return false;
        }
    }
    if (*p == '#') {
        for (const char* at = s; std::isxdigit(static_cast<unsigned char>(*at)); ++at) {
            if (MatchHere(p + 1, at + 1)) return true;
        }
        return false;
    }
    return *s == *p && MatchHere(p + 1, s + 1);
}

bool Has(const std::string& text, const char* pattern) {
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (pattern[0] == '^') {
            if (MatchHere(pattern + 1, line.c_str())) return true;
            continue;
        }
        for (size_t at = 0; at <= line.size(); ++at) {
            if (MatchHere(pattern, line.c_str() + at)) return true;
        }
    }
    return false;
}

// The four hex digits after `before` ("SP down to 0x" gives 0xBE7A), or 0.
uint32_t HexAfter(const std::string& text, const std::string& before) {
    const size_t at = text.find(before);
    if (at == std::string::npos) return 0;
    return static_cast<uint32_t>(std::stoul(text.substr(at + before.size(), 4), nullptr, 16));
}

uint32_t DeepestSp(const std::string& text, const char* title) {
    return HexAfter(text, std::string(title) + ": SP down to 0x");
}

TEST(Slips, WarningsNameTheDataAndTheInstructionBehindThem) {
    const auto dir = testing::MakeScratch("slips-warnings");
    const Outcome run = Play(dir, {"--frames", "30", "--warnings"});
    EXPECT_EQ(run.status, 0) << run.err;
    const std::string& e = run.err;
    EXPECT_TRUE(Has(e, "_next_random: RAM read before it was written: at 0xC001 _rnd;")) << e;
    EXPECT_TRUE(Has(e, "_main+#: Write to ROM: at 0x# _level1+2;")) << e;
    // The dropped sprite's entry was last written by put_sprite's first OUT.
    EXPECT_TRUE(Has(e, "0x# _put_sprite: More than four sprites")) << e;
    // Interrupts were off: no handler ran, so none failed to read the status; the fault is
    // the `ei` that finds the flag still set and lets in a stale interrupt.
    EXPECT_TRUE(Has(e, "_main+#: Stale frame interrupt let in by ei; 1 time")) << e;
    EXPECT_FALSE(Has(e, "Frame interrupt not acknowledged")) << e;
    // ex (sp),hl into a freshly reserved slot reads nothing the program uses.
    EXPECT_FALSE(Has(e, "_reserve_slot")) << e;
    // The recursion runs SP over the variables (which end at 0xC006) and under 0xC000; both
    // name dive and the deepest SP, which a break where the recursion ends confirms.
    EXPECT_TRUE(Has(e,
                    "_dive+#: Stack ran into the variables: SP down to 0x#, "
                    "below the variables' end at 0xC006"))
        << e;
    EXPECT_TRUE(Has(e, "_dive+#: Stack below the console's RAM")) << e;
    const uint32_t deepest = DeepestSp(e, "Stack below the console's RAM");
    EXPECT_EQ(deepest, DeepestSp(e, "Stack ran into the variables"));
    const Outcome bottom = Play(dir, {"--frames", "30", "--break", "_dive if a == 0"});
    const uint32_t atBottom = HexAfter(bottom.out, "SP=");
    ASSERT_NE(atBottom, 0u) << bottom.out;
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
    const size_t row = csv.find("\n_wait_frame,");
    ASSERT_NE(row, std::string::npos) << csv;
    const std::string line = csv.substr(row + 1, csv.find('\n', row + 1) - row - 1);
    const unsigned long calls = std::stoul(line.substr(line.rfind(',') + 1));
    EXPECT_GT(calls, 100u);
    EXPECT_LE(calls, 120u);
    EXPECT_TRUE(Has(csv, "^_busy,*,1$")) << csv;
    testing::RemoveScratch(dir);
}

TEST(Slips, BreaksCountConditionsAndContinue) {
    const auto dir = testing::MakeScratch("slips-break");
    // next_random runs in frame 0, then after the `ei` of frame 7 at once (the stale
    // interrupt), then once a frame after line 192; total is 0 until frame 7.
    Outcome run = Play(dir, {"--frames", "60", "--break", "_next_random:4"});
    EXPECT_TRUE(Has(run.out, "^break at 0x# _next_random (frame 8, line 193,")) << run.out;
    run = Play(dir, {"--frames", "60", "--break", "_next_random:2 if word[_total] != 0"});
    EXPECT_TRUE(Has(run.out, "^break at 0x# _next_random (frame 7, line 193,")) << run.out;
    run = Play(dir, {"--frames", "3", "--break", "_put_sprite continue"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 5 * 3 + 1) << run.out;
    EXPECT_TRUE(Has(run.out, "^passed at 0x# _put_sprite ")) << run.out;
    EXPECT_FALSE(Has(run.out, "break at")) << run.out;
    EXPECT_FALSE(Has(run.err, "no breakpoint was reached")) << run.err;
    run = Play(dir, {"--break", "_dive if a =="});
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(Has(run.err, "--break _dive if a ==: the condition of *: expression ends too soon"))
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
                    "^watch w16:_total: frame # line #: pc 0x# (_main+#) wrote 0xc004 "
                    "(_total): 0x# -> 0x# (# -> #)$"))
        << run.out;
    run = Play(dir, {"--frames", "12", "--watch", "w:_rnd@pc=_next_random"});
    EXPECT_TRUE(Has(run.out, "^watch w:_rnd@pc=_next_random..0x#: frame 0 ")) << run.out;
    testing::RemoveScratch(dir);
}

}  // namespace
}  // namespace plexaro
