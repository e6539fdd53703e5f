// Input on SDL: SDL's keyboard scancodes turned into our key codes, and the first two attached
// game controllers, one a player, each read as a joystick (D-pad or left stick) and its
// buttons.
#include <SDL.h>

#include <algorithm>

#include "host/sdl/sdl_host.h"
#include "host/shell/input.h"

namespace plexaro {
namespace {

SDL_GameController* controllers[PlayerCount] = {};

int32_t ScaleAxis(Sint16 value) {
    return std::clamp(value * JoystickAxisRange / 32767, -JoystickAxisRange, JoystickAxisRange);
}

// Whether the controller at this device index is already a player's.
bool Taken(int index) {
    const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(index);
    for (SDL_GameController* controller : controllers) {
        if (controller != nullptr &&
            SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(controller)) == id) {
            return true;
        }
    }
    return false;
}

}  // namespace

uint32_t KeyCodeOfScancode(SDL_Scancode scancode) {
    // Set 1 by row: the digits from 1, the letter rows from Q, A and Z.
    if (scancode >= SDL_SCANCODE_1 && scancode <= SDL_SCANCODE_0) {
        return 2 + static_cast<uint32_t>(scancode - SDL_SCANCODE_1);
    }
    if (scancode >= SDL_SCANCODE_F1 && scancode <= SDL_SCANCODE_F10) {
        return 59 + static_cast<uint32_t>(scancode - SDL_SCANCODE_F1);
    }
    if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z) {
        static constexpr uint8_t Letters[26] = {30, 48, 46, 32, 18, 33, 34, 35, 23, 36, 37, 38, 50,
                                                49, 24, 25, 16, 19, 31, 20, 22, 47, 17, 45, 21, 44};
        return Letters[scancode - SDL_SCANCODE_A];
    }
    switch (scancode) {
        case SDL_SCANCODE_MINUS: return 12;
        case SDL_SCANCODE_EQUALS: return 13;
        case SDL_SCANCODE_BACKSPACE: return 14;
        case SDL_SCANCODE_TAB: return KeyTab;
        case SDL_SCANCODE_LEFTBRACKET: return 26;
        case SDL_SCANCODE_RIGHTBRACKET: return 27;
        case SDL_SCANCODE_RETURN: return 28;
        case SDL_SCANCODE_LCTRL: return KeyLeftControl;
        case SDL_SCANCODE_SEMICOLON: return 39;
        case SDL_SCANCODE_APOSTROPHE: return 40;
        case SDL_SCANCODE_GRAVE: return 41;
        case SDL_SCANCODE_LSHIFT: return KeyLeftShift;
        case SDL_SCANCODE_BACKSLASH: return 43;
        case SDL_SCANCODE_COMMA: return 51;
        case SDL_SCANCODE_PERIOD: return 52;
        case SDL_SCANCODE_SLASH: return 53;
        case SDL_SCANCODE_RSHIFT: return 54;
        case SDL_SCANCODE_KP_MULTIPLY: return 55;
        case SDL_SCANCODE_LALT: return 56;
        case SDL_SCANCODE_SPACE: return KeySpace;
        case SDL_SCANCODE_CAPSLOCK: return 58;
        case SDL_SCANCODE_NUMLOCKCLEAR: return 69;
        case SDL_SCANCODE_SCROLLLOCK: return 70;
        case SDL_SCANCODE_KP_7: return 71;
        case SDL_SCANCODE_KP_8: return 72;
        case SDL_SCANCODE_KP_9: return 73;
        case SDL_SCANCODE_KP_MINUS: return 74;
        case SDL_SCANCODE_KP_4: return 75;
        case SDL_SCANCODE_KP_5: return 76;
        case SDL_SCANCODE_KP_6: return 77;
        case SDL_SCANCODE_KP_PLUS: return 78;
        case SDL_SCANCODE_KP_1: return 79;
        case SDL_SCANCODE_KP_2: return 80;
        case SDL_SCANCODE_KP_3: return 81;
        case SDL_SCANCODE_KP_0: return 82;
        case SDL_SCANCODE_KP_PERIOD: return 83;
        case SDL_SCANCODE_F11: return 87;
        case SDL_SCANCODE_F12: return 88;
        case SDL_SCANCODE_KP_ENTER: return 0x9C;
        case SDL_SCANCODE_RCTRL: return 0x9D;
        case SDL_SCANCODE_KP_DIVIDE: return 0xB5;
        case SDL_SCANCODE_RALT: return 0xB8;
        case SDL_SCANCODE_PAUSE: return 0xC5;
        case SDL_SCANCODE_HOME: return 0xC7;
        case SDL_SCANCODE_UP: return KeyUpArrow;
        case SDL_SCANCODE_PAGEUP: return 0xC9;
        case SDL_SCANCODE_LEFT: return KeyLeftArrow;
        case SDL_SCANCODE_RIGHT: return KeyRightArrow;
        case SDL_SCANCODE_END: return 0xCF;
        case SDL_SCANCODE_DOWN: return KeyDownArrow;
        case SDL_SCANCODE_PAGEDOWN: return 0xD1;
        case SDL_SCANCODE_INSERT: return 0xD2;
        case SDL_SCANCODE_DELETE: return 0xD3;
        case SDL_SCANCODE_LGUI: return 0xDB;
        case SDL_SCANCODE_RGUI: return 0xDC;
        case SDL_SCANCODE_APPLICATION: return 0xDD;
        default: return KeyCodeCount;  // Escape among them: it cancels, it never plays
    }
}

