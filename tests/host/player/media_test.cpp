// The hashes the player prints.
#include "host/media.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace plexaro {
namespace {

// Published FNV-1a 64 vectors, then frames and samples as little-endian byte pairs (a
// frame's rows without the stride's padding).
TEST(FnvHashing, VectorsAndByteOrder) {
    const auto hash = [](const char* text) {
        return Fnv1a64(FnvOffsetBasis, reinterpret_cast<const uint8_t*>(text), std::strlen(text));
    };
    EXPECT_EQ(hash(""), 0xCBF29CE484222325u);
    EXPECT_EQ(hash("a"), 0xAF63DC4C8601EC8Cu);
    EXPECT_EQ(hash("foobar"), 0x85944171F73967E8u);

    std::vector<uint16_t> frame(300 * VdpVisibleLines, 0xFFFF);
    std::vector<uint8_t> bytes;
    for (uint32_t y = 0; y < VdpVisibleLines; ++y) {
        for (uint32_t x = 0; x < VdpScreenWidth; ++x) {
            frame[y * 300 + x] = static_cast<uint16_t>(y * 256 + x);
            bytes.insert(bytes.end(), {static_cast<uint8_t>(x), static_cast<uint8_t>(y)});
        }
    }
    EXPECT_EQ(HashFrame(FnvOffsetBasis, frame.data(), 300),
              Fnv1a64(FnvOffsetBasis, bytes.data(), bytes.size()));
    const int16_t samples[] = {0x1234, 0x7FFF, 0};
    const uint8_t sampleBytes[] = {0x34, 0x12, 0xFF, 0x7F, 0, 0};
    EXPECT_EQ(HashSamples(HashSamples(FnvOffsetBasis, samples, 1), samples + 1, 2),
              Fnv1a64(FnvOffsetBasis, sampleBytes, sizeof sampleBytes));
}

}  // namespace
}  // namespace plexaro
