// The sound card's side of the audio stream on SDL: a looping buffer that SDL's audio
// thread plays round and round, and the play cursor it moves on.
#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "host/audio.h"

namespace plexaro {
namespace {

// The play cursor moves in steps of this many samples (about 11.6 ms): small enough that
// the writer's wait ends close to a slot's boundary.
constexpr Uint16 DeviceSamples = 512;
// Our own code for a device that stopped (unplugged, or its server went away).
constexpr uint32_t DeviceStopped = 1;

struct AudioDevice {
    SDL_AudioDeviceID id;
    bool startedSubsystem;
    uint32_t bytes;
    uint8_t buffer[AudioBufferBytes];
    std::atomic<uint32_t> cursor;
    std::mutex mutex;
    std::condition_variable moved;
    char error[256];
};

AudioDevice device;

// SDL's audio thread, holding the device lock that AudioDeviceWrite also takes.
void Play(void*, Uint8* out, int length) {
    uint32_t cursor = device.cursor.load(std::memory_order_relaxed);
    while (length > 0) {
        const uint32_t run = std::min(static_cast<uint32_t>(length), device.bytes - cursor);
        std::memcpy(out, device.buffer + cursor, run);
        out += run;
        length -= static_cast<int>(run);
        cursor = (cursor + run) % device.bytes;
    }
    device.cursor.store(cursor, std::memory_order_release);
    std::lock_guard<std::mutex> hold(device.mutex);
    device.moved.notify_all();
}

}  // namespace

bool AudioDeviceOpen(uint32_t bufferBytes) {
    if (bufferBytes == 0 || bufferBytes > sizeof device.buffer) return false;
    if (SDL_WasInit(SDL_INIT_AUDIO) == 0) {
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
        device.startedSubsystem = true;
    }
    SDL_AudioSpec wanted{};
    wanted.freq = static_cast<int>(AudioSampleRate);
    wanted.format = AUDIO_S16SYS;
    wanted.channels = 1;
    wanted.samples = DeviceSamples;
    wanted.callback = Play;
    SDL_AudioSpec obtained{};
    // No changes allowed: SDL converts to whatever the card really takes.
    device.id = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
    if (device.id == 0) {
        if (device.startedSubsystem) SDL_QuitSubSystem(SDL_INIT_AUDIO);
        device.startedSubsystem = false;
        return false;
    }
    device.bytes = bufferBytes;
    std::memset(device.buffer, 0, sizeof device.buffer);
    device.cursor.store(0);
    SDL_PauseAudioDevice(device.id, 0);
    return true;
}

uint32_t AudioDevicePlayCursor(uint32_t& cursor) {
    if (device.id == 0 || SDL_GetAudioDeviceStatus(device.id) == SDL_AUDIO_STOPPED) {
        std::snprintf(device.error, sizeof device.error, "The sound device stopped playing.");
        return DeviceStopped;
    }
    cursor = device.cursor.load(std::memory_order_acquire);
    return 0;
}

uint32_t AudioDeviceWrite(uint32_t offset, const uint8_t* bytes, uint32_t count) {
    SDL_LockAudioDevice(device.id);
    for (uint32_t done = 0; done < count;) {
        const uint32_t at = (offset + done) % device.bytes;
        const uint32_t run = std::min(count - done, device.bytes - at);
        if (bytes != nullptr) {
            std::memcpy(device.buffer + at, bytes + done, run);
        } else {
            std::memset(device.buffer + at, 0, run);
        }
        done += run;
    }
    SDL_UnlockAudioDevice(device.id);
    return 0;
}

void AudioDeviceWait(uint32_t milliseconds) {
    const uint32_t before = device.cursor.load(std::memory_order_acquire);
    std::unique_lock<std::mutex> hold(device.mutex);
    device.moved.wait_for(hold, std::chrono::milliseconds(milliseconds),
                          [before] { return device.cursor.load() != before; });
}

const char* AudioDeviceErrorText() {
    return device.error[0] != 0 ? device.error : nullptr;
}

void AudioDeviceClose() {
    if (device.id != 0) SDL_CloseAudioDevice(device.id);
    device.id = 0;
    if (device.startedSubsystem) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    device.startedSubsystem = false;
}

}  // namespace plexaro
