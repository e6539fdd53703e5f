// Frames a second of the libretro core through a frontend (dlopen, every callback answered,
// pictures and sound counted but not kept, as the frontend's own copying is not the core's
// speed), on the demo's title screen; the headless player's figure for the same frames is
// bench_machine_frames'.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "tests/libretro/frontend.h"

namespace {

void BM_CoreFramesThroughAFrontend(benchmark::State& state) {
    using namespace plexaro::test;
    const std::string demo = PLEXARO_BINARY_DIR "/cartridges/demo/demo.sg";
    if (!std::filesystem::exists(CorePath()) || !std::filesystem::exists(demo)) {
        state.SkipWithError("the core or the demo is not built");
        return;
    }
    traits = FrontendTraits{};
    traits.keep = false;
    CoreApi core;
    std::string error;
    if (!Open(core, &error) || !LoadPath(core, demo)) {
        state.SkipWithError(error.c_str());
        return;
    }
    for (auto _ : state) core.run();
    state.counters["frames/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["state bytes"] = static_cast<double>(core.serializeSize());
    Close(core);
}
BENCHMARK(BM_CoreFramesThroughAFrontend)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
