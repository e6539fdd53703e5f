// The audio output stream: plays one sound frame per emulated frame through a looping
// buffer of 12 frame slots, and paces the emulation by waiting for room in it.
//
// In: frames of 735 samples (44100 Hz, 16-bit, mono), one per emulated frame, or the
// hardware behaviour's 735 and 736. The sound card plays the buffer round and round; writing a
// frame waits while the card is playing the slot's length after the frame's first slot, so
// the writer stays 10 to 11 slots (about 170 ms) ahead of the card and the card's clock sets
// the frame rate: 60 per second for 735-sample frames, the console's 59.92 for the others,
// every sample played.
//
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

// Opens the stream on the sound device. Without a device nothing plays and the program runs
// silent: AudioPlaying() says which.
void AudioOpen();
// At most AudioMaxFrameSamples samples; a slot holds AudioFrameSamples.
void AudioWriteFrame(const int16_t* frame, uint32_t samples);
void AudioSilence();  // the whole buffer to zero; the write position stays
void AudioRestart();  // silence, and the next frame goes to slot 0
void AudioClose();
bool AudioPlaying();  // a stream exists, so AudioWriteFrame's wait paces the caller

// The name of a sound error code, "Unknown HRESULT" for codes without one.
const char* AudioErrorName(uint32_t code);
// The words for the error that closed the stream since the last call (the code's name, or
// the platform's text when the code has none), or null: each error is taken once.
const char* AudioTakeError();

// The platform layer: a looping 16-bit mono 44100 Hz buffer that starts playing at byte 0.
// Results are 0 on success or an error code.
bool AudioDeviceOpen(uint32_t bufferBytes);        // false: no sound device here
uint32_t AudioDevicePlayCursor(uint32_t& cursor);  // the byte being played, 0..bufferBytes-1
// Copies count bytes to offset, wrapping at the buffer's end; null bytes write zeros.
uint32_t AudioDeviceWrite(uint32_t offset, const uint8_t* bytes, uint32_t count);
// Sleeps for `milliseconds`: the play cursor moves with time, so the caller knows how long.
void AudioDeviceWait(uint32_t milliseconds);
const char* AudioDeviceErrorText();  // the platform's words for the last error, or null
void AudioDeviceClose();

}  // namespace plexaro
