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
constexpr KeyBinding Player2KeyMap[] = {
    {KeyF, JoypadButton1}, {KeyG, JoypadButton2}, {KeyI, JoypadUp},
    {KeyK, JoypadDown},    {KeyJ, JoypadLeft},    {KeyL, JoypadRight},
};
// The keys that work the program rather than the console.
constexpr uint32_t FastForwardKey = KeySpace;
constexpr void (*Press[PlayerCount])(uint32_t) = {PressJoypad, PressJoypad2};

struct InputState {
    bool open;
    bool keyboardOpen;
    bool held[KeyCodeCount];      // kept from the key events as they arrive
    bool snapshot[KeyCodeCount];  // what the last PollInput read
    JoystickReading joystick[PlayerCount];
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
    const bool first = JoystickDeviceOpen(0);
    const bool second = JoystickDeviceOpen(1);
    return first || second ? 1 : 0;
}

void PollInput(int joystickPresent) {
    if (input.keyboardOpen) std::memcpy(input.snapshot, input.held, sizeof input.snapshot);
    ClearJoypad();
    for (const KeyBinding& binding : KeyMap) {
        if (KeyDown(binding.key)) PressJoypad(binding.button);
    }
    for (const KeyBinding& binding : Player2KeyMap) {
        if (KeyDown(binding.key)) PressJoypad2(binding.button);
    }
    if (joystickPresent != 1) return;
    for (uint32_t player = 0; player < PlayerCount; ++player) {
        if (!JoystickDeviceRead(player, input.joystick[player])) input.joystick[player] = {};
        const auto press = Press[player];
        if (JoystickAxisY(player) > 0) press(JoypadDown);
        if (JoystickAxisY(player) < 0) press(JoypadUp);
        if (JoystickAxisX(player) > 0) press(JoypadRight);
        if (JoystickAxisX(player) < 0) press(JoypadLeft);
        if (JoystickButton(player, 0)) press(JoypadButton1);
        if (JoystickButton(player, 1)) press(JoypadButton2);
    }
}

bool InputResetHeld() {
    return KeyDown(KeyTab);
}

// Read as it is now rather than from the snapshot: rewinding passes take no snapshot.
bool InputFastForwardHeld() {
    return input.keyboardOpen && input.held[FastForwardKey];
}

void KeyboardClose() {
    std::memset(input.held, 0, sizeof input.held);
    std::memset(input.snapshot, 0, sizeof input.snapshot);
    input.keyboardOpen = false;
}

void JoystickClose() {
    JoystickDeviceClose();
    for (JoystickReading& reading : input.joystick) reading = {};
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

int JoystickAxisX(uint32_t player) {
    return player < PlayerCount ? Sign(input.joystick[player].x) : 0;
}

int JoystickAxisY(uint32_t player) {
    return player < PlayerCount ? Sign(input.joystick[player].y) : 0;
}

bool JoystickButton(uint32_t player, uint32_t n) {
    return player < PlayerCount && n < 2 && input.joystick[player].button[n];
}

}  // namespace plexaro
