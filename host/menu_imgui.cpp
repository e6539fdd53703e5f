// The menu bar above the picture, drawn with Dear ImGui each frame: its items, their order
// and check marks follow the shell's state, and a chosen item is posted as a command.
#include <imgui.h>

#include "host/sdl_host.h"
#include "host/shell.h"
#include "host/window.h"

namespace plexaro {
namespace {

void Item(const char* label, uint32_t id, bool checked = false, const char* shortcut = nullptr) {
    if (ImGui::MenuItem(label, shortcut, checked)) WindowPostCommand(id);
}

}  // namespace

bool DrawMenuBar() {
    const ShellState& shell = Shell();
    if (!ImGui::BeginMainMenuBar()) return false;
    if (ImGui::BeginMenu("File")) {
        Item("Load rom", CommandLoadRom);
        Item("Free rom", CommandFreeRom);
        ImGui::Separator();
        Item("Quit", CommandQuit);
        ImGui::EndMenu();
    }
    if (ImGui::BeginMenu("Machine")) {
        Item("Pause", CommandPause, shell.PauseChecked == 1);
        Item("Reset", CommandReset, false, "Tab");
        ImGui::EndMenu();
    }
    if (ImGui::BeginMenu("Video")) {
        Item("Fullscreen", CommandFullscreen, shell.FullScreenMode == 1, "Alt+Enter");
        ImGui::Separator();
        if (ImGui::BeginMenu("RGB mode")) {
            Item("565", CommandRgb565, shell.RgbMode == 1);
            Item("555", CommandRgb555, shell.RgbMode == 0);
            ImGui::EndMenu();
        }
        ImGui::Separator();
        Item("Size x 1", CommandSize1, shell.sizeChecked == 1);
        Item("Size x 2", CommandSize2, shell.sizeChecked == 2);
        Item("Size x 3", CommandSize3, shell.sizeChecked == 3);
        ImGui::Separator();
        Item("Strech", CommandStrech, shell.StretchMode == 1);
        ImGui::Separator();
        Item("Hardware accuracy", CommandHardwareAccuracy, shell.HardwareAccuracy == 1);
        ImGui::EndMenu();
    }
    // A command on the bar itself, not a menu.
    Item("About", CommandAbout);
    DrawDebugMenu();
    ImGui::EndMainMenuBar();
    return ImGui::IsPopupOpen("", ImGuiPopupFlags_AnyPopupId | ImGuiPopupFlags_AnyPopupLevel);
}

}  // namespace plexaro
