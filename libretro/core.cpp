// Plexaro as a libretro core: the entry points a frontend (RetroArch, Kodi, GNOME Games)
// resolves, over the machine's public functions, as the headless player and the browser host
// use them. One machine per process, as everywhere in Plexaro.
//
// The frontend calls retro_run once a frame; each call reads both RetroPads, runs one console
// frame, and hands over its picture (RGB 565, 256x192) and its sound (44100 Hz, the mono
// samples on both stereo channels).
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "libretro/frontend_link.h"
#include "libretro/libretro_api.h"
#include "machine/board.h"
#include "machine/machine.h"
#include "machine/sc3000.h"
#include "machine/state.h"

#ifdef _WIN32
#define PLEXARO_ENTRY extern "C" __declspec(dllexport)
#else
#define PLEXARO_ENTRY extern "C" __attribute__((visibility("default")))
#endif

namespace plexaro {
namespace {

constexpr uint32_t Width = VdpScreenWidth;
constexpr uint32_t Height = VdpVisibleLines;
constexpr uint32_t Ports = 2;
constexpr double SimpleFps = 60.0;
constexpr double HardwareFps =
    static_cast<double>(ConsoleClockHz) / (LinesPerFrame * HardwareCyclesPerLine);

// What a state carries beyond the machine's own: the buttons held at the frame it was made,
// so that Start and Select, which act when pressed, act the same after a rewind, a run-ahead
// or a netplay rollback as they did the first time. It follows the machine's bytes.
constexpr uint8_t HeldMagic[4] = {'P', 'L', 'X', 'H'};
constexpr size_t HeldSize = sizeof HeldMagic + 2 * Ports;

// RetroPad buttons to the console's: B and A are buttons 1 and 2, as on a pad held the
// console's way, with button 1 on the left.
struct ButtonMap {
    unsigned retroId;
    uint32_t button;
};
constexpr ButtonMap Buttons[] = {
    {retro::JoypadUp, JoypadUp},     {retro::JoypadDown, JoypadDown},
    {retro::JoypadLeft, JoypadLeft}, {retro::JoypadRight, JoypadRight},
    {retro::JoypadB, JoypadButton1}, {retro::JoypadA, JoypadButton2},
};

// The frontend's keyboard to the SC-3000's, by position on a US keyboard; the keys a PC lacks
// on keys RetroArch leaves to the core (Escape and F1 are its own).
struct KeyMap {
    unsigned retroKey;
    uint32_t key;
};
constexpr unsigned RetroShiftRight = 303, RetroShiftLeft = 304, RetroCtrlRight = 305,
                   RetroCtrlLeft = 306, RetroAltRight = 307, RetroAltLeft = 308, RetroUp = 273,
                   RetroDown = 274, RetroRight = 275, RetroLeft = 276, RetroInsert = 277,
                   RetroHome = 278, RetroEnd = 279, RetroPageUp = 280, RetroPageDown = 281;
constexpr KeyMap KeyboardKeys[] = {
    {'1', Kb1},
    {'2', Kb2},
    {'3', Kb3},
    {'4', Kb4},
    {'5', Kb5},
    {'6', Kb6},
    {'7', Kb7},
    {'8', Kb8},
    {'9', Kb9},
    {'0', Kb0},
    {'-', KbMinus},
    {'=', KbCaret},
    {'`', KbYen},
    {RetroEnd, KbBreak},
    {'q', KbQ},
    {'w', KbW},
    {'e', KbE},
    {'r', KbR},
    {'t', KbT},
    {'y', KbY},
    {'u', KbU},
    {'i', KbI},
    {'o', KbO},
    {'p', KbP},
    {'[', KbAt},
    {']', KbOpenBracket},
    {'\r', KbCr},
    {'a', KbA},
    {'s', KbS},
    {'d', KbD},
    {'f', KbF},
    {'g', KbG},
    {'h', KbH},
    {'j', KbJ},
    {'k', KbK},
    {'l', KbL},
    {';', KbSemicolon},
    {'\'', KbColon},
    {'\\', KbCloseBracket},
    {'z', KbZ},
    {'x', KbX},
    {'c', KbC},
    {'v', KbV},
    {'b', KbB},
    {'n', KbN},
    {'m', KbM},
    {',', KbComma},
    {'.', KbPeriod},
    {'/', KbSlash},
    {RetroPageDown, KbPi},
    {'\t', KbFunc},
    {RetroCtrlLeft, KbCtrl},
    {RetroCtrlRight, KbCtrl},
    {RetroShiftLeft, KbShift},
    {RetroShiftRight, KbShift},
    {RetroAltLeft, KbGraph},
    {RetroAltRight, KbEngDiers},
    {' ', KbSpace},
    {RetroHome, KbHomeClr},
    {'\b', KbInsDel},
    {RetroInsert, KbInsDel},
    {127, KbInsDel},
    {RetroLeft, KbLeft},
    {RetroUp, KbUp},
    {RetroDown, KbDown},
    {RetroRight, KbRight},
    {RetroPageUp, KbReset},
};

const retro::InputDescriptor Descriptors[] = {
    {0, retro::DeviceJoypad, 0, retro::JoypadUp, "Up"},
    {0, retro::DeviceJoypad, 0, retro::JoypadDown, "Down"},
    {0, retro::DeviceJoypad, 0, retro::JoypadLeft, "Left"},
    {0, retro::DeviceJoypad, 0, retro::JoypadRight, "Right"},
    {0, retro::DeviceJoypad, 0, retro::JoypadB, "Button 1"},
    {0, retro::DeviceJoypad, 0, retro::JoypadA, "Button 2"},
    {0, retro::DeviceJoypad, 0, retro::JoypadStart, "Pause"},
    {0, retro::DeviceJoypad, 0, retro::JoypadSelect, "Reset"},
    {1, retro::DeviceJoypad, 0, retro::JoypadUp, "Up"},
    {1, retro::DeviceJoypad, 0, retro::JoypadDown, "Down"},
    {1, retro::DeviceJoypad, 0, retro::JoypadLeft, "Left"},
    {1, retro::DeviceJoypad, 0, retro::JoypadRight, "Right"},
    {1, retro::DeviceJoypad, 0, retro::JoypadB, "Button 1"},
    {1, retro::DeviceJoypad, 0, retro::JoypadA, "Button 2"},
    {1, retro::DeviceJoypad, 0, retro::JoypadStart, "Pause"},
    {1, retro::DeviceJoypad, 0, retro::JoypadSelect, "Reset"},
    {0, 0, 0, 0, nullptr},
};

const retro::ControllerDescription Joypad[] = {{"Joypad", retro::DeviceJoypad}};
const retro::ControllerInfo Controllers[] = {{Joypad, 1}, {Joypad, 1}, {nullptr, 0}};

struct CoreState {
    retro::VideoRefreshFn videoRefresh;
    retro::AudioSampleFn audioSample;
    retro::AudioSampleBatchFn audioBatch;
    retro::InputPollFn inputPoll;
    retro::InputStateFn inputState;
    bool machineReady;   // InitMachine succeeded
    bool loaded;         // a cartridge runs
    bool bitmasks;       // the frontend answers a whole pad in one call
    bool canDupe;        // the frontend takes a null picture for "as before"
    bool timingChanged;  // the frame rate changed outside retro_run: tell the frontend there
    uint64_t frame;
    unsigned device[Ports];
    uint16_t held[Ports];  // RetroPad bits held at the last frame
    int16_t stereo[MaxSamplesPerFrame * 2];
    // The last picture the frontend was given and kept, for passing an unchanged one as a
    // duplicate.
    uint16_t shown[Width * Height];
    bool shownValid;
};

CoreState core = {};

double FramesPerSecond() {
    return HardwareBehaviour() ? HardwareFps : SimpleFps;
}

void FillAvInfo(retro::SystemAvInfo* info) {
    info->geometry = {Width, Height, Width, Height, 4.0f / 3.0f};
    info->timing = {FramesPerSecond(), static_cast<double>(SampleRate)};
}

uint16_t ReadPad(unsigned port) {
    if (core.inputState == nullptr || core.device[port] == retro::DeviceNone) return 0;
    if (core.bitmasks) {
        return static_cast<uint16_t>(
            core.inputState(port, retro::DeviceJoypad, 0, retro::JoypadMask));
    }
    uint16_t bits = 0;
    for (unsigned id = retro::JoypadB; id <= retro::JoypadR; ++id) {
        if (core.inputState(port, retro::DeviceJoypad, 0, id) != 0) bits |= 1u << id;
    }
    return bits;
}

// The options the user chose, for the power-on that follows.
void ApplyPowerOnChoices() {
    if (OptionsChanged()) ReadOptions();
    const uint32_t before = SelectedVideoBehaviour();
    SelectVideoBehaviour(ChosenVideoBehaviour());
    SelectPowerOnRam(ChosenPowerOnRam(), DefaultPowerOnSeed);
    SelectMachine(ChosenMachine());
    if (SelectedVideoBehaviour() != before) core.timingChanged = true;
}

// A reset that switches the behaviour lays the RAM out anew: the frontend hears of it.
// So does one that changes the machine: the SC-3000's 2 KB repeat where the SG-1000's 1 KB do.
void Reset() {
    const uint32_t before = SelectedVideoBehaviour();
    const uint32_t ram = BoardRegionAt(0xC000).length;
    ApplyPowerOnChoices();
    ResetMachine();
    SelectRgbMode(1);
    core.shownValid = false;
    if (SelectedVideoBehaviour() != before || BoardRegionAt(0xC000).length != ram) {
        RegisterMemoryMap();
    }
}

// Start presses the console's pause button and Select its reset (unless the "Select button"
// option says none), each once when pressed, from either pad, as both players can reach the
// console's buttons.
void ApplyInput() {
    if (core.inputPoll != nullptr) core.inputPoll();
    bool pause = false;
    bool reset = false;
    uint16_t pads[Ports];
    for (unsigned port = 0; port < Ports; ++port) {
        pads[port] = ReadPad(port);
        const uint16_t pressed = pads[port] & ~core.held[port];
        pause |= (pressed & (1u << retro::JoypadStart)) != 0;
        reset |= (pressed & (1u << retro::JoypadSelect)) != 0;
        core.held[port] = pads[port];
    }
    if (reset && SelectResets()) Reset();
    ClearJoypad();
    for (const ButtonMap& map : Buttons) {
        if (pads[0] & (1u << map.retroId)) PressJoypad(map.button);
        if (pads[1] & (1u << map.retroId)) PressJoypad2(map.button);
    }
    if (pause) PressPauseButton();
    // Only the SC-3000 has a keyboard to read.
    KeySet keys = 0;
    if (CurrentMachine() == MachineSc3000 && core.inputState != nullptr) {
        for (const KeyMap& map : KeyboardKeys) {
            if (core.inputState(0, retro::DeviceKeyboard, 0, map.retroKey) != 0) {
                keys |= KeyBit(map.key);
            }
        }
    }
    HoldKeys(keys);
}

void Present() {
    const uint16_t* picture = GetFrameBuffer();
    if (core.videoRefresh == nullptr || picture == nullptr) return;
    const size_t pitch = static_cast<size_t>(RecordedRowStride()) * sizeof(uint16_t);
    int enabled = retro::AvEnableVideo | retro::AvEnableAudio;
    if (!Environment(retro::EnvGetAudioVideoEnable, &enabled)) {
        enabled = retro::AvEnableVideo | retro::AvEnableAudio;
    }
    // A frame the frontend will not show (a run-ahead frame) is handed over all the same but
    // not remembered, since what it shows is still the picture before.
    const bool shown = (enabled & retro::AvEnableVideo) != 0;
    const size_t bytes = sizeof core.shown;
    if (core.canDupe && shown && core.shownValid && RecordedRowStride() == Width &&
        std::memcmp(core.shown, picture, bytes) == 0) {
        core.videoRefresh(nullptr, Width, Height, pitch);
        return;
    }
    core.videoRefresh(picture, Width, Height, pitch);
    if (shown && RecordedRowStride() == Width) {
        std::memcpy(core.shown, picture, bytes);
        core.shownValid = true;
    }
}

void PlaySound() {
    const int16_t* samples = MakeSoundFrame();
    const uint32_t count = SoundFrameSamples();
    for (uint32_t i = 0; i < count; ++i) {
        core.stereo[2 * i] = samples[i];
        core.stereo[2 * i + 1] = samples[i];
    }
    if (core.audioBatch != nullptr) {
        core.audioBatch(core.stereo, count);
    } else if (core.audioSample != nullptr) {
        for (uint32_t i = 0; i < count; ++i) core.audioSample(samples[i], samples[i]);
    }
}

// The game as the frontend hands it over: its bytes (it reads the file, unpacking a zip in
// memory), or only its path from a frontend that does not read files. An empty file is named
// as such, since the loader's own words for it are about a missing file.
const char* LoadGame(const retro::GameInfo& game) {
    NameNextCartridge(game.path);
    if (game.data != nullptr && game.size > 0) {
        return LoadCartridgeBytes(static_cast<const uint8_t*>(game.data), game.size);
    }
    const bool path = game.path != nullptr && game.path[0] != '\0';
    std::error_code error;
    // Frontends hand paths over in UTF-8; char8_t keeps Windows from reading the code page.
    const std::filesystem::path file =
        path ? std::u8string_view(reinterpret_cast<const char8_t*>(game.path))
             : std::u8string_view();
    if (game.data != nullptr || (path && std::filesystem::is_regular_file(file, error) &&
                                 std::filesystem::file_size(file, error) == 0 && !error)) {
        return "the file is empty";
    }
    return path ? LoadCartridge(game.path) : "no file and no bytes";
}

}  // namespace
}  // namespace plexaro

