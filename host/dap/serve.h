// `plexaro --dap` and `--headless --dap-port N`: a debug adapter session over this process's
// standard input and output, or over one TCP client on the loopback address, running the
// machine as the headless player does. Nothing but protocol messages goes to stdout then; the
// rest goes to stderr. (In the window, --dap-port is window_session.h's.)
//
//     if (options.dap || (options.dapPort >= 0 && options.headless)) return RunDapServer(options);
#pragma once

#include "host/options.h"

namespace plexaro {

int RunDapServer(const PlayerOptions& options);  // the process's exit status

}  // namespace plexaro
