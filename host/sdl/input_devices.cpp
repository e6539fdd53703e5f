// Input on SDL: SDL's keyboard scancodes turned into our key codes, and the first attached
// game controller read as a joystick (D-pad or left stick, A and B).
#include <SDL.h>

#include <algorithm>

#include "host/shell/input.h"
#include "host/sdl/sdl_host.h"

namespace plexaro {
namespace {

SDL_GameController* controller = nullptr;

int32_t ScaleAxis(Sint16 value) {
    return std::clamp(value * JoystickAxisRange / 32767, -JoystickAxisRange, JoystickAxisRange);
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
        default: return KeyCodeCount;  // no part in the game
    }
}

bool JoystickDeviceOpen() {
    if (controller != nullptr && SDL_GameControllerGetAttached(controller)) return true;
    JoystickDeviceClose();
    if (SDL_WasInit(SDL_INIT_GAMECONTROLLER) == 0) return false;
    for (int index = 0; index < SDL_NumJoysticks(); ++index) {
        if (!SDL_IsGameController(index)) continue;
        controller = SDL_GameControllerOpen(index);
        if (controller != nullptr) return true;
    }
    return false;
}

bool JoystickDeviceRead(JoystickReading& reading) {
    if (controller == nullptr) return false;
    const auto pressed = [](SDL_GameControllerButton button) {
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
    if (controller != nullptr) SDL_GameControllerClose(controller);
    controller = nullptr;
}

}  // namespace plexaro
