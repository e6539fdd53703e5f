#include <gtest/gtest.h>

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
// and sprite patterns 0x3800.
constexpr uint32_t Names = 0x1800, Colours = 0x2000, Attributes = 0x1B00, SpritePatterns = 0x3800;

class VdpRender : public ::testing::Test {
protected:
    void SetUp() override { VdpInit(256); }
    void TearDown() override { VdpRelease(); }

    static void GraphicsI(uint8_t register1) {
        SetRegister(1, register1);
        SetRegister(2, 0x06);
        SetRegister(3, 0x80);
        SetRegister(5, 0x36);
        SetRegister(6, 0x07);
    }

    static void RenderFrame() {
        for (uint32_t line = 0; line < VdpVisibleLines; ++line) VdpRenderLine(line);
    }

    // A line of background 0 with the listed pixels in the listed colours.
    static void ExpectLit(uint32_t line, std::vector<std::pair<uint32_t, uint32_t>> lit) {
        std::vector<uint16_t> expected(VdpScreenWidth, 0);
        for (auto [x, colour] : lit) expected[x] = Colour(colour);
        EXPECT_EQ(Row(line), expected) << "line " << line;
    }
};

TEST_F(VdpRender, GraphicsIBackgroundAndModesThatDrawNothing) {
    GraphicsI(VdpDisplayEnable);
    SetRegister(7, 0x04);
    for (uint32_t name = 0; name < 256; ++name) {
        for (uint32_t row = 0; row < 8; ++row) Poke(name * 8 + row, {uint8_t(0x80 >> row)});
    }
    Poke(0, {0x81});
    Poke(Names, {0, 7, 8, 248, 255});
    Fill(Names + 32, 32, 8);
    Fill(Names + 736, 32, 248);
    Poke(Colours, {0xF0, 0x3E});
    Poke(Colours + 31, {0x4D});
    RenderFrame();
    // Colour 0 shows the backdrop (4); characters 0-7 share colour byte 0, 248-255 byte 31.
    EXPECT_EQ(Row(0), Pixels("F444444FF44444443EEEEEEE4DDDDDDD4DDDDDDD" + Repeat("F444444F", 27)));
    EXPECT_EQ(Row(7), Pixels("4444444F4444444FEEEEEEE3DDDDDDD4DDDDDDD4" + Repeat("4444444F", 27)));
    EXPECT_EQ(Row(8), Pixels("3EEEEEEE"));
    EXPECT_EQ(Row(191), Pixels("DDDDDDD4"));

    SetRegister(1, 0x00);  // display off: the backdrop only
    VdpRenderLine(100);
    EXPECT_EQ(Row(100), Pixels("4"));
    SetRegister(7, 0x00);
    VdpRenderLine(101);
    ExpectLit(101, {});

    // Text and Multicolor leave every pixel alone but still set the frame flag.
    const uint16_t* frame = VdpGetFrameBuffer();
    const std::vector<uint16_t> before(frame, frame + 256 * VdpVisibleLines);
    SetRegister(1, 0x10 | VdpInterruptEnable);
    RenderFrame();
    EXPECT_EQ(VdpStatus(), FrameFlag);
    SetRegister(1, 0x08);
    RenderFrame();
    EXPECT_EQ(std::vector<uint16_t>(frame, frame + 256 * VdpVisibleLines), before);
}

TEST_F(VdpRender, GraphicsIIThirdsHaveTheirOwnPatternsAndPerRowColours) {
    SetRegister(0, 0x02);
    SetRegister(1, VdpDisplayEnable);
    SetRegister(2, 0x0E);  // names 0x3800
    SetRegister(3, 0xFF);  // colours 0x2000
    SetRegister(4, 0x03);  // patterns 0
    Fill(0x3800, 768, 5);
    const uint8_t patterns[3] = {0xF0, 0x0F, 0xCC}, colours[3] = {0x2A, 0x43, 0x65};
    for (uint32_t third = 0; third < 3; ++third) {
        Fill(third * 0x800 + 5 * 8, 8, patterns[third]);
        Fill(0x2000 + third * 0x800 + 5 * 8, 8, colours[third]);
    }
    Poke(0x2000 + 0x800 + 5 * 8 + 7, {0x87});
    RenderFrame();
    EXPECT_EQ(Row(63), Pixels("2222AAAA"));
    EXPECT_EQ(Row(64), Pixels("33334444"));
    EXPECT_EQ(Row(71), Pixels("77778888"));
    EXPECT_EQ(Row(128), Pixels("66556655"));
}

