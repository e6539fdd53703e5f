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
constexpr uint32_t PortVdpControl = 0xBF;
constexpr uint32_t ConsoleRamStart = 0xC000;  // the console's own 1 KB, repeated to 0xFFFF
constexpr uint32_t RamAreaStart = 0x8000;     // below: a stack pointer set at a table to pop
constexpr uint32_t ExSpOpcode = 0xE3;         // ex (sp),hl; after DD or FD, ex (sp),ix/iy
constexpr uint32_t EiOpcode = 0xFB;
constexpr uint32_t IrqDataByte = 0xFF;  // the console's bus: RST 38h, IM 2's vector low
constexpr uint32_t ImRestartHandler = 0x0038;
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
    uint16_t previousPc;
    // The frame flag outlived a frame with interrupts off: the next `ei` that finds it still
    // set lets in an interrupt for a frame long past.
    bool staleIrq;

    bool accessed;  // a data-port access happened since the checks began
    uint64_t lastAccess;
    uint32_t gapAfterLast;  // what the chip needs after it, where it was then

    uint8_t written[AddressCount / 8];  // by index in the console memory block

    // Who wrote the video chip last, for warnings the chip raises on its own: the writer's
    // PC + 1 (0: nobody since the checks began) per video memory byte and per register.
    uint32_t vramWriter[VramSize];
    uint32_t registerWriter[VdpRegisterCount];

    // The stack's descent: the floors it must not pass, whether it was seen above the
    // variables yet (a stack placed below them on purpose is no fault), whether it is below
    // a floor now, and the warning that follows each kind's deepest point (index + 1).
    uint16_t dataEnd;
    bool ramBelowConsoleRam;  // the board has RAM under 0xC000 (the simple behaviour)
    // Where the program first puts the stack decides: SP as the reset left it says nothing.
    bool stackPlaced;
    int32_t resetSp;  // -1 until the first instruction after a power-on
    bool stackAboveData;
    bool stackDeep[2];
    uint32_t deepWarning[2];

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
    "Stack ran into the variables",
    "Stack below the console's RAM",
    "Stale frame interrupt let in by ei",
};

uint32_t Hash(uint32_t key) {
    key *= 0x9E3779B1u;
    return key >> 21;  // 11 bits: a slot
}
static_assert(SlotCount == 1u << 11);

