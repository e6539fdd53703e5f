// The browser host: a few C functions that the page's JavaScript calls, over the machine's
// public functions. The page owns the clock, the keys, the canvas and the sound; this file
// runs frames and turns their picture and sound into what the browser takes.
#include <cstdint>
#include <cstdio>

#include "machine/board.h"
#include "machine/machine.h"
#include "video/vdp.h"

namespace plexaro {
namespace {

constexpr uint32_t Player2Shift = 8;  // where player 2's controls start in the page's bits

struct WebHostState {
    bool started;
    bool cartridgeLoaded;
    uint8_t rgba[VdpScreenWidth * VdpVisibleLines * 4];
    float sound[MaxSamplesPerFrame];
    uint32_t soundSamples;  // how many of them the last plexaro_sound filled
    char message[160];
};

WebHostState host = {};

void Blank() {
    for (uint32_t i = 0; i < VdpScreenWidth * VdpVisibleLines; ++i) {
        host.rgba[i * 4 + 0] = 0;
        host.rgba[i * 4 + 1] = 0;
        host.rgba[i * 4 + 2] = 0;
        host.rgba[i * 4 + 3] = 255;
    }
}

}  // namespace
}  // namespace plexaro

using namespace plexaro;

extern "C" {

// Null when the machine is ready, else the machine's message.
const char* plexaro_start() {
    if (host.started) return nullptr;
    if (const char* error = InitMachine(VdpScreenWidth)) return error;
    SelectRgbMode(1);
    Blank();
    host.started = true;
    return nullptr;
}

// How many of a file's bytes the page need hand over: the loader reads no further.
uint32_t plexaro_load_limit() {
    return static_cast<uint32_t>(MapperImageLimit);
}

// Loads a cartridge from the file's first bytes (at most plexaro_load_limit) and its whole
// size, by the loader's own rules (an empty file, a long one), exactly as on the desktop.
// What the load ended with, as the desktop's box says it: null when there is nothing to say,
// else a message. *failed tells an error (the previous cartridge runs on) from a warning (the
// new one runs).
const char* plexaro_load(const uint8_t* data, uint32_t size, int* failed) {
    *failed = 1;
    if (const char* error = LoadCartridgeBytes(data, size)) return error;
    *failed = 0;
    SelectRgbMode(1);
    host.cartridgeLoaded = true;
    char warning[LoadWarningSize];
    if (TruncatedLoadWarning(warning, sizeof warning) == nullptr) return nullptr;
    std::snprintf(host.message, sizeof host.message, "The file %s", warning);
    return host.message;
}

int plexaro_cartridge_loaded() {
    return host.cartridgeLoaded ? 1 : 0;
}

// One frame with the joypad controls in `controls` (bit n: player 1's JoypadButton n, bit
// 8 + n: player 2's); `reset` holds the console in reset first, as the desktop's Tab does.
// Without a cartridge nothing runs.
void plexaro_run_frame(uint32_t controls, int reset) {
    if (!host.cartridgeLoaded) return;
    if (reset != 0) {
        ResetMachine();
        SelectRgbMode(1);
    }
    ClearJoypad();
    for (uint32_t button = JoypadUp; button <= JoypadButton2; ++button) {
        if (controls & (1u << button)) PressJoypad(button);
        if (controls & (1u << (Player2Shift + button))) PressJoypad2(button);
    }
    RunFrame();
}

void plexaro_reset() {
    if (!host.cartridgeLoaded) return;
    ResetMachine();
    SelectRgbMode(1);
}

void plexaro_pause() {
    PressPauseButton();
}

// The last frame's picture as RGBA for the canvas: each component widened as the headless
// player's PNG widens it (PixelToRgb), so both show the same bytes.
const uint8_t* plexaro_picture() {
    const uint16_t* frame = GetFrameBuffer();
    if (!host.cartridgeLoaded || frame == nullptr) {
        Blank();
        return host.rgba;
    }
    const uint32_t stride = RecordedRowStride();
    uint8_t* out = host.rgba;
    for (uint32_t y = 0; y < VdpVisibleLines; ++y) {
        const uint16_t* row = frame + static_cast<size_t>(y) * stride;
        for (uint32_t x = 0; x < VdpScreenWidth; ++x, out += 4) {
            PixelToRgb(row[x], Rgb565, out);
            out[3] = 255;
        }
    }
    return host.rgba;
}

// The last frame's samples for Web Audio, which wants -1..1: 735 a frame, or 735 and 736 in
// the hardware behaviour; plexaro_sound_samples says how many.
const float* plexaro_sound() {
    const int16_t* samples = MakeSoundFrame();
    host.soundSamples = SoundFrameSamples();
    for (uint32_t i = 0; i < host.soundSamples; ++i)
        host.sound[i] = static_cast<float>(samples[i]) / 32768.0f;
    return host.sound;
}

uint32_t plexaro_sound_samples() {
    return host.soundSamples;
}

}  // extern "C"
