// The parts of the libretro interface that Plexaro's core uses, declared from the API's public
// documentation: the entry points a frontend resolves, the records they exchange and the
// numbers of the environment commands. Names, layouts and values are fixed by the C ABI; the
// records here carry our own names, and the test frontend includes this file as well.
#pragma once

#include <cstddef>
#include <cstdint>

namespace plexaro::retro {

inline constexpr unsigned ApiVersion = 1;

// Devices and the RetroPad's button ids.
inline constexpr unsigned DeviceNone = 0;
inline constexpr unsigned DeviceJoypad = 1;
inline constexpr unsigned DeviceKeyboard = 3;  // its ids are the RETROK_ key codes
enum JoypadId : unsigned {
    JoypadB = 0,
    JoypadY = 1,
    JoypadSelect = 2,
    JoypadStart = 3,
    JoypadUp = 4,
    JoypadDown = 5,
    JoypadLeft = 6,
    JoypadRight = 7,
    JoypadA = 8,
    JoypadX = 9,
    JoypadL = 10,
    JoypadR = 11,
    JoypadMask = 256,  // input_state answers with every button as a bit (id n: bit n)
};

inline constexpr unsigned RegionNtsc = 0;
inline constexpr unsigned MemorySaveRam = 0;
inline constexpr unsigned MemorySystemRam = 2;

enum PixelFormat : int { Pixel0Rgb1555 = 0, PixelXrgb8888 = 1, PixelRgb565 = 2 };
enum LogLevel : int { LogDebug = 0, LogInfo = 1, LogWarn = 2, LogError = 3 };

// Environment commands. Those marked experimental carry this bit.
inline constexpr unsigned EnvExperimental = 0x10000;
inline constexpr unsigned EnvGetCanDupe = 3;
inline constexpr unsigned EnvSetMessage = 6;
inline constexpr unsigned EnvSetPixelFormat = 10;
inline constexpr unsigned EnvSetInputDescriptors = 11;
inline constexpr unsigned EnvGetVariable = 15;
inline constexpr unsigned EnvSetVariables = 16;
inline constexpr unsigned EnvGetVariableUpdate = 17;
inline constexpr unsigned EnvSetSupportNoGame = 18;
inline constexpr unsigned EnvGetLogInterface = 27;
inline constexpr unsigned EnvSetSystemAvInfo = 32;
inline constexpr unsigned EnvSetControllerInfo = 35;
inline constexpr unsigned EnvSetMemoryMaps = 36 | EnvExperimental;
inline constexpr unsigned EnvGetAudioVideoEnable = 47 | EnvExperimental;
inline constexpr unsigned EnvGetInputBitmasks = 51 | EnvExperimental;
inline constexpr unsigned EnvGetCoreOptionsVersion = 52;
inline constexpr unsigned EnvSetCoreOptions = 53;
inline constexpr unsigned EnvGetMessageInterfaceVersion = 59;
inline constexpr unsigned EnvSetMessageExt = 60;
inline constexpr unsigned EnvSetCoreOptionsV2 = 67;

// Bits of what GetAudioVideoEnable answers.
inline constexpr int AvEnableVideo = 1;
inline constexpr int AvEnableAudio = 2;

// Flags of a memory descriptor.
inline constexpr uint64_t MemConst = 1u << 0;
inline constexpr uint64_t MemSystemRam = 1u << 2;

using EnvironmentFn = bool (*)(unsigned command, void* data);
using VideoRefreshFn = void (*)(const void* data, unsigned width, unsigned height, size_t pitch);
using AudioSampleFn = void (*)(int16_t left, int16_t right);
using AudioSampleBatchFn = size_t (*)(const int16_t* data, size_t frames);
using InputPollFn = void (*)();
using InputStateFn = int16_t (*)(unsigned port, unsigned device, unsigned index, unsigned id);
using LogPrintfFn = void (*)(int level, const char* format, ...);

struct LogCallback {
    LogPrintfFn log;
};

struct SystemInfo {
    const char* libraryName;
    const char* libraryVersion;
    const char* validExtensions;  // "sg|sc"
    bool needFullpath;
    bool blockExtract;
};

struct GameGeometry {
    unsigned baseWidth;
    unsigned baseHeight;
    unsigned maxWidth;
    unsigned maxHeight;
    float aspectRatio;
};

struct SystemTiming {
    double fps;
    double sampleRate;
};

struct SystemAvInfo {
    GameGeometry geometry;
    SystemTiming timing;
};

struct GameInfo {
    const char* path;
    const void* data;
    size_t size;
    const char* meta;
};

struct InputDescriptor {
    unsigned port;
    unsigned device;
    unsigned index;
    unsigned id;
    const char* description;  // null ends the list
};

// A message for the screen: the old way (frames at 60 a second) and the current one.
struct Message {
    const char* msg;
    unsigned frames;
};
enum MessageTarget : int { MessageTargetAll = 0, MessageTargetOsd = 1, MessageTargetLog = 2 };
enum MessageType : int { MessageNotification = 0 };
struct MessageExt {
    const char* msg;
    unsigned duration;  // milliseconds
    unsigned priority;
    int level;        // a LogLevel
    int target;       // a MessageTarget
    int type;         // a MessageType
    int8_t progress;  // -1: none
};

// The devices a port takes, for the frontend's Controls menu: one list per port, then an
// empty entry.
struct ControllerDescription {
    const char* desc;
    unsigned id;
};
struct ControllerInfo {
    const ControllerDescription* types;
    unsigned numTypes;
};

struct Variable {
    const char* key;
    const char* value;
};

struct MemoryDescriptor {
    uint64_t flags;
    void* ptr;
    size_t offset;
    size_t start;
    size_t select;
    size_t disconnect;
    size_t len;
    const char* addrspace;
};

struct MemoryMap {
    const MemoryDescriptor* descriptors;
    unsigned count;
};

inline constexpr size_t CoreOptionValuesMax = 128;

struct CoreOptionValue {
    const char* value;
    const char* label;
};

// Options version 1: no categories.
struct CoreOptionDefinition {
    const char* key;
    const char* desc;
    const char* info;
    CoreOptionValue values[CoreOptionValuesMax];
    const char* defaultValue;
};

struct CoreOptionV2Category {
    const char* key;
    const char* desc;
    const char* info;
};

struct CoreOptionV2Definition {
    const char* key;
    const char* desc;
    const char* descCategorized;
    const char* info;
    const char* infoCategorized;
    const char* categoryKey;
    CoreOptionValue values[CoreOptionValuesMax];
    const char* defaultValue;
};

struct CoreOptionsV2 {
    CoreOptionV2Category* categories;
    CoreOptionV2Definition* definitions;
};

}  // namespace plexaro::retro

