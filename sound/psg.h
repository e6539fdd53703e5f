// The sound chip: an SN76489-type programmable sound generator with three square-wave tone
// channels and one noise channel, each behind a 4-bit attenuation.
//
// There is one chip, index 0; every call with another index does nothing (and PsgUpdate then
// writes no sample). The console program programs the chip one byte at a time through
// PsgWrite; once per video frame PsgUpdate turns the registers into unsigned mono samples.
//
// Unit of time: PSG_STEP (0x10000) units make one output sample. Each channel counts down
// the units left to its next level change (the noise channel: to its next shift), and a
// sample is the time each channel spent high during it, weighted by the channel's amplitude.
// Tones whose half-period is shorter than a sample therefore come out averaged, not aliased.
// Writes are not time-stamped: a write takes effect for every sample of the next update.
//
// Output: samples 0..PSG_MAX_OUTPUT (32767), silence 0; never negative. The console's output
// stage after the chip (its headroom and its coupling to the television) is the machine's.
//
// Typical use, as the console does it:
//
//     PsgInit(0, 3579545, 44100);
//     PsgWrite(0, 0x8F);  // latch tone 0 period, low four bits 0xF
//     PsgWrite(0, 0x3F);  // upper six bits: period register 0x3FF
//     PsgWrite(0, 0x90);  // tone 0 attenuation 0 (loudest)
//     int16_t frame[735];
//     PsgUpdate(0, frame, 735);  // one sixtieth of a second at 44100 Hz
#pragma once

#include <cstdint>

namespace plexaro {

inline constexpr int32_t PSG_STEP = 0x10000;          // units per output sample
inline constexpr int32_t PSG_MAX_OUTPUT = 0x7FFF;     // the clamp applied to the mix
inline constexpr uint32_t PSG_NOISE_PRESET = 0x0F35;  // rng after every noise-control write

// The state of one chip. Channels 0..3 are tone 0, tone 1, tone 2 and noise; registers 0..7
// are tone 0 period, tone 0 attenuation, tone 1 period, ..., noise control, noise attenuation.
struct PsgChip {
    int32_t sampleRate;     // output samples per second
    int32_t updateStep;     // 16 chip clock cycles in units; a period register N is N of these
    int32_t volTable[16];   // amplitude per attenuation 0 (loudest) .. 15 (silent)
    int32_t registers[8];   // periods hold 10 bits, the others 4
    int32_t lastRegister;   // register chosen by the last latch byte; data bytes go there
    int32_t volume[4];      // current amplitude per channel, a volTable entry
    uint32_t rng;           // the noise shift register
    int32_t noiseFeedback;  // XORed into rng before a shift out of a 1: white or periodic
    int32_t period[4];      // half-period of a tone, or time between two noise shifts; never 0
    int32_t count[4];       // units left until the channel's next level change or shift
    int32_t output[4];      // current level, 0 or 1 (noise: bit 0 of rng)
};

// Sets up chip 0 for the given clock (Hz) and sample rate (Hz): registers silent, the noise
// register preset, the volume table built. The noise feedback mask is deliberately kept from
// before (it is 0 until the first noise-control write). Always returns 0.
int PsgInit(int chip, int clock, int sampleRate);

// Recomputes updateStep from the clock (Hz) and the stored sample rate.
void PsgSetClock(int chip, int clock);

// Rebuilds the volume table; each gain step (low 8 bits count) raises the levels by 0.2 dB,
// capped at the loudest amplitude.
void PsgSetGain(int chip, int gain);

// One byte written by the console program (the low 8 bits count): a latch byte (bit 7 set)
// or a data byte for the last latched register.
void PsgWrite(int chip, int data);

// Writes count samples (0..32767) to buffer. A count of 0 or less, or a null buffer, writes
// nothing and changes nothing.
void PsgUpdate(int chip, int16_t* buffer, int count);

// How the four channels are mixed into a sample. Clamped: their sum, clamped at
// PSG_MAX_OUTPUT (PsgUpdate's). Console: three quarters of their sum, as the console's
// output stage sums them with room to spare, so that all four at their loudest (43688)
// still fit, at 32766; nothing is clamped.
enum PsgMix : int32_t { PsgMixClamped = 0, PsgMixConsole = 1 };
// PsgUpdate with the mix chosen; the samples are 0..32767 either way.
void PsgUpdateMixed(int chip, int16_t* buffer, int count, PsgMix mix);

// A read-only view of the chip's state for tests and debugging; null for any chip but 0.
const PsgChip* PsgInspect(int chip);
// Puts back what a save state holds of the chip: registers, the latched register, the noise
// register and its feedback, each channel's count and level. Volumes and periods follow from
// the registers; the clock, sample rate and gain stay as set up.
void PsgRestore(int chip, const PsgChip& saved);

}  // namespace plexaro
