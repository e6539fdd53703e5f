// The expression language of conditions: a recursive-descent parser that writes postfix
// operations, and a stack machine that runs them.
#include "host/debug/expr.h"

#include <cctype>
#include <cstring>

#include "cpu/z80.h"
#include "host/debug/symbols.h"
#include "machine/board.h"

namespace plexaro {
namespace {

enum OpCode : uint8_t {
    OpConst,  // value
    OpReg,    // a: register index, b: RegWhole, RegHigh or RegLow
    OpFlag,   // a: the mask in F
    OpName,   // a: name index, b: NameMode, value: the symbol's address or -1
    OpByte,   // pops an address, pushes the byte there
    OpWord,   // pops an address, pushes the word there
    OpNeg,
    OpBitNot,
    OpNot,
    OpMul,
    OpDiv,
    OpMod,
    OpAdd,
    OpSub,
    OpShl,
    OpShr,
    OpLt,
    OpLe,
    OpGt,
    OpGe,
    OpEq,
    OpNe,
    OpAnd,
    OpXor,
    OpOr,
    OpLogicalAnd,
    OpLogicalOr,
};

enum RegPart : uint16_t { RegWhole, RegHigh, RegLow };
// NameOrTop: a register's name, whose value is on the stack: the hook's variable of that
// name if it knows one (a C loop's `i`), else the register.
enum NameMode : uint16_t { NameValue, NameAddress, NameDeref, NameIndex, NameOrTop };

struct RegisterName {
    const char* name;
    uint8_t index;
    uint16_t part;
};
constexpr RegisterName Registers[] = {
    {"a", z80::RegAF, RegHigh},   {"f", z80::RegAF, RegLow},    {"b", z80::RegBC, RegHigh},
    {"c", z80::RegBC, RegLow},    {"d", z80::RegDE, RegHigh},   {"e", z80::RegDE, RegLow},
    {"h", z80::RegHL, RegHigh},   {"l", z80::RegHL, RegLow},    {"i", z80::RegIR, RegHigh},
    {"r", z80::RegIR, RegLow},    {"af", z80::RegAF, RegWhole}, {"bc", z80::RegBC, RegWhole},
    {"de", z80::RegDE, RegWhole}, {"hl", z80::RegHL, RegWhole}, {"ix", z80::RegIX, RegWhole},
    {"iy", z80::RegIY, RegWhole}, {"sp", z80::RegSP, RegWhole}, {"pc", z80::RegPC, RegWhole},
};

// The Z80's flag bits in F.
struct FlagName {
    const char* name;
    uint8_t mask;
};
constexpr FlagName Flags[] = {{"sf", 0x80}, {"zf", 0x40}, {"hf", 0x10}, {"pf", 0x04},
                              {"vf", 0x04}, {"nf", 0x02}, {"cf", 0x01}};

// Binary operators by how tightly they bind (higher first).
struct BinaryOp {
    const char* text;
    uint8_t code;
    int level;
};
constexpr BinaryOp Binaries[] = {
    {"*", OpMul, 10}, {"/", OpDiv, 10},        {"%", OpMod, 10},       {"+", OpAdd, 9},
    {"-", OpSub, 9},  {"<<", OpShl, 8},        {">>", OpShr, 8},       {"<=", OpLe, 7},
    {">=", OpGe, 7},  {"<", OpLt, 7},          {">", OpGt, 7},         {"==", OpEq, 6},
    {"!=", OpNe, 6},  {"&&", OpLogicalAnd, 2}, {"||", OpLogicalOr, 1}, {"&", OpAnd, 5},
    {"^", OpXor, 4},  {"|", OpOr, 3},
};
constexpr int MaxNesting = 32;

struct Parser {
    std::string_view text;
    size_t at;
    Expr* expr;
    const ExprContext* context;
    std::string error;
    int depth;
};

bool Fail(Parser& p, const std::string& what) {
    if (p.error.empty()) p.error = what;
    return false;
}

void SkipSpace(Parser& p) {
    while (p.at < p.text.size() && std::isspace(static_cast<unsigned char>(p.text[p.at]))) ++p.at;
}

bool Accept(Parser& p, std::string_view token) {
    SkipSpace(p);
    if (p.text.substr(p.at, token.size()) != token) return false;
    p.at += token.size();
    return true;
}

bool Emit(Parser& p, uint8_t code, uint8_t a = 0, uint16_t b = 0, int32_t value = 0) {
    if (p.expr->count == ExprMaxOps) return Fail(p, "expression too long");
    p.expr->ops[p.expr->count++] = {code, a, b, value};
    return true;
}

bool NameChar(char c, bool first) {
    const unsigned char u = static_cast<unsigned char>(c);
    return std::isalpha(u) || c == '_' || (!first && (std::isdigit(u) || c == '$' || c == '.'));
}

bool Lower(std::string_view word, const char* name) {
    if (word.size() != std::strlen(name)) return false;
    for (size_t i = 0; i < word.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(word[i])) != name[i]) return false;
    }
    return true;
}

