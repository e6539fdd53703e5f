// What a user types for a breakpoint (--break) and a watchpoint (--watch): counts, conditions,
// continue, C lines before counts, PC filters and 16-bit watches; and where the variables end,
// for the stack's check.
#include "host/debug/breaks.h"

#include <gtest/gtest.h>

#include "host/debug/symbols.h"
#include "host/debug/watches.h"

namespace plexaro {
namespace {

// A C line as a resolver knows it: game.c:42 has code in two stretches.
bool Resolve(std::string_view where, std::vector<uint16_t>& addresses) {
    if (where == "game.c:42") {
        addresses = {0x0200, 0x0210};
        return true;
    }
    uint16_t address = 0;
    if (!ParseAddress(where, address)) return false;
    addresses.push_back(address);
    return true;
}

TEST(Breaks, CountsConditionsContinueAndCLines) {
    ClearSymbols();
    LoadSymbolText("DEF _draw 0x0120\nDEF _lives 0xC010\n");
    BreakRule rule;
    std::string error;
    ASSERT_TRUE(ParseBreak("_draw:100", rule, error, Resolve));
    EXPECT_EQ(rule.addresses, std::vector<uint16_t>{0x0120});
    EXPECT_EQ(rule.count, 100u);
    EXPECT_FALSE(rule.conditional || rule.continues);
    ASSERT_TRUE(ParseBreak("game.c:42", rule, error, Resolve));  // a line, not a count
    EXPECT_EQ(rule.addresses, (std::vector<uint16_t>{0x0200, 0x0210}));
    EXPECT_EQ(rule.count, 1u);
    EXPECT_TRUE(BreakIsAt(rule, 0x0210));
    ASSERT_TRUE(ParseBreak(" game.c:42:3 if [_lives] == 0 continue ", rule, error, Resolve));
    EXPECT_EQ(rule.addresses.size(), 2u);
    EXPECT_EQ(rule.count, 3u);
    EXPECT_TRUE(rule.conditional && rule.continues);

    EXPECT_FALSE(ParseBreak("_draw:0", rule, error, Resolve));
    EXPECT_FALSE(ParseBreak("nowhere:3", rule, error, Resolve));
    EXPECT_EQ(error, "no such symbol or address: 'nowhere'");
    EXPECT_FALSE(ParseBreak("_draw if", rule, error, Resolve));

    // The third hit stops; with continue, it and every later one report. A false condition
    // does not count.
    ASSERT_TRUE(ParseBreak("_draw:3", rule, error));
    EXPECT_EQ(BreakHit(rule), BreakPass);
    EXPECT_EQ(BreakHit(rule), BreakPass);
    EXPECT_EQ(BreakHit(rule), BreakStop);
    ASSERT_TRUE(ParseBreak("_draw:2 continue", rule, error));
    EXPECT_EQ(BreakHit(rule), BreakPass);
    EXPECT_EQ(BreakHit(rule), BreakReport);
    EXPECT_EQ(BreakHit(rule), BreakReport);
    ASSERT_TRUE(ParseBreak("_draw if 1 + 1 == 3", rule, error));
    for (int hit = 0; hit < 3; ++hit) EXPECT_EQ(BreakHit(rule), BreakPass);
    EXPECT_EQ(rule.hits, 0u);
}

TEST(Breaks, WatchesFilteredByPcAndSixteenBitsWide) {
    ClearSymbols();
    LoadSymbolText("DEF _draw 0x0120\nDEF _move 0x0160\nDEF _total 0xC004\n");
    Watchpoint watch;
    std::string error;
    ASSERT_TRUE(ParseWatch("w16:_total", watch, error)) << error;
    EXPECT_EQ(watch.kinds, uint32_t{WatchWrite});
    EXPECT_EQ(watch.first, 0xC004);
    EXPECT_EQ(watch.last, 0xC005);
    EXPECT_EQ(watch.width, 2);
    EXPECT_EQ(DescribeWatchpoint(watch), "w16:_total");
    EXPECT_FALSE(ParseWatch("w16:0xc000..0xc003", watch, error));
    EXPECT_FALSE(ParseWatch("w16:_total=3", watch, error));
    EXPECT_FALSE(ParseWatch("out16:0xbe", watch, error));

    // A function's label filters by the whole function; a range by itself.
    ASSERT_TRUE(ParseWatch("rw:_total@pc=_draw", watch, error)) << error;
    EXPECT_TRUE(watch.pcFiltered);
    EXPECT_EQ(watch.pcFirst, 0x0120);
    EXPECT_EQ(watch.pcLast, 0x015F);
    EXPECT_EQ(watch.first, 0xC004);
    ASSERT_TRUE(ParseWatch("w:_total=5@pc=_draw.._draw+40", watch, error)) << error;
    EXPECT_EQ(watch.pcLast, 0x0120 + 40);
    EXPECT_TRUE(watch.matchValue);
    EXPECT_EQ(DescribeWatchpoint(watch), "w:_total=0x05@pc=_draw..0x0148");
    EXPECT_FALSE(ParseWatch("w:_total@pc=nowhere", watch, error));
}

// The end of the variables: the linker's RAM areas first; else the highest label in RAM, but
// never an equate, which as often names the stack's top.
TEST(Breaks, WhereTheVariablesEnd) {
    ClearSymbols();
    LoadSymbolText(
        "DEF s__CODE 0x80\nDEF l__CODE 0x252C\nDEF s__DATA 0xC000\nDEF l__DATA 0x68\n"
        "DEF s__BSEG 0xC068\nDEF l__BSEG 0x0\nDEF _frame 0xC000\n");
    EXPECT_EQ(ProgramDataEnd(), 0xC068);
    ClearSymbols();
    LoadSymbolText("DEF _frame 0xC000\nDEF _score 0xC010\nDEF _main 0x0200\n");
    EXPECT_EQ(ProgramDataEnd(), 0xC011);
    ClearSymbols();
    // sdasz80's table: the RAM's places are equates, the stack's top among them.
    LoadSymbolText(
        "ASxxxx Assembler V02.00 + NoICE + SDCC mods  (Zilog Z80), page 1.\n"
        "Symbol Table\n\n"
        "    FRAME                                                       =  00C000 \n"
        "    STACK_TOP                                                   =  00DFF0 \n"
        "  4 main                                                           0000D5 R\n");
    EXPECT_EQ(ProgramDataEnd(), 0);
}

}  // namespace
}  // namespace plexaro
