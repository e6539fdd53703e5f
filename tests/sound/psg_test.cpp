#include "sound/psg.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

namespace plexaro {
namespace {

constexpr int Clock = 3579545;
constexpr int Rate = 44100;
constexpr int Step = 12918;  // 44100 * 2^20 / 3579545, truncated
constexpr int Loudest = 10922;

const PsgChip& Chip() {
    return *PsgInspect(0);
}

std::vector<int16_t> Generate(int n) {
    std::vector<int16_t> out(n, -1);
    PsgUpdate(0, out.data(), n);
    return out;
}

void Write(std::initializer_list<int> bytes) {
    for (int b : bytes) PsgWrite(0, b);
}

void SetTone(int channel, int n) {
    Write({0x80 | channel << 5 | (n & 0xF), (n >> 4) & 0x3F});
}

TEST(Psg, InitialisesSilentAndIgnoresEmptyOrForeignCalls) {
    EXPECT_EQ(PsgInit(0, Clock, Rate), 0);
    const PsgChip& c = Chip();
    EXPECT_EQ(c.updateStep, Step);
    const int32_t table[16] = {10922, 8675, 6891, 5473, 4348, 3453, 2743, 2179,
                               1731,  1374, 1092, 867,  689,  547,  434,  0};
    for (int i = 0; i < 16; ++i) EXPECT_EQ(c.volTable[i], table[i]) << i;
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(c.volume[i], 0);
        EXPECT_EQ(c.registers[2 * i + 1], 15);
    }
    EXPECT_EQ(c.rng, 0x0F35u);
    EXPECT_EQ(c.output[3], 1);
    for (int16_t s : Generate(735)) ASSERT_EQ(s, 0);

