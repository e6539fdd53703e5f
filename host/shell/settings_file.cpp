// The settings file itself: where it lives, reading it with one warning for what it can't
// read, keeping a damaged file aside before anything of it changes, and writing back only the
// lines of the settings that changed, so that nothing the user wrote is lost to a bad line.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>
#include <string_view>
#include <system_error>
#include <vector>

#include "host/os/os.h"
#include "host/shell/settings.h"

namespace plexaro {
namespace {

namespace fs = std::filesystem;

// Larger than any file this program writes by far; beyond it the file is someone else's.
constexpr uintmax_t MostBytes = 256 * 1024;
constexpr const char* BadSuffix = ".bad";

struct SettingsFile {
    std::string path;
    Settings saved;
    std::string text;              // the file as it stands: what a change edits
    bool leftAlone;                // unreadable and not copied aside: never written over
    std::string damage;            // the line for the picture
    std::string lastWriteProblem;  // said once, until it changes
};

SettingsFile file;

// Said once for the whole file, whatever else was wrong in it.
void Warn(const std::string& path, const SettingsProblem& problem, const std::string& kept) {
    std::string where = path;
    if (problem.line > 0) where += ":" + std::to_string(problem.line);
    std::string more;
    if (problem.count == 2) more = " (and 1 more line)";
    if (problem.count > 2) more = " (and " + std::to_string(problem.count - 1) + " more lines)";
    if (!kept.empty()) more += "; the file as it was is kept as " + kept;
    std::fprintf(stderr, "plexaro: %s: %s%s; using the defaults for what could not be read\n",
                 where.c_str(), problem.what.c_str(), more.c_str());
}

// The file's bytes, or why there are none to read; a missing file is no problem.
bool ReadFile(const std::string& path, std::string& text, std::string& problem) {
    std::error_code error;
    const fs::file_status status = fs::status(PathOf(path), error);
    if (status.type() == fs::file_type::not_found) return false;
    if (error) {
        problem = error.message();
        return false;
    }
    if (status.type() == fs::file_type::directory) {
        problem = "a folder, not a settings file";
        return false;
    }
    if (status.type() != fs::file_type::regular) {
        problem = "not a regular file";
        return false;
    }
    FILE* in = OpenFile(path, "rb");
    if (in == nullptr) {
        problem = std::strerror(errno);
        return false;
    }
    char buffer[4096];
    size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, in)) > 0 && text.size() <= MostBytes) {
        text.append(buffer, got);
    }
    const bool failed = std::ferror(in) != 0;
    std::fclose(in);
    if (failed) {
        problem = "can't be read";
    } else if (text.size() > MostBytes) {
        problem = "too long for a settings file";
    }
    return problem.empty();
}

// The key a line sets, as the reader finds it; empty for a comment, a blank or junk.
std::string_view KeyOf(std::string_view line) {
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos) return {};
    std::string_view key = line.substr(0, equals);
    const auto space = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!key.empty() && space(key.front())) key.remove_prefix(1);
    while (!key.empty() && space(key.back())) key.remove_suffix(1);
    if (!key.empty() && (key[0] == '#' || key[0] == ';')) return {};
    return key;
}

// Each line of a text with its line end, in order.
std::vector<std::string_view> Lines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        const size_t length = end == std::string_view::npos ? text.size() : end + 1;
        lines.push_back(text.substr(0, length));
        text.remove_prefix(length);
    }
    return lines;
}

// The lines each key has in a text written by SettingsText, in the text's order of keys.
using KeyLines = std::vector<std::pair<std::string, std::string>>;  // key, its lines
KeyLines ByKey(std::string_view text) {
    KeyLines keys;
    for (const std::string_view line : Lines(text)) {
        const std::string key(KeyOf(line));
        if (key.empty()) continue;
        if (keys.empty() || keys.back().first != key) keys.emplace_back(key, std::string());
        keys.back().second += line;
    }
    return keys;
}

// The file's text with the settings that changed between two texts of SettingsText written
// in: a changed key's lines go where its first line stands (its other lines go), or at the
// end when the file has none; every other line stays exactly as it was.
std::string Edited(std::string_view text, std::string_view before, std::string_view after) {
    std::map<std::string, std::string> changed;  // key: its new lines ("" when it has none)
    const KeyLines was = ByKey(before);
    const KeyLines now = ByKey(after);
    for (const auto& [key, lines] : now) changed[key] = lines;
    for (const auto& [key, lines] : was) changed.try_emplace(key, std::string());
    for (const auto& [key, lines] : was) {
        if (changed[key] == lines) changed.erase(key);
    }
    std::set<std::string> placed;
    std::string edited;
    for (const std::string_view line : Lines(text)) {
        const auto found = changed.find(std::string(KeyOf(line)));
        if (found == changed.end()) {
            edited += line;
        } else if (placed.insert(found->first).second) {
            edited += found->second;
        }
    }
    if (!edited.empty() && edited.back() != '\n') edited += '\n';
    for (const auto& [key, lines] : now) {
        if (changed.count(key) != 0 && placed.count(key) == 0) edited += lines;
    }
    return edited;
}

