// Steps by source line and out of functions, as a stop test the debugger asks before each
// instruction: the test keeps the last instruction's PC, SP and interrupt enable, so it sees a
// call (a CALL or RST that lowered SP by its return address), a return (a RET family opcode
// that raised SP) and an interrupt taken (IFF1 dropped without a DI), and compares stack
// depths rather than addresses, so recursion and interrupts don't fool it. Whether code runs
// in a function called on the way is told by the calls seen, not by SP against where the step
// began: a C function's prologue lowers SP by its frame without any call, and a step begun on
// its first line would otherwise take its own body for a callee's.
#include "host/debug/stepping.h"

#include <string_view>

#include "cpu/z80.h"
#include "host/debug/cdb.h"
#include "machine/board.h"

namespace plexaro {
namespace {

// The C debug table's lines; a file is known by a hash of its name.
bool CdbLine(uint16_t pc, CodeLine* line) {
    SourcePlace place{};
    AddressRange range{};
    if (!SourcePlaceAt(pc, place) || !SourceLineRange(pc, range)) return false;
    uint32_t hash = 2166136261u;
    for (const char* c = place.file; c != nullptr && *c != 0; ++c)
        hash = (hash ^ static_cast<uint8_t>(*c)) * 16777619u;
    *line = {hash, place.line, range.first, static_cast<uint16_t>(range.last + 1)};
    return true;
}

struct SteppingState {
    CodeLineLookup lookup = CdbLine;
    StepAction action = StepInto;
    StepUnit unit = StepByLine;
    bool fromKnown = false;
    CodeLine from = {};
    uint32_t startSp = 0;
    uint32_t prevPc = 0, prevSp = 0;
    bool prevIff = false;
    bool inInterrupt = false;
    uint32_t interruptSp = 0;  // SP before the interrupt pushed its return address
    bool inCallee = false;     // in a function called since the step began, or deeper
    uint32_t calleeSp = 0;     // SP before that call pushed its return address
};

SteppingState stepping;

uint32_t Reg(uint32_t index) {
    return z80::GetRegister(index);
}

bool IsCall(uint32_t pc) {
    const uint8_t op = PeekConsole(pc & 0xFFFF);
    return op == 0xCD || (op & 0xC7) == 0xC4 || (op & 0xC7) == 0xC7;  // CALL, CALL cc, RST
}

bool SameLine(const CodeLine& a, const CodeLine& b) {
    return a.file == b.file && a.line == b.line;
}

bool Arrived() {
    const uint32_t pc = Reg(z80::RegPC);
    const uint32_t sp = Reg(z80::RegSP);
    const bool iff = Reg(z80::RegIFF1) != 0;
    const bool entered = stepping.prevIff && !iff && PeekConsole(stepping.prevPc) != 0xF3;
    const bool called =
        !entered && ((sp + 2) & 0xFFFF) == stepping.prevSp && IsCall(stepping.prevPc);
    bool returned =
        sp > stepping.prevSp && SteppingIsReturn(static_cast<uint16_t>(stepping.prevPc));
    if (entered && !stepping.inInterrupt) {
        stepping.inInterrupt = true;
        stepping.interruptSp = sp + 2;  // the handler's first instruction is yet to run
    }
    stepping.prevPc = pc;
    stepping.prevSp = sp;
    stepping.prevIff = iff;
    if (stepping.inInterrupt) {
        if (sp < stepping.interruptSp) return false;
        stepping.inInterrupt = false;
        returned = false;  // that return was the handler's
    }
    // The callee is left once SP is back above its return address, by a RET or by code that
    // pops the return address and jumps.
    if (called && !stepping.inCallee) {
        stepping.inCallee = true;
        stepping.calleeSp = sp + 2;
    }
    if (stepping.inCallee && sp >= stepping.calleeSp) stepping.inCallee = false;
    CodeLine here{};
    const bool known = SteppingLineAt(static_cast<uint16_t>(pc), &here);
    const bool outward = returned && sp > stepping.startSp;
    if (stepping.action == StepOut) {
        if (!outward) return false;
        if (known || stepping.unit == StepByInstruction) return true;
        stepping.startSp = sp;  // back in code without lines: on out of it
        stepping.inCallee = false;
        return false;
    }
    // Returning to the caller stops there, in the middle of its line.
    if (outward && known) return true;
    if (!known || pc != here.start) return false;
    const bool sameLine = stepping.fromKnown && SameLine(here, stepping.from);
    if (stepping.action == StepOver) return !stepping.inCallee && !sameLine;
    return !sameLine || stepping.inCallee;
}

}  // namespace

void SteppingSetLines(CodeLineLookup lookup) {
    stepping.lookup = lookup != nullptr ? lookup : CdbLine;
}

bool SteppingHasLines() {
    return stepping.lookup != CdbLine || CdbLoaded();
}

bool SteppingLineAt(uint16_t pc, CodeLine* line) {
    return stepping.lookup(pc, line);
}

bool SteppingAtLineStart(uint16_t pc) {
    CodeLine line{};
    return SteppingLineAt(pc, &line) && line.start == pc;
}

bool SteppingIsReturn(uint16_t pc) {
    const uint8_t op = PeekConsole(pc);
    if (op == 0xC9 || (op & 0xC7) == 0xC0) return true;  // RET, RET cc
    return op == 0xED && (PeekConsole(static_cast<uint16_t>(pc + 1)) & 0xC7) == 0x45;  // RETN, RETI
}

DebugResult SteppingStart(StepAction action, StepUnit unit) {
    if (unit == StepByLine && !SteppingHasLines()) unit = StepByInstruction;
    if (unit == StepByInstruction && action == StepInto) return DebuggerStep();
    if (unit == StepByInstruction && action == StepOver) return DebuggerStepOver();
    stepping.action = action;
    stepping.unit = unit;
    stepping.prevPc = Reg(z80::RegPC);
    stepping.prevSp = stepping.startSp = Reg(z80::RegSP);
    stepping.prevIff = Reg(z80::RegIFF1) != 0;
    stepping.inInterrupt = false;
    stepping.inCallee = false;
    stepping.fromKnown = SteppingLineAt(static_cast<uint16_t>(stepping.prevPc), &stepping.from);
    DebuggerRunUntil(Arrived);
    return DebuggerRunFrame();
}

}  // namespace plexaro
