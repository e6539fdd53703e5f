// What recording for rewind costs: frames of the demo (in play) and of the busy cartridge,
// run with and without a state recorded after each one, and the bytes each frame takes in
// the ring.
#include <benchmark/benchmark.h>

#include <string>

#include "host/rewind.h"
#include "machine/machine.h"

namespace {

const std::string Cartridges[] = {PLEXARO_BINARY_DIR "/cartridges/demo/demo.sg",
                                  PLEXARO_BINARY_DIR "/cartridges/tests/busy.sg"};

void Frames(benchmark::State& state, bool record) {
    using namespace plexaro;
    const std::string& cartridge = Cartridges[state.range(0)];
    InitMachine(256);
    if (LoadCartridge(cartridge.c_str()) != nullptr) {
        state.SkipWithError("the cartridge is not built");
        return;
    }
    if (record) RewindStart(RewindDefaultBudget);
    uint64_t frame = 0;
    for (auto _ : state) {
        ClearJoypad();
        if (frame % 50 < 3) PressJoypad(JoypadButton1);  // the demo starts and plays
        PressJoypad(static_cast<uint32_t>(frame / 20 % 4));
        RunFrame();
        MakeSoundFrame();
        if (record) RewindRecord(++frame);
    }
    state.SetLabel(cartridge.substr(cartridge.rfind('/') + 1));
    if (record && RewindFrames() > 0) {
        state.counters["bytes/frame"] =
            static_cast<double>(RewindBytesUsed()) / static_cast<double>(RewindFrames());
        state.counters["frames held"] = RewindFrames();
    }
    RewindStop();
    ShutdownMachine();
}

void BM_Frames(benchmark::State& state) {
    Frames(state, false);
}
void BM_FramesRecordedForRewind(benchmark::State& state) {
    Frames(state, true);
}
BENCHMARK(BM_Frames)->Arg(0)->Arg(1)->Iterations(6000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FramesRecordedForRewind)
    ->Arg(0)
    ->Arg(1)
    ->Iterations(6000)
    ->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
