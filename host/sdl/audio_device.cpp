// The sound card's side of the audio stream on SDL: a looping buffer that SDL's audio
// thread plays round and round, and the play cursor it moves on.
#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

#include "host/shell/audio.h"

namespace plexaro {
namespace {

// Our own code for a device that stopped (unplugged, or its server went away).
constexpr uint32_t DeviceStopped = 1;

struct AudioDevice {
    SDL_AudioDeviceID id;
    bool startedSubsystem;
    uint32_t bytes;
    uint8_t buffer[AudioBufferBytes];
    // The chunk SDL took last: where it starts, and when. The card plays it over the chunk's
    // own length, so the play cursor is placed by the time since, as a card reports it, and
    // frames are released evenly instead of two at a time.
    std::atomic<uint64_t> chunkStart;  // counted from the device's opening
    std::atomic<uint32_t> chunkLength;
    std::atomic<uint64_t> chunkTime;
    uint64_t nextByte;  // the audio thread's own: where the next chunk starts
    // SDL's dummy driver plays nothing, and times its chunks by sleeping a whole number of
    // milliseconds each: short chunks run it fast by up to a sixth, and a busy machine that
    // wakes it late slows it by as much. Its cursor follows the clock instead, as a card's
    // crystal would.
    bool byClock;
    uint64_t openedAt;
    char error[256];
};

AudioDevice device;

// SDL's audio thread, holding the device lock that AudioDeviceWrite also takes.
void Play(void*, Uint8* out, int length) {
    const uint64_t start = device.nextByte;
    const uint32_t taken = static_cast<uint32_t>(length);
    uint32_t cursor = static_cast<uint32_t>(start % device.bytes);
    while (length > 0) {
        const uint32_t run = std::min(static_cast<uint32_t>(length), device.bytes - cursor);
        std::memcpy(out, device.buffer + cursor, run);
        out += run;
        length -= static_cast<int>(run);
        cursor = (cursor + run) % device.bytes;
    }
    device.nextByte = start + taken;
    device.chunkStart.store(start, std::memory_order_relaxed);
    device.chunkLength.store(taken, std::memory_order_relaxed);
    device.chunkTime.store(SDL_GetPerformanceCounter(), std::memory_order_release);
}

}  // namespace

bool AudioDeviceOpen(uint32_t bufferBytes, uint32_t& deviceSamples) {
    if (bufferBytes == 0 || bufferBytes > sizeof device.buffer) return false;
    if (SDL_WasInit(SDL_INIT_AUDIO) == 0) {
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
        device.startedSubsystem = true;
    }
    SDL_AudioSpec wanted{};
    wanted.freq = static_cast<int>(AudioSampleRate);
    wanted.format = AUDIO_S16SYS;
    wanted.channels = 1;
    wanted.samples = static_cast<Uint16>(deviceSamples);
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
    deviceSamples = obtained.samples;
    std::memset(device.buffer, 0, sizeof device.buffer);
    device.nextByte = 0;
    device.chunkStart.store(0);
    device.chunkLength.store(0);
    device.chunkTime.store(0);
    const char* driver = SDL_GetCurrentAudioDriver();
    device.byClock = driver != nullptr && std::strcmp(driver, "dummy") == 0;
    device.openedAt = SDL_GetPerformanceCounter();
    SDL_PauseAudioDevice(device.id, 0);
    return true;
}

uint32_t AudioDevicePlayCursor(uint64_t& cursor) {
    if (device.id == 0 || SDL_GetAudioDeviceStatus(device.id) == SDL_AUDIO_STOPPED) {
        std::snprintf(device.error, sizeof device.error, "The sound device stopped playing.");
        return DeviceStopped;
    }
    if (device.byClock) {
        const uint64_t elapsed = SDL_GetPerformanceCounter() - device.openedAt;
        const uint64_t frequency = SDL_GetPerformanceFrequency();
        const uint64_t samples = elapsed / frequency * AudioSampleRate +
                                 elapsed % frequency * AudioSampleRate / frequency;
        cursor = samples * sizeof(int16_t);
        return 0;
    }
    const uint64_t time = device.chunkTime.load(std::memory_order_acquire);
    const uint64_t start = device.chunkStart.load(std::memory_order_relaxed);
    const uint32_t length = device.chunkLength.load(std::memory_order_relaxed);
    uint64_t played = 0;
    if (time != 0 && length >= sizeof(int16_t)) {
        const uint64_t elapsed = SDL_GetPerformanceCounter() - time;
        played = elapsed * AudioSampleRate / SDL_GetPerformanceFrequency() * sizeof(int16_t);
        // Never past the chunk: a card that stopped asking must look stopped.
        played = std::min<uint64_t>(played, length - sizeof(int16_t));
    }
    cursor = start + played;
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
    // The cursor moves with time, not in steps: a short sleep is all a wait needs.
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
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
