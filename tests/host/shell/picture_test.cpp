// Where the picture goes: every aspect and scaling on a 1280x800 screen worked out by hand,
// the sizes of Size x N in the television's aspect, and over a spread of odd and tiny rooms
// the rules any placement must keep. Then the Video menu's choices through the shell: the
// window's new size, "Strech" in step with Aspect, the filter, and the settings file.
#include "host/shell/picture.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "host/shell/settings.h"
#include "host/shell/shell.h"
#include "tests/host/shell/shell_fakes.h"
#include "tests/machine/test_cartridges.h"

namespace plexaro {
namespace {

int32_t WidthOf(const Rect& r) {
    return r.right - r.left;
}
int32_t HeightOf(const Rect& r) {
    return r.bottom - r.top;
}

TEST(PictureRect, EachChoiceOnA1280x800Screen) {
    const Rect screen{0, 0, 1280, 800};
    struct Case {
        PictureLook look;
        Rect expected;
    };
    const Case cases[] = {
        // 800 lines of 32:21 are 1219.05 wide.
        {{AspectConsole, ScalingFit, FilterSharp}, {30, 0, 1249, 800}},
        {{AspectSquare, ScalingFit, FilterSharp}, {106, 0, 1173, 800}},
        {{AspectStretch, ScalingFit, FilterSharp}, {0, 0, 1280, 800}},
        // Four times the lines: 768, and 1170.29 wide in the television's shape.
        {{AspectConsole, ScalingInteger, FilterSharp}, {55, 16, 1225, 784}},
        {{AspectSquare, ScalingInteger, FilterSharp}, {128, 16, 1152, 784}},
        {{AspectStretch, ScalingInteger, FilterSharp}, {0, 16, 1280, 784}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PictureRect(screen, c.look), c.expected)
            << PictureAspectName(c.look.aspect) << " " << PictureScalingName(c.look.scaling);
    }
}

TEST(PictureRect, SizeXNInTheTelevisionsShapeIsFilledExactly) {
    const PictureSize sizes[] = {{293, 192}, {585, 384}, {878, 576}, {1170, 768}};
    for (uint32_t scale = 1; scale <= 4; ++scale) {
        const PictureSize size = PictureAtScale(scale, AspectConsole);
        EXPECT_EQ(size, sizes[scale - 1]) << scale;
        EXPECT_EQ(PictureAtScale(scale, AspectSquare),
                  (PictureSize{256 * int32_t(scale), 192 * int32_t(scale)}));
        // The window at that size shows the picture edge to edge, however it is scaled: a
        // width rounded one way for the size and the other for the fit would leave a seam.
        const Rect area{0, 19, size.width, 19 + size.height};
        for (uint32_t scaling = 0; scaling < ScalingCount; ++scaling) {
            EXPECT_EQ(PictureRect(area, {AspectConsole, scaling, FilterSharp}), area)
                << scale << " " << PictureScalingName(scaling);
        }
    }
    EXPECT_EQ(PictureIntegerScale(1280, 800, AspectConsole), 4u);
    EXPECT_EQ(PictureIntegerScale(1169, 800, AspectConsole), 3u);  // four is 1170 wide
    EXPECT_EQ(PictureIntegerScale(1024, 767, AspectSquare), 3u);
    EXPECT_EQ(PictureIntegerScale(292, 192, AspectConsole), 0u);
}

// Any room, odd, tiny or offset: the picture lies inside it, centred to within a pixel, in
// its shape to within a pixel; integer scaling gives whole multiples of the lines unless the
// room can't hold one, when it fits instead.
TEST(PictureRect, AnyRoomHoldsThePictureCentredInItsShape) {
    const int32_t sizes[] = {1,   2,   3,   7,   100, 191, 192, 193,
                             255, 256, 257, 293, 383, 511, 577, 801};
    for (int32_t width : sizes) {
        for (int32_t height : sizes) {
            const Rect area{5, 19, 5 + width, 19 + height};
            for (uint32_t aspect = 0; aspect < AspectCount; ++aspect) {
                for (uint32_t scaling = 0; scaling < ScalingCount; ++scaling) {
                    const Rect r = PictureRect(area, {aspect, scaling, FilterSharp});
                    const std::string what = std::to_string(width) + "x" + std::to_string(height) +
                                             " " + PictureAspectName(aspect) + " " +
                                             PictureScalingName(scaling);
                    ASSERT_GE(r.left, area.left) << what;
                    ASSERT_GE(r.top, area.top) << what;
                    ASSERT_LE(r.right, area.right) << what;
                    ASSERT_LE(r.bottom, area.bottom) << what;
                    ASSERT_GT(WidthOf(r), 0) << what;
                    ASSERT_GT(HeightOf(r), 0) << what;
                    const int32_t leftGap = r.left - area.left, rightGap = area.right - r.right;
                    const int32_t topGap = r.top - area.top, bottomGap = area.bottom - r.bottom;
                    ASSERT_TRUE(rightGap - leftGap == 0 || rightGap - leftGap == 1) << what;
                    ASSERT_TRUE(bottomGap - topGap == 0 || bottomGap - topGap == 1) << what;
                    if (aspect != AspectStretch) {
                        // width : height as 32:21 or 4:3, to within rounding on either side.
                        const int64_t w = aspect == AspectConsole ? 2048 : 256;
                        const int64_t h = aspect == AspectConsole ? 1344 : 192;
                        const int64_t off = int64_t{WidthOf(r)} * h - int64_t{HeightOf(r)} * w;
                        ASSERT_LE(std::llabs(off), std::max(w, h)) << what;
                    } else if (scaling == ScalingFit) {
                        ASSERT_EQ(r, area) << what;
                    }
                    const bool holdsOne = PictureIntegerScale(width, height, aspect) > 0;
                    if (scaling == ScalingInteger && holdsOne) {
                        ASSERT_EQ(HeightOf(r) % 192, 0) << what;
                    }
                    if (scaling == ScalingInteger && !holdsOne && aspect != AspectStretch) {
                        ASSERT_EQ(r, PictureRect(area, {aspect, ScalingFit, FilterSharp})) << what;
                    }
                }
            }
        }
    }
    EXPECT_EQ(WidthOf(PictureRect({10, 10, 10, 50}, {})), 0);  // no room: nothing drawn
    EXPECT_EQ(HeightOf(PictureRect({10, 10, 40, 4}, {})), 0);
}

// The file's words are read back by the settings round trip; a word that is none keeps the
// default rather than leaving a choice out of range.
TEST(PictureSettings, AnUnknownWordKeepsTheDefault) {
    SettingsProblem problem{};
    const Settings read = SettingsFromText("aspect = Console\nscaling = integer\n", &problem);
    EXPECT_EQ(problem.count, 1u);
    EXPECT_EQ(read.picture, (PictureLook{AspectSquare, ScalingInteger, FilterSharp}));
}

class ShellPicture : public ::testing::Test {
protected:
    void SetUp() override {
        fake::Reset();
        LoadSettings("");
        ShellLoadFromCommandLine(testing::CartridgePath("busy"));
        ASSERT_TRUE(ShellStart(1, 0));
        RunPosted();
    }
    void TearDown() override {
        ShellShutdown();
        LoadSettings("");
    }
    static void RunPosted() {
        std::vector<uint32_t> posted;
        posted.swap(fake::window.posted);
        for (uint32_t id : posted) ShellCommand(id);
    }
};

TEST_F(ShellPicture, AspectSizesTheWindowAndStrechFollowsIt) {
    EXPECT_EQ(ShellPictureLook(), PictureLook{});  // square, fit, sharp
    EXPECT_EQ(fake::display.filter, uint32_t{FilterSharp});
    ShellCommand(CommandAspectConsole);
    RunPosted();  // the checked size again, in the new shape
    EXPECT_EQ(fake::window.width, 585);
    EXPECT_EQ(fake::window.height, 384);
    ShellFramePass();
    EXPECT_EQ(fake::display.lastDest, (Rect{0, 19, 585, 403}));

    // "Strech" is the stretch aspect, and goes back to the shape chosen before it.
    ShellCommand(CommandStrech);
    EXPECT_EQ(ShellPictureLook().aspect, uint32_t{AspectStretch});
    RunPosted();
    EXPECT_EQ(fake::window.width, 512);
    ShellCommand(CommandStrech);
    EXPECT_EQ(ShellPictureLook().aspect, uint32_t{AspectConsole});
    ShellCommand(CommandAspectConsole + uint32_t{AspectSquare});
    ShellCommand(CommandAspectConsole +
                 uint32_t{AspectStretch});  // from Aspect: "Strech" unchecks it
    ShellCommand(CommandStrech);
    EXPECT_EQ(ShellPictureLook().aspect, uint32_t{AspectSquare});
    RunPosted();

    // A window the player sized keeps its size, and the picture fits it.
    fake::window.width = 900;
    fake::window.height = 681;
    ShellCommand(CommandAspectConsole);
    EXPECT_TRUE(fake::window.posted.empty());
    ShellFramePass();
    EXPECT_EQ(fake::display.lastDest, (Rect{0, 64, 900, 655}));

    // Full screen keeps its size: a new shape only changes the picture.
    ShellCommand(CommandFullscreen);
    ShellCommand(CommandAspectConsole + uint32_t{AspectSquare});
    EXPECT_TRUE(fake::window.posted.empty());
    ShellFramePass();
    EXPECT_EQ(fake::display.lastDest, (Rect{106, 0, 1173, 800}));
}

TEST_F(ShellPicture, ChoicesReachTheDisplayAndStayInTheSettings) {
    ShellCommand(CommandAspectConsole);
    ShellCommand(CommandScalingFit + uint32_t{ScalingInteger});
    ShellCommand(CommandFilterSharp + uint32_t{FilterScanlines});
    EXPECT_EQ(fake::display.filter, uint32_t{FilterScanlines});
    const PictureLook chosen{AspectConsole, ScalingInteger, FilterScanlines};
    EXPECT_EQ(SavedSettings().picture, chosen);
    const std::string text = SettingsText(SavedSettings());
    EXPECT_NE(text.find("aspect = console\nscaling = integer\nfilter = scanlines\n"),
              std::string::npos)
        << text;

    // The next start takes them from the file.
    ShellShutdown();
    fake::Reset();
    ShellLoadFromCommandLine(testing::CartridgePath("busy"));
    ASSERT_TRUE(ShellStart(1, 0));
    EXPECT_EQ(ShellPictureLook(), chosen);
    EXPECT_EQ(fake::display.filter, uint32_t{FilterScanlines});
    RunPosted();
    EXPECT_EQ(fake::window.width, 585);  // Size x 2 in the television's shape
}

}  // namespace
}  // namespace plexaro
