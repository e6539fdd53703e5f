// The debug adapter's first requests: initialize (what it offers) and launch (the cartridge
// loaded with the choices the client made, its symbols and C debug records read, the past kept
// for stepping back).
#include "host/dap/session.h"
#include "host/debug/sources.h"
#include "host/debug/symbols.h"
#include "host/debug/timetravel.h"
#include "host/media.h"
#include "machine/board.h"
#include "machine/checks.h"
#include "machine/debugger.h"
#include "machine/machine.h"

namespace plexaro {
namespace {

constexpr uint32_t HeadlessRowStride = VdpScreenWidth;

bool LoadLaunchSymbols(const std::vector<std::string>& named, std::string& error) {
    ClearSymbols();
    for (const std::string& path : SymbolFilesBeside(session.options.cartridgePath)) {
        SendOutput("symbols: " + DescribeSymbolLoad(path, LoadSymbolFile(path)) + "\n", "console");
    }
    for (const std::string& path : named) {
        const SymbolLoadReport report = LoadSymbolFile(path);
        SendOutput("symbols: " + DescribeSymbolLoad(path, report) + "\n", "console");
        if (!report.readable) {
            error = path + ": can't read the symbols";
            return false;
        }
    }
    return true;
}

// What both launches do once the cartridge runs: its symbols and C records, the debugger
// stopped until configurationDone, the past kept for stepBack.
bool Ready(const std::vector<std::string>& symbols, uint64_t frame, std::string& error) {
    if (!LoadLaunchSymbols(symbols, error)) return false;
    UseCSource();
    DebuggerStop();  // nothing runs before configurationDone
    if (TimeTravelActive()) {
        session.timeTravel = true;  // the window's CPU window keeps it already
    } else {
        session.timeTravel = session.ownTimeTravel = TimeTravelStart(TimeTravelDefaultBudget);
    }
    if (!session.timeTravel) SendOutput("no memory to keep the past: no stepping back\n", "stderr");
    session.frame = frame;
    ChecksSetFrame(session.frame);
    ApplyFrameInput();
    WatchGameMessages(true);
    session.launched = true;
    return true;
}

// In the desktop program: the window's machine, its breakpoints and its checks stay its own
// (the Problems window turns the checks on); the window was told what the client chose.
bool LaunchInWindow(const std::string& program, int32_t behaviour, int32_t board,
                    const std::vector<std::string>& symbols, std::string& error) {
    bool kept = false;
    if (!session.host->load(program, behaviour, board, kept, error)) return false;
    if (kept) {
        SendOutput("the window runs this cartridge already: it goes on from here\n", "console");
    }
    if (!Ready(symbols, DebuggerPosition().frame, error)) return false;
    // The CPU window shows the C source from the folders the client named too (the symbols
    // just read forgot the window's).
    SourcesAddFolder(program);
    for (const std::string& folder : session.sourceFolders) SourcesAddFolder(folder);
    return true;
}

}  // namespace

bool Initialize(const Json&, Json& body, std::string&) {
    session.initialized = true;
    JsonSet(body, "supportsConfigurationDoneRequest", JsonBoolean(true));
    JsonSet(body, "supportsFunctionBreakpoints", JsonBoolean(true));
    JsonSet(body, "supportsInstructionBreakpoints", JsonBoolean(true));
    JsonSet(body, "supportsDataBreakpoints", JsonBoolean(true));
    JsonSet(body, "supportsHitConditionalBreakpoints", JsonBoolean(true));
    JsonSet(body, "supportsLogPoints", JsonBoolean(true));
    JsonSet(body, "supportsConditionalBreakpoints", JsonBoolean(true));
    JsonSet(body, "supportsEvaluateForHovers", JsonBoolean(true));
    JsonSet(body, "supportsSetVariable", JsonBoolean(true));
    JsonSet(body, "supportsReadMemoryRequest", JsonBoolean(true));
    JsonSet(body, "supportsWriteMemoryRequest", JsonBoolean(true));
    JsonSet(body, "supportsDisassembleRequest", JsonBoolean(true));
    JsonSet(body, "supportsSteppingGranularity", JsonBoolean(true));
    JsonSet(body, "supportsTerminateRequest", JsonBoolean(true));
    JsonSet(body, "supportsStepBack", JsonBoolean(true));
    return true;
}

bool Attach(const Json& arguments, Json& body, std::string& error) {
    if (session.host == nullptr) {
        error = "attach: only to a window (plexaro --dap-port N); here launch names the cartridge";
        return false;
    }
    const std::string running = session.host->running();
    if (running.empty()) {
        error = "the window runs no cartridge: launch one with its program";
        return false;
    }
    Json launch = JsonObject();
    for (size_t i = 0; i < arguments.keys.size(); ++i) {
        if (arguments.keys[i] != "program") JsonSet(launch, arguments.keys[i], arguments.items[i]);
    }
    JsonSet(launch, "program", JsonString(running));
    return Launch(launch, body, error);
}

bool Launch(const Json& arguments, Json&, std::string& error) {
    if (session.launched) {
        error = "a cartridge is running already: one launch a session";
        return false;
    }
    PlayerOptions& options = session.options;
    std::string program, behaviour, board, input;
    if (!StringArgument(arguments, "program", true, program, error) ||
        !StringArgument(arguments, "behaviour", false, behaviour, error) ||
        !StringArgument(arguments, "board", false, board, error) ||
        !StringArgument(arguments, "input", false, input, error) ||
        !BoolArgument(arguments, "stopOnEntry", session.stopOnEntry, error) ||
        !BoolArgument(arguments, "realTime", session.realTime, error)) {
        return false;
    }
    std::vector<std::string> symbols = options.symbolPaths;
    if (const Json* named = JsonFind(arguments, "symbols")) {
        if (named->kind == JsonText) {
            symbols.push_back(named->text);
        } else if (named->kind == JsonList) {
            for (const Json& item : named->items) {
                if (item.kind != JsonText) {
                    error = "symbols: a path or a list of paths";
                    return false;
                }
                symbols.push_back(item.text);
            }
        } else {
            error = "symbols: a path or a list of paths";
            return false;
        }
    }
    if (const Json* folders = JsonFind(arguments, "sourceFolders")) {
        for (const Json& item : folders->items) {
            if (item.kind == JsonText) session.sourceFolders.push_back(item.text);
        }
        if (folders->kind != JsonList || session.sourceFolders.size() != folders->items.size()) {
            error = "sourceFolders: a list of folders";
            return false;
        }
    }
    if (!behaviour.empty() && behaviour != "simple" && behaviour != "hardware") {
        error = "behaviour: \"simple\" or \"hardware\"";
        return false;
    }
    uint32_t boardKind = options.board;
    if (!board.empty() && !BoardFromName(board.c_str(), &boardKind)) {
        error = "board: no board is called \"" + board + "\"";
        return false;
    }
    if (!input.empty() && session.host != nullptr) {
        SendOutput("input: the window plays from its keyboard and joypads, not a script\n",
                   "console");
    } else if (!input.empty()) {
        std::vector<uint8_t> bytes;
        uint32_t line = 0;
        std::string why;
        if (!ReadWholeFile(input, 64u << 20, bytes)) {
            error = input + ": can't read the input script";
            return false;
        }
        const std::string text(bytes.begin(), bytes.end());
        if (!ParseInputScript(text, session.script, line, why)) {
            error = input + ":" + std::to_string(line) + ": " + why;
            return false;
        }
        session.haveScript = true;
    }
    options.cartridgePath = program;
    if (!behaviour.empty()) options.videoHardware = behaviour == "hardware" ? 1 : 0;
    options.board = boardKind;
    if (session.host != nullptr) {
        const int32_t chosenBehaviour =
            behaviour.empty() ? -1 : static_cast<int32_t>(options.videoHardware);
        const int32_t chosenBoard = board.empty() ? -1 : static_cast<int32_t>(boardKind);
        return LaunchInWindow(program, chosenBehaviour, chosenBoard, symbols, error);
    }
    ApplyMachineOptions(options);
    ChecksClear();
    ChecksEnable(true);  // before the load: power-on RAM counts as unwritten
    if (const char* why = InitMachine(HeadlessRowStride)) {
        error = why;
        return false;
    }
    if (const char* why = LoadCartridge(program.c_str())) {
        error = program + ": " + why;
        ChecksEnable(false);
        return false;
    }
    SelectRgbMode(options.rgbMode);
    SelectVideoBehaviour(options.videoHardware);
    DebuggerClearBreakpoints();
    DebuggerClearWatchpoints();
    DebuggerResetPosition();
    if (!Ready(symbols, 0, error)) {
        ChecksEnable(false);
        return false;
    }
    return true;
}

}  // namespace plexaro
