// Shared by the video chip's own files and nothing else: the constants both behaviours
// read tables with, the pattern-drawing helpers they share, and the hardware behaviour's
// line renderer, which works on the chip state that vdp.cpp owns.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

#include "video/vdp.h"
#include "video/vdp_state.h"

namespace plexaro {

// Addresses wrap at 16 KB: register values large enough to push a table past the end
// (register 2 up to 0x7F * 0x400) read from the start of vram again.
inline constexpr uint32_t VramMask = VramSize - 1;

// The sprite pattern table: pattern numbers 0..255 of eight bytes each; 16x16 sprites stay
// inside it too.
inline constexpr uint32_t SpritePatternBytes = 256 * 8;
// In 16x16 patterns the right half's rows follow the left half's sixteen.
inline constexpr uint32_t RightHalfOffset = 16;

// Graphics II splits the screen into thirds of 64 lines with a 2 KB pattern and colour
// block each.
inline constexpr uint32_t ThirdLineMask = 0xC0;
inline constexpr uint32_t ThirdShift = 5;

// One bit of the lane mask per pixel: four 16-bit pixels share a 64-bit word, so a pattern
// byte's eight pixels are two masked stores. Lane order follows memory order.
constexpr uint64_t LaneMask(uint32_t nibble) {
    uint64_t mask = 0;
    for (uint32_t pixel = 0; pixel < 4; ++pixel) {
        if (nibble & (8u >> pixel)) {
            const uint32_t lane = std::endian::native == std::endian::little ? pixel : 3 - pixel;
            mask |= uint64_t{0xFFFF} << (16 * lane);
        }
    }
    return mask;
}

constexpr auto MakeNibbleMasks() {
    struct Table {
        uint64_t mask[16];
    } table{};
    for (uint32_t nibble = 0; nibble < 16; ++nibble) table.mask[nibble] = LaneMask(nibble);
    return table;
}

inline constexpr auto NibbleMasks = MakeNibbleMasks();
inline constexpr uint64_t FourLanes = 0x0001000100010001;

inline void FillBackdrop(uint16_t* row, uint16_t backdrop) {
    const uint64_t wide = backdrop * FourLanes;
    for (uint32_t x = 0; x < VdpScreenWidth; x += 4) std::memcpy(row + x, &wide, 8);
}

// Eight 16-bit pixels, lane k at pixel k; the compiler turns the operations on them into
// single vector instructions.
using Pixels8 = uint16_t __attribute__((vector_size(16)));

// Per pattern byte, all ones in the lanes of its set bits: bit 7 is the leftmost pixel.
struct PatternMaskTable {
    alignas(16) uint16_t lanes[256][8];
};

constexpr PatternMaskTable MakePatternMasks() {
    PatternMaskTable table{};
    for (uint32_t bits = 0; bits < 256; ++bits) {
        for (uint32_t pixel = 0; pixel < 8; ++pixel) {
            table.lanes[bits][pixel] = (bits >> (7 - pixel)) & 1 ? 0xFFFF : 0;
        }
    }
    return table;
}

inline constexpr PatternMaskTable PatternMasks = MakePatternMasks();

inline Pixels8 LoadPixels(const uint16_t* from) {
    Pixels8 pixels;
    std::memcpy(&pixels, from, sizeof pixels);
    return pixels;
}

inline void StorePixels(uint16_t* to, Pixels8 pixels) {
    std::memcpy(to, &pixels, sizeof pixels);
}

// Eight pixels of a pattern byte in a colour byte's two colours: the background everywhere,
// flipped to the foreground where the pattern has its bits.
[[gnu::always_inline]] inline void PutPattern(uint16_t* out, uint8_t bits, uint8_t colours,
                                              const VdpState& chip) {
    const Pixels8 background = LoadPixels(chip.tileColours[colours][0]);
    const Pixels8 flip = LoadPixels(chip.tileColours[colours][1]);
    StorePixels(out, background ^ (flip & LoadPixels(PatternMasks.lanes[bits])));
}

inline void WidePalette(const uint16_t* palette, uint64_t* wide) {
    for (uint32_t colour = 0; colour < 16; ++colour) wide[colour] = palette[colour] * FourLanes;
}

// Offset of a sprite's pattern inside the sprite pattern table; with the right half and any
// row added it stays inside the table's 2 KB.
inline uint32_t SpritePattern(uint8_t number, int size) {
    return (size == 16 ? number & 0xFC : number) * 8u;
}

// Draws line `line` (0 to 191) the way the TMS9918A does, status bits included.
void VdpRenderHardwareLine(VdpState& chip, uint32_t line);

// The simple behaviour's sprites (vdp_sprites.cpp): a changed vram byte, the sprites of a
// line drawn over its background, and the collision test. The entries covering each line
// serve both behaviours, each with its own sprite height.
void NoteSpriteChange(VdpState& chip, uint32_t address, uint8_t previous);
void FindSpriteLines(VdpState& chip);
// The entries covering a line (0 to 191) in the hardware behaviour's geometry, whichever
// behaviour draws: the chip's own record in the hardware behaviour, a scan of the table in
// the simple one.
uint32_t HardwareSpriteLine(VdpState& chip, uint32_t line);
void DrawSimpleSprites(VdpState& chip, uint32_t line);
bool FindSimpleCollision(const VdpState& chip);

// The background of a Graphics I or II line with the display on, from the tile rows (see
// VdpState), in the selected behaviour's way of reading the tables.
void DrawTileLine(uint16_t* row, uint32_t y);

}  // namespace plexaro
