// The player's command line. Options come first and start with "--"; "--" ends them. The
// words after the options, joined by single spaces and otherwise unaltered, are the
// cartridge path, so a path with spaces needs no quotes (and quotes stay part of it).
//
//     PlayerOptions options;
//     std::string error = ParseOptions(argc - 1, argv + 1, options);
//     if (!error.empty()) usage failure (exit status 2)
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace plexaro {

inline constexpr uint64_t DefaultHeadlessFrames = 600;

struct PlayerOptions {
    bool headless = false;
    uint64_t frames = DefaultHeadlessFrames;
    std::string screenshotPath;            // empty: no screenshot
    std::string wavPath;                   // empty: no WAV file
    std::string inputPath;                 // empty: no input script
    std::string tapePath;                  // empty: no tape in the cassette recorder
    std::string recordTapePath;            // empty: the cassette output goes nowhere
    std::string saveStatePath;             // empty: no state saved at the end
    std::string loadStatePath;             // empty: the run starts at power-on
    std::string tracePath;                 // empty: no instruction trace
    std::vector<std::string> symbolPaths;  // --symbols, each loaded besides those found
    std::vector<std::string> breaks;       // --break: labels or addresses, resolved once loaded
    std::vector<std::string> watches;      // --watch texts (host/debug/watches.h)
    std::string profilePath;               // empty: no profile
    std::string coveragePath;              // empty: no coverage
    std::string profileLinesPath;          // empty: no profile per C line
    std::string coverageLcovPath;          // empty: no lcov tracefile
    uint32_t rgbMode = 1;                  // 1: RGB 565, 0: RGB 555 (as SelectRgbMode takes it)
    bool rgbGiven = false;                 // --rgb was given: it beats the settings file
    uint32_t videoHardware = 0;  // 1: hardware, 0: simple (as SelectVideoBehaviour takes it)
    bool videoGiven = false;     // --video was given: it beats a state's and the settings'
    uint32_t board = 0;          // as SelectBoard takes it: 0 is auto
    uint32_t machine = 0;        // as SelectMachine takes it: 0 is auto
    bool machineGiven = false;   // --machine was given: it beats the settings file
    uint32_t powerOnRam = 0;     // as SelectPowerOnRam takes it: 0 is the behaviour's own
    uint32_t powerOnSeed = 0x5EED;
    bool hash = false;
    bool warnings = false;          // the checks on, their summary on stderr at the end
    bool expectNoWarnings = false;  // exit 3 if the checks found anything
    bool expectHashGiven = false;
    uint64_t expectHash = 0;           // the last frame's, as --hash prints it
    std::string expectScreenshotPath;  // empty: no picture to compare the last frame with
    std::string suitePath;             // empty: one run, not a suite
    std::string junitPath;             // empty: no JUnit report of the suite
    bool stats = false;                // the window prints its frame figures when it closes
    uint32_t audioLatencyMs = 0;       // --audio-latency; 0: not given (the default, Low)
    uint32_t runAhead = 0;             // frames run ahead of the picture shown, 0 to 2
    bool runAheadGiven = false;        // --run-ahead was given: it beats the settings file
    bool dap = false;                  // the Debug Adapter Protocol on stdin and stdout
    int32_t dapPort = -1;              // --dap-port: the protocol over TCP; -1: not given
    bool help = false;
    bool version = false;
    std::string cartridgePath;  // empty when no words follow the options
};

// Parses the words after the program's name. Returns an empty string on success, else what
// is wrong, ready to follow "plexaro: ".
std::string ParseOptions(int count, const char* const* words, PlayerOptions& options);

bool IsOptionWord(std::string_view word);  // "--frames", "--headless", ...
// True when a failed cartridge path has one of our options among its words: the hint that
// options go before the path is then worth giving.
bool NamesAnOption(std::string_view path);
inline constexpr const char* OptionsFirstHint =
    "options go before the cartridge's path: plexaro [OPTIONS] [--] CARTRIDGE";

// Hands the machine the choices it makes at power-on (machine, board, behaviour, power-on
// RAM), so
// that the first load already has them.
void ApplyMachineOptions(const PlayerOptions& options);

// The text printed by --help.
const char* UsageText();

}  // namespace plexaro
