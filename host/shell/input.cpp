// The joypad mapping: which key or controller reading presses which control, in which order,
// and whether the reset key is held.
#include "host/shell/input.h"

#include <cstring>

#include "machine/machine.h"

namespace plexaro {
namespace {

struct KeyBinding {
    uint32_t key;
    uint32_t button;
};

// The order in which keys press their controls.
constexpr KeyBinding KeyMap[] = {
    {KeyLeftControl, JoypadButton1}, {KeyLeftShift, JoypadButton2}, {KeyUpArrow, JoypadUp},
    {KeyDownArrow, JoypadDown},      {KeyLeftArrow, JoypadLeft},    {KeyRightArrow, JoypadRight},
};

struct InputState {
    bool open;
    bool keyboardOpen;
    bool held[KeyCodeCount];      // kept from the key events as they arrive
    bool snapshot[KeyCodeCount];  // what the last PollInput read
    JoystickReading joystick;
};

InputState input = {};

int Sign(int32_t value) {
    if (value > JoystickDeadZone) return 1;
    if (value < -JoystickDeadZone) return -1;
    return 0;
}

}  // namespace

int InputOpen() {
    input.open = true;
    return 1;
}

int KeyboardOpen() {
    if (!input.open) return 0;
    std::memset(input.held, 0, sizeof input.held);
    std::memset(input.snapshot, 0, sizeof input.snapshot);
    input.keyboardOpen = true;
    return 1;
}

int JoystickOpen() {
    if (!input.open) return 0;
    return JoystickDeviceOpen() ? 1 : 0;
}

void PollInput(int joystickPresent) {
    if (input.keyboardOpen) std::memcpy(input.snapshot, input.held, sizeof input.snapshot);
    ClearJoypad();
    for (const KeyBinding& binding : KeyMap) {
        if (KeyDown(binding.key)) PressJoypad(binding.button);
    }
    if (joystickPresent != 1) return;
    if (!JoystickDeviceRead(input.joystick)) input.joystick = {};
    if (JoystickAxisY() > 0) PressJoypad(JoypadDown);
    if (JoystickAxisY() < 0) PressJoypad(JoypadUp);
    if (JoystickAxisX() > 0) PressJoypad(JoypadRight);
    if (JoystickAxisX() < 0) PressJoypad(JoypadLeft);
    if (JoystickButton(0)) PressJoypad(JoypadButton1);
    if (JoystickButton(1)) PressJoypad(JoypadButton2);
}

bool InputResetHeld() {
    return KeyDown(KeyTab);
}

void KeyboardClose() {
    std::memset(input.held, 0, sizeof input.held);
    std::memset(input.snapshot, 0, sizeof input.snapshot);
    input.keyboardOpen = false;
}

void JoystickClose() {
    JoystickDeviceClose();
    input.joystick = {};
}

void InputClose() {
    input.open = false;
}

void InputKeyEvent(uint32_t code, bool down) {
    if (code < KeyCodeCount) input.held[code] = down;
}

void InputReleaseKeys() {
    std::memset(input.held, 0, sizeof input.held);
}

bool KeyDown(uint32_t code) {
    return code < KeyCodeCount && input.snapshot[code];
}

int JoystickAxisX() {
    return Sign(input.joystick.x);
}

int JoystickAxisY() {
    return Sign(input.joystick.y);
}

bool JoystickButton(uint32_t n) {
    return n < 2 && input.joystick.button[n];
}

}  // namespace plexaro
