// The player's command line and its input scripts.
#include <gtest/gtest.h>

#include <vector>

#include "host/options.h"
#include "host/player/input_script.h"
#include "machine/machine.h"
#include "machine/typing.h"

namespace plexaro {
namespace {

std::string Parse(std::vector<const char*> words, PlayerOptions& options) {
    options = PlayerOptions{};
    return ParseOptions(static_cast<int>(words.size()), words.data(), options);
}

TEST(CommandLine, OptionsThenThePathWords) {
    PlayerOptions o;
    ASSERT_EQ(
        Parse({"--headless", "--frames", "42", "--screenshot", "a.png", "--wav", "b.wav", "--input",
               "c.txt", "--rgb", "555", "--video", "hardware", "--hash", "my", "game.sg"},
              o),
        "");
    EXPECT_TRUE(o.headless && o.hash);
    EXPECT_EQ(o.frames, 42u);
    EXPECT_EQ(o.screenshotPath + o.wavPath + o.inputPath, "a.pngb.wavc.txt");
    EXPECT_EQ(o.rgbMode, 0u);
    EXPECT_EQ(o.videoHardware, 1u);
    EXPECT_EQ(o.cartridgePath, "my game.sg");

    ASSERT_EQ(Parse({"\"x.sg\"", "--hash"}, o), "");  // quotes and later words are the path's
    EXPECT_EQ(o.cartridgePath, "\"x.sg\" --hash");
    EXPECT_FALSE(o.hash || o.headless);
    EXPECT_EQ(o.frames, 600u);
    EXPECT_EQ(o.rgbMode, 1u);
    EXPECT_EQ(o.videoHardware, 0u);
    ASSERT_EQ(Parse({"--video", "hardware", "--video", "simple", "g.sg"}, o), "");
    EXPECT_EQ(o.videoHardware, 0u);
    ASSERT_EQ(Parse({"--", "--odd", "name"}, o), "");
    EXPECT_EQ(o.cartridgePath, "--odd name");

    // The machine's power-on choices.
    ASSERT_EQ(Parse({"--hardware", "--board", "mapper", "--power-on-ram", "random:77", "g"}, o),
              "");
    EXPECT_EQ(o.videoHardware, 1u);
    EXPECT_EQ(o.board, 3u);       // BoardMapper
    EXPECT_EQ(o.powerOnRam, 3u);  // PowerOnRandom
    EXPECT_EQ(o.powerOnSeed, 77u);
    ASSERT_EQ(Parse({"--board", "auto", "--power-on-ram", "pattern", "g"}, o), "");
    EXPECT_EQ(o.board, 0u);
    EXPECT_EQ(o.powerOnRam, 2u);
    EXPECT_EQ(o.audioLatencyMs, 0u);  // not given: the window's default
    ASSERT_EQ(Parse({"--audio-latency", "100", "g"}, o), "");
    EXPECT_EQ(o.audioLatencyMs, 100u);
}

// What a CI job asks of a run: expectations, warnings, suites.
TEST(CommandLine, Expectations) {
    PlayerOptions o;
    ASSERT_EQ(Parse({"--headless", "--expect-hash", "0x3595EE32bc933ebc", "--expect-screenshot",
                     "a.png", "--expect-no-warnings", "g"},
                    o),
              "");
    EXPECT_TRUE(o.expectHashGiven && o.expectNoWarnings && !o.warnings);
    EXPECT_EQ(o.expectHash, 0x3595EE32BC933EBCu);
    EXPECT_EQ(o.expectScreenshotPath, "a.png");
    ASSERT_EQ(Parse({"--headless", "--expect-hash", "1f", "--warnings", "g"}, o), "");
    EXPECT_EQ(o.expectHash, 0x1Fu);
    EXPECT_TRUE(o.warnings);
    ASSERT_EQ(Parse({"--headless", "--suite", "s.txt", "--junit", "r.xml"}, o), "");
    EXPECT_EQ(o.suitePath + " " + o.junitPath, "s.txt r.xml");
    for (const auto& bad : std::vector<std::vector<const char*>>{
             {"--headless", "--expect-hash", "0x", "g"},
             {"--headless", "--expect-hash", "12345678123456781", "g"},  // 65 bits
             {"--headless", "--expect-hash", "-1", "g"},
             {"--headless", "--junit", "r.xml", "g"},
             {"--warnings", "g"}}) {
        EXPECT_NE(Parse(bad, o), "") << bad[1];
    }
}

TEST(CommandLine, UsageErrors) {
    const std::vector<std::vector<const char*>> bad = {
        {"--fullscreen", "g.sg"},
        {"--frames"},
        {"--frames", "ten", "g.sg"},
        {"--frames", "-1", "g"},
        {"--frames", "1x"},
        {"--rgb", "444", "g.sg"},
        {"--video", "Hardware", "g.sg"},
        {"--video"},
        {"--board", "sega", "g.sg"},
        {"--power-on-ram", "ones", "g.sg"},
        {"--power-on-ram", "random:", "g.sg"},
        {"--power-on-ram", "random:x", "g.sg"},
        {"--power-on-ram", "random7", "g.sg"},
        {"--wav", ""},
        {"--input"},
        {"--headless=yes"},
        {"--trace", "t.txt", "g.sg"},  // headless only
        {"--headless", "--trace"},
        {"--audio-latency", "0", "g.sg"},
        {"--audio-latency", "50ms", "g.sg"},
    };
    for (const auto& words : bad) {
        PlayerOptions o;
        EXPECT_NE(Parse(words, o), "") << words[0];
    }
}

TEST(InputScript, ControlsHeldAndEventsOnce) {
    const char* text =
        "# A comment\n"
        "\n"
        "60-119  right   # hold right\n"
        "100-130\tdown button2 pause\r\n"
        "120 button1 reset\n";
    InputScript script;
    uint32_t line = 0;
    std::string error;
    ASSERT_TRUE(ParseInputScript(text, script, line, error)) << line << ": " << error;
    const uint32_t right = 1u << JoypadRight, down = 1u << JoypadDown;
    const uint32_t button1 = 1u << JoypadButton1, button2 = 1u << JoypadButton2;
    const struct {
        uint64_t frame;
        uint32_t held;
        uint32_t pauses;
        bool reset;
    } expected[] = {
        {59, 0, 0, false},
        {60, right, 0, false},
        {100, right | down | button2, 1, false},
        {101, right | down | button2, 0, false},
        {120, down | button2 | button1, 0, true},
        {121, down | button2, 0, false},
        {131, 0, 0, false},
        {100, right | down | button2, 1, false},  // looking back starts over
    };
    for (const auto& e : expected) {
        const FrameInput input = ScriptInputForFrame(script, e.frame);
        EXPECT_EQ(input.controls, e.held) << e.frame;
        EXPECT_EQ(input.pauses, e.pauses) << e.frame;
        EXPECT_EQ(input.reset, e.reset) << e.frame;
    }
}

TEST(InputScript, AByteOrderMarkAndPausesThatAddUp) {
    // Written in any order, with a mark some editors put at the start.
    const char* text =
        "\xEF\xBB\xBF"
        "200 pause\n50-60 left\n200 pause up\n201 pause pause\n";
    InputScript script;
    uint32_t line = 0;
    std::string error;
    ASSERT_TRUE(ParseInputScript(text, script, line, error)) << line << ": " << error;
    EXPECT_EQ(ScriptInputForFrame(script, 55).controls, 1u << JoypadLeft);
    EXPECT_EQ(ScriptInputForFrame(script, 200).pauses, 2u);
    EXPECT_EQ(ScriptInputForFrame(script, 201).pauses, 2u);
    EXPECT_EQ(ScriptInputForFrame(script, 202).pauses, 0u);
}

TEST(InputScript, PlayerTwoControlsBesidePlayerOnes) {
    const char* text = "30-90 right p2-left\n60 p2-up p2-down p2-right p2-button1 p2-button2 up\n";
    InputScript script;
    uint32_t line = 0;
    std::string error;
    ASSERT_TRUE(ParseInputScript(text, script, line, error)) << line << ": " << error;
    const auto p2 = [](uint32_t button) { return 1u << (ScriptPlayer2Shift + button); };
    EXPECT_EQ(ScriptInputForFrame(script, 30).controls, (1u << JoypadRight) | p2(JoypadLeft));
    EXPECT_EQ(ScriptInputForFrame(script, 60).controls,
              (1u << JoypadRight) | (1u << JoypadUp) | p2(JoypadLeft) | p2(JoypadUp) |
                  p2(JoypadDown) | p2(JoypadRight) | p2(JoypadButton1) | p2(JoypadButton2));
    EXPECT_EQ(ScriptInputForFrame(script, 91).controls, 0u);
}

// What a text line types: each character's keys in order, SHIFT a frame early and held with
// the keys that need it, every key up again before the next, a pause after a line break, and
// a '#' inside the string no comment.
TEST(InputScript, TextIsTypedInOrderWithShifts) {
    const char* text = "5 kb-func\n20 text \"A\\\"b#\\n1\" # the rest is a comment\n";
    InputScript script;
    uint32_t line = 0;
    std::string error;
    ASSERT_TRUE(ParseInputScript(text, script, line, error)) << line << ": " << error;
    EXPECT_EQ(ScriptInputForFrame(script, 5).keys, KeyBit(KbFunc));
    EXPECT_EQ(ScriptInputForFrame(script, 19).keys, 0u);

    const KeySet shift = KeyBit(KbShift);
    std::vector<KeySet> typed;  // each change of the keys held
    KeySet last = 0;
    uint64_t lastFrame = 0;
    for (uint64_t frame = 20; frame < 400; ++frame) {
        const KeySet keys = ScriptInputForFrame(script, frame).keys;
        if (keys != last) typed.push_back(keys);
        if (keys != 0) lastFrame = frame;
        last = keys;
    }
    const std::vector<KeySet> expected = {
        KeyBit(KbA),
        0,
        shift,
        shift | KeyBit(Kb2),
        0,
        KeyBit(KbB),
        0,
        shift,
        shift | KeyBit(Kb3),
        0,
        KeyBit(KbCr),
        0,
        KeyBit(Kb1),
        0,
    };
    EXPECT_EQ(typed, expected);
    // The 1 is the sixth character, after the line break's pause.
    EXPECT_EQ(lastFrame, 20 + (4 + TypingLineSlots) * TypingSlotFrames + TypingHoldFrames);
}

TEST(InputScript, MalformedLinesNameTheirLine) {
    const std::pair<const char*, uint32_t> cases[] = {
        {"jump 10", 1},
        {"10 jump", 1},
        {"# ok\n\n10 up\n20", 4},
        {"10-5 up", 1},
        {"10- up", 1},
        {"-10 up", 1},
        {"1-2-3 up", 1},
        {"+5 up", 1},
        {"10 up\n20 Up", 2},
        {"99999999999999999999 up", 1},
        {"10 p2-pause", 1},
        {"10 p2up", 1},
        {"10 P2-up", 1},
        {"10 kb-enter", 1},
        {"10-20 text \"A\"", 1},
        {"10 up text \"A\"", 1},
        {"10 text A", 1},
        {"10 text \"A", 1},
        {"10 text \"\xC3\xA9\"", 1},  // no key types an e with an accent
        {"10 text \"\\t\"", 1},
    };
    for (const auto& [text, expectedLine] : cases) {
        InputScript script;
        uint32_t line = 0;
        std::string error;
        EXPECT_FALSE(ParseInputScript(text, script, line, error)) << text;
        EXPECT_EQ(line, expectedLine) << text;
        EXPECT_FALSE(error.empty()) << text;
    }
}

}  // namespace
}  // namespace plexaro
