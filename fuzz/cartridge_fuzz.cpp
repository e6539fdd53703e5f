// Fuzz target: arbitrary cartridge bytes run for 120 frames, with the joypad, pause presses,
// a reset, the video behaviour and the pixel format taken from a trailer at the input's end.
//
// Input: the cartridge image, then TrailerSize bytes (see Trailer). Inputs too short to
// hold a one-byte image do nothing.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "machine/machine.h"

namespace {

constexpr uint32_t Frames = 120;
constexpr size_t TrailerSize = 9;

// The trailer, byte by byte.
struct Trailer {
    uint8_t pattern[4];   // joypad bits (all eight tried) for four phases, in turn
    uint8_t phaseFrames;  // frames per phase, low five bits, plus one
    uint8_t firstPause;   // first frame with a pause press; Frames or above: none
    uint8_t pauseGap;     // frames between presses, low six bits; 0: one press only
    uint8_t resetFrame;   // Frames or above: no reset
    uint8_t flags;        // bit 0: hardware video; bit 1: RGB 565; bit 2: row stride 320
};

bool PausePressed(const Trailer& trailer, uint32_t frame) {
    if (trailer.firstPause >= Frames || frame < trailer.firstPause) return false;
    const uint32_t gap = trailer.pauseGap & 0x3F;
    if (gap == 0) return frame == trailer.firstPause;
    return (frame - trailer.firstPause) % gap == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace plexaro;
    if (size <= TrailerSize) return 0;
    const size_t imageSize = size - TrailerSize;
    Trailer trailer;
    __builtin_memcpy(&trailer, data + imageSize, TrailerSize);

    if (InitMachine((trailer.flags & 4) ? 320 : 256) != nullptr) std::abort();
    SelectVideoBehaviour(trailer.flags & 1);
    if (LoadCartridgeBytes(data, imageSize) != nullptr) std::abort();
    SelectRgbMode((trailer.flags >> 1) & 1);

    const uint32_t phaseFrames = (trailer.phaseFrames & 0x1F) + 1u;
    for (uint32_t frame = 0; frame < Frames; ++frame) {
        if (frame == trailer.resetFrame) ResetMachine();
        ClearJoypad();
        const uint8_t held = trailer.pattern[(frame / phaseFrames) % 4];
        for (uint32_t button = 0; button < 8; ++button) {
            if (held & (1u << button)) PressJoypad(button);
        }
        if (PausePressed(trailer, frame)) PressPauseButton();
        RunFrame();
        MakeSoundFrame();
    }
    return 0;
}
