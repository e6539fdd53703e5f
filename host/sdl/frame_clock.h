// The desktop loop's clock on SDL: what paces the frames (found by timing presents), the wait
// after a frame pass where the loop itself keeps time, and the --stats figures of the run.
#pragma once

#include <SDL.h>

namespace plexaro {

// When the program starts: what the time to the first frame counts from.
void FrameClockStart();
// Presents ten black pictures back to back to see whether vsync holds them at 60 Hz, and
// chooses what paces the frames. Once the window and the sound are open, and again when the
// window goes to another display or in or out of full screen.
void FrameClockChoosePacing(SDL_Renderer* renderer);
// After a frame pass (paced: the audio stream's wait paced it): counts the frame, and waits
// for the next frame's time where keeping it is the loop's own job.
void FrameClockAfterPass(bool paced);
// --stats: the line printed when the window closes.
void FrameClockPrintStats(SDL_Renderer* renderer, const char* sound);

}  // namespace plexaro
