// The simple behaviour's sprites: which entries cover each line, each entry decoded for
// drawing, the rows drawn over the background, and the collision test over whole patterns.
// Works on the chip state that vdp.cpp owns; what it keeps is derived data (see VdpState).
#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <utility>

#include "video/vdp_internal.h"

namespace plexaro {
namespace {

const uint8_t* Table(const VdpState& chip, uint32_t offset) {
    return chip.vram + (offset & VramMask);
}

int SpriteSize(const VdpState& chip) {
    return (chip.registers[1] & VdpSpriteSize16) ? 16 : 8;
}

// Sets or clears an entry's bit in the lines a sprite at this Y byte covers, in one
// behaviour's geometry.
void MarkSpriteLines(uint32_t* lines, uint8_t register1, VideoBehaviour geometry, uint32_t entry,
                     uint8_t yByte, bool covering) {
    const int height = VdpSpriteHeight(register1, geometry);
    const int top = VdpSpriteTop(register1, geometry, yByte);
    const int last = std::min(top + height, static_cast<int>(VdpVisibleLines) - 1);
    const uint32_t bit = 1u << entry;
    const uint32_t set = covering ? bit : 0;
    for (int line = std::max(top + 1, 0); line <= last; ++line) {
        lines[line] = (lines[line] & ~bit) | set;
    }
}

void MarkSpriteLines(VdpState& chip, uint32_t entry, uint8_t yByte, bool covering) {
    MarkSpriteLines(chip.spriteLines, chip.registers[1], chip.behaviour, entry, yByte, covering);
}

// One walk of the attribute table for the whole screen, as the chip scans it line by line:
// the entries before the end marker, each set in the lines it covers. Returns how many.
uint32_t MarkAllSpriteLines(const VdpState& chip, VideoBehaviour geometry, uint32_t* lines) {
    const uint8_t* yBytes = Table(chip, chip.spriteAttributeTable) + SpriteYByte;
    std::memset(lines, 0, VdpVisibleLines * sizeof *lines);
    uint32_t entry = 0;
    for (; entry < VdpSpriteCount && yBytes[entry * VdpSpriteEntryBytes] != VdpSpriteEndMarker;
         ++entry) {
        MarkSpriteLines(lines, chip.registers[1], geometry, entry,
                        yBytes[entry * VdpSpriteEntryBytes], true);
    }
    return entry;
}

}  // namespace

void FindSpriteLines(VdpState& chip) {
    chip.spriteEntries =
        static_cast<uint8_t>(MarkAllSpriteLines(chip, chip.behaviour, chip.spriteLines));
    chip.spriteLinesKnown = true;
}

uint32_t HardwareSpriteLine(VdpState& chip, uint32_t line) {
    if (chip.behaviour == VideoHardware) {
        if (!chip.spriteLinesKnown) FindSpriteLines(chip);
        return chip.spriteLines[line];
    }
    uint32_t lines[VdpVisibleLines];
    MarkAllSpriteLines(chip, VideoHardware, lines);
    return lines[line];
}

namespace {

[[gnu::noinline]] void DecodeSprite(VdpState& chip, uint32_t entry) {
    const uint8_t* attributes =
        Table(chip, chip.spriteAttributeTable) + entry * VdpSpriteEntryBytes;
    const int size = SpriteSize(chip);
    VdpSpriteRecord& sprite = chip.spriteRecords[entry];
    int x = VdpSpriteLeft(attributes[SpriteXByte], attributes[SpriteColourByte]);
    sprite.colour = x <= -size ? 0 : attributes[SpriteColourByte] & VdpSpriteColourMask;
    sprite.pattern = static_cast<uint16_t>((chip.spritePatternTable & VramMask) +
                                           SpritePattern(attributes[SpriteNameByte], size));
    // An 8x8 sprite reads its own row again for the right half and masks it away, which
    // keeps the read inside the table.
    sprite.rightOffset = size == 16 ? RightHalfOffset : 0;
    sprite.rightMask = size == 16 ? 0xFF : 0;
    sprite.firstLine = static_cast<int16_t>(VdpSpriteTop(chip, attributes[SpriteYByte]) + 1);
    // Clip by dropping bits, never wrapping.
    sprite.leftShift = static_cast<uint8_t>(x < 0 ? -x : 0);
    if (x < 0) x = 0;
    constexpr int LastWholeSprite = static_cast<int>(VdpScreenWidth) - 16;
    sprite.keep =
        static_cast<uint16_t>(x > LastWholeSprite ? 0xFFFFu << (x - LastWholeSprite) : 0xFFFFu);
    sprite.spanShift = static_cast<uint8_t>(8 - (x & 7));
    sprite.groups = static_cast<uint16_t>(x & ~7);
    const int lastPixel = std::min(x + size - 1, static_cast<int>(VdpScreenWidth) - 1);
    sprite.groupCount = static_cast<uint8_t>(lastPixel / 8 - x / 8 + 1);
    chip.spriteRecordsKnown |= 1u << entry;
}

void DrawSprite(const VdpState& chip, uint16_t* row, const VdpSpriteRecord& sprite, uint32_t line) {
    if (sprite.colour == 0) return;
    const uint8_t* pattern = chip.vram + sprite.pattern + (line - sprite.firstLine);
    const uint32_t word = pattern[0] << 8 | (pattern[sprite.rightOffset] & sprite.rightMask);

    // Eight pixels at a time through the pattern masks, in the same eight-pixel groups the
    // background was stored in, so that the groups never reach past the row: bit 23 - k of
    // the span is pixel k of the sprite's (at most three) groups, and what lies past the
    // right edge has no bits left.
    const uint32_t span = ((word << sprite.leftShift) & sprite.keep) << sprite.spanShift;
    uint16_t* out = row + sprite.groups;
    // The tile colours of colour byte `colour` have it as their background.
    const Pixels8 colourLanes = LoadPixels(chip.tileColours[sprite.colour][0]);
    // Groups without a set bit are written back as they were: cheaper than a branch the
    // predictor cannot learn from pattern data.
    for (uint32_t group = 0; group < sprite.groupCount; ++group) {
        const uint32_t bits = (span >> (16 - 8 * group)) & 0xFF;
        const Pixels8 old = LoadPixels(out + 8 * group);
        StorePixels(out + 8 * group,
                    old ^ ((old ^ colourLanes) & LoadPixels(PatternMasks.lanes[bits])));
    }
}

uint32_t CollisionRow(const uint8_t* pattern, int size) {
    return size == 8 ? pattern[0] : pattern[0] << 8 | pattern[RightHalfOffset];
}

// Whether two sprites that are near on both axes have set pixels in the same place.
bool PairMeets(uint8_t yi, uint8_t xi, const uint8_t* a, uint8_t yj, uint8_t xj, const uint8_t* b,
               int size) {
    // Raw coordinates, taken modulo 256, so overlaps across the wrap count too.
    int dy = static_cast<uint8_t>(yi - yj);
    int dx = static_cast<uint8_t>(xi - xj);
    if (dy < size) {
        b += dy;
    } else {
        dy = 256 - dy;
        a += dy;
    }
    // The sprite further right is at a, so its row shifts right onto b's.
    if (dx > 256 - size) {
        dx = 256 - dx;
        std::swap(a, b);
    }
    for (int row = 0; row < size - dy; ++row) {
        if (CollisionRow(b + row, size) & (CollisionRow(a + row, size) >> dx)) return true;
    }
    return false;
}

using Bytes16 = uint8_t __attribute__((vector_size(16)));

Bytes16 LoadBytes(const uint8_t* from) {
    Bytes16 bytes;
    std::memcpy(&bytes, from, sizeof bytes);
    return bytes;
}

}  // namespace

// What a changed byte of vram makes stale here: only the sprite tables feed the collision test,
// and only the Y bytes decide which lines a sprite covers. A sprite that moves takes its
// bit from its old lines to its new ones, so that a program moving sprites while the
// screen is drawn costs a few lines' worth of work, not a walk of the table per line.
void NoteSpriteChange(VdpState& chip, uint32_t address, uint8_t previous) {
    const uint32_t attribute = (address - chip.spriteAttributeTable) & VramMask;
    if (attribute < VdpSpriteAttributeBytes) {
        chip.collisionKnown = false;
        const uint32_t entry = attribute / VdpSpriteEntryBytes;
        chip.spriteRecordsKnown &= ~(1u << entry);
        if (attribute % VdpSpriteEntryBytes != SpriteYByte || !chip.spriteLinesKnown ||
            entry > chip.spriteEntries) {
            return;
        }
        const uint8_t yByte = chip.vram[address];
        if (previous == VdpSpriteEndMarker || yByte == VdpSpriteEndMarker) {
            chip.spriteLinesKnown = false;  // the end marker moved
        } else if (entry < chip.spriteEntries) {
            MarkSpriteLines(chip, entry, previous, false);
            MarkSpriteLines(chip, entry, yByte, true);
        }
    } else if (((address - chip.spritePatternTable) & VramMask) < SpritePatternBytes) {
        chip.collisionKnown = false;
    }
}

void DrawSimpleSprites(VdpState& chip, uint32_t line) {
    if (!chip.spriteLinesKnown) FindSpriteLines(chip);
    uint16_t* row = chip.frameBuffer + line * chip.rowStride;
    // Highest entry first, so that entry 0 ends up on top.
    for (uint32_t covering = chip.spriteLines[line]; covering;) {
        const uint32_t entry = 31 - std::countl_zero(covering);
        covering ^= 1u << entry;
        if (!(chip.spriteRecordsKnown & 1u << entry)) DecodeSprite(chip, entry);
        DrawSprite(chip, row, chip.spriteRecords[entry], line);
    }
}

bool FindSimpleCollision(const VdpState& chip) {
    const int size = SpriteSize(chip);
    const uint8_t* attributes = Table(chip, chip.spriteAttributeTable);
    const uint8_t* patterns = Table(chip, chip.spritePatternTable);
    // The sprites that can collide, coordinates apart so that sixteen of them are compared
    // at once; lanes past the last are masked off below.
    alignas(16) uint8_t ys[VdpSpriteCount] = {};
    alignas(16) uint8_t xs[VdpSpriteCount] = {};
    const uint8_t* pattern[VdpSpriteCount];
    uint32_t count = 0;
    for (uint32_t entry = 0; entry < VdpSpriteCount; ++entry) {
        const uint8_t* sprite = attributes + entry * VdpSpriteEntryBytes;
        if (sprite[SpriteYByte] == VdpSpriteEndMarker) break;
        if ((sprite[SpriteColourByte] & VdpSpriteColourMask) == 0) continue;
        ys[count] = sprite[SpriteYByte];
        xs[count] = sprite[SpriteXByte];
        pattern[count++] = patterns + SpritePattern(sprite[SpriteNameByte], size);
    }

    // Most pairs are far apart on one axis, and that is settled for sixteen pairs with a
    // handful of vector operations: two coordinates taken modulo 256 are near when they are
    // less than size apart either way. Only the near pairs have their rows compared.
    const Bytes16 reach = Bytes16{} + static_cast<uint8_t>(size - 1);
    const Bytes16 span = Bytes16{} + static_cast<uint8_t>(2 * size - 1);
    const Bytes16 lanes = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
    for (uint32_t i = 0; i + 1 < count; ++i) {
        for (uint32_t half = (i + 1) / 16; half * 16 < count; ++half) {
            const Bytes16 index = lanes + static_cast<uint8_t>(half * 16);
            const Bytes16 y = LoadBytes(ys + half * 16);
            const Bytes16 x = LoadBytes(xs + half * 16);
            const Bytes16 dy = static_cast<uint8_t>(ys[i]) - y + reach;
            const Bytes16 dx = static_cast<uint8_t>(xs[i]) - x + reach;
            const auto near = (dy < span) & (dx < span) & (index > static_cast<uint8_t>(i)) &
                              (index < static_cast<uint8_t>(count));
            uint64_t words[2];
            std::memcpy(words, &near, sizeof words);
            if ((words[0] | words[1]) == 0) continue;
            for (uint32_t lane = 0; lane < 16; ++lane) {
                if (near[lane] &&
                    PairMeets(ys[i], xs[i], pattern[i], ys[half * 16 + lane], xs[half * 16 + lane],
                              pattern[half * 16 + lane], size)) {
                    return true;
                }
            }
        }
    }
    return false;
}

}  // namespace plexaro
