// The SDL input layer against SDL's own virtual game controller: which keys the game sees,
// and how a controller's stick, D-pad and buttons become joystick readings, plugged in and
// pulled out. No window is needed.
#include <SDL.h>
#include <gtest/gtest.h>

#include "host/shell/input.h"
#include "host/sdl/sdl_host.h"

namespace plexaro {
namespace {

TEST(SdlInput, OnlyTheLeftHandKeysAndTheArrowsPlay) {
    EXPECT_EQ(KeyCodeFromScancode(SDL_SCANCODE_LCTRL), KeyLeftControl);
    EXPECT_EQ(KeyCodeFromScancode(SDL_SCANCODE_UP), KeyUpArrow);
    EXPECT_EQ(KeyCodeFromScancode(SDL_SCANCODE_TAB), KeyTab);
    for (SDL_Scancode other : {SDL_SCANCODE_RCTRL, SDL_SCANCODE_RSHIFT, SDL_SCANCODE_KP_8,
                               SDL_SCANCODE_KP_4, SDL_SCANCODE_RETURN}) {
        EXPECT_EQ(KeyCodeFromScancode(other), KeyCodeCount) << SDL_GetScancodeName(other);
    }
}

TEST(SdlInput, AVirtualControllerPlugsInPlaysAndLeaves) {
    ASSERT_EQ(SDL_Init(SDL_INIT_GAMECONTROLLER), 0) << SDL_GetError();
    EXPECT_FALSE(JoystickDeviceOpen());

    SDL_VirtualJoystickDesc pad{};
    pad.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    pad.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    pad.naxes = SDL_CONTROLLER_AXIS_MAX;
    pad.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
    pad.button_mask = (1u << SDL_CONTROLLER_BUTTON_MAX) - 1;
    pad.axis_mask = (1u << SDL_CONTROLLER_AXIS_MAX) - 1;
    pad.name = "test pad";
    const int index = SDL_JoystickAttachVirtualEx(&pad);
    ASSERT_GE(index, 0) << SDL_GetError();
    SDL_Joystick* joystick = SDL_JoystickOpen(index);
    ASSERT_NE(joystick, nullptr);
    ASSERT_TRUE(JoystickDeviceOpen());

    const auto read = [](JoystickReading& reading) {
        SDL_GameControllerUpdate();
        return JoystickDeviceRead(reading);
    };
    JoystickReading reading{};
    SDL_JoystickSetVirtualAxis(joystick, SDL_CONTROLLER_AXIS_LEFTX, SDL_JOYSTICK_AXIS_MIN);
    SDL_JoystickSetVirtualAxis(joystick, SDL_CONTROLLER_AXIS_LEFTY, 8000);
    ASSERT_TRUE(read(reading));
    EXPECT_EQ(reading.x, -JoystickAxisRange);
    EXPECT_EQ(reading.y, 8000 * JoystickAxisRange / 32767);
    EXPECT_FALSE(reading.button[0] || reading.button[1]);

    // The D-pad wins over the stick; A and B are buttons 1 and 2.
    SDL_JoystickSetVirtualButton(joystick, SDL_CONTROLLER_BUTTON_DPAD_RIGHT, 1);
    SDL_JoystickSetVirtualButton(joystick, SDL_CONTROLLER_BUTTON_DPAD_UP, 1);
    SDL_JoystickSetVirtualButton(joystick, SDL_CONTROLLER_BUTTON_A, 1);
    SDL_JoystickSetVirtualButton(joystick, SDL_CONTROLLER_BUTTON_B, 1);
    ASSERT_TRUE(read(reading));
    EXPECT_EQ(reading.x, JoystickAxisRange);
    EXPECT_EQ(reading.y, -JoystickAxisRange);
    EXPECT_TRUE(reading.button[0] && reading.button[1]);

    SDL_JoystickClose(joystick);
    SDL_JoystickDetachVirtual(index);
    SDL_GameControllerUpdate();
    EXPECT_FALSE(JoystickDeviceOpen());
    EXPECT_FALSE(JoystickDeviceRead(reading));
    SDL_Quit();
}

}  // namespace
}  // namespace plexaro
