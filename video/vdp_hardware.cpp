// The hardware behaviour's line renderer: what the TMS9918A puts on a line, including the
// parts the simple behaviour leaves out on purpose (the four-sprite limit and its fifth-sprite
// report, magnified sprites, blanking over sprites, collisions where sprites really meet,
// Text and Multicolor screens, the Graphics II table masks, the frame flag every frame).
#include <bit>
#include <cstdint>
#include <cstring>
#include <utility>

#include "video/vdp_internal.h"

namespace plexaro {
namespace {

constexpr uint32_t TextColumns = 40;
constexpr uint32_t TextCellWidth = 6;  // the left six bits of each pattern byte
constexpr uint32_t TextBorder = 8;     // backdrop columns on either side of the text

// Each bit of a byte doubled: the horizontal half of sprite magnification.
constexpr auto MakeDoubledBytes() {
    struct Table {
        uint16_t bits[256];
    } table{};
    for (uint32_t byte = 0; byte < 256; ++byte) {
        uint32_t doubled = 0;
        for (uint32_t bit = 0; bit < 8; ++bit) {
            if (byte & (1u << bit)) doubled |= 3u << (2 * bit);
        }
        table.bits[byte] = static_cast<uint16_t>(doubled);
    }
    return table;
}

constexpr auto DoubledBytes = MakeDoubledBytes();

// A sprite as it crosses one line: its set pixels already placed, magnified and clipped to
// columns 0 to 255, so that drawing and the collision test read the same bits.
struct LineSprite {
    int left;       // the column of bit 63
    uint64_t bits;  // bit 63 - k set: pixel at column left + k
    uint8_t colour;
};

const uint8_t* Table(const VdpState& chip, uint32_t offset) {
    return chip.vram + (offset & VramMask);
}

void RenderText(const VdpState& chip, uint16_t* row, uint32_t y) {
    const uint64_t backdrop = chip.pixelPalette[0] * FourLanes;
    const uint64_t flip = backdrop ^ chip.pixelPalette[chip.textColour] * FourLanes;
    const uint8_t* names = Table(chip, chip.nameTable) + (y >> 3) * TextColumns;
    const uint8_t* patterns = Table(chip, chip.patternTable) + (y & 7);
    for (uint32_t x = 0; x < TextBorder; x += 4) {
        std::memcpy(row + x, &backdrop, 8);
        std::memcpy(row + VdpScreenWidth - TextBorder + x, &backdrop, 8);
    }
    // Two six-pixel cells make twelve pixels, three stores of four.
    uint16_t* out = row + TextBorder;
    for (uint32_t column = 0; column < TextColumns; column += 2, out += 2 * TextCellWidth) {
        const uint32_t bits = (patterns[names[column] * 8u] >> 2) << TextCellWidth |
                              patterns[names[column + 1] * 8u] >> 2;
        for (uint32_t lane = 0; lane < 3; ++lane) {
            const uint64_t pixels =
                backdrop ^ (flip & NibbleMasks.mask[bits >> (8 - 4 * lane) & 0x0F]);
            std::memcpy(out + 4 * lane, &pixels, 8);
        }
    }
}

// Each name picks a pattern whose bytes are 4x4 blocks: the byte follows the character row
// within its group of four and the upper or lower half of the row, so (y / 4) mod 8.
void RenderMulticolor(const VdpState& chip, uint16_t* row, uint32_t y) {
    uint64_t wide[16];
    WidePalette(chip.pixelPalette, wide);
    const uint8_t* names = Table(chip, chip.nameTable) + (y & 0xF8) * 4;
    const uint8_t* patterns = Table(chip, chip.patternTable) + ((y >> 2) & 7);
    for (uint32_t column = 0; column < 32; ++column) {
        const uint8_t blocks = patterns[names[column] * 8u];
        std::memcpy(row + column * 8, &wide[blocks >> 4], 8);
        std::memcpy(row + column * 8 + 4, &wide[blocks & 0x0F], 8);
    }
}

LineSprite PlaceSprite(const VdpState& chip, const uint8_t* attributes, uint32_t patternRow,
                       int size, int magnify) {
    const uint8_t* pattern = Table(chip, chip.spritePatternTable) +
                             SpritePattern(attributes[SpriteNameByte], size) + patternRow;
    const uint32_t leftByte = pattern[0];
    const uint32_t rightByte = size == 16 ? pattern[RightHalfOffset] : 0;
    // The row as a 16-bit word, or a 32-bit one when magnified, moved to the top of 64 bits.
    uint64_t bits = magnify ? uint64_t{DoubledBytes.bits[leftByte]} << 48 |
                                  uint64_t{DoubledBytes.bits[rightByte]} << 32
                            : uint64_t{leftByte << 8 | rightByte} << 48;
    int left = VdpSpriteLeft(attributes[SpriteXByte], attributes[SpriteColourByte]);
    // Pixels off either edge are dropped, never wrapped; left is never below -32.
    if (left < 0) {
        bits <<= -left;
        left = 0;
    }
    constexpr int LastWholeWord = static_cast<int>(VdpScreenWidth) - 64;
    if (left > LastWholeWord) bits &= ~uint64_t{0} << (left - LastWholeWord);
    return {left, bits, static_cast<uint8_t>(attributes[SpriteColourByte] & VdpSpriteColourMask)};
}

// Finds the first four sprites on the line, in entry order, and keeps the fifth-sprite
// status as the chip does: the first fifth sprite's number is held until the status is
// read; until then the number bits follow the entry where each line's scan stopped.
// Transparent (colour 0) sprites take their place in the four and in the collision test.
// The chip scans the attribute table on every line; the entries covering each line, kept
// up to date as the table changes, give the same four without the scan.
uint32_t FindLineSprites(VdpState& chip, uint32_t line, LineSprite* found) {
    if (!chip.spriteLinesKnown) FindSpriteLines(chip);
    const uint8_t register1 = chip.registers[1];
    const int size = (register1 & VdpSpriteSize16) ? 16 : 8;
    const int magnify = register1 & VdpMagnify;
    const uint8_t* attributes = Table(chip, chip.spriteAttributeTable);
    const bool fifthHeld = chip.status & FifthSpriteFlag;
    uint32_t count = 0;
    for (uint32_t covering = chip.spriteLines[line]; covering; covering &= covering - 1) {
        const uint32_t entry = static_cast<uint32_t>(std::countr_zero(covering));
        if (count == VdpSpritesPerLine) {
            if (!fifthHeld) {
                chip.status = static_cast<uint8_t>((chip.status & (FrameFlag | CollisionFlag)) |
                                                   FifthSpriteFlag | entry);
            }
            return count;
        }
        const uint8_t* sprite = attributes + entry * VdpSpriteEntryBytes;
        const uint32_t row =
            line - static_cast<uint32_t>(VdpSpriteTop(chip, sprite[SpriteYByte])) - 1;
        found[count++] = PlaceSprite(chip, sprite, row >> magnify, size, magnify);
    }
    if (!fifthHeld) {
        const uint32_t stopped =
            chip.spriteEntries < VdpSpriteCount ? chip.spriteEntries : VdpSpriteCount - 1;
        chip.status = static_cast<uint8_t>((chip.status & ~FifthSpriteNumber) | stopped);
    }
    return count;
}

bool SpritesMeet(const LineSprite* sprites, uint32_t count) {
    for (uint32_t i = 0; i < count; ++i) {
        for (uint32_t j = i + 1; j < count; ++j) {
            const LineSprite* a = &sprites[i];
            const LineSprite* b = &sprites[j];
            if (a->left > b->left) std::swap(a, b);
            const int distance = b->left - a->left;
            if (distance < 64 && ((a->bits << distance) & b->bits)) return true;
        }
    }
    return false;
}

void DrawSprites(const VdpState& chip, uint16_t* row, const LineSprite* sprites, uint32_t count) {
    // Highest entry first, so that the lowest-numbered sprite ends on top.
    for (uint32_t i = count; i-- > 0;) {
        const LineSprite& sprite = sprites[i];
        if (sprite.colour == 0) continue;
        // Eight pixels at a time, in the background's eight-pixel groups, as the simple
        // behaviour draws them: bit 63 - k of the span is pixel k from the first group.
        const uint32_t first = static_cast<uint32_t>(sprite.left) & ~7u;
        const uint64_t span = sprite.bits >> (sprite.left & 7);
        const Pixels8 colourLanes = LoadPixels(chip.tileColours[sprite.colour][0]);
        for (uint32_t group = 0; group < 5 && first + 8 * group < VdpScreenWidth; ++group) {
            const uint32_t bits = (span >> (56 - 8 * group)) & 0xFF;
            if (bits == 0) continue;
            uint16_t* out = row + first + 8 * group;
            const Pixels8 old = LoadPixels(out);
            StorePixels(out, old ^ ((old ^ colourLanes) & LoadPixels(PatternMasks.lanes[bits])));
        }
    }
}

void RenderSprites(VdpState& chip, uint16_t* row, uint32_t line) {
    LineSprite sprites[VdpSpritesPerLine];
    const uint32_t count = FindLineSprites(chip, line, sprites);
    if (count == 0) return;
    if (!(chip.status & CollisionFlag) && SpritesMeet(sprites, count)) {
        chip.status |= CollisionFlag;
    }
    if (row) DrawSprites(chip, row, sprites, count);
}

}  // namespace

void VdpRenderHardwareLine(VdpState& chip, uint32_t line) {
    uint16_t* row = chip.frameBuffer ? chip.frameBuffer + line * chip.rowStride : nullptr;
    if (!(chip.registers[1] & VdpDisplayEnable)) {
        // A blanked line shows the backdrop and looks at no sprite at all.
        if (row) FillBackdrop(row, chip.pixelPalette[0]);
    } else {
        switch (chip.mode) {
            case Text:
                if (row) RenderText(chip, row, line);
                break;
            case GraphicsI:
                if (row) DrawTileLine(row, line);
                RenderSprites(chip, row, line);
                break;
            case GraphicsII:
                if (row) DrawTileLine(row, line);
                RenderSprites(chip, row, line);
                break;
            case Multicolor:
                if (row) RenderMulticolor(chip, row, line);
                RenderSprites(chip, row, line);
                break;
        }
    }
    // The chip raises the flag every frame; the interrupt enable only gates the CPU's line.
    if (line == VdpVisibleLines - 1) chip.status |= FrameFlag;
}

}  // namespace plexaro