    Write({0x90, 0x81});  // make some noise first, so "changes nothing" means something
    Generate(3);
    const PsgChip before = Chip();
    int16_t buffer[4] = {-1, -1, -1, -1};
    PsgUpdate(0, buffer, 0);
    PsgUpdate(0, buffer, -5);
    PsgUpdate(0, nullptr, 4);
    PsgUpdate(1, buffer, 4);
    PsgWrite(1, 0x9F);
    PsgInit(1, Clock, Rate);
    for (int16_t s : buffer) EXPECT_EQ(s, -1);
    EXPECT_EQ(std::memcmp(&before, &Chip(), sizeof before), 0);
    EXPECT_EQ(PsgInspect(1), nullptr);
}

TEST(Psg, LatchAndDataBytes) {
    PsgInit(0, Clock, Rate);
    const PsgChip& c = Chip();
    Write({0x8F, 0x3F});
    EXPECT_EQ(c.registers[0], 0x3FF);
    EXPECT_EQ(c.period[0], 1023 * Step);
    PsgWrite(0, 0x01);  // a second data byte replaces the upper six bits only
    EXPECT_EQ(c.registers[0], 0x01F);
    Write({0xA0, 0x00});
    EXPECT_EQ(c.period[1], Step);  // 0 acts as 1
    Write({0xB9});
    EXPECT_EQ(c.volume[1], 1374);

    PsgChip before = c;
    PsgWrite(0, 0x3F);  // after an attenuation latch: ignored
    EXPECT_EQ(std::memcmp(&before, &c, sizeof before), 0);
    Write({0xE4});
    before = c;
    PsgWrite(0, 0x3F);  // after a noise-control latch: ignored
    EXPECT_EQ(std::memcmp(&before, &c, sizeof before), 0);
}

TEST(Psg, NoiseControlRestartsRegisterAndRate3FollowsTone2) {
    PsgInit(0, Clock, Rate);
    const PsgChip& c = Chip();
    Write({0xE7, 0xF0});
    EXPECT_EQ(c.noiseFeedback, 0x12000);
    EXPECT_EQ(c.period[3], 2 * Step);
    Write({0xC5});
    EXPECT_EQ(c.period[3], 2 * 5 * Step);
    PsgWrite(0, 0x01);  // data byte: tone 2 = 0x15
    EXPECT_EQ(c.period[3], 2 * 0x15 * Step);

    Generate(50);
    ASSERT_NE(c.rng, PSG_NOISE_PRESET);
    const int32_t count = c.count[3];
    Write({0xE7});  // unchanged value still restarts
    EXPECT_EQ(c.rng, PSG_NOISE_PRESET);
    EXPECT_EQ(c.output[3], 1);
    EXPECT_EQ(c.count[3], count);

    Write({0xE2});
    EXPECT_EQ(c.noiseFeedback, 0x8000);
    EXPECT_EQ(c.period[3], 128 * Step);
    SetTone(2, 100);
    EXPECT_EQ(c.period[3], 128 * Step);
}

TEST(Psg, FullToneAndNoiseClampAt32767) {
    PsgInit(0, Clock, Rate);
    for (int ch = 0; ch < 3; ++ch) SetTone(ch, 1023);
    Write({0x90, 0xB0, 0xD0});
    EXPECT_EQ(Generate(3)[2], 3 * Loudest * 0x10000 >> 16);  // 32766: all three high all along
    Write({0xE0, 0xF0});  // noise high for its first 12918 units, past 2^31 in the mix
    EXPECT_EQ(Generate(1)[0], 32767);
}

TEST(Psg, SilentChannelsHoldStillEvenOverLongCalls) {
    PsgInit(0, Clock, Rate);
    for (int ch = 0; ch < 3; ++ch) SetTone(ch, 3 + 4 * ch);
    Write({0xE5, 0x90, 0xB0, 0xD0, 0xF0});
    Generate(37);  // leave every channel mid-period
    Write({0x9F, 0xBF, 0xDF, 0xFF});
    const PsgChip before = Chip();
    for (int n : {735, 100000}) {
        for (int16_t s : Generate(n)) ASSERT_EQ(s, 0);
        EXPECT_EQ(std::memcmp(&before, &Chip(), sizeof before), 0) << n;
    }
}

// Rising crossings of half the amplitude over three seconds give the tone's frequency.
TEST(Psg, ToneFrequencyMatchesClockOver32N) {
    for (int n : {1023, 254, 64, 16}) {
        PsgInit(0, Clock, Rate);
        SetTone(0, n);
        PsgWrite(0, 0x90);
        const std::vector<int16_t> s = Generate(3 * Rate);
        int rising = 0;
        for (size_t k = 1; k < s.size(); ++k)
            rising += s[k - 1] < Loudest / 2 && s[k] >= Loudest / 2;
        EXPECT_NEAR(rising, 3.0 * Clock / (32.0 * n), 2.0) << n;
    }
}

// Below one sample per half-period the tone is averaged: each sample is part high, part low
// (a sampled square would show 0 or 10922), and the mean is half the amplitude.
TEST(Psg, ToneAboveSampleRateAveragesToHalfAmplitude) {
    for (int n : {1, 2, 3}) {
        PsgInit(0, Clock, Rate);
        SetTone(1, n);
        PsgWrite(0, 0xB0);
        const std::vector<int16_t> s = Generate(Rate);
        double sum = 0;
        for (size_t k = 1; k < s.size(); ++k) {
            ASSERT_GT(s[k], 4000) << n;
            ASSERT_LT(s[k], 7000) << n;
            sum += s[k];
        }
        EXPECT_NEAR(sum / (s.size() - 1), Loudest / 2.0, Loudest * 0.005) << n;
    }
}

// Counts shifts until rng is back at the preset, and the samples between the first shift and
// that return. At rate 0 shifts are 512 clocks (several samples) apart, so each is seen.
void ExpectNoiseCycle(int control, int shifts) {
    PsgInit(0, Clock, Rate);
    Write({control, 0xF0});
    int seen = 0, samples = 0;
    for (uint32_t last = Chip().rng; seen == 0 || last != PSG_NOISE_PRESET;) {
        Generate(1);
        samples += seen > 0;
        if (Chip().rng != last) ++seen, last = Chip().rng;
        ASSERT_LT(seen, 100000);
    }
    EXPECT_EQ(seen, shifts);
    const double expected = (shifts - 1) * 512.0 * Rate / Clock;
    EXPECT_NEAR(samples, expected, 2 + expected * 1e-4);
}

TEST(Psg, PeriodicNoiseRepeatsEvery15Shifts) {
    ExpectNoiseCycle(0xE0, 15);
}
TEST(Psg, WhiteNoiseRepeatsEvery57337Shifts) {
    ExpectNoiseCycle(0xE4, 57337);
}

}  // namespace
}  // namespace plexaro
