// The debug adapter's expressions and arguments: conditions, log points, hit counts, the
// evaluate request, and the readers every request uses for its arguments.
//
// An expression is C-like over the machine: numbers (12, 0x1f, $1f), registers (a, hl, sp,
// pc, ...), a RAM variable's name for its byte and `&name` for its address (a ROM label gives
// its address), `(expression)`, the operators ! - + * & | ^ == != < <= > >= && ||.
#include <cctype>
#include <cstdio>

#include "cpu/z80.h"
#include "host/dap/session.h"
#include "host/debug/symbols.h"
#include "machine/board.h"

namespace plexaro {
namespace {

struct Parser {
    std::string_view text;
    size_t at;
    std::string error;
};

struct NamedRegister {
    const char* name;
    uint32_t index;
    uint32_t shift;  // 8: the pair's high byte, 0: low byte or whole pair
    uint32_t mask;
};
constexpr NamedRegister Registers[] = {
    {"af", z80::RegAF, 0, 0xFFFF}, {"bc", z80::RegBC, 0, 0xFFFF}, {"de", z80::RegDE, 0, 0xFFFF},
    {"hl", z80::RegHL, 0, 0xFFFF}, {"ix", z80::RegIX, 0, 0xFFFF}, {"iy", z80::RegIY, 0, 0xFFFF},
    {"sp", z80::RegSP, 0, 0xFFFF}, {"pc", z80::RegPC, 0, 0xFFFF}, {"a", z80::RegAF, 8, 0xFF},
    {"f", z80::RegAF, 0, 0xFF},    {"b", z80::RegBC, 8, 0xFF},    {"c", z80::RegBC, 0, 0xFF},
    {"d", z80::RegDE, 8, 0xFF},    {"e", z80::RegDE, 0, 0xFF},    {"h", z80::RegHL, 8, 0xFF},
    {"l", z80::RegHL, 0, 0xFF},
};

void Space(Parser& p) {
    while (p.at < p.text.size() && std::isspace(static_cast<unsigned char>(p.text[p.at]))) ++p.at;
}

bool Take(Parser& p, std::string_view token) {
    Space(p);
    if (p.text.substr(p.at, token.size()) != token) return false;
    p.at += token.size();
    return true;
}

bool Fail(Parser& p, const std::string& what) {
    if (p.error.empty()) p.error = what;
    return false;
}

bool Word(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '$' || c == '.';
}

bool Name(Parser& p, bool addressOf, int64_t& value) {
    const size_t start = p.at;
    while (p.at < p.text.size() && Word(p.text[p.at])) ++p.at;
    const std::string_view name = p.text.substr(start, p.at - start);
    if (name.empty())
        return Fail(p, "a value expected at \"" + std::string(p.text.substr(start)) + "\"");
    if (!addressOf) {
        std::string lower(name);
        for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        for (const NamedRegister& reg : Registers) {
            if (lower != reg.name) continue;
            value = (z80::GetRegister(reg.index) >> reg.shift) & reg.mask;
            return true;
        }
    }
    uint16_t address = 0;
    if (SymbolAddress(name, address)) {
        value = addressOf || !ConsoleRamAt(address) ? address : PeekConsole(address);
        return true;
    }
    int base = 10;
    std::string_view digits = name;
    if (digits.starts_with("0x") || digits.starts_with("0X")) {
        base = 16;
        digits.remove_prefix(2);
    } else if (digits.starts_with("$")) {
        base = 16;
        digits.remove_prefix(1);
    }
    if (digits.empty()) return Fail(p, "no such name: " + std::string(name));
    value = 0;
    for (const char c : digits) {
        const int digit = std::isdigit(static_cast<unsigned char>(c)) ? c - '0'
                          : std::isxdigit(static_cast<unsigned char>(c))
                              ? std::tolower(static_cast<unsigned char>(c)) - 'a' + 10
                              : 99;
        if (digit >= base) return Fail(p, "no such name: " + std::string(name));
        value = value * base + digit;
        if (value > 0xFFFFFFFFll) return Fail(p, "a number too large: " + std::string(name));
    }
    return true;
}

bool Binary(Parser& p, int level, int64_t& value);

bool Unary(Parser& p, int64_t& value) {
    Space(p);
    if (Take(p, "!")) {
        if (!Unary(p, value)) return false;
        value = !value;
        return true;
    }
    if (Take(p, "-")) {
        if (!Unary(p, value)) return false;
        value = -value;
        return true;
    }
    if (Take(p, "(")) {
        if (!Binary(p, 0, value)) return false;
        return Take(p, ")") || Fail(p, "')' expected");
    }
    if (Take(p, "&")) {
        Space(p);
        return Name(p, true, value);
    }
    return Name(p, false, value);
}

struct Operator {
    const char* token;
    int level;  // higher binds tighter
};
// Two-character operators first, so that "<=" is not read as "<".
constexpr Operator Operators[] = {
    {"||", 1}, {"&&", 2}, {"==", 6}, {"!=", 6}, {"<=", 7}, {">=", 7}, {"<", 7},
    {">", 7},  {"|", 3},  {"^", 4},  {"&", 5},  {"+", 8},  {"-", 8},  {"*", 9},
};

int64_t Apply(std::string_view op, int64_t a, int64_t b) {
    if (op == "||") return a || b;
    if (op == "&&") return a && b;
    if (op == "==") return a == b;
    if (op == "!=") return a != b;
    if (op == "<=") return a <= b;
    if (op == ">=") return a >= b;
    if (op == "<") return a < b;
    if (op == ">") return a > b;
    if (op == "|") return a | b;
    if (op == "^") return a ^ b;
    if (op == "&") return a & b;
    if (op == "+") return a + b;
    if (op == "-") return a - b;
    return a * b;
}

bool Binary(Parser& p, int level, int64_t& value) {
    if (!Unary(p, value)) return false;
    for (;;) {
        Space(p);
        const Operator* found = nullptr;
        for (const Operator& op : Operators) {
            if (p.text.substr(p.at).starts_with(op.token)) {
                found = &op;
                break;
            }
        }
        if (found == nullptr || found->level <= level) return true;
        p.at += std::string_view(found->token).size();
        int64_t right = 0;
        if (!Binary(p, found->level, right)) return false;
        value = Apply(found->token, value, right) & 0xFFFFFFFFll;
    }
}

}  // namespace

bool EvaluateText(std::string_view text, int64_t& value, std::string& error) {
    Parser p{text, 0, {}};
    value = 0;
    if (!Binary(p, 0, value)) {
        error = p.error;
        return false;
    }
    Space(p);
    if (p.at != text.size()) {
        error = "unexpected \"" + std::string(text.substr(p.at)) + "\"";
        return false;
    }
    return true;
}

std::string Interpolate(std::string_view message) {
    std::string out;
    size_t at = 0;
    while (at < message.size()) {
        const size_t open = message.find('{', at);
        const size_t close = open == std::string_view::npos ? open : message.find('}', open);
        if (close == std::string_view::npos) {
            out += message.substr(at);
            break;
        }
        out += message.substr(at, open - at);
        int64_t value = 0;
        std::string error;
        out += EvaluateText(message.substr(open + 1, close - open - 1), value, error)
                   ? std::to_string(value)
                   : "<" + error + ">";
        at = close + 1;
    }
    return out;
}

bool HitConditionMet(std::string_view condition, uint64_t hits, bool& valid) {
    std::string_view rest = condition;
    while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
    std::string op = "==";
    for (const char* known : {">=", "==", ">", "%"}) {
        if (rest.starts_with(known)) {
            op = known;
            rest.remove_prefix(op.size());
            break;
        }
    }
    int64_t count = 0;
    std::string error;
    valid = !rest.empty() && EvaluateText(rest, count, error) && count > 0;
    if (!valid) return true;
    const uint64_t n = static_cast<uint64_t>(count);
    if (op == ">=") return hits >= n;
    if (op == ">") return hits > n;
    if (op == "%") return hits % n == 0;
    return hits == n;
}

bool Evaluate(const Json& arguments, Json& body, std::string& error) {
    std::string expression;
    if (!StringArgument(arguments, "expression", true, expression, error)) return false;
    if (!session.launched) {
        error = "no cartridge is running: launch one first";
        return false;
    }
    int64_t value = 0;
    if (!EvaluateText(expression, value, error)) return false;
    char text[48];
    std::snprintf(text, sizeof text, "%lld (0x%llx)", static_cast<long long>(value),
                  static_cast<unsigned long long>(value));
    JsonSet(body, "result", JsonString(text));
    JsonSet(body, "variablesReference", JsonNumber(0));
    uint16_t address = 0;
    if (SymbolAddress(expression, address)) {
        JsonSet(body, "memoryReference", JsonString(HexAddress(address)));
    }
    return true;
}

bool StringArgument(const Json& arguments, const char* name, bool required, std::string& out,
                    std::string& error) {
    const Json* value = JsonFind(arguments, name);
    if (value == nullptr || (value->kind == JsonNull && !required)) {
        if (!required) return true;
        error = std::string("missing argument \"") + name + "\"";
        return false;
    }
    if (value->kind != JsonText) {
        error = std::string(name) + ": a string";
        return false;
    }
    out = value->text;
    return true;
}

bool IntegerArgument(const Json& arguments, const char* name, bool required, int64_t& out,
                     std::string& error) {
    const Json* value = JsonFind(arguments, name);
    if (value == nullptr || (value->kind == JsonNull && !required)) {
        if (!required) return true;
        error = std::string("missing argument \"") + name + "\"";
        return false;
    }
    // Checked for range before the conversion, which is undefined for a value out of range.
    if (value->kind != JsonNum || !(value->number > -9.0e15 && value->number < 9.0e15) ||
        value->number != static_cast<double>(static_cast<int64_t>(value->number))) {
        error = std::string(name) + ": an integer";
        return false;
    }
    out = static_cast<int64_t>(value->number);
    return true;
}

bool BoolArgument(const Json& arguments, const char* name, bool& out, std::string& error) {
    const Json* value = JsonFind(arguments, name);
    if (value == nullptr || value->kind == JsonNull) return true;
    if (value->kind != JsonBool) {
        error = std::string(name) + ": true or false";
        return false;
    }
    out = value->boolean;
    return true;
}

bool MemoryReference(std::string_view text, uint16_t& address) {
    return ParseAddress(text, address);
}

std::string HexAddress(uint16_t address) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%04x", address);
    return text;
}

}  // namespace plexaro
