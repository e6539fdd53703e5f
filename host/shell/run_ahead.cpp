// Run-ahead's frames: the machine kept, run on, its picture left, the machine put back.
#include "host/shell/run_ahead.h"

#include <algorithm>

#include "host/shell/shell.h"
#include "machine/checks.h"
#include "machine/debugger.h"
#include "machine/machine.h"
#include "machine/snapshot.h"

namespace plexaro {
namespace {

uint32_t framesAhead = 0;

// The frames ahead run plain, so they must not run where the machine is watched access by
// access (those watches would see frames that never happen) or stands inside a frame.
bool MayRunAhead() {
    if (ConsoleMemory() == nullptr || DebuggerStopped()) return false;
    if (DebuggerWatchpointCount() != 0 || ChecksEnabled()) return false;
    const DebugPosition position = DebuggerPosition();
    return position.line == 0 && position.cycle == 0;
}

}  // namespace

void RunAheadSetFrames(uint32_t frames) {
    framesAhead = std::min(frames, MostRunAheadFrames);
}

uint32_t RunAheadFrames() {
    return framesAhead;
}

bool RunAheadAfterFrame() {
    if (framesAhead == 0 || !MayRunAhead()) return false;
    TakeMachineSnapshot();
    for (uint32_t frame = 0; frame < framesAhead; ++frame) RunFrame();
    return RestoreMachineSnapshot();
}

void RunAheadCommand(uint32_t id) {
    if (id >= CommandRunAheadOff && id <= CommandRunAheadOff + MostRunAheadFrames) {
        RunAheadSetFrames(id - CommandRunAheadOff);
    }
}

}  // namespace plexaro
