// The player's files (PNG, WAV) and hashes; every file is put in place whole by the OS room.
#include "host/media.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "host/os/os.h"
#include "machine/machine.h"

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>
#pragma GCC diagnostic pop

namespace plexaro {
namespace {

constexpr uint32_t WavHeaderSize = 44;
constexpr uint32_t BytesPerSample = 2;
constexpr uint32_t RiffSizeOffset = 4;  // bytes after this field: 36 + data
constexpr uint32_t DataSizeOffset = 40;

void Put16(uint8_t* at, uint32_t value) {
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
}

void Put32(uint8_t* at, uint32_t value) {
    Put16(at, value);
    Put16(at + 2, value >> 16);
}

bool Patch32(std::FILE* file, long offset, uint32_t value) {
    uint8_t bytes[4];
    Put32(bytes, value);
    return std::fseek(file, offset, SEEK_SET) == 0 && std::fwrite(bytes, 4, 1, file) == 1;
}

// The first write that failed says why; the file is then given up.
void Failed(WavFile& wav) {
    if (!wav.failed) wav.problem = std::strerror(errno);
    wav.failed = true;
}

}  // namespace

uint64_t HashFrame(uint64_t hash, const uint16_t* pixels, uint32_t rowStride) {
    for (uint32_t y = 0; y < VdpVisibleLines; ++y) {
        const uint16_t* row = pixels + static_cast<size_t>(y) * rowStride;
        for (uint32_t x = 0; x < VdpScreenWidth; ++x) {
            const uint8_t bytes[2] = {static_cast<uint8_t>(row[x]),
                                      static_cast<uint8_t>(row[x] >> 8)};
            hash = Fnv1a64(hash, bytes, 2);
        }
    }
    return hash;
}

uint64_t HashSamples(uint64_t hash, const int16_t* samples, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        const auto value = static_cast<uint16_t>(samples[i]);
        const uint8_t bytes[2] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8)};
        hash = Fnv1a64(hash, bytes, 2);
    }
    return hash;
}

void FrameToRgb(const uint16_t* pixels, uint32_t rowStride, uint32_t rgbMode, uint8_t* rgb) {
    for (uint32_t y = 0; y < VdpVisibleLines; ++y) {
        const uint16_t* row = pixels + static_cast<size_t>(y) * rowStride;
        for (uint32_t x = 0; x < VdpScreenWidth; ++x, rgb += 3) {
            PixelToRgb(row[x], rgbMode, rgb);
        }
    }
}

bool ReadWholeFile(const std::string& path, size_t limit, std::vector<uint8_t>& bytes) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(PathOf(path), error)) return false;
    const uintmax_t size = std::filesystem::file_size(PathOf(path), error);
    if (error || size > limit) return false;
    std::ifstream file(PathOf(path), std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return static_cast<bool>(file) || file.eof();
}

std::string WritePng(const std::string& path, const uint16_t* pixels, uint32_t rowStride,
                     uint32_t rgbMode) {
    std::vector<uint8_t> rgb(VdpScreenWidth * VdpVisibleLines * 3);
    FrameToRgb(pixels, rowStride, rgbMode, rgb.data());
    return WriteRgbPng(path, rgb.data());
}

std::string WriteRgbPng(const std::string& path, const uint8_t* rgb) {
    // Encoded in memory, so that the file is written and put in place in one step.
    std::vector<uint8_t> png;
    const auto append = [](void* context, void* data, int size) {
        auto& out = *static_cast<std::vector<uint8_t>*>(context);
        const auto* bytes = static_cast<const uint8_t*>(data);
        out.insert(out.end(), bytes, bytes + size);
    };
    if (stbi_write_png_to_func(append, &png, VdpScreenWidth, VdpVisibleLines, 3, rgb,
                               VdpScreenWidth * 3) == 0) {
        return "the picture could not be encoded";
    }
    return ReplaceWholeFile(path, png.data(), png.size());
}

WavFile OpenWav(const char* path) {
    WavFile wav{};
    wav.problem = BeginReplacement(path, wav.out);
    if (wav.out.file == nullptr) return wav;
    uint8_t header[WavHeaderSize] = {'R', 'I', 'F', 'F', 0,   0,   0,   0, 'W', 'A', 'V',
                                     'E', 'f', 'm', 't', ' ', 0,   0,   0, 0,   0,   0,
                                     0,   0,   0,   0,   0,   0,   0,   0, 0,   0,   0,
                                     0,   0,   0,   'd', 'a', 't', 'a', 0, 0,   0,   0};
    Put32(header + 16, 16);  // fmt chunk size
    Put16(header + 20, 1);   // PCM
    Put16(header + 22, 1);   // mono
    Put32(header + 24, SampleRate);
    Put32(header + 28, SampleRate * BytesPerSample);
    Put16(header + 32, BytesPerSample);
    Put16(header + 34, 16);  // bits per sample
    if (std::fwrite(header, sizeof header, 1, wav.out.file) != 1) Failed(wav);
    return wav;
}

void AppendWav(WavFile& wav, const int16_t* samples, size_t count) {
    if (wav.out.file == nullptr || wav.failed || count == 0) return;
    uint8_t bytes[SamplesPerFrame * BytesPerSample];
    while (count > 0) {
        const size_t chunk = count < SamplesPerFrame ? count : SamplesPerFrame;
        for (size_t i = 0; i < chunk; ++i) Put16(bytes + i * 2, static_cast<uint16_t>(samples[i]));
        if (std::fwrite(bytes, chunk * BytesPerSample, 1, wav.out.file) != 1) Failed(wav);
        wav.samples += chunk;
        samples += chunk;
        count -= chunk;
    }
}

bool CloseWav(WavFile& wav) {
    if (wav.out.file == nullptr) return false;
    const uint64_t dataBytes = wav.samples * BytesPerSample;
    bool ok = !wav.failed;
    if (ok && dataBytes + WavHeaderSize - 8 > UINT32_MAX) {
        ok = false;
        wav.problem = "longer than a WAV file can be";
    }
    if (ok) {
        const auto data = static_cast<uint32_t>(dataBytes);
        ok = Patch32(wav.out.file, RiffSizeOffset, data + WavHeaderSize - 8) &&
             Patch32(wav.out.file, DataSizeOffset, data);
    }
    if (!ok && wav.problem.empty()) wav.problem = std::strerror(errno);  // the header's patch
    const std::string finished = FinishReplacement(wav.out, ok);
    if (ok && !finished.empty()) wav.problem = finished;
    return ok && finished.empty();
}

}  // namespace plexaro
