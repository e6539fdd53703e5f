// A small libretro frontend of the tests' own: it opens the core with dlopen, answers its
// environment calls, and keeps what the core hands over (pictures, sound, log lines, options,
// memory descriptors) for the tests to look at. One core per process, as the core requires.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "libretro/libretro_api.h"

namespace plexaro::test {

// What the frontend says it can do; set before Open.
struct FrontendTraits {
    bool canDupe = true;
    unsigned optionsVersion = 2;
    bool categories = true;       // false: SetCoreOptionsV2 takes the options but answers false
    unsigned messageVersion = 1;  // 1: SetMessageExt; 0: only SetMessage
    bool logInterface = true;     // what GetLogInterface answers
    bool bitmasks = true;
    bool videoEnabled = true;  // what GetAudioVideoEnable answers for video
    bool keep = true;          // false: pictures and sound are counted, not kept
};

// The entry points, resolved by name.
struct CoreApi {
    void* handle = nullptr;
    decltype(&retro_set_environment) setEnvironment;
    decltype(&retro_set_video_refresh) setVideoRefresh;
    decltype(&retro_set_audio_sample) setAudioSample;
    decltype(&retro_set_audio_sample_batch) setAudioSampleBatch;
    decltype(&retro_set_input_poll) setInputPoll;
    decltype(&retro_set_input_state) setInputState;
    decltype(&retro_init) init;
    decltype(&retro_deinit) deinit;
    decltype(&retro_api_version) apiVersion;
    decltype(&retro_get_system_info) getSystemInfo;
    decltype(&retro_get_system_av_info) getSystemAvInfo;
    decltype(&retro_set_controller_port_device) setControllerPortDevice;
    decltype(&retro_reset) reset;
    decltype(&retro_run) run;
    decltype(&retro_serialize_size) serializeSize;
    decltype(&retro_serialize) serialize;
    decltype(&retro_unserialize) unserialize;
    decltype(&retro_cheat_reset) cheatReset;
    decltype(&retro_cheat_set) cheatSet;
    decltype(&retro_load_game) loadGame;
    decltype(&retro_load_game_special) loadGameSpecial;
    decltype(&retro_unload_game) unloadGame;
    decltype(&retro_get_region) getRegion;
    decltype(&retro_get_memory_data) getMemoryData;
    decltype(&retro_get_memory_size) getMemorySize;
};

// Everything the core told or gave the frontend since Open (pictures: since the last Run).
struct Received {
    std::vector<uint16_t> picture;  // the last picture shown, 256x192, a null one repeating it
    uint32_t pictures = 0;          // video_refresh calls
    uint32_t duplicates = 0;        // of them with a null picture
    std::vector<int16_t> left, right;
    std::vector<std::string> log;  // "LEVEL: text"
    int pixelFormat = -1;
    std::vector<std::string> optionKeys;  // from the options call the core made
    bool optionsAsVariables = false;
    unsigned optionsApi = ~0u;  // the version of the options call the core made: 2, 1 or 0
    std::vector<std::string> variableTexts;  // "description; first|second" for each variable
    std::vector<std::string> messages;       // "EXT: text" or "OLD: text", for the screen
    std::vector<std::vector<unsigned>> controllers;  // the devices each port takes
    std::vector<retro::MemoryDescriptor> memory;
    std::vector<retro::InputDescriptor> inputs;
    bool avInfoChanged = false;
    retro::SystemAvInfo avInfo = {};
};

extern FrontendTraits traits;
extern Received received;
extern std::map<std::string, std::string> optionValues;  // what GetVariable answers
extern uint16_t pads[2];                                 // RetroPad bits held, by port
extern bool optionsChanged;  // what GetVariableUpdate answers next (then false)

std::string CorePath();
// The environment callback this frontend hands over, for a test that hands it over again.
bool AnswerEnvironment(unsigned command, void* data);
// dlopen, resolve every entry point, hand over the callbacks, retro_init. False (with the
// reason in *error) when the library or an entry point is missing.
bool Open(CoreApi& core, std::string* error);
void Close(CoreApi& core);  // retro_deinit and dlclose
bool LoadPath(CoreApi& core, const std::string& path);

// FNV-1a 64 of a picture and of samples, as the headless player prints them.
uint64_t HashPicture(uint64_t hash, const std::vector<uint16_t>& picture);
uint64_t HashSamples(uint64_t hash, const std::vector<int16_t>& samples);

}  // namespace plexaro::test
