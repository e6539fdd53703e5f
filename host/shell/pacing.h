// Who sets the frame rate of the desktop program, and how evenly the frames came.
//
// A display whose vsync runs at 60 Hz within 1 % paces the frames best: every frame is shown
// exactly once, and the sound's rate control takes up the difference from the card's clock.
// Anywhere else (no vsync, 75, 120 or 144 Hz) the sound card paces them through the audio
// ring's wait, and without a card a 60 Hz timer does. The choice is made from the intervals
// of presents made back to back, which vsync holds apart.
//
//     PacingStart(PacingChoose(intervals, count, AudioPlaying()), measured refresh);
//     after each pass that showed one new frame at play speed: PacingFrameShown(now);
//     after any other pass: PacingGap();
#pragma once

#include <cstddef>
#include <cstdint>

namespace plexaro {

enum PacingMode : uint32_t { PaceByTimer, PaceByCard, PaceByDisplay };

// The refresh rate from the intervals between presents (nanoseconds), by their median; 0
// when there are none.
double PacingMeasuredHz(const uint64_t* intervals, uint32_t count);
PacingMode PacingChoose(const uint64_t* intervals, uint32_t count, bool cardPlaying);

// Sets the mode (and tells the audio stream who paces). refreshHz is the display's, used to
// judge its frames; 0 where unknown.
void PacingStart(PacingMode mode, double refreshHz);
PacingMode Pacing();
const char* PacingName(PacingMode mode);  // "timer", "card", "display"

// A pass showed one new frame at `now`. Counts frames shown twice (the picture stood for
// more than one and a half frame times) and skipped (less than half of one), and gives the
// pace to the card (or the timer) when a display that paced stops holding it: when the ring
// ran dry or full, or a picture was skipped, in several of the last sixty frames.
void PacingFrameShown(uint64_t nowNanoseconds);
// A pass that ran no frame, or many: the next interval is not judged.
void PacingGap();

struct PacingFigures {
    uint64_t judged;      // intervals judged
    uint64_t shownTwice;  // pictures that stood for two frame times or more
    uint64_t skipped;     // pictures replaced before they could be seen
    uint32_t fallbacks;   // times the display lost the pace to the card
};
const PacingFigures& PacingStatistics();
void PacingClearStatistics();

// The --stats words for sound and pacing, from the audio stream's figures and these.
void PacingStatsText(char* text, size_t size);

}  // namespace plexaro