// Returns the warning's index, or MaxCheckWarnings when it was only counted.
uint32_t Warn(uint32_t kind, bool located, uint32_t detail, uint32_t needed,
              uint16_t pc = checks.pc) {
    ++checks.occurrences[kind];
    const uint32_t key = (kind << 17) | (located ? pc : 0x10000u);
    uint32_t slot = Hash(key);
    for (; checks.slots[slot] != 0; slot = (slot + 1) & (SlotCount - 1)) {
        CheckWarning& warning = checks.warnings[checks.slots[slot] - 1];
        const uint32_t held = (warning.kind << 17) | (warning.located ? warning.pc : 0x10000u);
        if (held == key) {
            ++warning.count;
            return checks.slots[slot] - 1u;
        }
    }
    if (checks.count == MaxCheckWarnings) return MaxCheckWarnings;
    checks.warnings[checks.count] = {kind,         located,     pc,     1,
                                     checks.frame, checks.line, detail, needed};
    checks.slots[slot] = static_cast<uint16_t>(++checks.count);
    return checks.count - 1;
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

// SDCC reserves a local's slot with `dec sp` or by moving SP, then fills it with
// `ex (sp),hl`, which reads the slot's old bytes only to swap them into HL.
bool SwapsWithStack(uint32_t pc) {
    const uint32_t opcode = PeekConsole(pc);
    if (opcode == ExSpOpcode) return true;
    return (opcode == 0xDD || opcode == 0xFD) && PeekConsole((pc + 1) & 0xFFFF) == ExSpOpcode;
}

uint32_t CheckedRead(uint32_t address) {
    const int32_t index = ConsoleRamIndex(address);
    if (index >= 0 && !Written(index) && !SwapsWithStack(checks.pc)) {
        Warn(CheckUnwrittenRam, true, address & 0xFFFF, 0);
    }
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
    if ((port & 0xFF) == PortVdpData) {
        DataPortAccess();
        checks.vramWriter[VdpInspect().address % VramSize] = checks.pc + 1u;
    } else if ((port & 0xFF) == PortVdpControl) {
        // The second control byte with bit 7 set writes a register.
        if (VdpInspect().controlLatched && (value & 0x80)) {
            checks.registerWriter[value % VdpRegisterCount] = checks.pc + 1u;
        }
    }
    ConsolePortOut(port, value);
}

// The instruction to blame for the sprites a line drops: the last writer of the first
// dropped sprite's entry, else the one that placed the table (an entry of zeros never
// written), else none.
uint32_t SpriteWriter(uint32_t dropped) {
    const uint32_t entry = VdpInspect().spriteAttributeTable + dropped * 4;
    for (uint32_t i = 0; i < 4; ++i) {
        if (const uint32_t writer = checks.vramWriter[(entry + i) % VramSize]) return writer;
    }
    return checks.registerWriter[5];
}

// Where the frame interrupt goes: IM 2 reads its vector at I:FF, the others run RST 38h.
uint16_t FrameIrqHandler() {
    if (z80::GetRegister(z80::RegIM) != 2) return ImRestartHandler;
    const uint32_t table = (z80::GetRegister(z80::RegIR) & 0xFF00) | IrqDataByte;
    return static_cast<uint16_t>(PeekConsole(table) | (PeekConsole((table + 1) & 0xFFFF) << 8));
}

// One warning per kind that follows the stack's deepest point; counted once per descent.
void StackBelow(uint32_t deep, uint32_t kind, uint32_t sp, uint32_t floor) {
    if (!checks.stackDeep[deep]) {
        checks.stackDeep[deep] = true;
        if (checks.deepWarning[deep] == 0) {
            const uint32_t index = Warn(kind, true, sp, floor);
            if (index < MaxCheckWarnings) checks.deepWarning[deep] = index + 1;
            return;
        }
        ++checks.occurrences[kind];
        ++checks.warnings[checks.deepWarning[deep] - 1].count;
    }
    if (checks.deepWarning[deep] == 0) return;
    CheckWarning& warning = checks.warnings[checks.deepWarning[deep] - 1];
    if (sp >= warning.detail) return;
    warning.detail = sp;
    warning.pc = checks.pc;
    warning.frame = checks.frame;
    warning.line = checks.line;
}

void WatchStackDepth(uint32_t sp) {
    // SP 0 is the top: the first push lands at 0xFFFF. Below 0x8000 the stack is a table.
    const bool inRam = sp >= RamAreaStart;
    const bool belowRam = inRam && checks.ramBelowConsoleRam && sp < ConsoleRamStart;
    if (!checks.stackPlaced) {
        if (checks.resetSp < 0) checks.resetSp = static_cast<int32_t>(sp);
        checks.stackPlaced = sp != static_cast<uint32_t>(checks.resetSp);
    }
    if (checks.stackPlaced && (sp == 0 || sp >= checks.dataEnd)) checks.stackAboveData = true;
    const bool intoData = inRam && checks.stackAboveData && sp < checks.dataEnd;
    if (belowRam) {
        StackBelow(1, CheckStackBelowRam, sp, ConsoleRamStart);
    } else {
        checks.stackDeep[1] = false;
    }
    if (intoData) {
        StackBelow(0, CheckStackIntoData, sp, checks.dataEnd);
    } else {
        checks.stackDeep[0] = false;
    }
}

// The sprites the console would drop on a line, as the chip finds them.
void CheckSprites(uint32_t line) {
    const VdpLineScan scan = VdpScanSpriteLine(line);
    if (scan.dropped == VdpSpriteCount) return;
    const uint32_t writer = SpriteWriter(scan.dropped);
    Warn(CheckSpriteOverflow, writer != 0, static_cast<uint32_t>(std::popcount(scan.covering)),
         scan.dropped, static_cast<uint16_t>(writer - 1));
}

}  // namespace

