// Tapes as WAV files, read and written.
#include "host/tape.h"

#include "machine/cassette.h"
#include "machine/hash.h"

namespace plexaro {
namespace {

uint32_t Get16(const uint8_t* p) {
    return p[0] | uint32_t{p[1]} << 8;
}

uint32_t Get32(const uint8_t* p) {
    return Get16(p) | Get16(p + 2) << 16;
}

constexpr uint32_t PcmFormat = 1;
constexpr uint32_t ExtensibleFormat = 0xFFFE;  // its sub-format's first two bytes say PCM
constexpr size_t ChunkHeaderSize = 8;
constexpr size_t LeastFormatSize = 16;

}  // namespace

std::string DecodeWav(const uint8_t* bytes, size_t size, TapeSound& sound) {
    if (size == 0) return "the file is empty";
    if (size < 12 || Get32(bytes) != Get32(reinterpret_cast<const uint8_t*>("RIFF")) ||
        Get32(bytes + 8) != Get32(reinterpret_cast<const uint8_t*>("WAVE"))) {
        return "not a WAV file";
    }
    const uint8_t* format = nullptr;
    const uint8_t* data = nullptr;
    size_t dataSize = 0;
    for (size_t at = 12; at + ChunkHeaderSize <= size;) {
        const uint8_t* chunk = bytes + at;
        const size_t length = Get32(chunk + 4);
        const size_t room = size - at - ChunkHeaderSize;
        if (Get32(chunk) == Get32(reinterpret_cast<const uint8_t*>("fmt "))) {
            if (length < LeastFormatSize || length > room) return "its format chunk is damaged";
            format = chunk + ChunkHeaderSize;
        } else if (Get32(chunk) == Get32(reinterpret_cast<const uint8_t*>("data"))) {
            data = chunk + ChunkHeaderSize;
            dataSize = length < room ? length : room;  // a recording cut short still plays
            break;
        }
        if (length > room) break;
        at += ChunkHeaderSize + length + (length & 1);  // chunks are padded to even sizes
    }
    if (format == nullptr) return "it has no format chunk";
    if (data == nullptr) return "it has no sound data";
    const uint32_t kind = Get16(format);
    const uint32_t channels = Get16(format + 2);
    const uint32_t rate = Get32(format + 4);
    const uint32_t bits = Get16(format + 14);
    const bool pcm = kind == PcmFormat || (kind == ExtensibleFormat && Get16(format - 4) >= 40 &&
                                           Get16(format + 24) == PcmFormat);
    if (!pcm) return "its sound is compressed (only PCM samples play)";
    if (channels != 1 && channels != 2) return "it has neither one channel nor two";
    if (bits != 8 && bits != 16) return "its samples are neither 8 nor 16 bits";
    if (rate < CassetteLowestRate || rate > CassetteHighestRate) {
        return "its sample rate of " + std::to_string(rate) + " Hz is out of range";
    }
    const size_t frameBytes = channels * bits / 8;
    const size_t frames = dataSize / frameBytes;
    if (frames == 0) return "it holds no sound";
    sound.rate = rate;
    sound.samples.resize(frames);
    for (size_t i = 0; i < frames; ++i) {
        int32_t sum = 0;
        for (uint32_t c = 0; c < channels; ++c) {
            const uint8_t* p = data + i * frameBytes + c * bits / 8;
            sum += bits == 8 ? (int32_t{p[0]} - 128) * 256 : static_cast<int16_t>(Get16(p));
        }
        sound.samples[i] = static_cast<int16_t>(sum / static_cast<int32_t>(channels));
    }
    sound.hash = Fnv1a64(FnvOffsetBasis, bytes, size);
    return "";
}

std::string ReadTapeFile(const std::string& path, TapeSound& sound) {
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(path, TapeFileLimit, bytes)) return "the file can't be read";
    if (std::string why = DecodeWav(bytes.data(), bytes.size(), sound); !why.empty()) return why;
    const size_t slash = path.find_last_of("/\\");
    sound.name = slash == std::string::npos ? path : path.substr(slash + 1);
    return "";
}

std::string InsertTape(const TapeSound& sound) {
    const char* why = CassetteInsert(sound.samples.data(), sound.samples.size(), sound.rate,
                                     sound.name.c_str(), sound.hash);
    return why != nullptr ? why : "";
}

bool StartTapeRecording(const std::string& path, TapeRecording& recording) {
    recording.wav = OpenWav(path.c_str());
    recording.active = recording.wav.out.file != nullptr;
    if (recording.active) CassetteRecord();
    return recording.active;
}

void KeepTapeRecording(TapeRecording& recording) {
    if (!recording.active) return;
    const int16_t* samples = nullptr;
    const size_t count = CassetteTakeRecording(&samples);
    AppendWav(recording.wav, samples, count);
}

bool FinishTapeRecording(TapeRecording& recording) {
    if (!recording.active) return false;
    CassetteStop();
    KeepTapeRecording(recording);
    recording.active = false;
    return CloseWav(recording.wav);
}

}  // namespace plexaro
