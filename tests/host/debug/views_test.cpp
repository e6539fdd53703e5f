// The debug windows' decoding, checked against hand-worked values: a tone's frequency from
// its period, the noise rates, the video registers, and pattern pictures in their colours.
#include "host/debug/views.h"

#include <gtest/gtest.h>

#include <vector>

namespace plexaro {
namespace {

TEST(DebugViews, SoundChannelsInHertz) {
    PsgInit(0, 3579545, 44100);
    PsgWrite(0, 0x80 | 0x0E);  // tone 0 period 0x0FE = 254, low four bits
    PsgWrite(0, 0x0F);         // upper six bits
    PsgWrite(0, 0x93);         // tone 0 attenuation 3
    PsgWrite(0, 0xC0 | 0x04);  // tone 2 period 4
    PsgWrite(0, 0x00);
    const PsgChip& chip = *PsgInspect(0);
    PsgChannelSummary tone = DescribePsgChannel(chip, 0);
    EXPECT_EQ(tone.period, 254u);
    EXPECT_NEAR(tone.frequency, 3579545.0 / (32 * 254), 0.01);  // 440.4 Hz
    EXPECT_EQ(tone.attenuation, 3u);

    PsgWrite(0, 0xE0 | 0x05);  // white noise, clock / 1024
    PsgChannelSummary noise = DescribePsgChannel(chip, 3);
    EXPECT_TRUE(noise.whiteNoise);
    EXPECT_STREQ(noise.rate, "clock / 1024");
    EXPECT_NEAR(noise.frequency, 3579545.0 / 1024, 0.01);
    PsgWrite(0, 0xE0 | 0x03);  // periodic noise at tone 2's rate
    noise = DescribePsgChannel(chip, 3);
    EXPECT_FALSE(noise.whiteNoise);
    EXPECT_NEAR(noise.frequency, 3579545.0 / (32 * 4), 0.01);
}

TEST(DebugViews, RegistersAndPatternsInTheirColours) {
    VdpInit(256);
    VdpWriteRegister(0, 0x02);  // Graphics II
    VdpWriteRegister(1, 0xE3);  // display, interrupt, 16x16, magnified
    VdpWriteRegister(3, 0xFF);  // colour table at 0x2000
    VdpWriteRegister(4, 0x03);  // patterns at 0x0000
    VdpWriteRegister(7, 0xF4);
    const VdpSummary video = DescribeVdp(VdpInspect());
    EXPECT_STREQ(video.mode, "Graphics II");
    EXPECT_EQ(video.colourTable, 0x2000u);
    EXPECT_EQ(video.spriteSize, 16u);
    EXPECT_TRUE(video.magnified && video.displayEnabled && video.interruptEnabled);
    EXPECT_EQ(video.textColour, 15u);
    EXPECT_EQ(video.backdropColour, 4u);

    // Pattern 1 of the second third: row 2 is 0xF0 in colour 0x6C (1-bits 6, 0-bits 12).
    const auto poke = [](uint32_t address, uint8_t value) {
        VdpWriteControl(static_cast<uint8_t>(address));
        VdpWriteControl(static_cast<uint8_t>(0x40 | address >> 8));
        VdpWriteData(value);
    };
    poke(0x0800 + 1 * 8 + 2, 0xF0);
    poke(0x2800 + 1 * 8 + 2, 0x6C);
    std::vector<uint32_t> pixels(PatternImageSize * PatternImageSize);
    DrawPatternTable(VdpInspect(), 1, pixels.data());
    const uint32_t* row = &pixels[2 * PatternImageSize + 8];  // pattern 1 starts at x 8
    EXPECT_EQ(row[0], PaletteArgb(6));
    EXPECT_EQ(row[3], PaletteArgb(6));
    EXPECT_EQ(row[4], PaletteArgb(12));
    EXPECT_EQ(row[7], PaletteArgb(12));
    // The same place of the first third is empty: colour 0, black.
    DrawPatternTable(VdpInspect(), 0, pixels.data());
    EXPECT_EQ(pixels[2 * PatternImageSize + 8], 0xFF000000u);
    VdpRelease();
}

}  // namespace
}  // namespace plexaro
