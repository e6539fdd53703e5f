// The sound's timing in the two behaviours, on sample.sg (a sine played by attenuation
// writes every 456 cycles, the first at cycle 29999 of the first frame): the hardware
// behaviour's frames of 735 and 736 samples add up to exactly the console's time, its writes
// land at their cycle and the sampled sound comes out; the simple behaviour keeps its frames
// of 735 samples with every write applied to the whole frame.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <numbers>
#include <vector>

#include "machine/machine.h"
#include "tests/machine/test_cartridges.h"

namespace plexaro {
namespace {

constexpr uint64_t HardwareFrameCycles = 262 * 228;
constexpr uint32_t FirstWriteCycle = 29999;
constexpr double CyclesPerLevel = 456;
constexpr double LevelsPerPeriod = 16;

class SoundTiming : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string path = testing::CartridgePath("sample");
        if (!std::filesystem::exists(path)) GTEST_SKIP() << path << " is not built";
        ASSERT_EQ(InitMachine(256), nullptr);
        ASSERT_EQ(LoadCartridge(path.c_str()), nullptr);
    }
    void TearDown() override {
        SelectVideoBehaviour(0);
        ShutdownMachine();
    }

    // Every sample of `frames` frames, as the player's WAV takes them.
    std::vector<int16_t> Play(uint32_t hardware, int frames) {
        SelectVideoBehaviour(hardware);
        std::vector<int16_t> samples;
        for (int frame = 0; frame < frames; ++frame) {
            RunFrame();
            const int16_t* sound = MakeSoundFrame();
            samples.insert(samples.end(), sound, sound + SoundFrameSamples());
        }
        return samples;
    }
};

// How much of the sound, about its mean, is a sine at the table's frequency: 1 for a pure
// sine, near 0 for anything else. Heard through an 8-sample average (a low-pass at a few
// kHz): the tone under the levels toggles far above hearing, and the chip's sampling of it
// leaves a ripple that is no part of the waveform.
double SineShare(const std::vector<int16_t>& samples, size_t from) {
    constexpr size_t Average = 8;
    const double frequency = ConsoleClockHz / (CyclesPerLevel * LevelsPerPeriod);
    const double step = 2 * std::numbers::pi * frequency / SampleRate;
    std::vector<double> heard;
    for (size_t i = from; i + Average <= samples.size(); ++i) {
        double sum = 0;
        for (size_t k = 0; k < Average; ++k) sum += samples[i + k];
        heard.push_back(sum / Average);
    }
    const size_t n = heard.size();
    double mean = 0;
    for (double x : heard) mean += x;
    mean /= static_cast<double>(n);
    double c = 0, s = 0, energy = 0;
    for (size_t i = 0; i < n; ++i) {
        const double x = heard[i] - mean;
        c += x * std::cos(step * static_cast<double>(i));
        s += x * std::sin(step * static_cast<double>(i));
        energy += x * x;
    }
    return energy > 0 ? 2 * (c * c + s * s) / (static_cast<double>(n) * energy) : 0;
}

TEST_F(SoundTiming, HardwareFramesAddUpToTheConsolesTimeSimpleOnesAre735) {
    constexpr int Frames = 3000;
    SelectVideoBehaviour(1);
    uint64_t total = 0;
    for (int frame = 0; frame < Frames; ++frame) {
        RunFrame();
        MakeSoundFrame();
        const uint32_t count = SoundFrameSamples();
        ASSERT_TRUE(count == 735 || count == 736) << "frame " << frame << ": " << count;
        total += count;
    }
    // Nothing lost and nothing made twice: the whole run's cycles at the sample rate.
    EXPECT_EQ(total, Frames * HardwareFrameCycles * SampleRate / ConsoleClockHz);
    // A frame is handed out once.
    MakeSoundFrame();
    EXPECT_EQ(SoundFrameSamples(), 0u);

    SelectVideoBehaviour(0);
    for (int frame = 0; frame < 10; ++frame) {
        RunFrame();
        MakeSoundFrame();
        EXPECT_EQ(SoundFrameSamples(), 735u);
    }
}

TEST_F(SoundTiming, AWriteTakesEffectAtItsCycleInTheHardwareBehaviourOnly) {
    const std::vector<int16_t> hardware = Play(1, 1);
    ASSERT_EQ(hardware.size(), 735u);
    const size_t at = FirstWriteCycle * SampleRate / ConsoleClockHz;  // 369
    for (size_t i = 0; i < at; ++i) ASSERT_EQ(hardware[i], 0) << "sample " << i;
    // Then loud, until the table's quietest levels (three quarters of a 490.6 Hz period on).
    for (size_t i = at; i < at + 50; ++i) ASSERT_GT(hardware[i], 0) << "sample " << i;

    ResetMachine();
    const std::vector<int16_t> simple = Play(0, 1);
    ASSERT_EQ(simple.size(), 735u);
    EXPECT_GT(simple[0], 0);  // the frame's writes count from its first sample
}

TEST_F(SoundTiming, SampledSoundFollowsItsWaveformInTheHardwareBehaviourOnly) {
    constexpr int Frames = 60;
    const size_t from = 2 * MaxSamplesPerFrame;  // well after the first write
    const double hardware = SineShare(Play(1, Frames), from);
    ResetMachine();
    const double simple = SineShare(Play(0, Frames), from);
    EXPECT_GT(hardware, 0.9);  // 0.99: what is left is the 16 levels' steps
    EXPECT_LT(simple, 0.1);    // one level a frame
}

}  // namespace
}  // namespace plexaro
