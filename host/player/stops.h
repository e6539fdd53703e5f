// The headless player's breakpoints and watchpoints: armed from the command line (--break,
// --watch), and their hits reported on stdout as the run meets them.
//
//     if (!ArmStops(options)) return ExitUsage;
//     StartStops(firstFrame, !options.watches.empty());
//     each time DebuggerRunFrame returns: ReportWideWatches();
//         DebugBreakpoint: if (BreakStops(frame)) { PrintBreak(frame, false); stop; }
//     EndStops();
#pragma once

#include <cstdint>

#include "host/player/player.h"

namespace plexaro {

bool ArmStops(const PlayerOptions& options);  // false after saying what is wrong
void StartStops(uint64_t firstFrame, bool printWatches);
void ReportWideWatches();  // the 16-bit watches' hits of the instruction that just ran
// At a breakpoint's address: whether a --break there stops the run (those that only report
// have printed their hit).
bool BreakStops(uint64_t frame);
bool AnyBreakStops();  // some --break stops rather than continues
// "break at ..." (or "passed at ..." when continuing), the registers and, when stopping, the
// last instructions.
void PrintBreak(uint64_t frame, bool continuing);
void EndStops();

}  // namespace plexaro