bool HexValue(std::string_view digits, int64_t& value) {
    if (digits.empty() || digits.size() > 8) return false;
    value = 0;
    for (const char c : digits) {
        if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
        value =
            value * 16 +
            (std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : std::tolower(c) - 'a' + 10);
    }
    return true;
}

bool Number(Parser& p) {
    size_t end = p.at;
    if (p.text[end] == '$') ++end;
    while (end < p.text.size() && std::isalnum(static_cast<unsigned char>(p.text[end]))) ++end;
    std::string_view word = p.text.substr(p.at, end - p.at);
    p.at = end;
    int64_t value = 0;
    bool good = false;
    if (word[0] == '$') {
        good = HexValue(word.substr(1), value);
    } else if (word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X')) {
        good = HexValue(word.substr(2), value);
    } else if (word.back() == 'h' || word.back() == 'H') {
        good = HexValue(word.substr(0, word.size() - 1), value);
    } else if (word.size() <= 10) {
        good = true;
        for (const char c : word) {
            if (!std::isdigit(static_cast<unsigned char>(c))) good = false;
            value = value * 10 + (c - '0');
        }
    }
    if (!good || value > INT32_MAX) return Fail(p, "not a number: " + std::string(word));
    return Emit(p, OpConst, 0, 0, static_cast<int32_t>(value));
}

bool Unary(Parser& p);
bool Binary(Parser& p, int level);

bool Bracketed(Parser& p, uint8_t read) {
    if (!Binary(p, 0)) return false;
    if (!Accept(p, "]")) return Fail(p, "missing ]");
    return read == OpConst || Emit(p, read);
}

// A name that is not a register: the hook's at evaluation, else a symbol's address.
bool Name(Parser& p, std::string_view word, uint16_t mode) {
    uint16_t address = 0;
    const bool symbol = mode != NameOrTop && SymbolAddress(word, address);
    const bool hooked = p.context != nullptr && p.context->name != nullptr;
    if (!symbol && !hooked) return Fail(p, "unknown name: " + std::string(word));
    Expr& e = *p.expr;
    if (e.nameCount == ExprMaxNames) return Fail(p, "too many names");
    const size_t start = e.nameCount == 0
                             ? 0
                             : e.nameStart[e.nameCount - 1] +
                                   std::strlen(e.names + e.nameStart[e.nameCount - 1]) + 1;
    if (start + word.size() + 1 > ExprNameBytes) return Fail(p, "names too long");
    std::memcpy(e.names + start, word.data(), word.size());
    e.names[start + word.size()] = 0;
    e.nameStart[e.nameCount] = static_cast<uint16_t>(start);
    const uint8_t index = static_cast<uint8_t>(e.nameCount++);
    if (mode == NameValue && Accept(p, "[")) {
        if (!Bracketed(p, OpConst)) return false;
        mode = NameIndex;
    }
    return Emit(p, OpName, index, mode, symbol ? address : -1);
}

bool Primary(Parser& p, uint16_t mode) {
    SkipSpace(p);
    if (p.at >= p.text.size()) return Fail(p, "expression ends too soon");
    const char c = p.text[p.at];
    if (mode == NameValue) {
        if (std::isdigit(static_cast<unsigned char>(c)) ||
            (c == '$' && p.at + 1 < p.text.size() &&
             std::isxdigit(static_cast<unsigned char>(p.text[p.at + 1])))) {
            return Number(p);
        }
        if (Accept(p, "(")) {
            if (!Binary(p, 0)) return false;
            return Accept(p, ")") || Fail(p, "missing )");
        }
        if (Accept(p, "[")) return Bracketed(p, OpByte);
        if (c == '@' && p.at + 1 < p.text.size() && NameChar(p.text[p.at + 1], true)) {
            ++p.at;  // @register
            return Primary(p, NameValue);
        }
    }
    if (!NameChar(c, true)) return Fail(p, "unexpected '" + std::string(1, c) + "'");
    size_t end = p.at + 1;
    while (end < p.text.size() && NameChar(p.text[end], false)) ++end;
    const std::string_view word = p.text.substr(p.at, end - p.at);
    p.at = end;
    if (mode != NameValue) return Name(p, word, mode);
    if (Lower(word, "byte") && Accept(p, "[")) return Bracketed(p, OpByte);
    if (Lower(word, "word") && Accept(p, "[")) return Bracketed(p, OpWord);
    // With a hook, a variable may bear a register's name; @a is the register whatever.
    const bool forced = p.at > word.size() && p.text[p.at - word.size() - 1] == '@';
    const bool hooked = p.context != nullptr && p.context->name != nullptr && !forced;
    for (const RegisterName& r : Registers) {
        if (!Lower(word, r.name)) continue;
        return Emit(p, OpReg, r.index, r.part) && (!hooked || Name(p, word, NameOrTop));
    }
    for (const FlagName& f : Flags) {
        if (!Lower(word, f.name)) continue;
        return Emit(p, OpFlag, f.mask) && (!hooked || Name(p, word, NameOrTop));
    }
    if (forced) return Fail(p, "not a register: @" + std::string(word));
    return Name(p, word, NameValue);
}

