// The checks: handlers that stand in for the board's page tables and the console's port
// decoding while on, watching each access on its way through, and the line and instruction
// hooks the debugger's stepped frames call.
#include "machine/checks.h"

#include <bit>
#include <cstring>

#include "cpu/z80.h"
#include "machine/board.h"
#include "machine/machine_internal.h"
#include "video/vdp.h"

namespace plexaro {
namespace {

constexpr uint32_t PortVdpData = 0xBE;
constexpr uint32_t AddressCount = 0x10000;
constexpr uint32_t SlotCount = 2 * MaxCheckWarnings;  // a power of two: the table stays sparse
constexpr uint32_t FirstBlankLine = VdpVisibleLines;

// How soon the video chip can take another data-port access, from the TMS9918A data manual,
// section 2.1 (CPU Interface), its table of the VDP delay and the time spent waiting for an
// access window: 2 us of delay always, plus up to 5.95 us of wait in the active display of
// Graphics I and II, 1.5 us in Multicolor, 1.1 us in Text, none during the vertical refresh
// or with the display blanked (register 1 bit 6 clear). At 3.579545 MHz, rounded up:
constexpr uint32_t GraphicsGap = 29;    // 7.95 us = 28.5 cycles
constexpr uint32_t MulticolorGap = 13;  // 3.5 us = 12.5 cycles
constexpr uint32_t TextGap = 12;        // 3.1 us = 11.1 cycles
constexpr uint32_t BlankGap = 8;        // 2 us = 7.2 cycles

struct ChecksState {
    bool on;
    uint64_t frame;
    uint32_t line;
    uint64_t lineStart;  // cycles run since the checks began, at the line's start
    uint64_t instructionStart;
    uint16_t pc;

    bool accessed;  // a data-port access happened since the checks began
    uint64_t lastAccess;
    uint32_t gapAfterLast;  // what the chip needs after it, where it was then

    uint8_t written[AddressCount / 8];  // by index in the console memory block

