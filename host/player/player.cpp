#include "host/player/player.h"

#include <algorithm>
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "cpu/z80.h"
#include "host/debug/problems.h"
#include "host/debug/profiler.h"
#include "host/debug/symbols.h"
#include "host/debug/watches.h"
#include "host/media.h"
#include "host/os/os.h"
#include "host/player/expect.h"
#include "host/player/input_script.h"
#include "host/player/suite.h"
#include "host/player/trace.h"
#include "machine/checks.h"
#include "machine/debugger.h"
#include "machine/machine.h"
#include "machine/state.h"

namespace plexaro {
namespace {

// The console's frame rate: 60 in the simple behaviour, 59.92 with the hardware's longer line.
constexpr double SimpleFps = 60.0;
constexpr double HardwareFps =
    static_cast<double>(ConsoleClockHz) / (LinesPerFrame * HardwareCyclesPerLine);
constexpr uint32_t HeadlessRowStride = VdpScreenWidth;

bool ReadScript(const std::string& path, InputScript& script) {
    // An hour of play recorded a line per frame is a few megabytes; a limit far above that
    // still keeps a device or a mistaken huge file from being read without end.
    constexpr size_t ScriptLimit = 64u << 20;
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(path, ScriptLimit, bytes)) {
        std::fprintf(stderr, "plexaro: %s: can't read the input script (a file of at most 64 MB)\n",
                     path.c_str());
        return false;
    }
    const std::string text(bytes.begin(), bytes.end());
    uint32_t line = 0;
    std::string error;
    if (!ParseInputScript(text, script, line, error)) {
        std::fprintf(stderr, "plexaro: %s:%" PRIu32 ": %s\n", path.c_str(), line, error.c_str());
        return false;
    }
    return true;
}

// The same file under two names, or a file and a name that will be it.
bool SamePlace(const std::string& a, const std::string& b) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path first = PathOf(a);
    const fs::path second = PathOf(b);
    if (fs::exists(first, error) && fs::exists(second, error))
        return fs::equivalent(first, second, error);
    return fs::weakly_canonical(fs::absolute(first, error), error) ==
           fs::weakly_canonical(fs::absolute(second, error), error);
}

// What a run writes must never be what it reads, nor each other. (Saving a state over the
// one the run started from is fine: that is carrying on.)
bool OutputsAreSafe(const PlayerOptions& options) {
    const std::string diffPath =
        options.expectScreenshotPath.empty() ? "" : DiffPathFor(options.expectScreenshotPath);
    const struct {
        const char* option;
        const std::string& path;
    } outputs[] = {{"--wav", options.wavPath},
                   {"--expect-screenshot's difference picture", diffPath},
                   {"--screenshot", options.screenshotPath},
                   {"--save-state", options.saveStatePath},
                   {"--trace", options.tracePath},
                   {"--profile", options.profilePath},
                   {"--coverage", options.coveragePath}};
    const struct {
        const char* what;
        const std::string& path;
    } inputs[] = {{"the cartridge", options.cartridgePath},
                  {"the input script", options.inputPath},
                  {"the expected picture", options.expectScreenshotPath}};
    for (const auto& output : outputs) {
        if (output.path.empty()) continue;
        for (const auto& input : inputs) {
            if (input.path.empty() || !SamePlace(output.path, input.path)) continue;
            std::fprintf(stderr, "plexaro: %s %s would overwrite %s; nothing was run\n",
                         output.option, output.path.c_str(), input.what);
            return false;
        }
        for (const auto& other : outputs) {
            if (&other == &output || other.path.empty() || !SamePlace(output.path, other.path)) {
                continue;
            }
            std::fprintf(stderr, "plexaro: %s and %s name the same file; nothing was run\n",
                         other.option, output.option);
            return false;
        }
    }
    return true;
}

bool UsesDebugger(const PlayerOptions& options) {
    return !options.tracePath.empty() || !options.breaks.empty() || !options.watches.empty() ||
           !options.profilePath.empty() || !options.coveragePath.empty();
}

