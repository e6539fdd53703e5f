#include <gtest/gtest.h>

#include <cstring>

#include "cpu/z80.h"
#include "tests/video/vdp_test_support.h"

namespace plexaro {
namespace {

using test::Control;
using test::Poke;
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

}  // namespace
}  // namespace plexaro
