// Save states: a state saved and loaded again replays exactly, frame for frame and sample for
// sample, and a state that is broken or foreign is refused without touching the machine.
#include "machine/state.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cpu/z80.h"
#include "machine/hash.h"
#include "machine/machine.h"
#include "tests/machine/test_cartridges.h"

namespace plexaro {
namespace {

// A joypad pattern that starts games, steers and fires, so the programs take many paths.
// Nothing is held in the first frame, where irq.sg picks its mode.
void Press(uint64_t frame) {
    ClearJoypad();
    if (frame == 0) return;
    if (frame % 50 < 3) PressJoypad(JoypadButton1);
    PressJoypad(static_cast<uint32_t>(frame / 17 % 4));  // up, down, right, left in turn
    if (frame % 23 == 0) PressJoypad(JoypadButton2);
}

struct Outcome {
    uint64_t picture, sound;
    bool operator==(const Outcome&) const = default;
};

Outcome Play(uint64_t from, uint64_t count) {
    Outcome run{FnvOffsetBasis, FnvOffsetBasis};
    for (uint64_t frame = from; frame < from + count; ++frame) {
        Press(frame);
        RunFrame();
        run.sound = Fnv1a64(run.sound, MakeSoundFrame(), SamplesPerFrame * sizeof(int16_t));
        run.picture = Fnv1a64(run.picture, GetFrameBuffer(), 256 * 192 * sizeof(uint16_t));
    }
    return run;
}

std::vector<uint8_t> Save(uint64_t frame) {
    std::vector<uint8_t> bytes(MachineStateSize());
    SaveMachineState(frame, bytes.data());
    return bytes;
}

void Start(const std::string& path) {
    ASSERT_EQ(InitMachine(256), nullptr);
    ASSERT_EQ(LoadCartridge(path.c_str()), nullptr);
}

TEST(SaveState, ALoadedStateReplaysTheSameFramesAndSound) {
    EXPECT_LT(MachineStateSize(), 64u * 1024);
    const std::string demo = std::string(PLEXARO_BINARY_DIR) + "/cartridges/demo/demo.sg";
    // The demo in play, the busy cartridge in both video behaviours, and irq.sg left
    // unacknowledged, whose line stays up and whose handler is entered again right after
    // every EI. A state brings its behaviour back with it.
    const std::string busy = testing::CartridgePath("busy");
    for (const std::string& path :
         {demo, busy, busy + "#hardware", testing::CartridgePath("irq")}) {
        const bool hardware = path.ends_with("#hardware");
        Start(hardware ? busy : path);
        SelectVideoBehaviour(hardware ? 1 : 0);
        Play(0, 90);
        if (path.ends_with("irq.sg")) {
            ASSERT_EQ(z80::GetRegister(z80::RegIrqLine), 1u);
        }
        const std::vector<uint8_t> state = Save(90);
        const Outcome first = Play(90, 120);
        SelectVideoBehaviour(hardware ? 0 : 1);
        uint64_t frame = 0;
        ASSERT_EQ(LoadMachineState(state.data(), state.size(), &frame), nullptr) << path;
        EXPECT_EQ(frame, 90u);
        EXPECT_EQ(Play(90, 120), first) << path;
        EXPECT_EQ(Save(210), Save(210));
        EXPECT_EQ(SelectedVideoBehaviour(), hardware ? 1u : 0u);
        SelectVideoBehaviour(0);
        ShutdownMachine();
    }
}

// Player 2 lives in both port bytes; a state (and so a rewind) brings both back.
TEST(SaveState, BothJoypadsComeBack) {
    Start(testing::CartridgePath("bus"));
    ClearJoypad();
    PressJoypad(JoypadRight);
    PressJoypad2(JoypadUp);
    PressJoypad2(JoypadButton2);
    RunFrame();
    const std::vector<uint8_t> state = Save(1);
    ClearJoypad();
    RunFrame();
    ASSERT_EQ(LoadMachineState(state.data(), state.size(), nullptr), nullptr);
    EXPECT_EQ(JoypadPorts()[0], 0xB7);
    EXPECT_EQ(JoypadPorts()[1], 0xF7);
    EXPECT_EQ(ConsoleMemory()[0xC013], 0xF7);  // bus.s: port B as the program read it
}

TEST(SaveState, BrokenOrForeignStatesAreRefusedAndChangeNothing) {
    Start(testing::CartridgePath("busy"));
    Play(0, 30);
    const std::vector<uint8_t> good = Save(30);
    Play(30, 10);
    const std::vector<uint8_t> now = Save(40);

    const auto resealed = [](std::vector<uint8_t> bytes) {
        const uint32_t crc = Crc32(bytes.data(), bytes.size() - 4);
        for (int i = 0; i < 4; ++i)
            bytes[bytes.size() - 4 + i] = static_cast<uint8_t>(crc >> 8 * i);
        return bytes;
    };
    std::vector<uint8_t> magic = good, newer = good, damaged = good, foreign = good;
    magic[0] ^= 1;
    newer[8] = MachineStateVersion + 1;
    damaged[1000] ^= 0x40;
    foreign[16] ^= 1;  // the cartridge's hash
    const struct {
        std::vector<uint8_t> bytes;
        const char* error;
    } cases[] = {
        {std::vector<uint8_t>(good.begin(), good.end() - 1), "the save state is truncated"},
        {std::vector<uint8_t>(good.begin(), good.begin() + 10), "the save state is truncated"},
        {magic, "not a Plexaro save state"},
        {newer, "the save state was made by a newer Plexaro"},
        {damaged, "the save state is damaged: its checksum does not match"},
        {resealed(foreign), "the save state belongs to another cartridge"},
    };
    for (const auto& c : cases) {
        const char* error = LoadMachineState(c.bytes.data(), c.bytes.size(), nullptr);
        EXPECT_STREQ(error, c.error);
        EXPECT_EQ(Save(40), now) << c.error;
    }
    EXPECT_EQ(LoadMachineState(good.data(), good.size(), nullptr), nullptr);
    EXPECT_EQ(Save(30), good);
    ShutdownMachine();
}

// The checksum taken eight bytes at a time against the standard check value and a bit at a
// time, over lengths and offsets that leave every number of bytes for the tail.
TEST(SaveState, ChecksumIsTheStandardCrc32) {
    const char* check = "123456789";
    EXPECT_EQ(Crc32(reinterpret_cast<const uint8_t*>(check), 9), 0xCBF43926u);
    std::vector<uint8_t> bytes(300);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 131 + 7);
    for (size_t start : {0u, 3u}) {
        for (size_t count = 0; count < 40; ++count) {
            uint32_t c = 0xFFFFFFFFu;
            for (size_t i = 0; i < count; ++i) {
                c ^= bytes[start + i];
                for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            }
            EXPECT_EQ(Crc32(bytes.data() + start, count), c ^ 0xFFFFFFFFu) << start << " " << count;
        }
    }
}

}  // namespace
}  // namespace plexaro
