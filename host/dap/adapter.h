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
#pragma once

#include <string>
#include <string_view>

#include "host/options.h"

namespace plexaro {

using DapSender = void (*)(const std::string& body);

void DapBegin(const PlayerOptions& options, DapSender send);
void DapReceive(std::string_view body);  // one message: a request is answered at once
// Runs the machine while the client lets it: at most one frame, ending early at a stop.
// False when nothing ran (stopped, not launched yet, or ended).
bool DapWork();
bool DapRealTime();  // whether the client asked for the console's own speed (the default)
bool DapEnded();     // after disconnect or terminate
void DapFinish();    // the machine shut down and the debugger left as a host found it

}  // namespace plexaro
