// The cartridge boards and the console's RAM: which board an image gets, the mapper's page
// registers as a program drives them, the hardware behaviour's 1 KB of RAM and its power-on
// contents, and our board cartridges run whole.
#include "machine/board.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "machine/machine.h"
#include "machine/state.h"
#include "tests/machine/test_cartridges.h"
#include "video/vdp.h"

namespace plexaro {
namespace {

constexpr uint8_t Green = 0x02;
constexpr uint8_t Red = 0x08;

class Boards : public ::testing::Test {
protected:
    void TearDown() override {
        SelectBoard(BoardAuto);
        SelectPowerOnRam(PowerOnAuto, DefaultPowerOnSeed);
        SelectVideoBehaviour(0);
        ShutdownMachine();
    }

    static void Run(const std::string& path, uint32_t hardware, uint32_t frames = 2) {
        SelectVideoBehaviour(hardware);
        ASSERT_EQ(InitMachine(256), nullptr);
        ASSERT_EQ(LoadCartridge(path.c_str()), nullptr) << path;
        for (uint32_t frame = 0; frame < frames; ++frame) RunFrame();
    }
};

// The picture's middle pixel as red, green and blue (a load draws in RGB 565).
std::vector<uint8_t> MiddlePixel() {
    uint8_t rgb[3];
    PixelToRgb(GetFrameBuffer()[96 * RecordedRowStride() + 128], Rgb565, rgb);
    return {rgb[0], rgb[1], rgb[2]};
}

// What our cartridges show for a pass: the whole picture in the backdrop's medium green.
std::vector<uint8_t> GreenPixel() {
    return {RgbPalette[Green][0], RgbPalette[Green][1], RgbPalette[Green][2]};
}

// A mapper image of `pages` pages whose every byte past page 0 is its page number, with
// `program` at 0x0000, cut `shortBy` bytes short of its last page.
std::vector<uint8_t> MapperImage(uint32_t pages, std::vector<uint8_t> program, size_t shortBy) {
    std::vector<uint8_t> image(pages * MapperPageSize - shortBy);
    for (size_t at = 0; at < image.size(); ++at) image[at] = static_cast<uint8_t>(at / 0x4000);
    std::copy(program.begin(), program.end(), image.begin());
    return image;
}

TEST_F(Boards, TheImageSizePicksTheBoardAndTheMenuOverridesIt) {
    EXPECT_EQ(BoardForSize(8192), BoardFlat);
    EXPECT_EQ(BoardForSize(40960), BoardFlat);
    EXPECT_EQ(BoardForSize(40961), BoardRom48);
    EXPECT_EQ(BoardForSize(49152), BoardRom48);
    EXPECT_EQ(BoardForSize(49153), BoardMapper);
    uint32_t kind = 0;
    EXPECT_TRUE(BoardFromName("ram8k", &kind));
    EXPECT_EQ(kind, BoardRam8k);
    EXPECT_FALSE(BoardFromName("sega", &kind));

    // rom48.sg runs from above 0xA000: whole on its own board, into RAM on the flat one.
    const std::string rom48 = testing::CartridgePath("rom48");
    for (uint32_t hardware : {0u, 1u}) {
        Run(rom48, hardware);
        EXPECT_EQ(CurrentBoard(), BoardRom48);
        EXPECT_EQ(PeekConsole(0xC000), 0x5A) << hardware;
        EXPECT_EQ(PeekConsole(0xC001), 0xA5) << hardware;
        EXPECT_EQ(VdpRegister(7), Green) << hardware;
        char warning[LoadWarningSize];
        EXPECT_EQ(TruncatedLoadWarning(warning, sizeof warning), nullptr);
    }
    SelectBoard(BoardFlat);
    Run(rom48, 0);  // applied at the load
    EXPECT_EQ(CurrentBoard(), BoardFlat);
    EXPECT_NE(PeekConsole(0xC001), 0xA5);
    EXPECT_NE(MiddlePixel(), GreenPixel());
    SelectBoard(BoardAuto);
    ResetMachine();  // and at a reset
    for (int frame = 0; frame < 2; ++frame) RunFrame();
    EXPECT_EQ(CurrentBoard(), BoardRom48);
    EXPECT_EQ(PeekConsole(0xC001), 0xA5);
}

// mapper.s checks every slot itself and turns the backdrop green; in both behaviours.
TEST_F(Boards, TheMapperCartridgeSeesEveryPageItSelects) {
    for (uint32_t hardware : {0u, 1u}) {
        Run(testing::CartridgePath("mapper"), hardware);
        EXPECT_EQ(CurrentBoard(), BoardMapper);
        EXPECT_EQ(PeekConsole(0xC001), 0xA5) << hardware;
        EXPECT_EQ(PeekConsole(0xC000), 0) << "failed checks, hardware " << hardware;
        EXPECT_EQ(VdpRegister(7), Green) << hardware;
        EXPECT_EQ(MiddlePixel(), GreenPixel()) << "the whole picture is backdrop";
        const BoardPages pages = CurrentPages();
        EXPECT_EQ(pages.pageCount, 8u);
        EXPECT_EQ(pages.page[0], 0);
        EXPECT_EQ(pages.page[1], 1);  // 9 on 8 pages
        EXPECT_EQ(pages.page[2], 7);
        EXPECT_EQ(pages.consoleRam1k, hardware == 1);
    }
}

// A 5-page image cut short: padded with 0xFF and said so. The program selects page 7 in
// slot 1 (7 mod 5 = 2) and page 4 in slot 0, then halts. A state taken there brings the
// pages back after a reset has put them to 0, 1, 2.
TEST_F(Boards, PageWritesReachRamWrapAndLeaveTheFirstKilobyteAndAStateKeepsThem) {
    const std::vector<uint8_t> program = {
        0x31, 0xF0, 0xC3,  // ld sp, 0xC3F0
        0x3E, 0x07,        // ld a, 7
        0x32, 0xFE, 0xFF,  // ld (0xFFFE), a
        0x3E, 0x04,        // ld a, 4
        0x32, 0xFD, 0xFF,  // ld (0xFFFD), a
        0x76,              // halt
    };
    const auto dir = testing::MakeScratch("mapper");
    const std::string path = testing::WriteFile(dir / "short.sg", MapperImage(5, program, 100));
    Run(path, 0, 1);
    char warning[LoadWarningSize];
    EXPECT_STREQ(TruncatedLoadWarning(warning, sizeof warning),
                 "is 81820 bytes long, not whole 16 KB pages; the rest reads 0xFF.");
    EXPECT_EQ(RomImageLength(), 5 * MapperPageSize);

    BoardPages pages = CurrentPages();
    EXPECT_EQ(pages.page[1], 2);
    EXPECT_EQ(pages.page[0], 4);
    EXPECT_EQ(PeekConsole(0x4000), 2);
    EXPECT_EQ(PeekConsole(0x0400), 4);     // slot 0 past its first 1 KB
    EXPECT_EQ(PeekConsole(0x0000), 0x31);  // its first 1 KB is page 0
    EXPECT_EQ(PeekConsole(0xFFFE), 7);     // the RAM under the register
    EXPECT_EQ(PeekConsole(0xFFFD), 4);
    std::vector<uint8_t> state(MachineStateSize());
    SaveMachineState(1, state.data());

    ResetMachine();
    pages = CurrentPages();
    EXPECT_EQ(pages.page[0] * 100 + pages.page[1] * 10 + pages.page[2], 12);
    EXPECT_EQ(PeekConsole(0x4000), 1);
    ASSERT_EQ(LoadMachineState(state.data(), state.size(), nullptr), nullptr);
    pages = CurrentPages();
    EXPECT_EQ(pages.page[0] * 100 + pages.page[1] * 10 + pages.page[2], 422);
    EXPECT_EQ(PeekConsole(0x4000), 2);
    EXPECT_EQ(PeekConsole(0x0400), 4);
    EXPECT_EQ(PeekConsole(0x7FFF), 2);
    // The last page, which the file ends 100 bytes short of, is filled out with 0xFF.
    EXPECT_EQ(RomImage()[5 * MapperPageSize - 1], 0xFF);
    EXPECT_EQ(RomImage()[5 * MapperPageSize - 101], 4);
    testing::RemoveScratch(dir);
}

// 0xFFFC bit 3 puts the board's RAM in slot 2 over the page there; cleared, the page shows
// again and takes no writes; set again, the RAM still holds what was written. A state keeps
// the RAM and the bit: a reset clears the bit, the load brings both back.
TEST_F(Boards, TheMapperCartridgeRamComesAndGoesWithItsBitAndAStateKeepsIt) {
    const std::vector<uint8_t> program = {
        0x31, 0xF0, 0xC3,  // ld sp, 0xC3F0
        0x3E, 0x08,        // ld a, 0x08
        0x32, 0xFC, 0xFF,  // ld (0xFFFC), a: the RAM in slot 2
        0x3E, 0x5A,        // ld a, 0x5A
        0x32, 0x23, 0x81,  // ld (0x8123), a
        0xAF,              // xor a
        0x32, 0xFC, 0xFF,  // ld (0xFFFC), a: page 2 again
        0x3A, 0x23, 0x81,  // ld a, (0x8123)
        0x32, 0x00, 0xC0,  // ld (0xC000), a
        0x3E, 0xA5,        // ld a, 0xA5
        0x32, 0x23, 0x81,  // ld (0x8123), a: onto the page, dropped
        0x3E, 0x08,        // ld a, 0x08
        0x32, 0xFC, 0xFF,  // ld (0xFFFC), a
        0x3A, 0x23, 0x81,  // ld a, (0x8123)
        0x32, 0x01, 0xC0,  // ld (0xC001), a
        0x76,              // halt
    };
    const auto dir = testing::MakeScratch("mapper-ram");
    const std::string path = testing::WriteFile(dir / "ram.sg", MapperImage(4, program, 0));
    for (uint32_t hardware : {0u, 1u}) {
        SCOPED_TRACE(hardware);
        Run(path, hardware, 1);
        EXPECT_EQ(PeekConsole(0xC000), 2);     // page 2's own byte
        EXPECT_EQ(PeekConsole(0xC001), 0x5A);  // the RAM, not the dropped write
        EXPECT_EQ(PeekConsole(0x8123), 0x5A);
        EXPECT_EQ(CurrentPages().control, 0x08);
        std::vector<uint8_t> state(MachineStateSize());
        SaveMachineState(1, state.data());

        ResetMachine();
        EXPECT_EQ(CurrentPages().control, 0);
        EXPECT_EQ(PeekConsole(0x8123), 2);
        EXPECT_FALSE(ConsoleRamAt(0x8123));
        ASSERT_EQ(LoadMachineState(state.data(), state.size(), nullptr), nullptr);
        EXPECT_EQ(CurrentPages().control, 0x08);
        EXPECT_EQ(PeekConsole(0x8123), 0x5A);
        EXPECT_TRUE(ConsoleRamAt(0xBFFF));
        ShutdownMachine();
    }
    testing::RemoveScratch(dir);
}

TEST_F(Boards, AnImageOverOneMegabyteLoadsItsFirstMegabyte) {
    const auto dir = testing::MakeScratch("huge");
    const std::string path = testing::WriteFile(dir / "huge.sg", MapperImage(65, {0x76}, 0));
    Run(path, 0, 1);
    char warning[LoadWarningSize];
    EXPECT_STREQ(TruncatedLoadWarning(warning, sizeof warning),
                 "is 1064960 bytes long; only its first 1048576 bytes are loaded.");
    EXPECT_STREQ(TruncatedLoadWarning(warning, 9), "is 10649");  // cut to fit
    EXPECT_EQ(CurrentPages().pageCount, 64u);
    testing::RemoveScratch(dir);
}

// The console as built repeats its 1 KB; the simple machine has separate RAM there.
TEST_F(Boards, TheHardwareRamRepeatsEveryKilobyte) {
    Run(testing::CartridgePath("mirror"), 1);
    EXPECT_EQ(PeekConsole(0xC020), 6);
    EXPECT_EQ(VdpRegister(7), Green);
    EXPECT_EQ(PeekConsole(0xE010), PeekConsole(0xC010));
    EXPECT_TRUE(PokeConsoleRam(0xFC30, 0x77));
    EXPECT_EQ(PeekConsole(0xC030), 0x77);
    EXPECT_FALSE(PokeConsoleRam(0x8000, 0x77));  // ROM (0xFF past the image) below 0xC000
    EXPECT_EQ(PeekConsole(0x8000), 0xFF);

    Run(testing::CartridgePath("mirror"), 0);
    EXPECT_EQ(PeekConsole(0xC020), 0);
    EXPECT_EQ(VdpRegister(7), Red);

    // bus.s writes 0x55 at 0x8123 and reads it back into 0xC001: RAM on the ram8k board, the
    // open bus past the image without it.
    Run(testing::CartridgePath("bus"), 1);
    EXPECT_EQ(PeekConsole(0xC001), 0xFF);
    SelectBoard(BoardRam8k);
    Run(testing::CartridgePath("bus"), 1);
    EXPECT_EQ(PeekConsole(0xC001), 0x55);
    EXPECT_EQ(PeekConsole(0xC000), 0xA5);  // 0x4000 still reads the cartridge
}

// poweron.s adds up RAM it never wrote: zero in the simple machine, something else in the
// hardware one, and each setting reachable in either.
TEST_F(Boards, PowerOnRamIsZeroPatternOrSeededRandom) {
    const std::string path = testing::CartridgePath("poweron");
    const auto sum = [&](uint32_t hardware, uint32_t mode, uint32_t seed) {
        SelectPowerOnRam(mode, seed);
        Run(path, hardware, 1);
        EXPECT_EQ(PeekConsole(0xC001), 0xA5);
        EXPECT_EQ(VdpRegister(7), PeekConsole(0xC000) & 0x0F);
        return PeekConsole(0xC000);
    };
    EXPECT_EQ(sum(0, PowerOnAuto, DefaultPowerOnSeed), 0);
    const uint8_t hardware = sum(1, PowerOnAuto, DefaultPowerOnSeed);
    EXPECT_NE(hardware, 0);
    EXPECT_EQ(sum(1, PowerOnRandom, DefaultPowerOnSeed), hardware);  // the same each run
    EXPECT_NE(sum(1, PowerOnRandom, 1), sum(1, PowerOnRandom, 2));
    EXPECT_EQ(sum(1, PowerOnZero, 0), 0);
    EXPECT_EQ(sum(0, PowerOnPattern, 0), 0x80);  // 128 bytes of 0xFF
    EXPECT_EQ(sum(1, PowerOnPattern, 0), 0x80);

    // A state carries the RAM's contents: loaded over zeroed RAM, the sum is back.
    SelectPowerOnRam(PowerOnRandom, 7);
    Run(path, 1, 1);
    std::vector<uint8_t> state(MachineStateSize());
    SaveMachineState(1, state.data());
    const uint8_t seen = PeekConsole(0xC1FF);
    SelectPowerOnRam(PowerOnZero, 0);
    ResetMachine();
    EXPECT_EQ(PeekConsole(0xC1FF), 0);
    ASSERT_EQ(LoadMachineState(state.data(), state.size(), nullptr), nullptr);
    EXPECT_EQ(PeekConsole(0xC1FF), seen);
    EXPECT_EQ(PeekConsole(0xC5FF), seen);  // and the map it was made with
}

}  // namespace
}  // namespace plexaro

