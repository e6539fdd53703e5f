// The video display processor: the console's TMS9918-type video chip with its 16 KB of
// video memory, and a scanline renderer that draws it into 16-bit pixels.
//
// There is exactly one chip per process; every operation acts on it without a handle.
//
// In: bytes the CPU writes to the data and control ports (VdpWriteData, VdpWriteControl),
// reads of those ports (VdpReadData, VdpReadStatus), and one VdpRenderLine call per visible
// line from the frame scheduler. Out: the FrameBuffer, 192 rows of rowStride pixels in
// RGB 565 or RGB 555 (pixels 256 and up of a row are never written), the status byte, and
// one call into the CPU core: z80::RaiseIrq(0xFF) when register 1's interrupt enable is
// switched on while the frame flag is set.
//
// Unit of time: one scanline. Register and memory changes show from the next line drawn.
//
// Outside the chip, tools read it through VdpInspect's small view, and save states take and
// put back a VdpSnapshot; what the chip works out for drawing stays inside video/.
//
// Two behaviours, chosen per run with VdpSelectBehaviour and kept through VdpInit and
// VdpReset. VideoSimple (the default) is the forgiving chip players like: every sprite on a
// line is drawn, magnification is ignored, sprites show over a blanked screen, collisions
// are judged from whole patterns wherever they are, Text and Multicolor leave a line's
// pixels as they were, and the frame flag is set only while the interrupt is enabled.
// VideoHardware draws what the TMS9918A draws: four sprites per line with the fifth
// reported, magnified sprites, blanking that hides sprites, collisions only where sprites
// meet on a drawn line, Text and Multicolor screens, the frame flag every frame, and the
// Graphics II table masks.
//
// Typical use, as the console machine does it:
//
//     VdpInit(stride);                      // again at each cartridge load
//     VdpSelectPixelFormat(Rgb565);
//     for (uint32_t line = 0; line < 262; ++line) {
//         z80::Run(227);                    // port handlers call VdpWriteControl & co.
//         if (line < VdpVisibleLines) VdpRenderLine(line);
//     }
//     Present(VdpGetFrameBuffer(), VdpRowStride());
//     ...
//     VdpRelease();
#pragma once

#include <cstdint>

