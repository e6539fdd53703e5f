// Input: the keyboard and the first game controller, mapped onto the console's joypad port A,
// and the keyboard's reset key, which input only reports: resetting is the shell's.
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

namespace plexaro {

enum KeyCode : uint32_t {
    KeyTab = 15,          // console reset
    KeyLeftControl = 29,  // button 1
    KeyLeftShift = 42,    // button 2
    KeyUpArrow = 200,
    KeyLeftArrow = 203,
    KeyRightArrow = 205,
    KeyDownArrow = 208,
};
inline constexpr uint32_t KeyCodeCount = 256;

// Controller axes are scaled to this range. Sticks never rest at exactly 0, so a reading
// counts as a direction only beyond a quarter of the range.
inline constexpr int32_t JoystickAxisRange = 1024;
inline constexpr int32_t JoystickDeadZone = JoystickAxisRange / 4;

struct JoystickReading {
    int32_t x;  // -1024 (left) .. 1024 (right)
    int32_t y;  // -1024 (up) .. 1024 (down)
    bool button[2];
};

int InputOpen();     // 1 on success
int KeyboardOpen();  // 1 on success
int JoystickOpen();  // 1 when a controller is open; call again when controllers come and go
void PollInput(int joystickPresent);
bool InputResetHeld();  // Tab was down at the last PollInput
void KeyboardClose();
void JoystickClose();
void InputClose();

void InputKeyEvent(uint32_t code, bool down);  // codes of KeyCodeCount and above are ignored
void InputReleaseKeys();                       // the window lost the keyboard
bool KeyDown(uint32_t code);                   // in the snapshot of the last PollInput
int JoystickAxisX();                           // +1, 0 or -1, dead zone applied
int JoystickAxisY();
bool JoystickButton(uint32_t n);

// The platform layer's controller.
bool JoystickDeviceOpen();  // keeps or opens the first attached controller; false: none
bool JoystickDeviceRead(JoystickReading& reading);  // false: no controller open
void JoystickDeviceClose();

}  // namespace plexaro
