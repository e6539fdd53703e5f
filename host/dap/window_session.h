// `plexaro --dap-port N` as the desktop program: the window listens on 127.0.0.1:N, and an
// editor that attaches debugs the machine the window runs. The window's loop gives the session
// a glance once per pass and never waits on the socket; one client at a time, a second is told
// so and let go, and the window plays on when the client leaves.
//
//     if (options.dapPort >= 0 && !WindowDapListen(options, error)) give up;
//     loop: ... ShellFramePass(); WindowDapPass();
//     WindowDapClose();
#pragma once

#include <string>

#include "host/options.h"

namespace plexaro {

bool WindowDapListen(const PlayerOptions& options, std::string& error);  // false: not listening
void WindowDapPass();
void WindowDapClose();

}  // namespace plexaro
