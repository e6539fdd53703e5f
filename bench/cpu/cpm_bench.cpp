// The core's speed in emulated MHz on our CP/M test program (about forty million cycles
// of mixed arithmetic, block moves, indexed forms, calls and DAA), best of a few runs.
#include <chrono>
#include <cstdio>

#include "tools/cpm/cpm.h"

namespace {

constexpr int Runs = 5;
constexpr const char* Program = PLEXARO_BINARY_DIR "/cartridges/cpm/cpmtest.com";

void Discard(char) {}

}  // namespace

int main() {
    double best = 0;
    uint64_t cycles = 0;
    for (int run = 0; run < Runs; ++run) {
        if (const char* failure = plexaro::CpmLoadFile(Program, Discard)) {
            std::fprintf(stderr, "%s: %s\n", Program, failure);
            return 1;
        }
        const auto start = std::chrono::steady_clock::now();
        const plexaro::CpmRunResult result = plexaro::CpmRun(0);
        const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - start;
        if (result.failure) {
            std::fprintf(stderr, "%s: %s\n", Program, result.failure);
            return 1;
        }
        cycles = result.cycles;
        const double mhz = static_cast<double>(result.cycles) / wall.count() / 1e6;
        if (mhz > best) best = mhz;
    }
    std::printf(
        "cpmtest.com: %llu cycles, best of %d runs: %.1f MHz emulated (%.0fx the console)\n",
        static_cast<unsigned long long>(cycles), Runs, best, best / 3.579545);
    return 0;
}
