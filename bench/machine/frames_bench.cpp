// Whole frames per second of the console: 6000 frames (100 s of console time) of a busy
// cartridge, best of three runs, the picture drawn and the sound made every frame as the
// player does, in the simple video behaviour and then in the hardware one. The cartridge
// is the first argument, else $PLEXARO_BENCH_CARTRIDGE, else our busy test cartridge: the
// demo sits in HALT on its title screen, which would measure mostly the video chip.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "machine/machine.h"

namespace {

constexpr int Frames = 6000;
constexpr int Runs = 3;
constexpr double RealTimeFps = 60.0;
constexpr double TargetFps = 6000.0;

std::string ChooseCartridge(int argc, char** argv) {
    if (argc > 1) return argv[1];
    if (const char* path = std::getenv("PLEXARO_BENCH_CARTRIDGE")) return path;
    return PLEXARO_BINARY_DIR "/cartridges/tests/busy.sg";
}

// Best of Runs: the seconds that Frames frames take with the video behaviour selected, or a
// negative number when the cartridge does not load.
double Measure(const std::string& cartridge, uint32_t videoHardware) {
    using namespace plexaro;
    SelectVideoBehaviour(videoHardware);
    double best = 0;
    for (int run = 0; run < Runs; ++run) {
        if (const char* error = LoadCartridge(cartridge.c_str())) {
            std::fprintf(stderr, "bench_machine_frames: %s: %s\n", cartridge.c_str(), error);
            return -1;
        }
        SelectRgbMode(1);
        const auto start = std::chrono::steady_clock::now();
        for (int frame = 0; frame < Frames; ++frame) {
            RunFrame();
            MakeSoundFrame();
        }
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (run == 0 || seconds < best) best = seconds;
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace plexaro;
    const std::string cartridge = ChooseCartridge(argc, argv);
    if (const char* error = InitMachine(256)) {
        std::fprintf(stderr, "bench_machine_frames: %s\n", error);
        return 1;
    }
    const double best = Measure(cartridge, 0);
    const double hardware = best < 0 ? best : Measure(cartridge, 1);
    if (hardware < 0) {
        ShutdownMachine();
        return 1;
    }
    const double fps = Frames / best;
    std::printf("cartridge: %s\n", cartridge.c_str());
    std::printf(
        "frames: %d  best of %d: %.3f s  fps: %.0f  speed: %.1fx real time  (target %.0f "
        "fps: %s)\n",
        Frames, Runs, best, fps, fps / RealTimeFps, TargetFps,
        fps >= TargetFps ? "met" : "not met");
    std::printf("hardware video: best of %d: %.3f s  fps: %.0f  (%.2fx the simple time)\n", Runs,
                hardware, Frames / hardware, hardware / best);
    SelectVideoBehaviour(0);
    ShutdownMachine();
    return 0;
}
