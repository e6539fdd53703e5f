// The joypad mapping: which key or controller reading presses which control, as the
// bindings say, and whether the program's held keys (reset, fast forward) are down.
#include "host/shell/input.h"

#include <cstring>

#include "host/shell/keyboard.h"
#include "machine/machine.h"

namespace plexaro {
namespace {

constexpr void (*Press[PlayerCount])(uint32_t) = {PressJoypad, PressJoypad2};
// The console's bit for each of the bindings' controls.
constexpr uint32_t Joypad[PadControlCount] = {JoypadUp,    JoypadDown,    JoypadLeft,
                                              JoypadRight, JoypadButton1, JoypadButton2};

struct InputState {
    bool open;
    bool keyboardOpen;
    bool held[KeyCodeCount];      // kept from the key events as they arrive
    bool snapshot[KeyCodeCount];  // what the last PollInput read
    JoystickReading joystick[PlayerCount];
    Bindings bindings = DefaultBindings();
};

InputState input;

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
    // In Keyboard mode the keys are the SC-3000's: only the controllers play.
    for (uint32_t player = 0; player < PlayerCount && !KeyboardModeOn(); ++player) {
        for (uint32_t control = 0; control < PadControlCount; ++control) {
            if (KeyDown(input.bindings.key[player][control])) Press[player](Joypad[control]);
        }
    }
    if (joystickPresent != 1) return;
    for (uint32_t player = 0; player < PlayerCount; ++player) {
        if (!JoystickDeviceRead(player, input.joystick[player])) input.joystick[player] = {};
        const auto press = Press[player];
        if (JoystickAxisY(player) > 0) press(JoypadDown);
        if (JoystickAxisY(player) < 0) press(JoypadUp);
        if (JoystickAxisX(player) > 0) press(JoypadRight);
        if (JoystickAxisX(player) < 0) press(JoypadLeft);
        for (uint32_t control = 0; control < PadControlCount; ++control) {
            if (JoystickButton(player, input.bindings.button[player][control])) {
                press(Joypad[control]);
            }
        }
    }
}

bool InputResetHeld() {
    return KeyDown(input.bindings.programKey[KeyReset]);
}

// Read as it is now rather than from the snapshot: rewinding passes take no snapshot.
bool InputFastForwardHeld() {
    const uint32_t key = input.bindings.programKey[KeyFastForward];
    return input.keyboardOpen && key < KeyCodeCount && input.held[key];
}

// A key that changes its control mid-press would otherwise stay held on the new one.
void InputSetBindings(const Bindings& bindings) {
    input.bindings = bindings;
    InputReleaseKeys();
}

const Bindings& InputBindings() {
    return input.bindings;
}

bool InputKeyBound(uint32_t code) {
    if (code >= KeyCodeCount) return false;
    for (const auto& player : input.bindings.key) {
        for (uint32_t key : player) {
            if (key == code) return true;
        }
    }
    for (uint32_t key : input.bindings.programKey) {
        if (key == code) return true;
    }
    return false;
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
    return player < PlayerCount && n < JoystickButtonCount && input.joystick[player].button[n];
}

}  // namespace plexaro
