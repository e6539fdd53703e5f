#include "host/options.h"

#include <charconv>
#include <cstring>
#include <string_view>

namespace plexaro {
namespace {

bool ParseCount(std::string_view text, uint64_t& value) {
    const char* end = text.data() + text.size();
    auto [stop, error] = std::from_chars(text.data(), end, value);
    return error == std::errc() && stop == end && !text.empty();
}

}  // namespace

const char* UsageText() {
    return "Usage: plexaro [OPTIONS] [--] CARTRIDGE\n"
           "Plays a Sega SG-1000 cartridge image. The words after the options, joined by\n"
           "single spaces, are the cartridge's path.\n"
           "\n"
           "  --headless           no window and no audio; frames run as fast as possible\n"
           "  --frames N           stop after N frames (default 600)\n"
           "  --screenshot FILE    at the end, write the last frame as a 256x192 PNG\n"
           "  --wav FILE           write the sound as a 44100 Hz 16-bit mono WAV file\n"
           "  --input FILE         a script of joypad presses by frame number\n"
           "  --rgb 565|555        pixel format (default 565)\n"
           "  --video MODE         simple (default) or hardware: the video chip as the console\n"
           "                       really behaves (sprite limit, Text and Multicolor, ...)\n"
           "  --hash               print FNV-1a 64 hashes of the last frame and of the sound\n"
           "  --help               print this text\n"
           "  --version            print the version\n";
}

std::string ParseOptions(int count, const char* const* words, PlayerOptions& options) {
    int i = 0;
    for (; i < count; ++i) {
        const std::string_view word = words[i];
        if (!word.starts_with("--")) break;
        if (word == "--") {
            ++i;
            break;
        }
        const bool takesValue = word == "--frames" || word == "--screenshot" || word == "--wav" ||
                                word == "--input" || word == "--rgb" || word == "--video";
        if (takesValue && i + 1 >= count) return std::string(word) + " needs a value";
        if (word == "--headless") {
            options.headless = true;
        } else if (word == "--hash") {
            options.hash = true;
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

    options.cartridgePath.clear();
    for (int first = i; i < count; ++i) {
        if (i > first) options.cartridgePath += ' ';
        options.cartridgePath += words[i];
    }
    return {};
}

}  // namespace plexaro
