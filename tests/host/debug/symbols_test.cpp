// The symbol table on small files in each format we read, and the names it gives addresses
// in the disassembly and in what a user types.
#include "host/debug/symbols.h"

#include <gtest/gtest.h>

#include <string>

#include "host/debug/watches.h"
#include "tests/machine/test_cartridges.h"

namespace plexaro {
namespace {

std::string Named(uint16_t address) {
    char text[SymbolTextSize];
    FormatSymbol(address, text, sizeof text);
    return text;
}

std::string Symbolized(const char* instruction) {
    char text[64];
    SymbolizeInstruction(instruction, text, sizeof text);
    return text;
}

TEST(Symbols, LinkerFilesTakeLabelsAndLeaveAreaBookkeeping) {
    ClearSymbols();
    const char* noi =
        "DEF .__.ABS. 0x0\n"
        "DEF l__CODE 0x252C\n"
        "DEF s__CODE 0x80\n"
        "DEF _vdp_put 0xD4\n"
        "DEF _main 0xDDD\n"
        "DEF _frame_count 0xC000\n"
        "DEF _banked 0x18000\n"  // beyond 64 KB: not an address here
        "LOAD build/demo.ihx\n";
    SymbolLoadReport report = LoadSymbolText(noi);
    EXPECT_TRUE(report.readable);
    EXPECT_EQ(report.added, 3u);
    EXPECT_EQ(report.skipped, 1u);
    // The map repeats them: nothing is added twice, and its layout lines are not complaints.
    const char* map =
        "ASxxxx Linker V03.00 + NoICE + sdld,  page 1.\n"
        "Area                                    Addr        Size        Decimal Bytes\n"
        "_CODE                               00000080    0000252C =        9516. bytes\n"
        "      Value  Global                              Global Defined In Module\n"
        "     000000D4  _vdp_put                           hw\n"
        "     00000DDD  _main                              game\n"
        "     0000252C  l__CODE\n"
        "_CODE = 0x0000\n"
        "     000010BC  _sound_silence                     sound\n";
    report = LoadSymbolText(map);
    EXPECT_EQ(report.added, 3u);
    EXPECT_EQ(report.skipped, 0u);
    EXPECT_EQ(SymbolCount(), 4u);

    EXPECT_EQ(Named(0x0DDD), "_main");
    EXPECT_EQ(Named(0x0DE0), "_main+3");
    EXPECT_EQ(Named(0x0050), "");  // before the first label
    EXPECT_EQ(Named(0xC010), "_frame_count+16");
    EXPECT_EQ(Named(0x8000), "");          // a label never reaches into another region
    EXPECT_EQ(Named(0x10BC + 0x201), "");  // nor further than 512 bytes
}

TEST(Symbols, AssemblerTableTakesAbsoluteLabelsAndRamEquates) {
    ClearSymbols();
    const char* sym =
        "ASxxxx Assembler V02.00 + NoICE + SDCC mods  (Zilog Z80), page 1.\n"
        "Symbol Table\n"
        "    .__.ABS.                    =  000000 G\n"
        "    FRAME                       =  00C000 \n"
        "    VDP_CTRL                    =  0000BF \n"
        "  4 main                           00009E R\n"
        "  4 start                          000068 R\n"
        "  0 _helper                        000010 R\n"
        "    _extern                        ****** GX\n"
        "Area Table\n"
        "   0 _CODE                 size      0   flags    0\n"
        "   4 _HEADER0              size    1DC   flags    8\n";
    const SymbolLoadReport report = LoadSymbolText(sym);
    EXPECT_EQ(report.added, 3u);    // FRAME, main, start
    EXPECT_EQ(report.skipped, 1u);  // _helper lives in a relocatable area
    EXPECT_EQ(Named(0x0068), "start");
    EXPECT_EQ(Named(0x00A0), "main+2");
    EXPECT_EQ(Named(0xC000), "FRAME");
    EXPECT_EQ(Named(0xC001), "");  // an equate names its own address only
    EXPECT_EQ(Named(0x00BF), "main+33");
}

TEST(Symbols, NarrowAssemblerTableHasThreeSymbolsALine) {
    ClearSymbols();
    const char* sym =
        "ASxxxx Assembler V02.00 + NoICE + SDCC mods  (Zilog Z80), page 1.\n"
        "Hexadecimal [24-Bits]\n"
        "\n"
        "Symbol Table\n"
        "\n"
        "    .__.ABS.=  000000 G   |     RAM_STAR=  00C000     |     STACK_TO=  00C400 \n"
        "    VDP_CTRL=  0000BF     |     _frames    ****** GX  |   0 init       000000 R\n"
        "  2 reset      000000 R   |   2 irq        000038 R   |     what is this\n"
        "\n"
        "Area Table\n"
        "   0 _CODE      size     30   flags    0\n"
        "   2 _HEADER0   size      9   flags    8\n";
    const SymbolLoadReport report = LoadSymbolText(sym);
    EXPECT_EQ(report.added, 4u);    // RAM_STAR, STACK_TO, reset, irq
    EXPECT_EQ(report.skipped, 2u);  // init lives in a relocatable area; a line not understood
    EXPECT_EQ(Named(0x0039), "irq+1");
    EXPECT_EQ(Named(0xC400), "STACK_TO");
}

TEST(Symbols, SdccDebugNamesGiveWayToCNames) {
    ClearSymbols();
    const char* noi =
        "DEF A$main$92 0x220\n"
        "DEF C$game.c$40$2_0$5 0x220\n"
        "DEF G$main$0$0 0x220\n"
        "DEF _main 0x220\n"
        "DEF XG$main$0$0 0x240\n"
        "DEF G$total$0_0$0 0xC00B\n"
        "DEF _total 0xC00B\n"
        "DEF Fgame$step$0$0 0x114\n"
        "DEF Fgame$__xinit_level$0_0$0 0x24A\n"
        "DEF Lgame.main$rounds$1_0$12 0xC013\n";
    const SymbolLoadReport report = LoadSymbolText(noi);
    EXPECT_EQ(report.skipped, 0u);
    EXPECT_EQ(SymbolCount(), 4u);  // _main, _total, _step, main.rounds
    EXPECT_EQ(Named(0x226), "_main+6");
    EXPECT_EQ(Named(0xC00B), "_total");
    EXPECT_EQ(Named(0x114), "_step");
    EXPECT_EQ(Named(0xC013), "main.rounds");
    EXPECT_EQ(Named(0x24A), "_main+42");
}

TEST(Symbols, PlainListingsAndWhatTheUserIsTold) {
    ClearSymbols();
    const char* listing =
        "; written by some assembler\n"
        "0100 entry\n"
        "$0120 loop:\n"
        "00:0140 bank_label\n"
        "draw_level = $0200\n"
        "table EQU 0x0300\n"
        "counter: equ 0C100h\n"
        "decimal = 1024\n"
        "this is not a symbol line\n"
        "\n";
    const SymbolLoadReport report = LoadSymbolText(listing);
    EXPECT_EQ(report.added, 7u);
    EXPECT_EQ(report.skipped, 1u);
    EXPECT_EQ(Named(0x0122), "loop+2");
    EXPECT_EQ(Named(0x0140), "bank_label");
    EXPECT_EQ(Named(0x0200), "draw_level");
    EXPECT_EQ(Named(0x0300), "table");
    EXPECT_EQ(Named(0xC100), "counter");
    EXPECT_EQ(Named(0x0400), "decimal");
    EXPECT_EQ(DescribeSymbolLoad("game.sym", report), "game.sym: 7 symbols, 1 line not understood");
    EXPECT_EQ(DescribeSymbolLoad("x.txt", LoadSymbolText("nothing\nhere\n")),
              "x.txt: no symbols found (2 lines not understood)");
    EXPECT_EQ(DescribeSymbolLoad("gone.noi", LoadSymbolFile("/nonexistent/gone.noi")),
              "gone.noi: can't read the file");
}

TEST(Symbols, TypedAddressesAndDisassembly) {
    ClearSymbols();
    LoadSymbolText("DEF _draw 0x1234\nDEF _frame 0xC000\nDEF loop 0x0100\nDEF add 0x0200\n");
    uint16_t address = 0;
    EXPECT_TRUE(ParseAddress("draw", address));  // SDCC's underscore may be left off
    EXPECT_EQ(address, 0x1234);
    EXPECT_TRUE(ParseAddress("loop+3", address));
    EXPECT_EQ(address, 0x0103);
    EXPECT_TRUE(ParseAddress("_frame - 0x10", address));
    EXPECT_EQ(address, 0xBFF0);
    EXPECT_TRUE(ParseAddress("add", address));  // a symbol beats the hex digits
    EXPECT_EQ(address, 0x0200);
    EXPECT_TRUE(ParseAddress("0x38", address));
    EXPECT_EQ(address, 0x0038);
    EXPECT_TRUE(ParseAddress("beef", address));
    EXPECT_EQ(address, 0xBEEF);
    EXPECT_FALSE(ParseAddress("nowhere", address));
    EXPECT_FALSE(ParseAddress("0x12345", address));
    EXPECT_FALSE(ParseAddress("loop+x", address));

    EXPECT_EQ(Symbolized("call 0x1234"), "call _draw");
    EXPECT_EQ(Symbolized("jp nz, 0x0103"), "jp nz, loop+3");
    EXPECT_EQ(Symbolized("ld (0xc000), hl"), "ld (_frame), hl");
    EXPECT_EQ(Symbolized("ld hl, #0xc000"), "ld hl, #_frame");
    EXPECT_EQ(Symbolized("ld hl, #0xc001"), "ld hl, #0xc001");  // immediates: exact only
    EXPECT_EQ(Symbolized("out (0xbe), a"), "out (0xbe), a");    // ports are not addresses
    EXPECT_EQ(Symbolized(".db 0xdd"), ".db 0xdd");
    char small[8];
    SymbolizeInstruction("call 0x1234", small, sizeof small);
    EXPECT_STREQ(small, "call _d");  // cut to fit, terminated
}

TEST(Symbols, FilesBesideTheCartridgeAndSpans) {
    ClearSymbols();
    const auto scratch = testing::MakeScratch("symbols");
    const std::string cartridge = testing::WriteFile(scratch / "game.sg", {0});
    testing::WriteFile(scratch / "game.map", {'x'});
    const std::string text = "DEF a 0x10\nDEF b 0x10\nDEF c 0x20\nDEF r 0xC000\n";
    testing::WriteFile(scratch / "game.noi", std::vector<uint8_t>(text.begin(), text.end()));
    const auto found = SymbolFilesBeside(cartridge);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0], (scratch / "game.noi").string());
    EXPECT_EQ(found[1], (scratch / "game.map").string());
    EXPECT_EQ(LoadSymbolFile(found[0]).added, 4u);
    testing::RemoveScratch(scratch);

