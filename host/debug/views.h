// What the desktop program's debug windows show, worked out from the chips' state without a
// window: the video chip's registers decoded, its pattern tables as pictures, the sound
// chip's channels in Hz, and a record of how long each frame took.
//
//     const VdpSummary video = DescribeVdp(VdpInspect());
//     uint32_t pixels[PatternImageSize * PatternImageSize];
//     DrawPatternTable(VdpInspect(), 0, pixels);   // 256 patterns, 16 by 16
//     const PsgChannelSummary tone = DescribePsgChannel(*PsgInspect(0), 0);
#pragma once

#include <cstdint>

#include "sound/psg.h"
#include "video/vdp.h"

namespace plexaro {

struct VdpSummary {
    const char* mode;  // "Graphics I", "Graphics II", "Text", "Multicolor"
    uint32_t nameTable, colourTable, patternTable, spriteAttributeTable, spritePatternTable;
    uint32_t textColour, backdropColour;  // palette indexes from register 7
    uint32_t spriteSize;                  // 8 or 16
    bool magnified, displayEnabled, interruptEnabled;
    bool frameFlag, fifthSprite, collision;
    uint32_t fifthSpriteNumber;
};

VdpSummary DescribeVdp(const VdpView& vdp);

inline constexpr uint32_t PatternImageSize = 128;  // 16 x 16 patterns of 8 x 8 pixels

// The 256 patterns of one third of the pattern table (only Graphics II has three; the others
// use third 0) as 0xAARRGGBB pixels, each pattern in the colours the screen gives it: per
// group of eight in Graphics I, per row in Graphics II, register 7's in Text and Multicolor.
void DrawPatternTable(const VdpView& vdp, uint32_t third, uint32_t* pixels);
uint32_t PaletteArgb(uint32_t colour);  // colour 0 shows as the backdrop would: black

struct PsgChannelSummary {
    uint32_t period;       // the 10-bit period register (tones) or the noise control (noise)
    double frequency;      // Hz of the tone, or of the noise register's shifts
    uint32_t attenuation;  // 0 loudest .. 15 silent, 2 dB a step
    bool whiteNoise;       // noise only
    const char* rate;      // noise only: "clock / 512", "clock / 1024", "clock / 2048", "tone 2"
};

PsgChannelSummary DescribePsgChannel(const PsgChip& chip, uint32_t channel);

// The time each of the last frames took, emulating and presenting, in milliseconds.
inline constexpr uint32_t FrameTimeCount = 240;
struct FrameTimes {
    float emulate[FrameTimeCount];
    float present[FrameTimeCount];
    uint32_t next;  // where the next frame's times go
};
void RecordFrameTime(FrameTimes& times, float emulate, float present);

}  // namespace plexaro
