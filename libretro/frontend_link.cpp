// The core's side of the conversation with a libretro frontend that is not frames: its log,
// the core options the user sets in the frontend's menu, and the memory map that cheat
// searches and achievement tools read.
#include "libretro/frontend_link.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "machine/board.h"
#include "machine/machine.h"
#include "machine/sc3000.h"

namespace plexaro {
namespace {

constexpr const char* VideoKey = "plexaro_video";
constexpr const char* PowerOnKey = "plexaro_power_on_ram";
constexpr const char* SelectKey = "plexaro_select";
constexpr const char* MachineKey = "plexaro_machine";

constexpr uint32_t RamStart = 0xC000;  // the console's RAM, as every board has it
constexpr size_t DescriptorsMax = MaxBoardRegions;
constexpr size_t OptionCount = 4;
constexpr size_t VariableTextSize = 160;
constexpr unsigned MessageMilliseconds = 4000;
constexpr unsigned MessageFrames = 240;  // the old interface's 4 seconds at 60 frames a second

struct LinkState {
    retro::EnvironmentFn environment;
    retro::LogPrintfFn log;
    uint32_t videoBehaviour;
    uint32_t powerOnRam;
    uint32_t machine;
    bool selectResets;
    retro::MemoryDescriptor descriptors[DescriptorsMax];
};

LinkState link = {};

// The option tables are large (every definition has room for 128 values), so they are built
// once, in static storage, rather than on the stack of the call that hands them over. The
// definitions below are the options' one home: the older APIs' tables are made from them.
retro::CoreOptionV2Category categories[] = {{nullptr, nullptr, nullptr}};
retro::CoreOptionV2Definition definitions[OptionCount + 1] = {
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
    {SelectKey,
     "Select button",
     nullptr,
     "Reset: Select on either pad resets the console, as the console's own reset button does. "
     "None: Select does nothing, so a stray press (a netplay partner's included) never "
     "restarts the game; the frontend's own Restart still does.",
     nullptr,
     nullptr,
     {{"reset", "Reset"}, {"none", "None"}, {nullptr, nullptr}},
     "reset"},
    {MachineKey,
     "Machine",
     nullptr,
     "Auto: .sc files, and programs once they scan the keyboard, run as the SC-3000 home "
     "computer (its keyboard read from the frontend's), everything else as the SG-1000. "
     "Takes effect at the next reset.",
     nullptr,
     nullptr,
     {{"auto", "Auto"}, {"sg1000", "SG-1000"}, {"sc3000", "SC-3000"}, {nullptr, nullptr}},
     "auto"},
    {nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, {{nullptr, nullptr}}, nullptr},
};
retro::CoreOptionsV2 optionsV2 = {categories, definitions};
retro::CoreOptionDefinition optionsV1[OptionCount + 1];
// For frontends that only know variables: "description; first|second", the first value being
// the default.
char variableTexts[OptionCount][VariableTextSize];
retro::Variable variables[OptionCount + 1];

void MakeOlderOptions() {
    for (size_t i = 0; i < OptionCount; ++i) {
        const retro::CoreOptionV2Definition& d = definitions[i];
        retro::CoreOptionDefinition& v1 = optionsV1[i];
        v1.key = d.key;
        v1.desc = d.desc;
        v1.info = d.info;
        std::memcpy(v1.values, d.values, sizeof v1.values);
        v1.defaultValue = d.defaultValue;

        char* text = variableTexts[i];
        int used = std::snprintf(text, VariableTextSize, "%s; %s", d.desc, d.defaultValue);
        for (const retro::CoreOptionValue* v = d.values; v->value != nullptr; ++v) {
            if (std::strcmp(v->value, d.defaultValue) == 0) continue;
            used += std::snprintf(text + used, VariableTextSize - static_cast<size_t>(used), "|%s",
                                  v->value);
        }
        variables[i] = {d.key, text};
    }
    optionsV1[OptionCount] = {};
    variables[OptionCount] = {nullptr, nullptr};
}

const char* Value(const char* key) {
    retro::Variable variable = {key, nullptr};
    if (!Environment(retro::EnvGetVariable, &variable)) return nullptr;
    return variable.value;
}

void ShowOnScreen(retro::LogLevel level, const char* text) {
    unsigned version = 0;
    if (Environment(retro::EnvGetMessageInterfaceVersion, &version) && version >= 1) {
        retro::MessageExt message = {text,  MessageMilliseconds,     1,
                                     level, retro::MessageTargetOsd, retro::MessageNotification,
                                     -1};
        if (Environment(retro::EnvSetMessageExt, &message)) return;
    }
    retro::Message message = {text, MessageFrames};
    Environment(retro::EnvSetMessage, &message);
}

void Emit(retro::LogLevel level, const char* format, va_list arguments, bool onScreen) {
    char text[512];
    std::vsnprintf(text, sizeof text, format, arguments);
    if (link.log != nullptr) {
        link.log(level, "[Plexaro] %s\n", text);
    } else {
        std::fprintf(stderr, "[Plexaro] %s\n", text);
    }
    if (onScreen) ShowOnScreen(level, text);
}

}  // namespace

void SetEnvironment(retro::EnvironmentFn environment) {
    link.environment = environment;
    retro::LogCallback callback = {nullptr};
    if (environment != nullptr && environment(retro::EnvGetLogInterface, &callback) &&
        callback.log != nullptr) {
        link.log = callback.log;
    }
}

bool Environment(unsigned command, void* data) {
    return link.environment != nullptr && link.environment(command, data);
}

void Log(retro::LogLevel level, const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    Emit(level, format, arguments, false);
    va_end(arguments);
}

void Tell(retro::LogLevel level, const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    Emit(level, format, arguments, true);
    va_end(arguments);
}

// Version 2's call answers false when the frontend has no categories, yet it has taken the
// options all the same: only a frontend of an older version gets the older tables.
void RegisterOptions() {
    unsigned version = 0;
    if (!Environment(retro::EnvGetCoreOptionsVersion, &version)) version = 0;
    if (version >= 2) {
        Environment(retro::EnvSetCoreOptionsV2, &optionsV2);
        return;
    }
    MakeOlderOptions();
    if (version == 1) {
        Environment(retro::EnvSetCoreOptions, optionsV1);
    } else {
        Environment(retro::EnvSetVariables, variables);
    }
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
    link.machine = MachineAuto;
    if (const char* machine = Value(MachineKey)) MachineFromName(machine, &link.machine);
    const char* select = Value(SelectKey);
    link.selectResets = select == nullptr || std::strcmp(select, "none") != 0;
}

uint32_t ChosenVideoBehaviour() {
    return link.videoBehaviour;
}

uint32_t ChosenPowerOnRam() {
    return link.powerOnRam;
}

uint32_t ChosenMachine() {
    return link.machine;
}

bool SelectResets() {
    return link.selectResets;
}

uint8_t* SystemRam() {
    if (WritableConsoleRam() == nullptr) return nullptr;
    const BoardRegion ram = BoardRegionAt(RamStart);
    return ram.bytes + (RamStart - ram.start);
}

size_t SystemRamSize() {
    if (WritableConsoleRam() == nullptr) return 0;
    const BoardRegion ram = BoardRegionAt(RamStart);
    return ram.start + ram.length - RamStart;
}

// Addresses are the CPU's, one descriptor a region of the board's layout. RetroArch's cheat
// search reads only `ptr` and `len` of the system-RAM descriptors, one after the other, so
// each points at its own first byte (offset 0), and a mirror is described apart, as no system
// RAM, so that its bytes are not searched twice. The mapper's switched slots are left out,
// since a descriptor cannot follow a page register.
void RegisterMemoryMap() {
    if (WritableConsoleRam() == nullptr) return;
    BoardRegion regions[MaxBoardRegions];
    const uint32_t count = BoardRegions(regions);
    size_t described = 0;
    for (uint32_t i = 0; i < count; ++i) {
        const BoardRegion& r = regions[i];
        if (r.switched || r.bytes == nullptr) continue;
        retro::MemoryDescriptor& d = link.descriptors[described++];
        d = {};
        d.ptr = r.bytes;
        d.start = r.start;
        d.len = r.length;
        if (r.mirrorOf != r.start) {
            // Matches the whole stretch from the region it repeats on, the address lines that
            // don't reach that region's bytes left out.
            const BoardRegion repeated = BoardRegionAt(r.mirrorOf);
            const size_t span = r.start + r.length - r.mirrorOf;
            d.start = r.mirrorOf;
            d.len = repeated.length;
            d.select = ~(span - 1) & 0xFFFF;
            d.disconnect = (span - 1) & ~size_t{repeated.length - 1};
        } else if (r.kind == RegionRom) {
            d.flags = retro::MemConst;
        } else if (r.kind == RegionConsoleRam || r.kind == RegionImageRam) {
            d.flags = retro::MemSystemRam;
        }
    }
    retro::MemoryMap map = {link.descriptors, static_cast<unsigned>(described)};
    Environment(retro::EnvSetMemoryMaps, &map);
}

}  // namespace plexaro
