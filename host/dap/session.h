// Private to host/dap/: the session's one record and the parts' entry points, shared by the
// dispatcher and run control (adapter.cpp), initialize and launch (launch.cpp), the
// breakpoints (breakpoints.cpp), the views of the stopped machine (inspect.cpp), the C debug
// records as a client sees them (csource.cpp), the expressions (evaluate.cpp) and the game's
// messages (messages.cpp).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "host/dap/adapter.h"
#include "host/dap/json.h"
#include "host/debug/cdb.h"
#include "host/debug/expr.h"
#include "host/debug/stepping.h"
#include "host/player/input_script.h"

namespace plexaro {

inline constexpr int64_t DapThreadId = 1;

// Scopes' variable references; larger ones are made per request for structured values.
enum DapScope : int64_t {
    ScopeLocals = 1,  // the innermost frame's
    ScopeGlobals = 2,
    ScopeRegisters = 3,
    ScopeVideo = 4,
    ScopeFrameLocals = 100,  // + the frame's index: that frame's locals
};

// A frame of the call stack: where it stands, and its stack pointer and IX there.
struct DapFrame {
    uint16_t pc;
    uint16_t sp;
    uint16_t ix;
};

enum DapBreakKind : uint32_t { BreakSource, BreakFunction, BreakInstruction };

struct DapBreakpoint {
    int64_t id;
    uint32_t kind;  // DapBreakKind
    bool verified;
    uint16_t address;
    std::vector<uint16_t> also;  // a C line's other stretches of code
    std::string source;          // BreakSource: the file as the client named it
    int64_t line;                // BreakSource: the line with code it moved to
    std::string condition;
    Expr compiled;  // the condition, when there is one
    std::string hitCondition;
    std::string logMessage;
    uint64_t hits;
};

struct DapDataBreakpoint {
    int64_t id;
    uint16_t first;
    uint16_t last;
    uint32_t kinds;  // WatchKind
    std::string condition;
    Expr compiled;
    std::string hitCondition;
    uint64_t hits;
};

enum DapMotion : uint32_t {
    MotionNone,  // stopped, or running freely
    MotionStep,  // a step under way: its arrival stops with reason "step"
};

struct DapSession {
    DapSender send;
    int64_t seq;
    PlayerOptions options;
    bool initialized;
    bool launched;
    bool configured;
    bool running;  // the client let the machine run (continue, a step under way)
    bool ended;
    bool stopOnEntry;
    bool realTime;
    uint32_t motion;  // DapMotion
    StepAction stepAction;
    StepUnit stepUnit;
    uint64_t frame;  // frames completed since power-on
    InputScript script;
    bool haveScript;
    std::vector<DapBreakpoint> breakpoints;
    std::vector<DapDataBreakpoint> dataBreakpoints;
    int64_t nextBreakpointId;
    uint32_t warningsSent;
    std::vector<std::string> sourceFolders;  // where C sources are looked for
    std::vector<std::string> files;          // the C files the debug records name
    std::vector<DapFrame> frames;            // the last stack trace's
    std::vector<CLocation> containers;       // values opened since the stop, by reference
    bool timeTravel;                         // the past is kept for stepBack
    bool ownTimeTravel;                      // started by the session: it stops it
    const DapHost* host;                     // the window running the machine, or null
    std::vector<uint16_t> armed;             // the addresses the session's breakpoints armed
    DebugPosition stoppedAt;                 // where the last stop told to the client was
    uint32_t stoppedInstruction;
};

extern DapSession session;

void SendEvent(const char* event, Json body);
void SendOutput(std::string_view text, const char* category);

// A handler fills the response's body, or says what is wrong (the response then fails).
using RequestHandler = bool (*)(const Json& arguments, Json& body, std::string& error);

// Argument readers: false with `error` said when present with the wrong type, or missing
// when required.
bool StringArgument(const Json& arguments, const char* name, bool required, std::string& out,
                    std::string& error);
bool IntegerArgument(const Json& arguments, const char* name, bool required, int64_t& out,
                     std::string& error);
bool BoolArgument(const Json& arguments, const char* name, bool& out, std::string& error);
// "0x1234", "1234" (decimal) or a symbol; false when it names no address.
bool MemoryReference(std::string_view text, uint16_t& address);
std::string HexAddress(uint16_t address);  // "0x1234"

// adapter.cpp
void ApplyFrameInput();  // the input script's presses for the frame about to run

// launch.cpp
bool Initialize(const Json& arguments, Json& body, std::string& error);
bool Launch(const Json& arguments, Json& body, std::string& error);
// In a window only: a launch of the cartridge the window runs, kept as it is.
bool Attach(const Json& arguments, Json& body, std::string& error);

// breakpoints.cpp
bool SetBreakpoints(const Json& arguments, Json& body, std::string& error);
bool SetFunctionBreakpoints(const Json& arguments, Json& body, std::string& error);
bool SetInstructionBreakpoints(const Json& arguments, Json& body, std::string& error);
bool DataBreakpointInfo(const Json& arguments, Json& body, std::string& error);
bool SetDataBreakpoints(const Json& arguments, Json& body, std::string& error);
bool SetExceptionBreakpoints(const Json& arguments, Json& body, std::string& error);
// At a breakpoint's address: counts the hits, prints log points, and says whether to stop;
// `ids` gets the ids of those that stop.
bool BreakpointsSayStop(uint16_t pc, Json& ids);
bool DataBreakpointSaysStop(uint32_t watch, Json& ids);
// Going back: whether a breakpoint there would have stopped (its condition; counts aside).
bool BreakpointWouldStop(uint16_t pc);
bool BreakpointAt(uint16_t pc);  // one of the session's at the address, whatever its condition
void DisarmAddresses();          // the session's breakpoints off the debugger, others kept
Json StoppingIdsAt(uint16_t pc, bool watchpoint);  // the ids a stop there names

// inspect.cpp
bool StackTrace(const Json& arguments, Json& body, std::string& error);
bool Scopes(const Json& arguments, Json& body, std::string& error);
bool Variables(const Json& arguments, Json& body, std::string& error);
bool SetVariable(const Json& arguments, Json& body, std::string& error);
bool ReadMemory(const Json& arguments, Json& body, std::string& error);
bool WriteMemory(const Json& arguments, Json& body, std::string& error);
bool Disassemble(const Json& arguments, Json& body, std::string& error);

// evaluate.cpp
bool Evaluate(const Json& arguments, Json& body, std::string& error);
// Expressions (host/debug/expr.h) over the machine, with the program's variables as names.
bool CompileCondition(std::string_view text, Expr& expr, std::string& error);
bool ConditionValue(const Expr& expr, int64_t& value, std::string& error);
bool EvaluateText(std::string_view text, int64_t& value, std::string& error);
// A log point's text with each {expression} replaced by its value.
std::string Interpolate(std::string_view message);
// Hit conditions: "5" or "== 5" (the 5th hit), ">= 5", "> 5", "% 5" (every 5th).
bool HitConditionMet(std::string_view condition, uint64_t hits, bool& valid);

// csource.cpp: the C debug records as the client sees them.
void UseCSource();  // at launch, once the records are read
Json SourceJson(const char* file);
std::vector<DapFrame> WalkFrames();
bool FrameSource(const DapFrame& frame, bool caller, Json& out);  // false: no line known
// A caller's locals held in registers are not known there: the callee has reused them.
void ListLocals(const DapFrame& frame, bool innermost, Json& list);
bool ListCGlobals(Json& list);  // false: no C globals known
bool ListChildren(int64_t reference, Json& list);
// False when `name` is no C variable there; else true, with `error` said if it failed.
bool SetCVariable(int64_t reference, const std::string& name, const std::string& text, Json& body,
                  std::string& error);
bool CVariablePlace(std::string_view name, uint16_t& address, uint32_t& size);
bool CNameHook(std::string_view name, ExprPlace& place, void* user);

// The game's own messages (an `ld d,d` followed by `jr` over a NUL-ended text): watched
// while the session runs, printed as they happen.
void WatchGameMessages(bool on);
void SendGameMessages();

}  // namespace plexaro
