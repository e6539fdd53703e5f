// Port numbers and the block I/O forms, and what handlers may do to the Run that called
// them: stop it, end it, lengthen it, interrupt it.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "tests/cpu/z80_test_machine.h"

namespace plexaro {
namespace {

using test::memory;
using test::PC;
using test::Poke;
using test::PushedF;
using test::Reg;
using test::SP;
using test::StackTop;
using test::Word;

using PortLog = std::vector<std::pair<uint32_t, uint32_t>>;
PortLog outs;
std::vector<uint32_t> inPorts;
uint32_t inValue;

void LogOut(uint32_t port, uint32_t value) {
    outs.emplace_back(port, value);
}
uint32_t LogIn(uint32_t port) {
    inPorts.push_back(port);
    return inValue;
}

void BootWithPorts(std::initializer_list<uint8_t> program) {
    test::Boot(program);
    z80::SetOutHandler(LogOut);
    z80::SetInHandler(LogIn);
    outs.clear();
    inPorts.clear();
    inValue = 0xFF;
}

TEST(Ports, ImmediateFormsPassATogetherWithN) {
    BootWithPorts({
        0x3E,
        0x12,  // LD A,0x12
        0xD3,
        0x7F,  // OUT (0x7F),A
        0x3E,
        0x56,  // LD A,0x56
        0xDB,
        0x34,  // IN A,(0x34)
        0x76,
    });
    inValue = 0x1AB;
    z80::Run(1000);
    EXPECT_EQ(outs, (PortLog{{0x127F, 0x12}}));
    EXPECT_EQ(inPorts, (std::vector<uint32_t>{0x5634}));
    EXPECT_EQ(test::A(), 0xABu);
}

TEST(Ports, RegisterFormsPassBC) {
    BootWithPorts({
        0xED,
        0x59,  // OUT (C),E
        0xED,
        0x71,  // OUT (C),0
        0x37,  // SCF
        0xED,
        0x50,  // IN D,(C)
        0xF5,  // PUSH AF
        0x76,
    });
    z80::SetRegister(z80::RegBC, 0x1234);
    z80::SetRegister(z80::RegDE, 0xFF9A);
    inValue = 0x00;
    z80::Run(1000);
    EXPECT_EQ(outs, (PortLog{{0x1234, 0x9A}, {0x1234, 0x00}}));
    EXPECT_EQ(inPorts, (std::vector<uint32_t>{0x1234}));
    EXPECT_EQ(Reg(z80::RegDE), 0x009Au);
    EXPECT_EQ(PushedF(), test::FlagZ | test::FlagPV | test::FlagC);  // parity of 0 is even
}

TEST(Ports, BlockFormsPassCAlone) {
    BootWithPorts({0xED, 0xB3, 0xED, 0xB2, 0x76});  // OTIR; INIR
    Poke(0x9000, {1, 2, 3});
    z80::SetRegister(z80::RegBC, 0x037F);
    z80::SetRegister(z80::RegHL, 0x9000);
    inValue = 0x44;
    z80::Run(100000);
    EXPECT_EQ(outs, (PortLog{{0x007F, 1}, {0x007F, 2}, {0x007F, 3}}));
    // INIR ran with B = 0, so 256 times.
    ASSERT_EQ(inPorts.size(), 256u);
    EXPECT_EQ(inPorts.front(), 0x007Fu);
    EXPECT_EQ(memory[0x9003], 0x44);
    EXPECT_EQ(memory[0x9102], 0x44);
    EXPECT_EQ(memory[0x9103], 0x00);
}

// H and C come from the byte plus (C + 1), or (C - 1) for IND alone; with C = 1 and the
// byte 0xFF that is a carry for every form but IND. The unmapped input gives the 0xFF.
TEST(BlockIo, HalfCarryAndCarryFromTheByteAndRegisterC) {
    constexpr uint32_t last = test::FlagZ | test::FlagPV | test::FlagN;  // B = 0, bit 7 set
    constexpr uint32_t carry = test::FlagH | test::FlagC;
    const struct {
        uint8_t opcode;
        uint32_t flags;
    } cases[] = {
        {0xA2, last | carry},  // INI
        {0xAA, last},          // IND
        {0xBA, last | carry},  // INDR
        {0xAB, last | carry},  // OUTD
    };
    for (const auto& c : cases) {
        test::Boot({0xED, c.opcode, 0xF5, 0x76});
        memory[0x9000] = 0xFF;
        z80::SetRegister(z80::RegBC, 0x0101);
        z80::SetRegister(z80::RegHL, 0x9000);
        z80::Run(1000);
        EXPECT_EQ(PushedF(), c.flags) << "ED " << std::hex << int(c.opcode);
    }
}

TEST(BlockIo, OtirFlagsWhenDoneAndWhenSuspended) {
    test::Boot({0xED, 0xB3, 0xF5, 0x76});  // OTIR; PUSH AF
    Poke(0x9000, {0x10, 0x90});
    z80::SetRegister(z80::RegBC, 0x027F);
    z80::SetRegister(z80::RegHL, 0x9000);
    z80::Run(1000);
    // 0x90 + 0x80 carries; N is bit 7 of 0x90; B = 0.
    EXPECT_EQ(PushedF(), test::FlagZ | test::FlagPV | test::FlagH | test::FlagN | test::FlagC);

    test::Boot({0xED, 0xB3});
    memory[0x9000] = 0x90;
    z80::SetRegister(z80::RegBC, 0x297F);
    z80::SetRegister(z80::RegHL, 0x9000);
    EXPECT_EQ(z80::Run(0), 21u);
    EXPECT_EQ(PC(), 0u);
    EXPECT_EQ(Reg(z80::RegBC), 0x287Fu);
    // S from bit 7 of B, Z and P/V clear; bits 3 and 5 are not reported here.
    EXPECT_EQ(Reg(z80::RegAF) & 0xD7, test::FlagH | test::FlagN | test::FlagC);
}

int32_t stopRunResult;
uint32_t elapsedBefore, elapsedAfter;

void StopOut(uint32_t, uint32_t) {
    stopRunResult = z80::StopRun();
}
void SkipOut(uint32_t, uint32_t) {
    z80::SkipRemainingCycles();
}
void WaitOut(uint32_t, uint32_t) {
    elapsedBefore = z80::ElapsedCycles();
    z80::AddWaitCycles(5);
    elapsedAfter = z80::ElapsedCycles();
}
void IrqOut(uint32_t, uint32_t) {
    z80::RaiseIrq(0xFF);
}
void NmiOut(uint32_t, uint32_t) {
    z80::TriggerNmi();
}

// Three NOPs (12 cycles), then OUT (0x10),A (11), then NOPs.
constexpr std::initializer_list<uint8_t> OutAfterThreeNops = {0x00, 0x00, 0x00, 0xD3, 0x10};

TEST(HandlerCalls, StopRunChargesOnlyWhatRan) {
    test::Boot(OutAfterThreeNops);
    z80::SetOutHandler(StopOut);
    EXPECT_EQ(z80::Run(1000), 23u);
    EXPECT_EQ(stopRunResult, 988);  // the OUT is charged after its handler returns
    EXPECT_EQ(PC(), 5u);
    EXPECT_EQ(z80::Run(8), 8u);
    EXPECT_EQ(PC(), 7u);
}

TEST(HandlerCalls, SkipRemainingCyclesCountsTheWholeBudget) {
    test::Boot(OutAfterThreeNops);
    z80::SetOutHandler(SkipOut);
    EXPECT_EQ(z80::Run(1000), 1011u);
    EXPECT_EQ(PC(), 5u);
}

TEST(HandlerCalls, AddWaitCyclesLengthensTheCountButNotTheBudget) {
    test::Boot(OutAfterThreeNops);
    z80::SetOutHandler(WaitOut);
    EXPECT_EQ(z80::Run(1000), 1008u);  // 245 NOPs after the OUT, overshoot 3, plus 5
    EXPECT_EQ(elapsedBefore, 12u);
    EXPECT_EQ(elapsedAfter, 17u);
    EXPECT_EQ(PC(), 250u);
}

TEST(HandlerCalls, ElapsedCyclesInsideTheEiWindowCountsWhatRan) {
    test::Boot({0x00, 0xFB, 0xD3, 0x10});  // NOP; EI; OUT (0x10),A
    z80::SetOutHandler(WaitOut);
    z80::Run(1000);
    EXPECT_EQ(elapsedBefore, 8u);  // the NOP and the EI, as outside a window
    EXPECT_EQ(elapsedAfter, 13u);
}

TEST(HandlerCalls, InterruptsRaisedByAnOutHandlerFollowTheOut) {
    test::Boot({0xFB, 0x00, 0xD3, 0x10, 0x00});  // EI; NOP; OUT (0x10),A
    memory[0x0038] = 0x76;
    z80::SetRegister(z80::RegIM, 1);
    z80::SetOutHandler(IrqOut);
    // 19 cycles to the end of the OUT and the 13 of the response, inside this run; then the
    // HALT ends it...
    EXPECT_EQ(z80::Run(1000), 1004u);
    EXPECT_EQ(PC(), 0x0038u);
    EXPECT_EQ(SP(), StackTop - 2);
    EXPECT_EQ(Word(SP()), 0x0004u);
    // ...and nothing is left owing to the next one.
    EXPECT_EQ(z80::Run(0), 4u);

    test::Boot({0xD3, 0x10, 0x00});
    memory[0x0066] = 0x76;
    z80::SetOutHandler(NmiOut);
    z80::Run(1000);
    EXPECT_EQ(PC(), 0x0066u);
    EXPECT_EQ(Word(SP()), 0x0002u);
}

int retiCalls;
void CountReti() {
    ++retiCalls;
}

TEST(HandlerCalls, RetiCallsItsHookAndRetnDoesNot) {
    test::Boot({0xED, 0x4D});  // RETI
    z80::SetRetiHandler(CountReti);
    Poke(StackTop, {0x10, 0x00});
    memory[0x0010] = 0x76;
    z80::SetRegister(z80::RegIFF2, 1);
    retiCalls = 0;
    z80::Run(100);
    EXPECT_EQ(retiCalls, 1);
    EXPECT_EQ(PC(), 0x0010u);
    EXPECT_EQ(Reg(z80::RegIFF1), 1u);

    test::Boot({0xED, 0x45});  // RETN
    z80::SetRetiHandler(CountReti);
    Poke(StackTop, {0x10, 0x00});
    memory[0x0010] = 0x76;
    z80::Run(100);
    EXPECT_EQ(retiCalls, 1);
    EXPECT_EQ(PC(), 0x0010u);
}

namespace irq_from_memory {

uint32_t raiseAt;  // the handled address whose write asks for the interrupt
void RaisingWrite(uint32_t address, uint32_t value) {
    test::memory[address] = static_cast<uint8_t>(value);
    if (address == raiseAt) z80::RaiseIrq(0xFF);
}

// Flat memory, but writes to 0x9000-0x90FF go through RaisingWrite.
void Boot(std::initializer_list<uint8_t> program) {
    test::Boot(program);
    z80::BeginMemoryMap();
    z80::MapFetch(0x0000, 0xFFFF, test::memory);
    z80::MapRead(0x0000, 0xFFFF, z80::MapDirect, z80::RegionData{.memory = test::memory});
    z80::MapWrite(0x0000, 0x8FFF, z80::MapDirect, z80::RegionData{.memory = test::memory});
    z80::MapWrite(0x9000, 0x90FF, z80::MapHandled, z80::RegionData{.write = RaisingWrite});
    z80::MapWrite(0x9100, 0xFFFF, z80::MapDirect, z80::RegionData{.memory = test::memory + 0x9100});
    z80::EndMemoryMap();
    z80::SetRegister(z80::RegIM, 1);
    test::memory[0x0038] = 0x76;  // HALT where the interrupt lands
}

}  // namespace irq_from_memory

TEST(HandlerCalls, InterruptsRaisedByAMemoryHandlerFollowTheInstruction) {
    using namespace irq_from_memory;
    // EI; LD HL,0x1000; LD DE,0x9000; LD BC,5; LDIR; HALT. The third byte's write asks: the
    // interrupt comes between two steps of the LDIR, which resumes where it stopped.
    raiseAt = 0x9002;
    Boot({0xFB, 0x21, 0x00, 0x10, 0x11, 0x00, 0x90, 0x01, 0x05, 0x00, 0xED, 0xB0, 0x76});
    z80::Run(1000);
    EXPECT_EQ(PC(), 0x0038u);
    EXPECT_EQ(Word(SP()), 0x000Au);  // the LDIR itself
    EXPECT_EQ(Reg(z80::RegBC), 2u);
    EXPECT_EQ(Reg(z80::RegDE), 0x9003u);

    // EI; LD (0x9000),A; NOP: asked during the one instruction after EI, answered after it.
    raiseAt = 0x9000;
    Boot({0xFB, 0x32, 0x00, 0x90, 0x00, 0x76});
    z80::Run(1000);
    EXPECT_EQ(PC(), 0x0038u);
    EXPECT_EQ(Word(SP()), 0x0004u);
}

}  // namespace
}  // namespace plexaro
