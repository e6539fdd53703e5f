// Its own program: what it checks holds only before anything else in the process has
// written the noise control.
#include <gtest/gtest.h>

#include <vector>

#include "sound/psg.h"

namespace plexaro {
namespace {

TEST(PsgStartup, NoiseWithoutFeedbackPlaysThePresetOnceAndFeedbackSurvivesInit) {
    PsgInit(0, 3579545, 44100);
    const PsgChip& c = *PsgInspect(0);
    ASSERT_EQ(c.noiseFeedback, 0);
    PsgWrite(0, 0xF0);  // noise audible, never configured: rate 0 shifts every 413376 units
    std::vector<int16_t> s(735);
    PsgUpdate(0, s.data(), 735);
    // 0x0F35 shifted right with nothing fed back is empty after its top bit, the 12th, leaves.
    EXPECT_EQ(c.rng, 0u);
    EXPECT_EQ(c.output[3], 0);
    int nonzero = 0;
    for (int16_t v : s) nonzero += v != 0;
    EXPECT_GT(nonzero, 0);
    PsgUpdate(0, s.data(), 735);
    for (int16_t v : s) ASSERT_EQ(v, 0);

    PsgWrite(0, 0xE4);
    PsgInit(0, 3579545, 44100);
    EXPECT_EQ(c.noiseFeedback, 0x12000);
}

}  // namespace
}  // namespace plexaro
