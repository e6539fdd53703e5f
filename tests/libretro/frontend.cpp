// The tests' libretro frontend: loading the core and answering it (see frontend.h).
#include "tests/libretro/frontend.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "machine/hash.h"

namespace plexaro::test {

FrontendTraits traits;
Received received;
std::map<std::string, std::string> optionValues;
uint16_t pads[2] = {0, 0};
bool optionsChanged = false;

namespace {

constexpr uint32_t Width = 256;
constexpr uint32_t Height = 192;

void LogLine(int level, const char* format, ...) {
    char text[1024];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    static const char* const names[] = {"DEBUG", "INFO", "WARN", "ERROR"};
    received.log.push_back(std::string(level >= 0 && level <= 3 ? names[level] : "?") + ": " +
                           text);
}

void TakeOptionKey(const char* key, const char* defaultValue) {
    received.optionKeys.push_back(key);
    if (!optionValues.count(key)) optionValues[key] = defaultValue;
}

bool Environment(unsigned command, void* data) {
    switch (command) {
        case retro::EnvGetCanDupe: *static_cast<bool*>(data) = traits.canDupe; return true;
        case retro::EnvSetPixelFormat:
            received.pixelFormat = *static_cast<const int*>(data);
            return received.pixelFormat == retro::PixelRgb565;
        case retro::EnvGetLogInterface:
            if (!traits.logInterface) return false;
            static_cast<retro::LogCallback*>(data)->log = LogLine;
            return true;
        case retro::EnvGetCoreOptionsVersion:
            *static_cast<unsigned*>(data) = traits.optionsVersion;
            return true;
        case retro::EnvSetCoreOptionsV2: {
            if (traits.optionsVersion < 2) return false;
            const auto* options = static_cast<const retro::CoreOptionsV2*>(data);
            received.optionKeys.clear();
            received.optionsApi = 2;
            for (auto* d = options->definitions; d->key != nullptr; ++d) {
                TakeOptionKey(d->key, d->defaultValue);
            }
            return traits.categories;
        }
        case retro::EnvSetCoreOptions: {
            if (traits.optionsVersion < 1) return false;
            received.optionKeys.clear();
            received.optionsApi = 1;
            for (auto* d = static_cast<const retro::CoreOptionDefinition*>(data); d->key != nullptr;
                 ++d) {
                TakeOptionKey(d->key, d->defaultValue);
            }
            return true;
        }
        case retro::EnvSetVariables: {
            received.optionKeys.clear();
            received.optionsAsVariables = true;
            received.optionsApi = 0;
            for (auto* v = static_cast<const retro::Variable*>(data); v->key != nullptr; ++v) {
                received.optionKeys.push_back(v->key);
                received.variableTexts.push_back(v->value);
            }
            return true;
        }
        case retro::EnvGetVariable: {
            auto* variable = static_cast<retro::Variable*>(data);
            const auto found = optionValues.find(variable->key);
            variable->value = found == optionValues.end() ? nullptr : found->second.c_str();
            return found != optionValues.end();
        }
        case retro::EnvGetVariableUpdate:
            *static_cast<bool*>(data) = optionsChanged;
            optionsChanged = false;
            return true;
        case retro::EnvSetInputDescriptors:
            received.inputs.clear();
            for (auto* d = static_cast<const retro::InputDescriptor*>(data);
                 d->description != nullptr; ++d) {
                received.inputs.push_back(*d);
            }
            return true;
        case retro::EnvSetMemoryMaps: {
            const auto* map = static_cast<const retro::MemoryMap*>(data);
            received.memory.assign(map->descriptors, map->descriptors + map->count);
            return true;
        }
        case retro::EnvGetInputBitmasks: return traits.bitmasks;
        case retro::EnvGetAudioVideoEnable:
            *static_cast<int*>(data) =
                (traits.videoEnabled ? retro::AvEnableVideo : 0) | retro::AvEnableAudio;
            return true;
        case retro::EnvSetSystemAvInfo:
            received.avInfo = *static_cast<const retro::SystemAvInfo*>(data);
            received.avInfoChanged = true;
            return true;
        case retro::EnvSetSupportNoGame: return true;
        case retro::EnvGetMessageInterfaceVersion:
            *static_cast<unsigned*>(data) = traits.messageVersion;
            return true;
        case retro::EnvSetMessageExt:
            if (traits.messageVersion < 1) return false;
            received.messages.push_back(std::string("EXT: ") +
                                        static_cast<const retro::MessageExt*>(data)->msg);
            return true;
        case retro::EnvSetMessage:
            received.messages.push_back(std::string("OLD: ") +
                                        static_cast<const retro::Message*>(data)->msg);
            return true;
        case retro::EnvSetControllerInfo:
            received.controllers.clear();
            for (auto* port = static_cast<const retro::ControllerInfo*>(data);
                 port->types != nullptr; ++port) {
                std::vector<unsigned> devices;
                for (unsigned i = 0; i < port->numTypes; ++i) devices.push_back(port->types[i].id);
                received.controllers.push_back(devices);
            }
            return true;
        default: return false;
    }
}

void VideoRefresh(const void* data, unsigned width, unsigned height, size_t pitch) {
    ++received.pictures;
    if (data == nullptr) {
        ++received.duplicates;
        return;
    }
    if (width != Width || height != Height || !traits.keep) return;
    received.picture.resize(Width * Height);
    for (uint32_t y = 0; y < Height; ++y) {
        std::memcpy(&received.picture[y * Width], static_cast<const uint8_t*>(data) + y * pitch,
                    Width * sizeof(uint16_t));
    }
}

void AudioSample(int16_t left, int16_t right) {
    received.left.push_back(left);
    received.right.push_back(right);
}

size_t AudioBatch(const int16_t* data, size_t frames) {
    if (!traits.keep) return frames;
    for (size_t i = 0; i < frames; ++i) AudioSample(data[2 * i], data[2 * i + 1]);
    return frames;
}

void InputPoll() {}

int16_t InputState(unsigned port, unsigned device, unsigned, unsigned id) {
    if (port > 1 || device != retro::DeviceJoypad) return 0;
    if (id == retro::JoypadMask) return traits.bitmasks ? static_cast<int16_t>(pads[port]) : 0;
    return (pads[port] >> id) & 1;
}

void Unload(void* handle) {
#ifdef _WIN32
    FreeLibrary(static_cast<HMODULE>(handle));
#else
    dlclose(handle);
#endif
}

template <typename F>
bool Resolve(void* handle, const char* name, F& function, std::string* error) {
#ifdef _WIN32
    function = reinterpret_cast<F>(
        reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle), name)));
