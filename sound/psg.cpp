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

// Writes n samples, 1..UpdateChunk.
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
    const uint32_t feedback = static_cast<uint32_t>(psg.noiseFeedback);

    for (int s = 0; s < n; ++s) {
        int32_t acc[4] = {0, 0, 0, 0};

        for (int i = 0; i < ToneChannels; ++i) {
            if (output[i]) acc[i] += count[i];
            count[i] -= PSG_STEP;
            while (count[i] <= 0) {
                count[i] += period[i];
                if (count[i] > 0) {
                    output[i] ^= 1;
                    if (output[i]) acc[i] += period[i];
                    break;
                }
                // A whole period inside the sample: low half then high half, level unchanged.
                count[i] += period[i];
                acc[i] += period[i];
            }
            if (output[i]) acc[i] -= count[i];
        }

        // The noise is high for `next` units of each stretch exactly when it was high at the
        // stretch's start: adding the count before and removing what is left after, as the
        // tones do, comes to the same. Masks instead of branches, because white noise's bits
        // are as unpredictable to the branch predictor as they sound.
        int32_t& noiseCount = count[NoiseChannel];
        int32_t& noiseOut = output[NoiseChannel];
        for (int32_t left = PSG_STEP; left > 0;) {
            const int32_t next = noiseCount < left ? noiseCount : left;
            acc[NoiseChannel] += next & -noiseOut;
            noiseCount -= next;
            if (noiseCount <= 0) {
                rng = (rng ^ (feedback & (0u - (rng & 1)))) >> 1;
                noiseOut = static_cast<int32_t>(rng & 1);
                noiseCount += period[NoiseChannel];
            }
            left -= next;
        }

        // Each acc is 0..0x10000 and each volume at most 10922, so the sum fits in 32 bits.
        uint32_t out =
            static_cast<uint32_t>(acc[0]) * volume[0] + static_cast<uint32_t>(acc[1]) * volume[1] +
            static_cast<uint32_t>(acc[2]) * volume[2] + static_cast<uint32_t>(acc[3]) * volume[3];
        constexpr uint32_t Ceiling = static_cast<uint32_t>(PSG_MAX_OUTPUT) << 16;
        if (out > Ceiling) out = Ceiling;
        buffer[s] = static_cast<int16_t>(out >> 16);
    }

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
    if (chip != 0 || buffer == nullptr) return;
    // Before the first PsgInit every period is 0, and the tone loop would never find the
    // end of one: a chip that was never set up is silent.
    if (chip0.updateStep == 0) {
        for (int i = 0; i < count; ++i) buffer[i] = 0;
        return;
    }
    while (count > 0) {
        const int n = count < UpdateChunk ? count : UpdateChunk;
        Generate(chip0, buffer, n);
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
