// The debug adapter: a session of the Debug Adapter Protocol over the machine and the
// debugger, for any editor that speaks it. Its messages arrive and leave as JSON bodies; the
// framing and the transport are the caller's (wire.h, serve.h), so tests drive it directly.
//
// One session at a time. The machine runs a frame per DapWork call while the client has let
// it run; everything it says (responses, events) goes through the sender as it happens.
//
//     DapBegin(options, SendFramed);             // the command line's machine choices
//     while (!DapEnded()) {
//         const bool ran = DapWork();            // a frame, or a step, or nothing
//         for (body : messages that arrived) DapReceive(body);
//     }
//     DapFinish();
//
// Inside the desktop program the window runs the machine instead: DapBeginHosted, then the
// window's frames go through DapRunFrame, and DapFollowHost after each pass of its loop tells
// the client what the window's own debugger did. DapWork is not called.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "host/options.h"

namespace plexaro {

enum DebugResult : uint32_t;  // machine/debugger.h

using DapSender = void (*)(const std::string& body);

void DapBegin(const PlayerOptions& options, DapSender send);
void DapReceive(std::string_view body);  // one message: a request is answered at once
// Runs the machine while the client lets it: at most one frame, ending early at a stop.
// False when nothing ran (stopped, not launched yet, or ended).
bool DapWork();
bool DapRealTime();  // whether the client asked for the console's own speed (the default)
bool DapEnded();     // after disconnect or terminate
void DapFinish();    // the machine shut down and the debugger left as a host found it

// What a window that runs the machine does for the session.
struct DapHost {
    // `launch`: the cartridge running in the window, loaded with the video behaviour and the
    // board the client chose (-1: the window's), or kept when it runs already as chosen
    // (`kept` says which); false with `error` said when it would not load.
    bool (*load)(const std::string& path, int32_t behaviour, int32_t board, bool& kept,
                 std::string& error);
    void (*frameEnded)();      // a step of the client's ended a frame: counted as played
    void (*travelled)();       // the machine went back in time: the window's rewind forgets
    std::string (*running)();  // `attach`: the cartridge the window runs ("" for none)
};
// The session on the window's machine: launch loads into the window, and the end (disconnect,
// a client gone) leaves the machine running, with the client's breakpoints gone.
void DapBeginHosted(const PlayerOptions& options, DapSender send, const DapHost& host);
DebugResult DapRunFrame();  // DebuggerRunFrame, with the client's stops weighed as they come
void DapFollowHost();       // the window's own stops and runs, told to the client
void DapHostClosing();      // the window closes: the client hears that the session is over

}  // namespace plexaro