bool Unary(Parser& p) {
    if (++p.depth > MaxNesting) return Fail(p, "expression nested too deeply");
    bool good;
    SkipSpace(p);
    const char c = p.at < p.text.size() ? p.text[p.at] : 0;
    const bool logicalAnd = p.text.substr(p.at, 2) == "&&";
    if (c == '-' || c == '~' || c == '!') {
        ++p.at;
        good = Unary(p) && Emit(p, c == '-' ? OpNeg : c == '~' ? OpBitNot : OpNot);
    } else if (c == '+') {
        ++p.at;
        good = Unary(p);
    } else if (c == '&' && !logicalAnd) {
        ++p.at;
        good = Primary(p, NameAddress);
    } else if (c == '*') {
        ++p.at;
        SkipSpace(p);
        // *name follows a pointer; *(expr) and *123 read a byte.
        good = p.at < p.text.size() && NameChar(p.text[p.at], true) ? Primary(p, NameDeref)
                                                                    : Unary(p) && Emit(p, OpByte);
    } else {
        good = Primary(p, NameValue);
    }
    --p.depth;
    return good;
}

bool Binary(Parser& p, int level) {
    if (!Unary(p)) return false;
    for (;;) {
        SkipSpace(p);
        const BinaryOp* found = nullptr;
        for (const BinaryOp& op : Binaries) {
            if (p.text.substr(p.at, std::strlen(op.text)) == op.text) {
                found = &op;
                break;
            }
        }
        if (found == nullptr || found->level <= level) return true;
        p.at += std::strlen(found->text);
        if (++p.depth > MaxNesting) return Fail(p, "expression nested too deeply");
        const bool good = Binary(p, found->level) && Emit(p, found->code);
        --p.depth;
        if (!good) return false;
    }
}

uint32_t ReadRegister(const ExprContext* c, uint32_t index) {
    return c != nullptr && c->reg != nullptr ? c->reg(index, c->user) : z80::GetRegister(index);
}

uint8_t Peek(const ExprContext* c, uint32_t address) {
    address &= 0xFFFF;
    return c != nullptr && c->peek != nullptr ? c->peek(static_cast<uint16_t>(address), c->user)
                                              : PeekConsole(address);
}

int64_t ReadPlace(const ExprContext* c, uint32_t address, uint32_t size, bool isSigned) {
    if (size != 2 && size != 4) size = 1;
    uint32_t bits = 0;
    for (uint32_t i = 0; i < size; ++i)
        bits |= static_cast<uint32_t>(Peek(c, address + i)) << (8 * i);
    if (!isSigned) return bits;
    const uint32_t sign = 1u << (8 * size - 1);
    return size == 4 ? static_cast<int32_t>(bits) : static_cast<int64_t>(bits ^ sign) - sign;
}

