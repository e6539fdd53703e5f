// The labels the shell loads with each cartridge: the symbol files beside it, then those the
// command line names, so the debugger's windows speak the program's own names.
#include <filesystem>
#include <string>
#include <vector>

#include "host/debug/profiler.h"
#include "host/debug/sources.h"
#include "host/debug/symbols.h"
#include "host/os/os.h"
#include "host/shell/shell.h"
#include "machine/checks.h"

namespace plexaro {
namespace {

std::vector<std::string> symbolFiles;  // --symbols

}  // namespace

void ShellSetSymbolFiles(const std::vector<std::string>& paths) {
    symbolFiles = paths;
}

std::string ShellLoadSymbolsFor(const std::string& cartridge) {
    ClearSymbols();
    SourcesForget();
    std::vector<std::string> files = SymbolFilesBeside(cartridge);
    files.insert(files.end(), symbolFiles.begin(), symbolFiles.end());
    std::string said;
    for (const std::string& path : files) {
        const std::string name = TextOf(PathOf(path).filename());
        const std::string line = DescribeSymbolLoad(name, LoadSymbolFile(path));
        said += (said.empty() ? "" : "; ") + line;
    }
    SourcesAddFolder(cartridge);  // C sources beside the cartridge, after the .cdb's folder
    ChecksSetDataEnd(ProgramDataEnd());
    // Counts of the old build's addresses would be summed under the new build's labels.
    ProfilerRestart();
    return said;
}

}  // namespace plexaro
