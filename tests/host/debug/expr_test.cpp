// The condition language on registers and memory of a test's own, and the names a debug
// adapter's hook adds.
#include "host/debug/expr.h"

#include <gtest/gtest.h>

#include <cstring>

#include "cpu/z80.h"
#include "host/debug/symbols.h"

namespace plexaro {
namespace {

struct Fake {
    uint32_t regs[z80::RegIrqLine + 1];
    uint8_t memory[0x10000];
};

uint32_t FakeReg(uint32_t index, void* user) {
    return static_cast<Fake*>(user)->regs[index];
}

uint8_t FakePeek(uint16_t address, void* user) {
    return static_cast<Fake*>(user)->memory[address];
}

// C variables as a debug adapter would give them: `total` an int at 0xC010, `ptr` a
// pointer to int at 0xC020, `buf` a char array at 0xC030, `RED` an enum constant.
bool FakeName(std::string_view name, ExprPlace& place, void*) {
    if (name == "total") {
        place = {true, 0, 0xC010, 2, true, 0, 0, false};
    } else if (name == "ptr") {
        place = {true, 0, 0xC020, 2, false, 0, 2, true};
    } else if (name == "buf") {
        place = {true, 0, 0xC030, 1, false, 1, 0, false};
    } else if (name == "i") {
        place = {false, 7, 0, 0, false, 0, 0, false};
    } else if (name == "RED") {
        place = {false, 4, 0, 0, false, 0, 0, false};
    } else {
        return false;
    }
    return true;
}

int64_t Eval(const char* text, const ExprContext& context) {
    Expr expr;
    std::string error;
    EXPECT_TRUE(ParseExpr(text, expr, error, &context)) << text << ": " << error;
    const ExprResult result = EvaluateExpr(expr, &context);
    EXPECT_TRUE(result.ok) << text << ": " << (result.error ? result.error : "");
    return result.value;
}

TEST(Expr, NumbersRegistersMemoryAndOperators) {
    static Fake fake = {};
    fake.regs[z80::RegAF] = 0x3A41;  // A 0x3A; F: Z and C set
    fake.regs[z80::RegHL] = 0xC100;
    fake.regs[z80::RegPC] = 0x0123;
    fake.regs[z80::RegIR] = 0x0207;
    fake.memory[0xC100] = 0x34;
    fake.memory[0xC101] = 0x12;
    ClearSymbols();
    LoadSymbolText("DEF _score 0xC100\nDEF _draw 0x0120\n");
    const ExprContext context = {&FakeReg, &FakePeek, nullptr, &fake};

    EXPECT_EQ(Eval("42 + 0x10 + $10 + 10h + 0FFh", context), 42 + 16 + 16 + 16 + 255);
    EXPECT_EQ(Eval("a == 0x3a && A == 58", context), 1);
    EXPECT_EQ(Eval("(af >> 8) | (i << 8) | r", context), 0x023A | 0x07);
    EXPECT_EQ(Eval("zf + cf * 2 + sf * 4 + nf * 8", context), 3);
    EXPECT_EQ(Eval("[hl] + byte[hl+1] * 1000 + word[hl]", context), 0x34 + 0x12 * 1000 + 0x1234);
    EXPECT_EQ(Eval("_score", context), 0xC100);            // a symbol is its address
    EXPECT_EQ(Eval("word[score] == 0x1234", context), 1);  // SDCC's underscore may be left off
    EXPECT_EQ(Eval("pc >= _draw && pc < _draw + 8", context), 1);
    // C's precedence: * over +, + over <<, << over <, < over ==, == over &, & over ^ over |.
    EXPECT_EQ(Eval("2 + 3 * 4", context), 14);
    EXPECT_EQ(Eval("1 << 2 + 1", context), 8);
    EXPECT_EQ(Eval("1 < 2 == 1", context), 1);
    EXPECT_EQ(Eval("6 & 3 == 3", context), 0);  // as in C: 6 & (3 == 3)
    EXPECT_EQ(Eval("1 | 6 ^ 3 & 2", context), 1 | (6 ^ (3 & 2)));
    EXPECT_EQ(Eval("10 - 3 - 2", context), 5);  // left to right
    EXPECT_EQ(Eval("-7 / 2 + 7 % 3 + ~0 + !5 + !0", context), -3 + 1 - 1 + 0 + 1);
    EXPECT_EQ(Eval("0 || 2 && 3", context), 1);

    Expr expr;
    std::string error;
    for (const char* bad : {"", "1 +", "(1", "[hl", "nosuch == 1", "1 2", "0xZZ", "&3", "a @ b"}) {
        EXPECT_FALSE(ParseExpr(bad, expr, error)) << bad;
        EXPECT_FALSE(error.empty()) << bad;
    }
    ASSERT_TRUE(ParseExpr("1 / (a - 0x3a)", expr, error));
    EXPECT_FALSE(EvaluateExpr(expr, &context).ok);
}

TEST(Expr, TheNameHookGivesVariablesAndTheirPlaces) {
    static Fake fake = {};
    fake.memory[0xC010] = 0xFE;  // total = -2
    fake.memory[0xC011] = 0xFF;
    fake.memory[0xC020] = 0x10;  // ptr = &total
    fake.memory[0xC021] = 0xC0;
    std::memcpy(fake.memory + 0xC030, "hello", 5);
    ClearSymbols();
    LoadSymbolText("DEF _total 0xC010\n");
    const ExprContext context = {&FakeReg, &FakePeek, &FakeName, &fake};

    EXPECT_EQ(Eval("total", context), -2);  // the variable's value wins over the label
    EXPECT_EQ(Eval("_total", context), 0xC010);
    EXPECT_EQ(Eval("&total", context), 0xC010);
    EXPECT_EQ(Eval("*ptr == total && ptr[0] == -2", context), 1);
    EXPECT_EQ(Eval("buf[1] == 0x65", context), 1);
    EXPECT_EQ(Eval("*buf + RED", context), 'h' + 4);
    // A C variable named like a register is the variable; @ reaches the register.
    fake.regs[z80::RegIR] = 0x0200;
    fake.regs[z80::RegAF] = 0x1100;
    EXPECT_EQ(Eval("i * 100 + @i * 10 + a", context), 7 * 100 + 2 * 10 + 0x11);

    // A name the hook does not know now (a local outside its function) parses, and fails
    // only when evaluated.
    Expr expr;
    std::string error;
    ASSERT_TRUE(ParseExpr("counter > 3", expr, error, &context));
    EXPECT_FALSE(EvaluateExpr(expr, &context).ok);
    ASSERT_TRUE(ParseExpr("&RED", expr, error, &context));
    EXPECT_FALSE(EvaluateExpr(expr, &context).ok);
}

}  // namespace
}  // namespace plexaro
