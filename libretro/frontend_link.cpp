// The core's side of the conversation with a libretro frontend that is not frames: its log,
// the core options the user sets in the frontend's menu, and the memory map that cheat
// searches and achievement tools read.
#include "libretro/frontend_link.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "machine/board.h"
#include "machine/machine.h"

namespace plexaro {
namespace {

constexpr const char* VideoKey = "plexaro_video";
constexpr const char* PowerOnKey = "plexaro_power_on_ram";

constexpr uint32_t RamStart = 0xC000;      // the console's RAM, as every board has it
constexpr uint32_t Ram1kSize = 0x400;      // the hardware's 1 KB, repeated to 0xFFFF
constexpr uint32_t FixedPageSize = 0x400;  // the mapper's slot 0 always shows page 0 here
constexpr uint32_t Ram8kStart = 0x8000;
constexpr uint32_t Ram8kSize = 0x2000;
constexpr size_t MirrorLines = 0x3C00;  // address lines 10-13 don't reach the 1 KB
constexpr size_t DescriptorsMax = 8;

struct LinkState {
    retro::EnvironmentFn environment;
    retro::LogPrintfFn log;
    uint32_t videoBehaviour;
    uint32_t powerOnRam;
    retro::MemoryDescriptor descriptors[DescriptorsMax];
};

LinkState link = {};

// The option tables are large (every definition has room for 128 values), so they are built
// once, in static storage, rather than on the stack of the call that hands them over.
retro::CoreOptionV2Category categories[] = {{nullptr, nullptr, nullptr}};
retro::CoreOptionV2Definition definitions[] = {
    {VideoKey,
     "Video behaviour",
     nullptr,
     "Simple: the picture and timing Plexaro has always had (60 frames a second, 32 KB of "
     "RAM). Hardware: the TMS9918A's own rules (four sprites a line, all screen modes) and the "
     "console's timing (59.92 frames a second, 1 KB of RAM). Takes effect at the next reset.",
     nullptr,
     nullptr,
     {{"simple", "Simple"}, {"hardware", "Hardware"}, {nullptr, nullptr}},
     "simple"},
    {PowerOnKey,
     "Power-on RAM",
     nullptr,
     "What the console's RAM holds when it is switched on or reset. Auto: zeros in the simple "
     "behaviour, random bytes in the hardware one. Takes effect at the next reset.",
     nullptr,
     nullptr,
     {{"auto", "Auto"},
      {"zeros", "Zeros"},
      {"pattern", "Pattern"},
      {"random", "Random"},
      {nullptr, nullptr}},
     "auto"},
    {nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, {{nullptr, nullptr}}, nullptr},
};
retro::CoreOptionsV2 optionsV2 = {categories, definitions};

// The same options for frontends that only know variables: "description; first|second",
// the first value being the default.
const retro::Variable variables[] = {
    {VideoKey, "Video behaviour (at reset); simple|hardware"},
    {PowerOnKey, "Power-on RAM (at reset); auto|zeros|pattern|random"},
    {nullptr, nullptr},
};

const char* Value(const char* key) {
    retro::Variable variable = {key, nullptr};
    if (!Environment(retro::EnvGetVariable, &variable)) return nullptr;
    return variable.value;
}

void Describe(size_t& count, uint64_t flags, void* memory, size_t offset, size_t start,
              size_t length) {
    retro::MemoryDescriptor& d = link.descriptors[count++];
    d = {};
    d.flags = flags;
    d.ptr = memory;
    d.offset = offset;
    d.start = start;
    d.len = length;
}

}  // namespace

void SetEnvironment(retro::EnvironmentFn environment) {
    link.environment = environment;
    retro::LogCallback callback = {nullptr};
    link.log = environment != nullptr && environment(retro::EnvGetLogInterface, &callback)
                   ? callback.log
                   : nullptr;
}

bool Environment(unsigned command, void* data) {
    return link.environment != nullptr && link.environment(command, data);
}

void Log(retro::LogLevel level, const char* format, ...) {
    char text[512];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    if (link.log != nullptr) {
        link.log(level, "[Plexaro] %s\n", text);
    } else {
        std::fprintf(stderr, "[Plexaro] %s\n", text);
    }
}

void RegisterOptions() {
    unsigned version = 0;
    if (!Environment(retro::EnvGetCoreOptionsVersion, &version)) version = 0;
    if (version >= 2 && Environment(retro::EnvSetCoreOptionsV2, &optionsV2)) return;
    Environment(retro::EnvSetVariables, const_cast<retro::Variable*>(variables));
}

bool OptionsChanged() {
    bool changed = false;
    return Environment(retro::EnvGetVariableUpdate, &changed) && changed;
}

void ReadOptions() {
    const char* video = Value(VideoKey);
    link.videoBehaviour = video != nullptr && std::strcmp(video, "hardware") == 0 ? 1 : 0;
    link.powerOnRam = PowerOnAuto;
    if (const char* ram = Value(PowerOnKey)) {
        if (std::strcmp(ram, "zeros") == 0) link.powerOnRam = PowerOnZero;
        if (std::strcmp(ram, "pattern") == 0) link.powerOnRam = PowerOnPattern;
        if (std::strcmp(ram, "random") == 0) link.powerOnRam = PowerOnRandom;
    }
}

uint32_t ChosenVideoBehaviour() {
    return link.videoBehaviour;
}

uint32_t ChosenPowerOnRam() {
    return link.powerOnRam;
}

uint8_t* SystemRam() {
    uint8_t* upper = WritableConsoleRam();  // 0x8000-0xFFFF
    return upper != nullptr ? upper + (RamStart - ConsoleWritableStart) : nullptr;
}

size_t SystemRamSize() {
    if (WritableConsoleRam() == nullptr) return 0;
    return CurrentPages().consoleRam1k ? Ram1kSize : ConsoleMemorySize - RamStart;
}

// Addresses are the CPU's. The descriptors point into the console's memory block, where
// every board keeps its RAM and, except the mapper, its ROM as the CPU reads it; the mapper's
// switched slots are left out, since a descriptor cannot follow a page register.
void RegisterMemoryMap() {
    uint8_t* upper = WritableConsoleRam();
    if (upper == nullptr) return;
    auto* memory = const_cast<uint8_t*>(ConsoleMemory());
    const BoardPages pages = CurrentPages();
    size_t count = 0;
    const auto inUpper = [](uint32_t address) { return address - ConsoleWritableStart; };

    if (pages.consoleRam1k) {
        Describe(count, retro::MemSystemRam, upper, inUpper(RamStart), RamStart, Ram1kSize);
        // 0xC400-0xFFFF: the same 1 KB again.
        retro::MemoryDescriptor& mirror = link.descriptors[count];
        Describe(count, retro::MemSystemRam, upper, inUpper(RamStart), RamStart, Ram1kSize);
        mirror.select = RamStart;
        mirror.disconnect = MirrorLines;
    } else {
        Describe(count, retro::MemSystemRam, upper, inUpper(RamStart), RamStart,
                 ConsoleMemorySize - RamStart);
    }
    switch (pages.board) {
        case BoardFlat:
            if (pages.consoleRam1k) {
                Describe(count, retro::MemConst, memory, 0, 0, RamStart);
            } else {
                Describe(count, retro::MemConst, memory, 0, 0, ConsoleWritableStart);
                Describe(count, retro::MemSystemRam, upper, 0, ConsoleWritableStart,
                         RamStart - ConsoleWritableStart);
            }
            break;
        case BoardRam8k:
            Describe(count, retro::MemConst, memory, 0, 0, Ram8kStart);
            Describe(count, 0, upper, inUpper(Ram8kStart), Ram8kStart, Ram8kSize);
            Describe(count, retro::MemConst, memory, Ram8kStart + Ram8kSize, Ram8kStart + Ram8kSize,
                     RamStart - Ram8kStart - Ram8kSize);
            break;
        case BoardMapper:
            Describe(count, retro::MemConst, const_cast<uint8_t*>(RomImage()), 0, 0, FixedPageSize);
            break;
        default:  // rom48
            Describe(count, retro::MemConst, memory, 0, 0, RamStart);
            break;
    }
    retro::MemoryMap map = {link.descriptors, static_cast<unsigned>(count)};
    Environment(retro::EnvSetMemoryMaps, &map);
}

}  // namespace plexaro