using namespace plexaro;

PLEXARO_ENTRY void retro_set_environment(retro::EnvironmentFn environment) {
    SetEnvironment(environment);
    bool noGame = false;
    Environment(retro::EnvSetSupportNoGame, &noGame);
    Environment(retro::EnvSetControllerInfo, const_cast<retro::ControllerInfo*>(Controllers));
    RegisterOptions();
}

PLEXARO_ENTRY void retro_set_video_refresh(retro::VideoRefreshFn callback) {
    core.videoRefresh = callback;
}

PLEXARO_ENTRY void retro_set_audio_sample(retro::AudioSampleFn callback) {
    core.audioSample = callback;
}

PLEXARO_ENTRY void retro_set_audio_sample_batch(retro::AudioSampleBatchFn callback) {
    core.audioBatch = callback;
}

PLEXARO_ENTRY void retro_set_input_poll(retro::InputPollFn callback) {
    core.inputPoll = callback;
}

PLEXARO_ENTRY void retro_set_input_state(retro::InputStateFn callback) {
    core.inputState = callback;
}

PLEXARO_ENTRY void retro_init(void) {
    core.device[0] = core.device[1] = retro::DeviceJoypad;
    bool bitmasks = false;
    core.bitmasks = Environment(retro::EnvGetInputBitmasks, &bitmasks);
    if (const char* error = InitMachine(Width)) {
        Log(retro::LogError, "%s", error);
        return;
    }
    core.machineReady = true;
}

