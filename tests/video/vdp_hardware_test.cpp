// The video chip's hardware behaviour: each place where it parts from the simple one, in
// small scenes whose rows follow from the TMS9918A's rules.
#include <gtest/gtest.h>

#include <array>
#include <initializer_list>
#include <vector>

#include "tests/video/vdp_test_support.h"

namespace plexaro {
namespace {

using test::Colour;
using test::Fill;
using test::Pixels;
using test::Poke;
using test::Repeat;
using test::Row;
using test::SetRegister;

// Graphics I with names at 0x1800, colours 0x2000, patterns 0, sprite attributes 0x1B00
// and sprite patterns 0x3800. Sprite pattern 1 is solid.
constexpr uint32_t Attributes = 0x1B00, SpritePatterns = 0x3800;

class VdpHardware : public ::testing::Test {
protected:
    void SetUp() override {
        VdpSelectBehaviour(VideoHardware);
        VdpInit(256);
    }
    void TearDown() override {
        VdpSelectBehaviour(VideoSimple);
        VdpRelease();
    }

    static void GraphicsI(uint8_t register1) {
        SetRegister(1, register1);
        SetRegister(2, 0x06);
        SetRegister(3, 0x80);
        SetRegister(5, 0x36);
        SetRegister(6, 0x07);
        Fill(SpritePatterns + 8, 8, 0xFF);
    }

    static void RenderFrame() {
        for (uint32_t line = 0; line < VdpVisibleLines; ++line) VdpRenderLine(line);
    }

    // A line of background 0 with the listed runs of pixels (first column, count, colour).
    static void ExpectRuns(uint32_t line, std::vector<std::array<uint32_t, 3>> runs) {
        std::vector<uint16_t> expected(VdpScreenWidth, 0);
        for (auto [x, count, colour] : runs) {
            for (uint32_t i = 0; i < count; ++i) expected[x + i] = Colour(colour);
        }
        EXPECT_EQ(Row(line), expected) << "line " << line;
    }

