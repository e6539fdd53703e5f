// The labels the shell loads with each cartridge: the symbol files beside it, then those the
// command line names, so the debugger's windows speak the program's own names.
#include <filesystem>
#include <string>
#include <vector>

#include "host/debug/symbols.h"
#include "host/os/os.h"
#include "host/shell/shell.h"

namespace plexaro {
namespace {

std::vector<std::string> symbolFiles;  // --symbols

}  // namespace

void ShellSetSymbolFiles(const std::vector<std::string>& paths) {
    symbolFiles = paths;
}

std::string ShellLoadSymbolsFor(const std::string& cartridge) {
    ClearSymbols();
    std::vector<std::string> files = SymbolFilesBeside(cartridge);
    files.insert(files.end(), symbolFiles.begin(), symbolFiles.end());
    std::string said;
    for (const std::string& path : files) {
        const std::string name = TextOf(PathOf(path).filename());
        const std::string line = DescribeSymbolLoad(name, LoadSymbolFile(path));
        said += (said.empty() ? "" : "; ") + line;
    }
    return said;
}

}  // namespace plexaro
