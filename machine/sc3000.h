// The SC-3000 home computer as a second machine: the choice between it and the SG-1000, its
// 64-key keyboard, and the 8255 PPI through which the program reads the keyboard and the
// joypads and drives the cassette lines.
//
// The PPI answers at ports 0xDC-0xDF, repeated every four ports through 0xC0-0xFF: port A
// (0xDC) and port B's bits 0-3 (0xDD) read one of eight rows of the key matrix, chosen by port
// C's bits 0-2 (0xDE); row 7 holds the two joypads exactly as the SG-1000 reads them, and the
// PPI powers on with every port an input, which selects row 7, so a program that never
// selects a row reads its joypads as on the console. Port B bit 7 is the cassette input,
// port C bit 3 the cassette output; 0xDF is the control register (mode set, or one bit of
// port C set or reset). The SG-1000 has no PPI: its ports stay exactly as machine.h says.
//
// In: the machine chosen for the next power-on (SelectMachine), keys held (PressKey,
// ReleaseKey, ClearKeys, like the joypad's controls: set between frames), the tape's input
// level (SetTapeInput: a function the PPI asks whenever the program reads port B). Out: what
// auto decided (CurrentMachine), and each change of the cassette output with its cycle
// (SetTapeOutput). Unit of time: the machine's cycle count since power-on (MachineCycle).
//
//     SelectMachine(MachineAuto);
//     LoadCartridge(path);               // a ".sc" file starts as the SC-3000
//     ClearKeys(); PressKey(KbShift); PressKey(KbA);
//     RunFrame();
//     if (CurrentMachine() == MachineSc3000) ...   // auto's decision so far
#pragma once

#include <cstdint>

namespace plexaro {

// Which machine runs. Auto starts a file named "*.sc" (any case) as the SC-3000 and anything
// else as the SG-1000, which becomes the SC-3000 the moment its program writes the PPI's
// port C or control register (0xDE, 0xDF: what a program that scans the keyboard does
// first; SG-1000 cartridges never write them); that holds for the image until another load.
enum MachineKind : uint32_t { MachineAuto = 0, MachineSg1000 = 1, MachineSc3000 = 2 };
inline constexpr uint32_t MachineKindCount = 3;
void SelectMachine(uint32_t kind);  // for the next InitMachine, load or reset; kept through them
uint32_t SelectedMachine();
uint32_t CurrentMachine();                               // never MachineAuto
const char* MachineName(uint32_t kind);                  // "auto", "sg1000", "sc3000"
bool MachineFromName(const char* name, uint32_t* kind);  // false for an unknown name
// The file name the next LoadCartridgeBytes holds the bytes of, for auto's ".sc" rule
// (LoadCartridge names its own); null or empty: none.
void NameNextCartridge(const char* path);

// The keys, one bit each in a KeySet. Every key but RESET sits at a row (0-6) and a bit
// (0-7 port A, 8-11 port B bits 0-3) of the matrix; RESET is wired to the Z80's NMI, which it
// raises when pressed, as the console's pause button does. The keyboard's two SHIFT keys
// close the same contact, so they are one key here (and two in KeyboardLayout).
// clang-format off
enum KeyboardKey : uint32_t {
    Kb1, Kb2, Kb3, Kb4, Kb5, Kb6, Kb7, Kb8, Kb9, Kb0,
    KbMinus, KbCaret, KbYen, KbBreak,
    KbQ, KbW, KbE, KbR, KbT, KbY, KbU, KbI, KbO, KbP,
    KbAt, KbOpenBracket, KbCr,
    KbA, KbS, KbD, KbF, KbG, KbH, KbJ, KbK, KbL,
    KbSemicolon, KbColon, KbCloseBracket,
    KbZ, KbX, KbC, KbV, KbB, KbN, KbM,
    KbComma, KbPeriod, KbSlash, KbPi,
    KbFunc, KbCtrl, KbShift, KbGraph, KbEngDiers, KbSpace,
    KbHomeClr, KbInsDel, KbLeft, KbUp, KbDown, KbRight,
    KbReset,
    KbCount
};
// clang-format on
using KeySet = uint64_t;  // bit n: KeyboardKey n
static_assert(KbCount <= 64);
inline constexpr KeySet KeyBit(uint32_t key) {
    return KeySet{1} << key;
}

inline constexpr uint8_t NoMatrixRow = 0xFF;  // RESET's row
struct KeyInfo {
    const char* legend;  // as printed on the key: "Q", "ENG DIER'S", "HOME CLR", "\xCF\x80" (pi)
    const char* name;    // lower case, for input scripts' "kb-" words: "q", "eng-diers", "cr"
    uint8_t row;         // of the matrix, 0-6; NoMatrixRow for RESET
    uint8_t bit;         // 0-7: port A's bit; 8-11: port B's bit 0-3
};
const KeyInfo& KeyInfoOf(uint32_t key);             // KbCount or more: an empty record ("", "")
bool KeyFromName(const char* name, uint32_t* key);  // by KeyInfo::name, false if none

// The keyboard as it looks, for an on-screen keyboard: every one of the 64 keys (SHIFT twice)
// in five rows, each at a left edge and a width in quarters of a letter key's width.
struct KeyPlace {
    uint8_t key;    // a KeyboardKey
    uint8_t line;   // 0 (top, the digits) to 4 (bottom, the space bar)
    uint8_t left;   // quarter keys from the keyboard's left edge
    uint8_t width;  // quarter keys: 4 for a letter key
};
inline constexpr uint32_t KeyPlaceCount = 64;
const KeyPlace* KeyboardLayout();  // KeyPlaceCount places, line by line, left to right

// Keys held: like the joypad's, set between frames (a host clears and presses every frame, or
// presses and releases as keys go down and up). RESET's NMI is raised at the start of the
// first frame that finds it held after a frame that did not.
void PressKey(uint32_t key);  // KbCount or more: nothing
void ReleaseKey(uint32_t key);
void ClearKeys();
void HoldKeys(KeySet keys);  // exactly these
KeySet KeysHeld();

// The cassette. The input is what the recorder's signal gives port B bit 7 (1 high) at a
// cycle; with no function set it reads 0, as with nothing plugged in. The output function
// hears each change of port C bit 3, with its cycle and new level, as the program makes it.
// Both are called from inside RunFrame, in cycle order, and must not allocate.
using TapeInputFunction = uint32_t (*)(uint64_t cycle);
using TapeOutputFunction = void (*)(uint64_t cycle, uint32_t level);
void SetTapeInput(TapeInputFunction input);     // null: nothing plugged in
void SetTapeOutput(TapeOutputFunction output);  // null: nobody listens
uint32_t TapeOutputLevel();                     // port C bit 3 now
// Cycles since the last power-on: whole frames run plus, during a frame, the cycles of it
// run so far. A save state keeps it.
uint64_t MachineCycle();

// The PPI's registers, for the debugger: the three ports' latches and the control word.
struct PpiView {
    uint8_t portA, portB, portC;  // output latches
    uint8_t control;              // the last mode word (0x9B at power-on: all inputs)
    uint8_t row;                  // the key-matrix row port C selects now, 0-7
};
PpiView InspectPpi();

}  // namespace plexaro