// The files beside the cartridge, then those named; a named one that can't be read is an error.
bool LoadSymbols(const PlayerOptions& options) {
    ClearSymbols();
    for (const std::string& path : SymbolFilesBeside(options.cartridgePath)) {
        std::fprintf(stderr, "plexaro: symbols: %s\n",
                     DescribeSymbolLoad(path, LoadSymbolFile(path)).c_str());
    }
    for (const std::string& path : options.symbolPaths) {
        const SymbolLoadReport report = LoadSymbolFile(path);
        std::fprintf(stderr, "plexaro: symbols: %s\n", DescribeSymbolLoad(path, report).c_str());
        if (!report.readable) return false;
    }
    return true;
}

bool ArmBreaksAndWatches(const PlayerOptions& options) {
    DebuggerClearBreakpoints();
    DebuggerClearWatchpoints();
    for (const std::string& where : options.breaks) {
        uint16_t address = 0;
        if (!ParseAddress(where, address)) {
            std::fprintf(stderr, "plexaro: --break %s: no such symbol or address\n", where.c_str());
            return false;
        }
        DebuggerAddBreakpoint(address);
    }
    for (const std::string& text : options.watches) {
        Watchpoint watch{};
        std::string error;
        if (!ParseWatch(text, watch, error)) {
            std::fprintf(stderr, "plexaro: --watch: %s\n", error.c_str());
            return false;
        }
        if (!DebuggerAddWatchpoint(watch)) {
            std::fprintf(stderr, "plexaro: --watch: at most %u watches\n", MaxWatchpoints);
            return false;
        }
    }
    return true;
}

uint64_t hitFrameBase;  // the run's first frame, for the hits' frame numbers

void PrintHit(const WatchHit& hit) {
    WatchHit counted = hit;
    counted.position.frame += hitFrameBase;
    char line[192];
    FormatWatchHit(counted, line, sizeof line);
    std::printf("watch %s: %s\n", DescribeWatchpoint(DebuggerGetWatchpoint(hit.watch)).c_str(),
                line);
}

void PrintBreak(uint64_t frame) {
    const auto r = [](uint32_t index) { return z80::GetRegister(index); };
    const uint16_t pc = static_cast<uint16_t>(r(z80::RegPC));
    char label[SymbolTextSize];
    FormatSymbol(pc, label, sizeof label);
    const DebugPosition at = DebuggerPosition();
    std::printf("break at 0x%04x%s%s (frame %" PRIu64 ", line %u, cycle %u)\n", pc,
                label[0] != '\0' ? " " : "", label, frame, at.line, at.cycle);
    std::printf("AF=%04x BC=%04x DE=%04x HL=%04x IX=%04x IY=%04x SP=%04x PC=%04x\n", r(z80::RegAF),
                r(z80::RegBC), r(z80::RegDE), r(z80::RegHL), r(z80::RegIX), r(z80::RegIY),
                r(z80::RegSP), pc);
    std::printf("AF'=%04x BC'=%04x DE'=%04x HL'=%04x I=%02x R=%02x IM=%u IFF1=%u IFF2=%u\n",
                r(z80::RegAltAF), r(z80::RegAltBC), r(z80::RegAltDE), r(z80::RegAltHL),
                r(z80::RegIR) >> 8, r(z80::RegIR) & 0xFF, r(z80::RegIM), r(z80::RegIFF1),
                r(z80::RegIFF2));
    std::printf("the last instructions, oldest first:\n");
    WriteTraceHistory(stdout);
}

// Opens a file the run writes at its end, so that a bad path fails before the run; like every
// file the player writes, it takes its name only once complete.
bool OpenReport(const std::string& path, const char* what, FileReplacement& report) {
    report = {};
    if (path.empty()) return true;
    const std::string why = BeginReplacement(path, report);
    if (!why.empty()) {
        std::fprintf(stderr, "plexaro: %s: can't create the %s: %s\n", path.c_str(), what,
                     why.c_str());
    }
    return why.empty();
}

bool CloseReport(FileReplacement& report, bool written, const char* what) {
    if (report.file == nullptr) return true;
    const std::string why = FinishReplacement(report, written);
    if (written && why.empty()) return true;
    std::fprintf(stderr, "plexaro: %s: can't write the %s%s%s\n", report.path.c_str(), what,
                 why.empty() ? "" : ": ", why.c_str());
    return false;
}

