// The sound chip is driven once per frame. A new tone period or attenuation written during a
// frame applies to the whole frame's sound, so notes and envelopes move in 1/60 s steps.
#include "sound.h"

#include "hw.h"

// Tone periods for notes A2 to C7. The chip divides its 3579545 Hz clock by 32 x N, so N is
// 3579545 / (32 x f) rounded; E5 (659.3 Hz), for example, is 170 (658.0 Hz). The lowest
// note is bounded by the 10-bit register (1023 is 109 Hz).
enum {
    REST,
    A2, AS2, B2, C3, CS3, D3, DS3, E3, F3, FS3, G3, GS3,
    A3, AS3, B3, C4, CS4, D4, DS4, E4, F4, FS4, G4, GS4,
    A4, AS4, B4, C5, CS5, D5, DS5, E5, F5, FS5, G5, GS5,
    A5, AS5, B5, C6, CS6, D6, DS6, E6, F6, FS6, G6, GS6,
    A6, AS6, B6, C7
};
// clang-format off
static const unsigned int note_periods[] = {
    0,
    1017,  960,  906,  855,  807,  762,  719,  679,  641,  605,  571,  539,  // A2 .. G#3
     508,  480,  453,  428,  404,  381,  360,  339,  320,  302,  285,  269,  // A3 .. G#4
     254,  240,  226,  214,  202,  190,  180,  170,  160,  151,  143,  135,  // A4 .. G#5
     127,  120,  113,  107,  101,   95,   90,   85,   80,   76,   71,   67,  // A5 .. G#6
      64,   60,   57,   53,                                                  // A6 .. C7
};
// clang-format on

// A voice's score: pairs of (note, frames), ending with END (play again from the start) or
// STOP. Durations in frames: an eighth is 8, so a 4/4 bar lasts 64 frames, about a second.
#define END 0xFF
#define STOP 0xFE
#define E 8
#define Q 16
#define H 32
#define W 64

// The title tune opens with a bar of melody alone (E5 G5 C6 G5 A5 G5 E5), the bass joining
// in the second bar.
static const unsigned char title_melody[] = {
    E5, E, G5, E, C6, E, G5, E, A5, E, G5, E, E5, Q,
    F5, E, A5, E, G5, E, E5, E, D5, Q, G4, Q,
    E5, E, G5, E, C6, E, G5, E, A5, E, C6, E, D6, Q,
    E6, E, D6, E, C6, E, A5, E, C6, H,
    REST, W, END,
};
static const unsigned char title_bass[] = {
    REST, W,
    F3, Q, C4, Q, G3, Q, D4, Q,
    C3, Q, G3, Q, F3, Q, G3, Q,
    G3, Q, G3, Q, C3, H,
    C3, Q, G3, Q, C3, H, END,
};
static const unsigned char game_melody[] = {
    A4, E, C5, E, E5, E, C5, E, A4, E, C5, E, E5, Q,
    D5, E, F5, E, A5, E, F5, E, E5, E, C5, E, B4, Q,
    A4, E, C5, E, E5, E, A5, E, G5, E, E5, E, C5, Q,
    D5, E, B4, E, G4, E, B4, E, A4, H,
    E5, E, E5, E, REST, E, E5, E, F5, E, E5, E, D5, Q,
    C5, E, C5, E, REST, E, C5, E, D5, E, C5, E, B4, Q,
    A4, E, B4, E, C5, E, D5, E, E5, E, D5, E, C5, E, B4, E,
    GS4, Q, B4, Q, A4, H, END,
};
static const unsigned char game_bass[] = {
    A2, Q, A3, Q, A2, Q, A3, Q,
    D3, Q, D4, Q, E3, Q, E4, Q,
    A2, Q, A3, Q, C3, Q, C4, Q,
    G3, Q, E3, Q, A2, H,
    A2, Q, A3, Q, A2, Q, A3, Q,
    F3, Q, F3, Q, E3, Q, E3, Q,
    D3, Q, D3, Q, C3, Q, C3, Q,
    E3, Q, E3, Q, A2, H, END,
};
static const unsigned char over_melody[] = {
    G5, E, E5, E, C5, E, G4, E, A4, Q, B4, Q, C5, W, STOP,
};
static const unsigned char over_bass[] = {
    C3, H, F3, Q, G3, Q, C3, W, STOP,
};

typedef struct {
    const unsigned char *melody, *bass;
    unsigned char melody_volume, bass_volume;  // attenuation at a note's start
} Song;

static const Song songs[] = {
    {title_melody, title_bass, 1, 4},
    {game_melody, game_bass, 5, 6},
    {over_melody, over_bass, 2, 4},
};

// A plucked envelope: loud at the start, one attenuation step quieter every few frames, down
// to a floor; the last frame of a note is silent so that repeated notes stay distinct.
#define DECAY_FRAMES 3
#define DECAY_STEPS 5

typedef struct {
    const unsigned char *start, *at;
    unsigned char left;    // frames left of the current note
    unsigned char att;     // current attenuation
    unsigned char volume;  // attenuation at the start of a note
    unsigned char age;     // frames since the note began
    unsigned char playing;
} Voice;

// An effect is a list of (tone period / 8, attenuation) frames for tone 2, or of (noise
// control, attenuation) frames for the noise channel; a 0 ends it.
typedef struct {
    const unsigned char *tone, *noise;
} Effect;

// clang-format off
static const unsigned char start_tone[] = {
    143 / 8 + 1, 2, 143 / 8 + 1, 2, 107 / 8, 2, 107 / 8, 3, 107 / 8, 5, 107 / 8, 8, 0 };
