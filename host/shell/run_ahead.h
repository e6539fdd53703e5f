// Run-ahead: the picture of a frame or two from now, shown in place of this frame's, so
// that a key pressed shows on the screen one or two frames sooner. After each frame of play,
// the machine is kept (an in-memory snapshot), runs the chosen number of frames on with the
// joypads as they are now, and is put back; the frame buffer keeps the last picture, which is
// what the window shows. The sound, the debugger, the checks, the profiler and rewind only
// ever see the frames of play: the frames run ahead go through plain RunFrame and leave no
// trace. Nothing is allocated: the snapshot is static storage.
//
//     RunAheadSetFrames(1);                 // Machine > Run-ahead, --run-ahead, the settings
//     each pass: PollInput(); if (PlayFrame()) RunAheadAfterFrame(); Present();
#pragma once

#include <cstdint>

namespace plexaro {

inline constexpr uint32_t MostRunAheadFrames = 2;

void RunAheadSetFrames(uint32_t frames);  // 0 (off) to MostRunAheadFrames; more is the most
uint32_t RunAheadFrames();
// After a frame of play has ended (its sound taken, rewind told): the frames ahead, their
// last picture left in the frame buffer, the machine put back. False when it ran none: off,
// no console, or the debugger stopped, watching memory or ports, or its checks on (which
// watch every access, and would warn of frames that never happen).
bool RunAheadAfterFrame();
// Machine > Run-ahead's items: CommandRunAheadOff + frames. Other ids change nothing.
void RunAheadCommand(uint32_t id);

}  // namespace plexaro
