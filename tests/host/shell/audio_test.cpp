// The desktop's audio slot ring against a fake sound card: where each frame goes, when the
// writer waits, silencing and restarting, a card that stops, and errors taken once.
#include "host/shell/audio.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <samplerate.h>

#include <algorithm>
#include <cstring>

#include "tests/host/shell/shell_fakes.h"

namespace plexaro {
namespace {

// The resampler's constructor stands in front of the library's here, so that a test can have
// it fail as it would with no memory; otherwise it passes the call on.
bool resamplerFails = false;

}  // namespace
}  // namespace plexaro

extern "C" SRC_STATE* src_new(int converter, int channels, int* error) {
    if (plexaro::resamplerFails) {
        *error = 1;  // the library's number for a failed allocation
        return nullptr;
    }
    using Real = SRC_STATE* (*)(int, int, int*);
    static const auto real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "src_new"));
    return real(converter, channels, error);
}

namespace plexaro {
namespace {

constexpr uint32_t Slot = AudioSlotBytes;

void OpenCard(uint32_t cursor, uint32_t step) {
    fake::Reset();
    fake::card.present = true;
    fake::card.cursor = cursor;
    fake::card.step = step;
    AudioClose();
    AudioSetLatency(SoundLatencySafe);  // the whole ring, slot by slot
    AudioOpen();
    ASSERT_TRUE(AudioPlaying());
}

// A frame whose every byte is `value`, so each slot's owner can be told apart.
void Write(uint8_t value) {
    int16_t frame[AudioFrameSamples];
    std::memset(frame, value, sizeof frame);
    AudioWriteFrame(frame, AudioFrameSamples);
}

bool SlotHolds(uint32_t slot, uint8_t value) {
    const uint8_t* bytes = fake::card.buffer + slot * Slot;
    return std::all_of(bytes, bytes + Slot, [value](uint8_t b) { return b == value; });
}

TEST(AudioStream, NoDeviceRunsSilentWithoutWaiting) {
    fake::Reset();
    AudioClose();
    AudioOpen();
    EXPECT_FALSE(AudioPlaying());
    Write(7);
    AudioRestart();
    EXPECT_EQ(fake::card.waits + fake::card.writes, 0);
    EXPECT_EQ(AudioTakeError(), nullptr);
}

TEST(AudioStream, WaitsWhileTheCardPlaysTheSlotAfterTheOneToWrite) {
    // The card plays slot 5: slots 0 to 3 go at once, slot 4 waits until it moves on.
    OpenCard(5 * Slot + 10, 256);
    for (uint8_t value = 1; value <= 4; ++value) Write(value);
    EXPECT_EQ(fake::card.waits, 0);
    Write(5);
    EXPECT_GT(fake::card.waits, 0);
    EXPECT_NE(fake::card.cursor / Slot, 5u);
    EXPECT_TRUE(SlotHolds(4, 5));
    // The write slot moved on to 5: the next frame lands there.
    Write(6);
    EXPECT_TRUE(SlotHolds(5, 6));

    // From slot 11 the next slot wraps to 0, which the card is playing.
    OpenCard(100, 64);
    for (uint8_t value = 1; value <= 11; ++value) Write(value);
    EXPECT_EQ(fake::card.waits, 0);
    Write(12);
    EXPECT_GT(fake::card.waits, 0);
    EXPECT_TRUE(SlotHolds(11, 12));
}

// The hardware behaviour's 736-sample frames: each starts where the last ended, every sample
// reaches the card, and none is written where the card plays the stretch after its start.
TEST(AudioStream, LongerFramesFollowOneAnotherAndKeepTheWaitRule) {
    OpenCard(5 * Slot + 10, 300);
    constexpr uint32_t Long = AudioMaxFrameSamples;
    int16_t frame[Long];
    uint32_t expected = 0;
    for (uint8_t value = 1; value <= 30; ++value) {
        std::memset(frame, value, sizeof frame);
        AudioWriteFrame(frame, Long);
        ASSERT_EQ(fake::card.lastWriteOffset, expected) << int(value);
        const uint32_t ahead = (fake::card.cursor + AudioBufferBytes - expected) % AudioBufferBytes;
        EXPECT_TRUE(ahead < Slot || ahead >= 2 * Slot) << int(value);
        for (uint32_t i = 0; i < Long * 2; ++i) {
            ASSERT_EQ(fake::card.buffer[(expected + i) % AudioBufferBytes], value) << int(value);
        }
        expected = (expected + Long * 2) % AudioBufferBytes;
    }
    EXPECT_GT(fake::card.waits, 0);
}

TEST(AudioStream, RestartSilencesEverythingAndStartsAtSlotZero) {
    OpenCard(3 * Slot, 256);
    for (uint8_t value = 1; value <= 6; ++value) Write(value);
    AudioRestart();
    EXPECT_TRUE(std::all_of(fake::card.buffer, fake::card.buffer + AudioBufferBytes,
                            [](uint8_t b) { return b == 0; }));
    Write(9);
    EXPECT_TRUE(SlotHolds(0, 9));
    EXPECT_TRUE(SlotHolds(1, 0));
}

TEST(AudioStream, AStuckCardDropsTheFrameInsteadOfHanging) {
    OpenCard(Slot, 0);
    Write(1);  // slot 0, next slot 1 is playing and never moves on
    EXPECT_GT(fake::card.waits, 0);
    EXPECT_TRUE(SlotHolds(0, 0));
    EXPECT_TRUE(AudioPlaying());
}

// Low latency on a card with a clock: the first frame after a start goes a lead's length
// ahead of the card, the next straight after it, and behind what is written the ring is silent,
// so a card that ran on would play nothing rather than the ring's last round.
TEST(AudioStream, LowLatencyQueuesALeadAheadOfTheCardAndSilenceAfterIt) {
    fake::Reset();
    fake::card.present = true;
    fake::card.rate = AudioSampleRate;
    AudioClose();
    AudioSetLatency(SoundLatencyLow);
    AudioOpen();
    ASSERT_EQ(fake::card.deviceSamples, 256u);
    AudioClearStatistics();
    constexpr uint64_t Millisecond = 1'000'000;
    for (int round = 0; round < 2; ++round) {
        std::memset(fake::card.buffer, 0x55, sizeof fake::card.buffer);  // an old round
        AudioRestart();
        EXPECT_TRUE(std::all_of(fake::card.buffer, fake::card.buffer + AudioBufferBytes,
                                [](uint8_t b) { return b == 0; }));
        fake::AdvanceCard(100 * Millisecond);
        uint64_t played = 0;
        AudioDevicePlayCursor(played);
        Write(0x10);
        // 45 ms from the write to the first sample heard, of which the card's chunk is 5.8.
        const uint32_t lead = (fake::card.lastWriteOffset + AudioBufferBytes -
                               static_cast<uint32_t>(played % AudioBufferBytes)) %
                              AudioBufferBytes;
        EXPECT_NEAR(lead / 88.2 + 256 / 44.1, 45, 0.1);
        const uint32_t first = fake::card.lastWriteOffset;
        fake::AdvanceCard(16 * Millisecond);
        Write(0x20);
        const uint32_t gap =
            (fake::card.lastWriteOffset + AudioBufferBytes - first) % AudioBufferBytes;
        // Less the resampler's delay line, which holds back a few dozen samples of the first.
        EXPECT_NEAR(gap, AudioSlotBytes, 128u);
        // After the second frame (and its resampler's tail), silence to two chunks before the
        // card.
        AudioDevicePlayCursor(played);
        const uint32_t silentFrom =
            (fake::card.lastWriteOffset + AudioSlotBytes + 16) % AudioBufferBytes;
        const uint32_t silentTo =
            static_cast<uint32_t>((played + AudioBufferBytes - 2 * 512) % AudioBufferBytes);
        for (uint32_t at = silentFrom; at != silentTo; at = (at + 1) % AudioBufferBytes) {
            ASSERT_EQ(fake::card.buffer[at], 0) << round << " " << at;
        }
    }
    EXPECT_EQ(AudioStatistics().underruns, 0u);
    AudioClose();
}

TEST(AudioStream, AnErrorIsToldOnceByNameThenEverythingIsQuiet) {
    EXPECT_STREQ(AudioErrorName(0x88780096), "DSERR_BUFFERLOST");
    EXPECT_STREQ(AudioErrorName(0x12345678), "Unknown HRESULT");

    OpenCard(0, 256);
    fake::card.failCode = 0x12345678;
    Write(1);
    EXPECT_STREQ(AudioTakeError(), "Unknown HRESULT");
    EXPECT_EQ(AudioTakeError(), nullptr);
    EXPECT_FALSE(AudioPlaying());
    const int writes = fake::card.writes;
    Write(2);
    AudioSilence();
    AudioRestart();
    EXPECT_EQ(fake::card.writes, writes);
    EXPECT_EQ(AudioTakeError(), nullptr);
    // The ring has no window: saying it is the shell's.
    EXPECT_TRUE(fake::window.messages.empty());
}

// Low with no resampler to steer it: Safe's whole ring and chunk instead, said once a run.
TEST(AudioStream, AResamplerThatCanNotStartFallsBackToSafeAndSaysSoOnce) {
    fake::Reset();
    fake::card.present = true;
    resamplerFails = true;
    for (int open = 0; open < 2; ++open) {
        AudioClose();
        AudioSetLatency(SoundLatencyLow);
        AudioOpen();
        ASSERT_TRUE(AudioPlaying());
        EXPECT_EQ(AudioLatency(), SoundLatencySafe);
        EXPECT_EQ(fake::card.deviceSamples, 1024u);
        const char* said = AudioTakeError();
        if (open == 0) {
            ASSERT_NE(said, nullptr);
            EXPECT_NE(std::strstr(said, "Safe latency"), nullptr) << said;
        } else {
            EXPECT_EQ(said, nullptr);
        }
    }
    Write(3);
    EXPECT_TRUE(SlotHolds(0, 3));  // slot by slot, as Safe writes
    resamplerFails = false;
    AudioClose();
    AudioSetLatency(SoundLatencyLow);
}

}  // namespace
}  // namespace plexaro
