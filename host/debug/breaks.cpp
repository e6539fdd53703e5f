// --break's counts, conditions and continue.
#include "host/debug/breaks.h"

#include <cctype>

#include "host/debug/symbols.h"

namespace plexaro {
namespace {

constexpr std::string_view ContinueWord = "continue";
constexpr std::string_view IfWord = " if ";

std::string_view Trim(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    return text;
}

bool AllDigits(std::string_view text) {
    if (text.empty() || text.size() > 18) return false;
    for (const char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    }
    return true;
}

bool ResolveAddress(std::string_view where, std::vector<uint16_t>& addresses) {
    uint16_t address = 0;
    if (!ParseAddress(where, address)) return false;
    addresses.push_back(address);
    return true;
}

}  // namespace

bool ParseBreak(std::string_view text, BreakSpec& spec, std::string& error, BreakResolver resolve) {
    if (resolve == nullptr) resolve = ResolveAddress;
    const std::string quoted = "'" + std::string(text) + "'";
    spec.addresses.clear();
    spec.count = 1;
    spec.conditional = false;
    spec.condition.count = 0;
    spec.continues = false;
    spec.hits = 0;
    text = Trim(text);
    // " continue" ends it; alone, "continue" is a label's name.
    if (text.size() > ContinueWord.size() && text.ends_with(ContinueWord) &&
        std::isspace(static_cast<unsigned char>(text[text.size() - ContinueWord.size() - 1]))) {
        spec.continues = true;
        text = Trim(text.substr(0, text.size() - ContinueWord.size()));
    }
    std::string_view where = text;
    if (const size_t at = text.find(IfWord); at != std::string_view::npos) {
        where = Trim(text.substr(0, at));
        std::string why;
        if (!ParseExpr(text.substr(at + IfWord.size()), spec.condition, why)) {
            error = "the condition of " + quoted + ": " + why;
            return false;
        }
        spec.conditional = true;
    }
    // game.c:42 is a place; _draw:100 and game.c:42:3 end in a count.
    if (resolve(where, spec.addresses)) return true;
    if (const size_t colon = where.rfind(':');
        colon != std::string_view::npos && AllDigits(where.substr(colon + 1))) {
        spec.count = 0;
        for (const char c : where.substr(colon + 1)) spec.count = spec.count * 10 + (c - '0');
        if (spec.count == 0) {
            error = "a breakpoint's count starts at 1, in " + quoted;
            return false;
        }
        where = where.substr(0, colon);
    }
    if (!resolve(where, spec.addresses)) {
        error = "no such symbol or address: '" + std::string(where) + "'";
        return false;
    }
    return true;
}

bool BreakIsAt(const BreakSpec& spec, uint16_t pc) {
    for (const uint16_t at : spec.addresses) {
        if (at == pc) return true;
    }
    return false;
}

BreakAction BreakHit(BreakSpec& spec) {
    if (spec.conditional) {
        const ExprResult result = EvaluateExpr(spec.condition);
        if (result.ok && result.value == 0) return BreakPass;
    }
    ++spec.hits;
    if (spec.hits < spec.count) return BreakPass;
    return spec.continues ? BreakReport : BreakStop;
}

}  // namespace plexaro
