// Fakes of the desktop program's platform layers (window, presentation, sound device,
// controller), so that the shell, the audio slot ring and the joypad mapping run without a
// display. Each records what it was asked to do.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/shell/audio.h"
#include "host/shell/display.h"
#include "host/shell/input.h"

namespace plexaro::fake {

struct Window {
    std::vector<std::string> messages;               // "caption|text", boxes and questions alike
    bool answer;                                     // what the next questions are answered
    std::vector<uint32_t> posted;                    // commands posted, oldest first
    std::vector<std::string> notices;                // lines shown over the picture
    int32_t width, height;                           // the last picture-area size asked for
    int32_t screenWidth = 1280, screenHeight = 800;  // full screen's
    bool cursorShown = true;
    std::string title = "Plexaro";
    int dialogsOpened, framesFinished;
    std::string clipboard;  // what WindowClipboardText gives
};

struct Display {
    int setModeResult;  // what DisplaySetMode returns
    std::vector<int> modes;
    uint32_t rowStride = 256, rgbMode = 1;
    uint32_t filter = 99;             // none chosen yet
    int windowed, fullScreen, blank;  // presents in each mode of DisplaySetMode, and blanks
    Rect lastDest;
};

struct SoundCard {
    bool present;
    uint8_t buffer[AudioBufferBytes];
    uint32_t cursor;
    uint64_t laps;      // times the cursor went round the buffer
    uint32_t step;      // how far each wait moves the cursor on (0: it is stuck)
    uint32_t failCode;  // returned by the next cursor query, then cleared
    int waits, writes;
    uint32_t lastWriteOffset;   // where the last sound (not silence) was written
    uint32_t deviceSamples;     // the chunk it was opened with
    uint32_t insistsOnSamples;  // a chunk it takes whatever it is asked for (0: none)
    // A card with a clock (rate > 0): it takes a chunk at the start of each chunk's time, at
    // `rate` samples a second of `now`, and a wait moves `now` on. A chunk that holds a zero
    // sample where sound was written before is counted as heard dry.
    double rate;
    uint64_t now;  // nanoseconds
    uint64_t chunksTaken;
    uint64_t dryChunks;
    uint64_t wetChunks;  // chunks with sound throughout
    uint64_t oversleep;  // added to the next wait of the clocked card, then cleared
};

struct Controller {
    bool attached;
    JoystickReading reading;
};

extern Window window;
extern Display display;
extern SoundCard card;
extern Controller controller;   // player 1's
extern Controller controller2;  // player 2's

void Reset();  // every fake back to its first state
// Moves the clocked card's time on, taking the chunks that fall due.
void AdvanceCard(uint64_t nanoseconds);

}  // namespace plexaro::fake
