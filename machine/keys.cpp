// The SC-3000's keys: where each sits in the key matrix, its legend and its script name, and
// where it sits on the keyboard.
#include <cstring>

#include "machine/sc3000.h"

namespace plexaro {
namespace {

// Port B's bits 0-3 come after port A's eight.
constexpr uint8_t B0 = 8, B1 = 9, B2 = 10, B3 = 11;

// The matrix as the keyboard's public documentation gives it: seven rows of keys, each read
// on port A's bits 0-7 and port B's bits 0-3, row 7 being the joypads'.
constexpr KeyInfo Keys[KbCount] = {
    {"1", "1", 0, 0},
    {"2", "2", 1, 0},
    {"3", "3", 2, 0},
    {"4", "4", 3, 0},
    {"5", "5", 4, 0},
    {"6", "6", 5, 0},
    {"7", "7", 6, 0},
    {"8", "8", 0, B0},
    {"9", "9", 1, B0},
    {"0", "0", 2, B0},
    {"-", "minus", 3, B0},
    {"^", "caret", 4, B0},
    {"\xC2\xA5", "yen", 5, B0},
    {"BREAK", "break", 6, B0},
    {"Q", "q", 0, 1},
    {"W", "w", 1, 1},
    {"E", "e", 2, 1},
    {"R", "r", 3, 1},
    {"T", "t", 4, 1},
    {"Y", "y", 5, 1},
    {"U", "u", 6, 1},
    {"I", "i", 0, 7},
    {"O", "o", 1, 7},
    {"P", "p", 2, 7},
    {"@", "at", 3, 7},
    {"[", "lbracket", 4, 7},
    {"CR", "cr", 5, 6},
    {"A", "a", 0, 2},
    {"S", "s", 1, 2},
    {"D", "d", 2, 2},
    {"F", "f", 3, 2},
    {"G", "g", 4, 2},
    {"H", "h", 5, 2},
    {"J", "j", 6, 2},
    {"K", "k", 0, 6},
    {"L", "l", 1, 6},
    {";", "semicolon", 2, 6},
    {":", "colon", 3, 6},
    {"]", "rbracket", 4, 6},
    {"Z", "z", 0, 3},
    {"X", "x", 1, 3},
    {"C", "c", 2, 3},
    {"V", "v", 3, 3},
    {"B", "b", 4, 3},
    {"N", "n", 5, 3},
    {"M", "m", 6, 3},
    {",", "comma", 0, 5},
    {".", "period", 1, 5},
    {"/", "slash", 2, 5},
    {"\xCF\x80", "pi", 3, 5},
    {"FUNC", "func", 5, B3},
    {"CTRL", "ctrl", 6, B2},
    {"SHIFT", "shift", 6, B3},
    {"GRAPH", "graph", 6, B1},
    {"ENG DIER'S", "eng-diers", 0, 4},
    {"SPACE", "space", 1, 4},
    {"HOME CLR", "home-clr", 2, 4},
    {"INS DEL", "ins-del", 3, 4},
    {"\xE2\x86\x90", "left", 5, 5},
    {"\xE2\x86\x91", "up", 6, 6},
    {"\xE2\x86\x93", "down", 4, 5},
    {"\xE2\x86\x92", "right", 6, 5},
    {"RESET", "reset", NoMatrixRow, 0},
};

constexpr KeyInfo NoKey = {"", "", NoMatrixRow, 0};

// Five lines, in quarters of a letter key; SHIFT at both ends of the fourth.
constexpr KeyPlace Layout[KeyPlaceCount] = {
    {Kb1, 0, 0, 4},
    {Kb2, 0, 4, 4},
    {Kb3, 0, 8, 4},
    {Kb4, 0, 12, 4},
    {Kb5, 0, 16, 4},
    {Kb6, 0, 20, 4},
    {Kb7, 0, 24, 4},
    {Kb8, 0, 28, 4},
    {Kb9, 0, 32, 4},
    {Kb0, 0, 36, 4},
    {KbMinus, 0, 40, 4},
    {KbCaret, 0, 44, 4},
    {KbYen, 0, 48, 4},
    {KbBreak, 0, 52, 6},

    {KbFunc, 1, 0, 6},
    {KbQ, 1, 6, 4},
    {KbW, 1, 10, 4},
    {KbE, 1, 14, 4},
    {KbR, 1, 18, 4},
    {KbT, 1, 22, 4},
    {KbY, 1, 26, 4},
    {KbU, 1, 30, 4},
    {KbI, 1, 34, 4},
    {KbO, 1, 38, 4},
    {KbP, 1, 42, 4},
    {KbAt, 1, 46, 4},
    {KbOpenBracket, 1, 50, 4},
    {KbCr, 1, 54, 4},

    {KbCtrl, 2, 0, 7},
    {KbA, 2, 7, 4},
    {KbS, 2, 11, 4},
    {KbD, 2, 15, 4},
    {KbF, 2, 19, 4},
    {KbG, 2, 23, 4},
    {KbH, 2, 27, 4},
    {KbJ, 2, 31, 4},
    {KbK, 2, 35, 4},
    {KbL, 2, 39, 4},
    {KbSemicolon, 2, 43, 4},
    {KbColon, 2, 47, 4},
    {KbCloseBracket, 2, 51, 4},
    {KbReset, 2, 55, 4},

    {KbShift, 3, 0, 9},
    {KbZ, 3, 9, 4},
    {KbX, 3, 13, 4},
    {KbC, 3, 17, 4},
    {KbV, 3, 21, 4},
    {KbB, 3, 25, 4},
    {KbN, 3, 29, 4},
    {KbM, 3, 33, 4},
    {KbComma, 3, 37, 4},
    {KbPeriod, 3, 41, 4},
    {KbSlash, 3, 45, 4},
    {KbPi, 3, 49, 4},
    {KbShift, 3, 53, 5},

    {KbGraph, 4, 0, 6},
    {KbEngDiers, 4, 6, 6},
    {KbSpace, 4, 12, 24},
    {KbHomeClr, 4, 36, 4},
    {KbInsDel, 4, 40, 4},
    {KbLeft, 4, 44, 4},
    {KbUp, 4, 48, 4},
    {KbDown, 4, 52, 4},
    {KbRight, 4, 56, 4},
};

}  // namespace

const KeyInfo& KeyInfoOf(uint32_t key) {
    return key < KbCount ? Keys[key] : NoKey;
}

bool KeyFromName(const char* name, uint32_t* key) {
    for (uint32_t k = 0; k < KbCount; ++k) {
        if (std::strcmp(name, Keys[k].name) == 0) {
            *key = k;
            return true;
        }
    }
    return false;
}

const KeyPlace* KeyboardLayout() {
    return Layout;
}

}  // namespace plexaro
