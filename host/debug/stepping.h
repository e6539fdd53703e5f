// Stepping through a program by its source lines as well as by instructions: into calls, over
// them, and out of the function, for the CPU window and the debug adapter. Platform-neutral.
//
// Source lines come from the C debug table (cdb.h) unless another lookup is given here: the
// line an address belongs to, and where that line's code begins. Without any line known, a
// step by line is a step by instruction.
//
//     DebugResult result = SteppingStart(StepOver, StepByLine);
//     // then, as for DebuggerStepOver: each DebuggerRunFrame goes on until DebugStepped
#pragma once

#include <cstdint>

#include "machine/debugger.h"

namespace plexaro {

// One stretch of code of one source line: [start, end). A line compiled into several places
// (a loop's test at its bottom) is several stretches with the same file and line.
struct CodeLine {
    uint32_t file;  // the lookup's own number for the file
    uint32_t line;  // 1-based
    uint16_t start;
    uint16_t end;
};
using CodeLineLookup = bool (*)(uint16_t pc, CodeLine* line);
void SteppingSetLines(CodeLineLookup lookup);  // null: the C debug table's again
bool SteppingHasLines();                       // a lookup given, or C lines loaded
bool SteppingLineAt(uint16_t pc, CodeLine* line);
// True at the first instruction of a line's stretch.
bool SteppingAtLineStart(uint16_t pc);
// True when the instruction at `pc` is of the RET family (RET, RET cc, RETI, RETN): with SP
// raised after it, a function returned.
bool SteppingIsReturn(uint16_t pc);

enum StepAction : uint32_t {
    StepInto = 0,  // by line: to the next line begun, in a called function too
    StepOver = 1,  // by line: to the next line begun in this function (or its caller)
    StepOut = 2,   // to the instruction after the call that entered this function
};
enum StepUnit : uint32_t { StepByInstruction = 0, StepByLine = 1 };

// Starts a step from where the machine stands (stopped or not) and runs what it can of the
// frame: DebugStepped when it has arrived, DebugBreakpoint or DebugWatchpoint when one of
// those stopped it first, DebugFrameEnded when the frame ended on the way (the step goes on
// in the next DebuggerRunFrame calls, as DebuggerStepOver's does). An interrupt's handler
// taken on the way is run through, never stopped in.
DebugResult SteppingStart(StepAction action, StepUnit unit);

}  // namespace plexaro
