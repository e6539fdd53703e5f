// The debug adapter's dispatcher, the session's end (disconnect, terminate) and its
// run control: continuing, stepping, pausing, and the stops and frames the machine reports.
#include "host/dap/adapter.h"

#include <cstdio>

#include "cpu/z80.h"
#include "host/dap/session.h"
#include "host/debug/cdb.h"
#include "host/debug/problems.h"
#include "host/debug/stepping.h"
#include "host/debug/symbols.h"
#include "host/debug/timetravel.h"
#include "host/media.h"
#include "machine/board.h"
#include "machine/checks.h"
#include "machine/debugger.h"
#include "machine/machine.h"

namespace plexaro {

DapSession session;

namespace {

bool answering;          // a request is being handled
std::vector<Json> held;  // the events it caused, sent after its response

bool NeedsMachine(std::string& error) {
    if (session.launched) return true;
    error = "no cartridge is running: launch one first";
    return false;
}

bool NeedsStopped(std::string& error) {
    if (!NeedsMachine(error)) return false;
    if (!session.running) return true;
    error = "the machine is running: pause it first";
    return false;
}

void SendStopped(const char* reason, const char* description, Json ids) {
    Json body = JsonObject();
    JsonSet(body, "reason", JsonString(reason));
    if (description != nullptr) JsonSet(body, "description", JsonString(description));
    JsonSet(body, "threadId", JsonNumber(DapThreadId));
    JsonSet(body, "allThreadsStopped", JsonBoolean(true));
    if (!ids.items.empty()) JsonSet(body, "hitBreakpointIds", std::move(ids));
    SendEvent("stopped", std::move(body));
}

// The warnings found since the last call, each once, as the console-only checks keep them.
void SendNewWarnings() {
    const uint32_t count = ChecksWarningCount();
    if (count < session.warningsSent) session.warningsSent = 0;  // the Problems window cleared
    for (; session.warningsSent < count; ++session.warningsSent) {
        const CheckWarning warning = ChecksWarning(session.warningsSent);
        char line[SourcePlaceTextSize] = "";
        if (warning.located) FormatSourcePlace(warning.pc, line, sizeof line);
        const std::string text = "warning: " + WarningPlace(warning) +
                                 (line[0] != '\0' ? std::string(" (") + line + ")" : "") + ": " +
                                 CheckKindTitle(warning.kind) + " (" + WarningDetail(warning) +
                                 ", " + WarningFirstSeen(warning) + ")\n";
        SendOutput(text, "console");
    }
}

// A frame's end: its sound made (as the player does, so a session and a run agree; a window
// makes its own), the next frame's input applied.
void FrameEnded() {
    if (session.host == nullptr) MakeSoundFrame();
    session.frame = DebuggerPosition().frame;
    ChecksSetFrame(session.frame);
    ApplyFrameInput();
}

void StopHere(const char* reason, const char* description, Json ids) {
    session.frames.clear();
    session.containers.clear();
    session.running = false;
    session.motion = MotionNone;
    DebuggerStop();
    session.stoppedAt = DebuggerPosition();
    session.stoppedInstruction = DebuggerInstructionInFrame();
    SendGameMessages();
    SendNewWarnings();
    SendStopped(reason, description, std::move(ids));
}

bool Settle(DebugResult result);

// Starts a step from where the machine stands; it arrives now or in later frames.
void StartStep(StepAction action, StepUnit unit) {
    session.motion = MotionStep;
    session.running = true;
    session.stepAction = action;
    session.stepUnit = unit;
    const DebugResult result = SteppingStart(action, unit);
    if (result == DebugFrameEnded) {
        if (session.host != nullptr) session.host->frameEnded();
        FrameEnded();
        // A single instruction stops after itself; a longer step goes on in the next frame.
        if (DebuggerStopped()) StopHere("step", nullptr, JsonArray());
    } else {
        Settle(result);
    }
}

// A step into a C function arrives at its entry, where its frame is not made yet and its
// opening line says nothing: it goes on to the first line of the body, as a person expects.
bool StepPastPrologue() {
    if (session.stepAction != StepInto || session.stepUnit != StepByLine) return false;
    const uint16_t pc = static_cast<uint16_t>(z80::GetRegister(z80::RegPC));
    const CFunction* function = CFunctionFor(pc);
    if (function == nullptr || function->entry != pc) return false;
    StartStep(StepInto, StepByLine);
    session.stepAction = StepOver;  // once: a body with no line of its own stops anyway
    return true;
}

// What DebuggerRunFrame said, turned into events; true when the frame ended.
bool Settle(DebugResult result) {
    if (result == DebugFrameEnded) {
        FrameEnded();
        // A data breakpoint met by the frame's last instruction stops after the frame.
        if (DebuggerStopped()) {
            Json ids = JsonArray();
            if (DataBreakpointSaysStop(DebuggerLastWatchHit().watch, ids)) {
                StopHere("data breakpoint", nullptr, std::move(ids));
            } else {
                DebuggerResume();
            }
        }
        return true;
    }
    if (result == DebugStepped && session.motion == MotionStep) {
        if (!StepPastPrologue()) StopHere("step", nullptr, JsonArray());
    } else if (result == DebugBreakpoint) {
        Json ids = JsonArray();
        const uint16_t pc = static_cast<uint16_t>(z80::GetRegister(z80::RegPC));
        // A breakpoint of the desktop's own CPU window stops as it would without the session.
        if (BreakpointsSayStop(pc, ids) || (session.host != nullptr && !BreakpointAt(pc))) {
            StopHere("breakpoint", nullptr, std::move(ids));
        } else {
            DebuggerResume();  // a log point, a condition not met: on from here
        }
    } else if (result == DebugWatchpoint) {
        Json ids = JsonArray();
        if (DataBreakpointSaysStop(DebuggerLastWatchHit().watch, ids)) {
            StopHere("data breakpoint", nullptr, std::move(ids));
        } else {
            DebuggerResume();
        }
    }
    return false;
}

bool ConfigurationDone(const Json&, Json&, std::string& error) {
    if (!NeedsMachine(error)) return false;
    if (session.configured) return true;
    session.configured = true;
    if (session.stopOnEntry) {
        StopHere("entry", nullptr, JsonArray());
    } else {
        DebuggerResume();
        session.running = true;
    }
    return true;
}

bool Disconnect(const Json&, Json&, std::string&) {
    session.ended = true;
    return true;
}

bool Terminate(const Json&, Json&, std::string&) {
    session.running = false;
    DebuggerStop();
    Json exited = JsonObject();
    JsonSet(exited, "exitCode", JsonNumber(0));
    SendEvent("exited", std::move(exited));
    SendEvent("terminated", JsonObject());
    return true;
}

bool Threads(const Json&, Json& body, std::string&) {
    Json thread = JsonObject();
    JsonSet(thread, "id", JsonNumber(DapThreadId));
    JsonSet(thread, "name", JsonString("Z80"));
    Json threads = JsonArray();
    JsonPush(threads, std::move(thread));
    JsonSet(body, "threads", std::move(threads));
    return true;
}

bool Continue(const Json&, Json& body, std::string& error) {
    if (!NeedsMachine(error)) return false;
    JsonSet(body, "allThreadsContinued", JsonBoolean(true));
    session.frames.clear();
    session.containers.clear();
    session.motion = MotionNone;
    session.running = true;
    DebuggerResume();
    return true;
}

// A step by C line where the PC has one, else by instruction; `granularity: instruction`
// always by instruction.
bool Step(StepAction action, const Json& arguments, std::string& error) {
    std::string granularity;
    if (!NeedsStopped(error) ||
        !StringArgument(arguments, "granularity", false, granularity, error)) {
        return false;
    }
    StartStep(action, granularity == "instruction" ? StepByInstruction : StepByLine);
    return true;
}

bool StepIn(const Json& arguments, Json&, std::string& error) {
    return Step(StepInto, arguments, error);
}

bool Next(const Json& arguments, Json&, std::string& error) {
    return Step(StepOver, arguments, error);
}

bool StepOut(const Json& arguments, Json&, std::string& error) {
    return Step(plexaro::StepOut, arguments, error);
}

// After going back: the frame count, the checks' and the game's messages as they stand then.
void Travelled(TravelResult result, const char* reason, Json ids) {
    if (session.host != nullptr) session.host->travelled();
    session.frame = DebuggerPosition().frame;
    ChecksSetFrame(session.frame);
    WatchGameMessages(true);  // what the replay printed was printed the first time
    StopHere(reason, result == TravelOldest ? "the oldest moment kept" : nullptr, std::move(ids));
}

bool StepBack(const Json& arguments, Json&, std::string& error) {
    std::string granularity;
    if (!NeedsStopped(error) ||
        !StringArgument(arguments, "granularity", false, granularity, error)) {
        return false;
    }
    if (!session.timeTravel) {
        error = "the past is not kept: there was no memory for it";
        return false;
    }
    const TravelResult result =
        TimeTravelStepBack(granularity == "instruction" ? StepByInstruction : StepByLine);
    if (result == TravelNoHistory) {
        error = "nothing is kept before this moment";
        return false;
    }
    Travelled(result, "step", JsonArray());
    return true;
}

bool AcceptHitBackwards(uint16_t pc, bool watchpoint) {
    return watchpoint || BreakpointWouldStop(pc);
}

bool ReverseContinue(const Json&, Json&, std::string& error) {
    if (!NeedsStopped(error)) return false;
    if (!session.timeTravel) {
        error = "the past is not kept: there was no memory for it";
        return false;
    }
    const TravelResult result = TimeTravelReverseContinue(AcceptHitBackwards);
    if (result == TravelNoHistory) {
        error = "nothing is kept before this moment";
        return false;
    }
    const uint16_t pc = static_cast<uint16_t>(z80::GetRegister(z80::RegPC));
    if (result == TravelOldest) {
        Travelled(result, "step", JsonArray());
    } else {
        const bool watchpoint = !DebuggerHasBreakpoint(pc);
        Travelled(result, watchpoint ? "data breakpoint" : "breakpoint",
                  StoppingIdsAt(pc, watchpoint));
    }
    return true;
}

bool Pause(const Json&, Json&, std::string& error) {
    if (!NeedsMachine(error)) return false;
    if (session.running) StopHere("pause", nullptr, JsonArray());
    return true;
}

struct Command {
    const char* name;
    RequestHandler handler;
};

constexpr Command Commands[] = {
    {"initialize", Initialize},
    {"launch", Launch},
    {"attach", Attach},
    {"configurationDone", ConfigurationDone},
    {"disconnect", Disconnect},
    {"terminate", Terminate},
    {"threads", Threads},
    {"setBreakpoints", SetBreakpoints},
    {"setFunctionBreakpoints", SetFunctionBreakpoints},
    {"setInstructionBreakpoints", SetInstructionBreakpoints},
    {"setExceptionBreakpoints", SetExceptionBreakpoints},
    {"dataBreakpointInfo", DataBreakpointInfo},
    {"setDataBreakpoints", SetDataBreakpoints},
    {"continue", Continue},
    {"next", Next},
    {"stepIn", StepIn},
    {"stepOut", StepOut},
    {"pause", Pause},
    {"stepBack", StepBack},
    {"reverseContinue", ReverseContinue},
    {"stackTrace", StackTrace},
    {"scopes", Scopes},
    {"variables", Variables},
    {"setVariable", SetVariable},
    {"evaluate", Evaluate},
    {"readMemory", ReadMemory},
    {"writeMemory", WriteMemory},
    {"disassemble", Disassemble},
};

void SendNumbered(Json& message) {
    Json numbered = JsonObject();
    JsonSet(numbered, "seq", JsonNumber(static_cast<double>(++session.seq)));
    for (size_t i = 0; i < message.keys.size(); ++i) {
        JsonSet(numbered, message.keys[i], std::move(message.items[i]));
    }
    session.send(WriteJson(numbered));
}

void Respond(int64_t requestSeq, const std::string& command, bool success, const std::string& error,
             Json body) {
    Json response = JsonObject();
    JsonSet(response, "seq", JsonNumber(static_cast<double>(++session.seq)));
    JsonSet(response, "type", JsonString("response"));
    JsonSet(response, "request_seq", JsonNumber(static_cast<double>(requestSeq)));
    JsonSet(response, "success", JsonBoolean(success));
    JsonSet(response, "command", JsonString(command));
    if (!success) {
        JsonSet(response, "message", JsonString(error));
        Json detail = JsonObject();
        JsonSet(detail, "id", JsonNumber(1));
        JsonSet(detail, "format", JsonString(error));
        JsonSet(detail, "showUser", JsonBoolean(true));
        Json wrapped = JsonObject();
        JsonSet(wrapped, "error", std::move(detail));
        body = std::move(wrapped);
    }
    if (body.kind == JsonMap) JsonSet(response, "body", std::move(body));
    session.send(WriteJson(response));
}

}  // namespace

void ApplyFrameInput() {
    if (!session.haveScript) return;
    const FrameInput input = ScriptInputForFrame(session.script, session.frame);
    if (input.reset) {
        ResetMachine();
        DebuggerResetPosition();
        SelectRgbMode(session.options.rgbMode);
    }
    ClearJoypad();
    for (uint32_t button = JoypadUp; button <= JoypadButton2; ++button) {
        if (input.controls & (1u << button)) PressJoypad(button);
        if (input.controls & (1u << (ScriptPlayer2Shift + button))) PressJoypad2(button);
    }
    for (uint32_t press = 0; press < input.pauses; ++press) PressPauseButton();
}

void SendEvent(const char* event, Json body) {
    Json message = JsonObject();
    JsonSet(message, "type", JsonString("event"));
    JsonSet(message, "event", JsonString(event));
    if (body.kind == JsonMap) JsonSet(message, "body", std::move(body));
    // While a request is handled its events wait, so that its response comes before them (a
    // client reads a stop that came before the step's response as a stop of its own).
    if (answering) {
        held.push_back(std::move(message));
        return;
    }
    SendNumbered(message);
}

void SendOutput(std::string_view text, const char* category) {
    Json body = JsonObject();
    JsonSet(body, "category", JsonString(category));
    JsonSet(body, "output", JsonString(text));
    SendEvent("output", std::move(body));
}

void DapBegin(const PlayerOptions& options, DapSender send) {
    session = DapSession{};
    session.send = send;
    session.options = options;
    session.realTime = true;
    session.nextBreakpointId = 1;
}

void DapReceive(std::string_view text) {
    Json message;
    std::string error;
    if (!ParseJson(text, message, error)) {
        Respond(0, "", false, "not a JSON message: " + error, Json{});
        return;
    }
    const Json* seq = JsonFind(message, "seq");
    const Json* type = JsonFind(message, "type");
    const Json* command = JsonFind(message, "command");
    const int64_t requestSeq =
        seq != nullptr && seq->kind == JsonNum ? static_cast<int64_t>(seq->number) : 0;
    if (type == nullptr || type->kind != JsonText || type->text != "request" ||
        command == nullptr || command->kind != JsonText) {
        Respond(requestSeq, command != nullptr && command->kind == JsonText ? command->text : "",
                false, "not a request: a message needs \"type\": \"request\" and a \"command\"",
                Json{});
        return;
    }
    static const Json NoArguments = JsonObject();
    const Json* arguments = JsonFind(message, "arguments");
    if (arguments == nullptr) arguments = &NoArguments;
    if (arguments->kind != JsonMap) {
        Respond(requestSeq, command->text, false, "arguments: an object", Json{});
        return;
    }
    for (const Command& known : Commands) {
        if (command->text != known.name) continue;
        Json body = JsonObject();
        answering = true;
        const bool ok = known.handler(*arguments, body, error);
        answering = false;
        Respond(requestSeq, command->text, ok, error, std::move(body));
        for (Json& event : held) SendNumbered(event);
        held.clear();
        // The client learns it may configure once the cartridge's symbols are known.
        if (ok && (command->text == "launch" || command->text == "attach"))
            SendEvent("initialized", JsonObject());
        return;
    }
    Respond(requestSeq, command->text, false, "unknown request \"" + command->text + "\"", Json{});
}

bool DapWork() {
    if (!session.launched || !session.running || session.ended) return false;
    const bool frameEnded = Settle(DebuggerRunFrame());
    SendGameMessages();
    if (frameEnded) SendNewWarnings();
    return true;
}

void DapBeginHosted(const PlayerOptions& options, DapSender send, const DapHost& host) {
    DapBegin(options, send);
    session.host = &host;
}

namespace {

// The window's Run (or a step of its own) let the machine go: the client hears so before
// any stop that follows.
void FollowHostRunning() {
    if (!session.launched || !session.configured || session.ended) return;
    if (session.running || DebuggerStopped()) return;
    session.running = true;
    session.motion = MotionNone;
    session.frames.clear();
    session.containers.clear();
    Json body = JsonObject();
    JsonSet(body, "threadId", JsonNumber(DapThreadId));
    JsonSet(body, "allThreadsContinued", JsonBoolean(true));
    SendEvent("continued", std::move(body));
}

}  // namespace

DebugResult DapRunFrame() {
    if (!session.launched || session.ended) return DebuggerRunFrame();
    FollowHostRunning();
    for (;;) {
        const DebugResult result = DebuggerRunFrame();
        const bool frameEnded = Settle(result);
        // A log point, or a condition not met, goes on within the frame.
        if (frameEnded || DebuggerStopped()) {
            SendGameMessages();
            if (frameEnded) SendNewWarnings();
            return result;
        }
    }
}

void DapFollowHost() {
    if (!session.launched || !session.configured || session.ended) return;
    const bool stopped = DebuggerStopped();
    if (session.running && stopped) {
        StopHere("pause", "stopped in the window", JsonArray());
    } else if (!stopped) {
        FollowHostRunning();
    } else if (!session.running) {
        // Stepped or sent back by the window's buttons: the client's view is of another moment.
        const DebugPosition now = DebuggerPosition();
        if (now.frame != session.stoppedAt.frame || now.line != session.stoppedAt.line ||
            now.cycle != session.stoppedAt.cycle ||
            DebuggerInstructionInFrame() != session.stoppedInstruction) {
            StopHere("step", "stepped in the window", JsonArray());
        }
    }
}

void DapHostClosing() {
    if (session.ended) return;
    SendEvent("terminated", JsonObject());
    session.ended = true;
}

bool DapRealTime() {
    return session.realTime;
}

bool DapEnded() {
    return session.ended;
}

void DapFinish() {
    WatchGameMessages(false);
    if (session.host == nullptr || session.ownTimeTravel) TimeTravelStop();
    SteppingSetLines(nullptr);
    if (session.launched && session.host != nullptr) {
        // The window plays on from here, as it would have without the client.
        DisarmAddresses();
        if (!session.dataBreakpoints.empty()) DebuggerClearWatchpoints();
        DebuggerResume();
    } else if (session.launched) {
        ChecksEnable(false);
        DebuggerClearBreakpoints();
        DebuggerClearWatchpoints();
        DebuggerResetPosition();
        DebuggerResume();
        ShutdownMachine();
    }
    session = DapSession{};
}

}  // namespace plexaro
