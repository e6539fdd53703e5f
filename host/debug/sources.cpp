// Source files found by name in a short list of folders, read whole and kept.
#include "host/debug/sources.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>

namespace plexaro {
namespace {

namespace fs = std::filesystem;

std::vector<fs::path> folders;
std::map<std::string, SourceText, std::less<>> files;  // absent ones too, as empty

bool Read(const fs::path& path, SourceText& text) {
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
    fs::path path(folder);
    if (!fs::is_directory(path, error)) path = path.parent_path();
    if (path.empty()) path = ".";
    if (std::find(folders.begin(), folders.end(), path) != folders.end()) return;
    folders.push_back(path);
    files.clear();  // a file not found before may be found now
}

void SourcesForget() {
    folders.clear();
    files.clear();
}

const SourceText* SourceFile(std::string_view name) {
    auto known = files.find(name);
    if (known == files.end()) {
        SourceText text;
        const fs::path wanted(name);
        for (const fs::path& folder : folders) {
            if (Read(folder / wanted, text) || Read(folder / wanted.filename(), text)) break;
        }
        known = files.emplace(std::string(name), std::move(text)).first;
    }
    return known->second.empty() ? nullptr : &known->second;
}

}  // namespace plexaro
