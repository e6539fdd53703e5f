// --break and --watch in the headless player: breakpoints with their counts, conditions and
// continue; watchpoints printed as they are hit, the 16-bit ones once per instruction.
#include "host/player/stops.h"

#include <cinttypes>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "cpu/z80.h"
#include "host/debug/breaks.h"
#include "host/debug/cdb.h"
#include "host/debug/symbols.h"
#include "host/debug/watches.h"
#include "host/player/trace.h"
#include "machine/board.h"
#include "machine/debugger.h"

namespace plexaro {
namespace {

// "game.c:42": the line's code, or the next line's that has some (said when it moves).
bool BreakAtSourceLine(std::string_view where, std::vector<uint16_t>& addresses) {
    std::string file;
    uint32_t line = 0;
    uint32_t actual = 0;
    if (!ParseSourceLine(where, file, line) ||
        !SourceLineAddresses(file, line, actual, addresses)) {
        return false;
    }
    if (actual != line) {
        std::fprintf(stderr, "plexaro: --break %.*s: line %u has no code; breaking at line %u\n",
                     static_cast<int>(where.size()), where.data(), static_cast<unsigned>(line),
                     static_cast<unsigned>(actual));
    }
    return true;
}

bool ResolveBreak(std::string_view where, std::vector<uint16_t>& addresses) {
    uint16_t address = 0;
    if (ParseAddress(where, address)) {
        addresses.push_back(address);
        return true;
    }
    return BreakAtSourceLine(where, addresses);
}

std::vector<BreakRule> breakRules;

uint64_t hitFrameBase;  // the run's first frame, for the hits' frame numbers

// A 16-bit watch reports once per instruction, after it, with the whole value before and
// after: its byte hits wait here until the instruction is done.
struct WideWatch {
    bool pending;
    WatchHit hit;
    uint16_t value;  // as last reported
};
WideWatch wide[MaxWatchpoints];

uint16_t WordAt(uint16_t address) {
    return static_cast<uint16_t>(PeekConsole(address) | PeekConsole((address + 1u) & 0xFFFF) << 8);
}

void StartWideWatches() {
    for (uint32_t i = 0; i < DebuggerWatchpointCount(); ++i) {
        wide[i] = {false, {}, WordAt(DebuggerGetWatchpoint(i).first)};
    }
}

void PrintHit(const WatchHit& hit) {
    if (DebuggerGetWatchpoint(hit.watch).width == 2) {
        if (!wide[hit.watch].pending) wide[hit.watch] = {true, hit, wide[hit.watch].value};
        return;
    }
    WatchHit counted = hit;
    counted.position.frame += hitFrameBase;
    char line[192];
    FormatWatchHit(counted, line, sizeof line);
    std::printf("watch %s: %s\n", DescribeWatchpoint(DebuggerGetWatchpoint(hit.watch)).c_str(),
                line);
}

}  // namespace

bool ArmStops(const PlayerOptions& options) {
    DebuggerClearBreakpoints();
    DebuggerClearWatchpoints();
    breakRules.assign(options.breaks.size(), BreakRule{});
    for (size_t i = 0; i < options.breaks.size(); ++i) {
        std::string error;
        if (!ParseBreak(options.breaks[i], breakRules[i], error, ResolveBreak)) {
            const bool place = error.starts_with("no such symbol or address");
            std::fprintf(stderr, "plexaro: --break %s: %s\n", options.breaks[i].c_str(),
                         place ? (CdbLoaded() ? "no such symbol or address, nor C line"
                                              : "no such symbol or address")
                               : error.c_str());
            return false;
        }
        for (const uint16_t at : breakRules[i].addresses) DebuggerAddBreakpoint(at);
    }
    for (const std::string& text : options.watches) {
        Watchpoint watch{};
        std::string error;
        if (!ParseWatch(text, watch, error)) {
            std::fprintf(stderr, "plexaro: --watch: %s\n", error.c_str());
            return false;
        }
        if (!DebuggerAddWatchpoint(watch)) {
            std::fprintf(stderr, "plexaro: --watch: at most %u watches\n", MaxWatchpoints);
            return false;
        }
    }
    return true;
}

void StartStops(uint64_t firstFrame, bool printWatches) {
    hitFrameBase = firstFrame;
    DebuggerSetWatchHook(printWatches ? PrintHit : nullptr);
    StartWideWatches();
}

void ReportWideWatches() {
    for (uint32_t i = 0; i < DebuggerWatchpointCount(); ++i) {
        if (!wide[i].pending) continue;
        wide[i].pending = false;
        const Watchpoint watch = DebuggerGetWatchpoint(i);
        const uint16_t now = WordAt(watch.first);
        WatchHit hit = wide[i].hit;
        hit.address = watch.first;
        hit.position.frame += hitFrameBase;
        char line[256];
        FormatWideWatchHit(hit, wide[i].value, now, line, sizeof line);
        std::printf("watch %s: %s\n", DescribeWatchpoint(watch).c_str(), line);
        wide[i].value = now;
    }
}

void PrintBreak(uint64_t frame, bool continuing) {
    const auto r = [](uint32_t index) { return z80::GetRegister(index); };
    const uint16_t pc = static_cast<uint16_t>(r(z80::RegPC));
    char label[SymbolTextSize];
    FormatSymbol(pc, label, sizeof label);
    char place[SourcePlaceTextSize];
    FormatSourcePlace(pc, place, sizeof place);
    const DebugPosition at = DebuggerPosition();
    std::printf("%s at 0x%04x%s%s%s%s (frame %" PRIu64 ", line %u, cycle %u)\n",
                continuing ? "passed" : "break", pc, label[0] != '\0' ? " " : "", label,
                place[0] != '\0' ? " " : "", place, frame, at.line, at.cycle);
    std::printf("AF=%04x BC=%04x DE=%04x HL=%04x IX=%04x IY=%04x SP=%04x PC=%04x\n", r(z80::RegAF),
                r(z80::RegBC), r(z80::RegDE), r(z80::RegHL), r(z80::RegIX), r(z80::RegIY),
                r(z80::RegSP), pc);
    std::printf("AF'=%04x BC'=%04x DE'=%04x HL'=%04x I=%02x R=%02x IM=%u IFF1=%u IFF2=%u\n",
                r(z80::RegAltAF), r(z80::RegAltBC), r(z80::RegAltDE), r(z80::RegAltHL),
                r(z80::RegIR) >> 8, r(z80::RegIR) & 0xFF, r(z80::RegIM), r(z80::RegIFF1),
                r(z80::RegIFF2));
    if (continuing) return;
    std::printf("the last instructions, oldest first:\n");
    WriteTraceHistory(stdout);
}

// Stopped at a breakpoint's address: whether any --break there stops the run, after
// reporting those that only report.
bool BreakStops(uint64_t frame) {
    const uint16_t pc = static_cast<uint16_t>(z80::GetRegister(z80::RegPC));
    bool stops = false;
    bool reported = false;
    for (BreakRule& rule : breakRules) {
        if (!BreakIsAt(rule, pc)) continue;
        const BreakAction action = BreakHit(rule);
        stops = stops || action == BreakStop;
        if (action == BreakReport && !reported) {
            reported = true;
            PrintBreak(frame, true);
        }
    }
    return stops;
}

bool AnyBreakStops() {
    for (const BreakRule& rule : breakRules) {
        if (!rule.continues) return true;
    }
    return false;
}

void EndStops() {
    DebuggerSetWatchHook(nullptr);
    breakRules.clear();
}

}  // namespace plexaro
