// Input: the keyboard and the first two game controllers, mapped onto the console's two
// joypads, and the keyboard's reset and fast-forward keys, which input only reports: what
// they do is the shell's.
// Which key or controller button works which control is the bindings' (bindings.h): by
// default player 1 plays on the arrows, Left Ctrl and Left Shift and the first controller,
// player 2 on I J K L, F and G and the second controller. A controller's stick and D-pad
// always steer; its buttons work whatever controls they are bound to.
//
// Keys are named by PC set-1 scan codes (extended keys plus 0x80), whatever the platform
// calls them: the platform layer translates its own key events into these codes. The
// keyboard state is kept from those events, and PollInput takes a snapshot of it once per
// pass; the reset key is read from the snapshot of the pass before, so the first pass after
// Tab is released still resets.
//
//     InputOpen(); KeyboardOpen(); joystickPresent = JoystickOpen();
//     on each key event: InputKeyEvent(code, down);
//     each pass: if (InputResetHeld()) reset;   // before PollInput, whose joypad bytes
//                PollInput(joystickPresent);    // a reset would clear; then RunFrame
//
// The mapping lives in input.cpp; the controller is the platform layer's, declared at the end.
// That seam is at link time: the program links host/sdl/input_devices.cpp, the tests a fake.
#pragma once

#include <cstdint>

#include "host/shell/bindings.h"

namespace plexaro {

enum KeyCode : uint32_t {
    KeyTab = 15,          // console reset
    KeyI = 23,            // player 2's up
    KeyLeftControl = 29,  // button 1
    KeyF = 33,            // player 2's button 1
    KeyG = 34,            // player 2's button 2
    KeyJ = 36,            // player 2's left
    KeyK = 37,            // player 2's down
    KeyL = 38,            // player 2's right
    KeyLeftShift = 42,    // button 2
    KeySpace = 57,        // fast forward while held
    KeyUpArrow = 200,
    KeyLeftArrow = 203,
    KeyRightArrow = 205,
    KeyDownArrow = 208,
};
inline constexpr uint32_t PlayerCount = 2;  // players are numbered 0 and 1 below
inline constexpr uint32_t KeyCodeCount = 256;

// Controller axes are scaled to this range. Sticks never rest at exactly 0, so a reading
// counts as a direction only beyond a quarter of the range.
inline constexpr int32_t JoystickAxisRange = 1024;
inline constexpr int32_t JoystickDeadZone = JoystickAxisRange / 4;

struct JoystickReading {
    int32_t x;                         // -1024 (left) .. 1024 (right)
    int32_t y;                         // -1024 (up) .. 1024 (down)
    bool button[JoystickButtonCount];  // numbered as bindings.h names them
};

int InputOpen();     // 1 on success
int KeyboardOpen();  // 1 on success
// 1 when a controller is open for either player; call again when controllers come and go.
int JoystickOpen();
void PollInput(int joystickPresent);  // 1: the controllers are read too
bool InputResetHeld();                // the reset key was down at the last PollInput
bool InputFastForwardHeld();          // the fast-forward key is down now
// The bindings in force; DefaultBindings() until set. Setting them lets go of every key.
void InputSetBindings(const Bindings& bindings);
const Bindings& InputBindings();
bool InputKeyBound(uint32_t code);  // some control or program key is on it
void KeyboardClose();
void JoystickClose();
void InputClose();

void InputKeyEvent(uint32_t code, bool down);  // codes of KeyCodeCount and above are ignored
void InputReleaseKeys();                       // the window lost the keyboard
bool KeyDown(uint32_t code);                   // in the snapshot of the last PollInput
int JoystickAxisX(uint32_t player);            // +1, 0 or -1, dead zone applied
int JoystickAxisY(uint32_t player);
bool JoystickButton(uint32_t player, uint32_t n);

// The platform layer's controllers, one a player. Each player keeps the controller it has
// while it stays attached; a player without one takes the first attached controller that the
// other player does not have. Player 0 is opened first, so a lone controller is player 1's.
bool JoystickDeviceOpen(uint32_t player);  // false: no controller for that player
bool JoystickDeviceRead(uint32_t player, JoystickReading& reading);  // false: none open
void JoystickDeviceClose();                                          // both players'

}  // namespace plexaro
