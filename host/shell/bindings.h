// Which key and which controller button works each console control and each of the
// program's own keys, the defaults, and the names keys and buttons go by in the Controls
// dialog and the settings file.
//
// Keys are PC set-1 scan codes (extended keys plus 0x80), as input.h has them; controller
// buttons are numbered as the platform layer reads them (0 A, 1 B, 2 X, 3 Y, ... 11-14 the
// D-pad). One key or button works one control at most: binding it to another takes it from
// the one that had it.
#pragma once

#include <cstdint>
#include <string_view>

namespace plexaro {

inline constexpr uint32_t BindingPlayers = 2;
// The controls of one joypad, in the order the dialog and the file list them.
enum PadControl : uint32_t { PadUp, PadDown, PadLeft, PadRight, PadButton1, PadButton2 };
inline constexpr uint32_t PadControlCount = 6;
// The keys that work the program rather than the console (KeyPause is the console's pause
// button; KeyPauseEmulation stops the emulator itself).
// KeyKeyboardMode turns the SC-3000's Keyboard mode on and off (host/shell/keyboard.h).
enum ProgramKey : uint32_t {
    KeyReset,
    KeyPause,
    KeyFastForward,
    KeyRewind,
    KeyPauseEmulation,
    KeyKeyboardMode,
};
inline constexpr uint32_t ProgramKeyCount = 6;

inline constexpr uint32_t JoystickButtonCount = 16;
inline constexpr uint32_t Unbound = 0xFFFF;  // a control without a key or button

struct Bindings {
    uint32_t key[BindingPlayers][PadControlCount];     // a key code or Unbound
    uint32_t button[BindingPlayers][PadControlCount];  // a controller button or Unbound
    uint32_t programKey[ProgramKeyCount];              // a key code or Unbound
    bool operator==(const Bindings&) const = default;
};

// Player 1: the arrows, Left Ctrl and Left Shift; player 2: I J K L, F and G; both: the
// D-pad, A and B. Tab resets, P pauses, Space fast-forwards, Backspace rewinds, Pause (Break)
// pauses the emulation, Scroll Lock turns Keyboard mode on and off.
Bindings DefaultBindings();

// Binding a key takes it from every other control (either player's, or a program key).
void BindKey(Bindings& bindings, uint32_t player, uint32_t control, uint32_t key);
void BindProgramKey(Bindings& bindings, uint32_t which, uint32_t key);
// A button is taken only from the same player's other controls: each has a controller.
void BindButton(Bindings& bindings, uint32_t player, uint32_t control, uint32_t button);

const char* PadControlName(uint32_t control);  // "Up", ... "Button 2"
const char* ProgramKeyName(uint32_t which);    // "Reset", "Pause", ...
// "Left Ctrl", "A", "Up", ... and "none" for Unbound; null for a code with no key behind it.
const char* KeyName(uint32_t key);
const char* ButtonName(uint32_t button);  // "A", "D-pad up", ... "none"; null past the last
// The inverse of the two above; Unbound for "none", NoSuchName for a name that is no key's
// (no button's). Case does not matter.
inline constexpr uint32_t NoSuchName = 0xFFFFFFFF;
uint32_t KeyNamed(std::string_view name);
uint32_t ButtonNamed(std::string_view name);

}  // namespace plexaro
