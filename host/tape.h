// Tapes as files: a WAV recording read into the samples the cassette recorder plays
// (machine/cassette.h), and what the machine records written out as a WAV file.
//
//     TapeSound sound;
//     if (std::string why = ReadTapeFile(path, sound); !why.empty()) refuse(path + ": " + why);
//     InsertTape(sound);                    // into the machine's recorder
//
//     TapeRecording rec;
//     StartTapeRecording(path, rec);       // rec.wav.problem says why not
//     each frame: KeepTapeRecording(rec);
//     FinishTapeRecording(rec);            // false, with rec.wav.problem, if it failed
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "host/media.h"

namespace plexaro {

inline constexpr size_t TapeFileLimit = size_t{256} << 20;  // an hour of CD-quality stereo

// A tape's sound as mono 16-bit samples (a stereo file's two channels averaged).
struct TapeSound {
    uint32_t rate;
    std::vector<int16_t> samples;
    std::string name;  // the file's name, without its folder
    uint64_t hash;     // FNV-1a 64 of the file's bytes
};

// A RIFF WAVE file of PCM samples: 8 bits (unsigned) or 16 bits (signed), one or two
// channels, CassetteLowestRate to CassetteHighestRate. Returns why not in words, or "".
std::string DecodeWav(const uint8_t* bytes, size_t size, TapeSound& sound);
std::string ReadTapeFile(const std::string& path, TapeSound& sound);
// Into the machine's recorder, wound to its start; why not, or "".
std::string InsertTape(const TapeSound& sound);

// The machine's recording on its way to a WAV file (44100 Hz, 16-bit mono), which takes its
// name only once finished.
struct TapeRecording {
    WavFile wav;
    bool active;
};
// Starts the machine's recorder too; false (nothing started) when the file can't be made.
bool StartTapeRecording(const std::string& path, TapeRecording& recording);
void KeepTapeRecording(TapeRecording& recording);    // after each frame
bool FinishTapeRecording(TapeRecording& recording);  // stops the machine's recorder

}  // namespace plexaro
