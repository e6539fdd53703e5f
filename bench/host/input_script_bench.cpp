// Looking up each frame's input in a long recorded script: one line per frame for an hour
// of play. The lookup must cost the same per frame however long the script is.
#include <benchmark/benchmark.h>

#include <string>

#include "host/player/input_script.h"

namespace {

void BM_RecordedHourLookup(benchmark::State& state) {
    const uint64_t frames = static_cast<uint64_t>(state.range(0));
    std::string text;
    static constexpr const char* Controls[] = {"up", "right", "down button1", "left"};
    for (uint64_t frame = 0; frame < frames; ++frame) {
        text += std::to_string(frame) + " " + Controls[frame / 7 % 4] + "\n";
    }
    plexaro::InputScript script;
    uint32_t line = 0;
    std::string error;
    plexaro::ParseInputScript(text, script, line, error);
    for (auto _ : state) {
        uint32_t seen = 0;
        for (uint64_t frame = 0; frame < frames; ++frame) {
            seen |= plexaro::ScriptInputForFrame(script, frame).controls;
        }
        benchmark::DoNotOptimize(seen);
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * frames));
}
// A minute of play, and an hour: the time per frame (items) stays the same.
BENCHMARK(BM_RecordedHourLookup)->Arg(60 * 60)->Arg(60 * 60 * 60)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
