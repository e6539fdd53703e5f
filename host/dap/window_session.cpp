// The debug adapter inside the desktop program (window_session.h): the listening socket and
// the one client's channel, read without waiting between the window's frames, and what the
// window does for the session (loading the cartridge, counting a step's frames, forgetting
// rewind after going back).
#include "host/dap/window_session.h"

#include <cstdio>
#include <filesystem>

#include "host/dap/adapter.h"
#include "host/dap/wire.h"
#include "host/os/channel.h"
#include "host/os/os.h"
#include "host/shell/rewind.h"
#include "host/shell/shell.h"
#include "machine/board.h"
#include "machine/debugger.h"
#include "machine/machine.h"

namespace plexaro {
namespace {

// A pass reads at most this many pieces, so that a client that floods the socket slows the
// window down without stopping it.
constexpr int MostReadsAPass = 16;

struct WindowSession {
    PlayerOptions options;
    Listener listener{-1, 0};
    ByteChannel channel{-1, -1};
    bool attached;
    bool broken;  // the client went away, or its stream fell out of step
    WireReader reader;
    std::string body, error;
    char buffer[65536];
};
WindowSession window;

void SendFramed(const std::string& body) {
    const std::string framed = FrameMessage(body);
    if (!window.broken && !WriteChannel(window.channel, framed.data(), framed.size())) {
        window.broken = true;
    }
}

bool SameFile(const std::string& a, const std::string& b) {
    std::error_code error;
    return std::filesystem::equivalent(PathOf(a), PathOf(b), error) && !error;
}

bool LoadInWindow(const std::string& path, int32_t behaviour, int32_t board, bool& kept,
                  std::string& error) {
    const bool sameBehaviour =
        behaviour < 0 || static_cast<uint32_t>(behaviour) == SelectedVideoBehaviour();
    const bool sameBoard = board < 0 || static_cast<uint32_t>(board) == CurrentBoard() ||
                           static_cast<uint32_t>(board) == SelectedBoard();
    kept = Shell().cartridgeLoaded && SameFile(Shell().runningPath, path) && sameBehaviour &&
           sameBoard;
    if (kept) return true;
    if (behaviour >= 0) SelectVideoBehaviour(static_cast<uint32_t>(behaviour));
    if (board >= 0) SelectBoard(static_cast<uint32_t>(board));
    if (const char* why = ShellLoadQuietly(path)) {
        error = path + ": " + why;
        return false;
    }
    return true;
}

void StepFrameEnded() {
    ShellDebuggerRan(DebugFrameEnded);
}

std::string RunningCartridge() {
    return Shell().cartridgeLoaded ? Shell().runningPath : std::string();
}

const DapHost Host{LoadInWindow, StepFrameEnded, RewindClear, RunningCartridge};

// A second editor while one is attached: told why in its debug console, and let go.
void Refuse(ByteChannel& other) {
    const std::string said =
        FrameMessage(R"({"seq":1,"type":"event","event":"output","body":{"category":"important",)"
                     R"("output":"Plexaro: another debugger is attached to this window; )"
                     R"(try again once it has disconnected.\n"}})") +
        FrameMessage(R"({"seq":2,"type":"event","event":"terminated","body":{}})");
    WriteChannel(other, said.data(), said.size());
    CloseChannel(other);
    std::fprintf(stderr, "plexaro: debug adapter: a second client was turned away\n");
}

void Attach(const ByteChannel& channel) {
    window.channel = channel;
    window.attached = true;
    window.broken = false;
    window.reader.pending.clear();
    DapBeginHosted(window.options, SendFramed, Host);
    ShellSetFrameRunner(DapRunFrame);
    std::fprintf(stderr, "plexaro: debug adapter: a client attached\n");
}

void Detach(const char* said) {
    ShellSetFrameRunner(nullptr);
    DapFinish();
    CloseChannel(window.channel);
    window.attached = false;
    window.reader.pending.clear();
    std::fprintf(stderr, "plexaro: debug adapter: %s\n", said);
}

void Read() {
    for (int reads = 0; reads < MostReadsAPass && !DapEnded() && !window.broken; ++reads) {
        if (!WaitReadable(window.channel, 0)) return;
        const int64_t got = ReadChannel(window.channel, window.buffer, sizeof window.buffer);
        if (got <= 0) {
            window.broken = true;  // the client went away
            return;
        }
        window.reader.pending.append(window.buffer, static_cast<size_t>(got));
        while (!DapEnded() && TakeMessage(window.reader, window.body, window.error)) {
            DapReceive(window.body);
        }
        if (!window.error.empty()) {
            std::fprintf(stderr, "plexaro: debug adapter: %s; the session ends\n",
                         window.error.c_str());
            window.error.clear();
            window.broken = true;
        }
    }
}

}  // namespace

bool WindowDapListen(const PlayerOptions& options, std::string& error) {
    window.options = options;
    error = ListenLoopback(static_cast<uint16_t>(options.dapPort), window.listener);
    if (!error.empty()) return false;
    std::fprintf(stderr, "plexaro: debug adapter listening on 127.0.0.1:%u\n",
                 window.listener.port);
    return true;
}

void WindowDapPass() {
    // Once the window is closing, its machine is gone: nothing more is read.
    if (window.listener.handle < 0 || Shell().quitting) return;
    if (WaitClient(window.listener, 0)) {
        ByteChannel channel{-1, -1};
        if (AcceptChannel(window.listener, channel).empty()) {
            if (window.attached) {
                Refuse(channel);
            } else {
                Attach(channel);
            }
        }
    }
    if (!window.attached) return;
    Read();
    if (!DapEnded() && !window.broken) DapFollowHost();
    if (DapEnded() || window.broken) Detach("the client left; listening again");
}

void WindowDapClose() {
    if (window.attached) {
        DapHostClosing();
        Detach("the window closes: the client was told");
    }
    CloseListener(window.listener);
}

}  // namespace plexaro
