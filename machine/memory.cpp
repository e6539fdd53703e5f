// The console's bus: the block of console memory that the boards map onto the Z80 core,
// and the decoding of the I/O ports onto the video chip, the sound chip and the joypad (or,
// on the SC-3000, its PPI).
#include <cstring>
#include <new>

#include "cpu/z80.h"
#include "machine/machine_internal.h"
#include "video/vdp.h"

namespace plexaro {
namespace {

// Port numbers after decoding: the console looks at the low byte only, so every port
// repeats at all 256 values of the high byte.
constexpr uint32_t PortPsgLow = 0x7E;  // 0x7E and 0x7F both reach the sound chip
constexpr uint32_t PortPsgHigh = 0x7F;
constexpr uint32_t PortVdpData = 0xBE;
constexpr uint32_t PortVdpControl = 0xBF;
constexpr uint32_t PortJoypadA = 0xDC;
constexpr uint32_t PortJoypadAMirror = 0xC0;
constexpr uint32_t PortJoypadB = 0xDD;
constexpr uint32_t PortJoypadBMirror = 0xC1;
constexpr uint32_t OpenBus = 0xFF;

constexpr uint8_t NothingPressed = 0xFF;
constexpr uint32_t JoypadButtonCount = 6;
// Port A bit of each JoypadButton value: right and left are swapped against the bit order.
constexpr uint8_t ButtonBits[JoypadButtonCount] = {0x01, 0x02, 0x08, 0x04, 0x10, 0x20};
// Player 2's joypad is split over both ports: up and down are the two bits port A has left,
// the rest the low bits of port B. Index 0 is the port, index 1 the bit.
constexpr uint8_t Player2Bits[JoypadButtonCount][2] = {
    {0, 0x40}, {0, 0x80}, {1, 0x02}, {1, 0x01}, {1, 0x04}, {1, 0x08},
};

struct BusState {
    uint8_t* memory;  // ConsoleMemorySize bytes, or null before the first InitMachine
    uint8_t joypad[2];
};

BusState bus = {nullptr, {NothingPressed, NothingPressed}};

}  // namespace

uint32_t ConsolePortIn(uint32_t port) {
    if (PpiDecodes() && (port & 0xC0) == 0xC0) return PpiRead(port);
    switch (port & 0xFF) {
        case PortVdpData: return VdpReadData();
        case PortVdpControl:
            // Reading the status acknowledges the frame interrupt: the line is released
            // before the read clears the flag.
            if ((VdpRegister(1) & VdpInterruptEnable) && (VdpStatus() & FrameFlag)) z80::LowerIrq();
            return VdpReadStatus();
        case PortJoypadA:
        case PortJoypadAMirror: return bus.joypad[0];
        case PortJoypadB:
        case PortJoypadBMirror: return bus.joypad[1];
        default: return OpenBus;
    }
}

void ConsolePortOut(uint32_t port, uint32_t value) {
    const auto byte = static_cast<uint8_t>(value);
    switch (port & 0xFF) {
        case PortPsgLow:
        case PortPsgHigh: SoundChipWrite(byte); break;
        case PortVdpData: VdpWriteData(byte); break;
        case PortVdpControl: VdpWriteControl(byte); break;
        default:
            if ((port & 0xC0) == 0xC0) PpiWrite(port, byte);
            break;
    }
}

void ClearJoypad() {
    bus.joypad[0] = NothingPressed;
    bus.joypad[1] = NothingPressed;
}

void PressJoypad(uint32_t button) {
    if (button < JoypadButtonCount) bus.joypad[0] &= static_cast<uint8_t>(~ButtonBits[button]);
}

void PressJoypad2(uint32_t button) {
    if (button >= JoypadButtonCount) return;
    const auto [port, bit] = Player2Bits[button];
    bus.joypad[port] &= static_cast<uint8_t>(~bit);
}

const uint8_t* JoypadPorts() {
    return bus.joypad;
}

const uint8_t* ConsoleMemory() {
    return bus.memory;
}

const char* ObtainConsoleMemory() {
    // The new block is had before the old one goes, so a failure leaves the running
    // machine exactly as it was.
    auto* memory = new (std::nothrow) uint8_t[ConsoleMemorySize];
    if (memory == nullptr) return "Can't allocate memory for the Z80 core";
    // Mapped at once (blank, as after FreeMachine): the core never points into the old block.
    BuildBoard(memory, nullptr, 0, 0, false);
    delete[] bus.memory;
    bus.memory = memory;
    return nullptr;
}

void FillConsoleMemory(const uint8_t* image) {
    if (bus.memory == nullptr) return;
    PowerOnPpi(image != nullptr);
    // The board and the behaviour chosen now take effect here, at every power-on and reset.
    BuildBoard(bus.memory, image, RomImageLength(), image != nullptr ? ImageFileSize() : 0,
               HardwareBehaviour());
}

void RestoreBoardState(const BoardRecord& record) {
    if (bus.memory == nullptr) return;
    RestoreBoard(bus.memory, RomImage(), RomImageLength(), ImageFileSize(), record);
}

uint8_t* WritableConsoleRam() {
    return bus.memory != nullptr ? bus.memory + ConsoleWritableStart : nullptr;
}

void RestoreJoypad(const uint8_t* ports) {
    bus.joypad[0] = ports[0];
    bus.joypad[1] = ports[1];
}

void ReleaseConsoleMemory() {
    delete[] bus.memory;
    bus.memory = nullptr;
}

}  // namespace plexaro
