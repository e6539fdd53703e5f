#include "host/player/player.h"

#include <algorithm>
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "cpu/z80.h"
#include "host/debug/breaks.h"
#include "host/debug/cdb.h"
#include "host/debug/problems.h"
#include "host/debug/profiler.h"
#include "host/debug/symbols.h"
#include "host/debug/watches.h"
#include "host/media.h"
#include "host/os/os.h"
#include "host/player/expect.h"
#include "host/player/input_script.h"
#include "host/player/stops.h"
#include "host/player/suite.h"
#include "host/player/trace.h"
#include "host/tape.h"
#include "machine/board.h"
#include "machine/cassette.h"
#include "machine/checks.h"
#include "machine/debugger.h"
#include "machine/machine.h"
#include "machine/sc3000.h"
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
                   {"--record-tape", options.recordTapePath},
                   {"--expect-screenshot's difference picture", diffPath},
                   {"--screenshot", options.screenshotPath},
                   {"--save-state", options.saveStatePath},
                   {"--trace", options.tracePath},
                   {"--profile", options.profilePath},
                   {"--coverage", options.coveragePath},
                   {"--profile-lines", options.profileLinesPath},
                   {"--coverage-lcov", options.coverageLcovPath}};
    const struct {
        const char* what;
        const std::string& path;
    } inputs[] = {{"the cartridge", options.cartridgePath},
                  {"the input script", options.inputPath},
                  {"the tape", options.tapePath},
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
           !options.profilePath.empty() || !options.coveragePath.empty() ||
           !options.profileLinesPath.empty() || !options.coverageLcovPath.empty();
}

// The files beside the cartridge, then those named; a named one that can't be read is an error.
// A run that only checks for warnings says what it read only when a warning needs the names.
bool LoadSymbols(const PlayerOptions& options, bool quiet) {
    ClearSymbols();
    for (const std::string& path : SymbolFilesBeside(options.cartridgePath)) {
        const std::string said = DescribeSymbolLoad(path, LoadSymbolFile(path));
        if (!quiet) std::fprintf(stderr, "plexaro: symbols: %s\n", said.c_str());
    }
    for (const std::string& path : options.symbolPaths) {
        const SymbolLoadReport report = LoadSymbolFile(path);
        if (!quiet || !report.readable) {
            std::fprintf(stderr, "plexaro: symbols: %s\n",
                         DescribeSymbolLoad(path, report).c_str());
        }
        if (!report.readable) return false;
    }
    ChecksSetDataEnd(ProgramDataEnd());
    return true;
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
    HoldKeys(input.keys);
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
    // Warnings name labels too, and so do the failures of --expect-no-warnings.
    const bool debugging = UsesDebugger(options) || checking;
    const bool quiet = !UsesDebugger(options) && !options.warnings;
    if (debugging && (!LoadSymbols(options, quiet) || !ArmStops(options))) {
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

    if (!options.tapePath.empty()) {
        TapeSound tape{};
        std::string why = ReadTapeFile(options.tapePath, tape);
        if (why.empty()) why = InsertTape(tape);
        if (!why.empty()) {
            std::fprintf(stderr, "plexaro: %s: can't play this tape: %s\n",
                         options.tapePath.c_str(), why.c_str());
            if (wav.out.file != nullptr) CloseWav(wav);
            ShutdownMachine();
            return ExitFailure;
        }
        CassettePlay();
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
    FileReplacement lines{};
    FileReplacement lcov{};
    const bool reportsOpen = OpenReport(options.profilePath, "profile", profile) &&
                             OpenReport(options.coveragePath, "coverage", coverage) &&
                             OpenReport(options.profileLinesPath, "profile per line", lines) &&
                             OpenReport(options.coverageLcovPath, "lcov tracefile", lcov);
    if ((tracing && !TraceOpen(options.tracePath.c_str(), firstFrame)) || !reportsOpen) {
        if (tracing)
            std::fprintf(stderr, "plexaro: %s: can't create the trace\n",
                         options.tracePath.c_str());
        TraceClose();
        FinishReplacement(profile, false);
        FinishReplacement(coverage, false);
        FinishReplacement(lines, false);
        FinishReplacement(lcov, false);
        if (wav.out.file != nullptr) CloseWav(wav);
        ShutdownMachine();
        return ExitFailure;
    }
    // Last of what can fail before the run, so that no other failure leaves a recording.
    TapeRecording recording{};
    if (!options.recordTapePath.empty() && !StartTapeRecording(options.recordTapePath, recording)) {
        std::fprintf(stderr, "plexaro: %s: can't create the WAV file: %s\n",
                     options.recordTapePath.c_str(), recording.wav.problem.c_str());
        TraceClose();
        FinishReplacement(profile, false);
        FinishReplacement(coverage, false);
        if (wav.out.file != nullptr) CloseWav(wav);
        ShutdownMachine();
        return ExitFailure;
    }
    if (!options.breaks.empty()) TraceKeepHistory(true, firstFrame);
    StartStops(firstFrame, !options.watches.empty());
    // lcov counts how often each line ran: the profile's counts.
    const bool profiling = profile.file != nullptr || lines.file != nullptr || lcov.file != nullptr;
    if (profiling || coverage.file != nullptr) ProfilerStart(profiling, coverage.file != nullptr);
    if ((lines.file != nullptr || lcov.file != nullptr) && !CdbLoaded()) {
        std::fprintf(stderr,
                     "plexaro: no C lines are known (no .cdb read): the profile per line and "
                     "the lcov tracefile will be empty\n");
    }
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
            for (;;) {
                result = DebuggerRunFrame();
                ReportWideWatches();
                if (result == DebugFrameEnded) break;
                if (result == DebugBreakpoint && BreakStops(frame)) break;
                DebuggerResume();
            }
            if (result == DebugBreakpoint) {
                PrintBreak(frame, false);
                broke = true;
                break;
            }
            DebuggerResume();  // a hit on the frame's last instruction stopped it
            ProfilerFrameEnded();
        } else {
            RunFrame();
        }
        ++framesRun;
        KeepTapeRecording(recording);
        const int16_t* samples = MakeSoundFrame();
        const uint32_t count = SoundFrameSamples();  // 735, or 735 and 736 in the hardware one
        if (wav.out.file != nullptr) AppendWav(wav, samples, count);
        if (options.hash) audioHash = HashSamples(audioHash, samples, count);
    }
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    int status = ExitSuccess;
    if (AnyBreakStops() && !broke) {
        std::fprintf(stderr, "plexaro: no breakpoint was reached in %" PRIu64 " frames\n",
                     framesRun);
    }
    ProfilerStop();
    TraceKeepHistory(false, 0);
    EndStops();
    const bool profileWritten = profile.file != nullptr && WriteProfileCsv(profile.file);
    const bool coverageWritten = coverage.file != nullptr && WriteCoverage(coverage.file);
    const bool linesWritten = lines.file != nullptr && WriteProfileLinesCsv(lines.file);
    const bool lcovWritten = lcov.file != nullptr && WriteLcov(lcov.file);
    const bool profileClosed = CloseReport(profile, profileWritten, "profile");
    const bool linesClosed = CloseReport(lines, linesWritten, "profile per line");
    const bool lcovClosed = CloseReport(lcov, lcovWritten, "lcov tracefile");
    if (!CloseReport(coverage, coverageWritten, "coverage") || !profileClosed || !linesClosed ||
        !lcovClosed) {
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
    if (recording.active && !FinishTapeRecording(recording)) {
        std::fprintf(stderr, "plexaro: %s: can't write the WAV file: %s\n",
                     options.recordTapePath.c_str(), recording.wav.problem.c_str());
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