#else
    function = reinterpret_cast<F>(dlsym(handle, name));
#endif
    if (function == nullptr && error != nullptr) *error = std::string("no entry point ") + name;
    return function != nullptr;
}

}  // namespace

bool AnswerEnvironment(unsigned command, void* data) {
    return Environment(command, data);
}

std::string CorePath() {
#ifdef _WIN32
    return std::string(PLEXARO_BINARY_DIR) + "/libretro/plexaro_libretro.dll";
#else
    return std::string(PLEXARO_BINARY_DIR) + "/libretro/plexaro_libretro.so";
#endif
}

bool Open(CoreApi& core, std::string* error) {
    received = Received{};
#ifdef _WIN32
    core.handle = LoadLibraryA(CorePath().c_str());
    if (core.handle == nullptr) {
        if (error != nullptr) *error = "LoadLibrary failed: " + std::to_string(GetLastError());
        return false;
    }
#else
    core.handle = dlopen(CorePath().c_str(), RTLD_NOW | RTLD_LOCAL);
    if (core.handle == nullptr) {
        if (error != nullptr) *error = dlerror();
        return false;
    }
#endif
    void* h = core.handle;
    const bool resolved =
        Resolve(h, "retro_set_environment", core.setEnvironment, error) &&
        Resolve(h, "retro_set_video_refresh", core.setVideoRefresh, error) &&
        Resolve(h, "retro_set_audio_sample", core.setAudioSample, error) &&
        Resolve(h, "retro_set_audio_sample_batch", core.setAudioSampleBatch, error) &&
        Resolve(h, "retro_set_input_poll", core.setInputPoll, error) &&
        Resolve(h, "retro_set_input_state", core.setInputState, error) &&
        Resolve(h, "retro_init", core.init, error) &&
        Resolve(h, "retro_deinit", core.deinit, error) &&
        Resolve(h, "retro_api_version", core.apiVersion, error) &&
        Resolve(h, "retro_get_system_info", core.getSystemInfo, error) &&
        Resolve(h, "retro_get_system_av_info", core.getSystemAvInfo, error) &&
        Resolve(h, "retro_set_controller_port_device", core.setControllerPortDevice, error) &&
        Resolve(h, "retro_reset", core.reset, error) && Resolve(h, "retro_run", core.run, error) &&
        Resolve(h, "retro_serialize_size", core.serializeSize, error) &&
        Resolve(h, "retro_serialize", core.serialize, error) &&
        Resolve(h, "retro_unserialize", core.unserialize, error) &&
        Resolve(h, "retro_cheat_reset", core.cheatReset, error) &&
        Resolve(h, "retro_cheat_set", core.cheatSet, error) &&
        Resolve(h, "retro_load_game", core.loadGame, error) &&
        Resolve(h, "retro_load_game_special", core.loadGameSpecial, error) &&
        Resolve(h, "retro_unload_game", core.unloadGame, error) &&
        Resolve(h, "retro_get_region", core.getRegion, error) &&
        Resolve(h, "retro_get_memory_data", core.getMemoryData, error) &&
        Resolve(h, "retro_get_memory_size", core.getMemorySize, error);
    if (!resolved) {
        Unload(core.handle);
        core.handle = nullptr;
        return false;
    }
    core.setEnvironment(Environment);
    core.setVideoRefresh(VideoRefresh);
    core.setAudioSample(AudioSample);
    core.setAudioSampleBatch(AudioBatch);
    core.setInputPoll(InputPoll);
    core.setInputState(InputState);
    core.init();
    return true;
}

void Close(CoreApi& core) {
    if (core.handle == nullptr) return;
    core.unloadGame();
    core.deinit();
    Unload(core.handle);
    core.handle = nullptr;
}

bool LoadPath(CoreApi& core, const std::string& path) {
    const retro::GameInfo game = {path.c_str(), nullptr, 0, nullptr};
    return core.loadGame(&game);
}

uint64_t HashPicture(uint64_t hash, const std::vector<uint16_t>& picture) {
    for (uint16_t pixel : picture) {
        const uint8_t bytes[2] = {static_cast<uint8_t>(pixel), static_cast<uint8_t>(pixel >> 8)};
        hash = Fnv1a64(hash, bytes, 2);
    }
    return hash;
}

uint64_t HashSamples(uint64_t hash, const std::vector<int16_t>& samples) {
    for (int16_t sample : samples) {
        const auto value = static_cast<uint16_t>(sample);
        const uint8_t bytes[2] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8)};
        hash = Fnv1a64(hash, bytes, 2);
    }
    return hash;
}

}  // namespace plexaro::test
