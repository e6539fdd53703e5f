#include "sound/psg.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace plexaro {
namespace {

constexpr int Clock = 3579545, Rate = 44100;
constexpr int Step = 12918;  // 44100 * 2^20 / 3579545, truncated
constexpr int Loudest = 10922;

const PsgChip& chip = *PsgInspect(0);

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
bool Unchanged(const PsgChip& before) {
    return std::memcmp(&before, &chip, sizeof before) == 0;
}

TEST(Psg, InitialStateAndCallsThatDoNothing) {
    Write({0xE4});  // the noise feedback outlives initialisation
    EXPECT_EQ(PsgInit(0, Clock, Rate), 0);
    EXPECT_EQ(chip.noiseFeedback, 0x12000);
    EXPECT_EQ(chip.updateStep, Step);
    const int32_t table[16] = {10922, 8675, 6891, 5473, 4348, 3453, 2743, 2179,
                               1731,  1374, 1092, 867,  689,  547,  434,  0};
    EXPECT_EQ(std::memcmp(chip.volTable, table, sizeof table), 0);
    EXPECT_EQ(chip.registers[7], 15);
    EXPECT_EQ(chip.rng, PSG_NOISE_PRESET);
    EXPECT_EQ(chip.output[3], 1);
    for (int16_t s : Generate(735)) ASSERT_EQ(s, 0);

    Write({0x90, 0x81});
    Generate(3);
    const PsgChip before = chip;
    int16_t buffer[2] = {-1, -1};
    PsgUpdate(0, buffer, 0);
    PsgUpdate(0, buffer, -5);
    PsgUpdate(0, nullptr, 2);
    PsgUpdate(1, buffer, 2);
    PsgWrite(1, 0x9F);
    PsgInit(1, Clock, Rate);
    EXPECT_TRUE(buffer[0] == -1 && buffer[1] == -1 && Unchanged(before));
    EXPECT_EQ(PsgInspect(1), nullptr);
}

TEST(Psg, RegisterWrites) {
    PsgInit(0, Clock, Rate);
    Write({0x8F, 0x3F});
    EXPECT_EQ(chip.period[0], 1023 * Step);
    PsgWrite(0, 0x01);  // a second data byte replaces the upper six bits again
    EXPECT_EQ(chip.registers[0], 0x01F);
    Write({0xA0, 0x00, 0xB9});
    EXPECT_EQ(chip.period[1], Step);  // 0 acts as 1
    EXPECT_EQ(chip.volume[1], 1374);
    for (int latch : {0xB9, 0xE7}) {  // data bytes after attenuation or noise latches: ignored
        PsgWrite(0, latch);
        const PsgChip before = chip;
        PsgWrite(0, 0x3F);
        EXPECT_TRUE(Unchanged(before)) << latch;
    }
    EXPECT_EQ(chip.period[3], 2 * Step);  // rate 3 follows tone 2, by latch and by data byte
    Write({0xC5, 0x01});
    EXPECT_EQ(chip.period[3], 2 * 0x15 * Step);

    Write({0xF0});
    Generate(50);
    ASSERT_NE(chip.rng, PSG_NOISE_PRESET);
    const int32_t count = chip.count[3];
    Write({0xE7});  // restarts even though nothing changed
    EXPECT_TRUE(chip.rng == PSG_NOISE_PRESET && chip.output[3] == 1 && chip.count[3] == count);
    Write({0xE2, 0xC1});
    EXPECT_EQ(chip.noiseFeedback, 0x8000);
    EXPECT_EQ(chip.period[3], 128 * Step);
}

// All four channels high through whole samples (long periods, each just turned high): the
// chip's mix clamps what passes 32767, the console's keeps three quarters of the sum and so
// fits even all four at their loudest.
TEST(Psg, ConsoleMixHasRoomForAllFourChannels) {
    for (int noiseAttenuation : {0, 15}) {
        for (PsgMix mix : {PsgMixClamped, PsgMixConsole}) {
            PsgInit(0, Clock, Rate);
            PsgChip held = chip;
            for (int ch = 0; ch < 4; ++ch) {
                held.registers[2 * ch] = ch < 3 ? 1023 : 6;  // noise: white, its slowest rate
                held.registers[2 * ch + 1] = ch < 3 ? 0 : noiseAttenuation;
                held.output[ch] = 1;
                held.count[ch] = 1023 * Step;
            }
            held.rng = 0x7FFF;  // high for its next shifts too
            PsgRestore(0, held);
            std::vector<int16_t> out(3, -1);
            PsgUpdateMixed(0, out.data(), 3, mix);
            const int channels = noiseAttenuation == 0 ? 4 : 3;
            const int sum = channels * Loudest;  // 43688 or 32766
            const int expected = mix == PsgMixClamped ? std::min(sum, 32767) : sum * 3 / 4;
            EXPECT_EQ(out[2], expected) << channels << " channels, mix " << mix;
        }
    }
}

TEST(Psg, MixIsClampedAndSilentChannelsHoldStill) {
    PsgInit(0, Clock, Rate);
    for (int ch = 0; ch < 3; ++ch) SetTone(ch, 1023);
    Write({0x90, 0xB0, 0xD0});
    EXPECT_EQ(Generate(3)[2], 3 * Loudest * 0x10000 >> 16);  // all three high all along: 32766
    Write({0xE5, 0xF0});  // noise high for its first 12918 units takes the mix past 2^31
    EXPECT_EQ(Generate(1)[0], 32767);

    Generate(37);  // leave every channel mid-period, then mute them all
    Write({0x9F, 0xBF, 0xDF, 0xFF});
    const PsgChip before = chip;
    for (int n : {735, 100000}) {
        for (int16_t s : Generate(n)) ASSERT_EQ(s, 0);
        EXPECT_TRUE(Unchanged(before)) << n;
    }
}

// Three seconds of tone: rising crossings of half the amplitude count its cycles. Below one
// sample per half-period every sample is part high, part low (a sampled square would show
// only 0 and 10922), and the mean is half the amplitude.
TEST(Psg, ToneFrequencyAndAveraging) {
    for (int n : {1023, 254, 64, 16, 3, 2, 1}) {
        PsgInit(0, Clock, Rate);
        SetTone(1, n);
        PsgWrite(0, 0xB0);
        const std::vector<int16_t> s = Generate(3 * Rate);
        int rising = 0, low = Loudest, high = 0;
        double sum = 0;
        for (size_t k = 1; k < s.size(); ++k) {
            rising += s[k - 1] < Loudest / 2 && s[k] >= Loudest / 2;
            low = std::min<int>(low, s[k]), high = std::max<int>(high, s[k]), sum += s[k];
        }
        if (n >= 16) {
            EXPECT_NEAR(rising, 3.0 * Clock / (32.0 * n), 2.0) << n;
        } else {
            EXPECT_TRUE(low > 4000 && high < 7000) << n << ": " << low << ".." << high;
        }
        EXPECT_NEAR(sum / (s.size() - 1), Loudest / 2.0, Loudest * 0.005) << n;
    }
}

// Rate 0 shifts every 512 clocks, several samples apart, so every shift shows in rng.
void ExpectNoiseCycle(int control, int shifts) {
    PsgInit(0, Clock, Rate);
    Write({control, 0xF0});
    int seen = 0, samples = 0;
    for (uint32_t last = chip.rng; seen == 0 || last != PSG_NOISE_PRESET;) {
        Generate(1);
        samples += seen > 0;
        if (chip.rng != last) ++seen, last = chip.rng;
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

// The sample rules, one unit of time after another as they are stated, for comparing the
// generator's shortcuts against on random programs. Works on a copy of the chip's state.
int16_t SampleByRules(PsgChip& psg) {
    int32_t acc[4] = {};
    for (int i = 0; i < 3; ++i) {
        if (psg.output[i]) acc[i] += psg.count[i];
        psg.count[i] -= 0x10000;
        while (psg.count[i] <= 0) {
            psg.count[i] += psg.period[i];
            if (psg.count[i] > 0) {
                psg.output[i] ^= 1;
                if (psg.output[i]) acc[i] += psg.period[i];
                break;
            }
            psg.count[i] += psg.period[i];
            acc[i] += psg.period[i];
        }
        if (psg.output[i]) acc[i] -= psg.count[i];
    }
    for (int32_t left = 0x10000; left > 0;) {
        const int32_t next = psg.count[3] < left ? psg.count[3] : left;
        if (psg.output[3]) acc[3] += psg.count[3];
        psg.count[3] -= next;
        if (psg.count[3] <= 0) {
            if (psg.rng & 1) psg.rng ^= static_cast<uint32_t>(psg.noiseFeedback);
            psg.rng >>= 1;
            psg.output[3] = static_cast<int32_t>(psg.rng & 1);
            psg.count[3] += psg.period[3];
            if (psg.output[3]) acc[3] += psg.period[3];
        }
        if (psg.output[3]) acc[3] -= psg.count[3];
        left -= next;
    }
    uint32_t out = 0;
    for (int i = 0; i < 4; ++i) out += static_cast<uint32_t>(acc[i] * psg.volume[i]);
    return static_cast<int16_t>(std::min(out, 0x7FFFu << 16) >> 16);
}

// Random programs: short and long periods, periods shortened below a running count, channels
// silenced and restored, noise following tone 2, updates of 1 to 2000 samples. Samples and
// the whole state must come out as the rules give them.
TEST(Psg, MatchesTheRulesOnRandomPrograms) {
    PsgInit(0, Clock, Rate);
    uint32_t seed = 12345;
    auto random = [&seed](uint32_t range) {
        seed = seed * 1103515245 + 12345;
        return (seed >> 8) % range;
    };
    for (int round = 0; round < 400; ++round) {
        for (uint32_t w = random(6); w-- > 0;) {
            const int channel = static_cast<int>(random(4));
            switch (random(4)) {
                case 0:  // a tone period, often a very short one
                    if (channel < 3) SetTone(channel, random(2) ? random(8) : random(1024));
                    break;
                case 1: Write({0x90 | channel << 5 | static_cast<int>(random(16))}); break;
                case 2: Write({0x90 | channel << 5 | (random(2) ? 15 : 0)}); break;
                default:  // noise, often following tone 2
                    Write({0xE0 | static_cast<int>(random(2) ? 3 | random(2) << 2 : random(8))});
                    break;
            }
        }
        const int n = random(8) == 0 ? 1 + static_cast<int>(random(2000)) : 735;
        PsgChip expected = chip;
        for (int i = 0; i < 4; ++i) {  // silent channels hold still through the update
            if (expected.volume[i] == 0 && expected.count[i] <= n * 0x10000) {
                expected.count[i] += n * 0x10000;
            }
        }
        std::vector<int16_t> wanted(n);
        for (int16_t& sample : wanted) sample = SampleByRules(expected);
        ASSERT_EQ(Generate(n), wanted) << "round " << round;
        ASSERT_EQ(std::memcmp(&expected, &chip, sizeof expected), 0) << "round " << round;
    }
}

}  // namespace
}  // namespace plexaro
