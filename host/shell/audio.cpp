// The audio stream's slot ring: which slot a frame goes to, when to wait, the rate control
// of the short latencies, silencing, and the words for an error. The looping buffer itself
// belongs to the platform layer, and the box that shows an error to the shell.
#include "host/shell/audio.h"

#include <samplerate.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace plexaro {
namespace {

// A device that stops playing would otherwise hold the whole program in the wait: after
// this long without the play cursor moving, the frame is dropped instead.
constexpr uint32_t StallMilliseconds = 250;
constexpr uint32_t BytesPerMillisecond = AudioSampleRate * 2 / 1000;  // 88.2, rounded down
constexpr double ExactBytesPerMillisecond = AudioSampleRate * 2 / 1000.0;

// The rate control: a frame's samples are stretched or squeezed by at most this much, which
// no ear hears as pitch, and is more than the worst pair of clocks needs (a display 0.17 %
// off 60 Hz against a card 0.05 % off).
constexpr double MaxDeviation = 0.005;
// The deviation per slot (a frame's length) that the queue stands off its target: the full
// deviation at one slot off. Paced by the display, a slow integral takes over the steady
// part, which is the ratio of the two clocks, so the queue settles on its target instead of
// standing off it; gains for a critically damped loop of about seven seconds.
constexpr double ProportionalGain = MaxDeviation;
constexpr double IntegralGain = ProportionalGain * ProportionalGain / 4;
// Paced by the card, how far (in slots) the queue may fall short before it is steered.
constexpr double CardDeadBand = 0.5;
// At most a frame's samples stretched by the deviation, and the resampler's own delay line.
constexpr uint32_t MaxOutputSamples = 1024;

struct LatencyShape {
    uint32_t deviceSamples;    // the chunk the card is asked to take at a time
    double totalMilliseconds;  // the ring's lead plus the card's chunk, waited for
    double displayBelow;       // paced by the display, the queue's target stands this lower
};

// Low stays under 50 ms from a frame's write to its first sample heard, with 12 ms of room
// under the lead for the display's pace to wobble in; Normal is the common 100 ms.
// Safe keeps the card's chunk of the first versions and none of the rest: it is the whole
// ring, as it always was.
constexpr LatencyShape Shapes[] = {
    {256, SoundLatencies[SoundLatencyLow].milliseconds, 12},
    {512, SoundLatencies[SoundLatencyNormal].milliseconds, 20},
    {1024, 0, 0},  // Safe
};

struct AudioStream {
    bool open;
    uint32_t writeOffset;    // Safe: byte where the next frame starts; on a slot's start while
                             // frames are 735 samples, anywhere once longer ones have come
    uint64_t writePos;       // Low, Normal: where the next frame goes, in the card's count
    uint64_t waitAbove;      // a frame waits while more than this is queued ahead of the card
    uint64_t displayTarget;  // the queue to hold when the display paces
    uint32_t deviceBytes;
    bool started;  // a frame was written since the last restart: the card may run dry now
    double ratio;
    double integral;
    SRC_STATE* resampler;
};

AudioStream stream = {};
SoundLatency latency = SoundLatencyLow;
bool pacedByDisplay = false;
AudioFigures figures = {};

// Kept apart from the stream, which an error closes (and clears).
struct PendingError {
    bool waiting;
    char text[256];
};

PendingError pendingError = {};
bool resamplerFailureSaid = false;  // once a run: it would fail the same way at every open

// The resampler's buffers, made once and used by every frame.
struct ResampleBuffers {
    float in[AudioMaxFrameSamples];
    float out[MaxOutputSamples];
    int16_t samples[MaxOutputSamples];
};
ResampleBuffers buffers;

struct ErrorName {
    uint32_t code;
    const char* name;
};

// The names a sound system of the first version's platform gives these codes; messages keep
// them so that they read as they always have.
constexpr ErrorName ErrorNames[] = {
    {0x8878000A, "DSERR_ALLOCATED"},
    {0x8878001E, "DSERR_CONTROLUNAVAIL"},
    {0x80070057, "DSERR_INVALIDPARAM"},
    {0x88780032, "DSERR_INVALIDCALL"},
    {0x80004005, "DSERR_GENERIC"},
    {0x88780046, "DSERR_PRIOLEVELNEEDED"},
    {0x8007000E, "DSERR_OUTOFMEMORY"},
    {0x88780064, "DSERR_BADFORMAT"},
    {0x80004001, "DSERR_UNSUPPORTED"},
    {0x88780078, "DSERR_NODRIVER"},
    {0x88780082, "DSERR_ALREADYINITIALIZED"},
    {0x80040110, "DSERR_NOAGGREGATION"},
    {0x88780096, "DSERR_BUFFERLOST"},
    {0x887800A0, "DSERR_OTHERAPPHASPRIO"},
    {0x887800AA, "DSERR_UNINITIALIZED"},
};

// Keeps the words for the error, then closes the stream: the program runs on without sound.
void Fail(uint32_t code) {
    const char* name = AudioErrorName(code);
    const char* platformText = AudioDeviceErrorText();
    const bool named = std::strcmp(name, "Unknown HRESULT") != 0;
    const char* text = named || platformText == nullptr || *platformText == 0 ? name : platformText;
    std::snprintf(pendingError.text, sizeof pendingError.text, "%s", text);
    pendingError.waiting = true;
    AudioClose();
}

bool Cursor(uint64_t& played) {
    if (const uint32_t code = AudioDevicePlayCursor(played)) {
        Fail(code);
        return false;
    }
    return true;
}

uint64_t EvenBytes(double milliseconds) {
    const auto bytes =
        static_cast<uint64_t>(std::max(milliseconds, 0.0) * ExactBytesPerMillisecond);
    return bytes & ~uint64_t{1};
}

uint64_t Target() {
    return pacedByDisplay ? stream.displayTarget : stream.waitAbove;
}

void Measure(uint64_t fill, double ratio, bool waited) {
    const auto queued = static_cast<uint32_t>(std::min<uint64_t>(fill, UINT32_MAX));
    const double milliseconds =
        (static_cast<double>(fill) + stream.deviceBytes) / ExactBytesPerMillisecond;
    if (figures.frames == 0) {
        figures.fillMin = figures.fillMax = queued;
        figures.ratioMin = figures.ratioMax = static_cast<float>(ratio);
    }
    ++figures.frames;
    figures.latencySum += milliseconds;
    figures.latencyMax = std::max(figures.latencyMax, static_cast<float>(milliseconds));
    figures.fillMin = std::min(figures.fillMin, queued);
    figures.fillMax = std::max(figures.fillMax, queued);
    figures.ratioMin = std::min(figures.ratioMin, static_cast<float>(ratio));
    figures.ratioMax = std::max(figures.ratioMax, static_cast<float>(ratio));
    figures.lastWriteWaited = waited;
}

// Safe: the slot rule measured from wherever the frame starts: while the card plays the
// slot's length after the frame's first slot, the writer is a whole ring ahead. A frame
// longer than a slot (the console's 736 samples) moves the start off the slot boundaries, and
// the card's clock then paces the frames at their own rate, with every sample heard.
void WriteWholeRing(const int16_t* frame, uint32_t samples) {
    const uint32_t from = stream.writeOffset;
    uint64_t lastPlayed = 0;
    uint32_t stalled = 0;
    bool waited = false;
    uint32_t ahead = 0;
    for (;;) {
        uint64_t played = 0;
        if (!Cursor(played)) return;
        const auto cursor = static_cast<uint32_t>(played % AudioBufferBytes);
        ahead = (cursor + AudioBufferBytes - from) % AudioBufferBytes;
        if (ahead < AudioSlotBytes || ahead >= 2 * AudioSlotBytes) break;
        // Sleep about as long as the card takes to leave that stretch, so a frame costs one or
        // two wake-ups rather than one per millisecond.
        const uint32_t left = 2 * AudioSlotBytes - ahead;
        const uint32_t wait = left / BytesPerMillisecond + 1;
        stalled = played == lastPlayed ? stalled + wait : 0;
        if (stalled >= StallMilliseconds) {
            ++figures.overruns;
            return;
        }
        lastPlayed = played;
        waited = true;
        AudioDeviceWait(wait);
    }
    const auto* bytes = reinterpret_cast<const uint8_t*>(frame);
    const uint32_t count = std::min(samples, AudioMaxFrameSamples) * 2;
    if (const uint32_t code = AudioDeviceWrite(from, bytes, count)) {
        Fail(code);
        return;
    }
    Measure((AudioBufferBytes - ahead) % AudioBufferBytes, 1.0, waited);
    stream.writeOffset = (from + count) % AudioBufferBytes;
}

// How much to stretch the next frame, from how far the queue stands off its target.
double Steer(uint64_t fill) {
    double error = (static_cast<double>(Target()) - static_cast<double>(fill)) / AudioSlotBytes;
    // Paced by the card, the wait holds the queue at its target and the ratio at 1: a frame
    // a little late is caught up by the next one's shorter wait, and stretching it would only
    // slow the game. Only a queue well below its target (a display that holds the loop back)
    // is steered, and with no integral, which would learn the odd late frame.
    if (!pacedByDisplay) error = std::max(0.0, error - CardDeadBand);
    double correction = ProportionalGain * error;
    if (pacedByDisplay) {
        stream.integral =
            std::clamp(stream.integral + IntegralGain * error, -MaxDeviation, MaxDeviation);
        correction += stream.integral;
    }
    return 1 + std::clamp(correction, -MaxDeviation, MaxDeviation);
}

// The frame's samples stretched by the ratio, into buffers.samples; returns how many.
uint32_t Resample(const int16_t* frame, uint32_t samples, double ratio) {
    samples = std::min(samples, AudioMaxFrameSamples);
    src_short_to_float_array(frame, buffers.in, static_cast<int>(samples));
    SRC_DATA data{};
    data.data_in = buffers.in;
    data.input_frames = samples;
    data.data_out = buffers.out;
    data.output_frames = MaxOutputSamples;
    data.src_ratio = ratio;
    if (stream.resampler == nullptr || src_process(stream.resampler, &data) != 0) {
        // Never seen; the frame is then heard as it came rather than lost.
        std::memcpy(buffers.samples, frame, samples * sizeof(int16_t));
        return samples;
    }
    src_float_to_short_array(buffers.out, buffers.samples,
                             static_cast<int>(data.output_frames_gen));
    return static_cast<uint32_t>(data.output_frames_gen);
}

// Low and Normal: the queue ahead of the card is held near its target by the ratio, and kept
// under the lead by the wait. Behind what is written the ring is kept silent, so a card that
// runs dry plays silence rather than the ring's last round again.
void WriteSteered(const int16_t* frame, uint32_t samples) {
    uint64_t played = 0;
    if (!Cursor(played)) return;
    uint64_t lastPlayed = played;
    uint32_t stalled = 0;
    bool waited = false;
    bool fresh = !stream.started;
    for (;;) {
        // The first frame since the start goes a target's length ahead of the card, over the
        // silence; so does one that finds the card has taken, or is about to take, what was
        // never written (the program was held up, or a wait overslept).
        if (fresh || played + stream.deviceBytes > stream.writePos) {
            if (!fresh) ++figures.underruns;
            stream.writePos = played + Target();
            fresh = false;
        }
        const uint64_t fill = stream.writePos - played;
        if (fill <= stream.waitAbove) break;
        const uint32_t wait =
            static_cast<uint32_t>((fill - stream.waitAbove) / BytesPerMillisecond) + 1;
        if (waited) stalled = played == lastPlayed ? stalled + wait : 0;
        if (stalled >= StallMilliseconds) {
            ++figures.overruns;
            return;
        }
        lastPlayed = played;
        waited = true;
        AudioDeviceWait(wait);
        if (!Cursor(played)) return;
    }
    if (waited && pacedByDisplay) ++figures.overruns;
    const uint64_t fill = stream.writePos - played;
    stream.ratio = Steer(fill);
    const uint32_t count = Resample(frame, samples, stream.ratio) * 2;
    const auto at = static_cast<uint32_t>(stream.writePos % AudioBufferBytes);
    uint32_t code = AudioDeviceWrite(at, reinterpret_cast<const uint8_t*>(buffers.samples), count);
    stream.writePos += count;
    // Silence up to two chunks behind the card: the card may already hold the chunk after
    // the one it plays.
    const uint64_t silentTo = played + AudioBufferBytes - 2 * uint64_t{stream.deviceBytes};
    if (code == 0 && silentTo > stream.writePos) {
        code = AudioDeviceWrite(static_cast<uint32_t>(stream.writePos % AudioBufferBytes), nullptr,
                                static_cast<uint32_t>(silentTo - stream.writePos));
    }
    if (code != 0) {
        Fail(code);
        return;
    }
    stream.started = true;
    Measure(fill, stream.ratio, waited);
}

}  // namespace

