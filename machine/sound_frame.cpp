// The frame's sound. In the simple behaviour every write to the sound chip applies to the
// whole frame, whose 735 samples are made at once when the host asks for them, 0 to 32767 as
// the chip's clamped mix gives them. In the hardware behaviour a write first brings the
// samples up to the write's cycle, so that notes changed mid-frame and volumes written
// quickly (sampled sound) land where they were played; the frame's last samples are made as
// its last line ends, and a frame has 735 or 736 of them, whatever keeps the total over a
// long run exactly cycles × 44100 / clock. Its samples are the console's output: the four
// channels mixed with room for all of them, through the coupling to the television, so they
// swing around zero (-32766 to 32766) and are never clamped.
#include <cstring>

#include "cpu/z80.h"
#include "machine/machine_internal.h"
#include "sound/psg.h"

namespace plexaro {
namespace {

constexpr int PsgChipIndex = 0;
constexpr uint64_t HardwareFrameCycles = uint64_t{LinesPerFrame} * HardwareCyclesPerLine;

// The console's sound reaches the television through a coupling capacitor: a first-order
// high-pass, so that what comes out swings around zero whatever the channels' levels add up
// to. Its corner lies at 10-20 Hz; here 15 Hz, the share of the distance a sample moves the
// capacitor's level being 1 - exp(-2π × 15 / 44100) = 0.002135, about 140 / 65536. The level
// is kept in fixed point with 15 fraction bits (a sample is at most 32767).
constexpr int64_t CouplingRate = 140;
constexpr int CouplingFraction = 15;

struct SoundFrameState {
    // Two buffers: the one being made and the last one handed out, which stays whole (the
    // debugger's scope shows it) while a stepped frame makes the next.
    int16_t samples[2][MaxSamplesPerFrame];
    uint32_t making;  // the buffer of the frame in progress; the other is the last one made
    uint32_t made;    // samples of the frame in progress made so far
    uint32_t length;  // samples the frame in progress will have
    // (cycles run × SampleRate) mod ConsoleClockHz at the frame's start: the part of a sample
    // the frames before have begun, so that no sample is lost or made twice.
    uint32_t fraction;
    bool finished;  // a frame ended that MakeSoundFrame has not handed out yet
    uint32_t finishedLength;
    uint32_t handedOut;  // samples in the frame MakeSoundFrame last returned
    int32_t coupling;    // the coupling capacitor's level, CouplingFraction fraction bits
};

SoundFrameState sound = {};
SoundFrameState keptSound = {};  // the snapshot's (snapshot.cpp)

uint32_t HardwareFrameLength(uint32_t fraction) {
    return static_cast<uint32_t>((fraction + HardwareFrameCycles * SampleRate) / ConsoleClockHz);
}

// The chip's samples (mixed as the console does, with room for all four channels) through the
// coupling: each sample less the capacitor's level, which follows the samples slowly.
void Couple(int16_t* samples, uint32_t count) {
    int64_t level = sound.coupling;
    for (uint32_t i = 0; i < count; ++i) {
        const int64_t in = int64_t{samples[i]} << CouplingFraction;
        level += ((in - level) * CouplingRate) >> 16;
        samples[i] = static_cast<int16_t>(
            samples[i] - ((level + (1 << (CouplingFraction - 1))) >> CouplingFraction));
    }
    sound.coupling = static_cast<int32_t>(level);
}

// Makes the samples of the frame in progress up to `position` (no further than its length).
void MakeUpTo(uint32_t position) {
    if (position > sound.length) position = sound.length;
    if (position <= sound.made) return;
    int16_t* samples = sound.samples[sound.making] + sound.made;
    PsgUpdateMixed(PsgChipIndex, samples, static_cast<int>(position - sound.made), PsgMixConsole);
    Couple(samples, position - sound.made);
    sound.made = position;
}

}  // namespace

int32_t LineCycles() {
    return HardwareBehaviour() ? HardwareCyclesPerLine : CyclesPerLine;
}

void StartSoundFrames() {
    sound.fraction = 0;
    sound.coupling = 0;  // power-on: the capacitor has no charge
    ClearSoundFrame();
}

void ClearSoundFrame() {
    std::memset(sound.samples, 0, sizeof sound.samples);
    sound.made = 0;
    sound.length = HardwareFrameLength(sound.fraction);
    sound.finished = false;
}

void SoundChipWrite(uint8_t byte) {
    // Outside a line (a test's direct port write, or between frames) there is no cycle to
    // bring the samples up to: the write counts from where they are.
    uint32_t lineStart = 0;
    if (HardwareBehaviour() && RunningLineStart(&lineStart)) {
        const uint64_t cycle = uint64_t{lineStart} + z80::ElapsedCycles();
        MakeUpTo(static_cast<uint32_t>((sound.fraction + cycle * SampleRate) / ConsoleClockHz));
    }
    PsgWrite(PsgChipIndex, byte);
}

void EndSoundFrame() {
    if (!HardwareBehaviour()) {
        sound.made = 0;  // MakeSoundFrame makes the whole frame
        return;
    }
    MakeUpTo(sound.length);
    sound.finished = true;
    sound.finishedLength = sound.length;
    sound.making ^= 1;
    sound.fraction =
        static_cast<uint32_t>((sound.fraction + HardwareFrameCycles * SampleRate) % ConsoleClockHz);
    sound.made = 0;
    sound.length = HardwareFrameLength(sound.fraction);
}

uint32_t SoundFraction() {
    return sound.fraction;
}

void RestoreSoundFraction(uint32_t fraction) {
    sound.fraction = fraction;
    sound.made = 0;
    sound.length = HardwareFrameLength(fraction);
    sound.finished = false;
}

int32_t CouplingLevel() {
    return sound.coupling;
}

void RestoreCouplingLevel(int32_t level) {
    sound.coupling = level;
}

const int16_t* MakeSoundFrame() {
    int16_t* frame = sound.samples[sound.making ^ 1];
    if (HardwareBehaviour()) {
        sound.handedOut = sound.finished ? sound.finishedLength : 0;
        sound.finished = false;
        return frame;
    }
    PsgUpdate(PsgChipIndex, frame, SamplesPerFrame);
    sound.handedOut = SamplesPerFrame;
    return frame;
}

void KeepSoundFrames() {
    keptSound = sound;
}

void PutBackSoundFrames() {
    sound = keptSound;
}

uint32_t SoundFrameSamples() {
    return sound.handedOut;
}

}  // namespace plexaro