    CheckWarning warnings[MaxCheckWarnings];
    uint32_t count;
    uint16_t slots[SlotCount];  // warning index + 1, or 0 for an empty slot
    uint64_t occurrences[CheckKindCount];
};

ChecksState checks = {};

constexpr const char* Titles[CheckKindCount] = {
    "Video memory accessed too fast",
    "RAM read before it was written",
    "Write to ROM",
    "Stack pointer outside RAM",
    "More than four sprites on a line",
    "Frame interrupt not acknowledged",
};

uint32_t Hash(uint32_t key) {
    key *= 0x9E3779B1u;
    return key >> 21;  // 11 bits: a slot
}
static_assert(SlotCount == 1u << 11);

void Warn(uint32_t kind, bool located, uint32_t detail, uint32_t needed) {
    ++checks.occurrences[kind];
    const uint32_t key = (kind << 17) | (located ? checks.pc : 0x10000u);
    uint32_t slot = Hash(key);
    for (; checks.slots[slot] != 0; slot = (slot + 1) & (SlotCount - 1)) {
        CheckWarning& warning = checks.warnings[checks.slots[slot] - 1];
        const uint32_t held = (warning.kind << 17) | (warning.located ? warning.pc : 0x10000u);
        if (held == key) {
            ++warning.count;
            return;
        }
    }
    if (checks.count == MaxCheckWarnings) return;
    checks.warnings[checks.count] = {kind,         located,     checks.pc, 1,
                                     checks.frame, checks.line, detail,    needed};
    checks.slots[slot] = static_cast<uint16_t>(++checks.count);
}

bool Written(int32_t index) {
    return (checks.written[index >> 3] >> (index & 7)) & 1;
}

void MarkWritten(int32_t index) {
    checks.written[index >> 3] |= static_cast<uint8_t>(1u << (index & 7));
}

bool RamAt(uint32_t address) {
    return ConsoleRamIndex(address) >= 0;
}

uint32_t CheckedRead(uint32_t address) {
    const int32_t index = ConsoleRamIndex(address);
    if (index >= 0 && !Written(index)) Warn(CheckUnwrittenRam, true, address & 0xFFFF, 0);
    return PeekConsole(address);
}

// A write that misses RAM right by the stack pointer is the stack's (whether the core moves
// the pointer before or after its writes), anything else a plain write to ROM.
void CheckedWrite(uint32_t address, uint32_t value) {
    const int32_t index = ConsoleRamIndex(address);
    if (index >= 0) {
        MarkWritten(index);
    } else {
        const uint32_t sp = z80::GetRegister(z80::RegSP);
        const uint32_t below = (sp - address) & 0xFFFF;  // 1 or 2: just under the pointer
        const uint32_t above = (address - sp) & 0xFFFF;  // 0 or 1: at it
        if (below <= 2 || above <= 1) {
            Warn(CheckStackOutsideRam, true, sp, 0);
        } else {
            Warn(CheckRomWrite, true, address & 0xFFFF, 0);
        }
    }
    BoardWrite(address, value);
}

// The gap the chip needs after a data-port access made now.
uint32_t GapHere() {
    const VdpView chip = VdpInspect();
    if (checks.line >= FirstBlankLine || !(chip.registers[1] & VdpDisplayEnable)) return BlankGap;
    switch (chip.mode) {
        case Text: return TextGap;
        case Multicolor: return MulticolorGap;
        default: return GraphicsGap;
    }
}

void DataPortAccess() {
    const uint64_t now = checks.instructionStart + z80::ElapsedCycles();
    if (checks.accessed && now - checks.lastAccess < checks.gapAfterLast) {
        Warn(CheckVramTooFast, true, static_cast<uint32_t>(now - checks.lastAccess),
             checks.gapAfterLast);
    }
    checks.accessed = true;
    checks.lastAccess = now;
    checks.gapAfterLast = GapHere();
}

uint32_t CheckedIn(uint32_t port) {
    if ((port & 0xFF) == PortVdpData) DataPortAccess();
    return ConsolePortIn(port);
}

void CheckedOut(uint32_t port, uint32_t value) {
    if ((port & 0xFF) == PortVdpData) DataPortAccess();
    ConsolePortOut(port, value);
}

// The sprites the console would drop on a line, as the chip finds them.
void CheckSprites(uint32_t line) {
    const VdpLineScan scan = VdpScanSpriteLine(line);
    if (scan.dropped == VdpSpriteCount) return;
    Warn(CheckSpriteOverflow, false, static_cast<uint32_t>(std::popcount(scan.covering)),
         scan.dropped);
}

}  // namespace

void ChecksEnable(bool on) {
    if (on == checks.on) return;
    checks.on = on;
    checks.accessed = false;
    // What ran unwatched may have written anything: only a power-on starts the RAM afresh.
    std::memset(checks.written, 0xFF, sizeof checks.written);
    if (on) {
        ChecksMapChanged();
    } else {
        RebuildBoardMap();  // the board's own page tables and port decoding again
    }
}

bool ChecksEnabled() {
    return checks.on;
}

void ChecksClear() {
    checks.count = 0;
    std::memset(checks.slots, 0, sizeof checks.slots);
    std::memset(checks.occurrences, 0, sizeof checks.occurrences);
}

void ChecksSetFrame(uint64_t frame) {
    checks.frame = frame;
}

uint32_t ChecksWarningCount() {
    return checks.count;
}

CheckWarning ChecksWarning(uint32_t index) {
    return index < checks.count ? checks.warnings[index] : CheckWarning{};
}

uint64_t ChecksOccurrences() {
    uint64_t total = 0;
    for (const uint64_t n : checks.occurrences) total += n;
    return total;
}

uint64_t ChecksKindOccurrences(uint32_t kind) {
    return kind < CheckKindCount ? checks.occurrences[kind] : 0;
}

const char* CheckKindTitle(uint32_t kind) {
    return kind < CheckKindCount ? Titles[kind] : "";
}

void ChecksMapChanged() {
    if (!checks.on) return;
    z80::MapReadHandlerPages(0, AddressCount - 1, &CheckedRead);
    z80::MapWriteHandlerPages(0, AddressCount - 1, &CheckedWrite);
    z80::SetInHandler(&CheckedIn);
    z80::SetOutHandler(&CheckedOut);
}

void ChecksRamStarted(bool restored) {
    if (!checks.on) return;
    checks.accessed = false;
    std::memset(checks.written, restored ? 0xFF : 0x00, sizeof checks.written);
    if (restored) return;
    // RAM that starts as the image's bytes (the flat board's first 8 KB): written, in effect.
    BoardRegion regions[MaxBoardRegions];
    const uint32_t count = BoardRegions(regions);
    for (uint32_t i = 0; i < count; ++i) {
        if (regions[i].kind != RegionImageRam) continue;
        std::memset(checks.written + regions[i].start / 8, 0xFF, regions[i].length / 8);
    }
}

void ChecksBeforeInstruction(uint32_t pc, uint32_t line, uint32_t cycle) {
    checks.pc = static_cast<uint16_t>(pc);
    checks.line = line;
    checks.instructionStart = checks.lineStart + cycle;
    // Interrupts on with the stack outside RAM: the next interrupt pushes onto ROM. (With them
    // off, a program may point the stack at a table to pop it: that is no fault.)
    if (z80::GetRegister(z80::RegIFF1) == 0) return;
    const uint32_t sp = z80::GetRegister(z80::RegSP);
    if (!RamAt(sp - 1) || !RamAt(sp - 2)) Warn(CheckStackOutsideRam, true, sp, 0);
}

void ChecksLineEnding(uint32_t line, uint32_t cycles) {
    checks.line = line;
    if (line < VdpVisibleLines) CheckSprites(line);
    // Line 191's drawing sets the frame flag; still set from the last time, nobody read it.
    if (line == VdpVisibleLines - 1 && (VdpRegister(1) & VdpInterruptEnable) &&
        (VdpStatus() & FrameFlag)) {
        Warn(CheckFrameIrqUnread, false, 0, 0);
    }
    checks.lineStart += cycles;
    if (line == LinesPerFrame - 1) ++checks.frame;
}

}  // namespace plexaro
