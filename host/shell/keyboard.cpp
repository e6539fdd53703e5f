// Keyboard mode, the paste and the on-screen keyboard's keys, held in the machine each pass.
#include "host/shell/keyboard.h"

#include <string>
#include <vector>

#include "host/shell/input.h"
#include "machine/typing.h"

namespace plexaro {
namespace {

// PC set-1 codes to the SC-3000's keys, by where the keys sit: the digit row, the three
// letter rows and the keys at their ends as the SC-3000's rows have them (its ^ and yen
// after "-", @ and [ after P, ; : and ] after L).
struct PcKey {
    uint8_t code;
    uint8_t key;
};
constexpr PcKey PcKeys[] = {
    {2, Kb1},
    {3, Kb2},
    {4, Kb3},
    {5, Kb4},
    {6, Kb5},
    {7, Kb6},
    {8, Kb7},
    {9, Kb8},
    {10, Kb9},
    {11, Kb0},
    {12, KbMinus},
    {13, KbCaret},
    {41, KbYen},
    {16, KbQ},
    {17, KbW},
    {18, KbE},
    {19, KbR},
    {20, KbT},
    {21, KbY},
    {22, KbU},
    {23, KbI},
    {24, KbO},
    {25, KbP},
    {26, KbAt},
    {27, KbOpenBracket},
    {28, KbCr},
    {0x9C, KbCr},
    {30, KbA},
    {31, KbS},
    {32, KbD},
    {33, KbF},
    {34, KbG},
    {35, KbH},
    {36, KbJ},
    {37, KbK},
    {38, KbL},
    {39, KbSemicolon},
    {40, KbColon},
    {43, KbCloseBracket},
    {44, KbZ},
    {45, KbX},
    {46, KbC},
    {47, KbV},
    {48, KbB},
    {49, KbN},
    {50, KbM},
    {51, KbComma},
    {52, KbPeriod},
    {53, KbSlash},
    {0xD1, KbPi},
    {15, KbFunc},
    {29, KbCtrl},
    {0x9D, KbCtrl},
    {42, KbShift},
    {54, KbShift},
    {56, KbGraph},
    {0xB8, KbEngDiers},
    {57, KbSpace},
    {0xCF, KbBreak},
    {0xC7, KbHomeClr},
    {14, KbInsDel},
    {0xD2, KbInsDel},
    {0xD3, KbInsDel},
    {0xCB, KbLeft},
    {0xC8, KbUp},
    {0xD0, KbDown},
    {0xCD, KbRight},
};

struct KeyboardState {
    bool on;
    KeySet pcHeld;             // SC-3000 keys held on the PC keyboard
    uint8_t pcCount[KbCount];  // PC keys holding each (two Shifts, two Ctrls)
    KeySet screen;
    std::vector<KeySet> chords;  // the paste being typed
    uint64_t typed;              // frames of it typed so far
    std::string program;         // the program the mode came on by itself for
};

KeyboardState keyboard = {};

}  // namespace

uint32_t ScKeyOfCode(uint32_t code) {
    for (const PcKey& pc : PcKeys) {
        if (pc.code == code) return pc.key;
    }
    return KbCount;
}

const char* PcKeyFor(uint32_t key) {
    for (const PcKey& pc : PcKeys) {
        if (pc.key == key) return KeyName(pc.code);
    }
    return nullptr;
}

bool KeyboardModeOn() {
    return keyboard.on;
}

void SetKeyboardMode(bool on) {
    keyboard.on = on;
    keyboard.pcHeld = 0;
    for (uint8_t& count : keyboard.pcCount) count = 0;
    InputReleaseKeys();
}

bool KeyboardModeTakes(uint32_t code) {
    return keyboard.on && ScKeyOfCode(code) < KbCount;
}

void KeyboardModeKeyEvent(uint32_t code, bool down) {
    const uint32_t key = ScKeyOfCode(code);
    if (!keyboard.on || key >= KbCount) return;
    uint8_t& count = keyboard.pcCount[key];
    if (down) {
        ++count;
    } else if (count > 0) {
        --count;
    }
    keyboard.pcHeld = count > 0 ? keyboard.pcHeld | KeyBit(key) : keyboard.pcHeld & ~KeyBit(key);
}

void ScreenKeyboardHold(KeySet keys) {
    keyboard.screen = keys;
}

size_t KeyboardPaste(std::string_view text) {
    const size_t skipped = PrepareTyping(text, keyboard.chords);
    keyboard.typed = 0;
    return skipped;
}

bool KeyboardTyping() {
    return keyboard.typed < TypingFrames(keyboard.chords);
}

bool KeyboardFrame(const std::string& program) {
    bool cameOn = false;
    if (CurrentMachine() == MachineSc3000 && !keyboard.on && program != keyboard.program) {
        keyboard.program = program;
        SetKeyboardMode(true);
        cameOn = true;
    }
    KeySet typing = 0;
    if (KeyboardTyping()) typing = TypingKeysAt(keyboard.chords, keyboard.typed++);
    HoldKeys(keyboard.pcHeld | keyboard.screen | typing);
    return cameOn;
}

}  // namespace plexaro