TEST_F(VdpRender, FrameBufferLayoutAndEmptyBuffers) {
    VdpInit(320);
    GraphicsI(0x00);
    SetRegister(7, 0x0F);
    Fill(SpritePatterns, 8, 0xFF);
    Poke(Attributes, {0x00, 0xFC, 0, 0x06, 0xD0});  // lines 1-8, clipped at the right edge
    RenderFrame();
    const uint16_t* frame = VdpGetFrameBuffer();
    EXPECT_EQ(frame[320], Colour(15));
    EXPECT_EQ(frame[320 + 251], Colour(15));
    EXPECT_EQ(frame[320 + 252], Colour(6));
    EXPECT_EQ(frame[320 + 255], Colour(6));
    for (uint32_t line = 0; line < VdpVisibleLines; ++line) {
        for (uint32_t x = 256; x < 320; ++x) ASSERT_EQ(frame[line * 320 + x], 0);
    }
    VdpReset();
    for (uint32_t i = 0; i < 320 * VdpVisibleLines; ++i) ASSERT_EQ(frame[i], 0);

    for (uint32_t stride : {0u, 100u}) {  // nothing drawn, yet the flags as usual
        VdpInit(stride);
        EXPECT_EQ(VdpGetFrameBuffer(), nullptr);
        GraphicsI(VdpInterruptEnable);
        Poke(Attributes, {0x00, 10, 0, 0x01, 0x00, 12, 0, 0x01, 0xD0});
        Poke(SpritePatterns, {0xFF});
        RenderFrame();
        DrawSpriteLine(1);
        EXPECT_EQ(VdpStatus(), FrameFlag | CollisionFlag);
    }
}

TEST_F(VdpRender, SpritePlacementAndClipping) {
    GraphicsI(0x01);  // magnification has no effect
    for (uint32_t row = 0; row < 8; ++row) Poke(SpritePatterns + row, {uint8_t(0x80 >> row)});
    Fill(SpritePatterns + 8, 8, 0xFF);
    Fill(SpritePatterns + 16, 8, 0x5A);
    Poke(Attributes, {0xFF, 10,   0, 0x02, 0x00, 40,   0, 0x03, 0xF8, 80, 1, 0x04,  // Y wrap
                      0x1F, 0xFC, 1, 0x06, 0x2F, 0x1C, 2, 0x87, 0xD0});             // edges
    RenderFrame();
    for (uint32_t line = 0; line < 32; ++line) {
        std::vector<std::pair<uint32_t, uint32_t>> lit;
        if (line < 8) lit.push_back({10 + line, 2});
        if (line >= 1 && line <= 8) lit.push_back({40 + line - 1, 3});
        ExpectLit(line, lit);
    }
    ExpectLit(32, {{252, 6}, {253, 6}, {254, 6}, {255, 6}});
    ExpectLit(48, {{0, 7}, {2, 7}});  // x = -4: pattern pixels 4 and 6
    ExpectLit(47, {});                // nothing spilled back from line 48

    SetRegister(1, VdpSpriteSize16);
    Poke(SpritePatterns + 32 + 14, {0x80, 0x40});
    Poke(SpritePatterns + 48 + 14, {0x01, 0x02});
    Fill(SpritePatterns + 64, 32, 0xFF);
    Poke(Attributes, {0xF1, 100, 0x07, 0x05, 0x1F, 0x10, 8, 0x88, 0x3F, 0x11, 8, 0x89, 0xD0});
    RenderFrame();
    ExpectLit(0, {{100, 5}, {115, 5}});  // rows 14 and 15 of pattern 4
    ExpectLit(1, {{101, 5}, {114, 5}});
    ExpectLit(2, {});
    ExpectLit(32, {});  // x = -16: gone
    ExpectLit(64, {{0, 9}});
}

TEST_F(VdpRender, SpritePriorityTransparencyEndMarkerAndNoLineLimit) {
    GraphicsI(0x00);
    Fill(SpritePatterns + 8, 8, 0xFF);
    Fill(SpritePatterns + 24, 8, 0xF0);
    Poke(Attributes, {0xFF, 50, 3, 0x02, 0xFF, 50, 1, 0x03, 0xFF, 60,  1, 0x00,
                      0xFF, 60, 1, 0x74, 0xD0, 0,  0, 0,    0xFF, 100, 1, 0x05});
    VdpRenderLine(0);
    ExpectLit(0, {{50, 2},
                  {51, 2},
                  {52, 2},
                  {53, 2},
                  {54, 3},
                  {55, 3},
                  {56, 3},
                  {57, 3},
                  {60, 4},
                  {61, 4},
                  {62, 4},
                  {63, 4},
                  {64, 4},
                  {65, 4},
                  {66, 4},
                  {67, 4}});
    Poke(Attributes, {0xD0});
    VdpReadStatus();
    VdpRenderLine(0);
    ExpectLit(0, {});
    EXPECT_EQ(VdpStatus(), 0);

    for (uint32_t i = 0; i < 32; ++i) {
        Poke(Attributes + 4 * i, {99, uint8_t(8 * i), 1, uint8_t(i % 15 + 1)});
    }
    VdpRenderLine(100);
    std::vector<uint16_t> expected(VdpScreenWidth);
    for (uint32_t x = 0; x < VdpScreenWidth; ++x) expected[x] = Colour(x / 8 % 15 + 1);
    EXPECT_EQ(Row(100), expected);
    EXPECT_EQ(VdpStatus(), 0);  // side by side: no collision, no fifth-sprite report
}