PLEXARO_ENTRY void retro_deinit(void) {
    if (core.machineReady) ShutdownMachine();
    // The callbacks stay: a frontend may start the core again without handing them over anew.
    core.machineReady = false;
    core.loaded = false;
    core.shownValid = false;
}

PLEXARO_ENTRY unsigned retro_api_version(void) {
    return retro::ApiVersion;
}

PLEXARO_ENTRY void retro_get_system_info(retro::SystemInfo* info) {
    *info = {};
    info->libraryName = "Plexaro";
    info->libraryVersion = PLEXARO_VERSION;
    // The same cartridges are dumped as .sg, and as .sc from the keyboard computer; .bin would
    // claim every other system's files in a player's collection too.
    info->validExtensions = "sg|sc";
    info->needFullpath = false;  // the machine loads from the bytes the frontend read
    info->blockExtract = false;
}

PLEXARO_ENTRY void retro_get_system_av_info(retro::SystemAvInfo* info) {
    FillAvInfo(info);
}

PLEXARO_ENTRY void retro_set_controller_port_device(unsigned port, unsigned device) {
    if (port < Ports)
        core.device[port] = device == retro::DeviceNone ? device : retro::DeviceJoypad;
}

PLEXARO_ENTRY void retro_reset(void) {
    if (core.loaded) Reset();
}

