#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "cpu/z80.h"
#include "tests/video/vdp_test_support.h"

namespace plexaro {
namespace {

using test::Colour;
using test::Control;
using test::Fill;
using test::Poke;
using test::Row;
using test::SetRegister;

class VdpPorts : public ::testing::Test {
protected:
    void SetUp() override { VdpInit(256); }
    void TearDown() override { VdpRelease(); }
    const VdpState& vdp = VdpChipState();
};

TEST_F(VdpPorts, ControlLatchAndAddressing) {
    VdpWriteControl(0x34);
    EXPECT_EQ(vdp.address, 0);  // a first byte alone moves nothing
    VdpWriteControl(0x47);
    VdpWriteData(0xAB);
    EXPECT_EQ(vdp.vram[0x0734], 0xAB);
    EXPECT_EQ(vdp.address, 0x0735);
    Control(0x12, 0x81);  // a register write leaves the address and the access code alone
    EXPECT_EQ(VdpRegister(1), 0x12);
    EXPECT_EQ(vdp.address, 0x0735);
    EXPECT_EQ(vdp.accessCode, 1);

    // Status reads and data accesses drop a held first byte.
    VdpWriteControl(0x99);
    VdpReadStatus();
    Control(0x00, 0x50);
    VdpWriteControl(0x99);
    VdpWriteData(0x01);
    Control(0x00, 0x60);
    VdpWriteControl(0x99);
    VdpReadData();
    Control(0xFF, 0x7F);
    EXPECT_EQ(vdp.vram[0x1000], 0x01);
    VdpWriteData(0x5A);
    EXPECT_EQ(vdp.vram[0x3FFF], 0x5A);
    EXPECT_EQ(vdp.address, 0);
}

TEST_F(VdpPorts, ReadAheadAndBlockedTransfers) {
    Poke(0x0000, {0x11, 0x22, 0x33});
    Control(0x00, 0x00);
    EXPECT_EQ(vdp.address, 1);
    EXPECT_EQ(VdpReadData(), 0x11);
    VdpWriteData(0x99);  // lands at 2; the buffered 0x22 stays
    EXPECT_EQ(VdpReadData(), 0x22);
    EXPECT_EQ(vdp.vram[2], 0x99);
    Poke(0x3FFF, {0x77});
    Control(0xFF, 0x3F);  // the read-ahead wraps the address
    EXPECT_EQ(vdp.address, 0);
    EXPECT_EQ(VdpReadData(), 0x77);

    Control(0x00, 0xC0);
    VdpWriteData(0xEE);
    EXPECT_EQ(VdpReadData(), 0);
    EXPECT_EQ(vdp.vram[0], 0x11);
    EXPECT_EQ(vdp.address, 2);
}

TEST_F(VdpPorts, ModeDecodingAndTableOffsets) {
    SetRegister(2, 0x0E);  // written in Text, so the Text masks apply for now
    SetRegister(3, 0xFF);
    SetRegister(4, 0x03);
    SetRegister(5, 0x36);
    SetRegister(6, 0x07);
    EXPECT_EQ(vdp.colourTable, 0u);
    SetRegister(0, 0x02);  // Graphics II recomputes all five
    EXPECT_EQ(vdp.mode, GraphicsII);
    EXPECT_EQ(vdp.nameTable, 0x3800u);
    EXPECT_EQ(vdp.colourTable, 0x2000u);
    EXPECT_EQ(vdp.patternTable, 0u);
    EXPECT_EQ(vdp.spriteAttributeTable, 0x1B00u);
    EXPECT_EQ(vdp.spritePatternTable, 0x3800u);

    // Index combinations without a mode keep the mode and its offsets.
    SetRegister(0, 0x06);
    SetRegister(1, 0x18);
    SetRegister(0, 0x00);
    EXPECT_EQ(vdp.mode, GraphicsII);
    EXPECT_EQ(vdp.colourTable, 0x2000u);
    SetRegister(1, 0x00);
    EXPECT_EQ(vdp.mode, GraphicsI);
    EXPECT_EQ(vdp.colourTable, 0x3FC0u);
    EXPECT_EQ(vdp.patternTable, 0x1800u);

    const VdpState before = vdp;  // registers 8 to 15 change nothing
    Control(0x12, 0x88);
    Control(0x34, 0x8F);
    EXPECT_EQ(std::memcmp(&before.registers, &vdp.registers, sizeof vdp.registers), 0);
    EXPECT_EQ(std::memcmp(&before.pixelPalette, &vdp.pixelPalette, sizeof vdp.pixelPalette), 0);
    EXPECT_EQ(before.mode, vdp.mode);
    EXPECT_EQ(before.nameTable, vdp.nameTable);
}

TEST_F(VdpPorts, StatusFlagsAndTheInterruptRaisedOnEnabling) {
    z80::Reset();
    SetRegister(1, 0xC0);
    VdpRenderLine(191);
    EXPECT_EQ(VdpStatus(), 0);  // no frame flag while the interrupt is disabled

    // Two solid sprites in one place collide; line 191 sets the frame flag.
    Poke(0x0000, {0xFF});
    Poke(0x80 * 0x36, {200, 10, 0, 0x01, 200, 12, 0, 0x01, 0xD0});
    SetRegister(5, 0x36);
    SetRegister(1, 0xE0);
    EXPECT_EQ(z80::GetRegister(z80::RegIrqLine), 0u);
    VdpRenderLine(191);
    EXPECT_EQ(VdpStatus(), FrameFlag | CollisionFlag);

    SetRegister(1, 0xC0);
    SetRegister(1, 0xE0);  // rising enable with the flag set: raised at once
    EXPECT_EQ(z80::GetRegister(z80::RegIrqLine), 1u);
    EXPECT_EQ(z80::GetRegister(z80::RegIrqVector), 0xFFu);
    z80::LowerIrq();
    SetRegister(1, 0xE0);  // already enabled: no new edge
    EXPECT_EQ(z80::GetRegister(z80::RegIrqLine), 0u);

    EXPECT_EQ(VdpReadStatus(), 0xA0);
    EXPECT_EQ(VdpReadStatus(), 0x00);
    SetRegister(1, 0xC0);
    SetRegister(1, 0xE0);
    EXPECT_EQ(z80::GetRegister(z80::RegIrqLine), 0u);
}

TEST_F(VdpPorts, PaletteInBothFormatsWithTheBackdropInEntryZero) {
    const uint16_t* palette = vdp.pixelPalette;
    EXPECT_EQ(palette[15], 0xE71C);
    EXPECT_EQ(palette[4], 0x211C);
    EXPECT_EQ(palette[1], 0);
    SetRegister(7, 0xF4);
    EXPECT_EQ(palette[0], 0x211C);
    SetRegister(7, 0xF0);
    EXPECT_EQ(palette[0], 0);

    SetRegister(7, 0x07);
    VdpSelectPixelFormat(2);
    EXPECT_EQ(palette[15], 0x739C);
    EXPECT_EQ(palette[4], 0x109C);
    EXPECT_EQ(palette[0], 0x231C);
    VdpSelectPixelFormat(Rgb565);
    EXPECT_EQ(palette[0], 0x461C);
    VdpReset();  // the palette survives a reset, backdrop entry included
    EXPECT_EQ(palette[0], 0x461C);

    SetRegister(7, 0x07);
    VdpSelectPixelFormat(Rgb555);
    VdpInit(256);  // rebuilt in RGB 565 with no backdrop
    EXPECT_EQ(palette[0], 0);
    EXPECT_EQ(palette[15], 0xE71C);
}

TEST_F(VdpPorts, PixelsWidenBackToThePaletteInBothFormats) {
    for (uint32_t format : {Rgb565, Rgb555}) {
        VdpSelectPixelFormat(format);
        for (uint32_t colour = 1; colour < 16; ++colour) {
            uint8_t rgb[3];
            PixelToRgb(Colour(colour), format, rgb);
            EXPECT_EQ(std::vector<uint8_t>(rgb, rgb + 3),
                      std::vector<uint8_t>(RgbPalette[colour], RgbPalette[colour] + 3))
                << "format " << format << " colour " << colour;
        }
    }
}

// The view shows the chip as it is; a snapshot puts it back whole, the mode that its
// registers no longer select and everything drawn from it included.
TEST_F(VdpPorts, ViewAndSnapshotGiveBackTheChip) {
    SetRegister(0, 0x02);  // Graphics II
    SetRegister(2, 0x0E);
    SetRegister(3, 0xFF);
    SetRegister(4, 0x03);
    SetRegister(5, 0x36);
    SetRegister(6, 0x03);  // sprite patterns 0x1800
    SetRegister(7, 0xF4);
    for (uint32_t i = 0; i < 0x1800; ++i) Poke(i, {static_cast<uint8_t>(i * 37 + 11)});
    Fill(0x2000, 0x1800, 0x6C);
    for (uint32_t i = 0; i < 768; ++i) Poke(0x3800 + i, {static_cast<uint8_t>(i)});
    Fill(0x1800, 8, 0xFF);
    Poke(0x1B00, {40, 40, 0, 0x0A, 44, 44, 0, 0x05, 0xD0});
    SetRegister(1, 0x58);   // display on and a mode bit pair that selects no mode
    VdpRenderLine(100);     // the two sprites meet: the collision flag
    Poke(0x1234, {0x56});   // leaves the address at 0x1235
    VdpWriteControl(0x77);  // a held first byte

    const VdpView view = VdpInspect();
    EXPECT_EQ(view.registers, vdp.registers);
    EXPECT_EQ(view.vram, vdp.vram);
    EXPECT_EQ(view.address, 0x1235);
    EXPECT_EQ(view.accessCode, 1);
    EXPECT_TRUE(view.controlLatched);
    EXPECT_EQ(view.firstByte, 0x77);
    EXPECT_EQ(view.status, CollisionFlag);
    EXPECT_EQ(view.mode, GraphicsII);
    EXPECT_EQ(view.nameTable, 0x3800u);
    EXPECT_EQ(view.colourTable, 0x2000u);
    EXPECT_EQ(view.patternTable, 0u);
    EXPECT_EQ(view.spriteAttributeTable, 0x1B00u);
    EXPECT_EQ(view.spritePatternTable, 0x1800u);
    EXPECT_EQ(view.backdropColour, 4);
    EXPECT_EQ(view.textColour, 15);
    EXPECT_EQ(view.behaviour, VideoSimple);

    static VdpSnapshot saved;
    VdpSave(saved);
    std::vector<std::vector<uint16_t>> drawn;
    for (uint32_t line = 0; line < VdpVisibleLines; ++line) {
        VdpRenderLine(line);
        drawn.push_back(Row(line));
    }

    // Other tables and another mode drawn from first, so that what the chip worked out from
    // them is current.
    Fill(0x0000, 0x1800, 0x3C);
    Fill(0x2000, 0x1800, 0x93);
    Poke(0x1B00, {90, 90, 0, 0x0A, 0xD0});
    SetRegister(7, 0x01);
    SetRegister(0, 0x00);  // Graphics I
    SetRegister(1, 0x40);
    for (uint32_t line = 0; line < VdpVisibleLines; ++line) VdpRenderLine(line);
    VdpRestore(saved);
    const VdpView back = VdpInspect();
    EXPECT_EQ(std::memcmp(back.registers, saved.registers, sizeof saved.registers), 0);
    EXPECT_EQ(std::memcmp(back.vram, saved.vram, sizeof saved.vram), 0);
    EXPECT_EQ(back.address, view.address);
    EXPECT_EQ(back.controlLatched, view.controlLatched);
    EXPECT_EQ(back.firstByte, view.firstByte);
    EXPECT_EQ(back.status, view.status);
    EXPECT_EQ(back.mode, GraphicsII);
    EXPECT_EQ(back.nameTable, view.nameTable);
    EXPECT_EQ(back.spriteAttributeTable, view.spriteAttributeTable);
    EXPECT_EQ(back.backdropColour, 4);
    for (uint32_t line = 0; line < VdpVisibleLines; ++line) {
        VdpRenderLine(line);
        ASSERT_EQ(Row(line), drawn[line]) << "line " << line;
    }
}

// Tools read the attribute table through the same layout and sprite geometry as the chip.
TEST_F(VdpPorts, SpriteEntriesDecodedForTools) {
    SetRegister(1, 0x00);  // Graphics I: Text has no sprite table
    SetRegister(5, 0x36);
    Poke(0x1B00, {0xFF, 10, 5, 0x8C, 0xE0, 200, 7, 0x03, 0xD0, 1, 2, 3});
    const VdpSpriteEntry first = VdpDecodeSprite(VdpInspect(), 0);
    EXPECT_EQ(first.y, 0xFF);
    EXPECT_EQ(first.x, 10);
    EXPECT_EQ(first.name, 5);
    EXPECT_EQ(first.colour, 12);
    EXPECT_TRUE(first.earlyClock);
    EXPECT_EQ(first.left, -22);
    EXPECT_EQ(first.top, 0);  // 0xFF is the row above line 0
    EXPECT_FALSE(first.endMarker);
    const VdpSpriteEntry second = VdpDecodeSprite(VdpInspect(), 1);
    EXPECT_EQ(second.left, 200);
    EXPECT_EQ(second.top, 0xE1);  // the simple chip keeps it below the picture
    EXPECT_FALSE(second.earlyClock);
    EXPECT_TRUE(VdpDecodeSprite(VdpInspect(), 2).endMarker);

    VdpSelectBehaviour(VideoHardware);  // every Y byte past the end marker is above the top
    EXPECT_EQ(VdpDecodeSprite(VdpInspect(), 1).top, 0xE0 - 256 + 1);
    SetRegister(1, VdpSpriteSize16 | VdpMagnify);
    EXPECT_EQ(VdpSpriteHeight(VdpInspect()), 32);
    VdpSelectBehaviour(VideoSimple);
    EXPECT_EQ(VdpSpriteHeight(VdpInspect()), 16);
}

}  // namespace
}  // namespace plexaro
