// Cartridge boards and the console's own RAM: which bytes the CPU sees at each address, built
// into the Z80 core's page tables 1 KB at a time, and the mapper's page registers, which
// remap a 16 KB slot's pages between two instructions.
#include "machine/board.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "cpu/z80.h"
#include "machine/machine_internal.h"
#include "machine/sc3000.h"

namespace plexaro {
namespace {

constexpr uint32_t ChunkSize = 0x400;  // the console RAM repeats every 1 KB
constexpr uint32_t ChunkCount = 64;
constexpr uint32_t CartridgeTop = 0xC000;  // below: what the cartridge answers with
constexpr uint32_t ConsoleRamStart = 0xC000;
constexpr uint32_t Ram8kStart = 0x8000;
constexpr uint32_t Ram8kEnd = 0xA000;
constexpr uint32_t FixedStart = 0x400;  // slot 0's first 1 KB always shows page 0
constexpr uint32_t RegisterPage = 0xFF00;
constexpr uint32_t ControlAddress = 0xFFFC;
constexpr uint8_t CartridgeRamInSlot2 = 0x08;  // 0xFFFC bit 3
constexpr uint8_t PageMask = 0x3F;             // the page registers are 6 bits wide

constexpr uint32_t BasicRomTop = 0x8000;  // the BASIC boards' ROM: 0x0000-0x7FFF
constexpr uint32_t Ram16kEnd = 0xC000;
constexpr uint32_t Sc3000RamSize = 0x800;  // the SC-3000's own RAM: 2 KB

constexpr const char* Names[BoardKindCount] = {"auto",  "flat",   "rom48", "mapper",
                                               "ram8k", "ram16k", "ram32k"};

// What hosts chose, for the next power-on.
struct Choices {
    uint32_t board;
    uint32_t powerOn;
    uint32_t seed;
};

Choices chosen = {BoardAuto, PowerOnAuto, DefaultPowerOnSeed};

struct BoardState {
    uint32_t kind;     // BoardAuto until the first build
    bool ram1k;        // the console's 1 KB (2 KB on the SC-3000) repeated through 0xC000-0xFFFF
    uint32_t ramSize;  // with ram1k: 1 or 2 KB
    uint8_t control;
    uint8_t registers[3];  // as written to 0xFFFD-0xFFFF
    uint32_t pageCount;
    uint8_t* memory;  // the console memory block
    const uint8_t* image;
    uint64_t fileSize;
    size_t imageBytes;  // of the image, the CPU can read: the hardware's flat boards stop at
                        // the file's end
    const uint8_t* chunk[ChunkCount];  // what the CPU reads, 1 KB at a time
    bool writable[ChunkCount];
    int32_t imageAt[ChunkCount];   // the image offset of each chunk's first byte, or -1
    uint8_t sink[MapperPageSize];  // where writes to a ROM slot go once it has held RAM
};

BoardState board = {};

const uint8_t OpenBusChunk[ChunkSize] = {};  // never read: chunks are set before any read

uint32_t ShownPage(uint32_t slot) {
    return (board.registers[slot] & PageMask) % board.pageCount;
}

uint8_t* At(const uint8_t* base, uint32_t offset) {
    return base == nullptr ? nullptr : const_cast<uint8_t*>(base) + offset;
}

BoardRegion Stretch(uint32_t start, uint32_t end, uint32_t kind, const uint8_t* base,
                    uint32_t offset, bool switched = false) {
    const bool image = kind == RegionRom || kind == RegionImageRam;
    return {start,           end - start, kind,
            start,           switched,    image ? static_cast<int32_t>(offset) : -1,
            At(base, offset)};
}

// What a mapper slot shows now: a page of the image (slot 0 from its second 1 KB, the first
// being fixed) or, for slot 2 with 0xFFFC bit 3 set, the board's 16 KB of RAM, which answers
// for either bank (0xFFFC bit 2 has no line to drive) and lies in the console memory block
// where the slot is, so the RAM state carries it.
BoardRegion SlotRegion(uint32_t slot) {
    const uint32_t base = slot * MapperPageSize;
    const uint32_t end = base + MapperPageSize;
    if (slot == 2 && (board.control & CartridgeRamInSlot2)) {
        return Stretch(base, end, RegionCartridgeRam, board.memory, base, true);
    }
    const uint32_t first = slot == 0 ? FixedStart : base;
    const uint32_t page = ShownPage(slot) * MapperPageSize;
    return Stretch(first, end, RegionRom, board.image, page + (first - base), true);
}

// The board's layout, for the board and the RAM chosen: the one place it is worked out.
// Every board but the mapper keeps its ROM in the console memory block at its own address.
uint32_t Layout(BoardRegion* out) {
    uint32_t count = 0;
    const auto add = [&](BoardRegion region) { out[count++] = region; };
    uint8_t* m = board.memory;
    const uint32_t kind = board.kind == BoardAuto ? BoardFlat : board.kind;
    const bool flatRam = kind == BoardFlat && !board.ram1k;
    uint32_t consoleRam = ConsoleRamStart;
    switch (kind) {
        case BoardMapper:
            add(Stretch(0, FixedStart, RegionRom, board.image, 0));
            for (uint32_t slot = 0; slot < 3; ++slot) add(SlotRegion(slot));
            break;
        case BoardRam8k:
            add(Stretch(0, Ram8kStart, RegionRom, m, 0));
            add(Stretch(Ram8kStart, Ram8kEnd, RegionCartridgeRam, m, Ram8kStart));
            add(Stretch(Ram8kEnd, CartridgeTop, RegionRom, m, Ram8kEnd));
            break;
        case BoardRam16k:
            add(Stretch(0, BasicRomTop, RegionRom, m, 0));
            add(Stretch(BasicRomTop, Ram16kEnd, RegionCartridgeRam, m, BasicRomTop));
            break;
        case BoardRam32k:
            // The cartridge's RAM answers where the console's would: there is none to see.
            add(Stretch(0, BasicRomTop, RegionRom, m, 0));
            add(Stretch(BasicRomTop, ConsoleMemorySize, RegionCartridgeRam, m, BasicRomTop));
            return count;
        default:
            if (flatRam) {
                add(Stretch(0, ConsoleWritableStart, RegionRom, m, 0));
                add(Stretch(ConsoleWritableStart, FlatImageLimit, RegionImageRam, m,
                            ConsoleWritableStart));
                consoleRam = FlatImageLimit;
            } else {
                add(Stretch(0, CartridgeTop, RegionRom, m, 0));
            }
            break;
    }
    if (board.ram1k) {
        const uint32_t size = board.ramSize;
        add(Stretch(ConsoleRamStart, ConsoleRamStart + size, RegionConsoleRam, m, ConsoleRamStart));
        BoardRegion mirror = Stretch(ConsoleRamStart + size, ConsoleMemorySize, RegionConsoleRam, m,
                                     ConsoleRamStart);
        mirror.mirrorOf = ConsoleRamStart;
        add(mirror);
    } else {
        add(Stretch(consoleRam, ConsoleMemorySize, RegionConsoleRam, m, consoleRam));
    }
    return count;
}

// The chunks of a region; a mirror's repeat the 1 KB it mirrors.
void SetChunks(const BoardRegion& region) {
    for (uint32_t at = 0; at < region.length; at += ChunkSize) {
        const uint32_t c = (region.start + at) / ChunkSize;
        const uint32_t within = region.mirrorOf == region.start ? at : at % board.ramSize;
        board.chunk[c] = region.bytes + within;
        board.writable[c] = region.kind != RegionRom;
        board.imageAt[c] = region.image < 0 ? -1 : region.image + static_cast<int32_t>(within);
    }
}

// Shows a slot's page (or its RAM) to the CPU. Only page pointers change, so it is cheap
// enough for every register write.
void MapSlotPages(uint32_t slot) {
    const BoardRegion region = SlotRegion(slot);
    const uint32_t end = region.start + region.length - 1;
    z80::MapFetch(region.start, end, region.bytes);
    z80::MapReadPages(region.start, end, region.bytes);
    if (region.kind == RegionCartridgeRam) {
        z80::MapWritePages(region.start, end, region.bytes);
    } else if (slot == 2) {
        z80::MapWritePages(region.start, end, board.sink);  // dropped, as by ROM
    }
    SetChunks(region);
}

void MapSlot(uint32_t slot) {
    MapSlotPages(slot);
    ChecksMapChanged();
}

uint8_t* RamFor(uint32_t address) {
    return board.memory +
           (board.ram1k ? ConsoleRamStart | (address & (board.ramSize - 1)) : address);
}

// The mapper's registers sit on top of the RAM: a write reaches both, and reads give the RAM.
void MapperWrite(uint32_t address, uint32_t value) {
    *RamFor(address) = static_cast<uint8_t>(value);
    if (address < ControlAddress) return;
    // Programs often write the page a slot already shows: that costs no remap.
    if (address == ControlAddress) {
        const bool changed = ((board.control ^ value) & CartridgeRamInSlot2) != 0;
        board.control = static_cast<uint8_t>(value);
        if (changed) MapSlot(2);
    } else {
        const uint32_t slot = address - ControlAddress - 1;
        const uint32_t shown = ShownPage(slot);
        board.registers[slot] = static_cast<uint8_t>(value);
        if (ShownPage(slot) != shown && !(slot == 2 && (board.control & CartridgeRamInSlot2))) {
            MapSlot(slot);
        }
    }
}

uint32_t NextRandom(uint32_t& state) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
}

void FillPowerOn(uint8_t* bytes, size_t count) {
    uint32_t mode = chosen.powerOn;
    if (mode == PowerOnAuto) mode = board.ram1k ? PowerOnRandom : PowerOnZero;
    uint32_t state = chosen.seed * 2654435761u + 0x9E3779B9u;
    if (state == 0) state = 1;
    for (size_t i = 0; i < count; ++i) {
        switch (mode) {
            case PowerOnPattern: bytes[i] = (i & 4) ? 0xFF : 0x00; break;
            case PowerOnRandom: bytes[i] = static_cast<uint8_t>(NextRandom(state) >> 11); break;
            default: bytes[i] = 0; break;
        }
    }
}

// Which chunks hold what, for the board and the RAM chosen.
void LayOutChunks() {
    BoardRegion regions[MaxBoardRegions];
    const uint32_t count = Layout(regions);
    for (uint32_t i = 0; i < count; ++i) SetChunks(regions[i]);
    if (board.ram1k && board.kind != BoardMapper) {
        board.imageBytes =
            static_cast<size_t>(std::min<uint64_t>(board.imageBytes, board.fileSize));
    }
}

// The cartridge's ROM into the block, where the CPU reads it straight from there: in the
// hardware behaviour only as far as the file goes, the open bus's 0xFF past it.
void CopyRom() {
    if (board.kind == BoardMapper || board.image == nullptr) return;
    const bool flatRam = board.kind == BoardFlat && !board.ram1k;
    const size_t top = flatRam ? FlatImageLimit : CartridgeTop;
    const size_t present =
        board.ram1k ? static_cast<size_t>(std::min<uint64_t>(board.fileSize, top)) : top;
    for (uint32_t c = 0; c < top / ChunkSize; ++c) {
        if (board.writable[c] && !flatRam) continue;  // cartridge RAM keeps its bytes
        if (flatRam && c * ChunkSize >= ConsoleWritableStart) continue;  // RAM, filled apart
        const size_t at = c * ChunkSize;
        const size_t copied = at < present ? std::min<size_t>(ChunkSize, present - at) : 0;
        std::memcpy(board.memory + at, board.image + at, copied);
        std::memset(board.memory + at + copied, 0xFF, ChunkSize - copied);
    }
}

// The page tables from the chunks: fetch and read straight from them, writes where RAM is,
// the rest of the writes dropped, and the mapper's register page through its handler.
void BuildMap() {
    z80::BeginMemoryMap();
    for (uint32_t c = 0; c < ChunkCount; ++c) {
        const uint32_t start = c * ChunkSize;
        const uint32_t end = start + ChunkSize - 1;
        z80::MapFetch(start, end, board.chunk[c]);
        z80::MapReadPages(start, end, const_cast<uint8_t*>(board.chunk[c]));
        if (board.writable[c]) z80::MapWritePages(start, end, const_cast<uint8_t*>(board.chunk[c]));
    }
    if (board.kind == BoardMapper) {
        z80::MapWritePages(Ram8kStart, CartridgeTop - 1, board.sink);
        if (board.control & CartridgeRamInSlot2) MapSlotPages(2);
        z80::MapWrite(RegisterPage, 0xFFFF, z80::MapHandled,
                      z80::RegionData{.write = &MapperWrite});
    }
    z80::EndMemoryMap();
    z80::SetInHandler(ConsolePortIn);
    z80::SetOutHandler(ConsolePortOut);
    ChecksMapChanged();
}

void Begin(uint8_t* memory, const uint8_t* image, size_t length, uint64_t fileSize) {
    board.memory = memory;
    board.image = image;
    board.fileSize = fileSize;
    board.imageBytes = length;
    board.pageCount = std::max<uint32_t>(
        1, static_cast<uint32_t>((length + MapperPageSize - 1) / MapperPageSize));
    for (auto& chunk : board.chunk) chunk = OpenBusChunk;
    for (auto& offset : board.imageAt) offset = -1;
}

}  // namespace

