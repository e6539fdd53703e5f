// Our cartridges run in-process: frame interrupts, the bus, the joypad, sound, and the
// machine's lifecycle. Expected values come from the cartridges' sources and the console's
// rules, worked out by hand.
#include <gtest/gtest.h>

#include <vector>

#include "cpu/z80.h"
#include "machine/machine.h"
#include "sound/psg.h"
#include "tests/machine/test_cartridges.h"
#include "video/vdp.h"

namespace plexaro {
namespace {

using testing::CartridgePath;

// irq.s results.
constexpr uint16_t IrqCount = 0xC000;
constexpr uint16_t IrqStatus = 0xC004;
constexpr uint16_t NmiCount = 0xC005;
constexpr uint16_t NmiStatus = 0xC006;
// bus.s results.
constexpr uint16_t RomReadback = 0xC000;
constexpr uint16_t RamReadback = 0xC001;
constexpr uint16_t VramReadback = 0xC002;
constexpr uint16_t PortEcho = 0xC010;  // A, A via 0x12DC, A via 0xC0, B, B via 0xC1, 7F, DE
constexpr uint16_t BusNmiCount = 0xC020;

uint8_t Ram(uint16_t address) {
    return ConsoleMemory()[address];
}

uint16_t Ram16(uint16_t address) {
    return static_cast<uint16_t>(Ram(address) | Ram(address + 1) << 8);
}

// Loads a cartridge, holds the given controls through its first frame (when it reads its
// mode) and runs that frame.
void Start(const char* name, std::initializer_list<uint32_t> held = {}) {
    ASSERT_EQ(InitMachine(256), nullptr);
    ASSERT_EQ(LoadCartridge(CartridgePath(name).c_str()), nullptr) << CartridgePath(name);
    ClearJoypad();
    for (uint32_t button : held) PressJoypad(button);
    RunFrame();
}

// A request nobody acknowledges stays up: the handler is entered again at the close of
// every EI window, from the first request after line 192 of the first frame and then all
// through every later frame. The counts therefore stand about as 69 lines to 262.
TEST(FrameInterrupt, UnacknowledgedRequestStaysUpFromLine192) {
    Start("irq");
    const int first = Ram16(IrqCount);
    EXPECT_GT(first, 4);
    RunFrame();
    const double ratio = static_cast<double>(Ram16(IrqCount) - first) / first;
    EXPECT_NEAR(ratio, 262.0 / 69.0, 0.4);
    EXPECT_EQ(z80::GetRegister(z80::RegIrqLine), 1u);
}

TEST(FrameInterrupt, StatusReadInTheHandlerAcknowledges) {
    Start("irq", {JoypadButton1});
    EXPECT_EQ(Ram16(IrqCount), 1);
    RunFrame();
    RunFrame();
    EXPECT_EQ(Ram16(IrqCount), 3);
    EXPECT_EQ(Ram(IrqStatus), FrameFlag);
    EXPECT_EQ(z80::GetRegister(z80::RegIrqLine), 0u);
    EXPECT_EQ(VdpStatus() & FrameFlag, 0);
}

TEST(FrameInterrupt, NoneWithTheVideoEnableClear) {
    Start("irq", {JoypadUp});
    for (int frame = 0; frame < 4; ++frame) RunFrame();
    EXPECT_EQ(Ram16(IrqCount), 0);
    EXPECT_EQ(z80::GetRegister(z80::RegIrqLine), 0u);
    EXPECT_EQ(VdpStatus() & FrameFlag, 0);
}

// With the CPU's interrupts off the request stays up after the frame; the program's first
// status read (from its pause handler) sees the flag, the second does not. Two presses in a
// row nest, so both handlers run in the next frame.
TEST(FrameInterrupt, ProgramWithInterruptsOffSeesTheFlagAndPauseNests) {
    Start("irq", {JoypadButton2});
    EXPECT_EQ(Ram16(IrqCount), 0);
    EXPECT_EQ(z80::GetRegister(z80::RegIrqLine), 1u);
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
    ASSERT_EQ(z80::GetRegister(z80::RegIrqLine), 1u);
    EXPECT_EQ(ConsolePortIn(0x55BF), FrameFlag);
    EXPECT_EQ(z80::GetRegister(z80::RegIrqLine), 0u);
    z80::RaiseIrq(FrameIrqByte);  // the CPU's interrupts are off: the line just goes up
    EXPECT_EQ(ConsolePortIn(0x00BF), 0);
    EXPECT_EQ(z80::GetRegister(z80::RegIrqLine), 1u);
}

TEST(ConsoleBus, MemoryVideoMemoryAndMirroredPorts) {
    Start("bus");
    EXPECT_EQ(Ram(RomReadback), 0xA5);  // the write to 0x4000 was dropped
    EXPECT_EQ(Ram(0x4000), 0xA5);
    EXPECT_EQ(Ram(RamReadback), 0x55);
    EXPECT_EQ(Ram(0x8123), 0x55);
    const uint8_t written[] = {0x11, 0x22, 0x33, 0x44};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(Ram(VramReadback + i), written[i]) << i;
        EXPECT_EQ(VdpInspect().vram[0x734 + i], written[i]) << i;
    }
    EXPECT_EQ(PsgInspect(0)->registers[1], 0xA);  // through port 0x3F7E
    EXPECT_EQ(Ram(PortEcho + 5), 0xFF);           // port 0x7F reads nothing
    EXPECT_EQ(Ram(PortEcho + 6), 0xFF);           // nor does 0xDE
}

TEST(ConsoleBus, JoypadBytesAsTheProgramReadsThem) {
    Start("bus");
    struct Case {
        std::vector<uint32_t> held;
        uint8_t portA;
    };
    const Case cases[] = {
        {{}, 0xFF},
        {{JoypadUp, JoypadButton1}, 0xEE},
        {{JoypadLeft}, 0xFB},
        {{JoypadRight}, 0xF7},
        {{JoypadDown, JoypadButton2, JoypadDown}, 0xDD},  // pressed twice stays pressed
        {{6, 0xFFFFFFFF}, 0xFF},                          // not a control
    };
    for (const Case& c : cases) {
        ClearJoypad();
        for (uint32_t button : c.held) PressJoypad(button);
        RunFrame();
        EXPECT_EQ(JoypadPorts()[0], c.portA);
        EXPECT_EQ(Ram(PortEcho), c.portA);
        EXPECT_EQ(Ram(PortEcho + 1), c.portA) << "port 0x12DC";
        EXPECT_EQ(Ram(PortEcho + 2), c.portA) << "port 0xC0";
        EXPECT_EQ(Ram(PortEcho + 3), 0xFF) << "port B";
        EXPECT_EQ(Ram(PortEcho + 4), 0xFF) << "port 0xC1";
    }
}

TEST(MachineLifecycle, ResetRestartsTheCartridgeAndKeepsTheSoundChip) {
    Start("bus", {JoypadLeft});
    RunFrame();
    const uint16_t loops = Ram16(0xC021);
    ASSERT_GT(loops, 0);
    ResetMachine();
    EXPECT_EQ(Ram(0x8123), 0);  // beyond this short image: zero again
    EXPECT_EQ(Ram(RamReadback), 0);
    EXPECT_EQ(Ram(0x0000), RomImage()[0]);
    EXPECT_EQ(z80::GetRegister(z80::RegPC), 0u);
    EXPECT_EQ(JoypadPorts()[0], 0xFF);
    EXPECT_EQ(VdpInspect().vram[0x734], 0);
    EXPECT_EQ(PsgInspect(0)->registers[1], 0xA);
    RunFrame();
    EXPECT_EQ(Ram(RamReadback), 0x55);
    EXPECT_LT(Ram16(0xC021), loops);  // one frame's worth, counted from zero again
}

TEST(MachineLifecycle, FreeEmptiesMemoryAndImage) {
    Start("bus");
    ASSERT_NE(Ram(0x0000), 0);
    PressJoypad(JoypadUp);
    FreeMachine();
    EXPECT_EQ(Ram(0x0000), 0);
    EXPECT_EQ(Ram(RamReadback), 0);
    for (size_t i = 0; i < RomImageSize; ++i) ASSERT_EQ(RomImage()[i], 0) << i;
    EXPECT_EQ(JoypadPorts()[0], 0xFF);
    EXPECT_EQ(JoypadPorts()[1], 0xFF);
}

TEST(MachineLifecycle, PauseButtonIsTheNonMaskableInterrupt) {
    Start("bus");
    PressPauseButton();
    RunFrame();
    EXPECT_EQ(Ram(BusNmiCount), 1);
    PressPauseButton();
    PressPauseButton();
    RunFrame();
    EXPECT_EQ(Ram(BusNmiCount), 3);
}

TEST(MachineLifecycle, RowStrideIsRecordedAndPassedOnByLoads) {
    ASSERT_EQ(InitMachine(320), nullptr);
    EXPECT_EQ(RecordedRowStride(), 320u);
    ASSERT_EQ(LoadCartridge(CartridgePath("busy").c_str()), nullptr);
    EXPECT_EQ(RecordedRowStride(), 320u);
    EXPECT_EQ(VdpRowStride(), 320u);
    ASSERT_NE(GetFrameBuffer(), nullptr);
    for (int frame = 0; frame < 3; ++frame) RunFrame();
    // Graphics II with backdrop 4 draws every row; the padding after pixel 255 stays 0.
    const uint16_t* pixels = GetFrameBuffer();
    for (uint32_t y = 0; y < ActiveLines; ++y) {
        for (uint32_t x = 256; x < 320; ++x) ASSERT_EQ(pixels[y * 320 + x], 0) << x << "," << y;
    }
}

// Rising crossings of half the full-volume amplitude in one second of sound.
int RisingEdges(const std::vector<int16_t>& samples) {
    const int half = PsgInspect(0)->volTable[0] / 2;
    int edges = 0;
    for (size_t i = 1; i < samples.size(); ++i) {
        if (samples[i - 1] < half && samples[i] >= half) ++edges;
    }
    return edges;
}

std::vector<int16_t> OneSecond() {
    std::vector<int16_t> samples;
    for (int frame = 0; frame < 60; ++frame) {
        if (frame > 0) RunFrame();
        const int16_t* sound = MakeSoundFrame();
        samples.insert(samples.end(), sound, sound + SamplesPerFrame);
    }
    return samples;
}

TEST(ConsoleSound, ToneOfPeriod254Is440Hz) {
    Start("sound");
    EXPECT_EQ(PsgInspect(0)->registers[0], 254);  // the latch went through port 0x3F7E
    const std::vector<int16_t> samples = OneSecond();
    // 3579545 / (32 * 254) = 440.4 Hz
    EXPECT_NEAR(RisingEdges(samples), 440, 1);
    int16_t low = 32767;
    int16_t high = 0;
    for (int16_t s : samples) {
        low = std::min(low, s);
        high = std::max(high, s);
    }
    EXPECT_EQ(low, 0);
    EXPECT_EQ(high, 10922);  // one channel at attenuation 0
}

TEST(ConsoleSound, WhiteNoiseIsNeitherSilentNorATone) {
    Start("sound", {JoypadButton1});
    const std::vector<int16_t> samples = OneSecond();
    // 3579545 / 512 = 6991 shifts a second; a random level changes at about half of them.
    const int edges = RisingEdges(samples);
    EXPECT_GT(edges, 1200);
    EXPECT_LT(edges, 2300);
}

}  // namespace
}  // namespace plexaro
