// The player's command line and its input scripts.
#include <gtest/gtest.h>

#include <vector>

#include "host/input_script.h"
#include "host/options.h"
#include "machine/machine.h"

namespace plexaro {
namespace {

std::string Parse(std::vector<const char*> words, PlayerOptions& options) {
    options = PlayerOptions{};
    return ParseOptions(static_cast<int>(words.size()), words.data(), options);
}

TEST(CommandLine, EveryOptionThenThePath) {
    PlayerOptions o;
    ASSERT_EQ(Parse({"--headless", "--frames", "42", "--screenshot", "a.png", "--wav", "b.wav",
                     "--input", "c.txt", "--rgb", "555", "--hash", "game.sg"},
                    o),
              "");
    EXPECT_TRUE(o.headless);
    EXPECT_EQ(o.frames, 42u);
    EXPECT_EQ(o.screenshotPath, "a.png");
    EXPECT_EQ(o.wavPath, "b.wav");
    EXPECT_EQ(o.inputPath, "c.txt");
    EXPECT_EQ(o.rgbMode, 0u);
    EXPECT_TRUE(o.hash);
    EXPECT_EQ(o.cartridgePath, "game.sg");

    ASSERT_EQ(Parse({"x.sg"}, o), "");
    EXPECT_FALSE(o.headless);
    EXPECT_EQ(o.frames, 600u);
    EXPECT_EQ(o.rgbMode, 1u);
    EXPECT_FALSE(o.hash);
    EXPECT_TRUE(o.screenshotPath.empty() && o.wavPath.empty() && o.inputPath.empty());
}

// The path is every word after the options joined by single spaces, quotes and all; once
// it has started, words that look like options belong to it.
TEST(CommandLine, PathWords) {
    PlayerOptions o;
    ASSERT_EQ(Parse({"--headless", "my", "game", "(1984).sg"}, o), "");
    EXPECT_EQ(o.cartridgePath, "my game (1984).sg");
    ASSERT_EQ(Parse({"\"quoted", "name.sg\""}, o), "");
    EXPECT_EQ(o.cartridgePath, "\"quoted name.sg\"");
    ASSERT_EQ(Parse({"game.sg", "--hash"}, o), "");
    EXPECT_EQ(o.cartridgePath, "game.sg --hash");
    EXPECT_FALSE(o.hash);
    ASSERT_EQ(Parse({"--hash", "--", "--odd name"}, o), "");
    EXPECT_EQ(o.cartridgePath, "--odd name");
    ASSERT_EQ(Parse({"--hash"}, o), "");
    EXPECT_EQ(o.cartridgePath, "");
    ASSERT_EQ(Parse({"-x.sg"}, o), "");  // one dash is not an option
    EXPECT_EQ(o.cartridgePath, "-x.sg");
}

TEST(CommandLine, UsageErrors) {
    const std::vector<std::vector<const char*>> bad = {
        {"--fullscreen", "game.sg"},
        {"--frames"},
        {"--frames", "ten", "game.sg"},
        {"--frames", "-1", "g.sg"},
        {"--frames", "12x"},
        {"--frames", ""},
        {"--rgb", "444", "game.sg"},
        {"--rgb"},
        {"--screenshot"},
        {"--wav", ""},
        {"--input"},
        {"--headless=yes"},
    };
    for (const auto& words : bad) {
        PlayerOptions o;
        EXPECT_NE(Parse(words, o), "") << words[0] << " " << (words.size() > 1 ? words[1] : "");
    }
}

TEST(InputScript, TheDocumentedExample) {
    const char* text =
        "# A comment runs to the end of the line; blank lines are ignored.\n"
        "\n"
        "60-119  right            # hold right during frames 60 to 119\n"
        "120     button1          # press button 1 during frame 120 only\n"
        "130-140 up button1       # several controls at once\n"
        "200     pause            # press the console's pause button before frame 200 runs\n"
        "300     reset\n"
        "100-130\tdown button2 left\r\n";
    InputScript script;
    uint32_t line = 0;
    std::string error;
    ASSERT_TRUE(ParseInputScript(text, script, line, error)) << line << ": " << error;
    ASSERT_EQ(script.lines.size(), 6u);

    struct Expect {
        uint64_t frame;
        std::vector<uint32_t> held;
        bool pause;
        bool reset;
    };
    const Expect expected[] = {
        {0, {}, false, false},
        {59, {}, false, false},
        {60, {JoypadRight}, false, false},
        {100, {JoypadRight, JoypadDown, JoypadButton2, JoypadLeft}, false, false},
        {120, {JoypadButton1, JoypadDown, JoypadButton2, JoypadLeft}, false, false},
        {130, {JoypadUp, JoypadButton1, JoypadDown, JoypadButton2, JoypadLeft}, false, false},
        {131, {JoypadUp, JoypadButton1}, false, false},
        {141, {}, false, false},
        {200, {}, true, false},
        {201, {}, false, false},
        {300, {}, false, true},
        {301, {}, false, false},
    };
    for (const Expect& e : expected) {
        uint32_t mask = 0;
        for (uint32_t b : e.held) mask |= 1u << b;
        const FrameInput input = ScriptInputForFrame(script, e.frame);
        EXPECT_EQ(input.controls, mask) << "frame " << e.frame;
        EXPECT_EQ(input.pause, e.pause) << "frame " << e.frame;
        EXPECT_EQ(input.reset, e.reset) << "frame " << e.frame;
    }
}

// An event on a range happens once, before the range's first frame.
TEST(InputScript, EventsHappenOnceAtTheStartOfTheirRange) {
    InputScript script;
    uint32_t line = 0;
    std::string error;
    ASSERT_TRUE(ParseInputScript("10-20 pause up\n15 reset", script, line, error));
    EXPECT_TRUE(ScriptInputForFrame(script, 10).pause);
    EXPECT_FALSE(ScriptInputForFrame(script, 11).pause);
    EXPECT_EQ(ScriptInputForFrame(script, 20).controls, 1u << JoypadUp);
    EXPECT_TRUE(ScriptInputForFrame(script, 15).reset);
    EXPECT_FALSE(ScriptInputForFrame(script, 16).reset);
}

TEST(InputScript, MalformedLinesNameTheirLine) {
    struct Case {
        const char* text;
        uint32_t line;
    };
    const Case cases[] = {
        {"jump 10", 1},
        {"10 jump", 1},
        {"# fine\n\n10 up\n20", 4},  // a frame with nothing to do
        {"10-5 up", 1},
        {"10- up", 1},
        {"-10 up", 1},
        {"1-2-3 up", 1},
        {"+5 up", 1},
        {"5x up", 1},
        {"99999999999999999999999 up", 1},
        {"10 up\n20 Up", 2},  // words are lower case
        {"10 up,down", 1},
    };
    for (const Case& c : cases) {
        InputScript script;
        uint32_t line = 0;
        std::string error;
        EXPECT_FALSE(ParseInputScript(c.text, script, line, error)) << c.text;
        EXPECT_EQ(line, c.line) << c.text;
        EXPECT_FALSE(error.empty()) << c.text;
    }
}

}  // namespace
}  // namespace plexaro
