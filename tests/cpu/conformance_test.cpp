// Runs the public Z80 instruction test set (tests.in / tests.expected, kept beside the
// repository) on the core through its public interface: one test per case, comparing
// every register, the flip-flops, IM, I, R, memory, port traffic and T-states.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <deque>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "cpu/z80.h"

namespace {

using namespace plexaro;

const std::string DataDir = PLEXARO_SHARED_DIR "/conformance/fuse";

constexpr uint32_t FlagX = 0x08;
constexpr uint32_t FlagY = 0x20;
constexpr uint32_t FlagPV = 0x04;
constexpr uint32_t FlagH = 0x10;
constexpr uint32_t FlagC = 0x01;
constexpr uint32_t FlagS = 0x80;

// Where our core is defined to differ from the data set. `name` is a case name, or a
// prefix of case names when it ends in '*'. Each entry says which F bits are not
// compared, what we expect instead of the file's R, PC and T-states (as differences),
// and the interrupt mode we expect (-1: the file's).
struct Adjustment {
    const char* name;
    uint32_t maskedFlags;
    int32_t extraR;
    int32_t extraPc;
    int32_t extraCycles;
    int32_t im;
    const char* why;
};

constexpr uint32_t FlagsXY = FlagX | FlagY;
constexpr uint32_t BlockOutFlags = FlagPV | FlagH | FlagC;

// clang-format off
constexpr Adjustment Adjustments[] = {
    // name      masked F  R    PC  T   IM  why
    {"cb4*",     FlagsXY,   0,   0,  0, -1, "BIT keeps bits 3 and 5"},
    {"cb5*",     FlagsXY,   0,   0,  0, -1, "BIT keeps bits 3 and 5"},
    {"cb6*",     FlagsXY,   0,   0,  0, -1, "BIT keeps bits 3 and 5"},
    {"cb7*",     FlagsXY,   0,   0,  0, -1, "BIT keeps bits 3 and 5"},
    {"ddcb*",    0,         1,   0,  0, -1, "DD CB: the displacement fetch counts for R"},
    {"fdcb*",    0,         1,   0,  0, -1, "FD CB: the displacement fetch counts for R"},
    {"ddcb4*",   FlagsXY,   0,   0,  0, -1, "BIT keeps bits 3 and 5"},
    {"ddcb5*",   FlagsXY,   0,   0,  0, -1, "BIT keeps bits 3 and 5"},
    {"ddcb6*",   FlagsXY,   0,   0,  0, -1, "BIT keeps bits 3 and 5"},
    {"ddcb7*",   FlagsXY,   0,   0,  0, -1, "BIT keeps bits 3 and 5"},
    {"fdcb4*",   FlagsXY,   0,   0,  0, -1, "BIT keeps bits 3 and 5"},
    {"fdcb5*",   FlagsXY,   0,   0,  0, -1, "BIT keeps bits 3 and 5"},
    {"fdcb6*",   FlagsXY,   0,   0,  0, -1, "BIT keeps bits 3 and 5"},
    {"fdcb7*",   FlagsXY,   0,   0,  0, -1, "BIT keeps bits 3 and 5"},
    {"37_1",     FlagsXY,   0,   0,  0, -1, "SCF takes bits 3 and 5 from A alone"},
    {"3f",       FlagsXY,   0,   0,  0, -1, "CCF takes bits 3 and 5 from A alone"},
    {"dd00",     0,         1,   0,  0, -1, "a DD prefix without effect advances R by 3"},
    {"ddfd00",   0,         2,   0,  0, -1, "two prefixes without effect advance R by 3 each"},
    {"dd64",     0,         0,  -1, -4, -1, "a prefix without effect is its own 4-cycle step; budget 1 ends there"},
    {"dd6d",     0,         0,  -1, -4, -1, "a prefix without effect is its own 4-cycle step; budget 1 ends there"},
    {"fd64",     0,         0,  -1, -4, -1, "a prefix without effect is its own 4-cycle step; budget 1 ends there"},
    {"fd6d",     0,         0,  -1, -4, -1, "a prefix without effect is its own 4-cycle step; budget 1 ends there"},
    {"fb",       0,         1,   1,  4, -1, "EI runs the next instruction (a NOP) in its window"},
    {"ed4e",     0,         0,   0,  0,  1, "ED 4E selects interrupt mode 1"},
    {"ed6e",     0,         0,   0,  0,  1, "ED 6E selects interrupt mode 1"},
    // Block input and output: P/V is the parity of B; k is register C + 1 for OUTI, OUTD
    // and all repeating forms; a repetition ends with Z = P/V = 1 and suspends with
    // S = bit 7 of B, P/V = 0.
    {"eda2*",    FlagPV,        0, 0, 0, -1, "INI flags by our block I/O rules"},
    {"edaa*",    FlagPV,        0, 0, 0, -1, "IND flags by our block I/O rules"},
    {"eda3*",    BlockOutFlags, 0, 0, 0, -1, "OUTI flags by our block I/O rules"},
    {"edab*",    BlockOutFlags, 0, 0, 0, -1, "OUTD flags by our block I/O rules"},
    {"edb2*",    FlagPV,        0, 0, 0, -1, "INIR flags by our block I/O rules"},
    {"edba*",    BlockOutFlags, 0, 0, 0, -1, "INDR flags by our block I/O rules"},
    {"edb3*",    BlockOutFlags, 0, 0, 0, -1, "OTIR flags by our block I/O rules"},
    {"edbb*",    BlockOutFlags, 0, 0, 0, -1, "OTDR flags by our block I/O rules"},
    // One dispatch runs a whole repetition: R advances by 2 for the instruction plus 1
    // per repeating step (LDIR, LDDR, CPIR, CPDR, OTIR, OTDR) or 0 (INIR, INDR), where
    // the data count 2 per step.
    {"edb0",     0,       -15,   0,  0, -1, "LDIR, 16 steps: R + 17, not + 32"},
    {"edb0_1",   0,        -1,   0,  0, -1, "LDIR, 2 steps: R + 3, not + 4"},
    {"edb1",     0,        -3,   0,  0, -1, "CPIR, 4 steps: R + 5, not + 8"},
    {"edb1_1",   0,        -3,   0,  0, -1, "CPIR, 4 steps: R + 5, not + 8"},
    {"edb1_2",   0,         1,   0,  0, -1, "CPIR, 1 repeating step: R + 3, not + 2"},
    {"edb2",     0,       -18,   0,  0, -1, "INIR, 10 steps: R + 2, not + 20"},
    {"edb3",     0,        -2,   0,  0, -1, "OTIR, 3 steps: R + 4, not + 6"},
    {"edb3_1",   0,         1,   0,  0, -1, "OTIR, 1 repeating step: R + 3, not + 2"},
    {"edb8",     0,        -7,   0,  0, -1, "LDDR, 8 steps: R + 9, not + 16"},
    {"edb8_1",   0,        -1,   0,  0, -1, "LDDR, 2 steps: R + 3, not + 4"},
    {"edb9",     0,        -7,   0,  0, -1, "CPDR, 8 steps: R + 9, not + 16"},
    {"edb9_1",   0,        -7,   0,  0, -1, "CPDR, 8 steps: R + 9, not + 16"},
    {"edb9_2",   0,         1,   0,  0, -1, "CPDR, 1 repeating step: R + 3, not + 2"},
    {"edba",     0,       -10,   0,  0, -1, "INDR, 6 steps: R + 2, not + 12"},
    {"edbb",     0,        -3,   0,  0, -1, "OTDR, 4 steps: R + 5, not + 8"},
    {"edbb_1",   0,         1,   0,  0, -1, "OTDR, 1 repeating step: R + 3, not + 2"},
};
// clang-format on

struct PortEvent {
    uint32_t port;
    uint32_t value;
};

struct Registers {
    std::array<uint32_t, 13> words{};  // AF BC DE HL AF' BC' DE' HL' IX IY SP PC MEMPTR
    uint32_t i = 0, r = 0, iff1 = 0, iff2 = 0, im = 0, halted = 0, cycles = 0;
};

struct MemoryBlock {
    uint32_t address;
    std::vector<uint8_t> bytes;
};

struct Case {
    std::string name;
    Registers before;
    std::vector<MemoryBlock> memory;
    Registers after;
    std::vector<PortEvent> reads;
    std::vector<PortEvent> writes;
    std::vector<std::pair<uint32_t, uint8_t>> firstReads;  // memory the case reads first
    std::vector<MemoryBlock> changes;
};

bool ReadRegisters(std::istream& in, Registers& regs) {
    for (uint32_t& word : regs.words) in >> std::hex >> word;
    in >> std::hex >> regs.i >> regs.r >> std::dec >> regs.iff1 >> regs.iff2 >> regs.im >>
        regs.halted >> regs.cycles;
    return static_cast<bool>(in);
}

// Memory lines: "<address> <byte>... -1", the list closed by a lone "-1".
std::vector<MemoryBlock> ReadMemory(std::istream& in) {
    std::vector<MemoryBlock> blocks;
    std::string word;
    while (in >> word && word != "-1") {
        MemoryBlock block{static_cast<uint32_t>(std::stoul(word, nullptr, 16)), {}};
        while (in >> word && word != "-1") {
            block.bytes.push_back(static_cast<uint8_t>(std::stoul(word, nullptr, 16)));
        }
        blocks.push_back(block);
    }
    return blocks;
}

std::vector<Case> LoadCases() {
    std::vector<Case> cases;
    std::ifstream input(DataDir + "/tests.in");
    std::ifstream expected(DataDir + "/tests.expected");
    if (!input || !expected) return cases;
    std::string name;
    while (input >> name) {
        Case c;
        c.name = name;
        ReadRegisters(input, c.before);
        c.memory = ReadMemory(input);
        cases.push_back(c);
    }
    // The expected file: name, event lines (indented), two register lines, then changed
    // memory lines up to a blank line.
    std::string line;
    size_t index = 0;
    while (std::getline(expected, line)) {
        if (line.empty()) continue;
        if (index >= cases.size() || line != cases[index].name) break;
        Case& c = cases[index++];
        std::vector<uint32_t> written;
        while (std::getline(expected, line) && !line.empty() && line[0] == ' ') {
            std::istringstream event(line);
            uint32_t time = 0, address = 0, data = 0;
            std::string type;
            event >> time >> type >> std::hex >> address >> data;
            if (type == "PR") c.reads.push_back({address, data});
            if (type == "PW") c.writes.push_back({address, data});
            if (type == "MW") written.push_back(address);
            if (type == "MR" &&
                std::find(written.begin(), written.end(), address) == written.end()) {
                c.firstReads.emplace_back(address, static_cast<uint8_t>(data));
            }
        }
        std::string rest = line + "\n";
        while (std::getline(expected, line) && !line.empty()) rest += line + "\n";
        std::istringstream tail(rest);
        ReadRegisters(tail, c.after);
        c.changes = ReadMemory(tail);
    }
    cases.resize(index);
    return cases;
}

const std::vector<Case>& Cases() {
    static const std::vector<Case> cases = LoadCases();
    return cases;
}

// The flat 64 KB machine each case runs on.
std::array<uint8_t, 0x10000> memory;
std::deque<PortEvent> pendingReads;
std::vector<PortEvent> writesSeen;

uint32_t PortIn(uint32_t port) {
    if (pendingReads.empty()) return port >> 8;
    const uint32_t value = pendingReads.front().value;
    pendingReads.pop_front();
    return value;
}

void PortOut(uint32_t port, uint32_t value) {
    writesSeen.push_back({port, value});
}

void Fill(std::array<uint8_t, 0x10000>& target, const std::vector<MemoryBlock>& blocks) {
    for (const MemoryBlock& block : blocks) {
        for (size_t k = 0; k < block.bytes.size(); ++k) {
            target[(block.address + k) & 0xFFFF] = block.bytes[k];
        }
    }
}

Adjustment AdjustmentFor(const std::string& name) {
    Adjustment total{"", 0, 0, 0, 0, -1, ""};
    for (const Adjustment& a : Adjustments) {
        const std::string_view pattern = a.name;
        const bool matches =
            pattern.ends_with('*')
                ? std::string_view(name).starts_with(pattern.substr(0, pattern.size() - 1))
                : name == pattern;
        if (!matches) continue;
        total.maskedFlags |= a.maskedFlags;
        total.extraR += a.extraR;
        total.extraPc += a.extraPc;
        total.extraCycles += a.extraCycles;
        if (a.im >= 0) total.im = a.im;
    }
    return total;
}

class Conformance : public testing::TestWithParam<size_t> {};

TEST_P(Conformance, MatchesExpectedState) {
    const Case& t = Cases()[GetParam()];
    const Adjustment adjust = AdjustmentFor(t.name);

    memory.fill(0);
    for (const auto& [address, value] : t.firstReads) memory[address] = value;
    Fill(memory, t.memory);
    std::array<uint8_t, 0x10000> expectedMemory = memory;
    Fill(expectedMemory, t.changes);

    z80::BeginMemoryMap();
    z80::MapFetch(0x0000, 0xFFFF, memory.data());
    z80::MapReadPages(0x0000, 0xFFFF, memory.data());
    z80::MapWritePages(0x0000, 0xFFFF, memory.data());
    z80::EndMemoryMap();
    z80::SetInHandler(PortIn);
    z80::SetOutHandler(PortOut);
    pendingReads.assign(t.reads.begin(), t.reads.end());
    writesSeen.clear();

    z80::Reset();
    const Registers& b = t.before;
    for (uint32_t index = z80::RegAF; index <= z80::RegAltHL; ++index) {
        // The file's order is AF BC DE HL AF' BC' DE' HL' IX IY SP PC.
        static constexpr uint32_t FileSlot[] = {0, 1, 2, 3, 8, 9, 11, 10, 4, 5, 6, 7};
        z80::SetRegister(index, b.words[FileSlot[index]]);
    }
    z80::SetRegister(z80::RegIR, (b.i << 8) | b.r);
    z80::SetRegister(z80::RegIFF1, b.iff1);
    z80::SetRegister(z80::RegIFF2, b.iff2);
    z80::SetRegister(z80::RegIM, b.im);

    const uint32_t elapsed = z80::Run(static_cast<int32_t>(b.cycles));

    const Registers& a = t.after;
    const uint32_t fMask = 0xFF & ~adjust.maskedFlags;
    const uint32_t af = z80::GetRegister(z80::RegAF);
    EXPECT_EQ(af >> 8, a.words[0] >> 8) << "A";
    EXPECT_EQ(af & fMask, a.words[0] & fMask) << "F";
    EXPECT_EQ(z80::GetRegister(z80::RegBC), a.words[1]) << "BC";
    EXPECT_EQ(z80::GetRegister(z80::RegDE), a.words[2]) << "DE";
    EXPECT_EQ(z80::GetRegister(z80::RegHL), a.words[3]) << "HL";
    EXPECT_EQ(z80::GetRegister(z80::RegAltAF), a.words[4]) << "AF'";
    EXPECT_EQ(z80::GetRegister(z80::RegAltBC), a.words[5]) << "BC'";
    EXPECT_EQ(z80::GetRegister(z80::RegAltDE), a.words[6]) << "DE'";
    EXPECT_EQ(z80::GetRegister(z80::RegAltHL), a.words[7]) << "HL'";
    EXPECT_EQ(z80::GetRegister(z80::RegIX), a.words[8]) << "IX";
    EXPECT_EQ(z80::GetRegister(z80::RegIY), a.words[9]) << "IY";
    EXPECT_EQ(z80::GetRegister(z80::RegSP), a.words[10]) << "SP";
    EXPECT_EQ(z80::GetRegister(z80::RegPC), (a.words[11] + adjust.extraPc) & 0xFFFF) << "PC";
    const uint32_t ir = z80::GetRegister(z80::RegIR);
    EXPECT_EQ(ir >> 8, a.i) << "I";
    EXPECT_EQ(ir & 0x7F, (a.r + adjust.extraR) & 0x7F) << "R";
    EXPECT_EQ(ir & 0x80, a.r & 0x80) << "R bit 7";
    EXPECT_EQ(z80::GetRegister(z80::RegIFF1), a.iff1) << "IFF1";
    EXPECT_EQ(z80::GetRegister(z80::RegIFF2), a.iff2) << "IFF2";
    EXPECT_EQ(z80::GetRegister(z80::RegIM), adjust.im >= 0 ? uint32_t(adjust.im) : a.im) << "IM";
    EXPECT_EQ(elapsed, a.cycles + adjust.extraCycles) << "T-states";
    // A halted Z80 is one whose PC rests on a HALT opcode.
    EXPECT_EQ(memory[z80::GetRegister(z80::RegPC)] == 0x76, a.halted != 0) << "halted";

    for (uint32_t address = 0; address < 0x10000; ++address) {
        if (memory[address] != expectedMemory[address]) {
            ADD_FAILURE() << "memory at " << std::hex << address << ": " << int{memory[address]}
                          << " instead of " << int{expectedMemory[address]};
            break;
        }
    }
    // Port writes: the values, and the low byte of the port (the block forms pass C alone).
    ASSERT_EQ(writesSeen.size(), t.writes.size()) << "port writes";
    for (size_t k = 0; k < writesSeen.size(); ++k) {
        EXPECT_EQ(writesSeen[k].port & 0xFF, t.writes[k].port & 0xFF) << "port written";
        EXPECT_EQ(writesSeen[k].value, t.writes[k].value) << "value written";
    }
    EXPECT_TRUE(pendingReads.empty()) << "port reads left unanswered";
}

std::vector<size_t> CaseIndexes() {
    std::vector<size_t> indexes(Cases().size());
    for (size_t k = 0; k < indexes.size(); ++k) indexes[k] = k;
    return indexes;
}

INSTANTIATE_TEST_SUITE_P(Fuse, Conformance, testing::ValuesIn(CaseIndexes()),
                         [](const testing::TestParamInfo<size_t>& info) {
                             return Cases()[info.param].name;
                         });
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(Conformance);

TEST(ConformanceData, Present) {
    if (Cases().empty()) GTEST_SKIP() << "no test data in " << DataDir;
    EXPECT_EQ(Cases().size(), 1356u);
}

}  // namespace
