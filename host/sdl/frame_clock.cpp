// The desktop loop's clock: the vsync probe behind the choice of pace, the 60 Hz timer used
// without a sound card or a 60 Hz display, the bound on bursts, and the run's figures.
#include "host/sdl/frame_clock.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>

#include "host/shell/audio.h"
#include "host/shell/pacing.h"
#include "host/shell/shell.h"

namespace plexaro {
namespace {

using Clock = std::chrono::steady_clock;
// Further behind than this (a message box was open, the machine was busy), the clock starts
// afresh instead of running frames back to back to catch up.
constexpr int MaxFramesBehind = 3;
// At most the sound ring's lead in frames: a dozen in Safe, three at the shorter latencies.
constexpr double SafeBurstFrames = 12;
constexpr double ShortBurstFrames = 3;
constexpr double BurstRate = 61;  // frames a second the budget refills by
constexpr int ProbePresents = 10;
constexpr int ProbeSettle = 2;  // the first presents may return at once, queued or not
// The rate is taken from the second second on, past the sound buffer's first fill.
constexpr uint64_t SteadyFrame = 60;

struct FrameClock {
    Clock::time_point nextTick;
    Clock::time_point burstChecked;
    double burstFrames;  // frames that may still run ahead of real time
    uint64_t framesSeen;
    Clock::time_point started, firstFrame, steadyFrame, lastFrame;
};

FrameClock clock = {};

// Sleeps until the next frame is due, counted from a fixed start so that the rate never
// drifts.
void WaitForTick() {
    const Clock::duration period = std::chrono::nanoseconds(ShellFrameNanoseconds());
    const Clock::time_point now = Clock::now();
    if (now - clock.nextTick > MaxFramesBehind * period) clock.nextTick = now;
    clock.nextTick += period;
    std::this_thread::sleep_until(clock.nextTick);
}

// The sound card's wait paces frames, but right after the buffer is restarted it may let a
// few through at once (a dozen in Safe), and while Tab holds the console in reset it is restarted
// on every pass: frames would then run as fast as the machine can; a display's vsync may stop
// holding presents. A budget that fills a little faster than real time, and holds at most a
// buffer's worth, keeps the burst and stops the race without ever holding back a card or a display
// that runs a touch fast.
void LimitBurst() {
    const Clock::time_point now = Clock::now();
    const double seconds = std::chrono::duration<double>(now - clock.burstChecked).count();
    clock.burstChecked = now;
    const double most = AudioLatency() == SoundLatencySafe ? SafeBurstFrames : ShortBurstFrames;
    clock.burstFrames = std::min(most, clock.burstFrames + seconds * BurstRate);
    if (clock.burstFrames < 1) {
        const auto wait = std::chrono::duration<double>((1 - clock.burstFrames) / BurstRate);
        std::this_thread::sleep_for(wait);
        clock.burstFrames = 1;
        clock.burstChecked = Clock::now();
    }
    clock.burstFrames -= 1;
}

uint64_t Nanoseconds(Clock::time_point time) {
    return static_cast<uint64_t>(
        std::chrono::duration_cast<std::chrono::nanoseconds>(time.time_since_epoch()).count());
}

// What the figures count from.
void CountFrame() {
    const uint64_t frames = Shell().framesRun;
    const Clock::time_point now = Clock::now();
    clock.lastFrame = now;
    // At least, not exactly: a fast-forward pass runs many frames.
    if (frames >= 1 && clock.firstFrame == clock.started) clock.firstFrame = now;
    if (frames >= SteadyFrame && clock.steadyFrame == clock.started) clock.steadyFrame = now;
}

}  // namespace

void FrameClockStart() {
    clock = {};
    clock.started = clock.firstFrame = clock.steadyFrame = clock.lastFrame = Clock::now();
}

void FrameClockChoosePacing(SDL_Renderer* renderer) {
    uint64_t intervals[ProbePresents];
    uint32_t count = 0;
    Clock::time_point last = Clock::now();
    for (int present = 0; renderer != nullptr && present < ProbePresents; ++present) {
        SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
        SDL_RenderClear(renderer);
        SDL_RenderPresent(renderer);
        const Clock::time_point now = Clock::now();
        if (present >= ProbeSettle) intervals[count++] = Nanoseconds(now) - Nanoseconds(last);
        last = now;
    }
    PacingStart(PacingChoose(intervals, count, AudioPlaying()), PacingMeasuredHz(intervals, count));
    clock.nextTick = clock.burstChecked = Clock::now();
}

void FrameClockAfterPass(bool paced) {
    const ShellState& shell = Shell();
    // Only a pass that showed the next frame at play speed says how evenly frames come.
    const uint64_t ran = shell.framesRun - clock.framesSeen;
    clock.framesSeen = shell.framesRun;
    if (ran == 1 && !shell.fastForwarding && shell.SlowMotion == 0) {
        PacingFrameShown(Nanoseconds(Clock::now()));
    } else {
        PacingGap();
    }
    CountFrame();
    if (shell.fastForwarding) {
        // The pass ran a tick's worth of frames: the next goes at once, and play resumes on
        // the clock from wherever fast forward let go of it.
        clock.nextTick = Clock::now();
    } else if (paced || Pacing() == PaceByDisplay) {
        LimitBurst();
        clock.nextTick = Clock::now();
    } else {
        WaitForTick();
    }
}

void FrameClockPrintStats(SDL_Renderer* renderer, const char* sound) {
    using Seconds = std::chrono::duration<double>;
    const uint64_t frames = Shell().framesRun;
    const double wall = Seconds(clock.lastFrame - clock.firstFrame).count();
    const double steady = Seconds(clock.lastFrame - clock.steadyFrame).count();
    const double first = Seconds(clock.firstFrame - clock.started).count() * 1000;
    SDL_RendererInfo info{};
    if (renderer == nullptr || SDL_GetRendererInfo(renderer, &info) != 0) info.name = "none";
    std::printf(
        "frames: %llu  wall: %.3f s  fps: %.2f  first frame: %.1f ms  renderer: %s  "
        "sound: %s\n",
        static_cast<unsigned long long>(frames), frames > 0 ? wall : 0.0,
        frames > SteadyFrame ? static_cast<double>(frames - SteadyFrame) / steady : 0.0,
        frames > 0 ? first : 0.0, info.name, sound);
    char text[512];
    PacingStatsText(text, sizeof text);
    std::printf("%s\n", text);
}

}  // namespace plexaro