void ChecksEnable(bool on) {
    if (on == checks.on) return;
    checks.on = on;
    checks.accessed = false;
    // What ran unwatched may have written anything: only a power-on starts the RAM afresh.
    std::memset(checks.written, 0xFF, sizeof checks.written);
    checks.stackPlaced = true;  // by the program, as far as anyone knows
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
    checks.deepWarning[0] = checks.deepWarning[1] = 0;
    checks.stackDeep[0] = checks.stackDeep[1] = false;
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

void ChecksSetDataEnd(uint16_t end) {
    checks.dataEnd = end;
    checks.stackAboveData = false;
}

const char* CheckKindTitle(uint32_t kind) {
    return kind < CheckKindCount ? Titles[kind] : "";
}

void ChecksMapChanged() {
    if (!checks.on) return;
    checks.ramBelowConsoleRam = RamAt(ConsoleRamStart - 1);
    z80::MapReadHandlerPages(0, AddressCount - 1, &CheckedRead);
    z80::MapWriteHandlerPages(0, AddressCount - 1, &CheckedWrite);
    z80::SetInHandler(&CheckedIn);
    z80::SetOutHandler(&CheckedOut);
}

void ChecksRamStarted(bool restored) {
    if (!checks.on) return;
    checks.accessed = false;
    checks.stackAboveData = false;
    checks.stackPlaced = restored;
    checks.resetSp = -1;
    checks.staleIrq = false;
    std::memset(checks.written, restored ? 0xFF : 0x00, sizeof checks.written);
    std::memset(checks.vramWriter, 0, sizeof checks.vramWriter);
    std::memset(checks.registerWriter, 0, sizeof checks.registerWriter);
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
    checks.previousPc = checks.pc;
    checks.pc = static_cast<uint16_t>(pc);
    checks.line = line;
    checks.instructionStart = checks.lineStart + cycle;
    const uint32_t sp = z80::GetRegister(z80::RegSP);
    WatchStackDepth(sp);
    // Interrupts on with the stack outside RAM: the next interrupt pushes onto ROM. (With them
    // off, a program may point the stack at a table to pop it: that is no fault.)
    const bool enabled = z80::GetRegister(z80::RegIFF1) != 0;
    // Interrupts on again: by the `ei` before, or the interrupt it let in has already
    // turned them off.
    if (checks.staleIrq && (enabled || PeekConsole(checks.previousPc) == EiOpcode)) {
        checks.staleIrq = false;
        if ((VdpRegister(1) & VdpInterruptEnable) && (VdpStatus() & FrameFlag)) {
            Warn(CheckFrameIrqStale, true, 0, 0, checks.previousPc);
        }
    }
    if (!enabled) return;
    if (!RamAt(sp - 1) || !RamAt(sp - 2)) Warn(CheckStackOutsideRam, true, sp, 0);
}

void ChecksLineEnding(uint32_t line, uint32_t cycles) {
    checks.line = line;
    if (line < VdpVisibleLines) CheckSprites(line);
    // Line 191's drawing sets the frame flag; still set from the last time, nobody read it.
    // With interrupts off no handler ran, so none failed to read the status: it is only a
    // fault if the flag is still set when they come on.
    if (line == VdpVisibleLines - 1 && (VdpRegister(1) & VdpInterruptEnable) &&
        (VdpStatus() & FrameFlag)) {
        if (z80::GetRegister(z80::RegIFF1) == 0) {
            checks.staleIrq = true;
        } else {
            Warn(CheckFrameIrqUnread, true, 0, 0, FrameIrqHandler());
        }
    }
    checks.lineStart += cycles;
    if (line == LinesPerFrame - 1) ++checks.frame;
}

}  // namespace plexaro
