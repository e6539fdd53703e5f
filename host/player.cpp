#include "host/player.h"

#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "host/input_script.h"
#include "host/media.h"
#include "host/trace.h"
#include "machine/machine.h"

namespace plexaro {
namespace {

constexpr double RealTimeFps = 60.0;
constexpr uint32_t HeadlessRowStride = PictureWidth;

bool ReadScript(const std::string& path, InputScript& script) {
    std::error_code status;
    std::ifstream file(path, std::ios::binary);
    if (!std::filesystem::is_regular_file(path, status) || !file) {
        std::fprintf(stderr, "plexaro: %s: can't read the input script\n", path.c_str());
        return false;
    }
    const std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    uint32_t line = 0;
    std::string error;
    if (!ParseInputScript(text, script, line, error)) {
        std::fprintf(stderr, "plexaro: %s:%" PRIu32 ": %s\n", path.c_str(), line, error.c_str());
        return false;
    }
    return true;
}

void ApplyInput(const FrameInput& input, uint32_t rgbMode) {
    if (input.reset) {
        ResetMachine();
        SelectRgbMode(rgbMode);
    }
    ClearJoypad();
    for (uint32_t button = JoypadUp; button <= JoypadButton2; ++button) {
        if (input.controls & (1u << button)) PressJoypad(button);
    }
    if (input.pause) PressPauseButton();
}

}  // namespace

int RunHeadless(const PlayerOptions& options) {
    InputScript script;
    if (!options.inputPath.empty() && !ReadScript(options.inputPath, script)) return ExitUsage;
    if (options.cartridgePath.empty()) {
        std::fprintf(stderr, "plexaro: no cartridge given (see --help)\n");
        return ExitUsage;
    }

    if (const char* error = InitMachine(HeadlessRowStride)) {
        std::fprintf(stderr, "plexaro: %s\n", error);
        return ExitFailure;
    }
    if (const char* error = LoadCartridge(options.cartridgePath.c_str())) {
        std::fprintf(stderr, "plexaro: %s\n", error);
        ShutdownMachine();
        return ExitFailure;
    }
    if (LoadedFileSize() > RomImageSize) {
        std::fprintf(stderr, "plexaro: warning: %s is %" PRIu64 " bytes long; ",
                     options.cartridgePath.c_str(), LoadedFileSize());
        std::fprintf(stderr, "only its first %zu are loaded\n", RomImageSize);
    }
    SelectRgbMode(options.rgbMode);
    SelectVideoBehaviour(options.videoHardware);  // kept through the script's resets

    WavFile wav{nullptr, 0, false};
    if (!options.wavPath.empty()) {
        wav = OpenWav(options.wavPath.c_str());
        if (wav.file == nullptr) {
            std::fprintf(stderr, "plexaro: %s: can't create the WAV file\n",
                         options.wavPath.c_str());
            ShutdownMachine();
            return ExitFailure;
        }
    }

    const bool tracing = !options.tracePath.empty();
    if (tracing && !TraceOpen(options.tracePath.c_str())) {
        std::fprintf(stderr, "plexaro: %s: can't create the trace\n", options.tracePath.c_str());
        if (wav.file != nullptr) CloseWav(wav);
        ShutdownMachine();
        return ExitFailure;
    }

    uint64_t audioHash = FnvOffsetBasis;
    const auto start = std::chrono::steady_clock::now();
    for (uint64_t frame = 0; frame < options.frames; ++frame) {
        ApplyInput(ScriptInputForFrame(script, frame), options.rgbMode);
        if (tracing) {
            DebuggerRunFrame();  // the trace's hook sees every instruction
        } else {
            RunFrame();
        }
        const int16_t* samples = MakeSoundFrame();
        if (wav.file != nullptr) AppendWav(wav, samples, SamplesPerFrame);
        if (options.hash) audioHash = HashSamples(audioHash, samples, SamplesPerFrame);
    }
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    int status = ExitSuccess;
    if (tracing && !TraceClose()) {
        std::fprintf(stderr, "plexaro: %s: can't write the trace\n", options.tracePath.c_str());
        status = ExitFailure;
    }
    if (wav.file != nullptr && !CloseWav(wav)) {
        std::fprintf(stderr, "plexaro: %s: can't write the WAV file\n", options.wavPath.c_str());
        status = ExitFailure;
    }
    const uint16_t* pixels = GetFrameBuffer();
    if (!options.screenshotPath.empty() &&
        (pixels == nullptr ||
         !WritePng(options.screenshotPath.c_str(), pixels, RecordedRowStride(), options.rgbMode))) {
        std::fprintf(stderr, "plexaro: %s: can't write the screenshot\n",
                     options.screenshotPath.c_str());
        status = ExitFailure;
    }

    const double fps = wall > 0 ? static_cast<double>(options.frames) / wall : 0.0;
    std::printf("frames: %" PRIu64 "  wall: %.3f s  fps: %.1f  speed: %.1fx real time\n",
                options.frames, wall, fps, fps / RealTimeFps);
    if (options.hash) {
        const uint64_t frameHash =
            pixels != nullptr ? HashFrame(FnvOffsetBasis, pixels, RecordedRowStride()) : 0;
        std::printf("frame hash: 0x%016" PRIx64 "\n", frameHash);
        std::printf("audio hash: 0x%016" PRIx64 "\n", audioHash);
    }
    ShutdownMachine();
    return status;
}

}  // namespace plexaro
