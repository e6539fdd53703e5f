// Hashes, pixel conversion and the WAV writer of the player.
#include "host/media.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/machine/test_cartridges.h"

namespace plexaro {
namespace {

// Published FNV-1a 64 test vectors.
TEST(FnvHashing, Fnv1a64Vectors) {
    const auto hash = [](const char* text) {
        return Fnv1a64(FnvOffsetBasis, reinterpret_cast<const uint8_t*>(text), std::strlen(text));
    };
    EXPECT_EQ(hash(""), 0xCBF29CE484222325u);
    EXPECT_EQ(hash("a"), 0xAF63DC4C8601EC8Cu);
    EXPECT_EQ(hash("foobar"), 0x85944171F73967E8u);
}

// Pixels hash as little-endian pairs, row by row, skipping the stride's padding.
TEST(FnvHashing, FramesAndSamplesAsLittleEndianBytes) {
    std::vector<uint16_t> frame(300 * PictureHeight, 0xFFFF);
    std::vector<uint8_t> bytes;
    for (uint32_t y = 0; y < PictureHeight; ++y) {
        for (uint32_t x = 0; x < PictureWidth; ++x) {
            const uint16_t p = static_cast<uint16_t>(y * 256 + x);
            frame[y * 300 + x] = p;
            bytes.push_back(static_cast<uint8_t>(p));
            bytes.push_back(static_cast<uint8_t>(p >> 8));
        }
    }
    EXPECT_EQ(HashFrame(FnvOffsetBasis, frame.data(), 300),
              Fnv1a64(FnvOffsetBasis, bytes.data(), bytes.size()));

    const int16_t samples[] = {0x1234, 0x7FFF, 0};
    const uint8_t sampleBytes[] = {0x34, 0x12, 0xFF, 0x7F, 0, 0};
    const uint64_t split = HashSamples(HashSamples(FnvOffsetBasis, samples, 1), samples + 1, 2);
    EXPECT_EQ(split, Fnv1a64(FnvOffsetBasis, sampleBytes, sizeof sampleBytes));
}

// Colours 15, 4 and 7 of the console's palette in both pixel formats come back exactly.
TEST(PngPixels, PaletteColoursComeBackExactly) {
    struct Case {
        uint32_t mode;
        uint16_t pixel;
        uint8_t r, g, b;
    };
    const Case cases[] = {
        {1, 0xE71C, 224, 224, 224}, {0, 0x739C, 224, 224, 224}, {1, 0x211C, 32, 32, 224},
        {0, 0x109C, 32, 32, 224},   {1, 0x461C, 64, 192, 224},  {0, 0x231C, 64, 192, 224},
        {1, 0x0000, 0, 0, 0},
    };
    std::vector<uint16_t> frame(PictureWidth * PictureHeight);
    std::vector<uint8_t> rgb(frame.size() * 3);
    for (const Case& c : cases) {
        frame.assign(frame.size(), 0);
        frame[PictureWidth * 191 + 255] = c.pixel;  // the last pixel
        FrameToRgb(frame.data(), PictureWidth, c.mode, rgb.data());
        const uint8_t* last = &rgb[rgb.size() - 3];
        EXPECT_EQ(last[0], c.r) << std::hex << c.pixel;
        EXPECT_EQ(last[1], c.g) << std::hex << c.pixel;
        EXPECT_EQ(last[2], c.b) << std::hex << c.pixel;
        EXPECT_EQ(rgb[0] | rgb[1] | rgb[2], 0);
    }
}

uint32_t Le32(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

uint16_t Le16(const std::vector<uint8_t>& b, size_t at) {
    return static_cast<uint16_t>(b[at] | b[at + 1] << 8);
}

TEST(WavWriter, HeaderAndSamples) {
    const auto dir = testing::MakeScratch("wav");
    const std::string path = (dir / "out.wav").string();
    WavFile wav = OpenWav(path.c_str());
    ASSERT_NE(wav.file, nullptr);
    std::vector<int16_t> frame(735, 0);
    frame[0] = 0x1234;
    frame[734] = 32767;
    AppendWav(wav, frame.data(), frame.size());
    AppendWav(wav, frame.data(), 2);
    ASSERT_TRUE(CloseWav(wav));

    const std::vector<uint8_t> b = testing::ReadBytes(path);
    const uint32_t data = 737 * 2;
    ASSERT_EQ(b.size(), 44 + data);
    EXPECT_EQ(std::string(b.begin(), b.begin() + 4), "RIFF");
    EXPECT_EQ(Le32(b, 4), 36 + data);
    EXPECT_EQ(std::string(b.begin() + 8, b.begin() + 16), "WAVEfmt ");
    EXPECT_EQ(Le32(b, 16), 16u);
    EXPECT_EQ(Le16(b, 20), 1);  // PCM
    EXPECT_EQ(Le16(b, 22), 1);  // mono
    EXPECT_EQ(Le32(b, 24), 44100u);
    EXPECT_EQ(Le32(b, 28), 88200u);
    EXPECT_EQ(Le16(b, 32), 2);
    EXPECT_EQ(Le16(b, 34), 16);
    EXPECT_EQ(std::string(b.begin() + 36, b.begin() + 40), "data");
    EXPECT_EQ(Le32(b, 40), data);
    EXPECT_EQ(Le16(b, 44), 0x1234);
    EXPECT_EQ(Le16(b, 44 + 734 * 2), 32767);
    EXPECT_EQ(Le16(b, 44 + 735 * 2), 0x1234);

    EXPECT_EQ(OpenWav((dir / "no" / "such" / "dir.wav").c_str()).file, nullptr);
    testing::RemoveScratch(dir);
}

}  // namespace
}  // namespace plexaro
