// Input scripts: joypad presses by frame number, for the headless player.
//
//     # A comment runs to the end of the line; blank lines are ignored.
//     60-119  right            # hold right during frames 60 to 119 (0-based, inclusive)
//     120     button1          # press button 1 during frame 120 only
//     130-140 up button1       # several controls at once
//     200     pause            # press the console's pause button before frame 200 runs
//     300     reset            # reset the console before frame 300 runs
//     30-90   right p2-left    # player 2's controls beside player 1's
//
// Controls (up, down, left, right, button1, button2, and player 2's p2-up, p2-down, p2-left,
// p2-right, p2-button1, p2-button2) are held for every frame of their line;
// events (pause, reset) happen once, before the line's first frame. Lines may overlap; each
// pause named for a frame is a press of its own, so two of them press the button twice. A
// UTF-8 byte-order mark before the first line is ignored.
// Before each frame the player resets if due, clears both joypads and presses every control
// held, presses pause if due, then runs the frame.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace plexaro {

// In `controls`, bit n is player 1's JoypadButton n, bit ScriptPlayer2Shift + n player 2's.
inline constexpr uint32_t ScriptPlayer2Shift = 8;

struct ScriptLine {
    uint64_t first;
    uint64_t last;      // inclusive
    uint32_t controls;  // bit n set: JoypadButton n held (see ScriptPlayer2Shift)
    uint32_t pauses;    // presses of the pause button before the first frame
    bool reset;
};

struct InputScript {
    std::vector<ScriptLine> lines;  // in order of their first frames
    // Where the last lookup left off. Frames are looked up in rising order, so each lookup
    // only meets the lines that start at or before it and have not ended yet: an hour-long
    // recording of one line per frame costs no more per frame than a short script.
    size_t nextLine;
    std::vector<uint32_t> active;  // started lines not known to have ended; never reallocated
    uint64_t lastFrame;
};

// What the script asks for before one frame runs.
struct FrameInput {
    uint32_t controls;  // bit n set: JoypadButton n held (see ScriptPlayer2Shift)
    uint32_t pauses;
    bool reset;
};

// Parses a whole script. On failure returns false with the 1-based number of the first
// malformed line and what is wrong with it.
bool ParseInputScript(std::string_view text, InputScript& script, uint32_t& errorLine,
                      std::string& error);

// Fastest for frames in rising order; an earlier frame starts the search over.
FrameInput ScriptInputForFrame(InputScript& script, uint64_t frame);

}  // namespace plexaro
