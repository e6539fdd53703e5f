// The pace of the frames and the sound's rate control against fake clocks: two simulated
// minutes of displays and sound cards that disagree a little, how the pace is chosen from
// the presents' intervals, and what happens when a display stops holding the pace.
#include "host/shell/pacing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "host/shell/audio.h"
#include "tests/host/shell/shell_fakes.h"

namespace plexaro {
namespace {

constexpr uint64_t Millisecond = 1'000'000;
constexpr uint32_t ProbeCount = 12;

// A frame of a steady level: a card that runs dry plays zeros, which tell.
const int16_t* Tone() {
    static int16_t frame[AudioMaxFrameSamples];
    if (frame[0] == 0) std::fill(frame, frame + AudioMaxFrameSamples, int16_t{8000});
    return frame;
}

void Intervals(double hz, uint64_t* intervals) {
    for (uint32_t i = 0; i < ProbeCount; ++i) intervals[i] = static_cast<uint64_t>(1e9 / hz);
}

struct Outcome {
    PacingMode mode;
    double framesPerCardSecond;
    double framesPerSecond;  // of the display's (the fake's) time
    AudioFigures audio;
    PacingFigures pacing;
    uint64_t dryChunks;
};

// Runs the desktop loop's order of work against a clocked card: the frame's emulation (1 to
// 4 ms), its present (held to the display's next refresh where it has vsync, else at once),
// then its sound. The pace is chosen as the program chooses it, from presents back to back.
Outcome Simulate(double displayHz, bool vsync, double cardHz, SoundLatency latency, double duration,
                 uint32_t frameSamples = AudioFrameSamples) {
    fake::Reset();
    fake::card.present = true;
    fake::card.rate = cardHz;
    AudioClose();
    AudioSetLatency(latency);
    AudioOpen();
    uint64_t intervals[ProbeCount];
    Intervals(vsync ? displayHz : 3000, intervals);
    PacingStart(PacingChoose(intervals, ProbeCount, AudioPlaying()),
                PacingMeasuredHz(intervals, ProbeCount));
    AudioClearStatistics();
    PacingClearStatistics();

    const double refresh = 1e9 / displayHz;
    uint32_t noise = 12345;
    // The rates are counted from ten seconds in to the end, both just after a frame's write,
    // so the queue's level at either end cancels out.
    uint64_t frames = 0, framesAtMark = 0, mark = 0;
    const auto end = static_cast<uint64_t>(duration * 1e9);
    while (fake::card.now < end) {
        if (mark == 0 && fake::card.now >= 10'000 * Millisecond) {
            mark = fake::card.now;
            framesAtMark = frames;
        }
        noise = noise * 1103515245 + 12345;
        fake::AdvanceCard(Millisecond + (noise >> 16) % (3 * Millisecond));
        if (vsync) {
            const auto next = static_cast<uint64_t>(
                (static_cast<double>(static_cast<uint64_t>(fake::card.now / refresh)) + 1) *
                refresh);
            fake::AdvanceCard(next - fake::card.now);
        }
        AudioWriteFrame(Tone(), frameSamples);
        PacingFrameShown(fake::card.now);
        ++frames;
    }
    const double seconds = static_cast<double>(fake::card.now - mark) * 1e-9;
    const auto counted = static_cast<double>(frames - framesAtMark);
    return {Pacing(),           counted / (seconds * cardHz / 44100),
            counted / seconds,  AudioStatistics(),
            PacingStatistics(), fake::card.dryChunks};
}

void Print(const char* label, double displayHz, double cardHz, const Outcome& run) {
    std::printf(
        "%-6s %7.2f Hz  card %8.1f Hz  %-7s frames/s %.3f (card %.3f)  fill %.1f..%.1f ms  "
        "latency mean %.1f max %.1f ms  ratio %.4f..%.4f  underruns %u overruns %u  "
        "twice %llu skipped %llu\n",
        label, displayHz, cardHz, PacingName(run.mode), run.framesPerSecond,
        run.framesPerCardSecond, run.audio.fillMin / 88.2, run.audio.fillMax / 88.2,
        run.audio.latencySum / static_cast<double>(run.audio.frames),
        static_cast<double>(run.audio.latencyMax), static_cast<double>(run.audio.ratioMin),
        static_cast<double>(run.audio.ratioMax), run.audio.underruns, run.audio.overruns,
        static_cast<unsigned long long>(run.pacing.shownTwice),
        static_cast<unsigned long long>(run.pacing.skipped));
}

void ExpectSteady(const Outcome& run, double latencyBelow) {
    EXPECT_EQ(run.audio.underruns, 0u);
    EXPECT_EQ(run.audio.overruns, 0u);
    EXPECT_EQ(run.dryChunks, 0u);
    EXPECT_LT(run.audio.latencyMax, latencyBelow);
    // Never close to dry: at least the card's own chunk and a few milliseconds more queued.
    EXPECT_GT(run.audio.fillMin, run.audio.deviceSamples * 2 + 3 * 88);
    EXPECT_GE(run.audio.ratioMin, 0.995f);
    EXPECT_LE(run.audio.ratioMax, 1.005f);
}

// Long enough for a card 0.05 % off to drift a queue with no rate control 60 ms, past every
// latency's room: a longer run shows nothing more.
constexpr double TwoMinutes = 120;
constexpr double Card = 44100;

TEST(Pacing, SixtyHertzDisplaysPaceEveryFrameOnceAgainstACardThatDrifts) {
    for (const double displayHz : {59.94, 60.0, 60.10}) {
        for (const double cardHz : {Card * 0.9995, Card * 1.0005}) {
            const Outcome run = Simulate(displayHz, true, cardHz, SoundLatencyLow, TwoMinutes);
            Print("low", displayHz, cardHz, run);
            EXPECT_EQ(run.mode, PaceByDisplay);
            ExpectSteady(run, 50);
            // Every refresh shows the next frame: the game runs at the display's rate.
            EXPECT_NEAR(run.framesPerSecond, displayHz, 0.01);
            EXPECT_EQ(run.pacing.shownTwice, 0u);
            EXPECT_EQ(run.pacing.skipped, 0u);
        }
    }
}

TEST(Pacing, FastDisplaysAndNoVsyncLeaveThePaceToTheCard) {
    struct Case {
        double displayHz;
        bool vsync;
    };
    for (const Case& display :
         {Case{120, true}, Case{144, true}, Case{75, true}, Case{60, false}}) {
        for (const double cardHz : {Card * 0.9995, Card * 1.0005}) {
            const Outcome run =
                Simulate(display.displayHz, display.vsync, cardHz, SoundLatencyLow, TwoMinutes);
            Print(display.vsync ? "low" : "free", display.displayHz, cardHz, run);
            EXPECT_EQ(run.mode, PaceByCard);
            ExpectSteady(run, 50);
            EXPECT_NEAR(run.framesPerCardSecond, 60.0, 0.005);
        }
    }
}

TEST(Pacing, NormalLatencyAndTheHardwareFramesKeepTheirRates) {
    Outcome run = Simulate(60.0, true, Card * 1.0005, SoundLatencyNormal, TwoMinutes);
    Print("normal", 60, Card * 1.0005, run);
    EXPECT_EQ(run.mode, PaceByDisplay);
    ExpectSteady(run, 101);
    EXPECT_GT(run.audio.latencySum / static_cast<double>(run.audio.frames), 75);

    // 736-sample frames: every sample is heard, so the card runs them at the console's rate.
    run = Simulate(144, true, Card, SoundLatencyLow, TwoMinutes, AudioMaxFrameSamples);
    Print("736", 144, Card, run);
    ExpectSteady(run, 50);
    EXPECT_NEAR(run.framesPerCardSecond, Card / AudioMaxFrameSamples, 0.005);
}

TEST(Pacing, ThePaceIsChosenFromThePresentsIntervals) {
    uint64_t intervals[ProbeCount];
    for (const double hz : {59.5, 59.94, 60.0, 60.5}) {
        Intervals(hz, intervals);
        EXPECT_EQ(PacingChoose(intervals, ProbeCount, true), PaceByDisplay) << hz;
        EXPECT_EQ(PacingChoose(intervals, ProbeCount, false), PaceByDisplay) << hz;
    }
    for (const double hz : {50.0, 59.0, 61.0, 75.0, 120.0, 144.0, 300.0}) {
        Intervals(hz, intervals);
        EXPECT_EQ(PacingChoose(intervals, ProbeCount, true), PaceByCard) << hz;
        EXPECT_EQ(PacingChoose(intervals, ProbeCount, false), PaceByTimer) << hz;
    }
    // A present now and then late or early does not sway the median.
    Intervals(60, intervals);
    intervals[3] = 2 * Millisecond;
    intervals[7] = 40 * Millisecond;
    EXPECT_NEAR(PacingMeasuredHz(intervals, ProbeCount), 60, 0.01);
    EXPECT_EQ(PacingChoose(intervals, 0, true), PaceByCard);
}

// A display that paced and then stops holding presents (its vsync went, say, when the window
// was covered): the ring fills, the writer waits, and within a second the card takes the pace.
TEST(Pacing, ADisplayThatStopsHoldingTheFramesGivesThePaceToTheCard) {
    Outcome run = Simulate(60, true, Card, SoundLatencyLow, 5);
    ASSERT_EQ(run.mode, PaceByDisplay);
    for (int pass = 0; pass < 60 && Pacing() == PaceByDisplay; ++pass) {
        fake::AdvanceCard(2 * Millisecond);
        AudioWriteFrame(Tone(), AudioFrameSamples);
        PacingFrameShown(fake::card.now);
    }
    EXPECT_EQ(Pacing(), PaceByCard);
    EXPECT_EQ(PacingStatistics().fallbacks, 1u);
    const uint32_t overruns = AudioStatistics().overruns;
    EXPECT_GT(overruns, 0u);
    for (int pass = 0; pass < 600; ++pass) {
        fake::AdvanceCard(2 * Millisecond);
        AudioWriteFrame(Tone(), AudioFrameSamples);
        PacingFrameShown(fake::card.now);
    }
    EXPECT_EQ(AudioStatistics().overruns, overruns);  // waiting is the card's pace now
    EXPECT_EQ(AudioStatistics().underruns, 0u);
    EXPECT_EQ(fake::card.dryChunks, 0u);
}

// The loop held up for a tenth of a second (a slow load, say): the card runs dry once, plays
// silence rather than the ring's last round, and the next frame is queued at the usual lead.
TEST(Pacing, AStallRunsDryIntoSilenceAndTheLeadComesBack) {
    Simulate(60, true, Card, SoundLatencyLow, 2);
    fake::AdvanceCard(100 * Millisecond);
    const uint64_t dry = fake::card.dryChunks;
    EXPECT_GT(dry, 0u);
    uint64_t played = 0;
    AudioDevicePlayCursor(played);
    const auto* silent = fake::card.buffer;
    for (uint32_t i = 0; i < 4 * 256 * 2; ++i) {
        ASSERT_EQ(silent[(played + i) % AudioBufferBytes], 0) << i;
    }
    AudioWriteFrame(Tone(), AudioFrameSamples);
    EXPECT_EQ(AudioStatistics().underruns, 1u);
    EXPECT_LT(AudioStatistics().latencyMax, 50);
}

// Without a card only the pictures tell: presents that stop waiting for the refresh hand the
// pace to the timer.
TEST(Pacing, WithoutACardADisplayThatStopsHoldingTheFramesGivesThePaceToTheTimer) {
    fake::Reset();
    AudioClose();
    AudioOpen();
    ASSERT_FALSE(AudioPlaying());
    uint64_t intervals[ProbeCount];
    Intervals(60, intervals);
    PacingStart(PacingChoose(intervals, ProbeCount, false), 60);
    ASSERT_EQ(Pacing(), PaceByDisplay);
    uint64_t now = Millisecond;
    for (int frame = 0; frame < 600; ++frame) PacingFrameShown(now += 16'666'667);
    EXPECT_EQ(Pacing(), PaceByDisplay);
    for (int frame = 0; frame < 60 && Pacing() == PaceByDisplay; ++frame) {
        PacingFrameShown(now += 3 * Millisecond);
    }
    EXPECT_EQ(Pacing(), PaceByTimer);
}

// A wait that sleeps far longer than asked (a busy machine) finds the card past everything
// written: one underrun, and the frame goes at the lead again instead of waiting forever.
TEST(Pacing, AnOversleptWaitIsAnUnderrunNotAHang) {
    Simulate(144, true, Card, SoundLatencyLow, 1);
    ASSERT_EQ(Pacing(), PaceByCard);
    AudioWriteFrame(Tone(), AudioFrameSamples);  // the queue is now over the lead: the next waits
    const int waits = fake::card.waits;
    fake::card.oversleep = 200 * Millisecond;
    AudioWriteFrame(Tone(), AudioFrameSamples);
    EXPECT_EQ(fake::card.waits, waits + 1);
    EXPECT_EQ(AudioStatistics().underruns, 1u);
    EXPECT_LT(AudioStatistics().latencyMax, 50);
}

TEST(Pacing, EachLatencyOpensTheCardWithItsOwnChunkAndMillisecondsPickTheNearest) {
    fake::Reset();
    fake::card.present = true;
    AudioClose();
    AudioSetLatency(SoundLatencyLow);
    AudioOpen();
    EXPECT_EQ(fake::card.deviceSamples, 256u);
    AudioSetLatency(SoundLatencyNormal);
    EXPECT_EQ(fake::card.deviceSamples, 512u);
    AudioSetLatency(SoundLatencySafe);
    EXPECT_EQ(fake::card.deviceSamples, 1024u);
    EXPECT_TRUE(AudioPlaying());
    AudioClose();
    AudioSetLatency(SoundLatencyLow);

    // A card that takes 4096 samples at a time whatever it is asked: the lead grows to hold
    // it, and the sound flows.
    fake::Reset();
    fake::card.present = true;
    fake::card.rate = Card;
    fake::card.insistsOnSamples = 4096;
    AudioOpen();
    AudioClearStatistics();
    for (int frame = 0; frame < 600; ++frame) {
        fake::AdvanceCard(2 * Millisecond);
        AudioWriteFrame(Tone(), AudioFrameSamples);
    }
    EXPECT_EQ(AudioStatistics().underruns, 0u);
    EXPECT_EQ(fake::card.dryChunks, 0u);
    AudioClose();

    EXPECT_EQ(SoundLatencyFromMilliseconds(40), SoundLatencyLow);
    EXPECT_EQ(SoundLatencyFromMilliseconds(75), SoundLatencyLow);
    EXPECT_EQ(SoundLatencyFromMilliseconds(100), SoundLatencyNormal);
    EXPECT_EQ(SoundLatencyFromMilliseconds(151), SoundLatencySafe);
}

}  // namespace
}  // namespace plexaro
