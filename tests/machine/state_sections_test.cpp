// Save states across builds: a state of the first, fixed format still plays on exactly as it
// did when it was saved; sections this build doesn't know are passed over; a section cut
// short or from a newer build is refused without touching the machine; and what a state lacks
// starts as at power-on.
#include <gtest/gtest.h>

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "cpu/z80.h"
#include "machine/board.h"
#include "machine/hash.h"
#include "machine/machine.h"
#include "machine/state.h"
#include "sound/psg.h"
#include "tests/machine/test_cartridges.h"

namespace plexaro {
namespace {

using Bytes = std::vector<uint8_t>;

constexpr size_t HeaderSize = 32;
constexpr size_t SectionHeaderSize = 12;

// As the headless player's --hash: FNV-1a 64 over each value's two little-endian bytes.
uint64_t HashWords(uint64_t hash, const uint16_t* words, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        for (uint8_t byte : {static_cast<uint8_t>(words[i]), static_cast<uint8_t>(words[i] >> 8)}) {
            hash = FnvMix(hash, byte);
        }
    }
    return hash;
}

Bytes ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

uint32_t Get32(const Bytes& bytes, size_t at) {
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i) value |= static_cast<uint32_t>(bytes[at + i]) << (8 * i);
    return value;
}

void Put32(Bytes& bytes, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

uint32_t Tag(const char* name) {
    return Get32(Bytes(name, name + 4), 0);
}

struct Section {
    size_t at;  // where its header starts
    uint32_t length;
    size_t body() const { return at + SectionHeaderSize; }
    size_t end() const { return body() + length; }
};

// The sections of a well-formed sectioned state, by tag.
Section Find(const Bytes& state, const char* name) {
    for (size_t at = HeaderSize; at < state.size() - 4;) {
        const Section section{at, Get32(state, at + 4)};
        if (Get32(state, at) == Tag(name)) return section;
        at = section.end();
    }
    ADD_FAILURE() << "no section " << name;
    return {HeaderSize, 0};
}

Bytes Without(Bytes state, const char* name) {
    const Section section = Find(state, name);
    state.erase(state.begin() + section.at, state.begin() + section.end());
    return state;
}

// The declared size and the checksum made right again after an edit.
Bytes Resealed(Bytes state) {
    Put32(state, 12, static_cast<uint32_t>(state.size()));
    Put32(state, state.size() - 4, Crc32(state.data(), state.size() - 4));
    return state;
}

Bytes Save(uint64_t frame) {
    Bytes bytes(MachineStateSize());
    SaveMachineState(frame, bytes.data());
    return bytes;
}

void Play(uint64_t frames) {
    for (uint64_t frame = 0; frame < frames; ++frame) {
        ClearJoypad();
        PressJoypad(JoypadRight);
        if (frame % 7 < 2) PressJoypad(JoypadButton1);
        RunFrame();
        MakeSoundFrame();
    }
}

void Start() {
    ASSERT_EQ(InitMachine(256), nullptr);
    ASSERT_EQ(LoadCartridge(testing::CartridgePath("busy").c_str()), nullptr);
    Play(40);
}

// The demo as it was built when the first format was current, a state the player saved
// from it after 200 frames, and the 120 frames after that: picture by picture and the sound
// of all of them so far. These files never change.
TEST(SaveStateFormats, AFirstFormatStatePlaysOnExactlyAsItDidWhenSaved) {
    const std::string dir = std::string(PLEXARO_SOURCE_DIR) + "/tests/machine/states/";
    const Bytes old = ReadFile(dir + "demo-v1.state");
    std::ifstream hashes(dir + "demo-v1.hashes");
    ASSERT_EQ(old.size(), 49289u);
    ASSERT_TRUE(hashes.good());
    ASSERT_EQ(InitMachine(256), nullptr);
    ASSERT_EQ(LoadCartridge((dir + "demo-v1.sg").c_str()), nullptr);
    SelectRgbMode(1);
    uint64_t frame = 0;
    ASSERT_EQ(LoadMachineState(old.data(), old.size(), &frame), nullptr);
    EXPECT_EQ(frame, 200u);

    // Loaded, the console saves as the same parts with headers around them. A part that has
    // grown since keeps the first format's fields first, and what it added starts at zero
    // (the sound chip's section: the next frame begins on a whole sample).
    const Bytes now = Save(frame);
    Bytes bodies(now.begin(), now.begin() + HeaderSize);
    const struct {
        const char* name;
        uint32_t firstFormatSize;
    } parts[] = {{"CPU ", 37}, {"RAM ", 32768}, {"VDP ", 16401}, {"PSG ", 45}, {"JOYP", 2}};
    for (const auto& part : parts) {
        const Section section = Find(now, part.name);
        ASSERT_GE(section.length, part.firstFormatSize) << part.name;
        const auto kept = now.begin() + section.body() + part.firstFormatSize;
        bodies.insert(bodies.end(), now.begin() + section.body(), kept);
        EXPECT_TRUE(std::all_of(kept, now.begin() + section.end(), [](uint8_t b) {
            return b == 0;
        })) << part.name;
    }
    EXPECT_TRUE(std::equal(bodies.begin() + 16, bodies.end(), old.begin() + 16, old.end() - 4));

    ASSERT_EQ(RecordedRowStride(), 256u);
    uint64_t sound = FnvOffsetBasis;
    uint32_t checked = 0;
    for (std::string line; std::getline(hashes, line);) {
        if (line.empty() || line[0] == '#') continue;
        uint32_t n = 0;
        uint64_t picture = 0, chained = 0;
        ASSERT_EQ(std::sscanf(line.c_str(), "%" SCNu32 " 0x%" SCNx64 " 0x%" SCNx64, &n, &picture,
                              &chained),
                  3)
            << line;
        ASSERT_EQ(n, checked + 1) << line;
        ClearJoypad();
        RunFrame();
        const int16_t* samples = MakeSoundFrame();
        sound = HashWords(sound, reinterpret_cast<const uint16_t*>(samples), SamplesPerFrame);
        EXPECT_EQ(HashWords(FnvOffsetBasis, GetFrameBuffer(), 256 * 192), picture) << "frame " << n;
        EXPECT_EQ(sound, chained) << "frame " << n;
        ++checked;
    }
    EXPECT_EQ(checked, 120u);
    ShutdownMachine();
}

TEST(SaveStateFormats, UnknownSectionsArePassedOverAndKnownOnesFoundInAnyOrder) {
    Start();
    const Bytes good = Save(40);
    // A section of a later build, in any version, between two known ones, and an empty one
    // at the end; and the sound chip's section moved to the front.
    Bytes later = good;
    const Bytes unknown = {'T', 'E', 'S', 'T', 5, 0, 0, 0, 7, 0, 0, 0, 1, 2, 3, 4, 5};
    const Section ram = Find(later, "RAM ");
    later.insert(later.begin() + ram.at, unknown.begin(), unknown.end());
    later.insert(later.end() - 4, unknown.begin(), unknown.begin() + SectionHeaderSize);
    Put32(later, later.size() - 4 - 8, 0);  // its length
    const Section psg = Find(later, "PSG ");
    const Bytes moved(later.begin() + psg.at, later.begin() + psg.end());
    later.erase(later.begin() + psg.at, later.begin() + psg.end());
    later.insert(later.begin() + HeaderSize, moved.begin(), moved.end());
    later = Resealed(later);

    Play(20);
    ASSERT_NE(Save(40), good);
    uint64_t frame = 0;
    ASSERT_EQ(LoadMachineState(later.data(), later.size(), &frame), nullptr);
    EXPECT_EQ(frame, 40u);
    EXPECT_EQ(Save(40), good);
    ShutdownMachine();
}

TEST(SaveStateFormats, ACutShortOrNewerSectionIsRefusedAndChangesNothing) {
    Start();
    const Bytes good = Save(40);
    Play(10);
    const Bytes now = Save(50);

    Bytes pastTheEnd = good;  // the last section's length one more than the bytes left
    Put32(pastTheEnd, Find(good, "JOYP").at + 4, 3);
    Bytes huge = good;
    Put32(huge, Find(good, "RAM ").at + 4, 0xFFFFFFFFu);
    // Ends inside a section's header.
    Bytes cut(good.begin(), good.begin() + Find(good, "JOYP").at + 6);
    cut.resize(cut.size() + 4);
    Bytes newer = good;
    Put32(newer, Find(good, "VDP ").at + 8, 2);
    const struct {
        Bytes bytes;
        const char* error;
    } cases[] = {
        {Resealed(pastTheEnd), "the save state is truncated"},
        {Resealed(huge), "the save state is truncated"},
        {Resealed(cut), "the save state is truncated"},
        {Resealed(newer), "the save state was made by a newer Plexaro"},
    };
    for (const auto& c : cases) {
        EXPECT_STREQ(LoadMachineState(c.bytes.data(), c.bytes.size(), nullptr), c.error);
        EXPECT_EQ(Save(50), now) << c.error;
    }
    ShutdownMachine();
}

// A state without the sound chip's and the joypad's sections, and with a video chip section
// from before the fields after the address were added: those start as at power-on.
TEST(SaveStateFormats, WhatAStateLacksStartsAsAtPowerOn) {
    Start();
    const Bytes good = Save(40);
    Bytes lacking = Without(Without(good, "PSG "), "JOYP");
    const Section vdp = Find(lacking, "VDP ");
    constexpr uint32_t AfterAddress = 7;
    Put32(lacking, vdp.at + 4, vdp.length - AfterAddress);
    lacking.erase(lacking.begin() + vdp.end() - AfterAddress, lacking.begin() + vdp.end());
    lacking = Resealed(lacking);

    // The sound chip as PsgInit leaves it (keeping the noise feedback of the running chip,
    // as PsgInit does), and nothing pressed.
    Play(10);
    PsgInit(0, ConsoleClockHz, SampleRate);
    ClearJoypad();  // neither player's controls held
    const Bytes powerOn = Save(40);
    Bytes expected = good;
    for (const char* name : {"PSG ", "JOYP"}) {
        const Section was = Find(good, name), is = Find(powerOn, name);
        EXPECT_FALSE(std::equal(good.begin() + was.body(), good.begin() + was.end(),
                                powerOn.begin() + is.body()))
            << name << " already at power-on: the test would prove nothing";
        std::copy(powerOn.begin() + is.body(), powerOn.begin() + is.end(),
                  expected.begin() + was.body());
    }
    // Text mode, simple behaviour, and all the port's state clear.
    const Section video = Find(good, "VDP ");
    std::fill(expected.begin() + video.end() - AfterAddress, expected.begin() + video.end(), 0);
    expected = Resealed(expected);

    ASSERT_EQ(LoadMachineState(lacking.data(), lacking.size(), nullptr), nullptr);
    EXPECT_EQ(Save(40), expected);
    ShutdownMachine();
}

// A state without the CPU, RAM and board sections: the registers as the CPU powers up, the RAM
// clear (busy.sg has nothing above 0x8000 to put there) and the flat board of the states from
// before boards, where the running console had the 8 KB cartridge RAM board.
TEST(SaveStateFormats, WithoutItsCpuRamAndBoardAStateStartsThemAsAtPowerOn) {
    SelectBoard(BoardRam8k);
    Start();
    const Bytes lacking = Resealed(Without(Without(Without(Save(40), "CPU "), "RAM "), "BORD"));
    ASSERT_EQ(LoadMachineState(lacking.data(), lacking.size(), nullptr), nullptr);
    SelectBoard(BoardAuto);

    for (uint32_t reg = z80::RegAF; reg <= z80::RegIrqLine; ++reg) {
        const uint32_t powerOn = reg == z80::RegAF                        ? 0x0040  // Z set
                                 : reg == z80::RegIX || reg == z80::RegIY ? 0xFFFF
                                                                          : 0;
        EXPECT_EQ(z80::GetRegister(reg), powerOn) << "register " << reg;
    }
    for (uint32_t address = 0x8000; address <= 0xFFFF; ++address) {
        ASSERT_EQ(PeekConsole(address), 0) << std::hex << address;
    }
    const BoardPages pages = CurrentPages();
    EXPECT_EQ(pages.board, BoardFlat);
    EXPECT_FALSE(pages.consoleRam1k);
    EXPECT_TRUE(ConsoleRamAt(0xA000));  // the flat board's RAM, not the 8 KB board's ROM
    ShutdownMachine();
}

// The CPU section's fields as the core can hold them: flags of one bit, R's two parts, three
// interrupt modes, and response cycles owed within the core's limit. A value past any of them
// (a damaged file, or a peer's bytes handed to the core) is refused and changes nothing; the
// limits themselves load and run.
TEST(SaveStateFormats, ACpuSectionTheCoreCanNotHoldIsRefused) {
    Start();
    const Bytes good = Save(40);
    const size_t body = Find(good, "CPU ").body();
    constexpr size_t Iff1 = 24, Iff2 = 25, R = 27, RHigh = 28, Im = 29, IrqLine = 32, Pending = 33;
    const auto with = [&](size_t at, uint32_t value, size_t bytes = 1) {
        Bytes edited = good;
        for (size_t i = 0; i < bytes; ++i)
            edited[body + at + i] = static_cast<uint8_t>(value >> 8 * i);
        return Resealed(edited);
    };
    const uint32_t limit = z80::PendingCyclesLimit;
    const Bytes refused[] = {
        with(Iff1, 2),
        with(Iff2, 0x80),
        with(R, 0x80),
        with(RHigh, 0x01),
        with(Im, 3),
        with(IrqLine, 2),
        with(Pending, 0x7FFFFF00u, 4),
        with(Pending, 0x80000000u, 4),
        with(Pending, limit + 1, 4),
        with(Pending, 0u - limit - 1, 4),
    };
    Play(10);
    const Bytes now = Save(50);
    for (const Bytes& state : refused) {
        EXPECT_STREQ(LoadMachineState(state.data(), state.size(), nullptr),
                     "the save state holds a CPU state that can't be");
        EXPECT_TRUE(Save(50) == now) << "the machine changed";
    }
    for (uint32_t pending : {limit, 0u - limit}) {
        const Bytes edge = with(Pending, pending, 4);
        ASSERT_EQ(LoadMachineState(edge.data(), edge.size(), nullptr), nullptr);
        for (uint32_t behaviour : {0u, 1u}) {
            SelectVideoBehaviour(behaviour);
            Play(2);
        }
    }
    SelectVideoBehaviour(0);
    ShutdownMachine();
}

}  // namespace
}  // namespace plexaro