// The text with each of these lines made a comment that still shows what it held.
std::string CommentedOut(std::string_view text, const std::vector<uint32_t>& damaged) {
    std::string out;
    uint32_t number = 0;
    for (std::string_view line : Lines(text)) {
        ++number;
        if (std::find(damaged.begin(), damaged.end(), number) == damaged.end()) {
            out += line;
            continue;
        }
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
        out += "# could not be read: ";
        for (const char c : line)
            out += static_cast<unsigned char>(c) < 0x20 || c == 0x7F ? '?' : c;
        out += '\n';
    }
    return out;
}

std::string Write(const std::string& text) {
    const std::string folder = TextOf(PathOf(file.path).parent_path());
    if (std::string why = MakeFolders(folder); !why.empty()) return why;
    return ReplaceWholeFile(file.path, text.data(), text.size());
}

// A line for the picture, naming the file and no more of its path.
std::string DamageLine(const std::string& path, const SettingsProblem& problem, bool kept) {
    const std::string name = TextOf(PathOf(path).filename());
    std::string said = name;
    const std::vector<uint32_t>& lines = problem.damaged;
    if (lines.empty()) {
        said += " could not be read: " + problem.what;
    } else {
        said += lines.size() == 1 ? " line " : " lines ";
        said += std::to_string(lines[0]);
        if (lines.size() == 2) said += " and " + std::to_string(lines[1]);
        if (lines.size() > 2) said += " and " + std::to_string(lines.size() - 1) + " more";
        said += " could not be read";
    }
    return kept ? said + "; kept as " + name + BadSuffix : said;
}

// A damaged file is copied aside whole before any of it changes; then its unreadable lines
// become comments, or, when none of it could be read, it is written afresh with the defaults.
void KeepDamaged(const SettingsProblem& problem) {
    const std::string bad = file.path + BadSuffix;
    std::error_code error;
    // The old copy goes first: libstdc++ on Windows takes any two files for the same one
    // (no inode numbers there) and so never overwrites.
    fs::remove(PathOf(bad), error);
    const bool copied =
        fs::is_regular_file(PathOf(file.path), error) &&
        fs::copy_file(PathOf(file.path), PathOf(bad), fs::copy_options::overwrite_existing, error);
    Warn(file.path, problem, copied ? TextOf(PathOf(bad).filename()) : std::string());
    if (!copied && error) {
        std::fprintf(stderr, "plexaro: can't keep a copy of it as %s: %s\n", bad.c_str(),
                     error.message().c_str());
    }
    file.damage = DamageLine(file.path, problem, copied);
    if (!copied) {
        // Lines that could not be read stay as they are; a file that could not be read at all
        // may hold the user's every setting, so nothing is written over it.
        file.leftAlone = problem.damaged.empty();
        return;
    }
    file.text = problem.damaged.empty() ? SettingsText(file.saved)
                                        : CommentedOut(file.text, problem.damaged);
    file.lastWriteProblem = Write(file.text);
    if (!file.lastWriteProblem.empty()) {
        std::fprintf(stderr, "plexaro: can't save the settings to %s: %s\n", file.path.c_str(),
                     file.lastWriteProblem.c_str());
    }
}

}  // namespace

std::string SettingsPath() {
    const std::string folder = UserConfigFolder();
    return folder.empty() ? folder : folder + "/plexaro/settings.ini";
}

const Settings& LoadSettings(const std::string& path) {
    file = {};
    file.path = path;
    if (path.empty()) return file.saved;
    std::string unreadable;
    if (ReadFile(path, file.text, unreadable)) {
        SettingsProblem problem{};
        file.saved = SettingsFromText(file.text, &problem);
        if (!problem.damaged.empty()) {
            KeepDamaged(problem);
        } else if (problem.count > 0) {
            Warn(path, problem, {});  // keys of a later build, say: nothing to keep aside
        }
    } else if (!unreadable.empty()) {
        file.text.clear();
        KeepDamaged({0, unreadable, 1, {}});
    }
    return file.saved;
}

const Settings& SavedSettings() {
    return file.saved;
}

const std::string& SettingsDamage() {
    return file.damage;
}

bool StoreSettings(const Settings& changed) {
    if (changed == file.saved) return true;
    const std::string before = SettingsText(file.saved);
    file.saved = changed;
    if (file.path.empty()) return true;
    std::string problem = "it could not be read, so it is left as it is";
    if (!file.leftAlone) {
        // A file of no lines yet is written whole, every key in it for the user to find.
        const std::string text = file.text.empty()
                                     ? SettingsText(changed)
                                     : Edited(file.text, before, SettingsText(changed));
        problem = Write(text);
        if (problem.empty()) file.text = text;
    }
    if (!problem.empty() && problem != file.lastWriteProblem) {
        std::fprintf(stderr, "plexaro: can't save the settings to %s: %s\n", file.path.c_str(),
                     problem.c_str());
    }
    file.lastWriteProblem = problem;
    return problem.empty();
}

}  // namespace plexaro
