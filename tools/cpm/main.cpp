// plexaro-cpm: runs a CP/M .COM program on the Z80 core and reports the core's speed.
//
//     plexaro-cpm PROGRAM.COM
//
// Prints the program's output as it comes, then the emulated cycles, the wall time and
// the emulated clock rate. Exits with 0 when the program returned to CP/M.
#include <chrono>
#include <cstdio>

#include "tools/cpm/cpm.h"

namespace {

bool atLineStart = true;

void PrintChar(char c) {
    std::putchar(c);
    atLineStart = c == '\n';
    // The exercisers print one line per test over minutes; show each as it completes.
    if (atLineStart) std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: plexaro-cpm PROGRAM.COM\n");
        return 2;
    }
    if (const char* failure = plexaro::CpmLoadFile(argv[1], PrintChar)) {
        std::fprintf(stderr, "plexaro-cpm: %s: %s\n", argv[1], failure);
        return 1;
    }
    const auto start = std::chrono::steady_clock::now();
    const plexaro::CpmRunResult result = plexaro::CpmRun(0);
    const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - start;

    if (!atLineStart) std::putchar('\n');
    const double seconds = wall.count();
    const double mhz = seconds > 0 ? static_cast<double>(result.cycles) / seconds / 1e6 : 0;
    std::printf("%llu cycles in %.3f s: %.2f MHz emulated\n",
                static_cast<unsigned long long>(result.cycles), seconds, mhz);
    std::fflush(stdout);
    if (result.failure) {
        std::fprintf(stderr, "plexaro-cpm: %s: %s\n", argv[1], result.failure);
        return 1;
    }
    return 0;
}
