// The video chip's ports, registers and lifecycle, the derived data kept for drawing, and the
// simple behaviour's background. Its sprites are in vdp_sprites.cpp, the hardware
// behaviour's renderer in vdp_hardware.cpp.
#include "video/vdp.h"

#include <cstddef>
#include <cstring>
#include <new>

#include "cpu/z80.h"
#include "video/vdp_internal.h"

namespace plexaro {

namespace {

constexpr uint32_t PatternBytesGraphicsI = 256 * 8;

// Register 0 bit 1 (M3) and bits 2-3 form index bits 0-2; register 1 bits 3-4 (M2, M1)
// form index bits 3-4.
constexpr uint8_t ModeBitsRegister0 = 0x0E;
constexpr uint8_t ModeBitsRegister1 = 0x18;
constexpr uint32_t ModeIndexGraphicsI = 0;
constexpr uint32_t ModeIndexGraphicsII = 1;
constexpr uint32_t ModeIndexMulticolor = 8;
constexpr uint32_t ModeIndexText = 16;

// Masks applied to registers 2 to 6 before they become table offsets, one row per ScreenMode.
// clang-format off
constexpr uint8_t TableBaseMasks[4][5] = {
    // name  colour pattern sprAttr sprPat
    {0x7F, 0x00, 0x3F, 0x00, 0x3F},  // Text
    {0x7F, 0xFF, 0x3F, 0xFF, 0x3F},  // GraphicsI
    {0x7F, 0x80, 0x3C, 0xFF, 0x3F},  // GraphicsII
    {0x7F, 0x00, 0x3F, 0xFF, 0x3F},  // Multicolor
};
// clang-format on

// Registers 2 to 6 select their table in units of these many bytes.
constexpr uint32_t TableUnits[5] = {0x400, 0x40, 0x800, 0x80, 0x800};

VdpState vdp;

uint16_t PackPixel(const uint8_t* rgb, uint32_t format) {
    if (format == Rgb565) return static_cast<uint16_t>(rgb[0] << 8 | rgb[1] << 3 | rgb[2] >> 3);
    return static_cast<uint16_t>(rgb[0] << 7 | rgb[1] << 2 | rgb[2] >> 3);
}

// The block of tile rows a row belongs to: the rows one line can show, one pattern row of
// one third of the screen.
uint32_t TileBlock(uint32_t index) {
    return (index / VdpTileRowsPerThird) * 8 + index % 8;
}

// Every tile row goes stale at once: lines make the rows they show again. A new generation
// matches no stamp (they are cleared when it wraps), so every block is wholly stale.
void ForgetTileRows() {
    if (vdp.tileRowGeneration == UINT8_MAX) {
        std::memset(vdp.tileRowStamps, 0, sizeof vdp.tileRowStamps);
        vdp.tileRowGeneration = 0;
    }
    ++vdp.tileRowGeneration;
    for (uint16_t& stale : vdp.staleTileRows) stale = 256;
}

void ForgetTileRow(uint32_t index) {
    if (vdp.tileRowStamps[index] != vdp.tileRowGeneration) return;
    vdp.tileRowStamps[index] = 0;
    ++vdp.staleTileRows[TileBlock(index)];
}

void SetTileColours(uint32_t colours) {
    const uint16_t background = vdp.pixelPalette[colours & 0x0F];
    const uint16_t flip = background ^ vdp.pixelPalette[colours >> 4];
    for (uint32_t pixel = 0; pixel < 8; ++pixel) {
        vdp.tileColours[colours][0][pixel] = background;
        vdp.tileColours[colours][1][pixel] = flip;
    }
}

void BuildTileColours() {
    for (uint32_t colours = 0; colours < 256; ++colours) SetTileColours(colours);
    ForgetTileRows();
}

void SetBackdropEntry() {
    const uint16_t backdrop = vdp.backdropColour ? vdp.pixelPalette[vdp.backdropColour] : 0;
    if (backdrop == vdp.pixelPalette[0]) return;
    vdp.pixelPalette[0] = backdrop;
    // Only the colour bytes with a transparent half show the backdrop.
    for (uint32_t other = 0; other < 16; ++other) {
        SetTileColours(other);
        SetTileColours(other << 4);
    }
    ForgetTileRows();
}

void BuildPalette(uint32_t format) {
    for (uint32_t colour = 0; colour < 16; ++colour) {
        vdp.pixelPalette[colour] = PackPixel(RgbPalette[colour], format);
    }
    vdp.pixelPalette[0] = vdp.backdropColour ? vdp.pixelPalette[vdp.backdropColour] : 0;
    BuildTileColours();  // and forgets the tile rows
}

void ClearFrameBuffer() {
    if (vdp.frameBuffer) {
        std::memset(vdp.frameBuffer, 0, sizeof(uint16_t) * vdp.rowStride * VdpVisibleLines);
    }
}

// Marks the pages of vram that hold a byte of a table something is worked out from: the
// tile patterns and colours (their largest, Graphics II extent), the sprite attributes and
// the sprite patterns. A write elsewhere, the name table's for one, has nothing to tell.
void MapFedPages() {
    std::memset(vdp.feedsDerived, 0, sizeof vdp.feedsDerived);
    const uint32_t tables[4][2] = {{vdp.patternTable, VdpTileRows},
                                   {vdp.colourTable, VdpTileRows},
                                   {vdp.spriteAttributeTable, VdpSpriteAttributeBytes},
                                   {vdp.spritePatternTable, SpritePatternBytes}};
    for (const auto& [offset, bytes] : tables) {
        for (uint32_t at = 0; at < bytes; at += VdpPageBytes) {
            vdp.feedsDerived[((offset + at) & VramMask) / VdpPageBytes] = true;
        }
    }
}

// What init and reset share; the palette and the frame buffer are handled by each, and the
// behaviour is the user's choice for the whole run.
void ClearChip() {
    std::memset(vdp.registers, 0, sizeof vdp.registers);
    std::memset(vdp.vram, 0, sizeof vdp.vram);
    vdp.vramChanged = ~uint64_t{0};
    vdp.address = 0;
    vdp.accessCode = 0;
    vdp.readBuffer = 0;
    vdp.controlLatched = false;
    vdp.firstByte = 0;
    vdp.status = 0;
    vdp.mode = Text;
    vdp.nameTable = vdp.colourTable = vdp.patternTable = 0;
    vdp.spriteAttributeTable = vdp.spritePatternTable = 0;
    vdp.backdropColour = 0;
    vdp.textColour = 0;
    vdp.collisionKnown = false;
    vdp.collisionFound = false;
    vdp.spriteLinesKnown = false;
    vdp.spriteRecordsKnown = 0;
    ForgetTileRows();
    MapFedPages();
}

void AdvanceAddress() {
    vdp.address = static_cast<uint16_t>((vdp.address + 1) & VramMask);
}

bool TransfersAllowed() {
    return vdp.accessCode != 3;
}

uint16_t* Row(uint32_t line) {
    return vdp.frameBuffer + line * vdp.rowStride;
}

// Table offsets are multiples of their table's size (the masks keep them aligned), so once
// an offset is wrapped into vram the whole table lies inside it and the per-byte reads need
// no further wrapping.
const uint8_t* Table(uint32_t offset) {
    return vdp.vram + (offset & VramMask);
}

// A Graphics I colour byte serves the eight patterns of one group, all their rows.
constexpr uint32_t GroupRows = 64;

// The hardware behaviour's Graphics II masks: register 3's low seven bits mask bits 6-12 of
// the colour index, register 4's low two bits bits 11-12 of the pattern index, so that one
// table block can serve several thirds or character groups. The simple behaviour keeps
// every bit.
constexpr uint32_t FullIndex = 0x1FFF;

uint32_t ColourIndexMask() {
    if (vdp.behaviour != VideoHardware || vdp.mode != GraphicsII) return FullIndex;
    return (vdp.registers[3] & 0x7Fu) << 6 | 0x3F;
}

uint32_t PatternIndexMask() {
    if (vdp.behaviour != VideoHardware || vdp.mode != GraphicsII) return FullIndex;
    return (vdp.registers[4] & 0x03u) << 11 | 0x7FF;
}

void NoteTileChange(uint32_t address) {
    const bool graphicsII = vdp.mode == GraphicsII;
    const uint32_t pattern = (address - vdp.patternTable) & VramMask;
    const uint32_t colour = (address - vdp.colourTable) & VramMask;
    // Masks only clear index bits, so no row reads past the tables' unmasked extent.
    const uint32_t patternBytes = graphicsII ? VdpTileRows : PatternBytesGraphicsI;
    const uint32_t colourBytes = graphicsII ? VdpTileRows : PatternBytesGraphicsI / GroupRows;
    if (pattern >= patternBytes && colour >= colourBytes) return;
    if (PatternIndexMask() != FullIndex || ColourIndexMask() != FullIndex) {
        ForgetTileRows();  // masked tables: one byte shows in several rows; rarely changed
        return;
    }
    if (pattern < patternBytes) ForgetTileRow(pattern);
    if (colour >= colourBytes) return;
    if (graphicsII) {
        ForgetTileRow(colour);
    } else {
        for (uint32_t row = 0; row < GroupRows; ++row) ForgetTileRow(colour * GroupRows + row);
    }
}

void NoteVramChange(uint32_t address, uint8_t previous) {
    if (vdp.mode == GraphicsI || vdp.mode == GraphicsII) NoteTileChange(address);
    NoteSpriteChange(vdp, address, previous);
}

void ComputeTable(uint32_t number) {
    const uint32_t slot = number - 2;
    const uint32_t offset =
        (vdp.registers[number] & TableBaseMasks[vdp.mode][slot]) * TableUnits[slot];
    switch (number) {
        case 2: vdp.nameTable = offset; break;
        case 3: vdp.colourTable = offset; break;
        case 4: vdp.patternTable = offset; break;
        case 5: vdp.spriteAttributeTable = offset; break;
        case 6: vdp.spritePatternTable = offset; break;
        default: break;
    }
    if (number >= 3) MapFedPages();
}

// Returns false for the index combinations that select no mode; the current mode and its
// offsets then stay until a write decodes to one of the four.
bool DecodeMode(ScreenMode* mode) {
    const uint32_t index =
        (vdp.registers[0] & ModeBitsRegister0) >> 1 | (vdp.registers[1] & ModeBitsRegister1);
    switch (index) {
        case ModeIndexGraphicsI: *mode = GraphicsI; return true;
        case ModeIndexGraphicsII: *mode = GraphicsII; return true;
        case ModeIndexMulticolor: *mode = Multicolor; return true;
        case ModeIndexText: *mode = Text; return true;
        default: return false;
    }
}

[[gnu::noinline]] void MakeTileRow(uint32_t index) {
    const uint8_t bits = Table(vdp.patternTable)[index & PatternIndexMask()];
    const uint8_t colours = vdp.mode == GraphicsII
                                ? Table(vdp.colourTable)[index & ColourIndexMask()]
                                : Table(vdp.colourTable)[index / GroupRows];
    PutPattern(vdp.tileRows[index], bits, colours, vdp);
    vdp.tileRowStamps[index] = vdp.tileRowGeneration;
    --vdp.staleTileRows[TileBlock(index)];
}

// Makes current the rows a line shows, and a few more of its block: once a block has no
// stale row its lines are drawn without looking at the stamps. The few more keep the work
// per line within about twice a line's own, however often the rows go stale.
void RefreshTileRows(uint32_t block, const uint8_t* names) {
    const uint8_t generation = vdp.tileRowGeneration;
    for (uint32_t column = 0; column < 32; ++column) {
        const uint32_t index = block + names[column] * 8u;
        if (vdp.tileRowStamps[index] != generation) MakeTileRow(index);
    }
    uint16_t& stale = vdp.staleTileRows[TileBlock(block)];
    uint32_t budget = 32;
    for (uint32_t name = 0; name < 256 && stale != 0 && budget != 0; ++name) {
        const uint32_t index = block + name * 8;
        if (vdp.tileRowStamps[index] != generation) {
            MakeTileRow(index);
            --budget;
        }
    }
}

}  // namespace

void DrawTileLine(uint16_t* row, uint32_t y) {
    // Graphics II has a block of 256 patterns per third of the screen.
    const uint32_t third = vdp.mode == GraphicsII ? (y & ThirdLineMask) << ThirdShift : 0;
    const uint32_t block = third + (y & 7);
    const uint8_t* names = Table(vdp.nameTable) + (y & 0xF8) * 4;
    if (vdp.staleTileRows[TileBlock(block)] != 0) RefreshTileRows(block, names);
    const uint16_t(*rows)[8] = vdp.tileRows + block;
#pragma GCC unroll 4
    for (uint32_t column = 0; column < 32; ++column) {
        StorePixels(row + column * 8, LoadPixels(rows[names[column] * 8u]));
    }
}

void VdpInit(uint32_t rowStride) {
    ClearChip();
    BuildPalette(Rgb565);  // after the backdrop is cleared, so that entry 0 starts as 0
    delete[] vdp.frameBuffer;
    vdp.frameBuffer = nullptr;
    vdp.rowStride = rowStride;
    // A stride narrower than a picture row would make rows overlap and the last one run
    // past the buffer, so it is treated like 0: nothing is ever drawn.
    if (rowStride >= VdpScreenWidth) {
        vdp.frameBuffer = new (std::nothrow) uint16_t[std::size_t{rowStride} * VdpVisibleLines];
        ClearFrameBuffer();
    }
}

void VdpReset() {
    ClearChip();
    ClearFrameBuffer();
}

void VdpRelease() {
    delete[] vdp.frameBuffer;
    vdp.frameBuffer = nullptr;
}

void VdpWriteControl(uint8_t value) {
    if (!vdp.controlLatched) {
        vdp.firstByte = value;
        vdp.controlLatched = true;
        return;
    }
    vdp.controlLatched = false;
    if ((value & 0xC0) == 0x80) {
        VdpWriteRegister(value & 0x0F, vdp.firstByte);
        return;
    }
    vdp.accessCode = value >> 6;
    vdp.address = static_cast<uint16_t>((value << 8 | vdp.firstByte) & VramMask);
    if (vdp.accessCode == 0) {
        vdp.readBuffer = vdp.vram[vdp.address];
        AdvanceAddress();
    }
}

void VdpWriteData(uint8_t value) {
    vdp.controlLatched = false;
    // A byte written over itself changes nothing that was worked out from it.
    if (TransfersAllowed() && vdp.vram[vdp.address] != value) {
        const uint8_t previous = vdp.vram[vdp.address];
        vdp.vram[vdp.address] = value;
        vdp.vramChanged |= uint64_t{1} << (vdp.address >> 8);
        if (vdp.feedsDerived[vdp.address / VdpPageBytes]) NoteVramChange(vdp.address, previous);
    }
    AdvanceAddress();
}

uint8_t VdpReadData() {
    vdp.controlLatched = false;
    uint8_t result = 0;
    if (TransfersAllowed()) {
        result = vdp.readBuffer;
        vdp.readBuffer = vdp.vram[vdp.address];
    }
    AdvanceAddress();
    return result;
}

uint8_t VdpReadStatus() {
    const uint8_t result = vdp.status;
    vdp.controlLatched = false;
    vdp.status &= 0x1F;
    return result;
}

void VdpWriteRegister(uint32_t number, uint8_t value) {
    if (number >= VdpRegisterCount) return;
    const uint8_t previous = vdp.registers[number];
    vdp.registers[number] = value;
    switch (number) {
        case 0:
        case 1: {
            if (number == 1 && (vdp.status & FrameFlag) && !(previous & VdpInterruptEnable) &&
                (value & VdpInterruptEnable)) {
                z80::RaiseIrq(0xFF);
            }
            ScreenMode mode;
            if (DecodeMode(&mode) && mode != vdp.mode) {
                vdp.mode = mode;
                ForgetTileRows();  // the rows are laid out by mode
                for (uint32_t table = 2; table <= 6; ++table) ComputeTable(table);
            }
            // The sprite size or the sprite tables may have moved.
            vdp.collisionKnown = false;
            vdp.spriteLinesKnown = false;
            vdp.spriteRecordsKnown = 0;
            break;
        }
        case 5:
            ComputeTable(number);
            vdp.collisionKnown = false;
            vdp.spriteLinesKnown = false;
            vdp.spriteRecordsKnown = 0;
            break;
        case 6:
            ComputeTable(number);
            vdp.collisionKnown = false;
            vdp.spriteRecordsKnown = 0;
            break;
        case 3:
        case 4:
            // The hardware behaviour's Graphics II masks come from the same registers.
            if (value != previous) ForgetTileRows();
            ComputeTable(number);
            break;
        case 2: ComputeTable(number); break;
        case 7:
            vdp.backdropColour = value & 0x0F;
            vdp.textColour = value >> 4;
            SetBackdropEntry();
            break;
        default: break;
    }
}

void VdpRenderLine(uint32_t line) {
    if (line >= VdpVisibleLines) return;
    if (vdp.behaviour == VideoHardware) {
        VdpRenderHardwareLine(vdp, line);
        return;
    }
    if (vdp.mode == GraphicsI || vdp.mode == GraphicsII) {
        if (vdp.frameBuffer) {
            uint16_t* row = Row(line);
            if (vdp.registers[1] & VdpDisplayEnable) {
                DrawTileLine(row, line);
            } else {
                FillBackdrop(row, vdp.pixelPalette[0]);
            }
            DrawSpriteLine(line);
        }
        if (!(vdp.status & CollisionFlag)) {
            if (!vdp.collisionKnown) {
                vdp.collisionFound = DetectSpriteCollision();
                vdp.collisionKnown = true;
            }
            if (vdp.collisionFound) vdp.status |= CollisionFlag;
        }
    }
    if (line == VdpVisibleLines - 1 && (vdp.registers[1] & VdpInterruptEnable)) {
        vdp.status |= FrameFlag;
    }
}

void DrawSpriteLine(uint32_t line) {
    if (vdp.frameBuffer && line < VdpVisibleLines) DrawSimpleSprites(vdp, line);
}

bool DetectSpriteCollision() {
    return FindSimpleCollision(vdp);
}

void VdpSelectPixelFormat(uint32_t format) {
    BuildPalette(format == Rgb565 ? Rgb565 : Rgb555);
}

void VdpSelectBehaviour(VideoBehaviour behaviour) {
    vdp.behaviour = behaviour == VideoHardware ? VideoHardware : VideoSimple;
    if (vdp.behaviour == VideoSimple) vdp.status &= FrameFlag | CollisionFlag;
    vdp.collisionKnown = false;
    vdp.spriteLinesKnown = false;  // magnified sprites span more lines in one behaviour only
    ForgetTileRows();              // Graphics II tables are masked in one behaviour only
}

VideoBehaviour VdpBehaviour() {
    return vdp.behaviour;
}

uint16_t* VdpGetFrameBuffer() {
    return vdp.frameBuffer;
}

uint32_t VdpRowStride() {
    return vdp.rowStride;
}

uint8_t VdpRegister(uint32_t number) {
    return number < VdpRegisterCount ? vdp.registers[number] : 0;
}

uint8_t VdpStatus() {
    return vdp.status;
}

uint64_t VdpTakeVramChanges() {
    const uint64_t changed = vdp.vramChanged;
    vdp.vramChanged = 0;
    return changed;
}

const VdpState& VdpChipState() {
    return vdp;
}

VdpLineScan VdpScanSpriteLine(uint32_t line) {
    if (line >= VdpVisibleLines || vdp.mode == Text || !(vdp.registers[1] & VdpDisplayEnable)) {
        return {0, VdpSpriteCount};
    }
    const uint32_t covering = HardwareSpriteLine(vdp, line);
    uint32_t shown = covering;
    for (uint32_t n = 0; n < VdpSpritesPerLine && shown != 0; ++n) shown &= shown - 1;
    return {covering, shown != 0 ? static_cast<uint32_t>(std::countr_zero(shown)) : VdpSpriteCount};
}

VdpView VdpInspect() {
    return {vdp.registers,
            vdp.vram,
            vdp.address,
            vdp.accessCode,
            vdp.readBuffer,
            vdp.controlLatched,
            vdp.firstByte,
            vdp.status,
            vdp.mode,
            vdp.nameTable,
            vdp.colourTable,
            vdp.patternTable,
            vdp.spriteAttributeTable,
            vdp.spritePatternTable,
            vdp.backdropColour,
            vdp.textColour,
            vdp.behaviour};
}

void VdpSave(VdpSnapshot& out) {
    std::memcpy(out.registers, vdp.registers, sizeof out.registers);
    std::memcpy(out.vram, vdp.vram, sizeof out.vram);
    out.address = vdp.address;
    out.accessCode = vdp.accessCode;
    out.readBuffer = vdp.readBuffer;
    out.controlLatched = vdp.controlLatched;
    out.firstByte = vdp.firstByte;
    out.status = vdp.status;
    out.mode = vdp.mode;
    out.behaviour = vdp.behaviour;
}

void VdpRestore(const VdpSnapshot& saved) {
    std::memcpy(vdp.registers, saved.registers, sizeof vdp.registers);
    std::memcpy(vdp.vram, saved.vram, sizeof vdp.vram);
    vdp.vramChanged = ~uint64_t{0};
    vdp.address = static_cast<uint16_t>(saved.address & VramMask);
    vdp.accessCode = saved.accessCode;
    vdp.readBuffer = saved.readBuffer;
    vdp.controlLatched = saved.controlLatched;
    vdp.firstByte = saved.firstByte;
    vdp.status = saved.status;
    // The mode is state of its own: a register pair that selects no mode keeps the last one.
    vdp.mode = saved.mode;
    vdp.behaviour = saved.behaviour;
    for (uint32_t table = 2; table <= 6; ++table) ComputeTable(table);
    vdp.backdropColour = vdp.registers[7] & 0x0F;
    vdp.textColour = vdp.registers[7] >> 4;
    SetBackdropEntry();
    vdp.collisionKnown = false;
    VdpRebuildDerived();
}

void VdpRebuildDerived() {
    MapFedPages();
    vdp.collisionKnown = false;
    vdp.spriteLinesKnown = false;
    vdp.spriteRecordsKnown = 0;
    BuildTileColours();
}

}  // namespace plexaro
