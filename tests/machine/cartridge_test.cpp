// Cartridge loading: file sizes, failures, paths, and what a failed load leaves behind.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "cpu/z80.h"
#include "machine/machine.h"
#include "tests/machine/test_cartridges.h"

namespace plexaro {
namespace {

using testing::CartridgePath;
using testing::MakeScratch;
using testing::RemoveScratch;
using testing::WriteFile;

constexpr const char* CantStat = "Unable to stat file.";
constexpr const char* CantRead = "Can't find Rom !";

// Bytes that are never zero, so a misplaced or missing byte shows.
std::vector<uint8_t> Pattern(size_t size) {
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(i * 7 % 255 + 1);
    return bytes;
}

TEST(CartridgeLoading, ImageHoldsTheFileThenZeros) {
    ASSERT_EQ(InitMachine(256), nullptr);
    const auto dir = MakeScratch("ImageHoldsTheFileThenZeros");
    for (size_t size : {size_t{8192}, RomImageSize, size_t{1}}) {
        const std::vector<uint8_t> bytes = Pattern(size);
        ASSERT_EQ(LoadCartridge(WriteFile(dir / "cart.sg", bytes).c_str()), nullptr) << size;
        EXPECT_EQ(LoadedFileSize(), size);
        EXPECT_EQ(std::memcmp(RomImage(), bytes.data(), size), 0) << size;
        EXPECT_EQ(std::memcmp(ConsoleMemory(), bytes.data(), size), 0) << size;
        for (size_t a = size; a < ConsoleMemorySize; ++a) {
            ASSERT_EQ(ConsoleMemory()[a], 0) << size << " at " << a;
        }
    }
    // The last byte of a full image sits at 0x9FFF.
    ASSERT_EQ(LoadCartridge(WriteFile(dir / "full.sg", Pattern(RomImageSize)).c_str()), nullptr);
    EXPECT_EQ(ConsoleMemory()[0x9FFF], Pattern(RomImageSize).back());
    RemoveScratch(dir);
}

TEST(CartridgeLoading, LongerFileLoadsItsFirst40960Bytes) {
    ASSERT_EQ(InitMachine(256), nullptr);
    const auto dir = MakeScratch("LongerFileLoadsItsFirst40960Bytes");
    const std::vector<uint8_t> bytes = Pattern(RomImageSize + 4096);
    ASSERT_EQ(LoadCartridge(WriteFile(dir / "long.sg", bytes).c_str()), nullptr);
    EXPECT_EQ(LoadedFileSize(), RomImageSize + 4096);
    EXPECT_EQ(std::memcmp(RomImage(), bytes.data(), RomImageSize), 0);
    EXPECT_EQ(ConsoleMemory()[0xA000], 0);
    RemoveScratch(dir);
}

// Each failure leaves the running cartridge whole: its image, its memory and its program,
// so that a reset afterwards restarts it.
TEST(CartridgeLoading, FailuresLeaveTheRunningCartridgeIntact) {
    ASSERT_EQ(InitMachine(256), nullptr);
    const auto dir = MakeScratch("FailuresLeaveTheRunningCartridgeIntact");
    const std::string running = CartridgePath("bus");
    ASSERT_EQ(LoadCartridge(running.c_str()), nullptr);
    RunFrame();
    const std::vector<uint8_t> file = testing::ReadBytes(running);
    std::filesystem::create_directory(dir / "folder.sg");

    struct Case {
        std::string path;
        const char* message;
    };
    const Case cases[] = {
        {(dir / "missing.sg").string(), CantStat},   {"", CantStat},
        {"\"" + running + "\"", CantStat},  // quotes are part of the path
        {WriteFile(dir / "empty.sg", {}), CantRead}, {(dir / "folder.sg").string(), CantRead},
    };
    for (const Case& c : cases) {
        const char* result = LoadCartridge(c.path.c_str());
        ASSERT_NE(result, nullptr) << c.path;
        EXPECT_STREQ(result, c.message) << c.path;
        EXPECT_EQ(std::memcmp(RomImage(), file.data(), file.size()), 0) << c.path;
        EXPECT_EQ(ConsoleMemory()[0xC001], 0x55) << c.path << ": memory untouched";
    }
    EXPECT_EQ(LoadedFileSize(), file.size());

    ResetMachine();
    EXPECT_EQ(std::memcmp(ConsoleMemory(), file.data(), file.size()), 0);
    RunFrame();
    EXPECT_EQ(ConsoleMemory()[0xC001], 0x55);  // the program ran again
    RemoveScratch(dir);
}

TEST(CartridgeLoading, PathWithSpacesIsUsedAsItIs) {
    ASSERT_EQ(InitMachine(256), nullptr);
    const auto dir = MakeScratch("PathWithSpacesIsUsedAsItIs");
    const std::vector<uint8_t> file = testing::ReadBytes(CartridgePath("bus"));
    const std::string path = WriteFile(dir / "my cartridge .sg", file);
    ASSERT_EQ(LoadCartridge(path.c_str()), nullptr);
    EXPECT_EQ(ConsoleMemory()[0x4000], 0xA5);
    RemoveScratch(dir);
}

TEST(CartridgeLoading, LoadStartsFromPowerOn) {
    ASSERT_EQ(InitMachine(256), nullptr);
    ASSERT_EQ(LoadCartridge(CartridgePath("bus").c_str()), nullptr);
    RunFrame();
    PressJoypad(JoypadDown);
    ASSERT_EQ(LoadCartridge(CartridgePath("bus").c_str()), nullptr);
    EXPECT_EQ(ConsoleMemory()[0xC001], 0);
    EXPECT_EQ(z80::GetRegister(z80::RegPC), 0u);
    EXPECT_EQ(JoypadPorts()[0], 0xFF);
}

// A full 40 KB image whose program writes 0x55 to 0x9FFF and 0x1234, then loops:
//   3E 55      LD A,0x55
//   32 FF 9F   LD (0x9FFF),A
//   32 34 12   LD (0x1234),A
//   18 FE      JR $
TEST(CartridgeLoading, UpperImageBytesAreRamThatResetRestores) {
    ASSERT_EQ(InitMachine(256), nullptr);
    const auto dir = MakeScratch("UpperImageBytesAreRamThatResetRestores");
    std::vector<uint8_t> bytes(RomImageSize, 0);
    const uint8_t program[] = {0x3E, 0x55, 0x32, 0xFF, 0x9F, 0x32, 0x34, 0x12, 0x18, 0xFE};
    std::memcpy(bytes.data(), program, sizeof program);
    bytes[0x1234] = 0x77;
    bytes[0x9FFF] = 0xAB;
    ASSERT_EQ(LoadCartridge(WriteFile(dir / "full.sg", bytes).c_str()), nullptr);
    RunFrame();
    EXPECT_EQ(ConsoleMemory()[0x9FFF], 0x55);
    EXPECT_EQ(ConsoleMemory()[0x1234], 0x77);
    EXPECT_EQ(RomImage()[0x9FFF], 0xAB);
    ResetMachine();
    EXPECT_EQ(ConsoleMemory()[0x9FFF], 0xAB);
    RemoveScratch(dir);
}

TEST(CartridgeLoading, ReadImageFileReadsOneWholeBlock) {
    ASSERT_EQ(InitMachine(256), nullptr);
    const auto dir = MakeScratch("ReadImageFileReadsOneWholeBlock");
    const std::string path = WriteFile(dir / "six.bin", {1, 2, 3, 4, 5, 6});
    uint8_t buffer[8] = {};
    EXPECT_EQ(ReadImageFile(path.c_str(), buffer, 2, 4), 0);
    const uint8_t expected[8] = {0, 0, 1, 2, 3, 4, 0, 0};
    EXPECT_EQ(std::memcmp(buffer, expected, 8), 0);
    EXPECT_EQ(ReadImageFile(path.c_str(), buffer, 0, 7), 1);  // more than the file holds
    EXPECT_EQ(ReadImageFile(path.c_str(), buffer, 0, 0), 1);  // nothing read is a failure
    EXPECT_EQ(ReadImageFile((dir / "none").c_str(), buffer, 0, 1), 1);
    RemoveScratch(dir);
}

}  // namespace
}  // namespace plexaro
