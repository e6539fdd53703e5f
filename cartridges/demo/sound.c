// The sound chip is driven once per frame. A new tone period or attenuation written during a
// frame applies to the whole frame's sound, so notes and envelopes move in 1/60 s steps.
#include "sound.h"

#include "hw.h"

// Tone periods for notes A2 to C7. The chip divides its 3579545 Hz clock by 32 x N, so N is
// 3579545 / (32 x f) rounded; E5 (659.3 Hz), for example, is 170 (658.0 Hz). The lowest
// note is bounded by the 10-bit register (1023 is 109 Hz).
// clang-format off
enum {
    REST,
    A2, AS2, B2, C3, CS3, D3, DS3, E3, F3, FS3, G3, GS3,
    A3, AS3, B3, C4, CS4, D4, DS4, E4, F4, FS4, G4, GS4,
    A4, AS4, B4, C5, CS5, D5, DS5, E5, F5, FS5, G5, GS5,
    A5, AS5, B5, C6, CS6, D6, DS6, E6, F6, FS6, G6, GS6,
    A6, AS6, B6, C7
};
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
// in the second bar. One bar per line.
// clang-format off
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
    G5, E, E5, E, C5, E, G4, E, A4, Q, B4, Q,
    C5, W, STOP,
};
static const unsigned char over_bass[] = {
    C3, H, F3, Q, G3, Q,
    C3, W, STOP,
};
// clang-format on

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

// An effect is a list of per-frame steps for tone 2 (tone period, attenuation) or for the
// noise channel (noise control, attenuation); a step of value 0 ends it.
typedef struct {
    unsigned int value;
    unsigned char att;
} Step;

typedef struct {
    const Step *tone, *noise;
} Effect;

#define WHITE_FAST (PSG_NOISE_WHITE | 0)  // rates 0..2 shift every 512, 1024, 2048 clocks
#define WHITE_MID (PSG_NOISE_WHITE | 1)
#define WHITE_SLOW (PSG_NOISE_WHITE | 2)

// clang-format off
static const Step start_tone[] = {
    {143, 2}, {143, 2}, {107, 2}, {107, 3}, {107, 5}, {107, 8}, {0, 0} };  // G5 C6
static const Step collect_tone[] = {                                        // C6 E6 G6 C7
    {107, 2}, {107, 3}, {85, 2}, {85, 3}, {71, 2}, {71, 3}, {53, 2}, {53, 4}, {53, 6},
    {53, 9}, {0, 0} };
static const Step hit_tone[] = {                                            // a falling buzz
    {320, 1}, {384, 1}, {448, 2}, {512, 2}, {576, 3}, {640, 3}, {704, 4}, {768, 5},
    {832, 6}, {896, 8}, {960, 10}, {0, 0} };
static const Step hit_noise[] = {
    {WHITE_MID, 0}, {WHITE_MID, 0}, {WHITE_MID, 1}, {WHITE_SLOW, 2}, {WHITE_SLOW, 3},
    {WHITE_SLOW, 4}, {WHITE_SLOW, 5}, {WHITE_SLOW, 6}, {WHITE_SLOW, 8}, {WHITE_SLOW, 10},
    {WHITE_SLOW, 12}, {0, 0} };
static const Step level_tone[] = {                                          // C5 .. G6
    {214, 2}, {214, 3}, {170, 2}, {170, 3}, {143, 2}, {143, 3}, {107, 2}, {107, 3},
    {85, 2}, {85, 3}, {71, 2}, {71, 4}, {71, 6}, {71, 9}, {0, 0} };
static const Step level_noise[] = {
    {WHITE_FAST, 6}, {WHITE_FAST, 9}, {WHITE_FAST, 12}, {0, 0} };
// clang-format on

static const Effect effects[] = {
    {start_tone, 0},
    {collect_tone, 0},
    {hit_tone, hit_noise},
    {level_tone, level_noise},
};

static struct {
    Voice voices[2];
    const Step *tone_effect, *noise_effect;
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

static void voice_start(Voice* voice, const unsigned char* score, unsigned char volume) {
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

static void voice_frame(Voice* voice, unsigned char channel) {
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

    if (snd.tone_effect && snd.tone_effect->value) {
        tone_period(2, snd.tone_effect->value);
        attenuation(2, snd.tone_effect->att);
        ++snd.tone_effect;
    } else {
        snd.tone_effect = 0;
        attenuation(2, PSG_SILENT);
    }
    if (snd.noise_effect && snd.noise_effect->value) {
        if (snd.noise_effect->value != snd.noise_control) {
            snd.noise_control = (unsigned char)snd.noise_effect->value;
            psg_put(PSG_NOISE_CONTROL | snd.noise_control);
        }
        attenuation(PSG_NOISE, snd.noise_effect->att);
        ++snd.noise_effect;
    } else {
        snd.noise_effect = 0;
        attenuation(PSG_NOISE, PSG_SILENT);
    }
}