SoundLatency SoundLatencyFromMilliseconds(uint32_t milliseconds) {
    if (milliseconds <= 75) return SoundLatencyLow;
    return milliseconds <= 150 ? SoundLatencyNormal : SoundLatencySafe;
}

const char* SoundLatencyName(SoundLatency which) {
    return SoundLatencies[which < SoundLatencyCount ? which : SoundLatencyLow].name;
}

void AudioSetLatency(SoundLatency which) {
    if (which >= SoundLatencyCount) which = SoundLatencyLow;
    const bool reopen = stream.open && which != latency;
    latency = which;
    if (!reopen) return;
    AudioClose();
    AudioOpen();
}

SoundLatency AudioLatency() {
    return latency;
}

void AudioSetPacedByDisplay(bool byDisplay) {
    if (byDisplay == pacedByDisplay) return;
    pacedByDisplay = byDisplay;
    // What the integral learnt was the other pace's.
    stream.integral = 0;
}

void AudioOpen() {
    if (stream.open) AudioClose();
    SRC_STATE* resampler = nullptr;
    if (latency != SoundLatencySafe) {
        int error = 0;
        resampler = src_new(SRC_SINC_FASTEST, 1, &error);
        // Without it the rate control can't stretch a frame: Safe, which needs none, rather
        // than a queue that drifts with nothing to steer it.
        if (resampler == nullptr) {
            if (!resamplerFailureSaid) {
                std::snprintf(pendingError.text, sizeof pendingError.text,
                              "The resampler could not start (%s): the sound plays with the "
                              "Safe latency instead.",
                              src_strerror(error));
                pendingError.waiting = true;
                resamplerFailureSaid = true;
            }
            latency = SoundLatencySafe;
        }
    }
    const LatencyShape& shape = Shapes[latency];
    uint32_t deviceSamples = shape.deviceSamples;
    stream.open = AudioDeviceOpen(AudioBufferBytes, deviceSamples);
    if (!stream.open) {
        if (resampler != nullptr) src_delete(resampler);
        return;
    }
    stream.resampler = resampler;
    stream.deviceBytes = deviceSamples * 2;
    figures.deviceSamples = deviceSamples;
    const double deviceMilliseconds = deviceSamples * 1000.0 / AudioSampleRate;
    // A card that insists on a long chunk of its own stretches the latency rather than run dry.
    stream.waitAbove = std::max<uint64_t>(EvenBytes(shape.totalMilliseconds - deviceMilliseconds),
                                          stream.deviceBytes + AudioSlotBytes);
    stream.displayTarget = std::max<uint64_t>(
        EvenBytes(shape.totalMilliseconds - deviceMilliseconds - shape.displayBelow),
        stream.deviceBytes + AudioSlotBytes / 2);
    stream.ratio = 1;
    stream.integral = 0;
    stream.started = false;  // the card starts on silence
}

