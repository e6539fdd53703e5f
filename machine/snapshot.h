// A snapshot of the running console in memory, for running frames ahead and coming back: the
// Z80, the RAM, the video and sound chips, the joypad bytes, the SC-3000's PPI and keys, the
// board and the sound frames in progress (their samples included), copied as they lie, with no
// checksum, format or checks. It lives only as long as the process and the cartridge that made it;
// a save state (state.h) is what outlives them.
//
// One snapshot at a time, held in static storage: taking one allocates nothing. Take it
// between frames, with the debugger's checks off (a restore starts their RAM watch afresh).
//
//     TakeMachineSnapshot();
//     RunFrame(); RunFrame();            // the frame buffer now shows two frames on
//     RestoreMachineSnapshot();          // the console as it was, its frame buffer aside
//
// The frame buffer is not part of it: after a restore it keeps the last picture drawn.
#pragma once

namespace plexaro {

void TakeMachineSnapshot();
// False, changing nothing, when none was taken, or the console memory it was taken of has
// been replaced since (InitMachine: a cartridge load).
bool RestoreMachineSnapshot();

}  // namespace plexaro