void ApplyInput(const FrameInput& input, uint32_t rgbMode) {
    if (input.reset) {
        ResetMachine();
        DebuggerResetPosition();  // a trace counts lines from the reset on
        SelectRgbMode(rgbMode);
    }
    ClearJoypad();
    for (uint32_t button = JoypadUp; button <= JoypadButton2; ++button) {
        if (input.controls & (1u << button)) PressJoypad(button);
        if (input.controls & (1u << (ScriptPlayer2Shift + button))) PressJoypad2(button);
    }
    for (uint32_t press = 0; press < input.pauses; ++press) PressPauseButton();
}

// What the run was expected to show: ExitSuccess, or ExitMismatch after saying what differed.
int CheckExpectations(const PlayerOptions& options, const uint16_t* pixels, uint64_t frameHash) {
    int status = ExitSuccess;
    if (options.expectHashGiven && frameHash != options.expectHash) {
        std::fprintf(stderr,
                     "plexaro: the last frame's hash is 0x%016" PRIx64
                     ", not the expected 0x%016" PRIx64 "\n",
                     frameHash, options.expectHash);
        status = ExitMismatch;
    }
    if (!options.expectScreenshotPath.empty()) {
        const char* path = options.expectScreenshotPath.c_str();
        std::vector<uint8_t> rgb(size_t{VdpScreenWidth} * VdpVisibleLines * 3);
        if (pixels != nullptr) FrameToRgb(pixels, RecordedRowStride(), options.rgbMode, rgb.data());
        const PictureResult picture = ComparePicture(options.expectScreenshotPath, rgb.data());
        if (!picture.readable) {
            std::fprintf(stderr,
                         "plexaro: %s: can't read the expected picture (a PNG); the last frame's "
                         "hash is 0x%016" PRIx64 "\n",
                         path, frameHash);
        } else if (!picture.sameSize) {
            std::fprintf(stderr,
                         "plexaro: %s: the expected picture is not 256x192; the last frame's hash "
                         "is 0x%016" PRIx64 "\n",
                         path, frameHash);
        } else if (picture.differing > 0) {
            std::fprintf(stderr,
                         "plexaro: %s: %" PRIu32
                         " pixels of the last frame differ (its hash is 0x%016" PRIx64 ")\n",
                         path, picture.differing, frameHash);
        }
        if (picture.differing > 0) {
            status = ExitMismatch;
            const std::string diff = DiffPathFor(options.expectScreenshotPath);
            if (picture.diffWritten) {
                std::fprintf(stderr, "plexaro: %s marks them in red\n", diff.c_str());
            } else {
                std::fprintf(stderr, "plexaro: %s: can't write the difference picture\n",
                             diff.c_str());
            }
        }
    }
    if (options.expectNoWarnings && ChecksOccurrences() > 0) {
        const CheckWarning first = ChecksWarning(0);
        std::fprintf(stderr,
                     "plexaro: warnings were expected to be none, and the first is %s: %s\n",
                     WarningPlace(first).c_str(), CheckKindTitle(first.kind));
        status = ExitMismatch;
    }
    return status;
}

}  // namespace

