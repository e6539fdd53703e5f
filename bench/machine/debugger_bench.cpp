// Whole frames of our busy cartridge through the debugger: with no breakpoint (RunFrame's
// own loop) and with one armed at an address the program never reaches (every instruction
// run by z80::Step and checked). The fps counter gives frames per second of processor time;
// real time is 60.
#include <benchmark/benchmark.h>

#include "machine/debugger.h"
#include "machine/machine.h"

namespace {

constexpr uint16_t NeverReached = 0x9FFF;

void Frames(benchmark::State& state, bool armed) {
    using namespace plexaro;
    const char* path = PLEXARO_BINARY_DIR "/cartridges/tests/busy.sg";
    if (InitMachine(256) != nullptr || LoadCartridge(path) != nullptr) {
        state.SkipWithError("busy.sg does not load");
        return;
    }
    DebuggerClearBreakpoints();
    DebuggerResetPosition();
    DebuggerResume();
    if (armed) DebuggerAddBreakpoint(NeverReached);
    for (int i = 0; i < 60; ++i) DebuggerRunFrame();  // past the start-up
    for (auto _ : state) {
        DebuggerRunFrame();
        benchmark::DoNotOptimize(MakeSoundFrame());
    }
    state.counters["fps"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
    DebuggerClearBreakpoints();
    ShutdownMachine();
}

void BM_BusyFramesNoBreakpoint(benchmark::State& state) {
    Frames(state, false);
}
void BM_BusyFramesBreakpointArmed(benchmark::State& state) {
    Frames(state, true);
}

BENCHMARK(BM_BusyFramesNoBreakpoint)->Unit(benchmark::kMicrosecond)->MinTime(2.0);
BENCHMARK(BM_BusyFramesBreakpointArmed)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
