// What recording for rewind costs: frames of the demo (in play) and of the busy cartridge,
// each followed by a recorded state, with the two halves timed separately frame by frame.
// Timing them interleaved keeps the share honest on a machine whose speed wanders: two
// separate runs, with and without recording, disagreed by more than the recording costs.
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>

#include "host/shell/rewind.h"
#include "machine/machine.h"

namespace {

const std::string Cartridges[] = {PLEXARO_BINARY_DIR "/cartridges/demo/demo.sg",
                                  PLEXARO_BINARY_DIR "/cartridges/tests/busy.sg"};

void BM_FramesRecordedForRewind(benchmark::State& state) {
    using namespace plexaro;
    using Clock = std::chrono::steady_clock;
    const std::string& cartridge = Cartridges[state.range(0)];
    InitMachine(256);
    if (LoadCartridge(cartridge.c_str()) != nullptr) {
        state.SkipWithError("the cartridge is not built");
        return;
    }
    RewindStart(RewindDefaultBudget);
    uint64_t frame = 0;
    Clock::duration emulating{}, recording{};
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        ClearJoypad();
        if (frame % 50 < 3) PressJoypad(JoypadButton1);  // the demo starts and plays
        PressJoypad(static_cast<uint32_t>(frame / 20 % 4));
        RunFrame();
        MakeSoundFrame();
        const Clock::time_point emulated = Clock::now();
        RewindRecord(++frame);
        recording += Clock::now() - emulated;
        emulating += emulated - start;
    }
    const auto micros = [&](Clock::duration d) {
        return std::chrono::duration<double, std::micro>(d).count() / static_cast<double>(frame);
    };
    state.SetLabel(cartridge.substr(cartridge.rfind('/') + 1));
    state.counters["emulate us"] = micros(emulating);
    state.counters["record us"] = micros(recording);
    state.counters["record %"] = 100.0 * micros(recording) / micros(emulating);
    state.counters["bytes/frame"] =
        static_cast<double>(RewindBytesUsed()) / static_cast<double>(RewindFrames());
    RewindStop();
    ShutdownMachine();
}
BENCHMARK(BM_FramesRecordedForRewind)
    ->Arg(0)
    ->Arg(1)
    ->Iterations(6000)
    ->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
