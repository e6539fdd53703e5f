// The cassette recorder: a tape's sound as levels on the machine's cycle timeline, and the
// program's output sampled onto 44100 Hz.
#include "machine/cassette.h"

#include <cstring>
#include <vector>

#include "cpu/z80.h"
#include "machine/machine_internal.h"
#include "machine/sc3000.h"

namespace plexaro {
namespace {

// Samples after the last take: a frame makes 736 at most, and a desktop in fast forward
// runs up to 64 frames between takes.
constexpr size_t RecordingRoom = 72 * MaxSamplesPerFrame;

// The threshold either side of zero, as a share of the tape's loudest sample: low enough for
// a quiet recording, high enough that hiss in a gap doesn't flip the level.
constexpr int32_t ThresholdShare = 8;
constexpr int32_t LeastThreshold = 64;  // a tape of near silence stays low

// Everything but the tape's levels, so that the in-memory snapshot can keep it whole.
struct Deck {
    size_t samples;
    uint32_t rate;
    bool playing;
    bool recording;
    bool output;               // what the program last sent
    uint64_t clock;            // machine cycles at the start of the running frame
    uint64_t anchorMachine;    // the machine's cycle where the tape stood at anchorTape
    uint64_t anchorTape;       // cycles into the tape
    uint64_t recordStart;      // the machine's cycle where recording began
    uint64_t recordedSamples;  // made since recording began
    size_t pending;            // samples in `made` not yet taken
    uint64_t hash;
    char name[CassetteNameSize];
};

std::vector<uint64_t> levels;  // one bit a sample of the tape, packed
int16_t made[RecordingRoom];
int16_t taken[RecordingRoom];
Deck recorder = {};
Deck keptDeck = {};

uint64_t Now() {
    uint32_t lineStart = 0;
    if (!RunningLineStart(&lineStart)) return recorder.clock;
    return recorder.clock + lineStart + z80::ElapsedCycles();
}

uint64_t Position(uint64_t now) {
    if (!recorder.playing || now < recorder.anchorMachine) return recorder.anchorTape;
    return recorder.anchorTape + (now - recorder.anchorMachine);
}

void Anchor(uint64_t now, uint64_t tape) {
    recorder.anchorMachine = now;
    recorder.anchorTape = tape;
}

uint64_t TapeCycles() {
    if (recorder.rate == 0) return 0;
    return static_cast<uint64_t>(recorder.samples) * ConsoleClockHz / recorder.rate;
}

// The output's samples up to the machine's cycle `now`, at the level it had until then.
void RecordUntil(uint64_t now) {
    if (!recorder.recording || now < recorder.recordStart) return;
    const uint64_t due = (now - recorder.recordStart) * CassetteRecordRate / ConsoleClockHz;
    const int16_t level = recorder.output ? CassetteRecordLevel : -CassetteRecordLevel;
    while (recorder.recordedSamples < due) {
        if (recorder.pending < RecordingRoom) made[recorder.pending++] = level;
        ++recorder.recordedSamples;
    }
}

// The PPI's cassette lines. They come from inside RunFrame, where Now() is the cycle the PPI
// passes, so the recorder keeps its own count (which, unlike the machine's, runs on through
// resets and save states, as a tape does).
uint32_t TapeIn(uint64_t) {
    return CassetteInputHigh() ? 1 : 0;
}

void TapeOut(uint64_t, uint32_t level) {
    CassetteOutput(level != 0);
}

void PlugIn() {
    SetTapeInput(TapeIn);
    SetTapeOutput(TapeOut);
}

}  // namespace

const char* CassetteInsert(const int16_t* samples, size_t count, uint32_t rate, const char* name,
                           uint64_t hash) {
    if (count == 0) return "it holds no sound";
    if (rate < CassetteLowestRate || rate > CassetteHighestRate) {
        return "its sample rate is not one a tape recorder plays (4000 to 192000 Hz)";
    }
    int32_t loudest = 0;
    for (size_t i = 0; i < count; ++i) {
        const int32_t v = samples[i] < 0 ? -int32_t{samples[i]} : samples[i];
        if (v > loudest) loudest = v;
    }
    const int32_t threshold =
        loudest / ThresholdShare > LeastThreshold ? loudest / ThresholdShare : LeastThreshold;
    PlugIn();
    CassetteStop();
    levels.assign((count + 63) / 64, 0);
    bool high = false;
    for (size_t i = 0; i < count; ++i) {
        if (samples[i] > threshold) high = true;
        if (samples[i] < -threshold) high = false;
        if (high) levels[i / 64] |= uint64_t{1} << (i % 64);
    }
    recorder.samples = count;
    recorder.rate = rate;
    recorder.hash = hash;
    std::memset(recorder.name, 0, sizeof recorder.name);
    std::strncpy(recorder.name, name != nullptr ? name : "", sizeof recorder.name - 1);
    Anchor(Now(), 0);
    return nullptr;
}

void CassetteEject() {
    CassetteStop();
    levels = {};
    recorder.samples = 0;
    recorder.rate = 0;
    recorder.hash = 0;
    std::memset(recorder.name, 0, sizeof recorder.name);
    Anchor(Now(), 0);
}

void CassettePlay() {
    if (recorder.samples == 0 || recorder.playing) return;
    CassetteStop();
    const uint64_t now = Now();
    Anchor(now, Position(now));
    recorder.playing = true;
}

void CassetteStop() {
    const uint64_t now = Now();
    RecordUntil(now);
    Anchor(now, Position(now));
    recorder.playing = false;
    recorder.recording = false;
}

void CassetteRewind() {
    Anchor(Now(), 0);
}

void CassetteRecord() {
    PlugIn();
    CassetteStop();
    recorder.recording = true;
    recorder.output = TapeOutputLevel() != 0;  // where the program has left the line
    recorder.recordStart = Now();
    recorder.recordedSamples = 0;
    recorder.pending = 0;
}

bool CassetteInputHigh() {
    if (!recorder.playing) return false;
    const uint64_t tape = Position(Now());
    const uint64_t index = tape * recorder.rate / ConsoleClockHz;
    if (index >= recorder.samples) return false;
    return (levels[index / 64] >> (index % 64)) & 1;
}

bool CassettePlaying() {
    return recorder.playing;
}

void CassetteOutput(bool high) {
    if (high == recorder.output) return;
    RecordUntil(Now());
    recorder.output = high;
}

void CassetteEndFrame(uint64_t cycles) {
    recorder.clock += cycles;
    RecordUntil(recorder.clock);
    // A tape played to its end stops, as the recorder's own mechanism does.
    if (recorder.playing && Position(recorder.clock) >= TapeCycles()) {
        Anchor(recorder.clock, TapeCycles());
        recorder.playing = false;
    }
}

size_t CassetteTakeRecording(const int16_t** samples) {
    std::memcpy(taken, made, recorder.pending * sizeof(int16_t));
    const size_t count = recorder.pending;
    recorder.pending = 0;
    *samples = taken;
    return count;
}

CassetteStatus GetCassetteStatus() {
    CassetteStatus status = {};
    status.inserted = recorder.samples != 0;
    status.playing = recorder.playing;
    status.recording = recorder.recording;
    status.position = Position(Now());
    status.length = TapeCycles();
    status.hash = recorder.hash;
    std::memcpy(status.name, recorder.name, sizeof status.name);
    return status;
}

// Layout: buttons (bit 0 playing, bit 1 recording), the place in the tape (cycles), the
// tape's hash, the output level, the tape's name.
void SaveCassette(uint8_t* out) {
    const uint64_t position = Position(Now());
    out[0] = static_cast<uint8_t>((recorder.playing ? 1 : 0) | (recorder.recording ? 2 : 0));
    for (int i = 0; i < 8; ++i) out[1 + i] = static_cast<uint8_t>(position >> (8 * i));
    for (int i = 0; i < 8; ++i) out[9 + i] = static_cast<uint8_t>(recorder.hash >> (8 * i));
    out[17] = recorder.output ? 1 : 0;
    std::memcpy(out + 18, recorder.name, CassetteNameSize);
}

bool CheckCassette(const uint8_t* bytes) {
    return bytes[0] <= 3 && bytes[17] <= 1;
}

// The tape in the recorder stays the one inserted: a state names its tape, it doesn't hold it.
// A recording goes on into the file the host has open.
void RestoreCassette(const uint8_t* bytes) {
    uint64_t position = 0;
    for (int i = 0; i < 8; ++i) position |= uint64_t{bytes[1 + i]} << (8 * i);
    const uint64_t now = Now();
    RecordUntil(now);
    Anchor(now, position < TapeCycles() ? position : TapeCycles());
    recorder.playing = (bytes[0] & 1) != 0 && recorder.samples != 0;
    recorder.output = bytes[17] != 0;
}

}  // namespace plexaro

namespace plexaro {

void KeepCassette() {
    keptDeck = recorder;
}

// What frames run ahead recorded is dropped with them: the recording goes on from the frame
// the snapshot was taken at, as if they had never run.
void PutBackCassette() {
    const Deck tape = recorder;
    recorder = keptDeck;
    recorder.samples = tape.samples;
    recorder.rate = tape.rate;
    recorder.hash = tape.hash;
    std::memcpy(recorder.name, tape.name, sizeof recorder.name);
    if (recorder.samples == 0) recorder.playing = false;
}

}  // namespace plexaro
