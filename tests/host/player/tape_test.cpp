// Tapes: WAV files read as a recorder would play them, the cassette signal on the machine's
// cycles, and the recorder's place in save states.
#include "host/tape.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "machine/cassette.h"
#include "machine/machine.h"
#include "machine/state.h"

namespace plexaro {
namespace {

void Put(std::vector<uint8_t>& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void Tag(std::vector<uint8_t>& out, const char* tag) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(tag[i]));
}

// A WAV file around `data`, with an odd-sized chunk before the sound as some editors write.
std::vector<uint8_t> Wav(uint32_t format, uint32_t channels, uint32_t rate, uint32_t bits,
                         const std::vector<uint8_t>& data) {
    std::vector<uint8_t> out;
    Tag(out, "RIFF");
    Put(out, 0, 4);  // readers go by the chunks, not by this
    Tag(out, "WAVE");
    Tag(out, "fmt ");
    Put(out, 16, 4);
    Put(out, format, 2);
    Put(out, channels, 2);
    Put(out, rate, 4);
    Put(out, rate * channels * bits / 8, 4);
    Put(out, channels * bits / 8, 2);
    Put(out, bits, 2);
    Tag(out, "LIST");
    Put(out, 3, 4);
    out.insert(out.end(), {'a', 'b', 'c', 0});  // three bytes and the pad
    Tag(out, "data");
    Put(out, static_cast<uint32_t>(data.size()), 4);
    for (uint8_t byte : data) out.push_back(byte);
    return out;
}

std::string Decode(const std::vector<uint8_t>& bytes, TapeSound& sound) {
    return DecodeWav(bytes.data(), bytes.size(), sound);
}

TEST(TapeWav, EightAndSixteenBitsMonoAndStereo) {
    TapeSound sound{};
    // 8 bits are unsigned around 128.
    ASSERT_EQ(Decode(Wav(1, 1, 11025, 8, {128, 255, 0, 192}), sound), "");
    EXPECT_EQ(sound.rate, 11025u);
    EXPECT_EQ(sound.samples, (std::vector<int16_t>{0, 127 * 256, -128 * 256, 64 * 256}));
    // 16 bits signed, two channels averaged; a last frame cut short is left out.
    ASSERT_EQ(
        Decode(Wav(1, 2, 22050, 16, {0x00, 0x10, 0x00, 0x30, 0x00, 0x80, 0x00, 0x80, 7}), sound),
        "");
    EXPECT_EQ(sound.rate, 22050u);
    EXPECT_EQ(sound.samples, (std::vector<int16_t>{0x2000, -32768}));
    // A data chunk longer than the file: what is there plays.
    std::vector<uint8_t> cut = Wav(1, 1, 48000, 16, {1, 0, 2, 0, 3, 0});
    cut.resize(cut.size() - 2);
    ASSERT_EQ(Decode(cut, sound), "");
    EXPECT_EQ(sound.samples, (std::vector<int16_t>{1, 2}));
}

TEST(TapeWav, DamagedOrEmptyFilesAreRefusedInWords) {
    TapeSound sound{};
    EXPECT_EQ(DecodeWav(nullptr, 0, sound), "the file is empty");
    EXPECT_EQ(Decode({'R', 'I', 'F', 'F'}, sound), "not a WAV file");
    std::vector<uint8_t> notWave = Wav(1, 1, 8000, 8, {1});
    std::memcpy(notWave.data() + 8, "AVI ", 4);
    EXPECT_EQ(Decode(notWave, sound), "not a WAV file");
    EXPECT_EQ(Decode(Wav(1, 1, 8000, 8, {}), sound), "it holds no sound");
    EXPECT_EQ(Decode(Wav(3, 1, 8000, 32, {0, 0, 0, 0}), sound),
              "its sound is compressed (only PCM samples play)");
    EXPECT_EQ(Decode(Wav(1, 1, 8000, 24, {0, 0, 0}), sound),
              "its samples are neither 8 nor 16 bits");
    EXPECT_EQ(Decode(Wav(1, 6, 8000, 8, {0, 0, 0, 0, 0, 0}), sound),
              "it has neither one channel nor two");
    EXPECT_EQ(Decode(Wav(1, 1, 1000, 8, {0}), sound), "its sample rate of 1000 Hz is out of range");
    std::vector<uint8_t> noData = Wav(1, 1, 8000, 8, {1});
    std::memcpy(noData.data() + noData.size() - 9, "junk", 4);
    EXPECT_EQ(Decode(noData, sound), "it has no sound data");
    std::vector<uint8_t> bigFormat = Wav(1, 1, 8000, 8, {1});
    bigFormat[16] = 0xFF;  // the format chunk runs past the file
    EXPECT_EQ(Decode(bigFormat, sound), "its format chunk is damaged");
}

constexpr uint64_t FrameCycles = uint64_t{LinesPerFrame} * CyclesPerLine;

// Time passes for the recorder as frames end, so these tests move it on without a program.
void Pass(uint64_t cycles) {
    CassetteEndFrame(cycles);
}

// Moves a playing tape on to just past where sample `index` of a `rate` Hz tape begins.
void PlayTo(uint64_t index, uint64_t rate) {
    const uint64_t cycle = (index * ConsoleClockHz + rate - 1) / rate + 1;
    Pass(cycle - GetCassetteStatus().position);
}

// A tape recorded at 8000 Hz: its levels come back at the machine's cycles, and hiss that
// never crosses the threshold on the other side leaves the level where it was.
TEST(Cassette, LevelsFollowTheTapeOnTheMachinesCycles) {
    std::vector<int16_t> samples(8000, -20000);  // a second, low
    for (size_t i = 2000; i < 4000; ++i) samples[i] = 20000;
    for (size_t i = 4000; i < 6000; ++i) samples[i] = i % 2 ? 1500 : -1500;  // hiss, high's side
    ASSERT_EQ(CassetteInsert(samples.data(), samples.size(), 8000, "t.wav", 7), nullptr);
    EXPECT_FALSE(CassetteInputHigh());
    CassettePlay();
    PlayTo(1999, 8000);
    EXPECT_FALSE(CassetteInputHigh());
    PlayTo(2000, 8000);
    EXPECT_TRUE(CassetteInputHigh());
    PlayTo(5999, 8000);  // through the hiss, which keeps it high
    EXPECT_TRUE(CassetteInputHigh());
    PlayTo(6000, 8000);
    EXPECT_FALSE(CassetteInputHigh());
    CassetteStop();
    const uint64_t stoppedAt = GetCassetteStatus().position;
    Pass(FrameCycles);
    EXPECT_EQ(GetCassetteStatus().position, stoppedAt);
    EXPECT_FALSE(CassetteInputHigh());  // a stopped tape gives nothing
    CassetteRewind();
    CassettePlay();
    PlayTo(3000, 8000);
    EXPECT_TRUE(CassetteInputHigh());
    Pass(ConsoleClockHz);  // past the end: the tape stops by itself
    EXPECT_FALSE(GetCassetteStatus().playing);
    CassetteEject();
    EXPECT_FALSE(GetCassetteStatus().inserted);
    EXPECT_STREQ(CassetteInsert(samples.data(), 0, 8000, "", 0), "it holds no sound");
}

// What the program sends comes out at 44100 Hz, and played back gives the same edges.
TEST(Cassette, RecordingPlaysBackWithTheSameEdges) {
    CassetteEject();
    CassetteOutput(false);
    CassetteRecord();
    const uint64_t edges[] = {1491, 746, 746, 2983, 746};
    bool level = false;
    for (uint64_t cycles : edges) {
        Pass(cycles);
        level = !level;
        CassetteOutput(level);
    }
    Pass(3000);
    const int16_t* made = nullptr;
    const size_t count = CassetteTakeRecording(&made);
    uint64_t total = 3000;
    for (uint64_t cycles : edges) total += cycles;
    EXPECT_EQ(count, total * CassetteRecordRate / ConsoleClockHz);
    std::vector<int16_t> tape(made, made + count);
    EXPECT_EQ(CassetteTakeRecording(&made), 0u);
    CassetteStop();

    ASSERT_EQ(CassetteInsert(tape.data(), tape.size(), CassetteRecordRate, "rec.wav", 1), nullptr);
    CassettePlay();
    // Each edge lands within a sample (81 cycles) of where it was sent.
    constexpr uint64_t Sample = ConsoleClockHz / CassetteRecordRate + 1;
    uint64_t at = 0;
    level = false;
    for (uint64_t cycles : edges) {
        at += cycles;
        Pass(at - Sample - GetCassetteStatus().position);
        EXPECT_EQ(CassetteInputHigh(), level);
        Pass(2 * Sample);
        level = !level;
        EXPECT_EQ(CassetteInputHigh(), level);
    }
    CassetteEject();
}

// A save state holds the tape's place and whether it plays; a state from before the
// recorder (no TAPE section) has it stopped at the start.
TEST(Cassette, PlaceAndPlayingInSaveStates) {
    ASSERT_EQ(InitMachine(256), nullptr);
    const uint8_t program[] = {0x18, 0xFE};  // jr $
    ASSERT_EQ(LoadCartridgeBytes(program, sizeof program), nullptr);
    std::vector<int16_t> samples(44100 * 4, 1000);
    ASSERT_EQ(CassetteInsert(samples.data(), samples.size(), 44100, "long.wav", 5), nullptr);
    CassettePlay();
    for (int i = 0; i < 30; ++i) RunFrame();
    const uint64_t place = GetCassetteStatus().position;
    EXPECT_EQ(place, 30 * FrameCycles);
    std::vector<uint8_t> state(MachineStateSize());
    SaveMachineState(30, state.data());
    for (int i = 0; i < 30; ++i) RunFrame();
    CassetteStop();
    ASSERT_EQ(LoadMachineState(state.data(), state.size(), nullptr), nullptr);
    EXPECT_TRUE(GetCassetteStatus().playing);
    EXPECT_EQ(GetCassetteStatus().position, place);
    RunFrame();
    EXPECT_EQ(GetCassetteStatus().position, place + FrameCycles);
    state[state.size() - 4 - CassetteStateSize] = 9;  // buttons that can't be
    SealMachineState(state.data());
    EXPECT_STREQ(LoadMachineState(state.data(), state.size(), nullptr),
                 "the save state holds a cassette that can't be");
    ShutdownMachine();
    CassetteEject();
}

}  // namespace
}  // namespace plexaro
