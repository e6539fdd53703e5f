// What the headless player writes and prints: PNG screenshots, WAV sound, and FNV-1a 64
// hashes (machine/hash.h) of frames and sound. Pixels are the machine's 16-bit RGB 565 or
// 555 values.
//
//     WavFile wav = OpenWav("run.wav");
//     for each frame: AppendWav(wav, MakeSoundFrame(), SoundFrameSamples());
//     bool ok = CloseWav(wav);
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "host/os/os.h"
#include "machine/hash.h"
#include "video/vdp.h"

namespace plexaro {

// The 256x192 picture, row by row, each pixel as two little-endian bytes.
uint64_t HashFrame(uint64_t hash, const uint16_t* pixels, uint32_t rowStride);
// Samples as two little-endian bytes each; chain the calls over a whole run.
uint64_t HashSamples(uint64_t hash, const int16_t* samples, size_t count);

// 8-bit RGB triples of the 256x192 picture (rgb holds 256 * 192 * 3 bytes), each pixel as
// PixelToRgb gives it back. rgbMode: 1 for RGB 565, 0 for RGB 555.
void FrameToRgb(const uint16_t* pixels, uint32_t rowStride, uint32_t rgbMode, uint8_t* rgb);
// Each returns why the file could not be written, or an empty string.
std::string WritePng(const std::string& path, const uint16_t* pixels, uint32_t rowStride,
                     uint32_t rgbMode);
std::string WriteRgbPng(const std::string& path, const uint8_t* rgb);  // as FrameToRgb gives

// A 44100 Hz, 16-bit, mono PCM WAV file, written as it goes; the sizes in its header are
// filled in by CloseWav. A write failure is remembered and reported by CloseWav. Like every
// file the player writes, it takes its name only once complete (host/os/os.h), so a run that is
// interrupted never leaves half a file where the user looks.
struct WavFile {
    FileReplacement out;
    uint64_t samples;
    bool failed;
    std::string problem;  // why it could not be created or written, in words
};
// Reads a whole regular file of at most `limit` bytes; false for anything else.
bool ReadWholeFile(const std::string& path, size_t limit, std::vector<uint8_t>& bytes);

WavFile OpenWav(const char* path);  // out.file is null if it can't be created
void AppendWav(WavFile& wav, const int16_t* samples, size_t count);
bool CloseWav(WavFile& wav);  // false if anything failed on the way, with wav.problem

}  // namespace plexaro
