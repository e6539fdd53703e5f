// The choice of what paces the frames, the watch on a display that paces them, and the count
// of frames shown twice or skipped.
#include "host/shell/pacing.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>

#include "host/shell/audio.h"

namespace plexaro {
namespace {

constexpr double FrameHz = 60;
constexpr double DisplayTolerance = 0.01;
constexpr uint32_t MaxIntervals = 64;
// Out of the last WatchFrames, this many frames with the ring dry or full mean the display no
// longer holds the pace (its vsync stopped, or it runs at another rate now).
constexpr uint32_t WatchFrames = 60;
constexpr uint32_t WatchTrouble = 5;

struct PacingState {
    PacingMode mode;
    double periodNanoseconds;  // a frame's time on the screen
    uint64_t lastShown;        // 0: the next interval is not judged
    uint64_t troubleBits;      // one bit a frame, the newest lowest: the ring was dry or full
    uint32_t lastUnderruns, lastOverruns;
};

PacingState state = {PaceByTimer, 1e9 / FrameHz, 0, 0, 0, 0};
PacingFigures figures = {};

}  // namespace

double PacingMeasuredHz(const uint64_t* intervals, uint32_t count) {
    count = std::min(count, MaxIntervals);
    if (count == 0) return 0;
    uint64_t sorted[MaxIntervals];
    std::copy(intervals, intervals + count, sorted);
    std::sort(sorted, sorted + count);
    const uint64_t median = sorted[count / 2];
    return median == 0 ? 0 : 1e9 / static_cast<double>(median);
}

PacingMode PacingChoose(const uint64_t* intervals, uint32_t count, bool cardPlaying) {
    const double hz = PacingMeasuredHz(intervals, count);
    if (std::fabs(hz - FrameHz) <= FrameHz * DisplayTolerance) return PaceByDisplay;
    return cardPlaying ? PaceByCard : PaceByTimer;
}

void PacingStart(PacingMode mode, double refreshHz) {
    state.mode = mode;
    const bool display = mode == PaceByDisplay && refreshHz > 0;
    state.periodNanoseconds = 1e9 / (display ? refreshHz : FrameHz);
    state.lastShown = 0;
    state.troubleBits = 0;
    state.lastUnderruns = AudioStatistics().underruns;
    state.lastOverruns = AudioStatistics().overruns;
    AudioSetPacedByDisplay(mode == PaceByDisplay);
}

PacingMode Pacing() {
    return state.mode;
}

const char* PacingName(PacingMode mode) {
    static constexpr const char* Names[] = {"timer", "card", "display"};
    return mode <= PaceByDisplay ? Names[mode] : "timer";
}

void PacingFrameShown(uint64_t now) {
    // A picture replaced within half a refresh means presents no longer wait for one.
    bool early = false;
    if (state.lastShown != 0 && now > state.lastShown) {
        const auto interval = static_cast<double>(now - state.lastShown);
        ++figures.judged;
        if (interval > 1.5 * state.periodNanoseconds) ++figures.shownTwice;
        early = interval < 0.5 * state.periodNanoseconds;
        if (early) ++figures.skipped;
    }
    state.lastShown = now;

    const AudioFigures& audio = AudioStatistics();
    const bool trouble =
        early || audio.underruns != state.lastUnderruns || audio.overruns != state.lastOverruns;
    state.lastUnderruns = audio.underruns;
    state.lastOverruns = audio.overruns;
    state.troubleBits =
        (state.troubleBits << 1 | (trouble ? 1 : 0)) & ((uint64_t{1} << WatchFrames) - 1);
    if (state.mode == PaceByDisplay &&
        static_cast<uint32_t>(std::popcount(state.troubleBits)) >= WatchTrouble) {
        ++figures.fallbacks;
        PacingStart(AudioPlaying() ? PaceByCard : PaceByTimer, 0);
    }
}

void PacingGap() {
    state.lastShown = 0;
}

const PacingFigures& PacingStatistics() {
    return figures;
}

void PacingClearStatistics() {
    figures = {};
}

void PacingStatsText(char* text, size_t size) {
    const AudioFigures& audio = AudioStatistics();
    const double mean = audio.frames > 0 ? audio.latencySum / static_cast<double>(audio.frames) : 0;
    std::snprintf(text, size,
                  "pacing: %s  sound latency: %s (device %u samples)  latency: mean %.1f ms, "
                  "max %.1f ms  ratio: %.4f..%.4f  underruns: %u  overruns: %u  "
                  "shown twice: %llu  skipped: %llu",
                  PacingName(state.mode), SoundLatencyName(AudioLatency()), audio.deviceSamples,
                  mean, static_cast<double>(audio.latencyMax), static_cast<double>(audio.ratioMin),
                  static_cast<double>(audio.ratioMax), audio.underruns, audio.overruns,
                  static_cast<unsigned long long>(figures.shownTwice),
                  static_cast<unsigned long long>(figures.skipped));
}

}  // namespace plexaro
