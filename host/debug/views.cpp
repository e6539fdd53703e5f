// The debug windows' contents, decoded from the chips' state.
#include "host/debug/views.h"

#include "machine/machine.h"

namespace plexaro {
namespace {

constexpr uint32_t VramMask = VramSize - 1;
constexpr uint32_t ThirdBytes = 0x800;  // 256 patterns of 8 bytes
constexpr uint32_t NoiseChannel = 3;

// Graphics II patterns and colours per third; the other screens' colours per pattern.
uint8_t ColourByte(const VdpView& vdp, uint32_t third, uint32_t name, uint32_t row) {
    switch (vdp.mode) {
        case GraphicsI: return vdp.vram[(vdp.colourTable + name / 8) & VramMask];
        case GraphicsII:
            return vdp.vram[(vdp.colourTable + third * ThirdBytes + name * 8 + row) & VramMask];
        default: return static_cast<uint8_t>(vdp.textColour << 4 | vdp.backdropColour);
    }
}

}  // namespace

uint32_t PaletteArgb(uint32_t colour) {
    const uint8_t* rgb = RgbPalette[colour & 15];
    return 0xFF000000u | rgb[0] << 16 | rgb[1] << 8 | rgb[2];
}

VdpSummary DescribeVdp(const VdpView& vdp) {
    static constexpr const char* Modes[] = {"Text", "Graphics I", "Graphics II", "Multicolor"};
    const uint8_t r1 = vdp.registers[1];
    const uint8_t status = vdp.status;
    return {Modes[vdp.mode & 3],
            vdp.nameTable,
            vdp.colourTable,
            vdp.patternTable,
            vdp.spriteAttributeTable,
            vdp.spritePatternTable,
            static_cast<uint32_t>(vdp.registers[7] >> 4),
            static_cast<uint32_t>(vdp.registers[7] & 15),
            (r1 & VdpSpriteSize16) ? 16u : 8u,
            (r1 & VdpMagnify) != 0,
            (r1 & VdpDisplayEnable) != 0,
            (r1 & VdpInterruptEnable) != 0,
            (status & FrameFlag) != 0,
            (status & FifthSpriteFlag) != 0,
            (status & CollisionFlag) != 0,
            static_cast<uint32_t>(status & FifthSpriteNumber)};
}

void DrawPatternTable(const VdpView& vdp, uint32_t third, uint32_t* pixels) {
    const uint32_t base = vdp.patternTable + (vdp.mode == GraphicsII ? third * ThirdBytes : 0);
    for (uint32_t name = 0; name < 256; ++name) {
        const uint32_t left = (name % 16) * 8;
        const uint32_t top = (name / 16) * 8;
        for (uint32_t row = 0; row < 8; ++row) {
            const uint8_t bits = vdp.vram[(base + name * 8 + row) & VramMask];
            const uint8_t colours = ColourByte(vdp, third, name, row);
            const uint32_t one = PaletteArgb(colours >> 4);
            const uint32_t zero = PaletteArgb(colours & 15);
            uint32_t* out = pixels + (top + row) * PatternImageSize + left;
            for (uint32_t x = 0; x < 8; ++x) out[x] = (bits & (0x80 >> x)) ? one : zero;
        }
    }
}

PsgChannelSummary DescribePsgChannel(const PsgChip& chip, uint32_t channel) {
    PsgChannelSummary summary{};
    channel &= 3;
    summary.attenuation = static_cast<uint32_t>(chip.registers[channel * 2 + 1] & 15);
    if (channel != NoiseChannel) {
        summary.period = static_cast<uint32_t>(chip.registers[channel * 2] & 0x3FF);
        // A full wave lasts 32 clock cycles per period step; a period of 0 acts as 1.
        const uint32_t steps = summary.period == 0 ? 1 : summary.period;
        summary.frequency = ConsoleClockHz / (32.0 * steps);
        return summary;
    }
    static constexpr const char* Rates[] = {"clock / 512", "clock / 1024", "clock / 2048",
                                            "tone 2"};
    const uint32_t control = static_cast<uint32_t>(chip.registers[6] & 7);
    summary.period = control;
    summary.whiteNoise = (control & 4) != 0;
    summary.rate = Rates[control & 3];
    if ((control & 3) == 3) {
        const uint32_t tone2 = static_cast<uint32_t>(chip.registers[4] & 0x3FF);
        summary.frequency = ConsoleClockHz / (32.0 * (tone2 == 0 ? 1 : tone2));
    } else {
        summary.frequency = ConsoleClockHz / static_cast<double>(512u << (control & 3));
    }
    return summary;
}

void RecordFrameTime(FrameTimes& times, float emulate, float present) {
    times.emulate[times.next] = emulate;
    times.present[times.next] = present;
    times.next = (times.next + 1) % FrameTimeCount;
}

}  // namespace plexaro
