// The desktop program's entry: the window, its menus and the main loop on SDL and Dear ImGui.
#pragma once

#include "host/options.h"

namespace plexaro {

// Opens the window and plays until it is closed. Returns the process's exit status.
int RunDesktop(const PlayerOptions& options);

}  // namespace plexaro
