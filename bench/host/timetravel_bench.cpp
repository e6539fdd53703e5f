// What going back in time costs at the end of ten seconds of play of the demo: keeping a state
// as each frame begins, one step back by instruction, a travel 600 frames back, and reverse
// continues that find nothing: with a breakpoint armed where the demo never goes, which runs
// all 600 frames again instruction by instruction, with a watchpoint on memory it never
// touches, which runs them at full speed, and with nothing armed, which runs none of them.
#include <benchmark/benchmark.h>

#include <string>

#include "host/debug/timetravel.h"
#include "machine/debugger.h"
#include "machine/machine.h"

namespace {

using namespace plexaro;

const std::string Demo = PLEXARO_BINARY_DIR "/cartridges/demo/demo.sg";
constexpr uint32_t Recorded = 610;  // ten seconds and a little
constexpr uint32_t IntoTheFrame = 3000;

// The demo started and played, as a player would, one frame.
void PlayFrame(uint64_t frame) {
    ClearJoypad();
    if (frame % 50 < 3) PressJoypad(JoypadButton1);
    PressJoypad(static_cast<uint32_t>(frame / 20 % 4));
    DebuggerRunFrame();
    MakeSoundFrame();
}

// Ten seconds recorded, and the machine stopped some way into the next frame; where that is.
bool Record(benchmark::State& state, TimePoint* end) {
    InitMachine(256);
    if (LoadCartridge(Demo.c_str()) != nullptr) {
        state.SkipWithError("the demo is not built");
        return false;
    }
    DebuggerClearBreakpoints();
    DebuggerResetPosition();
    DebuggerResume();
    if (!TimeTravelStart(TimeTravelDefaultBudget)) {
        state.SkipWithError("no memory for time travel");
        return false;
    }
    for (uint64_t frame = 0; frame < Recorded; ++frame) PlayFrame(frame);
    for (uint32_t i = 0; i < IntoTheFrame; ++i) DebuggerStep();
    *end = TimeTravelNow();
    return true;
}

void Finish() {
    TimeTravelStop();
    ShutdownMachine();
}

void BM_KeepAStateEachFrame(benchmark::State& state) {
    TimePoint end{};
    if (!Record(state, &end)) return;
    DebuggerResume();
    uint64_t frame = Recorded;
    for (auto _ : state) PlayFrame(frame++);
    state.counters["frames kept"] = TimeTravelFramesKept();
    Finish();
}
BENCHMARK(BM_KeepAStateEachFrame)->Iterations(600)->Unit(benchmark::kMicrosecond);

void BM_StepBackOneInstruction(benchmark::State& state) {
    TimePoint end{};
    if (!Record(state, &end)) return;
    for (auto _ : state) {
        state.PauseTiming();
        TimeTravelTo(end);
        state.ResumeTiming();
        TimeTravelStepBack(StepByInstruction);
    }
    Finish();
}
BENCHMARK(BM_StepBackOneInstruction)->Iterations(20)->Unit(benchmark::kMillisecond);

void BM_TravelBack600Frames(benchmark::State& state) {
    TimePoint end{};
    if (!Record(state, &end)) return;
    for (auto _ : state) {
        state.PauseTiming();
        TimeTravelTo(end);
        state.ResumeTiming();
        TimeTravelTo({end.frame - 600, 0});
    }
    Finish();
}
BENCHMARK(BM_TravelBack600Frames)->Iterations(20)->Unit(benchmark::kMillisecond);

// Nothing in the console's memory map lies at 0x8000-0xBFFF on this board.
constexpr uint16_t Nowhere = 0x8000;

enum Armed { Breakpoint, Watchpoint, Nothing };

void ReverseContinue(benchmark::State& state, Armed armed) {
    TimePoint end{};
    if (!Record(state, &end)) return;
    if (armed == Watchpoint) {
        DebuggerAddWatchpoint({WatchRead | WatchWrite, Nowhere, Nowhere, false, 0, 0});
    } else if (armed == Breakpoint) {
        DebuggerAddBreakpoint(Nowhere);
    }
    for (auto _ : state) {
        state.PauseTiming();
        TimeTravelTo(end);
        state.ResumeTiming();
        if (TimeTravelReverseContinue(nullptr) != TravelOldest) state.SkipWithError("a hit");
    }
    state.counters["frames"] = TimeTravelFramesKept();
    DebuggerClearBreakpoints();
    DebuggerClearWatchpoints();
    Finish();
}

void BM_ReverseContinueThrough600Frames(benchmark::State& state) {
    ReverseContinue(state, Breakpoint);
}
BENCHMARK(BM_ReverseContinueThrough600Frames)->Iterations(3)->Unit(benchmark::kMillisecond);

void BM_ReverseContinueWatchingThrough600Frames(benchmark::State& state) {
    ReverseContinue(state, Watchpoint);
}
BENCHMARK(BM_ReverseContinueWatchingThrough600Frames)->Iterations(3)->Unit(benchmark::kMillisecond);

void BM_ReverseContinueUnarmedThrough600Frames(benchmark::State& state) {
    ReverseContinue(state, Nothing);
}
BENCHMARK(BM_ReverseContinueUnarmedThrough600Frames)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace
BENCHMARK_MAIN();