    ASSERT_EQ(LabelCount(), 4u);
    EXPECT_STREQ(LabelSpan(0).name, "a");
    EXPECT_EQ(LabelSpan(0).first, 0x10);
    EXPECT_EQ(LabelSpan(0).last, 0x1F);
    EXPECT_EQ(LabelSpan(1).name, nullptr);  // b shares a's address
    EXPECT_EQ(LabelSpan(2).last, 0x21F);    // as far as a label names addresses
    EXPECT_EQ(LabelSpan(3).last, 0xC1FF);
}

TEST(Symbols, WatchesReadRangesLabelsAndValues) {
    ClearSymbols();
    LoadSymbolText("DEF _buf 0xC100\nDEF _score 0xC010\n");
    Watchpoint watch{};
    std::string error;
    ASSERT_TRUE(ParseWatch("w:0xC000-0xC0FF", watch, error)) << error;
    EXPECT_EQ(watch.kinds, uint32_t{WatchWrite});
    EXPECT_EQ(watch.first, 0xC000);
    EXPECT_EQ(watch.last, 0xC0FF);
    EXPECT_FALSE(watch.matchValue);
    ASSERT_TRUE(ParseWatch("rw:_buf.._buf+15=0x40", watch, error)) << error;
    EXPECT_EQ(watch.kinds, uint32_t{WatchRead | WatchWrite});
    EXPECT_EQ(watch.first, 0xC100);
    EXPECT_EQ(watch.last, 0xC10F);
    EXPECT_TRUE(watch.matchValue);
    EXPECT_EQ(watch.value, 0x40);
    EXPECT_EQ(DescribeWatchpoint(watch), "rw:_buf..0xc10f=0x40");
    ASSERT_TRUE(ParseWatch("r:_buf-1", watch, error));  // a label minus an offset
    EXPECT_EQ(watch.first, 0xC0FF);
    EXPECT_EQ(watch.last, 0xC0FF);
    ASSERT_TRUE(ParseWatch("io:0xbe..0xbf=64", watch, error));
    EXPECT_EQ(watch.kinds, uint32_t{WatchIn | WatchOut});
    EXPECT_EQ(watch.value, 64);
    EXPECT_EQ(DescribeWatchpoint(watch), "io:0xbe..0xbf=0x40");

    for (const char* bad : {"0xC000", "x:0xC000", "w:nowhere", "w:0xC000=256",
                            "w:0xC000=", "out:0x100", "w:0xC0FF..0xC000"}) {
        EXPECT_FALSE(ParseWatch(bad, watch, error)) << bad;
        EXPECT_FALSE(error.empty()) << bad;
    }

    WatchHit hit{0, WatchWrite, 0xC011, 0x05, 0x0042, {12, 200, 5}};
    char line[128];
    FormatWatchHit(hit, line, sizeof line);
    EXPECT_STREQ(line, "frame 12 line 200: pc 0x0042 wrote 0x05 to 0xc011 (_score+1)");
    hit = {0, WatchOut, 0xBE, 0x40, 0xC012, {1, 2, 3}};
    FormatWatchHit(hit, line, sizeof line);
    EXPECT_STREQ(line, "frame 1 line 2: pc 0xc012 (_score+2) out 0x40 to port 0xbe");
}

}  // namespace
}  // namespace plexaro