PLEXARO_ENTRY void retro_run(void) {
    if (!core.loaded) return;
    if (core.timingChanged) {
        retro::SystemAvInfo info;
        FillAvInfo(&info);
        Environment(retro::EnvSetSystemAvInfo, &info);
        core.timingChanged = false;
    }
    ApplyInput();
    RunFrame();
    ++core.frame;
    Present();
    PlaySound();
}

PLEXARO_ENTRY size_t retro_serialize_size(void) {
    return core.loaded ? MachineStateSize() + HeldSize : 0;
}

PLEXARO_ENTRY bool retro_serialize(void* data, size_t size) {
    if (!core.loaded || size < MachineStateSize() + HeldSize) return false;
    auto* out = static_cast<uint8_t*>(data);
    SaveMachineState(core.frame, out);
    uint8_t* held = out + MachineStateSize();
    std::memcpy(held, HeldMagic, sizeof HeldMagic);
    for (unsigned port = 0; port < Ports; ++port) {
        held[sizeof HeldMagic + 2 * port] = static_cast<uint8_t>(core.held[port]);
        held[sizeof HeldMagic + 2 * port + 1] = static_cast<uint8_t>(core.held[port] >> 8);
    }
    return true;
}

// Takes our own states, and the desktop's (the machine's bytes alone).
PLEXARO_ENTRY bool retro_unserialize(const void* data, size_t size) {
    if (!core.loaded || data == nullptr) return false;
    const auto* bytes = static_cast<const uint8_t*>(data);
    const uint32_t before = SelectedVideoBehaviour();
    uint64_t frame = 0;
    if (const char* error = LoadMachineState(bytes, size, &frame)) {
        Tell(retro::LogWarn, "state not loaded: %s", error);
        return false;
    }
    // Our bytes may follow the machine's.
    const size_t machine = StateLength(bytes, size);
    const uint8_t* held = bytes + machine;
    const bool carried =
        machine + HeldSize <= size && std::memcmp(held, HeldMagic, sizeof HeldMagic) == 0;
    for (unsigned port = 0; port < Ports; ++port) {
        // Without ours, a button held now counts as held then, so nothing acts twice.
        core.held[port] = carried
                              ? static_cast<uint16_t>(held[sizeof HeldMagic + 2 * port] |
                                                      held[sizeof HeldMagic + 2 * port + 1] << 8)
                              : 0xFFFF;
    }
    core.frame = frame;
    SelectRgbMode(1);
    if (SelectedVideoBehaviour() != before) {  // the state's own
        core.timingChanged = true;
        RegisterMemoryMap();
    }
    return true;
}

