// The SC-3000's 8255 PPI and the choice of machine: the key matrix and the joypads read
// through ports A and B, port C's row select and cassette output, the control register, and
// auto's decision between the SG-1000 and the SC-3000.
#include <algorithm>
#include <cstring>
#include <string_view>

#include "cpu/z80.h"
#include "machine/machine_internal.h"
#include "machine/sc3000.h"

namespace plexaro {
namespace {

constexpr const char* Names[MachineKindCount] = {"auto", "sg1000", "sc3000"};

// The 8255's control word: bit 7 set is a mode set, whose bits 4, 1, 3 and 0 make port A,
// port B, port C's upper half and its lower half inputs; bit 7 clear sets (bit 0) or resets
// one bit of port C, the bit's number in bits 1-3. Reset leaves every port an input.
constexpr uint8_t ModeSet = 0x80;
constexpr uint8_t PortAInput = 0x10;
constexpr uint8_t PortBInput = 0x02;
constexpr uint8_t PortCUpperInput = 0x08;
constexpr uint8_t PortCLowerInput = 0x01;
constexpr uint8_t PowerOnControl = 0x9B;

constexpr uint32_t PortA = 0, PortB = 1, PortC = 2, Control = 3;
constexpr uint32_t PpiPorts = 0xC0;  // the PPI answers where both top bits are set
constexpr uint32_t PortCLow = 0xDE;  // auto's trigger: the writes a keyboard scan makes
constexpr uint32_t ControlLow = 0xDF;
constexpr uint8_t RowSelect = 0x07;  // port C bits 0-2, through a 74LS145 decoder
constexpr uint8_t JoypadRow = 7;
constexpr uint8_t TapeOutBit = 0x08;  // port C bit 3
constexpr uint8_t TapeInBit = 0x80;   // port B bit 7, active high
// Port B's bits 4-6 with nothing plugged in: /CONT, printer FAULT and BUSY pulled up.
constexpr uint8_t PortBIdle = 0x70;
constexpr uint8_t PortBMatrixBits = 0x0F;

struct Choice {
    uint32_t machine;  // a MachineKind, for the next power-on
    bool nextNamedSc;  // the next LoadCartridgeBytes holds a ".sc" file
};

Choice chosen = {MachineAuto, false};

struct PpiState {
    uint32_t machine;  // what runs: MachineSg1000 or MachineSc3000
    bool autoWatch;    // auto chose the SG-1000 and waits for a write to the PPI
    bool namedSc;      // the image came from a ".sc" file
    bool scanned;      // the image wrote the PPI: auto starts it as the SC-3000 from now on
    uint8_t latch[3];
    uint8_t control;
    KeySet held;
    bool resetHeld;      // RESET as the last frame's start found it
    uint64_t frameBase;  // MachineCycle at the start of this frame
    uint64_t lastCycle;  // the latest MachineCycle given: it never goes back
    TapeInputFunction tapeIn;
    TapeOutputFunction tapeOut;
};

PpiState ppi = {MachineSg1000, false, false, false,   {0, 0, 0}, PowerOnControl, 0,
                false,         0,     0,     nullptr, nullptr};

uint8_t SelectedRow() {
    // An input half drives nothing: the decoder's inputs float high, to the joypads' row.
    if (ppi.control & PortCLowerInput) return JoypadRow;
    return ppi.latch[PortC] & RowSelect;
}

// Port A's eight bits and port B's low four of a row, active low, in one 12-bit word.
uint32_t RowBits(uint8_t row) {
    if (row == JoypadRow) {
        const uint8_t* pads = JoypadPorts();
        return pads[0] | static_cast<uint32_t>(pads[1] & PortBMatrixBits) << 8;
    }
    uint32_t bits = 0xFFF;
    for (uint32_t k = 0; k < KbCount; ++k) {
        if ((ppi.held & KeyBit(k)) && KeyInfoOf(k).row == row) bits &= ~(1u << KeyInfoOf(k).bit);
    }
    return bits;
}

uint32_t PortCRead() {
    uint8_t value = ppi.latch[PortC];
    if (ppi.control & PortCUpperInput) value |= 0xF0;
    if (ppi.control & PortCLowerInput) value |= 0x0F;
    return value;
}

void SetPortC(uint8_t value) {
    const uint8_t before = ppi.latch[PortC];
    ppi.latch[PortC] = value;
    if (((before ^ value) & TapeOutBit) && ppi.tapeOut != nullptr) {
        ppi.tapeOut(MachineCycle(), (value & TapeOutBit) ? 1 : 0);
    }
}

bool IsSc3000Name(const char* path) {
    if (path == nullptr) return false;
    const std::string_view name = path;
    if (name.size() < 3) return false;
    const std::string_view end = name.substr(name.size() - 3);
    return end[0] == '.' && (end[1] | 0x20) == 's' && (end[2] | 0x20) == 'c';
}

}  // namespace

void SelectMachine(uint32_t kind) {
    chosen.machine = kind < MachineKindCount ? kind : MachineAuto;
}

uint32_t SelectedMachine() {
    return chosen.machine;
}

uint32_t CurrentMachine() {
    return ppi.machine;
}

const char* MachineName(uint32_t kind) {
    return kind < MachineKindCount ? Names[kind] : Names[MachineAuto];
}

bool MachineFromName(const char* name, uint32_t* kind) {
    for (uint32_t k = 0; k < MachineKindCount; ++k) {
        if (std::string_view(name) == Names[k]) {
            *kind = k;
            return true;
        }
    }
    return false;
}

void NameNextCartridge(const char* path) {
    chosen.nextNamedSc = IsSc3000Name(path);
}

void CartridgeChanged(bool present) {
    ppi.namedSc = present && chosen.nextNamedSc;
    ppi.scanned = false;
    chosen.nextNamedSc = false;
}

void PowerOnPpi(bool image) {
    const bool sc = chosen.machine == MachineSc3000 ||
                    (chosen.machine == MachineAuto && image && (ppi.namedSc || ppi.scanned));
    ppi.machine = sc ? MachineSc3000 : MachineSg1000;
    ppi.autoWatch = !sc && chosen.machine == MachineAuto && image;
    std::memset(ppi.latch, 0, sizeof ppi.latch);
    ppi.control = PowerOnControl;
    ppi.frameBase = 0;
    ppi.lastCycle = 0;
}

bool PpiDecodes() {
    return ppi.machine == MachineSc3000;
}

uint32_t PpiRead(uint32_t port) {
    switch (port & 3) {
        case PortA:
            if (!(ppi.control & PortAInput)) return ppi.latch[PortA];
            return RowBits(SelectedRow()) & 0xFF;
        case PortB: {
            if (!(ppi.control & PortBInput)) return ppi.latch[PortB];
            const uint32_t level =
                ppi.tapeIn != nullptr && ppi.tapeIn(MachineCycle()) ? TapeInBit : 0;
            return (RowBits(SelectedRow()) >> 8) | PortBIdle | level;
        }
        case PortC: return PortCRead();
        case Control:
        default: return 0xFF;  // the control register can't be read
    }
}

void PpiWrite(uint32_t port, uint32_t value) {
    if (ppi.autoWatch) {
        const uint32_t low = port & 0xFF;
        if (low != PortCLow && low != ControlLow) return;
        // A keyboard scan's first write: the program is the SC-3000's from here on.
        ppi.autoWatch = false;
        ppi.scanned = true;
        ppi.machine = MachineSc3000;
    }
    if (ppi.machine != MachineSc3000 || (port & PpiPorts) != PpiPorts) return;
    const auto byte = static_cast<uint8_t>(value);
    switch (port & 3) {
        case PortA: ppi.latch[PortA] = byte; break;
        case PortB: ppi.latch[PortB] = byte; break;
        case PortC: SetPortC(byte); break;
        default:
            if (byte & ModeSet) {
                // A mode set clears every output latch.
                ppi.control = byte;
                ppi.latch[PortA] = ppi.latch[PortB] = 0;
                SetPortC(0);
            } else {
                const uint8_t bit = static_cast<uint8_t>(1u << ((byte >> 1) & 7));
                SetPortC(byte & 1 ? ppi.latch[PortC] | bit : ppi.latch[PortC] & ~bit);
            }
            break;
    }
}

void PpiFrameStarted() {
    const bool reset = (ppi.held & KeyBit(KbReset)) != 0;
    if (reset && !ppi.resetHeld) PressPauseButton();
    ppi.resetHeld = reset;
}

void PpiFrameEnded(uint32_t frameCycles) {
    ppi.frameBase = std::max(ppi.frameBase + frameCycles, ppi.lastCycle);
}

PpiRecord SavePpi() {
    PpiRecord r{ppi.machine, ppi.autoWatch, ppi.scanned,  {},
                ppi.control, ppi.resetHeld, ppi.frameBase};
    std::memcpy(r.latch, ppi.latch, sizeof r.latch);
    return r;
}

void RestorePpi(const PpiRecord& r) {
    ppi.machine = r.machine;
    ppi.autoWatch = r.autoWatch;
    ppi.scanned = r.scanned;
    std::memcpy(ppi.latch, r.latch, sizeof ppi.latch);
    ppi.control = r.control;
    ppi.resetHeld = r.resetHeld;
    ppi.frameBase = r.frameBase;
    ppi.lastCycle = r.frameBase;
}

void PressKey(uint32_t key) {
    if (key < KbCount) ppi.held |= KeyBit(key);
}

void ReleaseKey(uint32_t key) {
    if (key < KbCount) ppi.held &= ~KeyBit(key);
}

void ClearKeys() {
    ppi.held = 0;
}

void HoldKeys(KeySet keys) {
    ppi.held = keys & (KeyBit(KbCount) - 1);
}

KeySet KeysHeld() {
    return ppi.held;
}

void SetTapeInput(TapeInputFunction input) {
    ppi.tapeIn = input;
}

void SetTapeOutput(TapeOutputFunction output) {
    ppi.tapeOut = output;
}

uint32_t TapeOutputLevel() {
    return (ppi.latch[PortC] & TapeOutBit) ? 1 : 0;
}

uint64_t MachineCycle() {
    uint32_t lineStart = 0;
    if (!RunningLineStart(&lineStart))
        return ppi.lastCycle = std::max(ppi.lastCycle, ppi.frameBase);
    // The simple behaviour starts every line afresh at its nominal cycle, though the line
    // before may have run a few cycles past it: the count holds still rather than go back.
    const uint64_t now = ppi.frameBase + lineStart + z80::ElapsedCycles();
    ppi.lastCycle = std::max(ppi.lastCycle, now);
    return ppi.lastCycle;
}

PpiView InspectPpi() {
    return {ppi.latch[PortA], ppi.latch[PortB], ppi.latch[PortC], ppi.control, SelectedRow()};
}

}  // namespace plexaro
