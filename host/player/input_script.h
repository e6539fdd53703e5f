// Input scripts: joypad presses by frame number, for the headless player.
//
//     # A comment runs to the end of the line; blank lines are ignored.
//     60-119  right            # hold right during frames 60 to 119 (0-based, inclusive)
//     120     button1          # press button 1 during frame 120 only
//     130-140 up button1       # several controls at once
//     200     pause            # press the console's pause button before frame 200 runs
//     300     reset            # reset the console before frame 300 runs
//     30-90   right p2-left    # player 2's controls beside player 1's
//     400-409 kb-shift kb-a    # the SC-3000's keys: "kb-" and the key's name (sc3000.h)
//     500     text "LIST\n"    # types the text from frame 500 on, one key at a time
//
// Controls (up, down, left, right, button1, button2, and player 2's p2-up, p2-down, p2-left,
// p2-right, p2-button1, p2-button2) and keys (kb-a, kb-1, kb-cr, kb-space, kb-func,
// kb-shift, ...) are held for every frame of their line;
// events (pause, reset) happen once, before the line's first frame. Lines may overlap; each
// pause named for a frame is a press of its own, so two of them press the button twice. A
// UTF-8 byte-order mark before the first line is ignored. `text` takes a single frame and the
// rest of its line, a double-quoted string in which \n is a line break (CR), \" a quote and
// \\ a backslash; it is typed as machine/typing.h paces it, SHIFT pressed for the characters
// that need it, and its line lasts until the last key is up.
// Before each frame the player resets if due, clears both joypads and presses every control
// held, presses pause if due, then runs the frame.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "machine/sc3000.h"

namespace plexaro {

// In `controls`, bit n is player 1's JoypadButton n, bit ScriptPlayer2Shift + n player 2's.
inline constexpr uint32_t ScriptPlayer2Shift = 8;

struct ScriptLine {
    uint64_t first;
    uint64_t last;      // inclusive
    uint32_t controls;  // bit n set: JoypadButton n held (see ScriptPlayer2Shift)
    uint32_t pauses;    // presses of the pause button before the first frame
    bool reset;
    KeySet keys;                // the SC-3000's keys held
    std::vector<KeySet> typed;  // a text's chords, typed from the first frame on
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
    KeySet keys;  // the SC-3000's keys held, a text's included
};

// Parses a whole script. On failure returns false with the 1-based number of the first
// malformed line and what is wrong with it.
bool ParseInputScript(std::string_view text, InputScript& script, uint32_t& errorLine,
                      std::string& error);

// Fastest for frames in rising order; an earlier frame starts the search over.
FrameInput ScriptInputForFrame(InputScript& script, uint64_t frame);

}  // namespace plexaro
