// The audio stream's slot ring: which slot a frame goes to, when to wait, silencing, and
// the words for an error. The looping buffer itself belongs to the platform layer, and the
// box that shows an error to the shell.
#include "host/shell/audio.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace plexaro {
namespace {

// A device that stops playing would otherwise hold the whole program in the wait: after
// this long without the play cursor moving, the frame is dropped instead.
constexpr uint32_t StallMilliseconds = 250;
constexpr uint32_t BytesPerMillisecond = AudioSampleRate * 2 / 1000;  // 88.2, rounded down

struct AudioStream {
    bool open;
    uint32_t writeOffset;  // byte where the next frame starts; on a slot's start while frames
                           // are 735 samples, anywhere once longer ones have come
};

AudioStream stream = {};

// Kept apart from the stream, which an error closes (and clears).
struct PendingError {
    bool waiting;
    char text[256];
};

PendingError pendingError = {};

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

}  // namespace

void AudioOpen() {
    stream.writeOffset = 0;
    stream.open = AudioDeviceOpen(AudioBufferBytes);
}

bool AudioPlaying() {
    return stream.open;
}

void AudioWriteFrame(const int16_t* frame, uint32_t samples) {
    if (!stream.open) return;
    // The wait is the slot rule measured from wherever the frame starts: while the card plays
    // the slot's length after the frame's first slot, the writer is a whole ring ahead. A frame
    // longer than a slot (the console's 736 samples) moves the start off the slot boundaries,
    // and the card's clock then paces the frames at their own rate, with every sample heard.
    const uint32_t from = stream.writeOffset;
    uint32_t lastCursor = 0;
    uint32_t stalled = 0;
    for (;;) {
        uint32_t cursor = 0;
        if (const uint32_t code = AudioDevicePlayCursor(cursor)) {
            Fail(code);
            return;
        }
        const uint32_t ahead = (cursor + AudioBufferBytes - from) % AudioBufferBytes;
        if (ahead < AudioSlotBytes || ahead >= 2 * AudioSlotBytes) break;
        // Sleep about as long as the card takes to leave that stretch, so a frame costs one or
        // two wake-ups rather than one per millisecond.
        const uint32_t left = 2 * AudioSlotBytes - ahead;
        const uint32_t wait = left / BytesPerMillisecond + 1;
        stalled = cursor == lastCursor ? stalled + wait : 0;
        if (stalled >= StallMilliseconds) return;
        lastCursor = cursor;
        AudioDeviceWait(wait);
    }
    const auto* bytes = reinterpret_cast<const uint8_t*>(frame);
    const uint32_t count = std::min(samples, AudioMaxFrameSamples) * 2;
    if (const uint32_t code = AudioDeviceWrite(from, bytes, count)) {
        Fail(code);
        return;
    }
    stream.writeOffset = (from + count) % AudioBufferBytes;
}

void AudioSilence() {
    if (!stream.open) return;
    uint32_t cursor = 0;
    uint32_t code = AudioDevicePlayCursor(cursor);
    if (code == 0) code = AudioDeviceWrite(cursor, nullptr, AudioBufferBytes);
    if (code != 0) Fail(code);
}

void AudioRestart() {
    if (!stream.open) return;
    AudioSilence();
    stream.writeOffset = 0;
}

void AudioClose() {
    if (stream.open) AudioDeviceClose();
    stream = {};
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
