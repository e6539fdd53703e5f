// Our cartridges run in-process: frame interrupts, the bus, the joypad and the machine's
// lifecycle. Expected values come from the cartridges' sources and the console's rules.
#include <gtest/gtest.h>

#include <vector>

#include "cpu/z80.h"
#include "machine/machine.h"
#include "sound/psg.h"
#include "tests/machine/test_cartridges.h"
#include "video/vdp.h"

namespace plexaro {
namespace {

constexpr uint16_t IrqCount = 0xC000;   // irq.s: 16 bits
constexpr uint16_t IrqStatus = 0xC004;  // irq.s: status read by the handler
constexpr uint16_t NmiCount = 0xC005;   // irq.s
constexpr uint16_t NmiStatus = 0xC006;  // irq.s: one byte per press
constexpr uint16_t PortEcho = 0xC010;   // bus.s: A, A at 0x12DC, A at 0xC0, B, B at 0xC1, 7F, DE

uint8_t Ram(uint16_t address) {
    return ConsoleMemory()[address];
}

int Ram16(uint16_t address) {
    return Ram(address) | Ram(address + 1) << 8;
}

uint32_t IrqLine() {
    return z80::GetRegister(z80::RegIrqLine);
}

// Loads a cartridge and runs its first frame, in which it reads the controls held.
void Start(const char* name, std::initializer_list<uint32_t> held = {}) {
    ASSERT_EQ(InitMachine(256), nullptr);
    ASSERT_EQ(LoadCartridge(testing::CartridgePath(name).c_str()), nullptr);
    for (uint32_t button : held) PressJoypad(button);
    RunFrame();
}

// Unacknowledged, the request stays up and the handler is entered again at every EI: from
// line 192 in the first frame, then all through the next, so the counts stand as 69 to 262.
TEST(FrameInterrupt, UnacknowledgedRequestStaysUpFromLine192) {
    Start("irq");
    const int first = Ram16(IrqCount);
    EXPECT_GT(first, 4);
    RunFrame();
    EXPECT_NEAR(static_cast<double>(Ram16(IrqCount) - first) / first, 262.0 / 69.0, 0.4);
    EXPECT_EQ(IrqLine(), 1u);
}

TEST(FrameInterrupt, StatusReadAcknowledgesAndEnableClearRequestsNothing) {
    Start("irq", {JoypadButton1});
    RunFrame();
    RunFrame();
    EXPECT_EQ(Ram16(IrqCount), 3);
    EXPECT_EQ(Ram(IrqStatus), FrameFlag);
    EXPECT_EQ(IrqLine(), 0u);

    Start("irq", {JoypadUp});
    RunFrame();
    EXPECT_EQ(Ram16(IrqCount), 0);
    EXPECT_EQ(IrqLine(), 0u);
}

// With the CPU's interrupts off the request stays up after the frame. Two pause presses
// nest; the program's first status read sees the flag, the second does not.
TEST(FrameInterrupt, InterruptsOffThePauseHandlerSeesTheFlag) {
    Start("irq", {JoypadButton2});
    EXPECT_EQ(IrqLine(), 1u);
    PressPauseButton();
    PressPauseButton();
    RunFrame();
    EXPECT_EQ(Ram(NmiCount), 2);
    EXPECT_EQ(Ram(NmiStatus), FrameFlag);
    EXPECT_EQ(Ram(NmiStatus + 1), 0);
    EXPECT_EQ(Ram16(IrqCount), 0);
}

TEST(FrameInterrupt, StatusPortReleasesTheLineOnlyWhileTheFlagIsSet) {
    Start("irq", {JoypadButton2});
    EXPECT_EQ(ConsolePortIn(0x55BF), FrameFlag);
    EXPECT_EQ(IrqLine(), 0u);
    z80::RaiseIrq(FrameIrqByte);  // interrupts are off: the line just goes up
    EXPECT_EQ(ConsolePortIn(0x00BF), 0);
    EXPECT_EQ(IrqLine(), 1u);
}

TEST(ConsoleBus, MemoryVideoMemoryAndMirroredPorts) {
    Start("bus");
    EXPECT_EQ(Ram(0xC000), 0xA5);  // 0x4000 read back after a write there: the cartridge's
    EXPECT_EQ(Ram(0x8123), 0x55);
    EXPECT_EQ(Ram(0xC001), 0x55);
    const uint8_t written[] = {0x11, 0x22, 0x33, 0x44};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(Ram(0xC002 + i), written[i]) << i;
        EXPECT_EQ(VdpInspect().vram[0x734 + i], written[i]) << i;
    }
    EXPECT_EQ(PsgInspect(0)->registers[1], 0xA);  // through port 0x3F7E
    EXPECT_EQ(Ram(PortEcho + 5), 0xFF);
    EXPECT_EQ(Ram(PortEcho + 6), 0xFF);
}

TEST(ConsoleBus, JoypadBytesAsTheProgramReadsThem) {
    Start("bus");
    const std::pair<std::vector<uint32_t>, uint8_t> cases[] = {
        {{}, 0xFF},
        {{JoypadUp, JoypadButton1}, 0xEE},
        {{JoypadLeft}, 0xFB},
        {{JoypadRight}, 0xF7},
        {{JoypadDown, JoypadButton2, JoypadDown}, 0xDD},
        {{6, 0xFFFFFFFF}, 0xFF},
    };
    for (const auto& [held, portA] : cases) {
        ClearJoypad();
        for (uint32_t button : held) PressJoypad(button);
        RunFrame();
        EXPECT_EQ(JoypadPorts()[0], portA);
        for (int i = 0; i < 3; ++i) EXPECT_EQ(Ram(PortEcho + i), portA) << i;
        EXPECT_EQ(Ram(PortEcho + 3), 0xFF);
        EXPECT_EQ(Ram(PortEcho + 4), 0xFF);
    }
}

// Player 2 shares port A's top bits with player 1 and has the low half of port B; either
// player's controls leave the other's bits alone, and clearing releases both.
TEST(ConsoleBus, SecondJoypadAsTheProgramReadsIt) {
    Start("bus");
    const struct {
        std::vector<uint32_t> p1, p2;
        uint8_t portA, portB;
    } cases[] = {
        {{JoypadUp}, {JoypadUp}, 0xBE, 0xFF},
        {{JoypadDown}, {JoypadDown}, 0x7D, 0xFF},
        {{}, {JoypadLeft}, 0xFF, 0xFE},
        {{}, {JoypadRight}, 0xFF, 0xFD},
        {{JoypadButton1}, {JoypadButton1}, 0xEF, 0xFB},
        {{}, {JoypadButton2, JoypadButton2}, 0xFF, 0xF7},
        {{},
         {JoypadUp, JoypadDown, JoypadLeft, JoypadRight, JoypadButton1, JoypadButton2},
         0x3F,
         0xF0},
        {{JoypadRight, JoypadLeft}, {6, 0xFFFFFFFF}, 0xF3, 0xFF},
        {{}, {}, 0xFF, 0xFF},
    };
    for (const auto& c : cases) {
        ClearJoypad();
        for (uint32_t button : c.p1) PressJoypad(button);
        for (uint32_t button : c.p2) PressJoypad2(button);
        RunFrame();
        EXPECT_EQ(JoypadPorts()[0], c.portA);
        EXPECT_EQ(JoypadPorts()[1], c.portB);
        for (int i = 0; i < 3; ++i) EXPECT_EQ(Ram(PortEcho + i), c.portA) << i;
        EXPECT_EQ(Ram(PortEcho + 3), c.portB);
        EXPECT_EQ(Ram(PortEcho + 4), c.portB);
    }
}

TEST(MachineLifecycle, ResetRestartsTheCartridgeAndKeepsTheSoundChip) {
    Start("bus", {JoypadLeft});
    RunFrame();
    const int loops = Ram16(0xC021);
    ResetMachine();
    EXPECT_EQ(Ram(0x8123), 0);  // beyond this short image
    EXPECT_EQ(Ram(0xC001), 0);
    EXPECT_EQ(Ram(0x0000), RomImage()[0]);
    EXPECT_EQ(z80::GetRegister(z80::RegPC), 0u);
    EXPECT_EQ(JoypadPorts()[0], 0xFF);
    EXPECT_EQ(VdpInspect().vram[0x734], 0);
    EXPECT_EQ(PsgInspect(0)->registers[1], 0xA);
    RunFrame();
    EXPECT_EQ(Ram(0xC001), 0x55);
    EXPECT_LT(Ram16(0xC021), loops);  // counting from zero again
}

TEST(MachineLifecycle, FreeEmptiesMemoryAndImage) {
    Start("bus");
    PressJoypad(JoypadUp);
    FreeMachine();
    EXPECT_EQ(Ram(0x0000), 0);
    EXPECT_EQ(Ram(0xC001), 0);
    EXPECT_EQ(std::vector<uint8_t>(RomImage(), RomImage() + RomImageSize),
              std::vector<uint8_t>(RomImageSize, 0));
    EXPECT_EQ(JoypadPorts()[0], 0xFF);
}

TEST(MachineLifecycle, LoadsPassTheRecordedRowStrideOn) {
    ASSERT_EQ(InitMachine(320), nullptr);
    ASSERT_EQ(LoadCartridge(testing::CartridgePath("busy").c_str()), nullptr);
    EXPECT_EQ(RecordedRowStride(), 320u);
    EXPECT_EQ(VdpRowStride(), 320u);
}

}  // namespace
}  // namespace plexaro
