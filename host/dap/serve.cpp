// The debug adapter's transport: framed messages in and out of a byte channel, and the loop
// that lets the machine run between them, at the console's speed unless the client asked
// for all the speed there is.
#include "host/dap/serve.h"

#include <chrono>
#include <cstdio>

#include "host/dap/adapter.h"
#include "host/dap/wire.h"
#include "host/os/channel.h"
#include "host/player/player.h"

namespace plexaro {
namespace {

ByteChannel channel{-1, -1};
bool channelBroken = false;

void SendFramed(const std::string& body) {
    const std::string framed = FrameMessage(body);
    if (!channelBroken && !WriteChannel(channel, framed.data(), framed.size())) {
        channelBroken = true;
    }
}

// One second of the console's frames.
constexpr auto FrameTime = std::chrono::nanoseconds(1'000'000'000 / 60);

int Serve() {
    using Clock = std::chrono::steady_clock;
    WireReader reader{};
    std::string body, error;
    char buffer[65536];
    auto due = Clock::now();
    while (!DapEnded() && !channelBroken) {
        const bool ran = DapWork();
        int wait = 50;  // stopped: the client's next request is all that can happen
        if (ran && !DapRealTime()) {
            wait = 0;
        } else if (ran) {
            due += FrameTime;
            const auto now = Clock::now();
            if (due < now - 4 * FrameTime) due = now;  // fell behind: catch up no further
            wait = static_cast<int>(
                std::chrono::duration_cast<std::chrono::milliseconds>(due - now).count());
            if (wait < 0) wait = 0;
        } else {
            due = Clock::now();
        }
        if (!WaitReadable(channel, wait)) continue;
        const int64_t got = ReadChannel(channel, buffer, sizeof buffer);
        if (got <= 0) break;  // the client went away
        reader.pending.append(buffer, static_cast<size_t>(got));
        while (!DapEnded() && TakeMessage(reader, body, error)) DapReceive(body);
        if (!error.empty()) {
            std::fprintf(stderr, "plexaro: debug adapter: %s; the session ends\n", error.c_str());
            DapFinish();
            return ExitFailure;
        }
    }
    DapFinish();
    return ExitSuccess;
}

}  // namespace

int RunDapServer(const PlayerOptions& options) {
    channelBroken = false;
    if (options.dapPort < 0) {
        channel = StandardChannel();
        DapBegin(options, SendFramed);
        return Serve();
    }
    Listener listener{};
    const std::string why = ListenLoopback(static_cast<uint16_t>(options.dapPort), listener);
    if (!why.empty()) {
        std::fprintf(stderr, "plexaro: --dap-port %d: %s\n", options.dapPort, why.c_str());
        return ExitFailure;
    }
    std::fprintf(stderr, "plexaro: debug adapter listening on 127.0.0.1:%u\n", listener.port);
    const std::string refused = AcceptChannel(listener, channel);
    CloseListener(listener);
    if (!refused.empty()) {
        std::fprintf(stderr, "plexaro: --dap-port: %s\n", refused.c_str());
        return ExitFailure;
    }
    DapBegin(options, SendFramed);
    const int status = Serve();
    CloseChannel(channel);
    return status;
}

}  // namespace plexaro