bool AudioPlaying() {
    return stream.open;
}

void AudioWriteFrame(const int16_t* frame, uint32_t samples) {
    if (!stream.open) return;
    if (latency == SoundLatencySafe) {
        WriteWholeRing(frame, samples);
    } else {
        WriteSteered(frame, samples);
    }
}

void AudioSilence() {
    if (!stream.open) return;
    uint64_t played = 0;
    if (!Cursor(played)) return;
    const auto cursor = static_cast<uint32_t>(played % AudioBufferBytes);
    if (const uint32_t code = AudioDeviceWrite(cursor, nullptr, AudioBufferBytes)) Fail(code);
}

void AudioRestart() {
    if (!stream.open) return;
    AudioSilence();
    if (!stream.open) return;
    stream.writeOffset = 0;
    stream.started = false;
    if (stream.resampler != nullptr) src_reset(stream.resampler);
}

void AudioClose() {
    if (stream.open) AudioDeviceClose();
    if (stream.resampler != nullptr) src_delete(stream.resampler);
    stream = {};
}

const AudioFigures& AudioStatistics() {
    return figures;
}

void AudioClearStatistics() {
    const uint32_t deviceSamples = figures.deviceSamples;
    figures = {};
    figures.deviceSamples = deviceSamples;
}

const char* AudioErrorName(uint32_t code) {
    for (const ErrorName& entry : ErrorNames) {
        if (entry.code == code) return entry.name;
    }
    return "Unknown HRESULT";
}

const char* AudioTakeError() {
    if (!pendingError.waiting) return nullptr;
    pendingError.waiting = false;
    return pendingError.text;
}

}  // namespace plexaro
