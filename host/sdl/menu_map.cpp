// The menu map, for tests that walk the menus: with PLEXARO_MENU_MAP=FILE in the environment,
// the program writes to FILE, whenever it changes, every menu title and item drawn in the last
// frame with its place in the window, and a line of state (commands posted and handled, a
// menu or dialog open, full screen, size, cartridge). A test reads what the program drew
// instead of a list of its own, so an item added anywhere is walked without being named.
//
// Every menu call reaches here whoever wrote it: the program is linked with --wrap for ImGui's
// BeginMenu, EndMenu and both MenuItem, so the linker sends our objects' calls of those to
// the __wrap_ functions below, which call the library's own (__real_) and note what was drawn.
// Without the variable they only pass the call on, and nothing is allocated.
//
// The file, one line each, fields separated by tabs:
//     state posted=N handled=N holding=0|1 fullscreen=0|1 size=1|2|3 cartridge=0|1 width=W height=H
//     menu|item  enabled=0|1  X  Y  WIDTH  HEIGHT  Title > Submenu > Label
// A menu's rectangle is its title or line in its parent; X, Y are the window's pixels.
#include <imgui.h>
#include <imgui_internal.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "host/os/os.h"
#include "host/sdl/sdl_host.h"
#include "host/shell/shell.h"

// The names are the library's symbols as GCC mangles them on this platform.
extern "C" {
bool __real__ZN5ImGui9BeginMenuEPKcb(const char* label, bool enabled);
void __real__ZN5ImGui7EndMenuEv();
bool __real__ZN5ImGui8MenuItemEPKcS1_bb(const char* label, const char* shortcut, bool selected,
                                        bool enabled);
bool __real__ZN5ImGui8MenuItemEPKcS1_Pbb(const char* label, const char* shortcut, bool* selected,
                                         bool enabled);
bool __wrap__ZN5ImGui9BeginMenuEPKcb(const char* label, bool enabled);
void __wrap__ZN5ImGui7EndMenuEv();
bool __wrap__ZN5ImGui8MenuItemEPKcS1_bb(const char* label, const char* shortcut, bool selected,
                                        bool enabled);
bool __wrap__ZN5ImGui8MenuItemEPKcS1_Pbb(const char* label, const char* shortcut, bool* selected,
                                         bool enabled);
}

namespace plexaro {
namespace {

struct MapEntry {
    bool menu;
    bool enabled;
    ImVec2 min, max;
    std::string path;
};

struct MenuMap {
    int mapping = -1;  // -1: not looked yet; then 0 or 1
    std::string file;
    std::vector<std::string> path;  // the menus open around the item being drawn
    std::vector<MapEntry> entries;
    std::string written;
    uint64_t posted, handled;
};

MenuMap map;

bool Mapping() {
    if (map.mapping < 0) {
        const char* file = std::getenv("PLEXARO_MENU_MAP");
        map.mapping = file != nullptr && *file != 0 ? 1 : 0;
        if (map.mapping == 1) map.file = file;
    }
    return map.mapping == 1;
}

// What the label shows: ImGui hides what follows "##".
std::string Shown(const char* label) {
    const std::string text = label != nullptr ? label : "";
    return text.substr(0, text.find("##"));
}

std::string PathTo(const char* label) {
    std::string path;
    for (const std::string& menu : map.path) path += menu + " > ";
    return path + Shown(label);
}

// A menu's first frame lays it out unseen, at a place not yet moved to fit the window: its
// lines count from the next frame, where they are drawn.
bool Unseen(const ImGuiWindow* window) {
    return window != nullptr && window->Hidden;
}

void Note(bool menu, const char* label, bool enabled) {
    if (Unseen(ImGui::GetCurrentWindow())) return;
    map.entries.push_back(
        {menu, enabled, ImGui::GetItemRectMin(), ImGui::GetItemRectMax(), PathTo(label)});
}

// Replaced whole, so that a test never reads half a map (and by UTF-8 name, and over the old
// one on Windows too, which a plain rename would refuse).
void Write(const std::string& text) {
    ReplaceWholeFile(map.file, text.data(), text.size());
}

}  // namespace

void MenuMapCommandPosted() {
    ++map.posted;
}

void MenuMapCommandHandled() {
    ++map.handled;
}

void MenuMapFrameEnded(bool holding) {
    if (!Mapping()) return;
    const ShellState& shell = Shell();
    int width = 0, height = 0;  // where the menus may be drawn: the window's pixels
    if (HostRenderer() != nullptr) SDL_GetRendererOutputSize(HostRenderer(), &width, &height);
    char line[200];
    std::snprintf(line, sizeof line,
                  "state posted=%llu handled=%llu holding=%d fullscreen=%d size=%u cartridge=%d "
                  "width=%d height=%d\n",
                  static_cast<unsigned long long>(map.posted),
                  static_cast<unsigned long long>(map.handled), holding ? 1 : 0,
                  shell.FullScreenMode, shell.sizeChecked, shell.cartridgeLoaded ? 1 : 0, width,
                  height);
    std::string text = line;
    for (const MapEntry& entry : map.entries) {
        std::snprintf(line, sizeof line, "%s\tenabled=%d\t%d\t%d\t%d\t%d\t",
                      entry.menu ? "menu" : "item", entry.enabled ? 1 : 0,
                      static_cast<int>(entry.min.x), static_cast<int>(entry.min.y),
                      static_cast<int>(entry.max.x - entry.min.x),
                      static_cast<int>(entry.max.y - entry.min.y));
        text += line + entry.path + "\n";
    }
    map.entries.clear();
    map.path.clear();
    if (text == map.written) return;
    Write(text);
    map.written = text;
}

}  // namespace plexaro

using plexaro::map;
using plexaro::Mapping;
using plexaro::Note;

bool __wrap__ZN5ImGui9BeginMenuEPKcb(const char* label, bool enabled) {
    const bool open = __real__ZN5ImGui9BeginMenuEPKcb(label, enabled);
    if (!Mapping()) return open;
    if (!open) {
        Note(true, label, enabled);
        return open;
    }
    // Open, the menu's own window is the current one; its line in the parent is the item
    // that was last when that window began.
    const ImRect line = GImGui->CurrentWindowStack.back().ParentLastItemDataBackup.Rect;
    const auto& stack = GImGui->CurrentWindowStack;
    if (!plexaro::Unseen(stack.Size > 1 ? stack[stack.Size - 2].Window : nullptr)) {
        map.entries.push_back({true, enabled, line.Min, line.Max, plexaro::PathTo(label)});
    }
    map.path.push_back(plexaro::Shown(label));
    return open;
}

void __wrap__ZN5ImGui7EndMenuEv() {
    __real__ZN5ImGui7EndMenuEv();
    if (Mapping() && !map.path.empty()) map.path.pop_back();
}

bool __wrap__ZN5ImGui8MenuItemEPKcS1_bb(const char* label, const char* shortcut, bool selected,
                                        bool enabled) {
    const bool chosen = __real__ZN5ImGui8MenuItemEPKcS1_bb(label, shortcut, selected, enabled);
    if (Mapping()) Note(false, label, enabled);
    return chosen;
}

bool __wrap__ZN5ImGui8MenuItemEPKcS1_Pbb(const char* label, const char* shortcut, bool* selected,
                                         bool enabled) {
    const bool chosen = __real__ZN5ImGui8MenuItemEPKcS1_Pbb(label, shortcut, selected, enabled);
    if (Mapping()) Note(false, label, enabled);
    return chosen;
}
