// "Select a file": the open-file dialog, drawn with Dear ImGui inside the window over the
// picture. It lists the folders and the cartridge images (.sg, .sc, .bin in any case) of one
// folder, and takes a typed path too; the file chosen must exist. It opens in the running
// cartridge's folder, else the last one it showed, else the one chosen from in an earlier
// run. A click selects an entry; a double click, Enter or Open opens it. At the top of a
// drive, on Windows, the other drives are listed as folders ("D:/").
#include <imgui.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "host/os/os.h"
#include "host/sdl/sdl_host.h"
#include "host/shell/notices.h"
#include "host/shell/settings.h"
#include "host/shell/shell.h"
#include "host/shell/window.h"

namespace plexaro {
namespace {

namespace fs = std::filesystem;

constexpr const char* Title = "Select a file";
constexpr const char* FilterName = "Sega SG-1000 (*.sg, *.sc, *.bin)";
constexpr const char* TapeTitle = "Select a tape";
constexpr const char* TapeFilterName = "Tape recordings (*.wav)";

bool HasTapeName(const std::string& path) {
    const fs::path extension = PathOf(path).extension();
    std::string lower = TextOf(extension);
    for (char& c : lower) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return lower == ".wav";
}

struct Entry {
    std::string name;
    bool folder;
};

struct FileDialog {
    bool open;
    bool tape;       // choosing a tape for the cassette recorder, not a cartridge
    bool focusName;  // the name field takes the keyboard at the next frame
    std::string selected;
    fs::path folder;
    std::vector<Entry> entries;
    std::string problem;  // why the last choice or listing failed
    char typed[4096];
};

FileDialog dialog = {};

void List(const fs::path& folder) {
    std::error_code error;
    fs::directory_iterator it(folder, fs::directory_options::skip_permission_denied, error);
    if (error) {
        dialog.problem = "Can't open " + TextOf(folder) + ": " + error.message();
        return;
    }
    dialog.folder = folder;
    dialog.selected.clear();
    dialog.entries.clear();
    dialog.problem.clear();
    for (; it != fs::directory_iterator(); it.increment(error)) {
        if (error) break;
        const std::string name = TextOf(it->path().filename());
        if (name.empty() || name[0] == '.') continue;
        std::error_code kind;
        if (it->is_directory(kind)) {
            dialog.entries.push_back({name, true});
        } else if (dialog.tape ? HasTapeName(name) : HasCartridgeName(TextOf(it->path()))) {
            dialog.entries.push_back({name, false});
        }
    }
    std::sort(dialog.entries.begin(), dialog.entries.end(), [](const Entry& a, const Entry& b) {
        return a.folder != b.folder ? a.folder : a.name < b.name;
    });
    if (folder.has_parent_path() && folder != folder.root_path()) {
        dialog.entries.insert(dialog.entries.begin(), {"..", true});
    } else if (const std::vector<std::string> roots = FileSystemRoots(); roots.size() > 1) {
        for (size_t i = 0; i < roots.size(); ++i) {
            dialog.entries.insert(dialog.entries.begin() + static_cast<ptrdiff_t>(i),
                                  {roots[i], true});
        }
    }
}

void Close() {
    dialog.open = false;
    dialog.entries.clear();
}

// A typed or clicked name: folders are entered, an existing file is the choice.
void Choose(const std::string& text) {
    if (text.empty()) return;
    fs::path path = PathOf(text).is_absolute() ? PathOf(text) : dialog.folder / PathOf(text);
    std::error_code error;
    if (fs::is_directory(path, error)) {
        List(fs::weakly_canonical(path, error));
        dialog.typed[0] = 0;
        return;
    }
    if (!fs::exists(path, error)) {
        dialog.problem = TextOf(path) + ": no such file.";
        return;
    }
    Close();
    ShellSetDialogFolder(TextOf(dialog.folder));
    if (dialog.tape) {
        PostTapeChosen(TextOf(path).c_str());
    } else {
        PostFileChosen(TextOf(path).c_str());
    }
}

}  // namespace

void OpenFileDialog() {
    std::error_code error;
    fs::path start = dialog.folder.empty() ? fs::current_path(error) : dialog.folder;
    const std::string& saved = SavedSettings().lastFolder;
    if (dialog.folder.empty() && !saved.empty() && fs::is_directory(PathOf(saved), error))
        start = PathOf(saved);
    const std::string& running = Shell().runningPath;
    if (!running.empty()) {
        const fs::path folder = fs::absolute(PathOf(running), error).parent_path();
        if (!error && fs::is_directory(folder, error)) start = folder;
    }
    dialog.open = true;
    dialog.tape = false;
    dialog.focusName = true;
    dialog.typed[0] = 0;
    List(start);
}

// The same dialog, listing WAV files for the cassette recorder.
void WindowOpenTapeDialog() {
    OpenFileDialog();
    dialog.tape = true;
    List(dialog.folder);
}

bool DrawFileDialog() {
    if (!dialog.open) return false;
    const ImVec2 screen = ImGui::GetIO().DisplaySize;
    const float top = static_cast<float>(MenuBarHeight());
    ImGui::SetNextWindowPos(ImVec2(0, top));
    ImGui::SetNextWindowSize(ImVec2(screen.x, screen.y - top));
    bool keepOpen = true;
    const ImGuiWindowFlags flags =
        ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoResize | ImGuiWindowFlags_NoCollapse;
    if (ImGui::Begin(dialog.tape ? TapeTitle : Title, &keepOpen, flags)) {
        ImGui::TextWrapped("%s", TextOf(dialog.folder).c_str());
        const float footer = ImGui::GetFrameHeightWithSpacing() * 3;
        ImGui::BeginChild("entries", ImVec2(0, -footer), true);
        // Opening on the first click would let a double click's second one land on the next
        // folder's entry under the pointer: "../" would go up and then into a folder.
        std::string opened;
        for (const Entry& entry : dialog.entries) {
            const bool slash = entry.folder && entry.name.back() != '/';
            const std::string label = slash ? entry.name + "/" : entry.name;
            if (ImGui::Selectable(label.c_str(), entry.name == dialog.selected,
                                  ImGuiSelectableFlags_AllowDoubleClick)) {
                if (ImGui::IsMouseDoubleClicked(0)) {
                    opened = entry.name;
                } else {
                    dialog.selected = entry.name;
                    std::snprintf(dialog.typed, sizeof dialog.typed, "%s", entry.name.c_str());
                    dialog.focusName = true;  // so that Enter opens what is selected
                }
            }
        }
        ImGui::EndChild();
        if (!opened.empty()) Choose(opened);

        if (dialog.focusName) ImGui::SetKeyboardFocusHere();
        dialog.focusName = false;
        ImGui::SetNextItemWidth(-1);
        if (ImGui::InputText("##name", dialog.typed, sizeof dialog.typed,
                             ImGuiInputTextFlags_EnterReturnsTrue)) {
            Choose(dialog.typed);
        }
        ImGui::TextUnformatted(!dialog.problem.empty() ? dialog.problem.c_str()
                               : dialog.tape           ? TapeFilterName
                                                       : FilterName);
        if (ImGui::Button("Open")) Choose(dialog.typed);
        ImGui::SameLine();
        if (ImGui::Button("Cancel") || ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_Escape)))
            keepOpen = false;
    }
    ImGui::End();
    if (!keepOpen) Close();
    return dialog.open;
}

}  // namespace plexaro
