// The default bindings, what binding a key or button takes from the other controls, and the
// names of keys and buttons.
#include "host/shell/bindings.h"

#include <cctype>

namespace plexaro {
namespace {

struct KeyEntry {
    uint32_t code;
    const char* name;
};

// Every key a control may be bound to, by its set-1 code. Escape is missing on purpose: it
// cancels a binding in the dialog.
constexpr KeyEntry Keys[] = {
    {2, "1"},
    {3, "2"},
    {4, "3"},
    {5, "4"},
    {6, "5"},
    {7, "6"},
    {8, "7"},
    {9, "8"},
    {10, "9"},
    {11, "0"},
    {12, "Minus"},
    {13, "Equals"},
    {14, "Backspace"},
    {15, "Tab"},
    {16, "Q"},
    {17, "W"},
    {18, "E"},
    {19, "R"},
    {20, "T"},
    {21, "Y"},
    {22, "U"},
    {23, "I"},
    {24, "O"},
    {25, "P"},
    {26, "Left Bracket"},
    {27, "Right Bracket"},
    {28, "Enter"},
    {29, "Left Ctrl"},
    {30, "A"},
    {31, "S"},
    {32, "D"},
    {33, "F"},
    {34, "G"},
    {35, "H"},
    {36, "J"},
    {37, "K"},
    {38, "L"},
    {39, "Semicolon"},
    {40, "Apostrophe"},
    {41, "Grave"},
    {42, "Left Shift"},
    {43, "Backslash"},
    {44, "Z"},
    {45, "X"},
    {46, "C"},
    {47, "V"},
    {48, "B"},
    {49, "N"},
    {50, "M"},
    {51, "Comma"},
    {52, "Period"},
    {53, "Slash"},
    {54, "Right Shift"},
    {55, "Keypad *"},
    {56, "Left Alt"},
    {57, "Space"},
    {58, "Caps Lock"},
    {59, "F1"},
    {60, "F2"},
    {61, "F3"},
    {62, "F4"},
    {63, "F5"},
    {64, "F6"},
    {65, "F7"},
    {66, "F8"},
    {67, "F9"},
    {68, "F10"},
    {69, "Num Lock"},
    {70, "Scroll Lock"},
    {71, "Keypad 7"},
    {72, "Keypad 8"},
    {73, "Keypad 9"},
    {74, "Keypad -"},
    {75, "Keypad 4"},
    {76, "Keypad 5"},
    {77, "Keypad 6"},
    {78, "Keypad +"},
    {79, "Keypad 1"},
    {80, "Keypad 2"},
    {81, "Keypad 3"},
    {82, "Keypad 0"},
    {83, "Keypad ."},
    {87, "F11"},
    {88, "F12"},
    {0x9C, "Keypad Enter"},
    {0x9D, "Right Ctrl"},
    {0xB5, "Keypad /"},
    {0xB8, "Right Alt"},
    {0xC5, "Pause"},
    {0xC7, "Home"},
    {0xC8, "Up"},
    {0xC9, "Page Up"},
    {0xCB, "Left"},
    {0xCD, "Right"},
    {0xCF, "End"},
    {0xD0, "Down"},
    {0xD1, "Page Down"},
    {0xD2, "Insert"},
    {0xD3, "Delete"},
    {0xDB, "Left Super"},
    {0xDC, "Right Super"},
    {0xDD, "Menu"},
};

constexpr const char* Buttons[JoystickButtonCount] = {
    "A",          "B",          "X",           "Y",           "Back",         "Guide",
    "Start",      "Left stick", "Right stick", "Left bumper", "Right bumper", "D-pad up",
    "D-pad down", "D-pad left", "D-pad right", "Misc",
};

constexpr const char* PadControlNames[PadControlCount] = {"Up",    "Down",     "Left",
                                                          "Right", "Button 1", "Button 2"};
constexpr const char* ProgramKeyNames[ProgramKeyCount] = {
    "Reset", "Pause", "Fast forward", "Rewind", "Pause emulation", "Keyboard mode"};

bool SameName(std::string_view a, const char* b) {
    std::string_view other(b);
    if (a.size() != other.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(other[i]))) {
            return false;
        }
    }
    return true;
}

}  // namespace

Bindings DefaultBindings() {
    Bindings bindings{};
    constexpr uint32_t Player1[PadControlCount] = {0xC8, 0xD0, 0xCB, 0xCD, 29, 42};
    constexpr uint32_t Player2[PadControlCount] = {23, 37, 36, 38, 33, 34};  // I K J L F G
    constexpr uint32_t PadButtons[PadControlCount] = {11, 12, 13, 14, 0, 1};
    for (uint32_t control = 0; control < PadControlCount; ++control) {
        bindings.key[0][control] = Player1[control];
        bindings.key[1][control] = Player2[control];
        bindings.button[0][control] = bindings.button[1][control] = PadButtons[control];
    }
    bindings.programKey[KeyReset] = 15;             // Tab
    bindings.programKey[KeyPause] = 25;             // P
    bindings.programKey[KeyFastForward] = 57;       // Space
    bindings.programKey[KeyRewind] = 14;            // Backspace
    bindings.programKey[KeyPauseEmulation] = 0xC5;  // Pause (Break)
    bindings.programKey[KeyKeyboardMode] = 70;      // Scroll Lock
    return bindings;
}

namespace {

void TakeKey(Bindings& bindings, uint32_t key) {
    if (key == Unbound) return;
    for (auto& player : bindings.key) {
        for (uint32_t& bound : player) {
            if (bound == key) bound = Unbound;
        }
    }
    for (uint32_t& bound : bindings.programKey) {
        if (bound == key) bound = Unbound;
    }
}

}  // namespace

void BindKey(Bindings& bindings, uint32_t player, uint32_t control, uint32_t key) {
    if (player >= BindingPlayers || control >= PadControlCount) return;
    TakeKey(bindings, key);
    bindings.key[player][control] = key;
}

void BindProgramKey(Bindings& bindings, uint32_t which, uint32_t key) {
    if (which >= ProgramKeyCount) return;
    TakeKey(bindings, key);
    bindings.programKey[which] = key;
}

void BindButton(Bindings& bindings, uint32_t player, uint32_t control, uint32_t button) {
    if (player >= BindingPlayers || control >= PadControlCount) return;
    if (button != Unbound) {
        for (uint32_t& bound : bindings.button[player]) {
            if (bound == button) bound = Unbound;
        }
    }
    bindings.button[player][control] = button;
}

const char* PadControlName(uint32_t control) {
    return control < PadControlCount ? PadControlNames[control] : "";
}

const char* ProgramKeyName(uint32_t which) {
    return which < ProgramKeyCount ? ProgramKeyNames[which] : "";
}

const char* KeyName(uint32_t key) {
    if (key == Unbound) return "none";
    for (const KeyEntry& entry : Keys) {
        if (entry.code == key) return entry.name;
    }
    return nullptr;
}

const char* ButtonName(uint32_t button) {
    if (button == Unbound) return "none";
    return button < JoystickButtonCount ? Buttons[button] : nullptr;
}

uint32_t KeyNamed(std::string_view name) {
    if (SameName(name, "none")) return Unbound;
    for (const KeyEntry& entry : Keys) {
        if (SameName(name, entry.name)) return entry.code;
    }
    return NoSuchName;
}

uint32_t ButtonNamed(std::string_view name) {
    if (SameName(name, "none")) return Unbound;
    for (uint32_t button = 0; button < JoystickButtonCount; ++button) {
        if (SameName(name, Buttons[button])) return button;
    }
    return NoSuchName;
}

}  // namespace plexaro