TEST_F(VdpRender, CollisionComparesWholePatternsAcrossTheWrap) {
    GraphicsI(0x00);
    Fill(SpritePatterns + 8, 8, 0xFF);   // 1: solid
    Fill(SpritePatterns + 16, 8, 0x01);  // 2: rightmost column
    Fill(SpritePatterns + 24, 8, 0x80);  // 3: leftmost column
    Poke(SpritePatterns + 39, {0xFF});   // 4: bottom row
    Poke(SpritePatterns + 40, {0xFF});   // 5: top row
    auto pair = [](uint8_t y0, uint8_t x0, uint8_t p0, uint8_t y1, uint8_t x1, uint8_t p1) {
        Poke(Attributes, {y0, x0, p0, 0x01, y1, x1, p1, 0x01, 0xD0});
        return DetectSpriteCollision();
    };
    EXPECT_TRUE(pair(50, 10, 2, 50, 17, 3));
    EXPECT_TRUE(pair(50, 17, 3, 50, 10, 2));
    EXPECT_FALSE(pair(50, 10, 3, 50, 17, 2));
    EXPECT_TRUE(pair(10, 20, 4, 17, 20, 5));
    EXPECT_TRUE(pair(17, 20, 5, 10, 20, 4));
    EXPECT_FALSE(pair(10, 20, 5, 17, 20, 4));
    EXPECT_TRUE(pair(0xFC, 30, 1, 0x02, 30, 1));
    EXPECT_FALSE(pair(0xF9, 30, 1, 0x02, 30, 1));
    EXPECT_TRUE(pair(200, 30, 1, 200, 33, 1));  // below the picture
    Poke(Attributes, {50, 10, 1, 0x00, 50, 12, 1, 0x01, 0xD0});
    EXPECT_FALSE(DetectSpriteCollision());
    Poke(Attributes, {0xD0, 10, 1, 0x01, 50, 12, 1, 0x01, 50, 12, 1, 0x01});
    EXPECT_FALSE(DetectSpriteCollision());

    SetRegister(1, VdpSpriteSize16);
    Fill(SpritePatterns + 64, 32, 0xFF);
    EXPECT_TRUE(pair(50, 250, 8, 50, 2, 8));
    EXPECT_FALSE(pair(50, 250, 8, 50, 10, 8));
}

TEST_F(VdpRender, CollisionFlagFollowsSpriteMovesAndSizeChanges) {
    GraphicsI(0x00);
    Fill(SpritePatterns + 32, 32, 0xFF);
    Poke(Attributes, {50, 10, 4, 0x01, 50, 18, 4, 0x01, 0xD0});
    VdpRenderLine(0);
    EXPECT_EQ(VdpStatus(), 0);
    Poke(Attributes + 5, {17});
    VdpRenderLine(1);
    EXPECT_EQ(VdpReadStatus(), CollisionFlag);
    VdpRenderLine(2);
    EXPECT_EQ(VdpReadStatus(), CollisionFlag);
    Poke(Attributes + 5, {18});
    VdpRenderLine(3);
    EXPECT_EQ(VdpStatus(), 0);
    SetRegister(1, VdpSpriteSize16);
    VdpRenderLine(4);
    EXPECT_EQ(VdpStatus(), CollisionFlag);
}

TEST_F(VdpRender, TableReadsWrapAtTheEndOfVideoMemory) {
    SetRegister(1, VdpDisplayEnable);
    SetRegister(2, 0x7F);  // names 0x1FC00: read at 0x3C00
    SetRegister(3, 0xFF);  // colours 0x3FC0
    SetRegister(4, 0x3F);  // patterns 0x1F800: read at 0x3800
    SetRegister(5, 0xFF);  // sprite attributes 0x7F80: read at 0x3F80
    SetRegister(6, 0x3F);  // sprite patterns 0x1F800: read at 0x3800
    Poke(0x3C00, {3});
    Poke(0x3818, {0xAA});
    Poke(0x3840, {0x80});
    Poke(0x3FC0, {0x9B});
    Poke(0x3F80, {0xFF, 100, 8, 0x0C, 0xD0});
    VdpRenderLine(0);
    std::vector<uint16_t> expected = Pixels("9B9B9B9B" + Repeat("B", 248));
    expected[100] = Colour(12);
    EXPECT_EQ(Row(0), expected);
}

}  // namespace
}  // namespace plexaro
