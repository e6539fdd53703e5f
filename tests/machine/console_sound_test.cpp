// The hardware behaviour's sound as the console puts it out: the four channels mixed with room
// for all of them, through a coupling that lets no steady level through. The simple behaviour
// keeps the chip's clamped mix.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <vector>

#include "machine/machine.h"
#include "machine/state.h"
#include "tests/machine/test_cartridges.h"

namespace plexaro {
namespace {

std::vector<int16_t> Play(uint32_t frames) {
    std::vector<int16_t> all;
    for (uint32_t frame = 0; frame < frames; ++frame) {
        RunFrame();
        const int16_t* samples = MakeSoundFrame();
        all.insert(all.end(), samples, samples + SoundFrameSamples());
    }
    return all;
}

// Ten seconds of a tune that has all four channels at full volume on every beat.
TEST(ConsoleSound, LoudTuneClipsOnlyInTheChipsMix) {
    const std::string loud = testing::CartridgePath("loud");
    uint32_t clamped[2] = {};
    for (uint32_t hardware : {0u, 1u}) {
        SelectVideoBehaviour(hardware);
        ASSERT_EQ(InitMachine(256), nullptr);
        ASSERT_EQ(LoadCartridge(loud.c_str()), nullptr);
        const std::vector<int16_t> s = Play(600);
        const auto [low, high] = std::minmax_element(s.begin(), s.end());
        double sum = 0;
        for (int16_t v : s) sum += v;
        clamped[hardware] = static_cast<uint32_t>(std::count(s.begin(), s.end(), int16_t{32767}));
        if (hardware == 0) {
            EXPECT_EQ(*low, 0);  // never below silence
        } else {
            // Around zero: the mean is nearly 0, and the swing goes far either way.
            EXPECT_LT(std::fabs(sum / static_cast<double>(s.size())), 100.0);
            EXPECT_LT(*low, -10000);
            EXPECT_GT(*high, 10000);
            EXPECT_GT(*low, -32767);
        }
    }
    std::printf("clamped samples in 10 s of loud.sg: simple %u, hardware %u\n", clamped[0],
                clamped[1]);
    EXPECT_GT(clamped[0], 1000u);
    EXPECT_EQ(clamped[1], 0u);
    SelectVideoBehaviour(0);
}

// A tone far above hearing comes out as a steady level (a sample averages five of its half
// periods) with a ripple: the coupling lets the level through at first and lets it die away
// as a 10-20 Hz high-pass does, to 1/e in 1 / (2π × corner) s. Means over windows of 100
// samples see the level through the ripple.
double MeanOf(const std::vector<int16_t>& s, size_t from) {
    double sum = 0;
    for (size_t i = from; i < from + 100; ++i) sum += s[i];
    return sum / 100;
}

void StartSteadyLevel() {
    SelectVideoBehaviour(1);
    FreeMachine();                         // no cartridge: the Z80 runs through zeros
    ASSERT_EQ(InitMachine(256), nullptr);  // and the coupling starts without charge
    for (uint32_t byte : {0x80u, 0x00u, 0x90u}) ConsolePortOut(0x7F, byte);  // tone 0, period 1
}

TEST(ConsoleSound, CouplingLetsASteadyLevelDieAway) {
    StartSteadyLevel();
    const std::vector<int16_t> s = Play(30);
    const double first = MeanOf(s, 0);
    EXPECT_GT(first, 3000);  // three quarters of half the loudest channel, 4096
    size_t fallen = 0;
    while (fallen + 100 < s.size() && MeanOf(s, fallen) > first / std::numbers::e) ++fallen;
    EXPECT_GT(static_cast<double>(fallen), 44100 / (2 * std::numbers::pi * 20));
    EXPECT_LT(static_cast<double>(fallen), 44100 / (2 * std::numbers::pi * 10));
    EXPECT_LT(std::fabs(MeanOf(s, s.size() - 100)), 100.0);

    // Part way down, kept in a state, the rest of the fall is the same after loading it.
    StartSteadyLevel();
    Play(1);
    std::vector<uint8_t> state(MachineStateSize());
    SaveMachineState(1, state.data());
    const std::vector<int16_t> after = Play(3);
    Play(20);
    ASSERT_EQ(LoadMachineState(state.data(), state.size(), nullptr), nullptr);
    EXPECT_EQ(Play(3), after);
    SelectVideoBehaviour(0);
}

}  // namespace
}  // namespace plexaro
