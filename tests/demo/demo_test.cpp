// Plays the bundled demo cartridge through the headless player with scripted joypad input and
// checks what a person would see and hear: the title, the start, the bee following the
// joypad, the input indicator, the title tune's first notes, pausing, and losing.
//
// Screen positions and colours come from the game's sources (cartridges/demo/game.c and
// make_art.py); the note periods from the note table in sound.c.
#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#define STB_IMAGE_IMPLEMENTATION
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#include <stb/stb_image.h>
#pragma GCC diagnostic pop

namespace fs = std::filesystem;

namespace {

constexpr int Width = 256;
constexpr int Height = 192;
constexpr int SamplesPerFrame = 735;
constexpr double PsgClock = 3579545.0;

struct Rgb {
    uint8_t r, g, b;
    bool operator==(const Rgb&) const = default;
};

// Colours of the console's palette that the game reserves for one purpose.
constexpr Rgb BeeColour{192, 192, 128};  // colour 11, the player's sprite only
constexpr Rgb OverBanner{160, 32, 32};   // colour 6, the game-over banner's background
constexpr Rgb PauseBanner{32, 32, 224};  // colour 4, the pause banner's background

// The game's layout: the bee starts at (120, 96); the joypad marks are cells 25 to 30 of
// row 1; the game-over banner covers rows 10 to 12, columns 8 to 23; "PAUSE" sits in row 11
// from column 12.
constexpr int BeeStartX = 120;
constexpr int BeeStartY = 96;
constexpr int BeeSpeed = 2;
constexpr int PadRow = 1;
constexpr int PadColumn = 25;

struct Picture {
    std::vector<Rgb> pixels;
    Rgb at(int x, int y) const { return pixels[static_cast<size_t>(y * Width + x)]; }
    bool operator==(const Picture&) const = default;
};

struct Box {
    int left = Width, top = Height, right = -1, bottom = -1;
    bool empty() const { return right < 0; }
};

class DemoTest : public ::testing::Test {
protected:
    void SetUp() override {
        player_ = fs::path(PLEXARO_BINARY_DIR) / "host" / "plexaro";
        image_ = fs::path(PLEXARO_BINARY_DIR) / "cartridges" / "demo" / "demo.sg";
        if (!fs::exists(player_) || !fs::exists(image_)) {
            GTEST_SKIP() << "the player or the demo image is not built";
        }
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = fs::temp_directory_path() /
               ("plexaro_demo_" + std::string(info->name()) + "_" + std::to_string(::getpid()));
        fs::create_directories(dir_);
    }
    void TearDown() override {
        if (!dir_.empty()) fs::remove_all(dir_);
    }

    // Runs the demo for `frames` frames with the given input script; returns the last frame.
    Picture Run(int frames, const std::string& script = "", const char* wav = nullptr) {
        const fs::path png = dir_ / "shot.png";
        std::string command = "'" + player_.string() + "' --headless --frames " +
                              std::to_string(frames) + " --screenshot '" + png.string() + "'";
        if (!script.empty()) {
            const fs::path input = dir_ / "input.txt";
            std::ofstream(input) << script;
            command += " --input '" + input.string() + "'";
        }
        if (wav) command += " --wav '" + (dir_ / wav).string() + "'";
        command += " -- '" + image_.string() + "' > /dev/null";
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
        return Load(png);
    }

    std::vector<int16_t> Samples(const char* wav) const {
        std::ifstream in(dir_ / wav, std::ios::binary);
        std::vector<char> bytes((std::istreambuf_iterator<char>(in)), {});
        // Walk the RIFF chunks to "data" rather than assume a 44-byte header.
        size_t at = 12;
        while (at + 8 <= bytes.size()) {
            uint32_t size = 0;
            for (int i = 0; i < 4; ++i) size |= uint32_t(uint8_t(bytes[at + 4 + i])) << (8 * i);
            if (std::string(&bytes[at], 4) == "data") {
                std::vector<int16_t> samples(size / 2);
                for (size_t i = 0; i < samples.size() && at + 9 + 2 * i < bytes.size(); ++i) {
                    samples[i] = int16_t(uint8_t(bytes[at + 8 + 2 * i]) |
                                         (uint8_t(bytes[at + 9 + 2 * i]) << 8));
                }
                return samples;
            }
            at += 8 + size + (size & 1);
        }
        ADD_FAILURE() << "no data chunk in " << wav;
        return {};
    }

