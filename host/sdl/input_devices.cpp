// Input on SDL: SDL's keyboard scancodes turned into our key codes, and the first two attached
// game controllers, one a player, each read as a joystick (D-pad or left stick, A and B).
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

uint32_t KeyCodeFromScancode(SDL_Scancode scancode) {
    switch (scancode) {
        case SDL_SCANCODE_TAB: return KeyTab;
        case SDL_SCANCODE_LCTRL: return KeyLeftControl;
        case SDL_SCANCODE_LSHIFT: return KeyLeftShift;
        case SDL_SCANCODE_UP: return KeyUpArrow;
        case SDL_SCANCODE_DOWN: return KeyDownArrow;
        case SDL_SCANCODE_LEFT: return KeyLeftArrow;
        case SDL_SCANCODE_RIGHT: return KeyRightArrow;
        case SDL_SCANCODE_I: return KeyI;
        case SDL_SCANCODE_J: return KeyJ;
        case SDL_SCANCODE_K: return KeyK;
        case SDL_SCANCODE_L: return KeyL;
        case SDL_SCANCODE_F: return KeyF;
        case SDL_SCANCODE_G: return KeyG;
        case SDL_SCANCODE_SPACE: return KeySpace;
        default: return KeyCodeCount;  // no part in the game
    }
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
    reading.button[0] = pressed(SDL_CONTROLLER_BUTTON_A);
    reading.button[1] = pressed(SDL_CONTROLLER_BUTTON_B);
    return true;
}

void JoystickDeviceClose() {
    for (SDL_GameController*& controller : controllers) {
        if (controller != nullptr) SDL_GameControllerClose(controller);
        controller = nullptr;
    }
}

}  // namespace plexaro
