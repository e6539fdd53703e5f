// Heap use of the machine, seen through a replaced global operator new: frames allocate
// nothing, loads give back what the load before them took, and a console memory that
// can't be had fails the load that needed it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <new>

#include "machine/machine.h"
#include "machine/snapshot.h"
#include "tests/machine/test_cartridges.h"

// Our operator delete hands blocks from our operator new back to free(); once both are
// inlined GCC takes the pair for a new/free mismatch.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

namespace {

struct HeapCounters {
    bool counting;
    size_t allocations;  // while counting
    long live;           // blocks not yet given back
    bool failNextNothrow;
};

HeapCounters heap = {};

void* Allocate(size_t size) {
    if (heap.counting) ++heap.allocations;
    ++heap.live;
    return std::malloc(size == 0 ? 1 : size);
}

void Release(void* block) {
    if (block == nullptr) return;
    --heap.live;
    std::free(block);
}

void* AllocateOrFail(size_t size) {
    if (heap.failNextNothrow) {
        heap.failNextNothrow = false;
        return nullptr;
    }
    return Allocate(size);
}

}  // namespace

void* operator new(size_t size) {
    if (void* block = Allocate(size)) return block;
    throw std::bad_alloc();
}
void* operator new[](size_t size) {
    return operator new(size);
}
void* operator new(size_t size, const std::nothrow_t&) noexcept {
    return AllocateOrFail(size);
}
void* operator new[](size_t size, const std::nothrow_t&) noexcept {
    return AllocateOrFail(size);
}
void operator delete(void* block) noexcept {
    Release(block);
}
void operator delete[](void* block) noexcept {
    Release(block);
}
void operator delete(void* block, size_t) noexcept {
    Release(block);
}
void operator delete[](void* block, size_t) noexcept {
    Release(block);
}

namespace plexaro {
namespace {

using testing::CartridgePath;

TEST(MachineHeap, RunningFramesAllocatesNothing) {
    ASSERT_EQ(InitMachine(256), nullptr);
    ASSERT_EQ(LoadCartridge(CartridgePath("busy").c_str()), nullptr);
    RunFrame();
    heap.counting = true;
    for (int frame = 0; frame < 600; ++frame) {
        ClearJoypad();
        PressJoypad(frame % 6);
        if (frame % 100 == 0) PressPauseButton();
        RunFrame();
        MakeSoundFrame();
        GetFrameBuffer();
    }
    heap.counting = false;
    EXPECT_EQ(heap.allocations, 0u);
    // The cartridge counts frames in its interrupt handler, once it has spent its first ten
    // or so filling video memory: it really ran.
    const uint8_t* ram = ConsoleMemory();
    EXPECT_GT(ram[0xC000] | ram[0xC001] << 8, 550);
}

// Run-ahead's pass: a frame of play, two more run ahead, the machine put back; in both
// behaviours, whose sound frames differ.
TEST(MachineHeap, RunningAheadAllocatesNothing) {
    for (uint32_t hardware : {0u, 1u}) {
        SelectVideoBehaviour(hardware);
        ASSERT_EQ(InitMachine(256), nullptr);
        ASSERT_EQ(LoadCartridge(CartridgePath("busy").c_str()), nullptr);
        RunFrame();
        heap.counting = true;
        for (int frame = 0; frame < 300; ++frame) {
            ClearJoypad();
            PressJoypad(frame % 6);
            RunFrame();
            MakeSoundFrame();
            TakeMachineSnapshot();
            RunFrame();
            RunFrame();
            EXPECT_TRUE(RestoreMachineSnapshot());
        }
        heap.counting = false;
        EXPECT_EQ(heap.allocations, 0u);
    }
    SelectVideoBehaviour(0);
}

TEST(MachineHeap, LoadsAndInitialisationsGiveBackWhatTheyReplace) {
    ASSERT_EQ(InitMachine(256), nullptr);
    ASSERT_EQ(LoadCartridge(CartridgePath("busy").c_str()), nullptr);
    const long live = heap.live;
    for (int i = 0; i < 20; ++i) {
        ASSERT_EQ(LoadCartridge(CartridgePath(i % 2 ? "busy" : "irq").c_str()), nullptr);
        ASSERT_EQ(InitMachine(256), nullptr);
    }
    EXPECT_EQ(heap.live, live);
    ShutdownMachine();
    EXPECT_LT(heap.live, live);
}

TEST(MachineHeap, ConsoleMemoryThatCantBeHadFailsTheLoad) {
    ASSERT_EQ(InitMachine(256), nullptr);
    ASSERT_EQ(LoadCartridge(CartridgePath("bus").c_str()), nullptr);
    RunFrame();
    const std::vector<uint8_t> running = testing::ReadBytes(CartridgePath("bus"));

    heap.failNextNothrow = true;
    const char* result = LoadCartridge(CartridgePath("irq").c_str());
    heap.failNextNothrow = false;
    ASSERT_NE(result, nullptr);
    EXPECT_STREQ(result, "Can't allocate memory for the Z80 core");
    // The running cartridge carries on, and a reset restarts it, not the one that failed.
    EXPECT_EQ(std::memcmp(RomImage(), running.data(), running.size()), 0);
    EXPECT_EQ(ConsoleMemory()[0xC001], 0x55);
    ResetMachine();
    EXPECT_EQ(std::memcmp(ConsoleMemory(), running.data(), running.size()), 0);
    RunFrame();
    EXPECT_EQ(ConsoleMemory()[0xC001], 0x55);

    EXPECT_EQ(InitMachine(256), nullptr);  // and nothing is stuck
}

}  // namespace
}  // namespace plexaro
