// Source files found by the C debug table's folders, read whole and kept.
#include "host/debug/sources.h"

#include <filesystem>
#include <fstream>
#include <map>

#include "host/debug/cdb.h"
#include "host/os/os.h"

namespace plexaro {
namespace {

namespace fs = std::filesystem;

std::map<std::string, SourceText, std::less<>> files;  // absent ones too, as empty

bool Read(const std::string& name, SourceText& text) {
    const fs::path path = PathOf(name);
    std::error_code error;
    if (!fs::is_regular_file(path, error)) return false;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        text.push_back(line);
    }
    return true;
}

}  // namespace

void SourcesAddFolder(const std::string& folder) {
    if (folder.empty()) return;
    std::error_code error;
    fs::path path = PathOf(folder);
    if (!fs::is_directory(path, error)) path = path.parent_path();
    AddSourceFolder(path.empty() ? std::string(".") : TextOf(path));
    files.clear();  // a file not found before may be found now
}

void SourcesForget() {
    files.clear();
}

const SourceText* SourceFile(std::string_view name) {
    auto known = files.find(name);
    if (known == files.end()) {
        SourceText text;
        // Where the table finds it, else by its last part (a path from another machine).
        if (!Read(SourcePath(name), text))
            Read(SourcePath(TextOf(PathOf(std::string(name)).filename())), text);
        known = files.emplace(std::string(name), std::move(text)).first;
    }
    return known->second.empty() ? nullptr : &known->second;
}

}  // namespace plexaro
