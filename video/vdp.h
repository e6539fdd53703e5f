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
inline constexpr uint32_t VdpVisibleLines = 192;
inline constexpr uint32_t VdpScreenWidth = 256;
inline constexpr uint32_t VdpTileRows = 0x1800;  // pattern bytes of Graphics II's three thirds
inline constexpr uint32_t VdpTileRowsPerThird = 0x800;
inline constexpr uint32_t VdpPageBytes = 128;  // vram pages for the data port's bookkeeping

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

// The chip's fixed colours: red, green, blue. Colour 0 is transparent and is never drawn
// as itself; every component is a multiple of 32, so both 16-bit packings are exact.
// clang-format off
inline constexpr uint8_t RgbPalette[16][3] = {
    {  0,   0,   0}, {  0,   0,   0}, { 32, 192,  32}, { 96, 224,  96},
    { 32,  32, 224}, { 64,  96, 224}, {160,  32,  32}, { 64, 192, 224},
    {224,  32,  32}, {224,  96,  96}, {192, 192,  32}, {192, 192, 128},
    { 32, 128,  32}, {192,  64, 160}, {160, 160, 160}, {224, 224, 224},
};

// Masks applied to registers 2 to 6 before they become table offsets, one row per ScreenMode.
inline constexpr uint8_t TableBaseMasks[4][5] = {
    // name  colour pattern sprAttr sprPat
    {0x7F, 0x00, 0x3F, 0x00, 0x3F},  // Text
    {0x7F, 0xFF, 0x3F, 0xFF, 0x3F},  // GraphicsI
    {0x7F, 0x80, 0x3C, 0xFF, 0x3F},  // GraphicsII
    {0x7F, 0x00, 0x3F, 0xFF, 0x3F},  // Multicolor
};
// clang-format on

// One sprite as the simple behaviour draws it, decoded from its attribute entry: where its
// pattern rows are, and how a row's 16-bit word (bit 15 leftmost) lands in the line's
// eight-pixel groups once clipped.
struct VdpSpriteRecord {
    uint16_t pattern;     // vram offset of row 0 of its pattern's left half
    uint8_t rightOffset;  // 16 for 16x16 sprites (the right half's rows), else 0
    uint8_t rightMask;    // 0xFF for 16x16 sprites, else 0
    int16_t firstLine;    // the line that shows row 0
    uint16_t groups;      // first pixel of the first group it touches
    uint16_t keep;        // the word's bits that stay on screen, after leftShift
    uint8_t leftShift;    // pixels clipped at the left edge
    uint8_t spanShift;    // 8 - x mod 8: the word's place in its three groups
    uint8_t colour;       // 0: draws nothing (transparent, or wholly off the left edge)
    uint8_t groupCount;   // 1 to 3: the groups it touches inside the row
};

struct VdpState {
    uint8_t registers[VdpRegisterCount];
    uint8_t vram[VramSize];
    uint16_t address;     // 0..0x3FFF, next data-port transfer
    uint8_t accessCode;   // 0 read set-up, 1 write set-up, 3 transfers blocked
    uint8_t readBuffer;   // the data port's read-ahead byte
    bool controlLatched;  // a first control byte is held
    uint8_t firstByte;
    uint8_t status;
    ScreenMode mode;
    // Table offsets into vram, computed when registers 0 to 6 are written.
    uint32_t nameTable;
    uint32_t colourTable;
    uint32_t patternTable;
    uint32_t spriteAttributeTable;
    uint32_t spritePatternTable;
    uint8_t backdropColour;
    uint8_t textColour;         // Text mode's 1-bits; drawn only by the hardware behaviour
    uint16_t pixelPalette[16];  // ready-made pixels; entry 0 holds the backdrop
    uint16_t* frameBuffer;      // null while empty
    uint32_t rowStride;         // pixels per FrameBuffer row
    VideoBehaviour behaviour;   // kept through VdpInit and VdpReset