    static Picture Load(const fs::path& png) {
        int w = 0, h = 0, channels = 0;
        unsigned char* data = stbi_load(png.string().c_str(), &w, &h, &channels, 3);
        Picture picture;
        if (!data || w != Width || h != Height) {
            ADD_FAILURE() << "cannot read a 256x192 picture from " << png;
            picture.pixels.assign(Width * Height, Rgb{});
        } else {
            for (int i = 0; i < Width * Height; ++i) {
                picture.pixels.push_back({data[3 * i], data[3 * i + 1], data[3 * i + 2]});
            }
        }
        stbi_image_free(data);
        return picture;
    }

    static Box Find(const Picture& picture, Rgb colour) {
        Box box;
        for (int y = 0; y < Height; ++y) {
            for (int x = 0; x < Width; ++x) {
                if (picture.at(x, y) == colour) {
                    box.left = std::min(box.left, x);
                    box.right = std::max(box.right, x);
                    box.top = std::min(box.top, y);
                    box.bottom = std::max(box.bottom, y);
                }
            }
        }
        return box;
    }

    static int Count(const Picture& picture, Rgb colour, int x0, int y0, int w, int h) {
        int n = 0;
        for (int y = y0; y < y0 + h; ++y)
            for (int x = x0; x < x0 + w; ++x) n += picture.at(x, y) == colour;
        return n;
    }

    static bool CellEqual(const Picture& a, const Picture& b, int column, int row) {
        for (int y = row * 8; y < row * 8 + 8; ++y)
            for (int x = column * 8; x < column * 8 + 8; ++x)
                if (!(a.at(x, y) == b.at(x, y))) return false;
        return true;
    }

    fs::path player_, image_, dir_;
};

TEST_F(DemoTest, TitleIsDrawnAndHoldsStillUntilAPress) {
    const Picture early = Run(60);
    const Picture later = Run(120);
    int colours = 0;
    std::array<bool, 16 * 16 * 16> seen{};
    for (const Rgb& p : early.pixels) {
        auto& s = seen[(p.r >> 4) << 8 | (p.g >> 4) << 4 | p.b >> 4];
        colours += !s;
        s = true;
    }
    EXPECT_GE(colours, 8) << "the title should be a picture, not a blank screen";
    EXPECT_TRUE(early == later) << "nothing on the title moves from one second to the next";
    EXPECT_FALSE(Find(early, BeeColour).empty()) << "the title shows the bee";
}

TEST_F(DemoTest, ButtonOneStartsAndTheBeeMovesTwoPixelsPerFrame) {
    const Picture title = Run(120);
    const Picture still = Run(120, "60 button1\n");
    EXPECT_FALSE(title == still) << "a press of button 1 starts the game";

    const Box start = Find(still, BeeColour);
    ASSERT_FALSE(start.empty());
    EXPECT_EQ(start.left, BeeStartX);  // the bee's drawing touches its left edge
    EXPECT_GE(start.top, BeeStartY);
    EXPECT_LT(start.bottom, BeeStartY + 16);

    // Thirty frames of right, then ten of up; the same frame number keeps the wing beat alike.
    const Picture moved = Run(120, "60 button1\n70-99 right\n100-109 up\n");
    const Box after = Find(moved, BeeColour);
    ASSERT_FALSE(after.empty());
    EXPECT_EQ(after.left - start.left, 30 * BeeSpeed);
    EXPECT_EQ(after.top - start.top, -10 * BeeSpeed);
    EXPECT_EQ(after.bottom - start.bottom, -10 * BeeSpeed);
}

TEST_F(DemoTest, IndicatorLightsTheMarkOfEachHeldControl) {
    const char* controls[] = {"up", "down", "left", "right", "button1", "button2"};
    const Picture idle = Run(40);
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(controls[i]);
        const Picture held = Run(40, std::string("30-39 ") + controls[i] + "\n");
        for (int mark = 0; mark < 6; ++mark) {
            EXPECT_EQ(CellEqual(idle, held, PadColumn + mark, PadRow), mark != i)
                << "mark " << mark;
        }
    }
}

