// The SC-3000's keyboard on the desktop: Keyboard mode (the PC keyboard becomes the SC-3000's,
// key by key by position), text pasted and typed through the machine's typing scheduler, and
// the keys clicked on the on-screen keyboard. Platform-neutral: the window hands it PC key
// codes (input.h's set-1 scan codes) and the clipboard's text.
//
// While Keyboard mode is on, every PC key with an SC-3000 key behind it (ScKeyOfCode) goes to
// the machine and nowhere else: the joypads' keys and the program keys on those keys stop
// working (controllers still play); Escape, the F-keys, Alt+Enter and the mode's own key keep
// their jobs. The mode comes on by itself, once a program, when the SC-3000 runs it.
//
//     on each key event: if (KeyboardModeTakes(code)) KeyboardModeKeyEvent(code, down);
//     each pass before the frame: KeyboardFrame(path);   // HoldKeys with everything held
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "machine/sc3000.h"

namespace plexaro {

inline constexpr uint32_t KeyboardModeKeyDefault = 70;  // Scroll Lock

// The SC-3000 key on a PC key code, KbCount for none. The PC's own keys for the ones it
// lacks: Tab FUNC, either Ctrl CTRL, Left Alt GRAPH, Right Alt ENG DIER'S (the kana key),
// End BREAK, Home HOME/CLR, Backspace, Insert and Delete INS/DEL, Page Down the pi key, Page
// Up RESET (as the libretro core has them).
uint32_t ScKeyOfCode(uint32_t code);
// Where a PC key goes for each SC-3000 key, for the README and the Controls dialog.
const char* PcKeyFor(uint32_t key);

bool KeyboardModeOn();
void SetKeyboardMode(bool on);          // lets go of every key either way
bool KeyboardModeTakes(uint32_t code);  // on, and the code has an SC-3000 key
void KeyboardModeKeyEvent(uint32_t code, bool down);

void ScreenKeyboardHold(KeySet keys);  // the on-screen keyboard's keys under the mouse now
// Starts typing `text` from the next frame, after whatever is still being typed is dropped;
// returns how many characters have no key (and are passed over).
size_t KeyboardPaste(std::string_view text);
bool KeyboardTyping();  // a paste is still being typed

// Each pass, before its frame: holds the keys of all three in the machine, and turns the mode
// on the first time the SC-3000 runs `program` (the running cartridge's path). True when it
// did that just now.
bool KeyboardFrame(const std::string& program);

}  // namespace plexaro