void SelectBoard(uint32_t kind) {
    chosen.board = kind < BoardKindCount ? kind : BoardAuto;
}

uint32_t SelectedBoard() {
    return chosen.board;
}

uint32_t CurrentBoard() {
    return board.kind == BoardAuto ? BoardFlat : board.kind;
}

uint32_t BoardForSize(uint64_t imageSize) {
    if (imageSize <= FlatImageLimit) return BoardFlat;
    return imageSize <= Rom48ImageLimit ? BoardRom48 : BoardMapper;
}

const char* BoardName(uint32_t kind) {
    return kind < BoardKindCount ? Names[kind] : Names[BoardAuto];
}

bool BoardFromName(const char* name, uint32_t* kind) {
    for (uint32_t k = 0; k < BoardKindCount; ++k) {
        if (std::string_view(name) == Names[k]) {
            *kind = k;
            return true;
        }
    }
    return false;
}

void SelectPowerOnRam(uint32_t mode, uint32_t seed) {
    chosen.powerOn = mode <= PowerOnRandom ? mode : PowerOnAuto;
    chosen.seed = seed;
}

uint32_t SelectedPowerOnRam() {
    return chosen.powerOn;
}

BoardPages CurrentPages() {
    BoardPages pages{CurrentBoard(), board.control, {0, 1, 2}, board.pageCount, board.ram1k};
    if (board.kind == BoardMapper) {
        for (uint32_t slot = 0; slot < 3; ++slot) {
            pages.page[slot] = static_cast<uint8_t>(ShownPage(slot));
        }
    }
    return pages;
}

