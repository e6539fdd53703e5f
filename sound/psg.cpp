#include "sound/psg.h"

namespace plexaro {

namespace {

constexpr int ToneChannels = 3;
constexpr int NoiseChannel = 3;
constexpr int NoiseControlRegister = 6;

constexpr int32_t LatchBit = 0x80;
constexpr int32_t PeriodLowMask = 0x0F;    // a latch byte's share of a period register
constexpr int32_t PeriodHighMask = 0x3F0;  // a data byte's share, shifted into place
constexpr int32_t DataMask = 0x3F;

constexpr int32_t NoiseWhiteBit = 0x04;  // noise control: white (set) or periodic noise
constexpr int32_t NoiseRateMask = 0x03;  // noise control: shift rate; 3 follows tone 2
constexpr int32_t NoiseRateTone2 = 3;
constexpr int32_t NoiseRateBaseShift = 5;  // rate s: a shift every (32 << s) updateSteps

// The two feedback taps of the noise register, as masks XORed in before a shift out of a 1.
constexpr int32_t WhiteNoiseFeedback = 0x12000;
constexpr int32_t PeriodicNoiseFeedback = 0x8000;

// The loudest channel is a third of the output range, so three tones at full volume only
// just fit; the noise on top of them is what the clamp is for.
constexpr double LoudestLevel = PSG_MAX_OUTPUT / 3;
constexpr double GainStep = 1.023292992;         // 0.2 dB
constexpr double AttenuationStep = 1.258925412;  // 2 dB per attenuation step
constexpr int SilentAttenuation = 15;

// updateStep is held where every product the chip forms stays inside 32 bits: the longest
// noise period (twice tone 2's 1023 half-steps) must fit below 2^30, so that a silent channel
// can be pushed on by a whole chunk of samples. The console's own clock and rate give 12918;
// only a nonsensical clock or rate reaches these bounds.
constexpr int32_t LargestPeriodRegister = 0x3FF;
constexpr int32_t LargestUpdateStep = (1 << 30) / (2 * LargestPeriodRegister);

// Samples generated per silent-channel adjustment. chunk × PSG_STEP must stay below 2^30 so
// the adjusted count still fits; a whole console frame (735) is always one chunk.
constexpr int UpdateChunk = 1 << 14;

// Zero at program start; PsgInit leaves noiseFeedback alone, so it stays 0 until the first
// noise-control write and then keeps its last value across initialisations.
PsgChip chip0;

int32_t TonePeriod(const PsgChip& psg, int32_t reg) {
    const int32_t period = psg.updateStep * reg;
    return period == 0 ? psg.updateStep : period;
}

void SetNoisePeriod(PsgChip& psg) {
    const int32_t rate = psg.registers[NoiseControlRegister] & NoiseRateMask;
    psg.period[NoiseChannel] =
        rate == NoiseRateTone2 ? 2 * psg.period[2] : psg.updateStep << (NoiseRateBaseShift + rate);
}

void WritePeriod(PsgChip& psg, int r) {
    psg.period[r / 2] = TonePeriod(psg, psg.registers[r]);
    if (r == 4 && (psg.registers[NoiseControlRegister] & NoiseRateMask) == NoiseRateTone2) {
        psg.period[NoiseChannel] = 2 * psg.period[2];
    }
}

void WriteNoiseControl(PsgChip& psg) {
    const int32_t control = psg.registers[NoiseControlRegister];
    psg.noiseFeedback = (control & NoiseWhiteBit) ? WhiteNoiseFeedback : PeriodicNoiseFeedback;
    SetNoisePeriod(psg);
    // Every noise-control write restarts the register, even one that changes nothing.
    psg.rng = PSG_NOISE_PRESET;
    psg.output[NoiseChannel] = 1;
}

// One tone channel across one sample, by the rules: add the time left high, then walk the
// half-periods that end inside the sample. Returns the time spent high (0..PSG_STEP).
int32_t ToneSampleByRule(int32_t& count, int32_t& output, int32_t period) {
    int32_t acc = output ? count : 0;
    count -= PSG_STEP;
    while (count <= 0) {
        count += period;
        if (count > 0) {
            output ^= 1;
            if (output) acc += period;
            break;
        }
        // A whole period inside the sample: low half then high half, level unchanged.
        count += period;
        acc += period;
    }
    if (output) acc -= count;
    return acc;
}

// The three tones side by side, one per lane (lane 3 idles), so that one sample of all three
// is a handful of vector operations.
using Lanes = uint32_t __attribute__((vector_size(16)));
using SignedLanes = int32_t __attribute__((vector_size(16)));  // for comparisons only

// How many half-periods of a tone end inside one sample, for a count in (0, period]: with
// PSG_STEP = whole × period + part, it is whole + 1 when count ≤ part, else whole. So a
// sample is one of two fixed steps, chosen by one comparison; each step is made ready here
// once per call. A silent lane takes neither: it only counts down (see Generate).
struct Tones {
    Lanes count;
    Lanes high;  // all ones while the level is 1
    Lanes period;
    Lanes beyond;     // part + 1: the extra half-period comes when count < beyond
    Lanes advance;    // whole × period − PSG_STEP: the count's change without the extra
    Lanes pairs;      // whole periods (high for one half each) without the extra ...
    Lanes extraPair;  // ... and the one the extra completes (whole odd)
    Lanes toggle;     // all ones when whole is odd: the level changes without the extra
};

Tones PrepareTones(const int32_t* count, const int32_t* output, const int32_t* period,
                   const uint32_t* volume) {
    Tones t = {};
    for (int i = 0; i < ToneChannels; ++i) {
        const uint32_t p = static_cast<uint32_t>(period[i]);
        const uint32_t whole = volume[i] ? PSG_STEP / p : 0;
        t.count[i] = static_cast<uint32_t>(count[i]);
        t.high[i] = 0u - static_cast<uint32_t>(output[i]);
        t.period[i] = p;
        // A silent lane's count never reaches 0 in the call, so it never takes the extra.
        t.beyond[i] = volume[i] ? PSG_STEP % p + 1 : 0;
        t.advance[i] = whole * p - PSG_STEP;
        t.pairs[i] = whole / 2 * p;
        t.extraPair[i] = (whole & 1) * p;
        t.toggle[i] = 0u - (whole & 1);
    }
    return t;
}

// The same sample as ToneSampleByRule for all three tones at once, for audible counts in
// (0, period]. Returns each tone's time spent high.
[[gnu::always_inline]] inline Lanes ToneSamples(Tones& t) {
    // Counts and periods stay below 2^31, so the signed comparison (one instruction, where
    // an unsigned one takes three) gives the same answer.
    const Lanes extra = (SignedLanes)t.beyond > (SignedLanes)t.count;
    const Lanes toggle = t.toggle ^ extra;
    Lanes acc = (t.count & t.high) + t.pairs + (t.extraPair & extra);
    t.count += t.advance + (t.period & extra);
    t.high ^= toggle;
    return acc + (t.period & toggle & t.high) - (t.count & t.high);
}

// A feedback mask lands on bit 12 or higher, so the register's next levels are simply its
// low bits moving down: within a sample of at most that many shifts, the level after j
// shifts is bit j of the register at the sample's start. And the shifts are linear: k of
// them turn the register into (rng >> k) XOR what k shifts make of its low k bits alone.
constexpr int32_t MostShiftsAtOnce = 4;

struct Noise {
    int32_t count;
    int32_t output;
    int32_t period;
    int32_t whole;  // shifts every sample has at least, once count ≤ period ...
    int32_t part;   // ... and one more when count ≤ part (PSG_STEP = whole × period + part)
    // With whole + 1 ≤ MostShiftsAtOnce: what whole (row 0) or whole + 1 (row 1) shifts
    // make of the register's low bits, indexed by them.
    uint32_t shifted[2][1 << MostShiftsAtOnce];
};

// How many of three bits are set: the high stretches between a sample's first and last shift.
constexpr uint8_t BitCounts[8] = {0, 1, 1, 2, 1, 2, 2, 3};

// One shift of the noise register, with the feedback mask moved down with it and XORed in
// after the shift.
uint32_t Shift(uint32_t rng, uint32_t feedbackShifted) {
    const uint32_t shifted = rng >> 1;
    return (rng & 1) ? shifted ^ feedbackShifted : shifted;
}

// The stretch up to the next shift, high if the noise was, then the shift.
[[gnu::always_inline]] inline void ShiftNext(Noise& noise, int32_t& acc, int32_t& left,
                                             uint32_t& rng, uint32_t feedbackShifted) {
    acc += noise.count & -noise.output;
    left -= noise.count;
    rng = Shift(rng, feedbackShifted);
    noise.output = static_cast<int32_t>(rng & 1);
    noise.count = noise.period;
}

// The noise channel across one sample: high for each stretch between two shifts exactly when
// it was high at the stretch's start. With the count in (0, period] a sample holds `whole`
// shifts or one more, as for the tones.
[[gnu::always_inline]] inline int32_t NoiseSample(Noise& noise, uint32_t& rng,
                                                  uint32_t feedbackShifted) {
    int32_t acc = 0;
    int32_t left = PSG_STEP;
    if (noise.count > noise.period || noise.whole >= MostShiftsAtOnce) {
        // After a shorter period was written, or while silent, or with more shifts in a
        // sample than the way below takes (only at clocks far below the console's): the
        // shifts one by one.
        while (noise.count <= left) ShiftNext(noise, acc, left, rng, feedbackShifted);
    } else if (noise.whole == 0) {
        // Slower than a sample (rates 0 to 2, or tone 2 slow): a shift every several
        // samples, so a branch the predictor gets right most of the time.
        if (noise.count <= left) ShiftNext(noise, acc, left, rng, feedbackShifted);
    } else {
        // Faster than a sample (white noise on a high tone 2): `whole` shifts or one more,
        // each stretch high by the register's next bit. No shift waits for the one before:
        // the stretches are added up from the bits, and the register takes all its shifts
        // in one step.
        const int32_t extra = noise.count <= noise.part;
        const int32_t shifts = noise.whole + extra;
        const uint32_t levels = rng;
        const int32_t inner = BitCounts[(levels >> 1) & ((1u << (shifts - 1)) - 1)];
        const int32_t rest = PSG_STEP - noise.count - (shifts - 1) * noise.period;
        const int32_t last = static_cast<int32_t>((levels >> shifts) & 1);
        acc = (noise.count & -noise.output) + inner * noise.period + (rest & -last);
        rng = (levels >> shifts) ^ noise.shifted[extra][levels & ((1u << shifts) - 1)];
        noise.output = last;
        noise.count = noise.period - rest;
        return acc;
    }
    acc += left & -noise.output;
    noise.count -= left;
    return acc;
}

// One sample from the channels' weighted sum (at most 4 × 0x10000 × 10922, which fits in 32
// bits): the chip's own mix clamps it at PSG_MAX_OUTPUT; the console's keeps three quarters
// of it, so that even all four channels at their loudest (43688) fit, unclamped.
template <PsgMix Mix>
[[gnu::always_inline]] inline int16_t MixSample(uint32_t sum) {
    if constexpr (Mix == PsgMixClamped) {
        constexpr uint32_t Ceiling = static_cast<uint32_t>(PSG_MAX_OUTPUT) << 16;
        return static_cast<int16_t>((sum > Ceiling ? Ceiling : sum) >> 16);
    } else {
        return static_cast<int16_t>((uint64_t{sum} * 3) >> 18);
    }
}

// Writes n samples, 1..UpdateChunk.
template <PsgMix Mix>
void Generate(PsgChip& psg, int16_t* buffer, int n) {
    // A silent channel must not advance: push its counter on by exactly the time this call
    // takes off it, so it neither toggles nor shifts and ends where it started.
    const int32_t span = n * PSG_STEP;
    for (int i = 0; i < 4; ++i) {
        if (psg.volume[i] == 0 && psg.count[i] <= span) psg.count[i] += span;
    }

    int32_t count[4], output[4], period[4];
    uint32_t volume[4];
    for (int i = 0; i < 4; ++i) {
        count[i] = psg.count[i];
        output[i] = psg.output[i];
        period[i] = psg.period[i];
        volume[i] = static_cast<uint32_t>(psg.volume[i]);
    }
    uint32_t rng = psg.rng;
    const uint32_t feedbackShifted = static_cast<uint32_t>(psg.noiseFeedback) >> 1;
    Noise noise = {count[NoiseChannel],
                   output[NoiseChannel],
                   period[NoiseChannel],
                   PSG_STEP / period[NoiseChannel],
                   PSG_STEP % period[NoiseChannel],
                   {}};
    if (noise.whole < MostShiftsAtOnce) {
        for (int32_t extra = 0; extra < 2; ++extra) {
            for (uint32_t low = 0; low < 1u << (noise.whole + extra); ++low) {
                uint32_t after = low;
                for (int32_t k = 0; k < noise.whole + extra; ++k) {
                    after = Shift(after, feedbackShifted);
                }
                noise.shifted[extra][low] = after;
            }
        }
    }
    // An audible tone whose count is above its period (a shorter period was just written)
    // goes by the rules until it is back in (0, period], where every level change keeps it.
    int s = 0;
    for (; s < n; ++s) {
        bool settled = true;
        for (int i = 0; i < ToneChannels; ++i) settled &= !volume[i] || count[i] <= period[i];
        if (settled) break;
        uint32_t out = 0;
        for (int i = 0; i < ToneChannels; ++i) {
            out +=
                static_cast<uint32_t>(ToneSampleByRule(count[i], output[i], period[i])) * volume[i];
        }
        out +=
            static_cast<uint32_t>(NoiseSample(noise, rng, feedbackShifted)) * volume[NoiseChannel];
        buffer[s] = MixSample<Mix>(out);
    }

    Tones tones = PrepareTones(count, output, period, volume);
    for (; s < n; ++s) {
        const Lanes acc = ToneSamples(tones);
        // Each acc is 0..0x10000 and each volume at most 10922, so the sum fits in 32 bits.
        const uint32_t out =
            acc[0] * volume[0] + acc[1] * volume[1] + acc[2] * volume[2] +
            static_cast<uint32_t>(NoiseSample(noise, rng, feedbackShifted)) * volume[3];
        buffer[s] = MixSample<Mix>(out);
    }
    for (int i = 0; i < ToneChannels; ++i) {
        count[i] = static_cast<int32_t>(tones.count[i]);
        output[i] = static_cast<int32_t>(tones.high[i] & 1);
    }

    count[NoiseChannel] = noise.count;
    output[NoiseChannel] = noise.output;
    for (int i = 0; i < 4; ++i) {
        psg.count[i] = count[i];
        psg.output[i] = output[i];
    }
    psg.rng = rng;
}

}  // namespace

int PsgInit(int chip, int clock, int sampleRate) {
    if (chip != 0) return 0;
    PsgChip& psg = chip0;
    psg.sampleRate = sampleRate;
    PsgSetClock(chip, clock);
    for (int i = 0; i < 4; ++i) {
        psg.volume[i] = 0;
        psg.registers[2 * i] = 0;
        psg.registers[2 * i + 1] = SilentAttenuation;
        psg.output[i] = 0;
        psg.period[i] = psg.updateStep;
        psg.count[i] = psg.updateStep;
    }
    psg.lastRegister = 0;
    psg.rng = PSG_NOISE_PRESET;
    psg.output[NoiseChannel] = static_cast<int32_t>(psg.rng & 1);
    PsgSetGain(chip, 0);
    return 0;
}

void PsgSetClock(int chip, int clock) {
    if (chip != 0) return;
    double step = chip0.sampleRate * 65536.0 * 16.0 / clock;
    // A zero or negative step would stall the tone loop, and a huge one overflow the periods.
    if (!(step >= 1.0)) step = 1.0;
    if (step > LargestUpdateStep) step = LargestUpdateStep;
    chip0.updateStep = static_cast<int32_t>(step);
}

void PsgSetGain(int chip, int gain) {
    if (chip != 0) return;
    gain &= 0xFF;
    double level = LoudestLevel;
    for (int i = 0; i < gain; ++i) level *= GainStep;
    for (int i = 0; i < SilentAttenuation; ++i) {
        chip0.volTable[i] =
            level > LoudestLevel ? static_cast<int32_t>(LoudestLevel) : static_cast<int32_t>(level);
        level /= AttenuationStep;
    }
    chip0.volTable[SilentAttenuation] = 0;
}

void PsgWrite(int chip, int data) {
    if (chip != 0) return;
    PsgChip& psg = chip0;
    data &= 0xFF;
    if (data & LatchBit) {
        const int r = (data >> 4) & 7;
        psg.registers[r] = (psg.registers[r] & PeriodHighMask) | (data & PeriodLowMask);
        psg.lastRegister = r;
        if (r == NoiseControlRegister) {
            WriteNoiseControl(psg);
        } else if (r & 1) {
            psg.volume[r / 2] = psg.volTable[data & PeriodLowMask];
        } else {
            WritePeriod(psg, r);
        }
        return;
    }
    const int r = psg.lastRegister;
    if (r & 1 || r == NoiseControlRegister) return;
    psg.registers[r] = (psg.registers[r] & PeriodLowMask) | ((data & DataMask) << 4);
    WritePeriod(psg, r);
}

void PsgUpdate(int chip, int16_t* buffer, int count) {
    PsgUpdateMixed(chip, buffer, count, PsgMixClamped);
}

void PsgUpdateMixed(int chip, int16_t* buffer, int count, PsgMix mix) {
    if (chip != 0 || buffer == nullptr) return;
    // Before the first PsgInit every period is 0, and the tone loop would never find the
    // end of one: a chip that was never set up is silent.
    if (chip0.updateStep == 0) {
        for (int i = 0; i < count; ++i) buffer[i] = 0;
        return;
    }
    while (count > 0) {
        const int n = count < UpdateChunk ? count : UpdateChunk;
        if (mix == PsgMixConsole) {
            Generate<PsgMixConsole>(chip0, buffer, n);
        } else {
            Generate<PsgMixClamped>(chip0, buffer, n);
        }
        buffer += n;
        count -= n;
    }
}

const PsgChip* PsgInspect(int chip) {
    return chip == 0 ? &chip0 : nullptr;
}

void PsgRestore(int chip, const PsgChip& saved) {
    if (chip != 0) return;
    PsgChip& psg = chip0;
    for (int r = 0; r < 8; ++r) psg.registers[r] = saved.registers[r] & (r & 1 ? 15 : 0x3FF);
    psg.lastRegister = saved.lastRegister & 7;
    psg.rng = saved.rng;
    psg.noiseFeedback = saved.noiseFeedback;
    for (int i = 0; i < 4; ++i) {
        psg.volume[i] = psg.volTable[psg.registers[2 * i + 1] & 15];
        // A count above its period would only mean a longer first stretch; a count below 1
        // would stall the channel.
        psg.count[i] = saved.count[i] > 0 ? saved.count[i] : 1;
        psg.output[i] = saved.output[i] & 1;
    }
    for (int r = 0; r < 6; r += 2) WritePeriod(psg, r);
    SetNoisePeriod(psg);
}

}  // namespace plexaro
