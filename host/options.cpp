// The command line: one table of the options, which drives parsing, the checks and the
// usage text, so an option is added in one place.
#include "host/options.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <string_view>

#include "machine/board.h"
#include "machine/machine.h"
#include "machine/sc3000.h"

namespace plexaro {
namespace {

bool ParseCount(std::string_view text, uint64_t& value) {
    const char* end = text.data() + text.size();
    auto [stop, error] = std::from_chars(text.data(), end, value);
    return error == std::errc() && stop == end && !text.empty();
}

// Stores an option's value (null for an option without one); returns what is wrong with it,
// or an empty string.
using ApplyOption = std::string (*)(const char* value, PlayerOptions& options);

struct OptionSpec {
    std::string_view word;
    const char* valueName;  // in the usage text; null: the option takes no value
    bool headlessOnly;      // the window has no use for it
    const char* help;       // lines after the first start at the help column
    ApplyOption apply;
};

constexpr OptionSpec Options[] = {
    {"--headless", nullptr, false, "no window and no audio; frames run as fast as possible",
     [](const char*, PlayerOptions& o) {
         o.headless = true;
         return std::string();
     }},
    {"--frames", "N", true, "stop after N frames (default 600)",
     [](const char* value, PlayerOptions& o) {
         if (ParseCount(value, o.frames)) return std::string();
         return "--frames takes a whole number of frames, not '" + std::string(value) + "'";
     }},
    {"--screenshot", "FILE", true, "at the end, write the last frame as a 256x192 PNG",
     [](const char* value, PlayerOptions& o) {
         o.screenshotPath = value;
         return std::string();
     }},
    {"--wav", "FILE", true, "write the sound as a 44100 Hz 16-bit mono WAV file",
     [](const char* value, PlayerOptions& o) {
         o.wavPath = value;
         return std::string();
     }},
    {"--tape", "FILE", false, "a WAV file in the cassette recorder, playing from the start",
     [](const char* value, PlayerOptions& o) {
         o.tapePath = value;
         return std::string();
     }},
    {"--record-tape", "FILE", true, "record the cassette output to a WAV file",
     [](const char* value, PlayerOptions& o) {
         o.recordTapePath = value;
         return std::string();
     }},
    {"--input", "FILE", true, "a script of joypad presses by frame number",
     [](const char* value, PlayerOptions& o) {
         o.inputPath = value;
         return std::string();
     }},
    {"--trace", "FILE", true,
     "write a line per instruction: frame, line, cycle,\n"
     "PC, bytes, disassembly, AF BC DE HL IX IY SP (much slower)",
     [](const char* value, PlayerOptions& o) {
         o.tracePath = value;
         return std::string();
     }},
    {"--symbols", "FILE", false,
     "labels for the debugger, trace and profiler (repeatable);\n"
     "GAME.noi, .map, .sym and .cdb beside GAME.sg load by\n"
     "themselves (.cdb: SDCC's C lines, from sdcc --debug)",
     [](const char* value, PlayerOptions& o) {
         o.symbolPaths.push_back(value);
         return std::string();
     }},
    {"--break", "BREAK", true,
     "stop there (repeatable): print the registers and\n"
     "the last 16 instructions, end the run (status 0).\n"
     "BREAK: WHERE[:COUNT][ if COND][ continue], WHERE a\n"
     "label, an address, or with a .cdb a C function or\n"
     "FILE:LINE; COUNT: at that hit; COND: an expression,\n"
     "e.g. 'a == 3 && [_lives] == 0'; continue: print\n"
     "each hit and run on",
     [](const char* value, PlayerOptions& o) {
         o.breaks.push_back(value);
         return std::string();
     }},
    {"--watch", "WATCH", true,
     "print each hit (repeatable): KIND:WHERE[=VALUE]\n"
     "[@pc=WHERE], KIND r, w, rw, in, out or io (r16,\n"
     "w16, rw16: a 16-bit variable), WHERE an address,\n"
     "range or label: w:0xC000-0xC0FF  out:0xBE=0x40\n"
     "w16:_total  w:_score@pc=_draw",
     [](const char* value, PlayerOptions& o) {
         o.watches.push_back(value);
         return std::string();
     }},
    {"--profile", "FILE", true, "write the cycles spent per symbol (or address)\nas CSV",
     [](const char* value, PlayerOptions& o) {
         o.profilePath = value;
         return std::string();
     }},
    {"--coverage", "FILE", true,
     "write which bytes of the cartridge ran as\n"
     "instructions, per symbol, and the ranges never run",
     [](const char* value, PlayerOptions& o) {
         o.coveragePath = value;
         return std::string();
     }},
    {"--profile-lines", "FILE", true,
     "write the cycles spent per C line as CSV (needs\n"
     "the .cdb of sdcc --debug)",
     [](const char* value, PlayerOptions& o) {
         o.profileLinesPath = value;
         return std::string();
     }},
    {"--coverage-lcov", "FILE", true,
     "write which C lines and functions ran as an lcov\n"
     "tracefile, for genhtml (needs the .cdb)",
     [](const char* value, PlayerOptions& o) {
         o.coverageLcovPath = value;
         return std::string();
     }},
    {"--rgb", "565|555", false, "pixel format (default 565), the window's starting RGB mode",
     [](const char* value, PlayerOptions& o) {
         const std::string_view mode = value;
         if (mode != "565" && mode != "555") {
             return "--rgb takes 565 or 555, not '" + std::string(mode) + "'";
         }
         o.rgbMode = mode == "565" ? 1 : 0;
         o.rgbGiven = true;
         return std::string();
     }},
    {"--video", "MODE", false,
     "simple (default) or hardware: the console as it really\n"
     "behaves (sprite limit, Text and Multicolor, 1 KB of RAM, ...)",
     [](const char* value, PlayerOptions& o) {
         const std::string_view behaviour = value;
         o.videoGiven = true;
         if (behaviour != "simple" && behaviour != "hardware") {
             return "--video takes simple or hardware, not '" + std::string(behaviour) + "'";
         }
         o.videoHardware = behaviour == "hardware" ? 1 : 0;
         return std::string();
     }},
    {"--hardware", nullptr, false, "the same as --video hardware",
     [](const char*, PlayerOptions& o) {
         o.videoGiven = true;
         o.videoHardware = 1;
         return std::string();
     }},
    {"--machine", "NAME", false,
     "sg1000, sc3000 or auto (default): auto runs .sc files,\n"
     "and programs once they scan the keyboard, as the SC-3000",
     [](const char* value, PlayerOptions& o) {
         o.machineGiven = true;
         if (MachineFromName(value, &o.machine)) return std::string();
         return "--machine takes auto, sg1000 or sc3000, not '" + std::string(value) + "'";
     }},
    {"--board", "NAME", false,
     "the cartridge's board: auto (default: by the image's size),\n"
     "flat, rom48, mapper, ram8k, or BASIC's ram16k or ram32k",
     [](const char* value, PlayerOptions& o) {
         if (BoardFromName(value, &o.board)) return std::string();
         return "--board takes auto, flat, rom48, mapper, ram8k, ram16k or ram32k, not '" +
                std::string(value) + "'";
     }},
    {"--power-on-ram", "MODE", false,
     "zero, pattern or random[:SEED]: the RAM's contents at\n"
     "power-on (default: zero, random in the hardware behaviour)",
     [](const char* value, PlayerOptions& o) {
         const std::string_view mode = value;
         const std::string wrong =
             "--power-on-ram takes zero, pattern or random[:SEED], not '" + std::string(mode) + "'";
         if (mode == "zero" || mode == "pattern") {
             o.powerOnRam = mode == "zero" ? PowerOnZero : PowerOnPattern;
             return std::string();
         }
         if (!mode.starts_with("random")) return wrong;
         o.powerOnRam = PowerOnRandom;
         if (mode.size() == 6) return std::string();
         uint64_t seed = 0;
         if (mode[6] != ':' || !ParseCount(mode.substr(7), seed) || seed > 0xFFFFFFFF) return wrong;
         o.powerOnSeed = static_cast<uint32_t>(seed);
         return std::string();
     }},
    {"--load-state", "FILE", true, "start from a saved state of this cartridge",
     [](const char* value, PlayerOptions& o) {
         o.loadStatePath = value;
         return std::string();
     }},
    {"--save-state", "FILE", true, "at the end, save the console's state",
     [](const char* value, PlayerOptions& o) {
         o.saveStatePath = value;
         return std::string();
     }},
    {"--hash", nullptr, true, "print FNV-1a 64 hashes of the last frame and of the sound",
     [](const char*, PlayerOptions& o) {
         o.hash = true;
         return std::string();
     }},
    {"--warnings", nullptr, true,
     "check for bugs only the console shows (much slower); at the\n"
     "end, print each warning once per place on stderr",
     [](const char*, PlayerOptions& o) {
         o.warnings = true;
         return std::string();
     }},
    {"--expect-hash", "HASH", true, "exit 3 unless the last frame has this hash (as --hash prints)",
     [](const char* value, PlayerOptions& o) {
         std::string_view text = value;
         if (text.starts_with("0x") || text.starts_with("0X")) text.remove_prefix(2);
         const char* end = text.data() + text.size();
         auto [stop, error] = std::from_chars(text.data(), end, o.expectHash, 16);
         if (error != std::errc() || stop != end || text.empty()) {
             return "--expect-hash takes a hexadecimal hash, not '" + std::string(value) + "'";
         }
         o.expectHashGiven = true;
         return std::string();
     }},
    {"--expect-screenshot", "FILE", true,
     "exit 3 unless the last frame is this PNG, pixel for pixel;\n"
     "differing pixels are marked red in FILE.diff.png",
     [](const char* value, PlayerOptions& o) {
         o.expectScreenshotPath = value;
         return std::string();
     }},
    {"--expect-no-warnings", nullptr, true, "as --warnings, and exit 3 if there were any",
     [](const char*, PlayerOptions& o) {
         o.expectNoWarnings = true;
         return std::string();
     }},
    {"--suite", "FILE", true,
     "run the cases a suite file lists, in parallel; one line\n"
     "per case on stdout, exit 3 if any failed",
     [](const char* value, PlayerOptions& o) {
         o.suitePath = value;
         return std::string();
     }},
    {"--junit", "FILE", true, "with --suite: write the results as JUnit XML",
     [](const char* value, PlayerOptions& o) {
         o.junitPath = value;
         return std::string();
     }},
    {"--audio-latency", "MS", false,
     "(window) the sound's lead over the picture: up to 75 is\n"
     "Low (45 ms, the default), up to 150 Normal (100 ms), more\n"
     "Safe (200 ms), as in Machine > Sound latency",
     [](const char* value, PlayerOptions& o) {
         uint64_t milliseconds = 0;
         if (!ParseCount(value, milliseconds) || milliseconds == 0 || milliseconds > 1000) {
             return "--audio-latency takes milliseconds from 1 to 1000, not '" +
                    std::string(value) + "'";
         }
         o.audioLatencyMs = static_cast<uint32_t>(milliseconds);
         return std::string();
     }},
    {"--run-ahead", "N", false,
     "(window) show the picture N frames ahead (0 to 2,\n"
     "default 0), so a key shows N frames sooner; as\nMachine > Run-ahead",
     [](const char* value, PlayerOptions& o) {
         const std::string_view frames = value;
         if (frames != "0" && frames != "1" && frames != "2") {
             return "--run-ahead takes 0, 1 or 2, not '" + std::string(frames) + "'";
         }
         o.runAhead = static_cast<uint32_t>(frames[0] - '0');
         o.runAheadGiven = true;
         return std::string();
     }},
    {"--stats", nullptr, false,
     "(window) when it closes, print the frames run, the frame\n"
     "rate, the time to the first frame, the renderer used, and\n"
     "the sound's latency, resampling ratio, underruns, overruns\n"
     "and the frames shown twice or skipped",
     [](const char*, PlayerOptions& o) {
         o.stats = true;
         return std::string();
     }},
    {"--dap", nullptr, false,
     "speak the Debug Adapter Protocol on stdin and stdout for\n"
     "an editor, with no window: the client's launch request\n"
     "names the cartridge; logs go to stderr",
     [](const char*, PlayerOptions& o) {
         o.dap = true;
         return std::string();
     }},
    {"--dap-port", "N", false,
     "serve the Debug Adapter Protocol on 127.0.0.1:N (0: a\n"
     "free port, printed on stderr). In the window: the editor\n"
     "debugs the game the window runs, and may come and go.\n"
     "With --headless: no window, one client, as --dap",
     [](const char* value, PlayerOptions& o) {
         uint64_t port = 0;
         if (!ParseCount(value, port) || port > 65535) {
             return "--dap-port takes a port from 0 to 65535, not '" + std::string(value) + "'";
         }
         o.dapPort = static_cast<int32_t>(port);
         return std::string();
     }},
    {"--help", nullptr, false, "print this text",
     [](const char*, PlayerOptions& o) {
         o.help = true;
         return std::string();
     }},
    {"--version", nullptr, false, "print the version",
     [](const char*, PlayerOptions& o) {
         o.version = true;
         return std::string();
     }},
};

const OptionSpec* FindOption(std::string_view word) {
    for (const OptionSpec& option : Options) {
        if (option.word == word) return &option;
    }
    return nullptr;
}

constexpr size_t HelpColumn = 23;

std::string MakeUsage() {
    std::string text =
        "Usage: plexaro [OPTIONS] [--] [CARTRIDGE]\n"
        "Plays a Sega SG-1000 (or SC-3000) cartridge image in a window. The words after the\n"
        "options, joined by single spaces, are the cartridge's path; without one the window\n"
        "starts empty (File > Load rom).\n"
        "\n";
    for (const OptionSpec& option : Options) {
        std::string line = "  " + std::string(option.word);
        if (option.valueName != nullptr) line += std::string(" ") + option.valueName;
        line.resize(HelpColumn, ' ');
        if (option.headlessOnly) line += "(headless) ";
        for (const char* c = option.help; *c != '\0'; ++c) {
            line += *c;
            if (*c == '\n') line.append(HelpColumn, ' ');
        }
        text += line + '\n';
    }
    return text;
}

}  // namespace

bool IsOptionWord(std::string_view word) {
    return FindOption(word) != nullptr;
}

// A path made of words that include one of our options was most likely meant as options.
bool NamesAnOption(std::string_view path) {
    size_t start = 0;
    while (start <= path.size()) {
        const size_t end = std::min(path.find(' ', start), path.size());
        if (IsOptionWord(path.substr(start, end - start))) return true;
        start = end + 1;
    }
    return false;
}

void ApplyMachineOptions(const PlayerOptions& options) {
    SelectMachine(options.machine);
    SelectBoard(options.board);
    SelectPowerOnRam(options.powerOnRam, options.powerOnSeed);
    SelectVideoBehaviour(options.videoHardware);
}

const char* UsageText() {
    static const std::string text = MakeUsage();
    return text.c_str();
}

std::string ParseOptions(int count, const char* const* words, PlayerOptions& options) {
    std::string_view firstHeadlessOnly;
    int i = 0;
    for (; i < count; ++i) {
        const std::string_view word = words[i];
        if (!word.starts_with("--")) break;
        if (word == "--") {
            ++i;
            break;
        }
        const OptionSpec* option = FindOption(word);
        if (option == nullptr) return "unknown option '" + std::string(word) + "'";
        const char* value = nullptr;
        if (option->valueName != nullptr) {
            if (i + 1 >= count) return std::string(word) + " needs a value";
            value = words[++i];
        }
        if (option->headlessOnly && firstHeadlessOnly.empty()) firstHeadlessOnly = option->word;
        if (std::string error = option->apply(value, options); !error.empty()) return error;
        if (value != nullptr && std::strlen(value) == 0)
            return std::string(word) + " needs a value";
    }

    if (!options.headless && !firstHeadlessOnly.empty()) {
        return std::string(firstHeadlessOnly) + " only works with --headless";
    }
    if (!options.junitPath.empty() && options.suitePath.empty()) {
        return "--junit only works with --suite";
    }
    options.cartridgePath.clear();
    for (int first = i; i < count; ++i) {
        if (i > first) options.cartridgePath += ' ';
        options.cartridgePath += words[i];
    }
    return {};
}

}  // namespace plexaro
