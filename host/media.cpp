#include "host/media.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

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

// A complete file takes its real name; an incomplete one is removed.
bool Finish(bool complete, const std::string& temporary, const std::string& path) {
    if (complete && std::rename(temporary.c_str(), path.c_str()) == 0) return true;
    std::remove(temporary.c_str());
    return false;
}

bool Patch32(std::FILE* file, long offset, uint32_t value) {
    uint8_t bytes[4];
    Put32(bytes, value);
    return std::fseek(file, offset, SEEK_SET) == 0 && std::fwrite(bytes, 4, 1, file) == 1;
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

std::string TemporaryNameFor(const std::string& path) {
    return path + ".plexaro-" + std::to_string(::getpid()) + ".part";
}

bool WriteWholeFile(const std::string& path, const uint8_t* bytes, size_t count) {
    const std::string temporary = TemporaryNameFor(path);
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (file == nullptr) return false;
    bool written = std::fwrite(bytes, count, 1, file) == 1;
    written = std::fclose(file) == 0 && written;
    return Finish(written, temporary, path);
}

bool ReadWholeFile(const std::string& path, size_t limit, std::vector<uint8_t>& bytes) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return false;
    const uintmax_t size = std::filesystem::file_size(path, error);
    if (error || size > limit) return false;
    std::ifstream file(path, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return static_cast<bool>(file) || file.eof();
}

bool WritePng(const char* path, const uint16_t* pixels, uint32_t rowStride, uint32_t rgbMode) {
    std::vector<uint8_t> rgb(VdpScreenWidth * VdpVisibleLines * 3);
    FrameToRgb(pixels, rowStride, rgbMode, rgb.data());
    return WriteRgbPng(path, rgb.data());
}

bool WriteRgbPng(const char* path, const uint8_t* rgb) {
    const std::string temporary = TemporaryNameFor(path);
    const bool written = stbi_write_png(temporary.c_str(), VdpScreenWidth, VdpVisibleLines, 3, rgb,
                                        VdpScreenWidth * 3) != 0;
    return Finish(written, temporary, path);
}

WavFile OpenWav(const char* path) {
    WavFile wav{nullptr, 0, false, path, TemporaryNameFor(path)};
    wav.file = std::fopen(wav.temporary.c_str(), "wb");
    if (wav.file == nullptr) return wav;
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
    wav.failed = std::fwrite(header, sizeof header, 1, wav.file) != 1;
    return wav;
}

void AppendWav(WavFile& wav, const int16_t* samples, size_t count) {
    if (wav.file == nullptr || wav.failed || count == 0) return;
    uint8_t bytes[SamplesPerFrame * BytesPerSample];
    while (count > 0) {
        const size_t chunk = count < SamplesPerFrame ? count : SamplesPerFrame;
        for (size_t i = 0; i < chunk; ++i) Put16(bytes + i * 2, static_cast<uint16_t>(samples[i]));
        if (std::fwrite(bytes, chunk * BytesPerSample, 1, wav.file) != 1) wav.failed = true;
        wav.samples += chunk;
        samples += chunk;
        count -= chunk;
    }
}

bool CloseWav(WavFile& wav) {
    if (wav.file == nullptr) return false;
    const uint64_t dataBytes = wav.samples * BytesPerSample;
    bool ok = !wav.failed && dataBytes + WavHeaderSize - 8 <= UINT32_MAX;
    if (ok) {
        const auto data = static_cast<uint32_t>(dataBytes);
        ok = Patch32(wav.file, RiffSizeOffset, data + WavHeaderSize - 8) &&
             Patch32(wav.file, DataSizeOffset, data);
    }
    ok = std::fclose(wav.file) == 0 && ok;
    wav.file = nullptr;
    return Finish(ok, wav.temporary, wav.path);
}

}  // namespace plexaro
