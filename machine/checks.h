// Bugs of a program that only the console would show: the checks watch a running cartridge
// and keep a list of warnings, each once per instruction (PC) that caused it, with how often
// it happened and when it was first seen.
//
// While they are off (the default) nothing of them runs and frames take the plain path.
// Switched on, every data access and port access goes through them and frames run one
// instruction at a time through the debugger, so a host that checks calls DebuggerRunFrame:
//
//     ChecksEnable(true);               // before the load: power-on RAM counts as unwritten
//     LoadCartridge(path);
//     for (...) DebuggerRunFrame();
//     for (uint32_t i = 0; i < ChecksWarningCount(); ++i) Show(ChecksWarning(i));
//
// Nothing the program sees changes: every access still happens as it would unchecked.
#pragma once

#include <cstdint>

namespace plexaro {

enum CheckKind : uint32_t {
    CheckVramTooFast = 0,  // a data-port access sooner after the last one than the chip allows
    CheckUnwrittenRam,     // RAM read before anything was written there since power-on
    CheckRomWrite,         // a write where the CPU sees ROM
    CheckStackOutsideRam,  // a push, or an interrupt's, would land outside RAM
    CheckSpriteOverflow,   // more than four sprites on a line: the console drops the others
    CheckFrameIrqUnread,   // the frame interrupt on, but the status unread for a whole frame
    CheckStackIntoData,    // the stack ran down into the program's variables
    CheckStackBelowRam,    // the stack ran below 0xC000, RAM here but not on the console
    CheckFrameIrqStale,    // `ei` let in a frame interrupt left pending from a frame before
    CheckKindCount
};

struct CheckWarning {
    uint32_t kind;
    // The instruction that did it, or where the program was. Sprites: the last instruction
    // that wrote the dropped sprite's entry (else the one that placed the table); frame
    // interrupt: its handler; stale frame interrupt: the `ei`; stack: where it was deepest.
    // Not located: no instruction known.
    bool located;
    uint16_t pc;
    uint64_t count;
    uint64_t frame;  // the first time: frame and line (0 to 261)
    uint32_t line;
    // The first time's figures. Video: the cycles since the access before and the cycles the
    // chip needed; RAM, ROM: the address; stack: the stack pointer; sprites: the sprites on
    // the line and the first one dropped; frame interrupt: none.
    uint32_t detail;
    uint32_t needed;
};

inline constexpr uint32_t MaxCheckWarnings = 1024;  // more are counted, not kept

void ChecksEnable(bool on);
bool ChecksEnabled();
void ChecksClear();                          // forgets the warnings
void ChecksSetFrame(uint64_t frame);         // the number of the frame that runs next
uint32_t ChecksWarningCount();               // distinct warnings kept
CheckWarning ChecksWarning(uint32_t index);  // in order of first occurrence
uint64_t ChecksOccurrences();                // of every warning, kept or not
uint64_t ChecksKindOccurrences(uint32_t kind);
// The first address above the program's variables, from its symbols (0: not known). A stack
// that started above it and comes down past it is reported. Kept through ChecksClear.
void ChecksSetDataEnd(uint16_t end);

const char* CheckKindTitle(uint32_t kind);  // "Video memory accessed too fast", ...

}  // namespace plexaro