namespace plexaro {

enum ScreenMode : uint8_t { Text = 0, GraphicsI = 1, GraphicsII = 2, Multicolor = 3 };
enum PixelFormat : uint32_t { Rgb555 = 0, Rgb565 = 1 };
enum VideoBehaviour : uint8_t { VideoSimple = 0, VideoHardware = 1 };

inline constexpr uint32_t VdpRegisterCount = 8;
inline constexpr uint32_t VramSize = 0x4000;
// The picture: 256 pixels by 192 lines. Every host's picture size comes from these two.
inline constexpr uint32_t VdpScreenWidth = 256;
inline constexpr uint32_t VdpVisibleLines = 192;

// Register 1 bits.
inline constexpr uint8_t VdpDisplayEnable = 0x40;    // clear: the background shows the backdrop
inline constexpr uint8_t VdpInterruptEnable = 0x20;  // frame flag set at line 191, IRQ raised
inline constexpr uint8_t VdpSpriteSize16 = 0x02;     // 16x16 sprites instead of 8x8
inline constexpr uint8_t VdpMagnify = 0x01;          // hardware only: sprite pixels doubled

// Status bits. The simple behaviour never sets the fifth-sprite bit or the number bits.
inline constexpr uint8_t FrameFlag = 0x80;        // line 191 drawn (simple: with interrupts on)
inline constexpr uint8_t FifthSpriteFlag = 0x40;  // hardware: a line had five sprites
inline constexpr uint8_t CollisionFlag = 0x20;    // two sprites have set pixels in one place
// Hardware: the fifth sprite's entry number while FifthSpriteFlag is set; otherwise the
// entry where the last line's scan stopped (its 0xD0 end marker, or 31).
inline constexpr uint8_t FifthSpriteNumber = 0x1F;

// The sprite attribute table: 32 entries of four bytes (Y, X, pattern number, colour with
// the early clock bit), read in entry order up to the first whose Y byte is the end marker.
inline constexpr uint32_t VdpSpriteCount = 32;
inline constexpr uint32_t VdpSpriteEntryBytes = 4;
inline constexpr uint32_t VdpSpriteAttributeBytes = VdpSpriteCount * VdpSpriteEntryBytes;
enum VdpSpriteByte : uint32_t {
    SpriteYByte = 0,
    SpriteXByte = 1,
    SpriteNameByte = 2,
    SpriteColourByte = 3
};
inline constexpr uint8_t VdpSpriteEndMarker = 0xD0;  // in a Y byte: no entry from here on
inline constexpr uint32_t VdpSpritesPerLine = 4;     // the chip shows the first four on a line
inline constexpr uint8_t VdpSpriteColourMask = 0x0F;
inline constexpr uint8_t VdpEarlyClock = 0x80;  // in the colour byte: drawn 32 pixels left
inline constexpr int VdpEarlyClockShift = 32;

// The column of a sprite's leftmost pixel, -32 to 255.
inline int VdpSpriteLeft(uint8_t xByte, uint8_t colourByte) {
    return xByte - ((colourByte & VdpEarlyClock) ? VdpEarlyClockShift : 0);
}

// The chip's fixed colours: red, green, blue. Colour 0 is transparent and is never drawn
// as itself; every component is a multiple of 32, so both 16-bit packings are exact.
// clang-format off
inline constexpr uint8_t RgbPalette[16][3] = {
    {  0,   0,   0}, {  0,   0,   0}, { 32, 192,  32}, { 96, 224,  96},
    { 32,  32, 224}, { 64,  96, 224}, {160,  32,  32}, { 64, 192, 224},
    {224,  32,  32}, {224,  96,  96}, {192, 192,  32}, {192, 192, 128},
    { 32, 128,  32}, {192,  64, 160}, {160, 160, 160}, {224, 224, 224},
};
// clang-format on

// A 16-bit pixel back as 8-bit red, green and blue: each field goes back to the top of its
// byte, which recovers the palette's components exactly (they are multiples of 32).
inline void PixelToRgb(uint16_t pixel, uint32_t format, uint8_t* rgb) {
    if (format == Rgb565) {
        rgb[0] = static_cast<uint8_t>((pixel >> 11) << 3);
        rgb[1] = static_cast<uint8_t>(((pixel >> 5) & 0x3F) << 2);
    } else {
        rgb[0] = static_cast<uint8_t>(((pixel >> 10) & 0x1F) << 3);
        rgb[1] = static_cast<uint8_t>(((pixel >> 5) & 0x1F) << 3);
    }
    rgb[2] = static_cast<uint8_t>((pixel & 0x1F) << 3);
}

// What tools and the save state may see of the chip. The two pointers are the chip's own
// registers and video memory (read-only, valid for the whole run, following later writes);
// the other fields are as they were when VdpInspect was called.
struct VdpView {
    const uint8_t* registers;  // VdpRegisterCount bytes
    const uint8_t* vram;       // VramSize bytes
    uint16_t address;          // 0..0x3FFF, next data-port transfer
    uint8_t accessCode;        // 0 read set-up, 1 write set-up, 3 transfers blocked
    uint8_t readBuffer;        // the data port's read-ahead byte
    bool controlLatched;       // a first control byte is held
    uint8_t firstByte;
    uint8_t status;
    ScreenMode mode;
    // Table offsets into vram, from registers 2 to 6 as the mode masks them.
    uint32_t nameTable;
    uint32_t colourTable;
    uint32_t patternTable;
    uint32_t spriteAttributeTable;
    uint32_t spritePatternTable;
    uint8_t backdropColour;
    uint8_t textColour;  // Text mode's 1-bits; drawn only by the hardware behaviour
    VideoBehaviour behaviour;
};

// All a save state holds of the chip: everything else follows from it.
struct VdpSnapshot {
    uint8_t registers[VdpRegisterCount];
    uint8_t vram[VramSize];
    uint16_t address;
    uint8_t accessCode;
    uint8_t readBuffer;
    bool controlLatched;
    uint8_t firstByte;
    uint8_t status;
    ScreenMode mode;  // state of its own: registers that select no mode keep the last one
    VideoBehaviour behaviour;
};

void VdpInit(uint32_t rowStride);  // a stride below 256 gives an empty FrameBuffer
void VdpReset();
void VdpRelease();

void VdpWriteControl(uint8_t value);
void VdpWriteData(uint8_t value);
uint8_t VdpReadData();
uint8_t VdpReadStatus();  // returns the status and clears bits 7, 6, 5
void VdpWriteRegister(uint32_t number, uint8_t value);  // 8 to 15 are ignored

void VdpRenderLine(uint32_t line);  // 0..191; other lines are ignored

void VdpSelectPixelFormat(uint32_t format);  // 1: Rgb565, anything else: Rgb555
// Takes effect from the next line drawn. Leaving hardware drops the status bits that the
// simple chip never sets.
void VdpSelectBehaviour(VideoBehaviour behaviour);
VideoBehaviour VdpBehaviour();
uint16_t* VdpGetFrameBuffer();  // null while the FrameBuffer is empty
uint32_t VdpRowStride();

uint8_t VdpRegister(uint32_t number);  // read access for the machine (register 1: interrupt enable)
uint8_t VdpStatus();                   // the status without clearing it
VdpView VdpInspect();                  // read-only view for tools, tests and save states
void VdpSave(VdpSnapshot& out);        // what VdpRestore puts back
// Puts back a saved chip; the frame buffer and its pixel format stay as they are.
void VdpRestore(const VdpSnapshot& saved);
// The 256-byte blocks of vram changed since the last call (bit k: bytes k * 256 to
// k * 256 + 255; all set after init or a restore, where anything may have), for a caller
// that keeps a copy and compares only what may differ.
uint64_t VdpTakeVramChanges();

// Sprite geometry as the selected behaviour draws it: the lines a sprite spans (magnified
// sprites are doubled in the hardware behaviour), and the line just above its first row for
// a Y byte (bytes near the end of the range stand for rows above the screen).
// The chip counts every Y byte above the end marker (0xD0) as negative; the simple
// behaviour only those that leave part of the sprite on screen, which differs on the byte
// 256 - height (a row on line 0 on the chip). Inline: the hardware behaviour asks per line.
inline int VdpSpriteHeight(uint8_t register1, VideoBehaviour behaviour) {
    const bool doubled = behaviour == VideoHardware && (register1 & VdpMagnify);
    return ((register1 & VdpSpriteSize16) ? 16 : 8) << (doubled ? 1 : 0);
}
inline int VdpSpriteTop(uint8_t register1, VideoBehaviour behaviour, uint8_t y) {
    if (behaviour == VideoHardware) return y > VdpSpriteEndMarker ? y - 256 : y;
    return y > 256 - VdpSpriteHeight(register1, behaviour) ? y - 256 : y;
}
inline int VdpSpriteHeight(const VdpView& chip) {
    return VdpSpriteHeight(chip.registers[1], chip.behaviour);
}
inline int VdpSpriteTop(const VdpView& chip, uint8_t y) {
    return VdpSpriteTop(chip.registers[1], chip.behaviour, y);
}

// What the TMS9918A finds on a line (0 to 191) as it scans the sprite attribute table now,
// whichever behaviour draws: the entries whose rows cover the line (bit e for entry e;
// none on a blanked line or in Text mode), and the first it drops past VdpSpritesPerLine
// (VdpSpriteCount when it drops none). For tools that warn about what the console would drop.
struct VdpLineScan {
    uint32_t covering;
    uint32_t dropped;
};
VdpLineScan VdpScanSpriteLine(uint32_t line);

// One sprite attribute entry decoded, for tools.
struct VdpSpriteEntry {
    uint8_t y, x, name;
    uint8_t colour;   // 0 to 15; 0 draws nothing
    bool earlyClock;  // drawn 32 pixels left of x
    bool endMarker;   // y is the end marker: this entry and the later ones are not shown
    int left;         // the leftmost pixel's column, early clock included
    int top;          // the first row's line (negative: above the screen)
};
inline VdpSpriteEntry VdpDecodeSprite(const VdpView& chip, uint32_t entry) {
    const uint8_t* a =
        chip.vram + ((chip.spriteAttributeTable + entry * VdpSpriteEntryBytes) & (VramSize - 1));
    return {a[SpriteYByte],
            a[SpriteXByte],
            a[SpriteNameByte],
            static_cast<uint8_t>(a[SpriteColourByte] & VdpSpriteColourMask),
            (a[SpriteColourByte] & VdpEarlyClock) != 0,
            a[SpriteYByte] == VdpSpriteEndMarker,
            VdpSpriteLeft(a[SpriteXByte], a[SpriteColourByte]),
            VdpSpriteTop(chip, a[SpriteYByte]) + 1};
}

}  // namespace plexaro
