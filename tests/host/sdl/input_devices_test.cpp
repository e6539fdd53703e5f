// The SDL input layer against SDL's own virtual game controllers: which keys the game sees,
// how a controller's stick, D-pad and buttons become joystick readings, plugged in and
// pulled out, and which player each controller is. No window is needed.
#include <SDL.h>
#include <gtest/gtest.h>

#include "host/sdl/sdl_host.h"
#include "host/shell/input.h"

namespace plexaro {
namespace {

// A virtual controller with every axis and button; its device index, or -1.
int AttachPad(const char* name) {
    SDL_VirtualJoystickDesc pad{};
    pad.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    pad.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    pad.naxes = SDL_CONTROLLER_AXIS_MAX;
    pad.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
    pad.button_mask = (1u << SDL_CONTROLLER_BUTTON_MAX) - 1;
    pad.axis_mask = (1u << SDL_CONTROLLER_AXIS_MAX) - 1;
    pad.name = name;
    return SDL_JoystickAttachVirtualEx(&pad);
}

TEST(SdlInput, OnlyTheLeftHandKeysTheArrowsAndPlayerTwosKeysPlay) {
    EXPECT_EQ(KeyCodeFromScancode(SDL_SCANCODE_LCTRL), KeyLeftControl);
    EXPECT_EQ(KeyCodeFromScancode(SDL_SCANCODE_UP), KeyUpArrow);
    EXPECT_EQ(KeyCodeFromScancode(SDL_SCANCODE_TAB), KeyTab);
    // Player 2's keys by their place on the keyboard, whatever letters it prints on them.
    EXPECT_EQ(KeyCodeFromScancode(SDL_SCANCODE_I), KeyI);
    EXPECT_EQ(KeyCodeFromScancode(SDL_SCANCODE_J), KeyJ);
    EXPECT_EQ(KeyCodeFromScancode(SDL_SCANCODE_K), KeyK);
    EXPECT_EQ(KeyCodeFromScancode(SDL_SCANCODE_L), KeyL);
    EXPECT_EQ(KeyCodeFromScancode(SDL_SCANCODE_F), KeyF);
    EXPECT_EQ(KeyCodeFromScancode(SDL_SCANCODE_G), KeyG);
    // Space works the program (fast forward), never the joypads: the shell's tests see to that.
    EXPECT_EQ(KeyCodeFromScancode(SDL_SCANCODE_SPACE), KeySpace);
    for (SDL_Scancode other :
         {SDL_SCANCODE_RCTRL, SDL_SCANCODE_RSHIFT, SDL_SCANCODE_KP_8, SDL_SCANCODE_KP_4,
          SDL_SCANCODE_RETURN, SDL_SCANCODE_H, SDL_SCANCODE_B}) {
        EXPECT_EQ(KeyCodeFromScancode(other), KeyCodeCount) << SDL_GetScancodeName(other);
    }
}

// The Controls dialog can bind any key SDL reports that has a name in the settings file, and
// every named key can be pressed: the two tables agree, and no two keys share a code.
TEST(SdlInput, EveryBindableKeyHasANameAndACodeOfItsOwn) {
    bool seen[KeyCodeCount] = {};
    for (int scancode = 0; scancode < SDL_NUM_SCANCODES; ++scancode) {
        const uint32_t code = KeyCodeOfScancode(static_cast<SDL_Scancode>(scancode));
        if (code == KeyCodeCount) continue;
        ASSERT_LT(code, KeyCodeCount);
        EXPECT_NE(KeyName(code), nullptr)
            << SDL_GetScancodeName(static_cast<SDL_Scancode>(scancode));
        EXPECT_FALSE(seen[code]) << SDL_GetScancodeName(static_cast<SDL_Scancode>(scancode));
        seen[code] = true;
    }
    for (uint32_t code = 0; code < KeyCodeCount; ++code) {
        if (KeyName(code) != nullptr) {
            EXPECT_TRUE(seen[code]) << KeyName(code);
        }
    }
    EXPECT_EQ(KeyCodeOfScancode(SDL_SCANCODE_ESCAPE), KeyCodeCount);  // it cancels a binding
    // A key the bindings don't use plays no part until it is bound.
    EXPECT_EQ(KeyCodeFromScancode(SDL_SCANCODE_H), KeyCodeCount);
    Bindings bindings = DefaultBindings();
    BindKey(bindings, 0, PadUp, KeyCodeOfScancode(SDL_SCANCODE_H));
    InputSetBindings(bindings);
    EXPECT_EQ(KeyCodeFromScancode(SDL_SCANCODE_H), 35u);
    EXPECT_EQ(KeyCodeFromScancode(SDL_SCANCODE_UP), KeyCodeCount);
    InputSetBindings(DefaultBindings());
}

TEST(SdlInput, AVirtualControllerPlugsInPlaysAndLeaves) {
    ASSERT_EQ(SDL_Init(SDL_INIT_GAMECONTROLLER), 0) << SDL_GetError();
    EXPECT_FALSE(JoystickDeviceOpen(0));

    const int index = AttachPad("test pad");
    ASSERT_GE(index, 0) << SDL_GetError();
    SDL_Joystick* joystick = SDL_JoystickOpen(index);
    ASSERT_NE(joystick, nullptr);
    ASSERT_TRUE(JoystickDeviceOpen(0));

    const auto read = [](JoystickReading& reading) {
        SDL_GameControllerUpdate();
        return JoystickDeviceRead(0, reading);
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
    // Every button is read by SDL's number, for the bindings: the D-pad's too.
    SDL_JoystickSetVirtualButton(joystick, SDL_CONTROLLER_BUTTON_Y, 1);
    ASSERT_TRUE(read(reading));
    EXPECT_TRUE(reading.button[3] && reading.button[SDL_CONTROLLER_BUTTON_DPAD_UP]);
    EXPECT_FALSE(reading.button[SDL_CONTROLLER_BUTTON_X] ||
                 reading.button[SDL_CONTROLLER_BUTTON_START]);

    SDL_JoystickClose(joystick);
    SDL_JoystickDetachVirtual(index);
    SDL_GameControllerUpdate();
    EXPECT_FALSE(JoystickDeviceOpen(0));
    EXPECT_FALSE(JoystickDeviceRead(0, reading));
    SDL_Quit();
}

// The first controller is player 1's and the second player 2's; each player reads only its
// own, and keeps it when the other's is pulled out.
TEST(SdlInput, TwoControllersOneAPlayer) {
    ASSERT_EQ(SDL_Init(SDL_INIT_GAMECONTROLLER), 0) << SDL_GetError();
    const int first = AttachPad("first pad");
    const int second = AttachPad("second pad");
    ASSERT_GE(first, 0) << SDL_GetError();
    ASSERT_GE(second, 0) << SDL_GetError();
    SDL_Joystick* one = SDL_JoystickOpen(first);
    SDL_Joystick* two = SDL_JoystickOpen(second);
    ASSERT_TRUE(one != nullptr && two != nullptr);
    ASSERT_TRUE(JoystickDeviceOpen(0));
    ASSERT_TRUE(JoystickDeviceOpen(1));
    EXPECT_FALSE(JoystickDeviceOpen(2));

    SDL_JoystickSetVirtualButton(one, SDL_CONTROLLER_BUTTON_A, 1);
    SDL_JoystickSetVirtualButton(two, SDL_CONTROLLER_BUTTON_DPAD_LEFT, 1);
    SDL_JoystickSetVirtualButton(two, SDL_CONTROLLER_BUTTON_B, 1);
    SDL_GameControllerUpdate();
    JoystickReading p1{}, p2{};
    ASSERT_TRUE(JoystickDeviceRead(0, p1));
    ASSERT_TRUE(JoystickDeviceRead(1, p2));
    EXPECT_EQ(p1.x, 0);
    EXPECT_TRUE(p1.button[0] && !p1.button[1]);
    EXPECT_EQ(p2.x, -JoystickAxisRange);
    EXPECT_TRUE(!p2.button[0] && p2.button[1]);

    // Player 1's goes: player 2 keeps its own, and player 1 does not take it.
    SDL_JoystickClose(one);
    SDL_JoystickDetachVirtual(first);
    SDL_GameControllerUpdate();
    EXPECT_FALSE(JoystickDeviceOpen(0));
    EXPECT_TRUE(JoystickDeviceOpen(1));
    ASSERT_TRUE(JoystickDeviceRead(1, p2));
    EXPECT_EQ(p2.x, -JoystickAxisRange);

    JoystickDeviceClose();
    EXPECT_FALSE(JoystickDeviceRead(1, p2));
    SDL_JoystickClose(two);
    SDL_JoystickDetachVirtual(SDL_NumJoysticks() - 1);
    SDL_Quit();
}

}  // namespace
}  // namespace plexaro
