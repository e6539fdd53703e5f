// The memory map: direct and handled pages, partial pages through the region dispatcher,
// the catch-all, and the defaults that BeginMemoryMap installs.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "tests/cpu/z80_test_machine.h"

namespace plexaro {
namespace {

using test::memory;
using test::Poke;

// Every map in this file fetches from `memory`, so that the probe programs below run
// whatever the read and write maps do.
void BeginWithFetch() {
    std::memset(memory, 0, sizeof memory);
    z80::BeginMemoryMap();
    z80::MapFetch(0x0000, 0xFFFF, memory);
}

void Finish() {
    z80::EndMemoryMap();
    z80::Reset();
}

// LD A,(nn); HALT.
uint32_t ReadVia(uint32_t address) {
    Poke(0, {0x3A, uint8_t(address), uint8_t(address >> 8), 0x76});
    z80::SetRegister(z80::RegPC, 0);
    z80::Run(100);
    return test::A();
}

// LD A,n; LD (nn),A; HALT.
void WriteVia(uint32_t address, uint8_t value) {
    Poke(0, {0x3E, value, 0x32, uint8_t(address), uint8_t(address >> 8), 0x76});
    z80::SetRegister(z80::RegPC, 0);
    z80::Run(100);
}

std::vector<uint32_t> readAddresses;
std::vector<std::pair<uint32_t, uint32_t>> writes;

uint32_t LoggingRead(uint32_t address) {
    readAddresses.push_back(address);
    return 0xAB00 | (address & 0xFF);  // only the low byte may count
}
void LoggingWrite(uint32_t address, uint32_t value) {
    writes.emplace_back(address, value);
}

bool outCalled, retiCalled;
void StrayOut(uint32_t, uint32_t) {
    outCalled = true;
}
uint32_t StrayIn(uint32_t) {
    return 0x00;
}
void StrayReti() {
    retiCalled = true;
}

TEST(MemoryMap, EmptyMapReadsFFDropsWritesAndStillFetches) {
    BeginWithFetch();
    memory[0x9000] = 0x12;
    Finish();
    EXPECT_EQ(ReadVia(0x9000), 0xFFu);
    EXPECT_EQ(ReadVia(0x0000), 0xFFu);  // even the program's own bytes
    WriteVia(0x9000, 0x34);
    EXPECT_EQ(memory[0x9000], 0x12);
}

TEST(MemoryMap, BeginMemoryMapUninstallsPortHandlersAndTheRetiHook) {
    z80::SetOutHandler(StrayOut);
    z80::SetInHandler(StrayIn);
    z80::SetRetiHandler(StrayReti);
    // clang-format off
    // clang-format off
    test::Boot({
        0xDB, 0x10,  // IN A,(0x10)
        0xD3, 0x10,  // OUT (0x10),A
        0xED, 0x4D,  // RETI, to the HALT at 0x000A
    });
    // clang-format on
    // clang-format on
    Poke(test::StackTop, {0x0A, 0x00});
    Poke(0x000A, {0x76});
    outCalled = retiCalled = false;
    z80::Run(1000);
    EXPECT_EQ(test::A(), 0xFFu);
    EXPECT_FALSE(outCalled);
    EXPECT_FALSE(retiCalled);
    EXPECT_EQ(test::PC(), 0x000Au);
}

TEST(MemoryMap, PartialPagesGoThroughTheRegionList) {
    static uint8_t region[0x1080];
    for (uint32_t i = 0; i < sizeof region; ++i) region[i] = uint8_t(i * 7 + 1);
    BeginWithFetch();
    z80::MapRead(0x1080, 0x20FF, z80::MapDirect, {.memory = region});
    z80::MapWrite(0x1080, 0x20FF, z80::MapDirect, {.memory = region});
    Finish();

    EXPECT_EQ(ReadVia(0x1080), region[0]);       // dispatched page 0x10
    EXPECT_EQ(ReadVia(0x1100), region[0x80]);    // first whole page
    EXPECT_EQ(ReadVia(0x20FF), region[0x107F]);  // last byte
    EXPECT_EQ(ReadVia(0x107F), 0xFFu);           // same page, left to the catch-all
    EXPECT_EQ(ReadVia(0x2100), 0xFFu);
    WriteVia(0x1081, 0x99);
    WriteVia(0x2000, 0x98);
    EXPECT_EQ(region[0x01], 0x99);
    EXPECT_EQ(region[0xF80], 0x98);
}

TEST(MemoryMap, FirstRegionWinsAPartialPageAndLaterOnesOverwriteWholePages) {
    static uint8_t first[0x200], second[0x200];
    std::memset(first, 0x11, sizeof first);
    std::memset(second, 0x22, sizeof second);
    BeginWithFetch();
    z80::MapRead(0x3010, 0x30FF, z80::MapDirect, {.memory = first});
    z80::MapRead(0x3008, 0x30FF, z80::MapDirect, {.memory = second});
    z80::MapRead(0x4000, 0x40FF, z80::MapDirect, {.memory = first});
    z80::MapRead(0x4000, 0x40FF, z80::MapDirect, {.memory = second});
    z80::MapRead(0x5080, 0x51FF, z80::MapDirect, {.memory = first});
    z80::MapRead(0x5000, 0x51FF, z80::MapDirect, {.memory = second});
    Finish();

    EXPECT_EQ(ReadVia(0x3010), 0x11u);
    EXPECT_EQ(ReadVia(0x300F), 0x22u);
    EXPECT_EQ(ReadVia(0x4000), 0x22u);
    // Both of the second region's pages are whole, so they replace the first's dispatcher.
    EXPECT_EQ(ReadVia(0x5080), 0x22u);
    EXPECT_EQ(ReadVia(0x5100), 0x22u);
}

TEST(MemoryMap, HandledRegionsReceiveTheFullAddress) {
    BeginWithFetch();
    z80::MapRead(0x6000, 0x60FF, z80::MapHandled, {.read = LoggingRead});
    z80::MapRead(0x7010, 0x701F, z80::MapHandled, {.read = LoggingRead});
    z80::MapWrite(0x6000, 0x60FF, z80::MapHandled, {.write = LoggingWrite});
    z80::MapWrite(0x7010, 0x701F, z80::MapHandled, {.write = LoggingWrite});
    Finish();
    readAddresses.clear();
    writes.clear();

    EXPECT_EQ(ReadVia(0x6034), 0x34u);
    EXPECT_EQ(ReadVia(0x7015), 0x15u);
    EXPECT_EQ(ReadVia(0x7020), 0xFFu);
    WriteVia(0x6077, 0x5A);
    WriteVia(0x701F, 0xA5);
    EXPECT_EQ(readAddresses, (std::vector<uint32_t>{0x6034, 0x7015}));
    EXPECT_EQ(writes, (std::vector<std::pair<uint32_t, uint32_t>>{{0x6077, 0x5A}, {0x701F, 0xA5}}));
}

TEST(MemoryMap, WholePageOperationsRoundUnalignedBoundsInward) {
    static uint8_t pages[0x300], tail[0x200], written[0x100];
    std::memset(pages, 0x42, sizeof pages);
    for (uint32_t i = 0; i < sizeof tail; ++i) tail[i] = uint8_t(i ^ 0x5A);
    std::memset(written, 0, sizeof written);
    BeginWithFetch();
    z80::MapReadPages(0x1080, 0x12FF, pages);
    z80::MapReadPages(0x2000, 0x217F, tail);
    z80::MapWritePages(0x3000, 0x30FF, written);
    Finish();

    EXPECT_EQ(ReadVia(0x10FF), 0xFFu);
    EXPECT_EQ(ReadVia(0x1100), 0x42u);
    EXPECT_EQ(ReadVia(0x12FF), 0x42u);
    EXPECT_EQ(ReadVia(0x2000), tail[0x00]);
    EXPECT_EQ(ReadVia(0x20FF), tail[0xFF]);
    EXPECT_EQ(ReadVia(0x2100), 0xFFu);
    WriteVia(0x3005, 0x77);
    EXPECT_EQ(written[5], 0x77);
    EXPECT_EQ(ReadVia(0x3005), 0xFFu);  // write pages give no read access
}

TEST(MemoryMap, RegionsBeyondTheSixtyThirdAreIgnored) {
    static uint8_t late[0x100];
    std::memset(late, 0x33, sizeof late);
    BeginWithFetch();
    for (uint32_t i = 0; i < 63; ++i) {
        z80::MapRead(0x8000 + i, 0x8000 + i, z80::MapHandled, {.read = LoggingRead});
        z80::MapWrite(0x8000 + i, 0x8000 + i, z80::MapHandled, {.write = LoggingWrite});
    }
    z80::MapRead(0x9000, 0x90FF, z80::MapDirect, {.memory = late});
    z80::MapRead(0x8040, 0x8040, z80::MapDirect, {.memory = late});
    z80::MapWrite(0x9000, 0x90FF, z80::MapDirect, {.memory = late});
    Finish();
    writes.clear();

    EXPECT_EQ(ReadVia(0x803E), 0x3Eu);  // the 63rd region
    EXPECT_EQ(ReadVia(0x803F), 0xFFu);  // the catch-all still closes the list
    EXPECT_EQ(ReadVia(0x8040), 0xFFu);
    EXPECT_EQ(ReadVia(0x9000), 0xFFu);
    WriteVia(0x9000, 0x44);
    EXPECT_EQ(late[0], 0x33);
    EXPECT_TRUE(writes.empty());
}

TEST(MemoryMap, UnknownMethodsServeTheUnmappedHandlers) {
    static uint8_t data[0x100], other[0x100];
    std::memset(data, 0x55, sizeof data);
    std::memset(other, 0x66, sizeof other);
    BeginWithFetch();
    z80::MapRead(0xA000, 0xA0FF, 7, {.memory = data});
    z80::MapRead(0xB010, 0xB01F, 2, {.memory = data});
    z80::MapRead(0xB008, 0xB0FF, z80::MapDirect, {.memory = other});
    z80::MapWrite(0xA000, 0xA0FF, 0xFFFFFFFF, {.memory = data});
    Finish();

    EXPECT_EQ(ReadVia(0xA000), 0xFFu);
    EXPECT_EQ(ReadVia(0xB010), 0xFFu);  // matched first, so the later region is not reached
    EXPECT_EQ(ReadVia(0xB008), 0x66u);
    WriteVia(0xA000, 0x01);
    EXPECT_EQ(data[0], 0x55);
}

TEST(MemoryMap, WordAccessesGoLowByteFirstAndPushesHighByteFirst) {
    BeginWithFetch();
    z80::MapWrite(0x7000, 0x70FF, z80::MapHandled, {.write = LoggingWrite});
    Finish();
    // clang-format off
    Poke(0, {
        0x21, 0x34, 0x12,  // LD HL,0x1234
        0x22, 0x10, 0x70,  // LD (0x7010),HL
        0x31, 0x20, 0x70,  // LD SP,0x7020
        0xE5,              // PUSH HL
        0x76,
    });
    // clang-format on
    writes.clear();
    z80::Run(1000);
    EXPECT_EQ(writes, (std::vector<std::pair<uint32_t, uint32_t>>{
                          {0x7010, 0x34}, {0x7011, 0x12}, {0x701F, 0x12}, {0x701E, 0x34}}));
}

TEST(MemoryMap, OperandAddressesWrapAtSixteenBits) {
    test::Boot({0x2A, 0xFF, 0xFF, 0x76});  // LD HL,(0xFFFF); HALT
    memory[0xFFFF] = 0x34;
    z80::Run(100);
    EXPECT_EQ(test::Reg(z80::RegHL), 0x2A34u);  // high byte from 0x0000, the opcode
}

std::vector<std::pair<uint32_t, uint32_t>> seen;
uint8_t bank[0x100];

// A write that remaps its page while the page is watched, as a mapper's register does.
void Remapping(uint32_t, uint32_t) {
    z80::MapReadPages(0x4000, 0x40FF, bank);
}

TEST(MemoryMap, WatchedPagesPassEveryAccessOnAndGoBackAsTheyWere) {
    BeginWithFetch();
    z80::MapReadPages(0x0000, 0xFFFF, memory);
    z80::MapWritePages(0x8000, 0xFFFF, memory + 0x8000);
    z80::MapRead(0x4000, 0x4000, z80::MapHandled, z80::RegionData{.read = &LoggingRead});
    z80::MapWrite(0x7000, 0x7000, z80::MapHandled, z80::RegionData{.write = &Remapping});
    Finish();
    memory[0x8001] = 0x5A;
    uint64_t reads[4] = {};
    uint64_t writes[4] = {};
    for (uint32_t page : {0x40, 0x70, 0x80}) reads[page / 64] |= uint64_t{1} << (page % 64);
    for (uint32_t page : {0x70, 0x80}) writes[page / 64] |= uint64_t{1} << (page % 64);
    seen.clear();
    readAddresses.clear();
    const auto observe = [](uint32_t address, uint32_t value, bool write) {
        seen.emplace_back(address | (write ? 0x10000 : 0), value);
    };
    z80::WatchPages(reads, writes, observe);
    EXPECT_EQ(ReadVia(0x8001), 0x5Au);  // a direct page, read through
    EXPECT_EQ(ReadVia(0x4000), 0x00u);  // a partial page: its handler still answers
    WriteVia(0x8002, 0x77);
    EXPECT_EQ(memory[0x8002], 0x77);
    ASSERT_EQ(readAddresses.size(), 1u);
    const std::vector<std::pair<uint32_t, uint32_t>> expected = {
        {0x8001, 0x5A}, {0x4000, 0x00}, {0x18002, 0x77}};
    EXPECT_EQ(seen, expected);

    WriteVia(0x7000, 1);  // remaps page 0x40 while it is watched
    z80::UnwatchPages();
    bank[0] = 0x99;
    EXPECT_EQ(ReadVia(0x4000), 0x99u);  // the program's new page stays
    seen.clear();
    EXPECT_EQ(ReadVia(0x8001), 0x5Au);
    WriteVia(0x8003, 1);
    EXPECT_TRUE(seen.empty());  // unwatched: nothing passes the observer
}

}  // namespace
}  // namespace plexaro
