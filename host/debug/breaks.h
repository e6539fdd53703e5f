// Breakpoints as the command line gives them (--break): where, after how many hits, under
// what condition, and whether the run stops there or only reports the hit and goes on.
//
// Written: WHERE[:COUNT][ if CONDITION][ continue]
//   WHERE      an address or symbol, as ParseAddress reads it (_draw, loop+3, 0x1a2f), or
//              whatever the caller's resolver adds (a C line: game.c:42, which is tried
//              whole before a last :COUNT is split off)
//   COUNT      the hit that counts: 3 stops at the third time (hits whose condition is false
//              do not count); with continue, every hit from the COUNTth on is reported
//   CONDITION  an expression (expr.h): the hit counts only when it is not 0
//   continue   report the hit (registers and the instructions before) and run on
// Examples: _draw:100   'loop if a == 3 && [_lives] == 0'   '_irq continue'
//
//     BreakRule rule;
//     if (!ParseBreak("_die:2 if hl > 0xc100", rule, error)) fail(error);
//     for (uint16_t at : rule.addresses) DebuggerAddBreakpoint(at);
//     ... when the debugger stops at one of them:
//     switch (BreakHit(rule)) { case BreakStop: ...; case BreakReport: ...; case BreakPass: ... }
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "host/debug/expr.h"

namespace plexaro {

struct BreakRule {
    std::vector<uint16_t> addresses;  // a C line may have several stretches of code
    uint64_t count;                   // the hit that counts, 1 for the first
    bool conditional;
    Expr condition;
    bool continues;
    uint64_t hits;  // hits that counted so far
};

// The addresses a WHERE names; false when it names none.
using BreakResolver = bool (*)(std::string_view where, std::vector<uint16_t>& addresses);
// `error` is "no such symbol or address: 'WHERE'" when nothing resolves the place, or says
// what is wrong with the count or the condition. Without a resolver, ParseAddress's.
bool ParseBreak(std::string_view text, BreakRule& rule, std::string& error,
                BreakResolver resolve = nullptr);
bool BreakIsAt(const BreakRule& rule, uint16_t pc);

enum BreakAction : uint32_t {
    BreakPass = 0,    // not this time: run on without a word
    BreakReport = 1,  // report the hit and run on
    BreakStop = 2,    // stop here
};
// A hit of the rule's address, as the machine stands now; counts it if it counts. A condition
// that can't be evaluated (a division by zero) counts as true, so that the stop shows why.
BreakAction BreakHit(BreakRule& rule);

}  // namespace plexaro
