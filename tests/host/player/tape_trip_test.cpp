// The tape round trip: our saver records its bytes to a WAV file through the player, as fast
// as the player runs frames; our loader reads them back from that file and the bytes it
// keeps are the ones sent, both parities right.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/tape.h"
#include "machine/cassette.h"
#include "machine/machine.h"
#include "tests/host/player/run_program.h"

namespace plexaro {
namespace {

constexpr uint32_t Outcome = 0xC000;  // tape_load.s: 1 when both parities were right
constexpr uint32_t Loaded = 0xC100;
constexpr int EnoughFrames = 900;  // the saver's 7.5 seconds of tape, and some silence

TEST(TapeRoundTrip, TheLoaderGetsWhatTheSaverSent) {
    const std::filesystem::path dir = testing::MakeScratch("tape_trip");
    const testing::Outcome saved = testing::RunProgram(
        dir, {"--headless", "--frames", std::to_string(EnoughFrames), "--record-tape", "saved.wav",
              testing::CartridgePath("tape_save")});
    ASSERT_EQ(saved.status, 0) << saved.err;

    TapeSound sound{};
    ASSERT_EQ(ReadTapeFile((dir / "saved.wav").string(), sound), "");
    EXPECT_EQ(sound.rate, CassetteRecordRate);
    ASSERT_EQ(InitMachine(256), nullptr);
    ASSERT_EQ(LoadCartridge(testing::CartridgePath("tape_load").c_str()), nullptr);
    ASSERT_EQ(InsertTape(sound), "");
    CassettePlay();
    int frames = 0;
    while (ConsoleMemory()[Outcome] == 0 && frames < EnoughFrames) {
        RunFrame();
        ++frames;
    }
    EXPECT_EQ(ConsoleMemory()[Outcome], 1) << "after " << frames << " frames";
    std::vector<uint8_t> sent = {0x00, 0xFF, 0x55, 0xAA, 0x01, 0x80, 0x7F, 0xFE};
    for (char c : std::string("SC-3000 TAPE OK!")) sent.push_back(static_cast<uint8_t>(c));
    for (uint8_t b : {0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE, 0xF0}) sent.push_back(b);
    EXPECT_EQ(
        std::vector<uint8_t>(ConsoleMemory() + Loaded, ConsoleMemory() + Loaded + sent.size()),
        sent);
    ShutdownMachine();
    testing::RemoveScratch(dir);
}

}  // namespace
}  // namespace plexaro