namespace plexaro {
namespace {

// The layout that other rooms take from the board agrees with what the CPU reads, on every
// board in both behaviours, and with a mapper whose slot 0 shows another page than its fixed
// first 1 KB: the regions cover the address space in order, each byte they point at is the
// one the CPU reads, a ROM byte is the image's at ImageOffsetAt, and RAM is RAM.
TEST_F(Boards, TheLayoutIsWhatTheCpuSees) {
    const std::vector<uint8_t> program = {
        0x3E, 0x04,        // ld a, 4
        0x32, 0xFD, 0xFF,  // ld (0xFFFD), a
        0x76,              // halt
    };
    const auto dir = testing::MakeScratch("layout");
    const std::string mapper = testing::WriteFile(dir / "mapper.sg", MapperImage(5, program, 0));
    for (uint32_t kind : {BoardFlat, BoardRom48, BoardMapper, BoardRam8k}) {
        for (uint32_t hardware : {0u, 1u}) {
            SCOPED_TRACE(std::string(BoardName(kind)) + (hardware ? " hardware" : " simple"));
            SelectBoard(kind);
            Run(kind == BoardMapper ? mapper : testing::CartridgePath("busy"), hardware, 1);
            BoardRegion regions[MaxBoardRegions];
            const uint32_t count = BoardRegions(regions);
            uint32_t next = 0;
            for (uint32_t i = 0; i < count; ++i) {
                const BoardRegion& r = regions[i];
                ASSERT_EQ(r.start, next);
                next = r.start + r.length;
                const uint32_t repeat = r.mirrorOf == r.start ? r.length : 0x400;
                for (uint32_t a = r.start; a < next; ++a) {
                    const uint8_t* byte = r.bytes + (a - r.start) % repeat;
                    ASSERT_EQ(*byte, PeekConsole(a)) << std::hex << a;
                    ASSERT_EQ(ConsoleRamAt(a), r.kind != RegionRom) << std::hex << a;
                    const int32_t offset = ImageOffsetAt(a);
                    if (r.kind == RegionRom && !hardware && a < RomImageLength()) {
                        ASSERT_GE(offset, 0) << std::hex << a;
                    }
                    if (offset >= 0) {
                        ASSERT_EQ(RomImage()[offset], PeekConsole(a)) << std::hex << a;
                    }
                    if (r.kind == RegionCartridgeRam || r.kind == RegionConsoleRam) {
                        ASSERT_EQ(offset, -1) << std::hex << a;
                    }
                }
            }
            EXPECT_EQ(next, 0x10000u);
            if (kind == BoardMapper) {
                EXPECT_EQ(ImageOffsetAt(0x00A9), 0x00A9) << "the fixed first 1 KB is page 0";
                EXPECT_EQ(ImageOffsetAt(0x04A9), 4 * 0x4000 + 0x04A9);
            }
        }
    }
    testing::RemoveScratch(dir);
}

}  // namespace
}  // namespace plexaro
