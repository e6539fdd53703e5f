// A program of its own, because the chip's state before the first PsgInit exists only once
// per process.
#include <gtest/gtest.h>

#include "sound/psg.h"

namespace plexaro {
namespace {

TEST(PsgBeforeInit, WritesAndUpdatesGiveSilenceAndReturn) {
    PsgWrite(0, 0x90);  // tone 0 at full volume, with no clock to count periods by
    PsgWrite(0, 0x81);
    int16_t frame[735];
    for (int16_t& s : frame) s = 0x1234;
    PsgUpdate(0, frame, 735);
    for (int16_t s : frame) ASSERT_EQ(s, 0);
}

}  // namespace
}  // namespace plexaro