uint8_t PeekConsole(uint32_t address) {
    if (board.memory == nullptr) return 0xFF;
    address &= 0xFFFF;
    return board.chunk[address / ChunkSize][address % ChunkSize];
}

uint32_t BoardRegions(BoardRegion out[MaxBoardRegions]) {
    return Layout(out);
}

BoardRegion BoardRegionAt(uint32_t address) {
    address &= 0xFFFF;
    BoardRegion regions[MaxBoardRegions];
    const uint32_t count = Layout(regions);
    for (uint32_t i = 0; i + 1 < count; ++i) {
        if (address < regions[i].start + regions[i].length) return regions[i];
    }
    return regions[count - 1];
}

int32_t ImageOffsetAt(uint32_t address) {
    address &= 0xFFFF;
    if (board.memory == nullptr || board.imageAt[address / ChunkSize] < 0) return -1;
    const int32_t offset =
        board.imageAt[address / ChunkSize] + static_cast<int32_t>(address % ChunkSize);
    return static_cast<size_t>(offset) < board.imageBytes ? offset : -1;
}

bool ConsoleRamAt(uint32_t address) {
    return board.memory != nullptr && board.writable[(address & 0xFFFF) / ChunkSize];
}

bool PokeConsoleRam(uint32_t address, uint8_t value) {
    address &= 0xFFFF;
    if (board.memory == nullptr || !board.writable[address / ChunkSize]) return false;
    const_cast<uint8_t*>(board.chunk[address / ChunkSize])[address % ChunkSize] = value;
    return true;
}

