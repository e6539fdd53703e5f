// The video chip's whole state with the data it derives for drawing: for the chip's own
// files and its unit tests, never for hosts (they have VdpView and VdpSnapshot in vdp.h).
#pragma once

#include <cstdint>

#include "video/vdp.h"

namespace plexaro {

inline constexpr uint32_t VdpTileRows = 0x1800;  // pattern bytes of Graphics II's three thirds
inline constexpr uint32_t VdpTileRowsPerThird = 0x800;
inline constexpr uint32_t VdpPageBytes = 128;  // vram pages for the data port's bookkeeping

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
    VdpSpriteRecord spriteRecords[VdpSpriteCount];
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

// The chip itself, read-only, for its unit tests.
const VdpState& VdpChipState();

// The simple behaviour's sprite steps, as VdpRenderLine takes them in Graphics I and II: the
// sprites crossing a line (0 to 191) drawn over its background, and whether two sprites
// have set pixels in one place anywhere (it does not depend on the line).
void DrawSpriteLine(uint32_t line);
bool DetectSpriteCollision();

// Makes the derived data (see VdpState) again from the registers, vram and the palette, as
// after a state was put back from outside the chip.
void VdpRebuildDerived();

inline int VdpSpriteHeight(const VdpState& chip) {
    return VdpSpriteHeight(chip.registers[1], chip.behaviour);
}
inline int VdpSpriteTop(const VdpState& chip, uint8_t y) {
    return VdpSpriteTop(chip.registers[1], chip.behaviour, y);
}

}  // namespace plexaro
