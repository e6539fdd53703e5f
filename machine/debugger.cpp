// The debugger's stepped frames: RunFrame's lines taken one instruction at a time, with a
// check before each, and the position kept so a frame stopped in the middle can go on; the
// watchpoints' pages and ports are routed past their checks only around those steps.
#include "machine/debugger.h"

#include <algorithm>
#include <bit>
#include <utility>

#include "cpu/z80.h"
#include "machine/checks.h"
#include "machine/machine_internal.h"

namespace plexaro {
namespace {

constexpr uint32_t AddressCount = 0x10000;

struct DebuggerState {
    uint64_t armed[AddressCount / 64];
    uint32_t armedCount;
    bool stopped;
    // The instruction the machine stopped before runs without its breakpoint check, or
    // continuing would stop again at once.
    bool exemptNext;

    // Position of a stepped frame: the line, whether its budget has been drawn, what is left
    // of it, and interrupt responses taken inside it, which RunFrame charges to the next line.
    uint64_t frame;
    uint32_t line;
    uint32_t instruction;  // steps taken in the frame
    bool lineBegun;
    int32_t budget;
    int32_t left;
    int32_t owedToNextLine;

    bool stepOverArmed;
    uint32_t stepOverPc;
    uint32_t stepOverSp;
    DebugTraceHook trace;
    DebugCycleHook cycles;

    Watchpoint watches[MaxWatchpoints];
    uint32_t watchCount;
    uint64_t readPages[4];  // the pages some watchpoint reads or writes, for the core
    uint64_t writePages[4];
    bool portsWatched;
    uint16_t instructionPc;  // the instruction in progress
    bool hitPending;         // it has met a watchpoint
    WatchHit lastHit;
    DebugWatchHook watchHook;