    // Renders one line of a fresh sprite list and tells whether it reported a collision.
    static bool Collides(std::initializer_list<uint8_t> sprites, uint32_t line) {
        VdpReadStatus();
        Poke(Attributes, sprites);
        VdpRenderLine(line);
        return VdpStatus() & CollisionFlag;
    }
};

TEST_F(VdpHardware, FourSpritesPerLineAndTheFirstFifthIsReportedUntilRead) {
    GraphicsI(VdpDisplayEnable);
    // Lines 10-17: five sprites, the third transparent (it still takes its place in the four).
    // Lines 30-37: nine sprites, entries 5 to 13. Entry 14 ends the table.
    Poke(Attributes, {9, 0, 1, 2, 9, 20, 1, 3, 9, 40, 1, 0, 9, 60, 1, 5, 9, 80, 1, 6});
    for (uint8_t entry = 5; entry <= 13; ++entry) {
        Poke(Attributes + entry * 4, {29, uint8_t(16 * (entry - 5)), 1, entry});
    }
    Poke(Attributes + 14 * 4, {0xD0});
    RenderFrame();
    ExpectRuns(10, {{0, 8, 2}, {20, 8, 3}, {60, 8, 5}});
    ExpectRuns(30, {{0, 8, 5}, {16, 8, 6}, {32, 8, 7}, {48, 8, 8}});
    // Line 10's fifth sprite (entry 4) is held through line 30's (entry 9); the frame flag is
    // set with the interrupt disabled.
    EXPECT_EQ(VdpReadStatus(), FrameFlag | FifthSpriteFlag | 4);
    EXPECT_EQ(VdpStatus(), 4);
    VdpRenderLine(30);
    EXPECT_EQ(VdpReadStatus(), FifthSpriteFlag | 9);
    VdpRenderLine(50);  // no sprite: the number follows the entry where the scan stopped
    EXPECT_EQ(VdpStatus(), 14);
    Poke(Attributes + 14 * 4, {0});
    Fill(Attributes + 15 * 4, 17 * 4, 0);
    VdpRenderLine(50);
    EXPECT_EQ(VdpStatus(), 31);
}

TEST_F(VdpHardware, MagnifiedSpritesDoubleEveryPixelAndClipAtBothEdges) {
    GraphicsI(VdpDisplayEnable | VdpMagnify);
    Poke(SpritePatterns + 16, {0xB0, 0x01});  // pattern 2: rows 0 and 1
    Poke(Attributes, {0xFF, 250, 2, 0x06, 0x1F, 0x1C, 2, 0x87, 0xD0});
    RenderFrame();
    // Entry 0 at column 250 covers lines 0-15: row 0 on lines 0 and 1, its pixel 3 (columns
    // 256-257) dropped; row 1's pixel 7 lies at 264-265.
    ExpectRuns(0, {{250, 2, 6}, {254, 2, 6}});
    ExpectRuns(1, {{250, 2, 6}, {254, 2, 6}});
    ExpectRuns(2, {});
    // Entry 1, early clock from 0x1C: column -4, lines 32-47; pixel 0 falls off the left.
    ExpectRuns(31, {});
    ExpectRuns(32, {{0, 4, 7}});
    ExpectRuns(33, {{0, 4, 7}});
    ExpectRuns(34, {{10, 2, 7}});
    ExpectRuns(35, {{10, 2, 7}});
    ExpectRuns(36, {});

    SetRegister(1, VdpDisplayEnable | VdpSpriteSize16 | VdpMagnify);
    Poke(SpritePatterns + 32, {0x41});  // pattern 4: left half row 0
    Poke(SpritePatterns + 47, {0x81});  // left half row 15
    Poke(SpritePatterns + 48, {0xFF});  // right half row 0
    Poke(SpritePatterns + 63, {0x01});  // right half row 15
    // Entry 0: Y 0xE0 is line -32, so only line 0 shows, with row 15, from column -16.
    // Entry 1: column 240, lines 64-95; the right half lies past column 255.
    Poke(Attributes, {0xE0, 0x10, 4, 0x89, 0x3F, 240, 4, 0x0A, 0xD0});
    RenderFrame();
    ExpectRuns(0, {{14, 2, 9}});
    ExpectRuns(1, {});
    ExpectRuns(63, {});
    ExpectRuns(64, {{242, 2, 10}, {254, 2, 10}});
    ExpectRuns(65, {{242, 2, 10}, {254, 2, 10}});
    ExpectRuns(95, {{240, 2, 10}, {254, 2, 10}});
    ExpectRuns(96, {});
}

TEST_F(VdpHardware, BlankedLinesShowTheBackdropAndLookAtNoSprite) {
    GraphicsI(0x00);
    SetRegister(7, 0x04);
    Poke(Attributes, {9, 0, 1, 2, 9, 4, 1, 3, 9, 8, 1, 4, 9, 12, 1, 5, 9, 16, 1, 6, 0xD0});
    RenderFrame();
    EXPECT_EQ(Row(10), Pixels("4"));
    EXPECT_EQ(VdpReadStatus(), FrameFlag);  // no fifth sprite, no collision, number untouched
    SetRegister(1, VdpDisplayEnable);
    VdpRenderLine(10);
    EXPECT_EQ(VdpStatus(), FifthSpriteFlag | CollisionFlag | 4);
}

TEST_F(VdpHardware, CollisionOnlyWhereDrawnSpritesMeetOnScreen) {
    GraphicsI(VdpDisplayEnable);
    Fill(SpritePatterns + 16, 8, 0x0F);  // pattern 2: the right half
    Fill(SpritePatterns + 24, 8, 0x80);  // pattern 3: the left column
    // Entry 4 overlaps entry 0 but is the fifth on the line.
    EXPECT_FALSE(
        Collides({49, 0, 1, 2, 49, 16, 1, 2, 49, 32, 1, 2, 49, 48, 1, 2, 49, 0, 1, 2, 0xD0}, 50));
    EXPECT_EQ(VdpStatus(), FifthSpriteFlag | 4);
    // Early clock: columns -8..-1 and -4..3 meet only off screen.
    EXPECT_FALSE(Collides({49, 0x18, 1, 0x82, 49, 0x1C, 1, 0x83, 0xD0}, 50));
    ExpectRuns(50, {{0, 4, 3}});
    // Columns 16..23 and 20..27 meet once the early clock is applied; from the raw X bytes
    // (0x30 and 20) the whole-pattern test sees them apart.
    EXPECT_TRUE(Collides({49, 0x30, 1, 0x82, 49, 20, 1, 0x03, 0xD0}, 50));
    EXPECT_FALSE(DetectSpriteCollision());
    // Right edge: pixels at 256..259 against 254..261 meet only past column 255.
    EXPECT_FALSE(Collides({49, 0xFC, 2, 0x02, 49, 0xFE, 1, 0x03, 0xD0}, 50));
    EXPECT_TRUE(Collides({49, 0xFB, 2, 0x02, 49, 0xFE, 1, 0x03, 0xD0}, 50));
    // Transparent sprites collide too.
    EXPECT_TRUE(Collides({49, 10, 1, 0x00, 49, 12, 1, 0x02, 0xD0}, 50));
    // Below the picture nothing is drawn, so nothing collides however the patterns lie.
    VdpReadStatus();
    Poke(Attributes, {200, 10, 1, 0x02, 200, 12, 1, 0x03, 0xD0});
    RenderFrame();
    EXPECT_EQ(VdpReadStatus() & CollisionFlag, 0);
    // Magnified, the left columns at 10 and 11 become 10-11 and 11-12.
    SetRegister(1, VdpDisplayEnable | VdpMagnify);
    EXPECT_TRUE(Collides({49, 10, 3, 0x02, 49, 11, 3, 0x03, 0xD0}, 50));
    SetRegister(1, VdpDisplayEnable);
    EXPECT_FALSE(Collides({49, 10, 3, 0x02, 49, 11, 3, 0x03, 0xD0}, 50));
}

TEST_F(VdpHardware, TextLinesHaveBordersAndSixPixelCells) {
    SetRegister(1, VdpDisplayEnable | 0x10);
    SetRegister(2, 0xF2);  // names 0x0800: the high bits of 2 and 4 reach past 16 KB
    SetRegister(4, 0xFA);  // patterns 0x1000
    SetRegister(7, 0xF4);
    Poke(0x1000 + 8, {0xFF});  // pattern 1, row 0: its two right bits are not shown
    Poke(0x1000 + 16, {0xA4});
    Poke(0x0800, {1, 2});
    Poke(0x0800 + 39, {1, 2});          // the second byte is row 1's first name
    Poke(0, {0xFF, 8, 1, 0x0F, 0xD0});  // a sprite would cover line 0: Text has none
    RenderFrame();
    EXPECT_EQ(Row(0), Pixels("44444444FFFFFFF4F44F" + Repeat("4", 222) + "FFFFFF44444444"));
    EXPECT_EQ(Row(8), Pixels("44444444F4F44F" + Repeat("4", 242)));
    EXPECT_EQ(Row(1), Pixels("4"));
    EXPECT_EQ(VdpStatus(), FrameFlag);
    SetRegister(7, 0x04);  // text colour 0 is transparent: the backdrop shows through
    RenderFrame();
    EXPECT_EQ(Row(0), Pixels("4"));
}

TEST_F(VdpHardware, MulticolorBlocksFollowTheRowGroup) {
    SetRegister(1, VdpDisplayEnable | 0x08);
    SetRegister(2, 0x06);  // names 0x1800
    SetRegister(4, 0x00);  // patterns 0
    SetRegister(5, 0x36);
    SetRegister(6, 0x07);
    SetRegister(7, 0x04);
    Poke(8, {0x2A, 0x5B, 0xC0, 0x0D});  // pattern 1, bytes 0-3
    Poke(0x1800, {1, 2});
    Poke(0x1800 + 32, {1});
    Poke(0x1800 + 128, {1});
    Fill(SpritePatterns + 8, 8, 0xFF);
    Poke(Attributes, {19, 100, 1, 0x0F, 0xD0});
    RenderFrame();
    EXPECT_EQ(Row(0), Pixels("2222AAAA" + Repeat("4", 248)));
    EXPECT_EQ(Row(3), Pixels("2222AAAA" + Repeat("4", 248)));
    EXPECT_EQ(Row(4), Pixels("5555BBBB" + Repeat("4", 248)));
    EXPECT_EQ(Row(8), Pixels("CCCC" + Repeat("4", 252)));
    EXPECT_EQ(Row(15), Pixels("4444DDDD" + Repeat("4", 248)));
    EXPECT_EQ(Row(32), Pixels("2222AAAA" + Repeat("4", 248)));
    EXPECT_EQ(Row(20), Pixels(Repeat("4", 100) + "FFFFFFFF" + Repeat("4", 148)));
}

TEST_F(VdpHardware, GraphicsIIRegisters3And4MaskTheTableIndex) {
    SetRegister(0, 0x02);
    SetRegister(1, VdpDisplayEnable);
    SetRegister(2, 0x0E);  // names 0x3800
    Fill(0x3800, 768, 5);
    const uint8_t patterns[3] = {0xF0, 0x0F, 0xCC}, colours[3] = {0x2A, 0x43, 0x65};
    for (uint32_t third = 0; third < 3; ++third) {
        Fill(third * 0x800 + 5 * 8, 8, patterns[third]);
        Fill(0x2000 + third * 0x800 + 5 * 8, 8, colours[third]);
    }
    SetRegister(3, 0xFF);  // colours 0x2000, nothing masked
    SetRegister(4, 0x03);  // patterns 0, nothing masked
    RenderFrame();
    EXPECT_EQ(Row(64), Pixels("33334444"));
    EXPECT_EQ(Row(128), Pixels("66556655"));
    SetRegister(3, 0x9F);  // colour index bits 11-12 cleared: every third takes the first's
    SetRegister(4, 0x00);  // pattern index bits 11-12 cleared likewise
    RenderFrame();
    EXPECT_EQ(Row(64), Pixels("2222AAAA"));
    EXPECT_EQ(Row(128), Pixels("2222AAAA"));
    SetRegister(3, 0xBF);  // only bit 12: the last third takes the first third's colours
    SetRegister(4, 0x03);
    RenderFrame();
    EXPECT_EQ(Row(64), Pixels("33334444"));
    EXPECT_EQ(Row(128), Pixels("22AA22AA"));
}

TEST_F(VdpHardware, TheBehaviourIsKeptThroughInitAndReset) {
    VdpInit(256);
    VdpReset();
    EXPECT_EQ(VdpBehaviour(), VideoHardware);
    VdpRenderLine(191);  // display off, interrupts off: the flag all the same
    EXPECT_EQ(VdpStatus(), FrameFlag);
    GraphicsI(VdpDisplayEnable);
    Poke(Attributes, {9, 0, 1, 2, 9, 0, 1, 2, 9, 0, 1, 2, 9, 0, 1, 2, 9, 0, 1, 2, 0xD0});
    VdpRenderLine(10);
    EXPECT_EQ(VdpStatus(), FrameFlag | FifthSpriteFlag | CollisionFlag | 4);
    VdpSelectBehaviour(VideoSimple);  // the simple chip never shows bit 6 or a number
    EXPECT_EQ(VdpStatus(), FrameFlag | CollisionFlag);
}

}  // namespace
}  // namespace plexaro