// The name's value in its mode; false with `error` set when it has none here.
bool NameValueOf(const Expr& e, const ExprOp& op, int64_t index, const ExprContext* c, int64_t& out,
                 const char*& error) {
    uint16_t mode = op.b;
    ExprPlace place = {};
    const std::string_view name(e.names + e.nameStart[op.a]);
    const bool hooked = c != nullptr && c->name != nullptr && c->name(name, place, c->user);
    if (mode == NameOrTop) {
        if (!hooked) {
            out = index;  // the register's value
            return true;
        }
        mode = NameValue;
    }
    if (!hooked) {
        if (op.value < 0) {
            error = "unknown name";
            return false;
        }
        // A label is the start of bytes of unknown type: an array of bytes.
        place = {true, 0, static_cast<uint16_t>(op.value), 1, false, 1, 0, false};
    }
    if (!place.isPlace) {
        if (mode != NameValue) {
            error = "not in memory";
            return false;
        }
        out = place.value;
        return true;
    }
    switch (mode) {
        case NameAddress: out = place.address; return true;
        case NameValue:
            out = place.stride != 0 ? place.address
                                    : ReadPlace(c, place.address, place.size, place.isSigned);
            return true;
        default: break;
    }
    const uint32_t at = mode == NameDeref ? 0 : static_cast<uint32_t>(index);
    if (place.stride != 0) {
        out = ReadPlace(c, place.address + at * place.stride, place.stride, place.isSigned);
        return true;
    }
    if (place.pointee != 0) {
        const uint32_t pointer = static_cast<uint32_t>(ReadPlace(c, place.address, 2, false));
        out = ReadPlace(c, pointer + at * place.pointee, place.pointee, place.pointeeSigned);
        return true;
    }
    error = mode == NameDeref ? "not a pointer" : "not an array or pointer";
    return false;
}

}  // namespace

bool ParseExpr(std::string_view text, Expr& expr, std::string& error, const ExprContext* context) {
    expr.count = 0;
    expr.nameCount = 0;
    Parser p = {text, 0, &expr, context, {}, 0};
    bool good = Binary(p, 0);
    SkipSpace(p);
    if (good && p.at < text.size()) {
        good = Fail(p, "unexpected '" + std::string(text.substr(p.at, 1)) + "'");
    }
    if (good) return true;
    error = p.error;
    expr.count = 0;
    return false;
}

ExprResult EvaluateExpr(const Expr& expr, const ExprContext* c) {
    int64_t stack[ExprMaxOps];
    uint32_t depth = 0;
    if (expr.count == 0) return {false, 0, "empty expression"};
    for (uint32_t i = 0; i < expr.count; ++i) {
        const ExprOp& op = expr.ops[i];
        switch (op.code) {
            case OpConst: stack[depth++] = op.value; continue;
            case OpReg: {
                const uint32_t value = ReadRegister(c, op.a) & 0xFFFF;
                stack[depth++] = op.b == RegHigh  ? value >> 8
                                 : op.b == RegLow ? value & 0xFF
                                                  : value;
                continue;
            }
            case OpFlag: stack[depth++] = (ReadRegister(c, z80::RegAF) & op.a) != 0; continue;
            case OpName: {
                const char* error = nullptr;
                int64_t index = 0;
                if (op.b == NameIndex || op.b == NameOrTop) index = stack[--depth];
                if (!NameValueOf(expr, op, index, c, stack[depth++], error)) {
                    return {false, 0, error};
                }
                continue;
            }
            case OpByte:
                stack[depth - 1] = Peek(c, static_cast<uint32_t>(stack[depth - 1]));
                continue;
            case OpWord:
                stack[depth - 1] = ReadPlace(c, static_cast<uint32_t>(stack[depth - 1]), 2, false);
                continue;
            case OpNeg: stack[depth - 1] = -stack[depth - 1]; continue;
            case OpBitNot: stack[depth - 1] = ~stack[depth - 1]; continue;
            case OpNot: stack[depth - 1] = stack[depth - 1] == 0; continue;
            default: break;
        }
        const int64_t y = stack[--depth];
        int64_t& x = stack[depth - 1];
        switch (op.code) {
            case OpMul: x *= y; break;
            case OpDiv:
            case OpMod:
                if (y == 0) return {false, 0, "division by zero"};
                x = op.code == OpDiv ? x / y : x % y;
                break;
            case OpAdd: x += y; break;
            case OpSub: x -= y; break;
            case OpShl:
                x = y < 0 || y > 62 ? 0 : static_cast<int64_t>(static_cast<uint64_t>(x) << y);
                break;
            case OpShr: x = y < 0 || y > 62 ? (x < 0 ? -1 : 0) : x >> y; break;
            case OpLt: x = x < y; break;
            case OpLe: x = x <= y; break;
            case OpGt: x = x > y; break;
            case OpGe: x = x >= y; break;
            case OpEq: x = x == y; break;
            case OpNe: x = x != y; break;
            case OpAnd: x &= y; break;
            case OpXor: x ^= y; break;
            case OpOr: x |= y; break;
            case OpLogicalAnd: x = x != 0 && y != 0; break;
            case OpLogicalOr: x = x != 0 || y != 0; break;
            default: return {false, 0, "bad expression"};
        }
    }
    return {true, stack[0], nullptr};
}

}  // namespace plexaro
