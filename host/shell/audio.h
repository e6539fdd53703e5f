// The audio output stream: plays one sound frame per emulated frame through a looping
// buffer of 12 frame slots, and paces the emulation by waiting for room in it.
//
// In: frames of 735 samples (44100 Hz, 16-bit, mono), one per emulated frame, or the
// hardware behaviour's 735 and 736. The sound card plays the buffer round and round. How far
// the writer runs ahead of the card is the sound latency the player chose:
// - Safe: a frame waits while the card is playing the slot's length after the frame's first
//   slot, so the writer stays 10 to 11 slots (about 170 ms) ahead and the card's clock sets
//   the frame rate: 60 per second for 735-sample frames, the console's 59.92 for the others,
//   every sample played just as it was made.
// - Low and Normal: a frame waits while more than a short lead (about 40 or 90 ms) is
//   queued. Each frame is resampled by a ratio within 0.5 % of 1, steered by how much is
//   queued, so that the queue holds its level although the card's clock and the display's
//   never quite agree. When the display paces the frames (vsync at 60 Hz) the queue is held
//   a little below the lead and the writer never waits; when the card does, it waits.
//
//     AudioSetLatency(SoundLatencyLow);  // before or after opening
//     AudioOpen();                    // no sound device is not a failure: it runs silent
//     each frame: sound = MakeSoundFrame(); AudioWriteFrame(sound, SoundFrameSamples());
//     on minimise, menus, dragging: AudioRestart();
//     after any of these: if (const char* text = AudioTakeError()) tell the user;
//
// An error closes the stream, and the program runs on without sound; the words for it wait
// in AudioTakeError for the caller, who owns the window to say them in.
//
// The slot logic lives in audio.cpp; the looping buffer is the platform layer's, declared at
// the end. That seam is at link time: the program links host/sdl/audio_device.cpp, the tests a
// fake.
#pragma once

#include <cstdint>

namespace plexaro {

inline constexpr uint32_t AudioSlotCount = 12;
inline constexpr uint32_t AudioFrameSamples = 735;
inline constexpr uint32_t AudioSlotBytes = AudioFrameSamples * 2;
inline constexpr uint32_t AudioBufferBytes = AudioSlotCount * AudioSlotBytes;  // 0.2 s
inline constexpr uint32_t AudioSampleRate = 44100;
inline constexpr uint32_t AudioMaxFrameSamples = 736;

enum SoundLatency : uint32_t { SoundLatencyLow, SoundLatencyNormal, SoundLatencySafe };
inline constexpr uint32_t SoundLatencyCount = 3;
// Each latency as the player meets it: its word in the settings file and in messages, its
// label in the menu, and the milliseconds it stands for (as --audio-latency gives them).
struct SoundLatencyChoice {
    const char* name;
    const char* label;
    uint32_t milliseconds;
};
inline constexpr SoundLatencyChoice SoundLatencies[SoundLatencyCount] = {
    {"low", "Low (45 ms)", 45},
    {"normal", "Normal (100 ms)", 100},
    {"safe", "Safe (200 ms)", 200},
};

// The behaviour nearest a latency in milliseconds: up to 75 Low, up to 150 Normal, else Safe.
SoundLatency SoundLatencyFromMilliseconds(uint32_t milliseconds);
const char* SoundLatencyName(SoundLatency latency);  // "low", "normal", "safe"
// Takes effect at once: an open stream is opened again with the device's buffer to match,
// and starts from silence. Low is the default.
void AudioSetLatency(SoundLatency latency);
SoundLatency AudioLatency();
// Who paces the frames in Low and Normal: the display's vsync (true), so that the writer
// should never wait, or the card (false, the default) through the writer's wait.
void AudioSetPacedByDisplay(bool byDisplay);

// Opens the stream on the sound device. Without a device nothing plays and the program runs
// silent: AudioPlaying() says which.
void AudioOpen();
// At most AudioMaxFrameSamples samples; a slot holds AudioFrameSamples.
void AudioWriteFrame(const int16_t* frame, uint32_t samples);
void AudioSilence();  // the whole buffer to zero; the write position stays
// Silence, and the next frame goes to slot 0 (Safe) or a lead's length after the card.
void AudioRestart();
void AudioClose();
bool AudioPlaying();  // a stream exists, so AudioWriteFrame's wait paces the caller

// What the stream measured since it was opened (or the figures were cleared).
struct AudioFigures {
    uint64_t frames;            // frames written
    double latencySum;          // milliseconds from a frame's write to its first sample heard
    float latencyMax;           // ..., counting the ring ahead of the card and its own buffer
    uint32_t fillMin, fillMax;  // bytes queued ahead of the card when a frame was written
    float ratioMin, ratioMax;   // the resampling ratio (1 in Safe)
    uint32_t underruns;         // the card ran out of written sound
    uint32_t overruns;          // the ring was full: a display-paced writer had to wait, or a
                                // frame was dropped because the card stopped taking sound
    uint32_t deviceSamples;     // the device's own buffer, in samples
    bool lastWriteWaited;       // the last frame waited for room
};
const AudioFigures& AudioStatistics();
void AudioClearStatistics();

// The name of a sound error code, "Unknown HRESULT" for codes without one.
const char* AudioErrorName(uint32_t code);
// The words for the error that closed the stream since the last call (the code's name, or
// the platform's text when the code has none), or null: each error is taken once. Also, once
// a run, a resampler that could not start: the latency is then Safe, which needs none.
const char* AudioTakeError();

// The platform layer: a looping 16-bit mono 44100 Hz buffer that starts playing at byte 0.
// Results are 0 on success or an error code.
// deviceSamples: the chunk the card should take at a time, in samples; set to what it takes.
bool AudioDeviceOpen(uint32_t bufferBytes, uint32_t& deviceSamples);  // false: no sound device
// The bytes played since the device opened; the byte being played is played % bufferBytes.
uint32_t AudioDevicePlayCursor(uint64_t& played);
// Copies count bytes to offset, wrapping at the buffer's end; null bytes write zeros.
uint32_t AudioDeviceWrite(uint32_t offset, const uint8_t* bytes, uint32_t count);
// Sleeps for `milliseconds`: the play cursor moves with time, so the caller knows how long.
void AudioDeviceWait(uint32_t milliseconds);
const char* AudioDeviceErrorText();  // the platform's words for the last error, or null
void AudioDeviceClose();

}  // namespace plexaro
