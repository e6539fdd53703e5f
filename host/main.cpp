// plexaro: plays a cartridge in a window, or headless with --headless.
#include <cstdio>

#include "host/dap/serve.h"
#include "host/options.h"
#include "host/player/player.h"
#include "host/sdl/desktop.h"

int main(int argc, char** argv) {
    using namespace plexaro;
    PlayerOptions options;
    const std::string error = ParseOptions(argc - 1, argv + 1, options);
    if (!error.empty()) {
        std::fprintf(stderr, "plexaro: %s (see --help)\n", error.c_str());
        return ExitUsage;
    }
    if (options.help) {
        std::fputs(UsageText(), stdout);
        return ExitSuccess;
    }
    if (options.version) {
        std::printf("plexaro %s\n", PLEXARO_VERSION);
        return ExitSuccess;
    }
    ApplyMachineOptions(options);
    if (options.dap || options.dapPort >= 0) return RunDapServer(options);
    return options.headless ? RunHeadless(options) : RunDesktop(options);
}
