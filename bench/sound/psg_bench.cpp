// Time to synthesise one console frame (735 samples) with every channel audible: at the
// highest pitch, tones at period 1 (several level changes per sample) and white noise
// following tone 2 (about two and a half shifts per sample); then at the pitches of music.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "machine/machine.h"
#include "sound/psg.h"

namespace {

void BM_PsgFrameAllChannelsHighest(benchmark::State& state) {
    using namespace plexaro;
    PsgInit(0, ConsoleClockHz, SampleRate);
    for (int latch : {0x81, 0xA1, 0xC1, 0xE7, 0x90, 0xB0, 0xD0, 0xF0}) PsgWrite(0, latch);
    int16_t frame[735];
    for (auto _ : state) {
        PsgUpdate(0, frame, 735);
        benchmark::DoNotOptimize(frame);
        benchmark::ClobberMemory();
    }
    state.counters["samples/s"] =
        benchmark::Counter(735.0 * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_PsgFrameAllChannelsHighest)->Unit(benchmark::kMicrosecond);

// The same with the pitches of music: tones around 440 Hz (periods 254, 320 and 400, a level
// change every several samples) and white noise at rate 1 (a shift every twelve).
void BM_PsgFrameAllChannelsMusic(benchmark::State& state) {
    using namespace plexaro;
    PsgInit(0, ConsoleClockHz, SampleRate);
    for (int byte : {0x8E, 0x0F, 0xA0, 0x14, 0xC0, 0x19, 0xE5, 0x92, 0xB4, 0xD6, 0xF8}) {
        PsgWrite(0, byte);
    }
    int16_t frame[735];
    for (auto _ : state) {
        PsgUpdate(0, frame, 735);
        benchmark::DoNotOptimize(frame);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_PsgFrameAllChannelsMusic)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
