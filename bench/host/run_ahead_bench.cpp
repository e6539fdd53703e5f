// What run-ahead costs: a pass of play (a frame, its sound, and the frames run ahead with the
// snapshot kept and put back) on the demo in play, as a share of one core at 60 passes a
// second, for 0, 1 and 2 frames ahead. Beside it, what keeping and putting back the machine
// costs each way: the in-memory snapshot run-ahead uses, and a whole save state (written,
// sealed with its checksum, checked and loaded), which it would otherwise take.
#include <benchmark/benchmark.h>

#include <ctime>
#include <string>
#include <vector>

#include "host/shell/run_ahead.h"
#include "machine/machine.h"
#include "machine/snapshot.h"
#include "machine/state.h"

namespace {

const std::string Demo = PLEXARO_BINARY_DIR "/cartridges/demo/demo.sg";

bool StartDemo(benchmark::State& state, uint32_t hardware) {
    using namespace plexaro;
    SelectVideoBehaviour(hardware);
    InitMachine(256);
    if (LoadCartridge(Demo.c_str()) != nullptr) {
        state.SkipWithError("the demo is not built");
        return false;
    }
    return true;
}

double ThreadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// The demo started and flown about, as a player would.
void Steer(uint64_t frame) {
    using namespace plexaro;
    ClearJoypad();
    if (frame % 300 < 3) PressJoypad(JoypadButton1);
    PressJoypad(static_cast<uint32_t>(frame / 20 % 4));
}

void BM_PassWithRunAhead(benchmark::State& state) {
    using namespace plexaro;
    if (!StartDemo(state, static_cast<uint32_t>(state.range(1)))) return;
    RunAheadSetFrames(static_cast<uint32_t>(state.range(0)));
    uint64_t frame = 0;
    const double start = ThreadCpuSeconds();
    for (auto _ : state) {
        Steer(frame++);
        RunFrame();
        benchmark::DoNotOptimize(MakeSoundFrame());
        RunAheadAfterFrame();
    }
    // CPU time, not wall time: on a busy machine the wall clock counts other programs' turns.
    const double perPass = (ThreadCpuSeconds() - start) / static_cast<double>(frame);
    state.counters["core % at 60 fps"] = 100.0 * 60.0 * perPass;
    state.SetLabel(std::string(state.range(1) ? "hardware" : "simple") + ", " +
                   std::to_string(state.range(0)) + " ahead");
    RunAheadSetFrames(0);
    SelectVideoBehaviour(0);
}
BENCHMARK(BM_PassWithRunAhead)
    ->ArgsProduct({{0, 1, 2}, {0, 1}})
    ->Iterations(3000)
    ->Unit(benchmark::kMicrosecond);

// Keeping the machine and putting it back, on its own.
void BM_SnapshotAndBack(benchmark::State& state) {
    using namespace plexaro;
    if (!StartDemo(state, 0)) return;
    for (int frame = 0; frame < 120; ++frame) RunFrame();
    for (auto _ : state) {
        TakeMachineSnapshot();
        RestoreMachineSnapshot();
    }
}
BENCHMARK(BM_SnapshotAndBack)->Unit(benchmark::kMicrosecond);

void BM_SaveStateAndBack(benchmark::State& state) {
    using namespace plexaro;
    if (!StartDemo(state, 0)) return;
    for (int frame = 0; frame < 120; ++frame) RunFrame();
    std::vector<uint8_t> bytes(MachineStateSize());
    for (auto _ : state) {
        SaveMachineState(0, bytes.data());
        benchmark::DoNotOptimize(LoadMachineState(bytes.data(), bytes.size(), nullptr));
    }
}
BENCHMARK(BM_SaveStateAndBack)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
