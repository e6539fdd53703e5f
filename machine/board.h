// Cartridge boards and the console's own RAM, as hosts choose and show them.
//
// A board is what the cartridge carries besides its ROM: nothing (flat, rom48), the
// bank-switching mapper, or RAM (ram8k; the SC-3000's BASIC boards ram16k and ram32k). The
// loader picks one by the image's size unless SelectBoard names one. The console's own RAM
// depends on the behaviour selected with SelectVideoBehaviour: 32 KB (flat) or 16 KB of plain
// RAM in the simple one; in the hardware one, the SG-1000's 1 KB or the SC-3000's 2 KB
// repeated through 0xC000-0xFFFF. Board, behaviour and power-on
// RAM choices all take effect at the next InitMachine, LoadCartridge or ResetMachine.
//
//     SelectBoard(BoardAuto);
//     SelectPowerOnRam(PowerOnRandom, DefaultPowerOnSeed);
//     LoadCartridge(path);
//     BoardPages pages = CurrentPages();  // what the mapper shows now
//     BoardRegion regions[MaxBoardRegions];
//     const uint32_t count = BoardRegions(regions);  // what the CPU sees, stretch by stretch
//     const int32_t at = ImageOffsetAt(pc);          // the image byte it runs, or -1
#pragma once

#include <cstddef>
#include <cstdint>

namespace plexaro {

enum BoardKind : uint32_t {
    BoardAuto = 0,    // by the image's size: flat, rom48 or mapper
    BoardFlat = 1,    // up to 40960 bytes: ROM 0x0000-0x9FFF, RAM 0x8000-0xFFFF
    BoardRom48 = 2,   // up to 49152 bytes: ROM 0x0000-0xBFFF, RAM 0xC000-0xFFFF
    BoardMapper = 3,  // 16 KB pages in three slots, chosen by writes to 0xFFFD-0xFFFF
    BoardRam8k = 4,   // 8 KB of cartridge RAM at 0x8000-0x9FFF
    // The SC-3000's BASIC cartridges: 32 KB of ROM and their own RAM, 16 KB at 0x8000-0xBFFF
    // (the console's RAM above it), or 32 KB at 0x8000-0xFFFF in place of the console's.
    BoardRam16k = 5,
    BoardRam32k = 6,
};
inline constexpr uint32_t BoardKindCount = 7;
inline constexpr size_t FlatImageLimit = 0xA000;      // 40960
inline constexpr size_t Rom48ImageLimit = 0xC000;     // 49152
inline constexpr size_t MapperPageSize = 0x4000;      // 16 KB
inline constexpr size_t MapperImageLimit = 1u << 20;  // 64 pages
inline constexpr size_t MapperCartridgeRam = 0x4000;  // shown in slot 2 by 0xFFFC bit 3

void SelectBoard(uint32_t kind);  // a BoardKind; others act as BoardAuto
uint32_t SelectedBoard();
uint32_t CurrentBoard();  // the board the running machine was built with (never BoardAuto)
uint32_t BoardForSize(uint64_t imageSize);
const char* BoardName(uint32_t kind);                  // "auto", "flat", "rom48", ...
bool BoardFromName(const char* name, uint32_t* kind);  // false for an unknown name

// Power-on RAM: zeros, a fixed pattern, or bytes from a seeded generator. Auto is zeros in
// the simple behaviour and random with DefaultPowerOnSeed in the hardware one.
enum PowerOnRam : uint32_t { PowerOnAuto = 0, PowerOnZero, PowerOnPattern, PowerOnRandom };
inline constexpr uint32_t DefaultPowerOnSeed = 0x5EED;
void SelectPowerOnRam(uint32_t mode, uint32_t seed);
uint32_t SelectedPowerOnRam();

// The mapper's registers as last written (0xFFFC, then slots 0 to 2, each the page it
// shows), the image's page count, and whether the console RAM is the hardware's 1 KB.
struct BoardPages {
    uint32_t board;
    uint8_t control;  // 0xFFFC
    uint8_t page[3];  // the pages slots 0, 1 and 2 show
    uint32_t pageCount;
    bool consoleRam1k;
};
BoardPages CurrentPages();

// What a CPU read of `address` gives now, through the current pages and mirrors; no side
// effects. 0xFF before InitMachine.
uint8_t PeekConsole(uint32_t address);
// Writes a byte of RAM where the CPU would (mirrors and banks included, no register
// effects); false, with nothing written, where the CPU sees ROM.
bool PokeConsoleRam(uint32_t address, uint8_t value);
bool ConsoleRamAt(uint32_t address);  // whether the CPU can write there now

// The board's layout as the CPU sees it now: the address space in stretches, each one kind of
// memory, in address order and covering 0x0000-0xFFFF. Before the first power-on, the blank
// flat map's (with no bytes). Every other room that needs the layout (the profiler's coverage,
// the libretro core's memory descriptors, the symbols' banks, the checks) takes it from here.
enum RegionKind : uint32_t {
    RegionRom = 0,           // the cartridge's ROM: writes are dropped
    RegionImageRam = 1,      // RAM that starts as the image's bytes (the flat board's 0x8000-
                             // 0x9FFF in the simple behaviour): the image's, until written
    RegionCartridgeRam = 2,  // RAM on the cartridge: ram8k's, or the mapper's in slot 2
    RegionConsoleRam = 3,    // the console's own RAM
};
struct BoardRegion {
    uint32_t start;     // the CPU address of its first byte
    uint32_t length;    // a multiple of 1 KB
    uint32_t kind;      // a RegionKind
    uint32_t mirrorOf;  // start, or the start of the region it repeats (every that region's
                        // length): the hardware's 1 or 2 KB of console RAM through 0xFFFF
    bool switched;      // a mapper slot: what it shows follows the page registers
    int32_t image;      // RegionRom, RegionImageRam: the image offset of its first byte; else -1
    uint8_t* bytes;     // what the CPU reads at start, until the layout changes (null before
                        // the first power-on); for a mirror, the bytes it repeats
};
inline constexpr uint32_t MaxBoardRegions = 12;
uint32_t BoardRegions(BoardRegion out[MaxBoardRegions]);  // how many it wrote
// The offset in the cartridge image of the byte the CPU reads at `address` now (the mapper's
// pages and fixed first 1 KB followed), in a RegionRom or RegionImageRam region; -1 elsewhere,
// past the image, and past the file where the hardware's open bus answers instead.
int32_t ImageOffsetAt(uint32_t address);
// The region `address` lies in, as BoardRegions gives it.
BoardRegion BoardRegionAt(uint32_t address);

}  // namespace plexaro
