// The SC-3000: auto's choice of machine, the keys and joypads as our probe cartridge reads them
// through the PPI, the control register's cassette line, its state across a save, and the
// SC-3000's and the BASIC boards' RAM.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "machine/board.h"
#include "machine/machine.h"
#include "machine/sc3000.h"
#include "machine/state.h"
#include "tests/machine/test_cartridges.h"
#include "video/vdp.h"

namespace plexaro {
namespace {

constexpr uint32_t Rows = 0xC000;  // keys.s: each row's port A, then its port B

class Keyboard : public ::testing::Test {
protected:
    void TearDown() override {
        SelectMachine(MachineAuto);
        SelectBoard(BoardAuto);
        SelectVideoBehaviour(0);
        ClearKeys();
        SetTapeOutput(nullptr);
        ShutdownMachine();
    }

    static void Load(const std::string& path) {
        ASSERT_EQ(InitMachine(256), nullptr);
        ASSERT_EQ(LoadCartridge(path.c_str()), nullptr) << path;
    }

    static void Frames(uint32_t count) {
        for (uint32_t frame = 0; frame < count; ++frame) RunFrame();
    }

    // What the probe read of a row, port A's bits 0-7 and port B's 0-3, active low.
    static uint32_t Row(uint32_t row) {
        return PeekConsole(Rows + 2 * row) | (PeekConsole(Rows + 2 * row + 1) & 0x0F) << 8;
    }
};

TEST_F(Keyboard, AutoTurnsTheProbeIntoAnSc3000AndLeavesTheDemoAnSg1000) {
    Load(std::string(PLEXARO_BINARY_DIR) + "/cartridges/demo/demo.sg");
    Frames(120);
    EXPECT_EQ(CurrentMachine(), MachineSg1000);

    Load(testing::CartridgePath("keys"));
    EXPECT_EQ(CurrentMachine(), MachineSg1000) << "nothing is known before it runs";
    Frames(1);
    EXPECT_EQ(CurrentMachine(), MachineSc3000) << "its first write to the PPI decides";
    ResetMachine();
    EXPECT_EQ(CurrentMachine(), MachineSc3000) << "kept for the image through a reset";

    // Chosen, the SG-1000 has no PPI: every "row" reads the joypad.
    SelectMachine(MachineSg1000);
    Load(testing::CartridgePath("keys"));
    PressKey(KbA);
    PressJoypad(JoypadUp);
    Frames(2);
    EXPECT_EQ(CurrentMachine(), MachineSg1000);
    EXPECT_EQ(PeekConsole(Rows), 0xFE);
    EXPECT_EQ(PeekConsole(Rows + 1), 0xFF);
}

// Every key lights its own box and no other; the joypads still read in row 7.
TEST_F(Keyboard, EachKeyLightsItsRowAndBitAndTheJoypadsReadInRowSeven) {
    Load(testing::CartridgePath("keys"));
    Frames(1);
    for (uint32_t key = 0; key < KbCount; ++key) {
        const KeyInfo& info = KeyInfoOf(key);
        if (info.row == NoMatrixRow) continue;
        HoldKeys(KeyBit(key));
        Frames(2);
        for (uint32_t row = 0; row < 8; ++row) {
            const uint32_t expected = row == info.row ? 0xFFF & ~(1u << info.bit) : 0xFFF;
            EXPECT_EQ(Row(row), expected) << info.name << " in row " << row;
        }
    }
    // And on the screen: the probe's grid, a box for each bit, one line a row (names at 0x1800,
    // row 0's first box on line 4, column 4, the next box two columns on, the next row two
    // lines down); 2 is the filled box's pattern, 1 the open one's.
    HoldKeys(KeyBit(KbShift) | KeyBit(KbA));
    Frames(2);
    const uint8_t* names = VdpInspect().vram + 0x1800 + 4 * 32 + 4;
    const auto box = [&](uint32_t row, uint32_t bit) { return names[row * 64 + bit * 2]; };
    EXPECT_EQ(box(0, 2), 2) << "A";
    EXPECT_EQ(box(6, 11), 2) << "SHIFT";
    EXPECT_EQ(box(0, 1), 1);
    EXPECT_EQ(box(6, 10), 1);
    ClearKeys();
    PressJoypad(JoypadUp);
    PressJoypad(JoypadButton2);
    PressJoypad2(JoypadRight);
    Frames(2);
    EXPECT_EQ(Row(7), 0xFFFu & ~0x001 & ~0x020 & ~0x200);
    for (uint32_t row = 0; row < 7; ++row) EXPECT_EQ(Row(row), 0xFFFu) << row;
    // Port B's top bits with nothing plugged in: /CONT, FAULT and BUSY high, the tape low.
    EXPECT_EQ(PeekConsole(Rows + 1) & 0xF0, 0x70);
}

TEST_F(Keyboard, ResetRaisesOneNmiPerPress) {
    constexpr uint32_t Nmis = 0xC010;  // keys.s counts them
    Load(testing::CartridgePath("keys"));
    PressKey(KbReset);
    Frames(3);
    EXPECT_EQ(PeekConsole(Nmis), 1);
    ReleaseKey(KbReset);
    Frames(1);
    PressKey(KbReset);
    Frames(1);
    EXPECT_EQ(PeekConsole(Nmis), 2);
}

void HearLevel(uint64_t cycle, uint32_t level);
std::vector<std::pair<uint64_t, uint32_t>> heard;
void HearLevel(uint64_t cycle, uint32_t level) {
    heard.emplace_back(cycle, level);
}

TEST_F(Keyboard, TheControlRegisterSetsAndResetsPortCBitsAndAModeSetClearsThem) {
    SelectMachine(MachineSc3000);
    Load(testing::CartridgePath("keys"));
    EXPECT_EQ(InspectPpi().row, 7) << "every port an input at power-on: the joypads' row";
    heard.clear();
    SetTapeOutput(HearLevel);
    ConsolePortOut(0xDF, 0x92);
    EXPECT_EQ(InspectPpi().row, 0) << "a mode set clears port C";
    ConsolePortOut(0xDF, 0x07);  // bit 3 set
    ConsolePortOut(0xDF, 0x05);  // bit 2 set
    EXPECT_EQ(InspectPpi().portC, 0x0C);
    EXPECT_EQ(ConsolePortIn(0xFE), 0x0C) << "mirrored every four ports through 0xC0-0xFF";
    ConsolePortOut(0xDF, 0x06);  // bit 3 reset
    ConsolePortOut(0xDE, 0x00);  // no change of bit 3: not heard
    ASSERT_EQ(heard.size(), 2u);
    EXPECT_EQ(heard[0].second, 1u);
    EXPECT_EQ(heard[1].second, 0u);
    EXPECT_EQ(TapeOutputLevel(), 0u);
}

TEST_F(Keyboard, AStateKeepsTheMachineThePpiAndTheKeys) {
    Load(testing::CartridgePath("keys"));
    Frames(1);
    PressKey(KbSpace);
    std::vector<uint8_t> state(MachineStateSize());
    SaveMachineState(0, state.data());
    const uint64_t cycle = MachineCycle();

    SelectMachine(MachineSg1000);
    ResetMachine();
    ClearKeys();
    ASSERT_EQ(CurrentMachine(), MachineSg1000);
    ASSERT_EQ(LoadMachineState(state.data(), state.size(), nullptr), nullptr);
    EXPECT_EQ(CurrentMachine(), MachineSc3000);
    EXPECT_EQ(KeysHeld(), KeyBit(KbSpace));
    EXPECT_EQ(MachineCycle(), cycle);
    Frames(2);
    EXPECT_EQ(Row(1), 0xFFFu & ~0x10);
}

TEST_F(Keyboard, TheSc3000sHardwareRamRepeatsEveryTwoKilobytes) {
    SelectVideoBehaviour(1);
    SelectMachine(MachineSc3000);
    Load(testing::CartridgePath("keys"));
    ASSERT_TRUE(PokeConsoleRam(0xC400, 0x5A));
    EXPECT_EQ(PeekConsole(0xCC00), 0x5A);
    EXPECT_NE(PeekConsole(0xC000), 0x5A) << "not the SG-1000's 1 KB";
    SelectMachine(MachineSg1000);
    ResetMachine();
    ASSERT_TRUE(PokeConsoleRam(0xC400, 0x5A));
    EXPECT_EQ(PeekConsole(0xC000), 0x5A);
}

TEST_F(Keyboard, TheBasicBoardsCarry16Or32KilobytesOfRam) {
    for (uint32_t hardware : {0u, 1u}) {
        SelectVideoBehaviour(hardware);
        SelectBoard(BoardRam16k);
        Load(testing::CartridgePath("keys"));
        EXPECT_FALSE(PokeConsoleRam(0x7FFF, 1));
        EXPECT_TRUE(PokeConsoleRam(0x8000, 1));
        EXPECT_TRUE(PokeConsoleRam(0xBFFF, 2));
        EXPECT_EQ(BoardRegionAt(0xBFFF).kind, RegionCartridgeRam);
        EXPECT_EQ(BoardRegionAt(0xC000).kind, RegionConsoleRam);

        SelectBoard(BoardRam32k);
        ResetMachine();
        ASSERT_TRUE(PokeConsoleRam(0xF123, 0x33));
        EXPECT_EQ(PeekConsole(0xF123), 0x33);
        ASSERT_TRUE(PokeConsoleRam(0xC123, 0x44));
        EXPECT_EQ(PeekConsole(0xF123), 0x33) << "no console RAM repeated under it";
        BoardRegion regions[MaxBoardRegions];
        ASSERT_EQ(BoardRegions(regions), 2u);
        EXPECT_EQ(regions[1].start, 0x8000u);
        EXPECT_EQ(regions[1].length, 0x8000u);
    }
}

}  // namespace
}  // namespace plexaro
