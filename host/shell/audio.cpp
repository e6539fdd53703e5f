// The audio stream's slot ring: which slot a frame goes to, when to wait, silencing and
// error reports. The looping buffer itself belongs to the platform layer.
#include "host/shell/audio.h"

#include <cstring>

#include "host/shell/window.h"

namespace plexaro {
namespace {

// A device that stops playing would otherwise hold the whole program in the wait: after
// this long without the play cursor moving, the frame is dropped instead.
constexpr uint32_t StallMilliseconds = 250;
constexpr uint32_t BytesPerMillisecond = AudioSampleRate * 2 / 1000;  // 88.2, rounded down

struct AudioStream {
    bool open;
    uint32_t writeSlot;
};

AudioStream stream = {};

struct ErrorName {
    uint32_t code;
    const char* name;
};

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

}  // namespace

int AudioOpen() {
    stream.writeSlot = 0;
    stream.open = AudioDeviceOpen(AudioBufferBytes);
    return 1;
}

bool AudioPlaying() {
    return stream.open;
}

void AudioWriteFrame(const int16_t* frame) {
    if (!stream.open) return;
    const uint32_t next = (stream.writeSlot + 1) % AudioSlotCount;
    uint32_t lastCursor = 0;
    uint32_t stalled = 0;
    for (;;) {
        uint32_t cursor = 0;
        if (const uint32_t code = AudioDevicePlayCursor(cursor)) {
            AudioReportError(code, AudioDeviceErrorText());
            return;
        }
        if (cursor / AudioSlotBytes != next) break;
        // Sleep about as long as the card takes to leave the slot, so a frame costs one or two
        // wake-ups rather than one per millisecond.
        const uint32_t left = (next + 1) * AudioSlotBytes - cursor;
        const uint32_t wait = left / BytesPerMillisecond + 1;
        stalled = cursor == lastCursor ? stalled + wait : 0;
        if (stalled >= StallMilliseconds) return;
        lastCursor = cursor;
        AudioDeviceWait(wait);
    }
    const auto* bytes = reinterpret_cast<const uint8_t*>(frame);
    if (const uint32_t code =
            AudioDeviceWrite(stream.writeSlot * AudioSlotBytes, bytes, AudioSlotBytes)) {
        AudioReportError(code, AudioDeviceErrorText());
        return;
    }
    stream.writeSlot = next;
}

void AudioSilence() {
    if (!stream.open) return;
    uint32_t cursor = 0;
    uint32_t code = AudioDevicePlayCursor(cursor);
    if (code == 0) code = AudioDeviceWrite(cursor, nullptr, AudioBufferBytes);
    if (code != 0) AudioReportError(code, AudioDeviceErrorText());
}

void AudioRestart() {
    if (!stream.open) return;
    AudioSilence();
    stream.writeSlot = 0;
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

void AudioReportError(uint32_t code, const char* platformText) {
    const char* name = AudioErrorName(code);
    const bool named = std::strcmp(name, "Unknown HRESULT") != 0;
    const char* text = named || platformText == nullptr || *platformText == 0 ? name : platformText;
    WindowShowMessage("Plexaro sound error", text, MessageWarning);
    AudioClose();
}

}  // namespace plexaro