    // Derived data: what the renderers would otherwise work out again on every line, kept
    // here and made again from the fields above by VdpRebuildDerived. A saved state leaves
    // it out; a restored one calls VdpRebuildDerived.
    //
    // Per page of vram: whether a byte of it feeds anything below, so that the data port
    // looks no further for the others (the name table's, most of all).
    bool feedsDerived[VramSize / VdpPageBytes];
    // The sprite collision answer depends only on vram and registers, so it is remembered
    // until a data write or a register write could change it.
    bool collisionKnown;
    bool collisionFound;
    // The sprite entries covering each line, bit e for entry e (simple behaviour), found in
    // one walk of the attribute table, moved along with each changed Y byte, and walked
    // again when the end marker, the sprite size or the table moves.
    bool spriteLinesKnown;
    uint8_t spriteEntries;  // entries before the end marker
    uint32_t spriteLines[VdpVisibleLines];
    // Bit e set: record e is current. A write to entry e, the sprite size or a sprite table
    // clears it.
    uint32_t spriteRecordsKnown;
    VdpSpriteRecord spriteRecords[32];
    // Per colour byte: eight pixels of its background colour, and the XOR that turns one
    // into its foreground colour; made when the palette changes.
    alignas(16) uint16_t tileColours[256][2][8];
    // Graphics I and II: the eight pixels each pattern-table index shows, its pattern byte
    // in its colours (the hardware behaviour reads both through its Graphics II masks). A
    // row is current while its stamp equals the generation; a changed pattern or colour
    // byte clears its rows' stamps, and a new palette, table, mask, mode or behaviour
    // starts a new generation, so rows are made again as lines need them.
    uint8_t tileRowGeneration;
    uint8_t tileRowStamps[VdpTileRows];
    // Per block of rows one line can show (one pattern row of one third), how many are
    // stale; a block with none is drawn without looking at the stamps.
    uint16_t staleTileRows[VdpTileRows / 256];
    alignas(16) uint16_t tileRows[VdpTileRows][8];
    // Bit k set: some byte of vram k * 256 to k * 256 + 255 has changed since the last
    // VdpTakeVramChanges() (all set after init or a restore, where anything may have).
    uint64_t vramChanged;
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
void DrawSpriteLine(uint32_t line);
bool DetectSpriteCollision();

void VdpSelectPixelFormat(uint32_t format);  // 1: Rgb565, anything else: Rgb555
// Takes effect from the next line drawn. Leaving hardware drops the status bits that the
// simple chip never sets.
void VdpSelectBehaviour(VideoBehaviour behaviour);
VideoBehaviour VdpBehaviour();
uint16_t* VdpGetFrameBuffer();  // null while the FrameBuffer is empty
uint32_t VdpRowStride();

uint8_t VdpRegister(uint32_t number);  // read access for the machine (register 1: interrupt enable)
uint8_t VdpStatus();                   // the status without clearing it
const VdpState& VdpInspect();          // read-only view for tests and tools
// Puts back what a save state holds of the chip (registers, video memory, the port's
// address and latch, read buffer, status, mode and behaviour); everything else follows
// from those. The frame buffer and its pixel format stay as they are.
void VdpRestore(const VdpState& saved);
// Sprite geometry as the selected behaviour draws it: the lines a sprite spans (magnified
// sprites are doubled in the hardware behaviour), and the line just above its first row for
// a Y byte (bytes near the end of the range stand for rows above the screen).
// The chip counts every Y byte above the end marker (0xD0) as negative; the simple
// behaviour only those that leave part of the sprite on screen, which differs on the byte
// 256 - height (a row on line 0 on the chip). Inline: the hardware behaviour asks per line.
inline int VdpSpriteHeight(const VdpState& chip) {
    const bool doubled = chip.behaviour == VideoHardware && (chip.registers[1] & VdpMagnify);
    return ((chip.registers[1] & VdpSpriteSize16) ? 16 : 8) << (doubled ? 1 : 0);
}
inline int VdpSpriteTop(const VdpState& chip, uint8_t y) {
    if (chip.behaviour == VideoHardware) return y > 0xD0 ? y - 256 : y;
    return y > 256 - VdpSpriteHeight(chip) ? y - 256 : y;
}
// The 256-byte blocks of vram changed since the last call (see VdpState::vramChanged), for
// a caller that keeps a copy and compares only what may differ.
uint64_t VdpTakeVramChanges();
// Makes the derived data (see VdpState) again from the registers, vram and the palette, as
// after a state was put back from outside the chip.
void VdpRebuildDerived();

}  // namespace plexaro