static const unsigned char collect_tone[] = {
    107 / 8, 2, 107 / 8, 3, 85 / 8, 2, 85 / 8, 3, 71 / 8, 2, 71 / 8, 3, 53 / 8, 2,
    53 / 8, 4, 53 / 8, 6, 53 / 8, 9, 0 };
static const unsigned char hit_tone[] = {
    40, 1, 48, 1, 56, 2, 64, 2, 72, 3, 80, 3, 88, 4, 96, 5, 104, 6, 112, 8, 120, 10, 0 };
static const unsigned char hit_noise[] = {
    PSG_NOISE_WHITE | 1, 0, PSG_NOISE_WHITE | 1, 0, PSG_NOISE_WHITE | 1, 1,
    PSG_NOISE_WHITE | 2, 2, PSG_NOISE_WHITE | 2, 3, PSG_NOISE_WHITE | 2, 4,
    PSG_NOISE_WHITE | 2, 5, PSG_NOISE_WHITE | 2, 6, PSG_NOISE_WHITE | 2, 8,
    PSG_NOISE_WHITE | 2, 10, PSG_NOISE_WHITE | 2, 12, 0 };
static const unsigned char level_tone[] = {
    214 / 8, 2, 214 / 8, 3, 170 / 8, 2, 170 / 8, 3, 143 / 8, 2, 143 / 8, 3,
    107 / 8, 2, 107 / 8, 3, 85 / 8, 2, 85 / 8, 3, 71 / 8, 2, 71 / 8, 4, 71 / 8, 6, 71 / 8, 9, 0 };
static const unsigned char level_noise[] = {
    PSG_NOISE_WHITE | 0, 6, PSG_NOISE_WHITE | 0, 9, PSG_NOISE_WHITE | 0, 12, 0 };
// clang-format on

static const Effect effects[] = {
    {start_tone, 0},
    {collect_tone, 0},
    {hit_tone, hit_noise},
    {level_tone, level_noise},
};

static struct {
    Voice voices[2];
    const unsigned char *tone_effect, *noise_effect;
    unsigned char noise_control;  // last value written, to skip rewrites (each resets the noise)
} snd;

static void tone_period(unsigned char channel, unsigned int period) {
    psg_put(PSG_LATCH | (channel << 5) | (period & 0x0F));
    psg_put((period >> 4) & 0x3F);
}

static void attenuation(unsigned char channel, unsigned char att) {
    psg_put(PSG_LATCH | PSG_ATTENUATION | (channel << 5) | att);
}

void sound_silence(void) {
    unsigned char channel;
    for (channel = 0; channel < 4; ++channel) attenuation(channel, PSG_SILENT);
}

void sound_init(void) {
    // The noise generator's feedback is only chosen by a noise-control write; until the
    // first one it would play a few bits and fall silent.
    snd.noise_control = PSG_NOISE_WHITE;
    psg_put(PSG_NOISE_CONTROL | snd.noise_control);
    sound_silence();
}

static void voice_start(Voice *voice, const unsigned char *score, unsigned char volume) {
    voice->start = voice->at = score;
    voice->volume = volume;
    voice->left = 0;
    voice->playing = 1;
}

void sound_play(unsigned char song) {
    voice_start(&snd.voices[0], songs[song].melody, songs[song].melody_volume);
    voice_start(&snd.voices[1], songs[song].bass, songs[song].bass_volume);
}

void sound_effect(unsigned char effect) {
    snd.tone_effect = effects[effect].tone;
    snd.noise_effect = effects[effect].noise;
}

static void voice_frame(Voice *voice, unsigned char channel) {
    unsigned char note;
    if (!voice->playing) return;
    if (voice->left == 0) {
        if (*voice->at == END) voice->at = voice->start;
        if (*voice->at == STOP) {
            voice->playing = 0;
            attenuation(channel, PSG_SILENT);
            return;
        }
        note = voice->at[0];
        voice->left = voice->at[1];
        voice->at += 2;
        voice->age = 0;
        if (note == REST) {
            voice->att = PSG_SILENT;
        } else {
            tone_period(channel, note_periods[note]);
            voice->att = voice->volume;
        }
    } else if (voice->att != PSG_SILENT) {
        ++voice->age;
        if (voice->left == 1) {
            voice->att = PSG_SILENT;
        } else if (voice->age % DECAY_FRAMES == 0 && voice->att < voice->volume + DECAY_STEPS) {
            ++voice->att;
        }
    }
    attenuation(channel, voice->att);
    --voice->left;
}

void sound_frame(void) {
    voice_frame(&snd.voices[0], 0);
    voice_frame(&snd.voices[1], 1);

    if (snd.tone_effect && *snd.tone_effect) {
        tone_period(2, (unsigned int)snd.tone_effect[0] * 8);
        attenuation(2, snd.tone_effect[1]);
        snd.tone_effect += 2;
    } else {
        snd.tone_effect = 0;
        attenuation(2, PSG_SILENT);
    }
    if (snd.noise_effect && *snd.noise_effect) {
        if (snd.noise_effect[0] != snd.noise_control) {
            snd.noise_control = snd.noise_effect[0];
            psg_put(PSG_NOISE_CONTROL | snd.noise_control);
        }
        attenuation(PSG_NOISE, snd.noise_effect[1]);
        snd.noise_effect += 2;
    } else {
        snd.noise_effect = 0;
        attenuation(PSG_NOISE, PSG_SILENT);
    }
}
