// Time travel: a ring of whole states, one as each frame began, and the past run again from
// them one instruction at a time, unseen by the debugger's hooks. A search backwards (the
// previous line, the last hit) runs each earlier frame forward from its start, newest first,
// and remembers the latest moment in it that matches; the machine is then put there by loading
// that frame's state once more and running to the moment. A search for the last hit passes
// over the frames that can't hold one without looking at their instructions: all of them with
// nothing armed, and with watchpoints alone each frame that a run at full speed shows met none.
#include "host/debug/timetravel.h"

#include <algorithm>
#include <limits>
#include <new>
#include <vector>

#include "cpu/z80.h"
#include "machine/debugger.h"
#include "machine/machine.h"
#include "machine/state.h"

namespace plexaro {
namespace {

struct Ring {
    uint8_t* bytes;
    uint32_t stateSize;
    uint32_t capacity;  // states
    uint64_t newest;    // the frame of the newest state kept
    uint32_t count;     // states kept, the newest and the ones before it
};

Ring ring = {};

constexpr uint32_t WholeFrame = std::numeric_limits<uint32_t>::max();

uint8_t* Slot(uint64_t frame) {
    return ring.bytes + (frame % ring.capacity) * ring.stateSize;
}

uint64_t Oldest() {
    return ring.newest + 1 - ring.count;
}

bool Kept(uint64_t frame) {
    return ring.count != 0 && frame <= ring.newest && frame >= Oldest();
}

bool Before(TimePoint a, TimePoint b) {
    return a.frame < b.frame || (a.frame == b.frame && a.instruction < b.instruction);
}

// The debugger's frame-start hook. Running into frames kept before (after going back) keeps
// them anew: whatever was changed in the past since makes a different future.
void Keep(uint64_t frame) {
    if (ring.bytes == nullptr || ConsoleMemory() == nullptr) return;
    if (ring.count != 0 && (frame > ring.newest + 1 || frame < Oldest())) ring.count = 0;
    if (ring.count != 0 && frame <= ring.newest)
        ring.count -= static_cast<uint32_t>(ring.newest - frame + 1);
    WriteMachineState(frame, Slot(frame));  // sealed only when loaded
    ring.newest = frame;
    ring.count = std::min(ring.count + 1, ring.capacity);
}

bool Restore(uint64_t frame) {
    uint8_t* state = Slot(frame);
    SealMachineState(state);
    if (LoadMachineState(state, ring.stateSize, nullptr) != nullptr) return false;
    DebuggerStartFrameAt(frame);
    return true;
}

// Runs the restored frame on for up to `count` instructions, or to its end; how many ran.
uint32_t RunOn(uint32_t count) {
    uint32_t ran = 0;
    while (ran < count) {
        ++ran;
        if (DebuggerReplayStep(nullptr)) break;
    }
    return ran;
}

// The machine put at `point`. The frame before is run first where it is kept, so that the
// picture below the line the moment stands in shows what it showed then.
TravelResult GoTo(TimePoint point) {
    if (point.frame > Oldest() && Restore(point.frame - 1)) RunFrame();
    if (!Restore(point.frame)) {
        TimeTravelClear();
        return TravelNoHistory;
    }
    RunOn(point.instruction);
    return TravelArrived;
}

// Runs frame `frame` from its start, before up to `limit` instructions, telling `visit` the
// index of each instruction about to run and, after it, whether it met a watchpoint and
// whether it ended the frame.
template <typename Visit>
bool Scan(uint64_t frame, uint32_t limit, Visit visit) {
    if (!Restore(frame)) return false;
    for (uint32_t index = 0; index < limit; ++index) {
        bool watched = false;
        visit(index, false, false);
        const bool ended = DebuggerReplayStep(&watched);
        if (watched) visit(index, true, ended);
        if (ended) break;
    }
    return true;
}

// Whether frame `frame` can hold a breakpoint or watchpoint hit before instruction `limit`.
// A run at full speed doesn't see the addresses it passes, so with breakpoints armed, or part
// of a frame, the instructions must be looked at.
bool MayHit(uint64_t frame, uint32_t limit) {
    const bool breakpoints = DebuggerBreakpointCount() != 0;
    if (!breakpoints && DebuggerWatchpointCount() == 0) return false;
    if (breakpoints || limit != WholeFrame) return true;
    return !Restore(frame) || DebuggerReplayFrameMeetsWatch();
}

// The search backwards of a reverse continue: frame by frame, newest first, the latest moment
// that `Match` names (it returns whether the index it was given names one, and may move it to
// after the instruction), in the frames that may hold one.
template <typename Match>
TravelResult SearchBack(Match match) {
    const TimePoint now = TimeTravelNow();
    if (!Kept(now.frame)) return TravelNoHistory;
    for (uint64_t frame = now.frame;; --frame) {
        const uint32_t limit = frame == now.frame ? now.instruction : WholeFrame;
        if (!MayHit(frame, limit)) {
            if (frame == Oldest()) break;
            continue;
        }
        bool found = false;
        TimePoint best{};
        const bool ran = Scan(frame, limit, [&](uint32_t index, bool watched, bool ended) {
            TimePoint at{frame, index};
            if (match(at, watched, ended) && Before(at, now)) {
                best = at;
                found = true;
            }
        });
        if (!ran) {
            TimeTravelClear();
            return TravelNoHistory;
        }
        if (found) return GoTo(best);
        if (frame == Oldest()) break;
    }
    GoTo({Oldest(), 0});
    return TravelOldest;
}

// A line begun, as a step back by line weighs it.
struct LineBegun {
    uint32_t index;
    uint32_t sp;
};

// The reverse of stepping over: the latest line begun in the function that stands now or in
// one of its callers. A line begun no deeper in the stack than now counts unless a return
// after it raised SP above where it stood: its function had returned since (one called
// before now's from the same line of their caller, say), so it is no caller of now's. Of the
// lines begun in a frame only those that a later return could leave standing are kept: a line
// begun at SP s outlives, for any return, every earlier one begun at s or deeper.
TravelResult StepBackLine(TimePoint now) {
    static std::vector<LineBegun> lines;  // kept between calls: one step back allocates once
    const uint32_t nowSp = z80::GetRegister(z80::RegSP);
    uint32_t raisedLater = 0;  // the highest SP a return raised it to in the frames after
    for (uint64_t frame = now.frame;; --frame) {
        const uint32_t limit = frame == now.frame ? now.instruction : WholeFrame;
        if (!Restore(frame)) {
            TimeTravelClear();
            return TravelNoHistory;
        }
        lines.clear();
        uint32_t raised = 0;
        for (uint32_t index = 0; index < limit; ++index) {
            const uint16_t pc = static_cast<uint16_t>(z80::GetRegister(z80::RegPC));
            const uint32_t sp = z80::GetRegister(z80::RegSP);
            if (sp >= nowSp && SteppingAtLineStart(pc)) {
                while (!lines.empty() && lines.back().sp <= sp) lines.pop_back();
                lines.push_back({index, sp});
            }
            const bool ended = DebuggerReplayStep(nullptr);
            const uint32_t after = z80::GetRegister(z80::RegSP);
            if (after > sp && SteppingIsReturn(pc)) {
                raised = std::max(raised, after);
                while (!lines.empty() && lines.back().sp < after) lines.pop_back();
            }
            if (ended) break;
        }
        while (!lines.empty() && lines.back().sp < raisedLater) lines.pop_back();
        if (!lines.empty()) return GoTo({frame, lines.back().index});
        raisedLater = std::max(raisedLater, raised);
        if (frame == Oldest()) break;
    }
    GoTo({Oldest(), 0});
    return TravelOldest;
}

}  // namespace

bool TimeTravelStart(size_t budgetBytes) {
    TimeTravelStop();
    const uint32_t size = MachineStateSize();
    const size_t capacity = budgetBytes / size;
    if (capacity < 2) return false;
    ring.bytes = new (std::nothrow) uint8_t[capacity * size];
    if (ring.bytes == nullptr) return false;
    ring.stateSize = size;
    ring.capacity = static_cast<uint32_t>(std::min<size_t>(capacity, WholeFrame));
    ring.count = 0;
    DebuggerSetFrameStartHook(Keep);
    return true;
}

void TimeTravelStop() {
    DebuggerSetFrameStartHook(nullptr);
    delete[] ring.bytes;
    ring = {};
}

bool TimeTravelActive() {
    return ring.bytes != nullptr;
}

void TimeTravelClear() {
    ring.count = 0;
}

uint32_t TimeTravelFramesKept() {
    return ring.count;
}

TimePoint TimeTravelNow() {
    return {DebuggerPosition().frame, DebuggerInstructionInFrame()};
}

TimePoint TimeTravelOldest() {
    return {Oldest(), 0};
}

TravelResult TimeTravelTo(TimePoint point) {
    if (!Kept(point.frame)) return TravelNoHistory;
    return GoTo(point);
}

TravelResult TimeTravelStepBack(StepUnit unit) {
    const TimePoint now = TimeTravelNow();
    if (!Kept(now.frame)) return TravelNoHistory;
    if (!SteppingHasLines()) unit = StepByInstruction;
    if (unit == StepByInstruction) {
        if (now.instruction > 0) return GoTo({now.frame, now.instruction - 1});
        if (!Kept(now.frame - 1) || now.frame == 0) return TravelNoHistory;
        if (!Restore(now.frame - 1)) return TravelNoHistory;
        const uint32_t length = RunOn(WholeFrame);
        return GoTo({now.frame - 1, length - 1});
    }
    return StepBackLine(now);
}

TravelResult TimeTravelReverseContinue(TravelHitFilter accept) {
    return SearchBack([accept](TimePoint& at, bool watched, bool ended) {
        const uint16_t pc = static_cast<uint16_t>(z80::GetRegister(z80::RegPC));
        if (!watched) return DebuggerHasBreakpoint(pc) && (accept == nullptr || accept(pc, false));
        // A watchpoint stops after its instruction: the next frame's start, when it was the last.
        at = ended ? TimePoint{at.frame + 1, 0} : TimePoint{at.frame, at.instruction + 1};
        const uint16_t by = DebuggerLastWatchHit().pc;
        return accept == nullptr || accept(by, true);
    });
}

}  // namespace plexaro