void BuildBoard(uint8_t* memory, const uint8_t* image, size_t length, uint64_t fileSize,
                bool hardware) {
    Begin(memory, image, length, fileSize);
    board.kind = image == nullptr            ? BoardFlat
                 : chosen.board != BoardAuto ? chosen.board
                                             : BoardForSize(fileSize);
    board.ram1k = image != nullptr && hardware;
    board.ramSize = CurrentMachine() == MachineSc3000 ? Sc3000RamSize : ChunkSize;
    board.control = 0;
    for (uint32_t slot = 0; slot < 3; ++slot) board.registers[slot] = static_cast<uint8_t>(slot);
    std::memset(memory, 0, ConsoleMemorySize);
    LayOutChunks();
    CopyRom();
    if (image == nullptr) {
        BuildMap();
        ChecksRamStarted(false);
        return;
    }
    // The RAM's power-on bytes; the flat board's RAM starts with the image's upper 8 KB.
    if (board.kind == BoardFlat && !board.ram1k) {
        std::memcpy(memory + ConsoleWritableStart, image + ConsoleWritableStart,
                    FlatImageLimit - ConsoleWritableStart);
        FillPowerOn(memory + FlatImageLimit, ConsoleMemorySize - FlatImageLimit);
    } else if (board.kind != BoardRam32k) {
        FillPowerOn(memory + ConsoleRamStart,
                    board.ram1k ? board.ramSize : ConsoleMemorySize - ConsoleRamStart);
    }
    if (board.kind == BoardRam8k) FillPowerOn(memory + Ram8kStart, Ram8kEnd - Ram8kStart);
    if (board.kind == BoardRam16k) FillPowerOn(memory + BasicRomTop, Ram16kEnd - BasicRomTop);
    if (board.kind == BoardRam32k) {
        FillPowerOn(memory + BasicRomTop, ConsoleMemorySize - BasicRomTop);
    }
    if (board.kind == BoardMapper) FillPowerOn(memory + Ram8kStart, MapperCartridgeRam);
    BuildMap();
    ChecksRamStarted(false);
}

