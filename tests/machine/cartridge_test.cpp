// Cartridge loading: file sizes, failures, and what a failed load leaves behind.
#include <gtest/gtest.h>

#include <cstring>

#include "cpu/z80.h"
#include "machine/machine.h"
#include "tests/machine/test_cartridges.h"

namespace plexaro {
namespace {

using testing::MakeScratch;
using testing::WriteFile;

// Never zero, so a misplaced or missing byte shows.
std::vector<uint8_t> Pattern(size_t size) {
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(i * 7 % 255 + 1);
    return bytes;
}

// Files of 8 KB and 40 KB: the image and memory hold the file, zeros after; the last byte of
// a full image sits at 0x9FFF. (Longer files go on other boards: board_test.cpp.)
TEST(CartridgeLoading, ImageHoldsTheFileThenZeros) {
    ASSERT_EQ(InitMachine(256), nullptr);
    const auto dir = MakeScratch("sizes");
    for (size_t size : {size_t{8192}, RomImageSize}) {
        const std::vector<uint8_t> bytes = Pattern(size);
        ASSERT_EQ(LoadCartridge(WriteFile(dir / "cart.sg", bytes).c_str()), nullptr) << size;
        EXPECT_EQ(LoadedFileSize(), size);
        const size_t loaded = std::min(size, RomImageSize);
        EXPECT_EQ(std::memcmp(RomImage(), bytes.data(), loaded), 0) << size;
        EXPECT_EQ(std::memcmp(ConsoleMemory(), bytes.data(), loaded), 0) << size;
        for (size_t a = loaded; a < ConsoleMemorySize; ++a) ASSERT_EQ(ConsoleMemory()[a], 0) << a;
        EXPECT_EQ(ConsoleMemory()[0x9FFF], size >= RomImageSize ? bytes[0x9FFF] : 0);
        // Only a file longer than the image is warned about.
        char warning[LoadWarningSize];
        EXPECT_EQ(TruncatedLoadWarning(warning, sizeof warning) != nullptr, size > RomImageSize);
    }
    testing::RemoveScratch(dir);
}

// Each failure leaves the running cartridge whole: image, memory and program, so that a
// reset afterwards restarts it.
TEST(CartridgeLoading, FailuresLeaveTheRunningCartridgeIntact) {
    ASSERT_EQ(InitMachine(256), nullptr);
    const auto dir = MakeScratch("failures");
    const std::string running = testing::CartridgePath("bus");
    ASSERT_EQ(LoadCartridge(running.c_str()), nullptr);
    RunFrame();
    const std::vector<uint8_t> file = testing::ReadBytes(running);
    std::filesystem::create_directory(dir / "folder.sg");
    const std::pair<std::string, const char*> cases[] = {
        {(dir / "missing.sg").string(), "Unable to stat file."},
        {"", "Unable to stat file."},
        {"\"" + running + "\"", "Unable to stat file."},
        {WriteFile(dir / "empty.sg", {}), "Can't find Rom !"},
        {(dir / "folder.sg").string(), "Can't find Rom !"},
    };
    for (const auto& [path, message] : cases) {
        const char* result = LoadCartridge(path.c_str());
        ASSERT_NE(result, nullptr) << path;
        EXPECT_STREQ(result, message) << path;
        EXPECT_EQ(std::memcmp(RomImage(), file.data(), file.size()), 0) << path;
        EXPECT_EQ(ConsoleMemory()[0xC001], 0x55) << path;
    }
    EXPECT_EQ(LoadedFileSize(), file.size());
    ResetMachine();
    EXPECT_EQ(std::memcmp(ConsoleMemory(), file.data(), file.size()), 0);
    RunFrame();
    EXPECT_EQ(ConsoleMemory()[0xC001], 0x55);
    testing::RemoveScratch(dir);
}

// A 40 KB image whose program stores 0x55 at 0x9FFF and at 0x1234, then loops:
//   3E 55  LD A,0x55   32 FF 9F  LD (0x9FFF),A   32 34 12  LD (0x1234),A   18 FE  JR $
TEST(CartridgeLoading, UpperImageBytesAreRamThatResetRestores) {
    ASSERT_EQ(InitMachine(256), nullptr);
    const auto dir = MakeScratch("upper");
    std::vector<uint8_t> bytes(RomImageSize, 0);
    const uint8_t program[] = {0x3E, 0x55, 0x32, 0xFF, 0x9F, 0x32, 0x34, 0x12, 0x18, 0xFE};
    std::memcpy(bytes.data(), program, sizeof program);
    bytes[0x1234] = 0x77;
    bytes[0x9FFF] = 0xAB;
    ASSERT_EQ(LoadCartridge(WriteFile(dir / "full.sg", bytes).c_str()), nullptr);
    PressJoypad(JoypadDown);
    RunFrame();
    EXPECT_EQ(ConsoleMemory()[0x9FFF], 0x55);
    EXPECT_EQ(ConsoleMemory()[0x1234], 0x77);
    ASSERT_EQ(LoadCartridge(WriteFile(dir / "full.sg", bytes).c_str()), nullptr);
    EXPECT_EQ(ConsoleMemory()[0x9FFF], 0xAB);  // a load starts from power-on
    EXPECT_EQ(JoypadPorts()[0], 0xFF);
    RunFrame();
    ResetMachine();
    EXPECT_EQ(ConsoleMemory()[0x9FFF], 0xAB);
    EXPECT_EQ(z80::GetRegister(z80::RegPC), 0u);
    testing::RemoveScratch(dir);
}

}  // namespace
}  // namespace plexaro
