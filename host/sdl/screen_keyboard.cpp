// The SC-3000's keyboard on SDL: drawn in a window of its own (the machine's layout, each key
// lit while the machine holds it, from the PC keyboard, a paste or a click, and pressed for as
// long as the mouse holds it down), the PC's keys in Keyboard mode, and the clipboard's text.
#include <SDL.h>
#include <imgui.h>

#include <string>

#include "host/sdl/sdl_host.h"
#include "host/shell/keyboard.h"
#include "host/shell/shell.h"
#include "host/shell/window.h"
#include "machine/sc3000.h"

namespace plexaro {
namespace {

constexpr float KeyHeight = 26.0f;
constexpr float Gap = 2.0f;
constexpr ImU32 LitColour = IM_COL32(240, 200, 60, 255);

// The font has no arrows and no pi: those keys show words.
const char* Label(uint32_t key) {
    switch (key) {
        case KbLeft: return "<-";
        case KbRight: return "->";
        case KbUp: return "UP";
        case KbDown: return "DN";
        case KbPi: return "PI";
        default: return KeyInfoOf(key).legend;
    }
}

}  // namespace

void DrawScreenKeyboard() {
    // As wide as the window at first, below the menu bar; the keys fill whatever width it has.
    const ImVec2 screen = ImGui::GetIO().DisplaySize;
    ImGui::SetNextWindowPos(ImVec2(0, static_cast<float>(MenuBarHeight())), ImGuiCond_FirstUseEver);
    ImGui::SetNextWindowSize(ImVec2(screen.x, 5 * (KeyHeight + Gap) + 40), ImGuiCond_FirstUseEver);
    bool open = true;
    if (!ImGui::Begin("SC-3000 keyboard", &open, ImGuiWindowFlags_NoScrollbar)) {
        ImGui::End();
        return;
    }
    const ImVec2 origin = ImGui::GetCursorPos();
    const KeySet held = KeysHeld();
    KeySet pressed = 0;
    const KeyPlace* places = KeyboardLayout();
    uint32_t quarters = 1;  // the widest line's
    for (uint32_t i = 0; i < KeyPlaceCount; ++i) {
        if (places[i].left + places[i].width > quarters)
            quarters = places[i].left + places[i].width;
    }
    const float quarter = ImGui::GetContentRegionAvail().x / static_cast<float>(quarters);
    for (uint32_t i = 0; i < KeyPlaceCount; ++i) {
        const KeyPlace& place = places[i];
        ImGui::SetCursorPos(
            ImVec2(origin.x + place.left * quarter, origin.y + place.line * (KeyHeight + Gap)));
        const bool lit = (held & KeyBit(place.key)) != 0;
        if (lit) {
            ImGui::PushStyleColor(ImGuiCol_Button, LitColour);
            ImGui::PushStyleColor(ImGuiCol_ButtonHovered, LitColour);
            ImGui::PushStyleColor(ImGuiCol_ButtonActive, LitColour);
            ImGui::PushStyleColor(ImGuiCol_Text, IM_COL32(0, 0, 0, 255));
        }
        ImGui::PushID(static_cast<int>(i));
        ImGui::Button(Label(place.key), ImVec2(place.width * quarter - Gap, KeyHeight));
        if (ImGui::IsItemActive()) pressed |= KeyBit(place.key);
        ImGui::PopID();
        if (lit) ImGui::PopStyleColor(4);
    }
    ScreenKeyboardHold(pressed);
    // Escape closes it, as it closes the menus and the dialogs.
    if (ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_Escape), false)) open = false;
    ImGui::End();
    if (!open) {
        ScreenKeyboardHold(0);
        WindowPostCommand(CommandScreenKeyboard);
    }
}

bool Sc3000KeyEvent(const SDL_KeyboardEvent& key, bool typing) {
    if (key.type == SDL_KEYDOWN && !key.repeat && key.keysym.scancode == SDL_SCANCODE_V &&
        (key.keysym.mod & KMOD_CTRL) != 0 && (key.keysym.mod & KMOD_SHIFT) != 0) {
        WindowPostCommand(CommandPaste);
    }
    const uint32_t code = KeyCodeOfScancode(key.keysym.scancode);
    if (!KeyboardModeTakes(code)) return false;
    if (!key.repeat && (key.type == SDL_KEYUP || !typing)) {
        KeyboardModeKeyEvent(code, key.type == SDL_KEYDOWN);
    }
    return true;
}

std::string WindowClipboardText() {
    char* text = SDL_GetClipboardText();
    std::string copy = text != nullptr ? text : "";
    SDL_free(text);
    return copy;
}

}  // namespace plexaro