BoardRecord SaveBoard() {
    BoardRecord r{board.kind, board.ram1k, board.control, {}};
    std::memcpy(r.registers, board.registers, sizeof r.registers);
    return r;
}

void RestoreBoard(uint8_t* memory, const uint8_t* image, size_t length, uint64_t fileSize,
                  const BoardRecord& record) {
    Begin(memory, image, length, fileSize);
    board.kind = record.kind;
    board.ram1k = record.ram1k;
    // The PPI's section, restored first, has put back which machine's RAM this is.
    board.ramSize = CurrentMachine() == MachineSc3000 ? Sc3000RamSize : ChunkSize;
    board.control = record.control;
    std::memcpy(board.registers, record.registers, sizeof board.registers);
    LayOutChunks();
    CopyRom();
    BuildMap();
    ChecksRamStarted(true);
}

void BoardWrite(uint32_t address, uint32_t value) {
    address &= 0xFFFF;
    if (board.kind == BoardMapper && address >= RegisterPage) {
        MapperWrite(address, value);
    } else {
        PokeConsoleRam(address, static_cast<uint8_t>(value));
    }
}

int32_t ConsoleRamIndex(uint32_t address) {
    address &= 0xFFFF;
    if (board.memory == nullptr || !board.writable[address / ChunkSize]) return -1;
    return static_cast<int32_t>(board.chunk[address / ChunkSize] + address % ChunkSize -
                                board.memory);
}

void RebuildBoardMap() {
    if (ConsoleMemory() != nullptr) BuildMap();
}

}  // namespace plexaro
