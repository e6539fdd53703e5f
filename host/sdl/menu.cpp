// The menu bar above the picture, drawn with Dear ImGui each frame: its items, their order
// and check marks follow the shell's state, and a chosen item is posted as a command.
#include <imgui.h>
#include <imgui_internal.h>

#include "host/sdl/sdl_host.h"
#include "host/shell/shell.h"
#include "host/shell/window.h"
#include "machine/board.h"

namespace plexaro {
namespace {

void Item(const char* label, uint32_t id, bool checked = false, const char* shortcut = nullptr) {
    if (ImGui::MenuItem(label, shortcut, checked)) WindowPostCommand(id);
}

}  // namespace

bool DrawMenuBar(int* width) {
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
        Item("Pause", CommandPause, shell.PauseChecked == 1, "P");
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
        // Like the RAM side of the accuracy item, a board applies at the next reset or load.
        if (ImGui::BeginMenu("Board")) {
            for (uint32_t kind = 0; kind < BoardKindCount; ++kind) {
                Item(BoardName(kind), CommandBoardAuto + kind, SelectedBoard() == kind);
            }
            ImGui::EndMenu();
        }
        ImGui::EndMenu();
    }
    // A command on the bar itself, not a menu. A click on the bar leaves open a menu that was
    // open, which would then stand over the picture behind the About box.
    if (ImGui::MenuItem("About")) {
        ImGui::ClosePopupToLevel(0, true);
        WindowPostCommand(CommandAbout);
    }
    if (ImGui::BeginMenu("State")) {
        Item("Save state", CommandSaveState, false, "F5");
        Item("Load state", CommandLoadState, false, "F7");
        ImGui::Separator();
        static constexpr const char* Slots[] = {"Slot 1", "Slot 2", "Slot 3", "Slot 4"};
        static constexpr const char* Keys[] = {"F1", "F2", "F3", "F4"};
        for (uint32_t slot = 0; slot < 4; ++slot) {
            Item(Slots[slot], CommandSlot1 + slot, shell.stateSlot == slot, Keys[slot]);
        }
        ImGui::Separator();
        // Rewinding lasts as long as the key is held, so the item only says how.
        ImGui::MenuItem("Rewind", "hold Backspace", false, false);
        Item("Screenshot", CommandScreenshot, false, "F12");
        ImGui::EndMenu();
    }
    DrawDebugMenu();
    // Where the last title ended, whether or not the window showed it.
    *width = static_cast<int>(ImGui::GetCursorPosX() + ImGui::GetStyle().ItemSpacing.x);
    ImGui::EndMainMenuBar();
    return ImGui::IsPopupOpen("", ImGuiPopupFlags_AnyPopupId | ImGuiPopupFlags_AnyPopupLevel);
}

}  // namespace plexaro
