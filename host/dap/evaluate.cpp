// The debug adapter's expressions and arguments: conditions, log points, hit counts, the
// evaluate request, and the readers every request uses for its arguments. Expressions are
// the debugger's own (host/debug/expr.h), with the program's RAM variables as names.
#include <cstdio>

#include "host/dap/session.h"
#include "host/debug/expr.h"
#include "host/debug/symbols.h"
#include "machine/board.h"

namespace plexaro {
namespace {

// C variables by their types; without a C debug file, a symbol naming RAM is a byte
// variable: its name reads the byte, & gives its address. A name elsewhere stays a symbol.
bool compiling;  // a condition set now may name locals of a function not running yet

bool RamVariable(std::string_view name, ExprPlace& place, void* user) {
    if (CNameHook(name, place, user)) return true;
    if (compiling && CdbLoaded() && !SymbolAddress(name, place.address)) {
        place = ExprPlace{};  // resolved each time it is evaluated, where it is evaluated
        return true;
    }
    uint16_t address = 0;
    if (!SymbolAddress(name, address) || !ConsoleRamAt(address)) return false;
    place = ExprPlace{};
    place.isPlace = true;
    place.address = address;
    place.size = 1;
    return true;
}

constexpr ExprContext Machine{nullptr, nullptr, RamVariable, nullptr};

}  // namespace

bool CompileCondition(std::string_view text, Expr& expr, std::string& error) {
    compiling = true;
    const bool parsed = ParseExpr(text, expr, error, &Machine);
    compiling = false;
    return parsed;
}

bool ConditionValue(const Expr& expr, int64_t& value, std::string& error) {
    const ExprResult result = EvaluateExpr(expr, &Machine);
    if (!result.ok) {
        error = result.error;
        return false;
    }
    value = result.value;
    return true;
}

bool EvaluateText(std::string_view text, int64_t& value, std::string& error) {
    static Expr expr;  // some 900 bytes: kept off the stack
    return CompileCondition(text, expr, error) && ConditionValue(expr, value, error);
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
