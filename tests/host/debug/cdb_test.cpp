// SDCC's debug records read into C lines, functions, types and variables: on records as SDCC
// writes them, then on our C cartridge stopped inside a function, where the frame offsets
// must find the values the code itself put there.
#include "host/debug/cdb.h"

#include <gtest/gtest.h>

#include <string>

#include "cpu/z80.h"
#include "machine/board.h"
#include "machine/debugger.h"
#include "machine/machine.h"
#include "tests/machine/test_cartridges.h"

namespace plexaro {
namespace {

// Records of a small module as `sdcc --debug` writes them (SDCC 4.2, z80).
constexpr const char* Records =
    "M:game\n"
    "F:G$fill$0_0$0({2}DF,SC:U),C,0,7,0,0,0\n"
    "S:Lgame.fill$seed$1_0$0({1}SC:U),B,1,-1\n"
    "S:Lgame.fill$cells$1_0$4({6}DA6d,SC:U),B,1,-7\n"
    "S:Lgame.fill$i$1_0$4({1}SC:U),R,0,0,[e]\n"
    "S:Lgame.fill$n$1_0$0({2}SI:S),R,0,0,[l,h]\n"
    "F:Fgame$step$0_0$0({2}DF,SV:S),C,0,0,0,0,0\n"
    "S:Lgame.step$a$1_0$0({2}DG,STactor:S),R,0,0,[e,d]\n"
    "T:Fgame$actor[({0}S:S$x$0_0$0({2}SI:S),Z,0,0)({2}S:S$dy$0_0$0({1}SC:S),Z,0,0)"
    "({4}S:S$score$0_0$0({4}SL:S),Z,0,0)({8}S:S$next$0_0$0({2}DG,STactor:S),Z,0,0)]\n"
    "S:G$hero$0_0$0({10}STactor:S),E,0,0\n"
    "S:G$total$0_0$0({2}SI:U),E,0,0\n"
    "S:Lgame.main$rounds$1_0$12({1}SC:U),E,0,0\n"
    "S:G$port$0_0$0({1}SC:U),I,0,0\n"
    "L:G$port$0_0$0:BF\n"
    "L:A$game$134:D4\n"
    "L:C$game.c$34$1_0$4:D4\n"
    "L:G$fill$0$0:D4\n"
    "L:C$game.c$38$2_0$4:E4\n"
    "L:C$game.c$40$2_0$5:E7\n"
    "L:C$game.c$39$2_0$5:F5\n"
    "L:C$game.c$43$1_0$4:10E\n"
    "L:C$game.c$44$1_0$4:113\n"
    "L:XG$fill$0$0:113\n"
    "L:C$game.c$46$1_0$8:114\n"
    "L:Fgame$step$0$0:114\n"
    "L:C$game.c$54$1_0$8:1A9\n"
    "L:XFgame$step$0$0:1A9\n"
    "L:G$title$0_0$0:1AA\n"
    "L:G$hero$0_0$0:C001\n"
    "L:G$total$0_0$0:C00B\n"
    "L:Lgame.main$rounds$1_0$12:C013\n";

std::string Place(uint16_t address) {
    char text[SourcePlaceTextSize];
    FormatSourcePlace(address, text, sizeof text);
    return text;
}

TEST(Cdb, RecordsGiveLinesFunctionsTypesAndVariables) {
    ClearSymbols();
    const SymbolLoadReport report = LoadSymbolText(Records);
    EXPECT_EQ(report.skipped, 0u);
    EXPECT_EQ(report.sourceLines, 8u);

    // Lines: the last record at or before an address, never past its function's end.
    EXPECT_EQ(Place(0xD4), "game.c:34");
    EXPECT_EQ(Place(0xF4), "game.c:40");
    EXPECT_EQ(Place(0x1AA), "");  // title's bytes after step
    EXPECT_EQ(Place(0xC001), "");
    AddressRange range{};
    ASSERT_TRUE(SourceLineRange(0xE9, range));
    EXPECT_EQ(range.first, 0xE7);
    EXPECT_EQ(range.last, 0xF4);
    // A line without code moves to the next one that has some; a loop's line has two stretches.
    uint32_t line = 0;
    std::vector<uint16_t> addresses;
    ASSERT_TRUE(SourceLineAddresses("src/game.c", 41, line, addresses));
    EXPECT_EQ(line, 43u);
    EXPECT_EQ(addresses, std::vector<uint16_t>{0x10E});
    ASSERT_TRUE(SourceLineAddresses("game.c", 39, line, addresses));
    EXPECT_EQ(addresses, std::vector<uint16_t>{0xF5});
    EXPECT_FALSE(SourceLineAddresses("game.c", 55, line, addresses));
    EXPECT_FALSE(SourceLineAddresses("other.c", 40, line, addresses));

    // Functions: entry, closing line and the end of their code.
    const CFunction* step = CFunctionNamed("step");
    ASSERT_NE(step, nullptr);
    EXPECT_TRUE(step->isStatic);
    EXPECT_EQ(step->entry, 0x114);
    EXPECT_EQ(step->end, 0x1A9);
    EXPECT_EQ(step->last, 0x1A9);  // title follows
    EXPECT_EQ(CFunctionFor(0x113)->name, "fill");
    EXPECT_EQ(CFunctionNamed("_fill")->line, 34u);
    EXPECT_EQ(CTypeName(CFunctionNamed("fill")->type), "unsigned char");

    // Types as C writes them, with SDCC's sizes and field offsets.
    const CVariable* hero = CGlobalNamed("hero");
    ASSERT_NE(hero, nullptr);
    EXPECT_EQ(CTypeName(hero->type), "struct actor");
    const CType& actor = CTypeAt(hero->type);
    EXPECT_EQ(actor.size, 10u);
    ASSERT_EQ(actor.fields.size(), 4u);
    EXPECT_EQ(actor.fields[3].name, "next");
    EXPECT_EQ(actor.fields[3].offset, 8u);
    EXPECT_EQ(CTypeName(actor.fields[3].type), "struct actor *");
    EXPECT_EQ(CTypeName(actor.fields[1].type), "char");
    EXPECT_EQ(CTypeAt(actor.fields[2].type).size, 4u);
    EXPECT_EQ(hero->address, 0xC001);
    EXPECT_EQ(CGlobalNamed("rounds")->function, "main");
    EXPECT_EQ(CGlobalNamed("port")->storage, CStorage::None);  // an I/O port

    // Locals: parameters first, then the body's; IX offsets and registers as SDCC gives them.
    const std::vector<const CVariable*> locals = CLocalsAt(0xF0);
    ASSERT_EQ(locals.size(), 4u);
    EXPECT_EQ(locals[0]->name, "seed");
    EXPECT_TRUE(locals[0]->isParameter);
    EXPECT_EQ(locals[0]->offset, -1);
    EXPECT_EQ(locals[1]->name, "n");
    EXPECT_EQ(locals[1]->registerCount, 2);
    EXPECT_EQ(locals[1]->registers[0], CRegister::L);
    EXPECT_EQ(locals[2]->name, "cells");
    EXPECT_FALSE(locals[2]->isParameter);
    EXPECT_EQ(locals[2]->storage, CStorage::Stack);
    EXPECT_EQ(locals[2]->offset, -7);
    EXPECT_EQ(CTypeName(locals[2]->type), "unsigned char [6]");
    EXPECT_EQ(CLocalsAt(0x120).size(), 1u);
    EXPECT_TRUE(CLocalsAt(0x0050).empty());

    // The C names go into the labels, for a .cdb read without the linker's files.
    uint16_t address = 0;
    EXPECT_TRUE(ParseAddress("step", address));
    EXPECT_EQ(address, 0x114);
    EXPECT_TRUE(ParseAddress("main.rounds", address));
    EXPECT_EQ(address, 0xC013);
    ClearSymbols();
    EXPECT_FALSE(CdbLoaded());
    EXPECT_EQ(Place(0xD4), "");
}

TEST(Cdb, ValuesDecodeAndEncode) {
    ClearSymbols();
    LoadSymbolText(Records);
    uint8_t memory[0x10000] = {};
    const MemoryReader read = [&](uint16_t a) { return memory[a]; };
    const CVariable* hero = CGlobalNamed("hero");
    const uint8_t bytes[] = {0x9C, 0xFF, 0xFE, 0x41, 0x40, 0x42, 0x0F, 0x00, 0x01, 0xC0};
    std::copy(std::begin(bytes), std::end(bytes), memory + 0xC001);
    CLocation where{};
    ASSERT_TRUE(LocateCVariable(*hero, CRegisters{}, read, where));
    EXPECT_EQ(FormatCValue(where, read), "{x=-100, dy=-2, score=1000000, next=0xc001 <_hero>}");
    const std::vector<CChild> fields = CChildren(where, read);
    ASSERT_EQ(fields.size(), 4u);
    const std::vector<CChild> target = CChildren(fields[3].where, read);
    ASSERT_EQ(target.size(), 1u);
    EXPECT_EQ(target[0].where.address, 0xC001);

    // A register variable reads its registers, lowest byte first.
    const CRegisters registers{0, 0, 0, 0x1234, 0, 0, 0, 0xF0};
    ASSERT_TRUE(LocateCVariable(*CLocalsAt(0xF0)[1], registers, read, where));
    EXPECT_EQ(FormatCValue(where, read), "4660");

    std::vector<uint8_t> encoded;
    std::string error;
    ASSERT_TRUE(EncodeCValue(fields[0].where.type, "-2", encoded, error));
    EXPECT_EQ(encoded, (std::vector<uint8_t>{0xFE, 0xFF}));
    ASSERT_TRUE(EncodeCValue(fields[1].where.type, "'A'", encoded, error));
    EXPECT_EQ(encoded, std::vector<uint8_t>{0x41});
    EXPECT_FALSE(EncodeCValue(fields[1].where.type, "300", encoded, error));
    EXPECT_FALSE(EncodeCValue(hero->type, "1", encoded, error));
    ClearSymbols();
}

// Runs the C cartridge to `file:line`; false if it never gets there.
bool RunTo(const char* file, uint32_t line) {
    uint32_t actual = 0;
    std::vector<uint16_t> addresses;
    if (!SourceLineAddresses(file, line, actual, addresses)) return false;
    DebuggerClearBreakpoints();
    for (const uint16_t address : addresses) DebuggerAddBreakpoint(address);
    DebuggerResume();
    for (int frame = 0; frame < 120; ++frame) {
        if (DebuggerRunFrame() == DebugBreakpoint) return true;
    }
    return false;
}

TEST(Cdb, TheCCartridgesFrameHoldsItsLocals) {
    const std::string cartridge = std::string(PLEXARO_BINARY_DIR) + "/cartridges/ctest/ctest.sg";
    ASSERT_EQ(InitMachine(256), nullptr);
    ASSERT_EQ(LoadCartridge(cartridge.c_str()), nullptr);
    DebuggerResetPosition();
    ClearSymbols();
    for (const std::string& path : SymbolFilesBeside(cartridge)) LoadSymbolFile(path);
    ASSERT_TRUE(CdbLoaded());

    const MemoryReader read = [](uint16_t a) { return PeekConsole(a); };
    const auto registers = [] {
        const auto r = [](uint32_t index) {
            return static_cast<uint16_t>(z80::GetRegister(index));
        };
        return CRegisters{r(z80::RegAF), r(z80::RegBC), r(z80::RegDE), r(z80::RegHL),
                          r(z80::RegIX), r(z80::RegIY), r(z80::RegSP), r(z80::RegPC)};
    };
    const auto value = [&](const char* name) {
        for (const CVariable* local : CLocalsAt(registers().pc)) {
            CLocation where{};
            if (local->name == name && LocateCVariable(*local, registers(), read, where)) {
                return FormatCValue(where, read);
            }
        }
        return std::string("(none)");
    };

    // At fill's entry IX is still the caller's: the frame base is where it will be once the
    // prologue (push ix; ld ix,#0; add ix,sp) has run.
    ASSERT_TRUE(RunTo("game.c", 34));
    const uint16_t base = CFrameBase(registers(), read);
    for (int instruction = 0; instruction < 3; ++instruction) DebuggerStep();
    EXPECT_EQ(registers().ix, base);
    EXPECT_EQ(CFrameBase(registers(), read), base);

    ASSERT_TRUE(RunTo("game.c", 43));  // "return sum;"
    const uint8_t rounds = PeekConsole(CGlobalNamed("rounds")->address);
    EXPECT_EQ(
        value("seed"),
        FormatCValue(
            CLocation{
                CGlobalNamed("rounds")->type, true, CGlobalNamed("rounds")->address, 0, {}, {}},
            read));
    const CVariable* cells = CLocalsAt(registers().pc)[1];
    ASSERT_EQ(cells->name, "cells");
    CLocation where{};
    ASSERT_TRUE(LocateCVariable(*cells, registers(), read, where));
    const std::vector<CChild> elements = CChildren(where, read);
    ASSERT_EQ(elements.size(), 6u);
    for (uint32_t i = 0; i < 6; ++i) {
        EXPECT_EQ(PeekConsole(elements[i].where.address), static_cast<uint8_t>(rounds + i));
    }

    // The recursion's deepest call: n is 1, in HL as SDCC says.
    ASSERT_TRUE(RunTo("game.c", 29));  // "return 1;"
    EXPECT_EQ(value("n"), "1");
    const CVariable* hero = CGlobalNamed("hero");
    EXPECT_EQ(FormatCValue(CLocation{hero->type, true, hero->address, 0, {}, {}}, read),
              "{x=102, dy=2, flags=0, score=10, next=0xc001 <_hero>}");
    DebuggerClearBreakpoints();
    ClearSymbols();
    ShutdownMachine();
}

}  // namespace
}  // namespace plexaro