    DebugFrameStartHook frameStart;
    DebugStopHook until;
    bool replaying;  // the past runs again: no hook, no hit counted
    bool anyPc;      // a frame runs whole: the instruction in progress is not known
};

DebuggerState state = {};

uint32_t Pc() {
    return z80::GetRegister(z80::RegPC);
}

uint8_t ByteAt(uint32_t address) {
    return PeekConsole(address);  // through the board's current pages
}

bool Armed(uint32_t address) {
    return (state.armed[address >> 6] >> (address & 63)) & 1;
}

bool AtFrameStart() {
    return state.line == 0 && !state.lineBegun;
}

void Met(uint32_t kind, uint32_t address, uint32_t value) {
    for (uint32_t i = 0; i < state.watchCount; ++i) {
        Watchpoint& watch = state.watches[i];
        if ((watch.kinds & kind) == 0 || address < watch.first || address > watch.last) continue;
        if (watch.matchValue && watch.value != value) continue;
        if (watch.pcFiltered && !state.anyPc &&
            (state.instructionPc < watch.pcFirst || state.instructionPc > watch.pcLast)) {
            continue;
        }
        if (!state.replaying) ++watch.hits;
        const WatchHit hit{i,
                           kind,
                           static_cast<uint16_t>(address),
                           static_cast<uint8_t>(value),
                           state.instructionPc,
                           DebuggerPosition()};
        if (!state.hitPending) state.lastHit = hit;  // the first of the instruction stops it
        state.hitPending = true;
        if (state.watchHook != nullptr && !state.replaying) state.watchHook(hit);
    }
}

void SeeAccess(uint32_t address, uint32_t value, bool write) {
    Met(write ? WatchWrite : WatchRead, address, value);
}

void SeePort(uint32_t port, uint32_t value, bool out) {
    Met(out ? WatchOut : WatchIn, port & 0xFF, value);
}

void Rewatch() {
    for (uint64_t& word : state.readPages) word = 0;
    for (uint64_t& word : state.writePages) word = 0;
    state.portsWatched = false;
    for (uint32_t i = 0; i < state.watchCount; ++i) {
        const Watchpoint& watch = state.watches[i];
        if (watch.kinds & (WatchIn | WatchOut)) state.portsWatched = true;
        for (uint32_t page = watch.first >> 8; page <= static_cast<uint32_t>(watch.last >> 8);
             ++page) {
            if (watch.kinds & WatchRead) state.readPages[page / 64] |= uint64_t{1} << (page % 64);
            if (watch.kinds & WatchWrite) state.writePages[page / 64] |= uint64_t{1} << (page % 64);
        }
    }
}

// z80::Step with the watched pages and ports routed past the watchpoints, in front of
// whatever handlers the board or the checks have installed.
z80::StepInRun WatchedStep(int32_t left) {
    if (state.watchCount == 0) return z80::StepWithinRun(left);
    z80::WatchPages(state.readPages, state.writePages, SeeAccess);
    if (state.portsWatched) z80::WatchPorts(SeePort);
    const z80::StepInRun step = z80::StepWithinRun(left);
    z80::UnwatchPages();
    z80::UnwatchPorts();
    return step;
}

// One instruction at the current position; true when it ended the frame.
bool ExecuteOne() {
    if (!state.lineBegun) {
        if (state.line == 0) {
            // The time traveller keeps its state before the frame's own start, which a replay
            // from that state then does again.
            if (state.frameStart != nullptr && !state.replaying) state.frameStart(state.frame);
            PpiFrameStarted();  // as RunFrame begins a frame
        }
        state.budget = LineCycles() + z80::TakePendingCycles();
        state.left = state.budget;
        state.owedToNextLine = 0;
        state.lineBegun = true;
    }
    const uint32_t pc = Pc();
    if (state.trace != nullptr && !state.replaying) state.trace(DebuggerPosition());
    const bool checking = ChecksEnabled();
    if (checking) {
        ChecksBeforeInstruction(pc, state.line, static_cast<uint32_t>(state.budget - state.left));
    }
    // The sound chip's writes find their cycle as in RunFrame's Run of the whole line.
    const auto lineStart = state.line * static_cast<uint32_t>(LineCycles());
    SetSoundClock(lineStart + static_cast<uint32_t>(state.budget - state.left));
    state.instructionPc = static_cast<uint16_t>(pc);
    const z80::StepInRun step = WatchedStep(state.left);
    state.left -= static_cast<int32_t>(step.cycles);
    StopSoundClock();
    if (state.cycles != nullptr && !state.replaying)
        state.cycles(static_cast<uint16_t>(pc), step.cycles);
    ++state.instruction;
    // Responses waiting from between runs (a pause pressed while stopped), which Step leaves
    // waiting: the line owes them to the next.
    state.owedToNextLine += z80::TakePendingCycles();
    state.exemptNext = false;

    // Run(LineCycles()) ends its line where the budget runs out, and at a HALT whatever is left.
    if (state.left > 0 && !step.halted) return false;
    // In the hardware behaviour what the line ran past its end comes off the next line, as
    // in RunFrame: what Run would have left of the line's budget.
    if (HardwareBehaviour()) state.owedToNextLine += step.left;
    z80::AddPendingCycles(state.owedToNextLine);
    // The line took its budget, or more when its last instruction ran past the end.
    if (checking)
        ChecksLineEnding(state.line, static_cast<uint32_t>(state.budget - std::min(state.left, 0)));
    FinishLine(state.line);
    state.lineBegun = false;
    if (++state.line < LinesPerFrame) return false;
    state.line = 0;
    state.instruction = 0;
    ++state.frame;
    return true;
}

DebugResult Stop(DebugResult why) {
    state.stopped = true;
    state.exemptNext = true;
    state.until = nullptr;
    return why;
}

// Runs instructions until the frame ends or something armed stops it.
DebugResult RunStepped() {
    for (;;) {
        if (!state.exemptNext) {
            const uint32_t pc = Pc();
            if (state.stepOverArmed && pc == state.stepOverPc &&
                z80::GetRegister(z80::RegSP) == state.stepOverSp) {
                state.stepOverArmed = false;
                return Stop(DebugStepped);
            }
            if (Armed(pc)) return Stop(DebugBreakpoint);
            if (state.until != nullptr && state.until()) return Stop(DebugStepped);
        }
        const bool frameEnded = ExecuteOne();
        if (state.hitPending) {
            state.hitPending = false;
            Stop(DebugWatchpoint);
            if (!frameEnded) return DebugWatchpoint;
        }
        if (frameEnded) return DebugFrameEnded;
    }
}

// The length of a CALL, CALL cc or RST at `pc`, or 0 for any other instruction.
uint32_t CallLength(uint32_t pc) {
    const uint8_t op = ByteAt(pc);
    if (op == 0xCD || (op & 0xC7) == 0xC4) return 3;
    if ((op & 0xC7) == 0xC7) return 1;
    return 0;
}

}  // namespace

void DebuggerAddBreakpoint(uint16_t address) {
    if (!Armed(address)) ++state.armedCount;
    state.armed[address >> 6] |= uint64_t{1} << (address & 63);
}

void DebuggerRemoveBreakpoint(uint16_t address) {
    if (Armed(address)) --state.armedCount;
    state.armed[address >> 6] &= ~(uint64_t{1} << (address & 63));
}

bool DebuggerToggleBreakpoint(uint16_t address) {
    if (Armed(address)) {
        DebuggerRemoveBreakpoint(address);
        return false;
    }
    DebuggerAddBreakpoint(address);
    return true;
}

bool DebuggerHasBreakpoint(uint16_t address) {
    return Armed(address);
}

void DebuggerClearBreakpoints() {
    for (uint64_t& word : state.armed) word = 0;
    state.armedCount = 0;
}

uint32_t DebuggerBreakpointCount() {
    return state.armedCount;
}

uint32_t DebuggerListBreakpoints(uint16_t* addresses, uint32_t capacity) {
    uint32_t count = 0;
    for (uint32_t word = 0; word < AddressCount / 64; ++word) {
        for (uint64_t bits = state.armed[word]; bits != 0 && count < capacity; bits &= bits - 1) {
            addresses[count++] = static_cast<uint16_t>(word * 64 + std::countr_zero(bits));
        }
    }
    return count;
}

DebugResult DebuggerRunFrame() {
    if (state.stopped) return DebugIdle;
    if (ConsoleMemory() == nullptr) return DebugFrameEnded;  // as RunFrame: nothing to run
    if (state.armedCount == 0 && !state.stepOverArmed && state.trace == nullptr &&
        state.cycles == nullptr && state.watchCount == 0 && state.until == nullptr &&
        !ChecksEnabled() && AtFrameStart()) {
        if (state.frameStart != nullptr) state.frameStart(state.frame);
        RunFrame();
        ++state.frame;
        return DebugFrameEnded;
    }
    return RunStepped();
}

DebugResult DebuggerStep() {
    Stop(DebugStepped);
    if (ConsoleMemory() == nullptr) return DebugStepped;
    const bool frameEnded = ExecuteOne();
    Stop(DebugStepped);
    state.hitPending = false;  // a step stops anyway; the hit is counted and kept
    return frameEnded ? DebugFrameEnded : DebugStepped;
}

DebugResult DebuggerStepOver() {
    if (ConsoleMemory() == nullptr) return Stop(DebugStepped);
    const uint32_t pc = Pc();
    const uint32_t length = CallLength(pc);
    if (length == 0) return DebuggerStep();
    state.stepOverArmed = true;
    state.stepOverPc = (pc + length) & 0xFFFF;
    state.stepOverSp = z80::GetRegister(z80::RegSP);
    state.stopped = false;
    state.exemptNext = true;
    return RunStepped();
}

DebugResult DebuggerRunToNextFrame() {
    if (ConsoleMemory() == nullptr) return Stop(DebugFrameEnded);
    state.stopped = false;
    state.exemptNext = true;
    const DebugResult result = RunStepped();
    return result == DebugFrameEnded ? Stop(DebugFrameEnded) : result;
}

void DebuggerStop() {
    state.stepOverArmed = false;
    Stop(DebugStepped);
}

void DebuggerResume() {
    state.stopped = false;
}

bool DebuggerStopped() {
    return state.stopped;
}

DebugPosition DebuggerPosition() {
    const int32_t spent = state.lineBegun ? state.budget - state.left : 0;
    return {state.frame, state.line, static_cast<uint32_t>(spent)};
}

uint32_t DebuggerInstructionInFrame() {
    return state.instruction;
}

void DebuggerResetPosition() {
    state.line = 0;
    state.instruction = 0;
    state.lineBegun = false;
    state.stepOverArmed = false;
    state.until = nullptr;
    state.exemptNext = true;
}

void DebuggerSetFrameStartHook(DebugFrameStartHook hook) {
    state.frameStart = hook;
}

void DebuggerStartFrameAt(uint64_t frame) {
    DebuggerResetPosition();
    state.frame = frame;
    Stop(DebugStepped);
}

bool DebuggerReplayStep(bool* watched) {
    state.hitPending = false;
    state.replaying = true;
    const bool frameEnded = ConsoleMemory() != nullptr && ExecuteOne();
    state.replaying = false;
    if (watched != nullptr) *watched = state.hitPending;
    state.hitPending = false;
    Stop(DebugStepped);
    return frameEnded;
}

bool DebuggerReplayFrameMeetsWatch() {
    if (ConsoleMemory() == nullptr || !AtFrameStart()) return true;
    state.hitPending = false;
    state.replaying = true;
    state.anyPc = true;
    if (state.watchCount != 0) {
        z80::WatchPages(state.readPages, state.writePages, SeeAccess);
        if (state.portsWatched) z80::WatchPorts(SeePort);
    }
    RunFrame();
    z80::UnwatchPages();
    z80::UnwatchPorts();
    state.anyPc = false;
    state.replaying = false;
    ++state.frame;
    const bool met = state.hitPending;
    state.hitPending = false;
    Stop(DebugStepped);
    return met;
}

void DebuggerRunUntil(DebugStopHook until) {
    state.stepOverArmed = false;
    state.stopped = false;
    state.exemptNext = true;
    state.until = until;
}

bool DebuggerRunningUntil() {
    return state.until != nullptr;
}

void DebuggerSetTraceHook(DebugTraceHook hook) {
    state.trace = hook;
}

void DebuggerSetCycleHook(DebugCycleHook hook) {
    state.cycles = hook;
}

bool DebuggerAddWatchpoint(const Watchpoint& watch) {
    if (state.watchCount == MaxWatchpoints) return false;
    Watchpoint& added = state.watches[state.watchCount++];
    added = watch;
    if (added.first > added.last) std::swap(added.first, added.last);
    if (added.kinds & (WatchIn | WatchOut)) {  // ports: their low byte
        added.kinds &= WatchIn | WatchOut;
        added.first &= 0xFF;
        added.last = static_cast<uint16_t>(std::min<uint32_t>(added.last, 0xFF));
    }
    added.hits = 0;
    Rewatch();
    return true;
}

void DebuggerRemoveWatchpoint(uint32_t index) {
    if (index >= state.watchCount) return;
    for (uint32_t i = index; i + 1 < state.watchCount; ++i) state.watches[i] = state.watches[i + 1];
    --state.watchCount;
    Rewatch();
}

void DebuggerClearWatchpoints() {
    state.watchCount = 0;
    Rewatch();
}

uint32_t DebuggerWatchpointCount() {
    return state.watchCount;
}

Watchpoint DebuggerGetWatchpoint(uint32_t index) {
    return index < state.watchCount ? state.watches[index] : Watchpoint{};
}

WatchHit DebuggerLastWatchHit() {
    return state.lastHit;
}

void DebuggerSetWatchHook(DebugWatchHook hook) {
    state.watchHook = hook;
}

}  // namespace plexaro
