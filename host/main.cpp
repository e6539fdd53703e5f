// plexaro: plays a cartridge in a window, or headless with --headless.
#include <cstdio>
#include <string>
#include <vector>

#include "host/dap/serve.h"
#include "host/options.h"
#include "host/os/os.h"
#include "host/player/player.h"
#include "host/sdl/desktop.h"

int main(int argc, char** argv) {
    using namespace plexaro;
    AttachToStartingTerminal();
    std::vector<std::string> words = ProgramArguments(argc, argv);
    std::vector<char*> arguments;
    for (std::string& word : words) arguments.push_back(word.data());
    arguments.push_back(nullptr);
    PlayerOptions options;
    const std::string error =
        ParseOptions(static_cast<int>(words.size()), arguments.data(), options);
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
    // With a window, --dap-port debugs the window's machine (RunDesktop listens itself).
    if (options.dap || (options.dapPort >= 0 && options.headless)) return RunDapServer(options);
    return options.headless ? RunHeadless(options) : RunDesktop(options);
}
