#include "host/options.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <iterator>
#include <string_view>

namespace plexaro {
namespace {

bool ParseCount(std::string_view text, uint64_t& value) {
    const char* end = text.data() + text.size();
    auto [stop, error] = std::from_chars(text.data(), end, value);
    return error == std::errc() && stop == end && !text.empty();
}

}  // namespace

bool IsOptionWord(std::string_view word) {
    static constexpr std::string_view Options[] = {
        "--headless", "--frames",     "--screenshot", "--wav",   "--input",
        "--rgb",      "--video",      "--hash",       "--stats", "--help",
        "--version",  "--save-state", "--load-state", "--trace",
    };
    return std::find(std::begin(Options), std::end(Options), word) != std::end(Options);
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

const char* UsageText() {
    return "Usage: plexaro [OPTIONS] [--] [CARTRIDGE]\n"
           "Plays a Sega SG-1000 cartridge image in a window. The words after the options,\n"
           "joined by single spaces, are the cartridge's path; without one the window starts\n"
           "empty (File > Load rom).\n"
           "\n"
           "  --headless           no window and no audio; frames run as fast as possible\n"
           "  --frames N           (headless) stop after N frames (default 600)\n"
           "  --screenshot FILE    (headless) at the end, write the last frame as a 256x192 PNG\n"
           "  --wav FILE           (headless) write the sound as a 44100 Hz 16-bit mono WAV file\n"
           "  --input FILE         (headless) a script of joypad presses by frame number\n"
           "  --trace FILE         (headless) write a line per instruction: frame, line, cycle,\n"
           "                       PC, bytes, disassembly, AF BC DE HL IX IY SP (much slower)\n"
           "  --rgb 565|555        pixel format (default 565), the window's starting RGB mode\n"
           "  --video MODE         simple (default) or hardware: the video chip as the console\n"
           "                       really behaves (sprite limit, Text and Multicolor, ...)\n"
           "  --load-state FILE    (headless) start from a saved state of this cartridge\n"
           "  --save-state FILE    (headless) at the end, save the console's state\n"
           "  --hash               (headless) print FNV-1a 64 hashes of the last frame and of the "
           "sound\n"
           "  --stats              (window) when it closes, print the frames run, the frame\n"
           "                       rate, the time to the first frame and the renderer used\n"
           "  --help               print this text\n"
           "  --version            print the version\n";
}

std::string ParseOptions(int count, const char* const* words, PlayerOptions& options) {
    std::string firstHeadlessOnly;  // the window has no use for these
    int i = 0;
    for (; i < count; ++i) {
        const std::string_view word = words[i];
        if (!word.starts_with("--")) break;
        if (word == "--") {
            ++i;
            break;
        }
        const bool takesValue = word == "--frames" || word == "--screenshot" || word == "--wav" ||
                                word == "--input" || word == "--rgb" || word == "--video" ||
                                word == "--save-state" || word == "--load-state" ||
                                word == "--trace";
        if (takesValue && i + 1 >= count) return std::string(word) + " needs a value";
        const bool headlessOnly = word == "--frames" || word == "--screenshot" || word == "--wav" ||
                                  word == "--input" || word == "--hash" || word == "--save-state" ||
                                  word == "--load-state" || word == "--trace";
        if (headlessOnly && firstHeadlessOnly.empty()) firstHeadlessOnly = word;
        if (word == "--headless") {
            options.headless = true;
        } else if (word == "--hash") {
            options.hash = true;
        } else if (word == "--stats") {
            options.stats = true;
        } else if (word == "--help") {
            options.help = true;
        } else if (word == "--version") {
            options.version = true;
        } else if (word == "--frames") {
            if (!ParseCount(words[++i], options.frames)) {
                return "--frames takes a whole number of frames, not '" + std::string(words[i]) +
                       "'";
            }
        } else if (word == "--screenshot") {
            options.screenshotPath = words[++i];
        } else if (word == "--wav") {
            options.wavPath = words[++i];
        } else if (word == "--input") {
            options.inputPath = words[++i];
        } else if (word == "--save-state") {
            options.saveStatePath = words[++i];
        } else if (word == "--load-state") {
            options.loadStatePath = words[++i];
        } else if (word == "--trace") {
            options.tracePath = words[++i];
        } else if (word == "--rgb") {
            const std::string_view mode = words[++i];
            if (mode == "565") {
                options.rgbMode = 1;
            } else if (mode == "555") {
                options.rgbMode = 0;
            } else {
                return "--rgb takes 565 or 555, not '" + std::string(mode) + "'";
            }
        } else if (word == "--video") {
            const std::string_view behaviour = words[++i];
            options.videoGiven = true;
            if (behaviour == "simple") {
                options.videoHardware = 0;
            } else if (behaviour == "hardware") {
                options.videoHardware = 1;
            } else {
                return "--video takes simple or hardware, not '" + std::string(behaviour) + "'";
            }
        } else {
            return "unknown option '" + std::string(word) + "'";
        }
        if (takesValue && std::strlen(words[i]) == 0) return std::string(word) + " needs a value";
    }

    if (!options.headless && !firstHeadlessOnly.empty()) {
        return firstHeadlessOnly + " only works with --headless";
    }
    options.cartridgePath.clear();
    for (int first = i; i < count; ++i) {
        if (i > first) options.cartridgePath += ' ';
        options.cartridgePath += words[i];
    }
    return {};
}

}  // namespace plexaro
