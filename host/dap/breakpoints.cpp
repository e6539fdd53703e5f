// The debug adapter's breakpoints: source lines, functions and instruction addresses share
// the debugger's address breakpoints; data breakpoints are its watchpoints. Conditions, hit
// counts and log points are weighed here when the debugger stops at one.
#include <algorithm>
#include <cstdio>

#include "host/dap/session.h"
#include "host/debug/symbols.h"
#include "machine/debugger.h"

namespace plexaro {
namespace {

void Arm(uint16_t address) {
    DebuggerAddBreakpoint(address);
    session.armed.push_back(address);
}

// The debugger keeps one flag an address; the session's breakpoints of every kind arm it.
// Those armed by others (the desktop's CPU window, when the session runs there) stay.
void ArmAddresses() {
    DisarmAddresses();
    for (const DapBreakpoint& breakpoint : session.breakpoints) {
        if (!breakpoint.verified) continue;
        Arm(breakpoint.address);
        for (const uint16_t address : breakpoint.also) Arm(address);
    }
}

// The common optional fields of a breakpoint request's entry.
bool ReadOptions(const Json& entry, DapBreakpoint& breakpoint, std::string& error) {
    return StringArgument(entry, "condition", false, breakpoint.condition, error) &&
           StringArgument(entry, "hitCondition", false, breakpoint.hitCondition, error) &&
           StringArgument(entry, "logMessage", false, breakpoint.logMessage, error);
}

// A condition that does not parse leaves its breakpoint unverified, with the reason.
bool Compiles(const std::string& condition, Expr& compiled, std::string& why) {
    if (condition.empty()) return true;
    if (CompileCondition(condition, compiled, why)) return true;
    why = "condition: " + why;
    return false;
}

Json Describe(const DapBreakpoint& breakpoint, const char* message) {
    Json out = JsonObject();
    JsonSet(out, "id", JsonNumber(static_cast<double>(breakpoint.id)));
    JsonSet(out, "verified", JsonBoolean(breakpoint.verified));
    if (message != nullptr) JsonSet(out, "message", JsonString(message));
    if (breakpoint.verified) {
        JsonSet(out, "instructionReference", JsonString(HexAddress(breakpoint.address)));
    }
    if (breakpoint.kind == BreakSource && breakpoint.line > 0) {
        JsonSet(out, "line", JsonNumber(static_cast<double>(breakpoint.line)));
    }
    return out;
}

// Replaces the breakpoints of one kind (and, for source lines, one file) with `fresh`.
void Replace(uint32_t kind, const std::string& source, std::vector<DapBreakpoint>& fresh) {
    std::erase_if(session.breakpoints, [&](const DapBreakpoint& old) {
        return old.kind == kind && (kind != BreakSource || old.source == source);
    });
    for (DapBreakpoint& breakpoint : fresh) session.breakpoints.push_back(breakpoint);
    ArmAddresses();
}

const Json* ListArgument(const Json& arguments, const char* name, std::string& error) {
    static const Json Empty = JsonArray();
    const Json* list = JsonFind(arguments, name);
    if (list == nullptr) return &Empty;
    if (list->kind == JsonList) return list;
    error = std::string(name) + ": a list";
    return nullptr;
}

// A condition that fails to evaluate (a division by zero) stops, and says why.
bool ConditionHolds(const std::string& condition, const Expr& compiled) {
    if (condition.empty()) return true;
    int64_t value = 0;
    std::string error;
    if (ConditionValue(compiled, value, error)) return value != 0;
    SendOutput("condition \"" + condition + "\": " + error + "\n", "stderr");
    return true;
}

bool HitHolds(const std::string& hitCondition, uint64_t hits) {
    if (hitCondition.empty()) return true;
    bool valid = true;
    const bool met = HitConditionMet(hitCondition, hits, valid);
    if (!valid) {
        SendOutput("hit condition \"" + hitCondition +
                       "\": a count (\"5\", \"== 5\", \">= 5\", \"> 5\" or \"% 5\")\n",
                   "stderr");
        return true;
    }
    return met;
}

bool At(const DapBreakpoint& breakpoint, uint16_t pc) {
    if (breakpoint.address == pc) return true;
    return std::find(breakpoint.also.begin(), breakpoint.also.end(), pc) != breakpoint.also.end();
}

// The three kinds of address breakpoints differ only in how an entry names its place: `read`
// takes the entry's own fields (false when they are malformed), `place` finds the address
// (false, with the reason in `why`, when there is none). An entry not verified reports the
// line it asked for.
template <typename Read, typename Place>
bool ReplaceKind(const Json& arguments, uint32_t kind, const std::string& source, const char* shape,
                 Read read, Place place, Json& body, std::string& error) {
    const Json* list = ListArgument(arguments, "breakpoints", error);
    if (list == nullptr) return false;
    std::vector<DapBreakpoint> fresh;
    Json out = JsonArray();
    for (const Json& entry : list->items) {
        DapBreakpoint breakpoint{};
        breakpoint.id = session.nextBreakpointId++;
        breakpoint.kind = kind;
        breakpoint.source = source;
        if (entry.kind != JsonMap || !read(entry, breakpoint, error) ||
            !ReadOptions(entry, breakpoint, error)) {
            if (error.empty()) error = std::string("breakpoints: a list of objects with ") + shape;
            return false;
        }
        const int64_t asked = breakpoint.line;
        std::string why;
        breakpoint.verified =
            place(breakpoint, why) && Compiles(breakpoint.condition, breakpoint.compiled, why);
        if (!breakpoint.verified) breakpoint.line = asked;
        JsonPush(out, Describe(breakpoint, breakpoint.verified ? nullptr : why.c_str()));
        fresh.push_back(std::move(breakpoint));
    }
    Replace(kind, source, fresh);
    JsonSet(body, "breakpoints", std::move(out));
    return true;
}

}  // namespace

void DisarmAddresses() {
    for (const uint16_t address : session.armed) DebuggerRemoveBreakpoint(address);
    session.armed.clear();
}

bool BreakpointAt(uint16_t pc) {
    for (const DapBreakpoint& breakpoint : session.breakpoints) {
        if (breakpoint.verified && At(breakpoint, pc)) return true;
    }
    return false;
}

bool SetBreakpoints(const Json& arguments, Json& body, std::string& error) {
    const Json* source = JsonFind(arguments, "source");
    if (source == nullptr || source->kind != JsonMap) {
        error = "source: an object naming the file";
        return false;
    }
    std::string path, name;
    if (!StringArgument(*source, "path", false, path, error) ||
        !StringArgument(*source, "name", false, name, error)) {
        return false;
    }
    const auto read = [](const Json& entry, DapBreakpoint& breakpoint, std::string& problem) {
        return IntegerArgument(entry, "line", true, breakpoint.line, problem);
    };
    // A line without code moves to the next line with code; no line records, no code.
    const auto place = [](DapBreakpoint& breakpoint, std::string& why) {
        why = "no code for this line in the C debug records";
        uint32_t actual = 0;
        std::vector<uint16_t> addresses;
        if (breakpoint.line <= 0 ||
            !SourceLineAddresses(breakpoint.source, static_cast<uint32_t>(breakpoint.line), actual,
                                 addresses) ||
            addresses.empty()) {
            return false;
        }
        breakpoint.line = actual;
        breakpoint.address = addresses[0];
        breakpoint.also.assign(addresses.begin() + 1, addresses.end());
        return true;
    };
    return ReplaceKind(arguments, BreakSource, path.empty() ? name : path, "a line", read, place,
                       body, error);
}

bool SetFunctionBreakpoints(const Json& arguments, Json& body, std::string& error) {
    std::string name;
    const auto read = [&name](const Json& entry, DapBreakpoint&, std::string& problem) {
        return StringArgument(entry, "name", true, name, problem);
    };
    const auto place = [&name](DapBreakpoint& breakpoint, std::string& why) {
        why = "no such function";
        return SymbolAddress(name, breakpoint.address);
    };
    return ReplaceKind(arguments, BreakFunction, "", "a name", read, place, body, error);
}

bool SetInstructionBreakpoints(const Json& arguments, Json& body, std::string& error) {
    std::string reference;
    int64_t offset = 0;
    const auto read = [&](const Json& entry, DapBreakpoint&, std::string& problem) {
        offset = 0;
        return StringArgument(entry, "instructionReference", true, reference, problem) &&
               IntegerArgument(entry, "offset", false, offset, problem);
    };
    const auto place = [&](DapBreakpoint& breakpoint, std::string& why) {
        why = "no such address";
        uint16_t address = 0;
        const bool found = MemoryReference(reference, address);
        breakpoint.address = static_cast<uint16_t>(address + offset);
        return found;
    };
    return ReplaceKind(arguments, BreakInstruction, "", "an instructionReference", read, place,
                       body, error);
}

bool SetExceptionBreakpoints(const Json&, Json& body, std::string&) {
    JsonSet(body, "breakpoints", JsonArray());  // none are offered
    return true;
}

// dataId: "ADDRESS/SIZE", as the debugger's watchpoints take a range.
bool DataBreakpointInfo(const Json& arguments, Json& body, std::string& error) {
    std::string name;
    if (!StringArgument(arguments, "name", true, name, error)) return false;
    int64_t reference = 0;
    if (!IntegerArgument(arguments, "variablesReference", false, reference, error)) return false;
    uint16_t address = 0;
    uint32_t size = 1;
    const bool memory = reference != ScopeRegisters && reference != ScopeVideo;
    if (!memory || (!CVariablePlace(name, address, size) && !MemoryReference(name, address))) {
        JsonSet(body, "dataId", Json{});
        JsonSet(body, "description", JsonString("only memory can be watched: " + name));
        return true;
    }
    char id[32];
    std::snprintf(id, sizeof id, "0x%04x/%u", address, size);
    JsonSet(body, "dataId", JsonString(id));
    JsonSet(body, "description", JsonString(name + " at " + HexAddress(address)));
    Json types = JsonArray();
    for (const char* type : {"read", "write", "readWrite"}) JsonPush(types, JsonString(type));
    JsonSet(body, "accessTypes", std::move(types));
    JsonSet(body, "canPersist", JsonBoolean(true));
    return true;
}

bool SetDataBreakpoints(const Json& arguments, Json& body, std::string& error) {
    const Json* list = ListArgument(arguments, "breakpoints", error);
    if (list == nullptr) return false;
    std::vector<DapDataBreakpoint> fresh;
    Json out = JsonArray();
    for (const Json& entry : list->items) {
        DapDataBreakpoint data{};
        data.id = session.nextBreakpointId++;
        std::string id, access = "write";
        if (entry.kind != JsonMap || !StringArgument(entry, "dataId", true, id, error) ||
            !StringArgument(entry, "accessType", false, access, error) ||
            !StringArgument(entry, "condition", false, data.condition, error) ||
            !StringArgument(entry, "hitCondition", false, data.hitCondition, error)) {
            if (error.empty()) error = "breakpoints: a list of objects with a dataId";
            return false;
        }
        unsigned address = 0, size = 0;
        char end = 0;
        std::string why = "not a data id of this adapter";
        const bool parsed = std::sscanf(id.c_str(), "0x%x/%u%c", &address, &size, &end) == 2 &&
                            address <= 0xFFFF && size >= 1 && address + size <= 0x10000 &&
                            Compiles(data.condition, data.compiled, why);
        data.kinds = access == "read"        ? WatchRead
                     : access == "readWrite" ? WatchRead | WatchWrite
                                             : WatchWrite;
        data.first = static_cast<uint16_t>(address);
        data.last = static_cast<uint16_t>(address + size - 1);
        Json described = JsonObject();
        JsonSet(described, "id", JsonNumber(static_cast<double>(data.id)));
        JsonSet(described, "verified", JsonBoolean(parsed && fresh.size() < MaxWatchpoints));
        if (!parsed) JsonSet(described, "message", JsonString(why));
        JsonPush(out, std::move(described));
        if (parsed && fresh.size() < MaxWatchpoints) fresh.push_back(std::move(data));
    }
    session.dataBreakpoints = std::move(fresh);
    DebuggerClearWatchpoints();
    for (const DapDataBreakpoint& data : session.dataBreakpoints) {
        DebuggerAddWatchpoint({data.kinds, data.first, data.last, false, 0, 0});
    }
    JsonSet(body, "breakpoints", std::move(out));
    return true;
}

bool BreakpointsSayStop(uint16_t pc, Json& ids) {
    bool stop = false;
    for (DapBreakpoint& breakpoint : session.breakpoints) {
        if (!breakpoint.verified || !At(breakpoint, pc)) continue;
        if (!ConditionHolds(breakpoint.condition, breakpoint.compiled)) continue;
        ++breakpoint.hits;
        if (!HitHolds(breakpoint.hitCondition, breakpoint.hits)) continue;
        if (!breakpoint.logMessage.empty()) {
            SendOutput(Interpolate(breakpoint.logMessage) + "\n", "console");
            continue;
        }
        JsonPush(ids, JsonNumber(static_cast<double>(breakpoint.id)));
        stop = true;
    }
    return stop;
}

Json StoppingIdsAt(uint16_t pc, bool watchpoint) {
    Json ids = JsonArray();
    if (watchpoint) {
        const uint32_t watch = DebuggerLastWatchHit().watch;
        if (watch < session.dataBreakpoints.size()) {
            JsonPush(ids, JsonNumber(static_cast<double>(session.dataBreakpoints[watch].id)));
        }
        return ids;
    }
    for (const DapBreakpoint& breakpoint : session.breakpoints) {
        if (breakpoint.verified && breakpoint.logMessage.empty() && At(breakpoint, pc)) {
            JsonPush(ids, JsonNumber(static_cast<double>(breakpoint.id)));
        }
    }
    return ids;
}

bool BreakpointWouldStop(uint16_t pc) {
    for (const DapBreakpoint& breakpoint : session.breakpoints) {
        if (!breakpoint.verified || !At(breakpoint, pc) || !breakpoint.logMessage.empty()) continue;
        int64_t value = 1;
        std::string error;
        if (breakpoint.condition.empty() || !ConditionValue(breakpoint.compiled, value, error) ||
            value != 0) {
            return true;
        }
    }
    return false;
}

bool DataBreakpointSaysStop(uint32_t watch, Json& ids) {
    if (watch >= session.dataBreakpoints.size()) return true;
    DapDataBreakpoint& data = session.dataBreakpoints[watch];
    if (!ConditionHolds(data.condition, data.compiled)) return false;
    ++data.hits;
    if (!HitHolds(data.hitCondition, data.hits)) return false;
    JsonPush(ids, JsonNumber(static_cast<double>(data.id)));
    return true;
}

}  // namespace plexaro
