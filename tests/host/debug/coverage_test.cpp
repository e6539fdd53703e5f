// Coverage on a mapper cartridge: the bytes credited are the ones that ran, followed through
// the page registers and the fixed first 1 KB that slot 0 always shows.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "host/debug/profiler.h"
#include "machine/board.h"
#include "machine/debugger.h"
#include "machine/machine.h"

namespace plexaro {
namespace {

// A four-page image. Its program selects page 2 for slot 0, then loops at 0x00A9-0x00C2 in
// the fixed first 1 KB, which shows page 0 whatever slot 0 holds; every other byte is 0xFF.
std::vector<uint8_t> MapperProgram() {
    std::vector<uint8_t> image(4 * MapperPageSize, 0xFF);
    const uint8_t start[] = {
        0xF3,              // di
        0x3E, 0x02,        // ld a, 2
        0x32, 0xFD, 0xFF,  // ld (0xFFFD), a
        0xC3, 0xA9, 0x00,  // jp 0x00A9
    };
    std::copy(std::begin(start), std::end(start), image.begin());
    for (size_t at = 0xA9; at < 0xC0; ++at) image[at] = 0x00;  // nop
    const uint8_t loop[] = {0xC3, 0xA9, 0x00};                 // 0x00C0: jp 0x00A9
    std::copy(std::begin(loop), std::end(loop), image.begin() + 0xC0);
    return image;
}

std::string CoverageText() {
    std::FILE* file = std::tmpfile();
    EXPECT_NE(file, nullptr);
    EXPECT_TRUE(WriteCoverage(file));
    std::string text(static_cast<size_t>(std::ftell(file)), '\0');
    std::rewind(file);
    EXPECT_EQ(std::fread(text.data(), 1, text.size(), file), text.size());
    std::fclose(file);
    return text;
}

TEST(Coverage, OnAMapperCartridgeFollowsTheFixedFirstKilobyte) {
    ASSERT_EQ(InitMachine(256), nullptr);
    const std::vector<uint8_t> image = MapperProgram();
    ASSERT_EQ(LoadCartridgeBytes(image.data(), image.size()), nullptr);
    ASSERT_EQ(CurrentBoard(), BoardMapper);
    ProfilerStart(false, true);
    for (int frame = 0; frame < 2; ++frame) DebuggerRunFrame();
    ProfilerStop();
    EXPECT_EQ(CurrentPages().page[0], 2);

    // Of 65536 bytes, the start (9 bytes) and the loop (0x00A9-0x00C2, 26 bytes) ran; the
    // rest never did, page 2's bytes under the loop's addresses included.
    const std::string text = CoverageText();
    EXPECT_EQ(text.substr(0, text.find('\n')),
              "coverage: 35 of 65536 bytes of the cartridge ran as instructions (0.1%)");
    EXPECT_NE(text.find("\n0x0009-0x00a8    160 bytes\n0x00c3-0xffff  65341 bytes\n"),
              std::string::npos)
        << text;
    ShutdownMachine();
}

}  // namespace
}  // namespace plexaro