// The rising crossings of the frame's mid level give the tone's period; the square wave of a
// single channel has exactly two levels, blurred only where a transition splits a sample.
double FrameFrequency(const std::vector<int16_t>& samples, int frame) {
    const int16_t* s = samples.data() + frame * SamplesPerFrame;
    int lo = s[0], hi = s[0];
    for (int i = 0; i < SamplesPerFrame; ++i)
        lo = std::min<int>(lo, s[i]), hi = std::max<int>(hi, s[i]);
    if (hi - lo < 100) return 0;
    const double mid = (lo + hi) / 2.0;
    double first = -1, last = -1;
    int rises = 0;
    for (int i = 1; i < SamplesPerFrame; ++i) {
        if (s[i - 1] < mid && s[i] >= mid) {
            const double t = i - 1 + (mid - s[i - 1]) / double(s[i] - s[i - 1]);
            if (first < 0) first = t;
            last = t;
            ++rises;
        }
    }
    if (rises < 3) return 0;
    return (rises - 1) * 44100.0 / (last - first);
}

TEST_F(DemoTest, TitleTuneOpensWithTheNotesOfTheNoteTable) {
    Run(150, "", "title.wav");
    const std::vector<int16_t> samples = Samples("title.wav");
    ASSERT_EQ(samples.size(), size_t(150 * SamplesPerFrame));

    int first = 0;
    while (first < 150 && FrameFrequency(samples, first) == 0) ++first;
    ASSERT_LT(first, 100) << "the title tune starts within the first seconds";

    // E5 G5 C6 G5 in eighths of 8 frames, tone periods from sound.c's note table.
    const int periods[] = {170, 143, 107, 143};
    constexpr int NoteFrames = 8;
    for (int n = 0; n < 4; ++n) {
        const double expected = PsgClock / (32.0 * periods[n]);
        for (int f = 1; f < 5; ++f) {  // the note's loud frames; the last one is a gap
            const double measured = FrameFrequency(samples, first + n * NoteFrames + f);
            EXPECT_NEAR(measured, expected, expected * 0.01) << "note " << n << " frame " << f;
        }
    }
}

TEST_F(DemoTest, PauseButtonFreezesTheGameShowsPauseAndSilencesIt) {
    const std::string script = "60 button1\n150 pause\n";
    const Picture first = Run(200, script, "pause.wav");
    const Picture second = Run(260, script);
    EXPECT_TRUE(first == second) << "nothing moves while paused";
    EXPECT_GT(Count(first, PauseBanner, 12 * 8, 11 * 8, 8 * 8, 8), 200) << "PAUSE is shown";

    const std::vector<int16_t> samples = Samples("pause.wav");
    ASSERT_EQ(samples.size(), size_t(200 * SamplesPerFrame));
    bool playing = false;
    for (int i = 100 * SamplesPerFrame; i < 150 * SamplesPerFrame; ++i) playing |= samples[i] != 0;
    EXPECT_TRUE(playing) << "the game's music plays before the pause";
    for (int i = 152 * SamplesPerFrame; i < 200 * SamplesPerFrame; ++i) {
        ASSERT_EQ(samples[i], 0) << "sample " << i;
    }

    const Picture resumed = Run(300, script + "261 pause\n");
    EXPECT_EQ(Count(resumed, PauseBanner, 12 * 8, 11 * 8, 8 * 8, 8), 0);
    EXPECT_FALSE(resumed == second) << "a second press resumes the game";
}

TEST_F(DemoTest, IdlePlayerLosesWithinAMinuteAndTheTitleReturns) {
    // The game-over banner stays for six seconds, so screenshots five seconds apart cannot
    // miss it.
    const std::string script = "60 button1\n";
    int over = -1;
    for (int frames = 300; frames <= 60 * 60 + 60 && over < 0; frames += 300) {
        if (Count(Run(frames, script), OverBanner, 8 * 8, 10 * 8, 16 * 8, 24) > 2000) {
            over = frames;
        }
    }
    ASSERT_GT(over, 0) << "no game over within a minute of doing nothing";
    // Six seconds later the title is back, exactly as at power-on (nothing was scored).
    EXPECT_TRUE(Run(over + 400, script) == Run(120));
}

}  // namespace
