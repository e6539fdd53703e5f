// The debugger under the CPU window and the trace: breakpoints on addresses, stopping and
// resuming in the middle of a frame, stepping one instruction, stepping over a call, and a
// hook called before every instruction.
//
// While nothing is armed (no breakpoint or watchpoint, no step over under way, no trace or
// cycle hook, no checks) and the machine sits at the start of a frame, DebuggerRunFrame is
// RunFrame itself, so the core's fast loop is untouched. Otherwise frames run one instruction
// at a time (z80::Step), with
// the same lines, the same drawing and interrupts and the same cycle accounting as RunFrame:
// each line runs until its budget (227 cycles plus the interrupt responses owed to it) is
// spent or a HALT ends it, exactly where RunFrame's Run(227) would end it, so a stepped frame
// gives the same picture, sound and registers.
//
// The host calls DebuggerRunFrame once per frame in place of RunFrame, and shows a new
// picture and plays a sound frame whenever a call returns DebugFrameEnded:
//
//     DebuggerAddBreakpoint(0x0038);
//     for (;;) {
//         switch (DebuggerRunFrame()) {  // does nothing while stopped
//             case DebugFrameEnded: Present(GetFrameBuffer()); Play(MakeSoundFrame()); break;
//             case DebugBreakpoint: ShowStoppedAt(z80::GetRegister(z80::RegPC)); break;
//             default: break;
//         }
//         if (stepClicked && DebuggerStep() == DebugFrameEnded) Present(...);
//         if (runClicked) DebuggerResume();
//     }
//
// An instruction is the unit of a step as the core executes it: EI runs together with the
// instruction after it, a DD or FD prefix that changes nothing is a step of its own, and each
// repetition of LDIR and its kin is one step. Call DebuggerResetPosition after ResetMachine,
// LoadCartridge or FreeMachine, which end the frame in progress.
#pragma once

#include <cstdint>

