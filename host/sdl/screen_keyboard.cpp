// The SC-3000's keyboard drawn in a window of its own: the machine's layout, each key lit
// while the machine holds it (from the PC keyboard, a paste or a click), and pressed for as
// long as the mouse holds it down.
#include <imgui.h>

#include "host/sdl/sdl_host.h"
#include "host/shell/keyboard.h"
#include "host/shell/shell.h"
#include "host/shell/window.h"
#include "machine/sc3000.h"

namespace plexaro {
namespace {

constexpr float Quarter = 8.0f;  // a letter key is four quarters: 32 pixels
constexpr float KeyHeight = 30.0f;
constexpr float Gap = 2.0f;
constexpr ImU32 LitColour = IM_COL32(240, 200, 60, 255);

}  // namespace

void DrawScreenKeyboard() {
    ImGui::SetNextWindowSize(ImVec2(15 * 4 * Quarter + 24, 5 * (KeyHeight + Gap) + 48),
                             ImGuiCond_FirstUseEver);
    bool open = true;
    if (!ImGui::Begin("SC-3000 keyboard", &open, ImGuiWindowFlags_NoScrollbar)) {
        ImGui::End();
        return;
    }
    const ImVec2 origin = ImGui::GetCursorPos();
    const KeySet held = KeysHeld();
    KeySet pressed = 0;
    const KeyPlace* places = KeyboardLayout();
    for (uint32_t i = 0; i < KeyPlaceCount; ++i) {
        const KeyPlace& place = places[i];
        ImGui::SetCursorPos(
            ImVec2(origin.x + place.left * Quarter, origin.y + place.line * (KeyHeight + Gap)));
        const bool lit = (held & KeyBit(place.key)) != 0;
        if (lit) {
            ImGui::PushStyleColor(ImGuiCol_Button, LitColour);
            ImGui::PushStyleColor(ImGuiCol_Text, IM_COL32(0, 0, 0, 255));
        }
        ImGui::PushID(static_cast<int>(i));
        ImGui::Button(KeyInfoOf(place.key).legend, ImVec2(place.width * Quarter - Gap, KeyHeight));
        if (ImGui::IsItemActive()) pressed |= KeyBit(place.key);
        ImGui::PopID();
        if (lit) ImGui::PopStyleColor(2);
    }
    ScreenKeyboardHold(pressed);
    ImGui::End();
    if (!open) {
        ScreenKeyboardHold(0);
        WindowPostCommand(CommandScreenKeyboard);
    }
}

}  // namespace plexaro