PLEXARO_ENTRY void retro_cheat_reset(void) {}

PLEXARO_ENTRY void retro_cheat_set(unsigned, bool, const char*) {}

PLEXARO_ENTRY bool retro_load_game(const retro::GameInfo* game) {
    if (!core.machineReady) {
        Log(retro::LogError, "the machine did not start; no game can load");
        return false;
    }
    if (game == nullptr) {
        Log(retro::LogError, "no game given; Plexaro needs a cartridge image");
        return false;
    }
    retro::PixelFormat format = retro::PixelRgb565;
    if (!Environment(retro::EnvSetPixelFormat, &format)) {
        Log(retro::LogError, "the frontend does not take RGB 565 pictures");
        return false;
    }
    ReadOptions();
    ApplyPowerOnChoices();
    core.timingChanged = false;  // retro_get_system_av_info comes after this
    const char* name = game->path != nullptr && game->path[0] != '\0' ? game->path : "the game";
    if (const char* error = LoadGame(*game)) {
        Tell(retro::LogError, "%s: %s", name, error);
        return false;
    }
    char warning[LoadWarningSize];
    if (TruncatedLoadWarning(warning, sizeof warning) != nullptr) {
        Tell(retro::LogWarn, "%s %s", name, warning);
    }
    SelectRgbMode(1);
    Environment(retro::EnvSetInputDescriptors, const_cast<retro::InputDescriptor*>(Descriptors));
    bool canDupe = false;
    core.canDupe = Environment(retro::EnvGetCanDupe, &canDupe) && canDupe;
    core.loaded = true;
    core.frame = 0;
    core.held[0] = core.held[1] = 0;
    core.shownValid = false;
    RegisterMemoryMap();
    return true;
}

PLEXARO_ENTRY bool retro_load_game_special(unsigned, const retro::GameInfo*, size_t) {
    return false;
}

PLEXARO_ENTRY void retro_unload_game(void) {
    core.loaded = false;
    core.shownValid = false;
}

PLEXARO_ENTRY unsigned retro_get_region(void) {
    return retro::RegionNtsc;
}

PLEXARO_ENTRY void* retro_get_memory_data(unsigned id) {
    return id == retro::MemorySystemRam && core.loaded ? SystemRam() : nullptr;
}

PLEXARO_ENTRY size_t retro_get_memory_size(unsigned id) {
    return id == retro::MemorySystemRam && core.loaded ? SystemRamSize() : 0;
}
