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

bool ParseBreak(std::string_view text, BreakRule& rule, std::string& error, BreakResolver resolve) {
    if (resolve == nullptr) resolve = ResolveAddress;
    const std::string quoted = "'" + std::string(text) + "'";
    rule.addresses.clear();
    rule.count = 1;
    rule.conditional = false;
    rule.condition.count = 0;
    rule.continues = false;
    rule.hits = 0;
    text = Trim(text);
    // " continue" ends it; alone, "continue" is a label's name.
    if (text.size() > ContinueWord.size() && text.ends_with(ContinueWord) &&
        std::isspace(static_cast<unsigned char>(text[text.size() - ContinueWord.size() - 1]))) {
        rule.continues = true;
        text = Trim(text.substr(0, text.size() - ContinueWord.size()));
    }
    std::string_view where = text;
    if (const size_t at = text.find(IfWord); at != std::string_view::npos) {
        where = Trim(text.substr(0, at));
        std::string why;
        if (!ParseExpr(text.substr(at + IfWord.size()), rule.condition, why)) {
            error = "the condition of " + quoted + ": " + why;
            return false;
        }
        rule.conditional = true;
    }
    // game.c:42 is a place; _draw:100 and game.c:42:3 end in a count.
    if (resolve(where, rule.addresses)) return true;
    if (const size_t colon = where.rfind(':');
        colon != std::string_view::npos && AllDigits(where.substr(colon + 1))) {
        rule.count = 0;
        for (const char c : where.substr(colon + 1)) rule.count = rule.count * 10 + (c - '0');
        if (rule.count == 0) {
            error = "a breakpoint's count starts at 1, in " + quoted;
            return false;
        }
        where = where.substr(0, colon);
    }
    if (!resolve(where, rule.addresses)) {
        error = "no such symbol or address: '" + std::string(where) + "'";
        return false;
    }
    return true;
}

bool BreakIsAt(const BreakRule& rule, uint16_t pc) {
    for (const uint16_t at : rule.addresses) {
        if (at == pc) return true;
    }
    return false;
}

BreakAction BreakHit(BreakRule& rule) {
    if (rule.conditional) {
        const ExprResult result = EvaluateExpr(rule.condition);
        if (result.ok && result.value == 0) return BreakPass;
    }
    ++rule.hits;
    if (rule.hits < rule.count) return BreakPass;
    return rule.continues ? BreakReport : BreakStop;
}

}  // namespace plexaro