namespace plexaro {

enum DebugResult : uint32_t {
    DebugFrameEnded = 0,  // the frame's last line has run: its picture and sound are ready
    DebugBreakpoint = 1,  // stopped before the instruction at an armed address
    DebugStepped = 2,     // stopped after a step, or where a step over came back
    DebugIdle = 3,        // DebuggerRunFrame while stopped: nothing ran
    DebugWatchpoint = 4,  // stopped after an instruction that met a watchpoint
};

// Where the machine is: frames completed through the debugger (or RunFrame under it), the
// line in progress (0 to 261) and the cycles spent in it.
struct DebugPosition {
    uint64_t frame;
    uint32_t line;
    uint32_t cycle;
};
// Steps taken in the frame so far (none in a frame run whole): with the frame, a moment.
uint32_t DebuggerInstructionInFrame();

// Called before each instruction of a stepped frame, with the registers as they are then.
using DebugTraceHook = void (*)(const DebugPosition& position);

// Watchpoints: data reads or writes of an address range, or the program's IN or OUT on a
// range of ports (0-255: the console decodes the low byte), each only when the byte read or
// written is `value` if matchValue is set. A hit is counted, passed to the hit hook, and stops
// the machine after the instruction that made it (DebugWatchpoint; when that instruction
// ended the frame, DebugFrameEnded comes first and the machine is stopped after it). Opcode
// fetches are not reads; the stack pushes of an interrupt taken between lines are not seen.
enum WatchKind : uint32_t {
    WatchRead = 1,
    WatchWrite = 2,
    WatchIn = 4,
    WatchOut = 8,
};
struct Watchpoint {
    uint32_t kinds;  // WatchRead and/or WatchWrite, or WatchIn and/or WatchOut
    uint16_t first;  // address or port
    uint16_t last;   // inclusive
    bool matchValue;
    uint8_t value;
    uint64_t hits;  // counted by the debugger
    // Only accesses by instructions from pcFirst to pcLast (inclusive), when pcFiltered.
    bool pcFiltered = false;
    uint16_t pcFirst = 0;
    uint16_t pcLast = 0;
    uint8_t width = 0;  // 2: the range is one 16-bit value, for those who report hits; else 0
};
struct WatchHit {
    uint32_t watch;  // its index
    uint32_t kind;   // the one WatchKind that happened
    uint16_t address;
    uint8_t value;
    uint16_t pc;  // the instruction that made it
    DebugPosition position;
};
inline constexpr uint32_t MaxWatchpoints = 32;
bool DebuggerAddWatchpoint(const Watchpoint& watch);  // false when all are in use
void DebuggerRemoveWatchpoint(uint32_t index);        // the later ones move down
void DebuggerClearWatchpoints();
uint32_t DebuggerWatchpointCount();
Watchpoint DebuggerGetWatchpoint(uint32_t index);
WatchHit DebuggerLastWatchHit();  // the hit of the last stop by a watchpoint
using DebugWatchHook = void (*)(const WatchHit& hit);
void DebuggerSetWatchHook(DebugWatchHook hook);  // every hit as it happens, or null
// Called after each instruction of a stepped frame with its address and the cycles it took,
// for a profiler. While one is set, every frame runs stepped.
using DebugCycleHook = void (*)(uint16_t pc, uint32_t cycles);
void DebuggerSetCycleHook(DebugCycleHook hook);

// Breakpoints: any of the 65536 addresses, checked before an instruction starts there.
void DebuggerAddBreakpoint(uint16_t address);
void DebuggerRemoveBreakpoint(uint16_t address);
bool DebuggerToggleBreakpoint(uint16_t address);  // true if the address is armed afterwards
bool DebuggerHasBreakpoint(uint16_t address);
void DebuggerClearBreakpoints();
uint32_t DebuggerBreakpointCount();
// Writes up to `capacity` armed addresses in ascending order; returns how many it wrote.
uint32_t DebuggerListBreakpoints(uint16_t* addresses, uint32_t capacity);

// Running. DebuggerRunFrame runs from where the machine is to the end of the frame, or
// until a breakpoint or a step over's return stops it (then DebuggerStopped() is true).
DebugResult DebuggerRunFrame();
// While stopped (or to stop and step at once): one instruction; stopped afterwards.
// Returns DebugFrameEnded when that instruction ended the frame, else DebugStepped.
DebugResult DebuggerStep();
// On CALL, CALL cc or RST: runs until PC is back at the next instruction with SP as it was
// (DebugStepped), or a breakpoint (DebugBreakpoint), or the end of the frame
// (DebugFrameEnded: still running, the return still awaited by later DebuggerRunFrame
// calls). On any other instruction, DebuggerStep.
DebugResult DebuggerStepOver();
// Runs the rest of the frame and stops at the start of the next one (DebugFrameEnded),
// unless a breakpoint stops it first.
DebugResult DebuggerRunToNextFrame();
void DebuggerStop();    // stopped where the machine is; forgets a step over under way
void DebuggerResume();  // running again: the next DebuggerRunFrame goes on from here
bool DebuggerStopped();

DebugPosition DebuggerPosition();
void DebuggerResetPosition();  // the start of a frame; the frame count and stop stay
// The hook, or null for none. While one is set, every frame runs stepped.
void DebuggerSetTraceHook(DebugTraceHook hook);

// Going back in time (host/debug/timetravel.h) keeps the console as each frame begins and runs
// the past again from there. The hook is called as a frame is about to begin, with the input
// for it already set, whether the frame then runs stepped or as RunFrame; never on a replay.
using DebugFrameStartHook = void (*)(uint64_t frame);
void DebuggerSetFrameStartHook(DebugFrameStartHook hook);
// The machine was put at the start of frame `frame` (a state loaded): the position follows, and
// the debugger is stopped there, with nothing under way.
void DebuggerStartFrameAt(uint64_t frame);
// One instruction of the past run again, as DebuggerStep would run it but unseen: no hook is
// called and no hit counted. True when it ended the frame; *watched (when not null) says
// whether it met a watchpoint, and DebuggerLastWatchHit then tells which.
bool DebuggerReplayStep(bool* watched);
// A whole frame of the past, from its start, run again as RunFrame runs it, for a search that
// only asks whether it met a watchpoint: true when some access matched one. It may say so where
// a replay step by step would not (a PC filter is not weighed, an interrupt's stack pushes are
// seen), never the other way round. Unseen as DebuggerReplayStep is; the machine stands at the
// next frame's start after it, stopped.
bool DebuggerReplayFrameMeetsWatch();

// Runs on, as after DebuggerResume, asking `until` before each instruction after the first
// whether to stop there (DebugStepped). Breakpoints and watchpoints still stop it; any stop
// forgets `until`. For stepping by source lines and out of functions.
using DebugStopHook = bool (*)();
void DebuggerRunUntil(DebugStopHook until);
bool DebuggerRunningUntil();

}  // namespace plexaro