// The entry points, as a frontend finds them in the shared library.
extern "C" {
void retro_set_environment(plexaro::retro::EnvironmentFn);
void retro_set_video_refresh(plexaro::retro::VideoRefreshFn);
void retro_set_audio_sample(plexaro::retro::AudioSampleFn);
void retro_set_audio_sample_batch(plexaro::retro::AudioSampleBatchFn);
void retro_set_input_poll(plexaro::retro::InputPollFn);
void retro_set_input_state(plexaro::retro::InputStateFn);
void retro_init(void);
void retro_deinit(void);
unsigned retro_api_version(void);
void retro_get_system_info(plexaro::retro::SystemInfo* info);
void retro_get_system_av_info(plexaro::retro::SystemAvInfo* info);
void retro_set_controller_port_device(unsigned port, unsigned device);
void retro_reset(void);
void retro_run(void);
size_t retro_serialize_size(void);
bool retro_serialize(void* data, size_t size);
bool retro_unserialize(const void* data, size_t size);
void retro_cheat_reset(void);
void retro_cheat_set(unsigned index, bool enabled, const char* code);
bool retro_load_game(const plexaro::retro::GameInfo* game);
bool retro_load_game_special(unsigned type, const plexaro::retro::GameInfo* info, size_t count);
void retro_unload_game(void);
unsigned retro_get_region(void);
void* retro_get_memory_data(unsigned id);
size_t retro_get_memory_size(unsigned id);
}