int RunHeadless(const PlayerOptions& options) {
    if (!options.suitePath.empty()) return RunSuite(options);
    if (!OutputsAreSafe(options)) return ExitUsage;
    InputScript script;
    if (!options.inputPath.empty() && !ReadScript(options.inputPath, script)) return ExitUsage;
    if (options.cartridgePath.empty()) {
        std::fprintf(stderr, "plexaro: no cartridge given (see --help)\n");
        return ExitUsage;
    }

    ApplyMachineOptions(options);  // the first load already on the chosen board and RAM
    // On before the load, so that the RAM counts as unwritten from power-on.
    const bool checking = options.warnings || options.expectNoWarnings;
    ChecksClear();
    ChecksEnable(checking);
    if (const char* error = InitMachine(HeadlessRowStride)) {
        std::fprintf(stderr, "plexaro: %s\n", error);
        return ExitFailure;
    }
    if (const char* error = LoadCartridge(options.cartridgePath.c_str())) {
        std::fprintf(stderr, "plexaro: %s: %s\n", options.cartridgePath.c_str(), error);
        if (NamesAnOption(options.cartridgePath)) {
            std::fprintf(stderr, "plexaro: %s\n", OptionsFirstHint);
        }
        ShutdownMachine();
        return ExitFailure;
    }
    char warning[LoadWarningSize];
    if (TruncatedLoadWarning(warning, sizeof warning) != nullptr) {
        std::fprintf(stderr, "plexaro: warning: %s %s\n", options.cartridgePath.c_str(), warning);
    }
    SelectRgbMode(options.rgbMode);
    SelectVideoBehaviour(options.videoHardware);  // kept through the script's resets
    const bool debugging = UsesDebugger(options) || options.warnings;  // warnings name labels too
    if (debugging && (!LoadSymbols(options) || !ArmBreaksAndWatches(options))) {
        ShutdownMachine();
        return ExitUsage;
    }

    WavFile wav{};
    if (!options.wavPath.empty()) {
        wav = OpenWav(options.wavPath.c_str());
        if (wav.out.file == nullptr) {
            std::fprintf(stderr, "plexaro: %s: can't create the WAV file: %s\n",
                         options.wavPath.c_str(), wav.problem.c_str());
            ShutdownMachine();
            return ExitFailure;
        }
    }

    // A run from a state counts on from the state's frame, so that a script recorded from
    // power-on carries on where the state was made.
    uint64_t firstFrame = 0;
    if (!options.loadStatePath.empty()) {
        std::vector<uint8_t> bytes;
        // A file far bigger than any state is not read at all.
        const char* error = ReadWholeFile(options.loadStatePath, 4u * MachineStateSize(), bytes)
                                ? LoadMachineState(bytes.data(), bytes.size(), &firstFrame)
                                : "can't read the save state";
        if (error != nullptr) {
            std::fprintf(stderr, "plexaro: %s: %s\n", options.loadStatePath.c_str(), error);
            if (wav.out.file != nullptr) CloseWav(wav);
            ShutdownMachine();
            return ExitFailure;
        }
        // A state brings back the behaviour it was made in, unless the command line says.
        if (options.videoGiven) SelectVideoBehaviour(options.videoHardware);
    }
    ChecksSetFrame(firstFrame);
    const bool tracing = !options.tracePath.empty();
    FileReplacement profile{};
    FileReplacement coverage{};
    const bool reportsOpen = OpenReport(options.profilePath, "profile", profile) &&
                             OpenReport(options.coveragePath, "coverage", coverage);
    if ((tracing && !TraceOpen(options.tracePath.c_str(), firstFrame)) || !reportsOpen) {
        if (tracing)
            std::fprintf(stderr, "plexaro: %s: can't create the trace\n",
                         options.tracePath.c_str());
        TraceClose();
        FinishReplacement(profile, false);
        FinishReplacement(coverage, false);
        if (wav.out.file != nullptr) CloseWav(wav);
        ShutdownMachine();
        return ExitFailure;
    }
    if (!options.breaks.empty()) TraceKeepHistory(true, firstFrame);
    hitFrameBase = firstFrame;
    DebuggerSetWatchHook(options.watches.empty() ? nullptr : PrintHit);
    if (profile.file != nullptr || coverage.file != nullptr)
        ProfilerStart(profile.file != nullptr, coverage.file != nullptr);
    DebuggerResume();

    uint64_t audioHash = FnvOffsetBasis;
    const auto start = std::chrono::steady_clock::now();
    uint64_t framesRun = 0;
    bool broke = false;
    for (uint64_t frame = firstFrame; frame < firstFrame + options.frames; ++frame) {
        ApplyInput(ScriptInputForFrame(script, frame), options.rgbMode);
        if (debugging || checking) {
            // Hooks see every instruction; a watchpoint's hit is printed and the run goes on.
            DebugResult result;
            while ((result = DebuggerRunFrame()) != DebugFrameEnded && result != DebugBreakpoint) {
                DebuggerResume();
            }
            if (result == DebugBreakpoint) {
                PrintBreak(frame);
                broke = true;
                break;
            }
            DebuggerResume();  // a hit on the frame's last instruction stopped it
            ProfilerFrameEnded();
        } else {
            RunFrame();
        }
        ++framesRun;
        const int16_t* samples = MakeSoundFrame();
        const uint32_t count = SoundFrameSamples();  // 735, or 735 and 736 in the hardware one
        if (wav.out.file != nullptr) AppendWav(wav, samples, count);
        if (options.hash) audioHash = HashSamples(audioHash, samples, count);
    }
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    int status = ExitSuccess;
    if (!options.breaks.empty() && !broke) {
        std::fprintf(stderr, "plexaro: no breakpoint was reached in %" PRIu64 " frames\n",
                     framesRun);
    }
    ProfilerStop();
    TraceKeepHistory(false, 0);
    DebuggerSetWatchHook(nullptr);
    const bool profileWritten = profile.file != nullptr && WriteProfileCsv(profile.file);
    const bool coverageWritten = coverage.file != nullptr && WriteCoverage(coverage.file);
    const bool profileClosed = CloseReport(profile, profileWritten, "profile");
    if (!CloseReport(coverage, coverageWritten, "coverage") || !profileClosed) {
        status = ExitFailure;
    }
    // A state is made between frames; a breakpoint stopped the run inside one.
    if (broke && !options.saveStatePath.empty()) {
        std::fprintf(stderr, "plexaro: %s: not written: the run stopped inside a frame\n",
                     options.saveStatePath.c_str());
    } else if (!options.saveStatePath.empty()) {
        std::vector<uint8_t> state(MachineStateSize());
        SaveMachineState(firstFrame + framesRun, state.data());
        const std::string problem =
            ReplaceWholeFile(options.saveStatePath, state.data(), state.size());
        if (!problem.empty()) {
            std::fprintf(stderr, "plexaro: %s: can't write the save state: %s\n",
                         options.saveStatePath.c_str(), problem.c_str());
            status = ExitFailure;
        }
    }
    if (tracing && !TraceClose()) {
        std::fprintf(stderr, "plexaro: %s: can't write the trace\n", options.tracePath.c_str());
        status = ExitFailure;
    }
    if (wav.out.file != nullptr && !CloseWav(wav)) {
        std::fprintf(stderr, "plexaro: %s: can't write the WAV file: %s\n", options.wavPath.c_str(),
                     wav.problem.c_str());
        status = ExitFailure;
    }
    const uint16_t* pixels = GetFrameBuffer();
    if (!options.screenshotPath.empty()) {
        const std::string problem =
            pixels == nullptr
                ? "there is no picture"
                : WritePng(options.screenshotPath, pixels, RecordedRowStride(), options.rgbMode);
        if (!problem.empty()) {
            std::fprintf(stderr, "plexaro: %s: can't write the screenshot: %s\n",
                         options.screenshotPath.c_str(), problem.c_str());
            status = ExitFailure;
        }
    }

    const double fps = wall > 0 ? static_cast<double>(framesRun) / wall : 0.0;
    std::printf("frames: %" PRIu64 "  wall: %.3f s  fps: %.1f  speed: %.1fx real time\n", framesRun,
                wall, fps, fps / (HardwareBehaviour() ? HardwareFps : SimpleFps));
    const uint64_t frameHash =
        pixels != nullptr ? HashFrame(FnvOffsetBasis, pixels, RecordedRowStride()) : 0;
    if (options.hash) {
        std::printf("frame hash: 0x%016" PRIx64 "\n", frameHash);
        std::printf("audio hash: 0x%016" PRIx64 "\n", audioHash);
    }
    if (checking) PrintWarnings(stderr);
    const int expected = CheckExpectations(options, pixels, frameHash);
    if (status == ExitSuccess) status = expected;
    ChecksEnable(false);
    // The debugger as an in-process caller found it: nothing armed, running.
    DebuggerClearBreakpoints();
    DebuggerClearWatchpoints();
    DebuggerResetPosition();
    DebuggerResume();
    ShutdownMachine();
    return status;
}

}  // namespace plexaro