uint32_t KeyCodeFromScancode(SDL_Scancode scancode) {
    const uint32_t code = KeyCodeOfScancode(scancode);
    return InputKeyBound(code) ? code : KeyCodeCount;
}

bool JoystickDeviceOpen(uint32_t player) {
    if (player >= PlayerCount) return false;
    SDL_GameController*& controller = controllers[player];
    if (controller != nullptr && SDL_GameControllerGetAttached(controller)) return true;
    if (controller != nullptr) SDL_GameControllerClose(controller);
    controller = nullptr;
    if (SDL_WasInit(SDL_INIT_GAMECONTROLLER) == 0) return false;
    for (int index = 0; index < SDL_NumJoysticks(); ++index) {
        if (!SDL_IsGameController(index) || Taken(index)) continue;
        controller = SDL_GameControllerOpen(index);
        if (controller != nullptr) return true;
    }
    return false;
}

bool JoystickDeviceRead(uint32_t player, JoystickReading& reading) {
    if (player >= PlayerCount || controllers[player] == nullptr) return false;
    SDL_GameController* controller = controllers[player];
    const auto pressed = [controller](SDL_GameControllerButton button) {
        return SDL_GameControllerGetButton(controller, button) != 0;
    };
    reading.x = ScaleAxis(SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_LEFTX));
    reading.y = ScaleAxis(SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_LEFTY));
    if (pressed(SDL_CONTROLLER_BUTTON_DPAD_LEFT)) reading.x = -JoystickAxisRange;
    if (pressed(SDL_CONTROLLER_BUTTON_DPAD_RIGHT)) reading.x = JoystickAxisRange;
    if (pressed(SDL_CONTROLLER_BUTTON_DPAD_UP)) reading.y = -JoystickAxisRange;
    if (pressed(SDL_CONTROLLER_BUTTON_DPAD_DOWN)) reading.y = JoystickAxisRange;
    // The bindings number buttons as SDL does, up to its first sixteen.
    static_assert(SDL_CONTROLLER_BUTTON_DPAD_RIGHT < JoystickButtonCount);
    for (uint32_t button = 0; button < JoystickButtonCount; ++button) {
        reading.button[button] = pressed(static_cast<SDL_GameControllerButton>(button));
    }
    return true;
}

void JoystickDeviceClose() {
    for (SDL_GameController*& controller : controllers) {
        if (controller != nullptr) SDL_GameControllerClose(controller);
        controller = nullptr;
    }
}

}  // namespace plexaro
