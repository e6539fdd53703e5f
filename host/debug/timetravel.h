// Going back in time while debugging. The console is deterministic, so the state it was in as
// each frame began (the input for the frame included), kept in a ring, is enough to reach any
// instruction since: load the nearest earlier state and run forward to it. Every variable then
// holds what it held, and the interrupts, the video chip and the sound chip stand exactly as
// they did when the machine first passed there. Platform-neutral; the CPU window and the debug
// adapter drive it.
//
// Memory is taken once, at the start: a whole state per frame (about 49 KB), so 40 MB keeps
// some 13 seconds. States are kept through the debugger's frame-start hook, whether a frame
// runs stepped or at full speed. Going back forgets nothing: the frames after stay kept until
// the machine runs into them again and keeps them anew.
//
//     TimeTravelStart(TimeTravelDefaultBudget);
//     ... DebuggerRunFrame() as ever; the machine stops somewhere ...
//     TimeTravelStepBack(StepByLine);              // the line before, as it was
//     TimeTravelReverseContinue(nullptr);          // the last breakpoint or watchpoint hit
#pragma once

#include <cstddef>
#include <cstdint>

#include "host/debug/stepping.h"

namespace plexaro {

inline constexpr size_t TimeTravelDefaultBudget = 40u << 20;

bool TimeTravelStart(size_t budgetBytes);  // false when the memory can't be had
void TimeTravelStop();                     // gives the memory back
bool TimeTravelActive();
// The machine restarted (reset, a cartridge or a state loaded, rewind): what was kept is
// another machine's past.
void TimeTravelClear();
uint32_t TimeTravelFramesKept();

// A moment: the frame (as the debugger counts them) and the instructions run in it.
struct TimePoint {
    uint64_t frame;
    uint32_t instruction;
};
TimePoint TimeTravelNow();
TimePoint TimeTravelOldest();  // the earliest moment that can be reached; valid when frames kept

enum TravelResult : uint32_t {
    TravelArrived = 0,   // the machine stands where it was asked to go, stopped
    TravelOldest = 1,    // nothing earlier matched: it stands at the oldest moment kept
    TravelNoHistory = 2  // nothing kept before now: nothing changed
};

// To any moment from the oldest kept up to now (a later one, within the frame begun, as well).
TravelResult TimeTravelTo(TimePoint point);
// The reverse of a step: by instruction, to the moment before the last instruction ran; by
// line, to the start of the previous line, stepping back over calls (the reverse of
// StepOver): the latest line begun at this depth of the stack or a shallower one.
TravelResult TimeTravelStepBack(StepUnit unit);
// Back to the latest moment before now at which the debugger would have stopped going forward:
// before an instruction at a breakpoint, or after one that met a watchpoint. `accept`, when
// given, is asked with the machine at such a moment (a condition, say) and may turn it down.
using TravelHitFilter = bool (*)(uint16_t pc, bool watchpoint);
TravelResult TimeTravelReverseContinue(TravelHitFilter accept);

}  // namespace plexaro
