// The keyboard's program keys (pause, rewind and the State menu's fixed keys) and the Controls
// dialog that binds each console control to a key and a controller button, and the program
// keys to keys: a click on a binding waits for the next key or button pressed, Escape
// cancels the wait. A key or button taken by one control is taken from the one that had it.
#include <SDL.h>
#include <imgui.h>

#include <cstdio>

#include "host/sdl/sdl_host.h"
#include "host/shell/bindings.h"
#include "host/shell/input.h"
#include "host/shell/keyboard.h"
#include "host/shell/shell.h"
#include "host/shell/window.h"

namespace plexaro {
namespace {

enum WaitKind : uint32_t { WaitNone, WaitKey, WaitButton, WaitProgramKey };

struct ControlsDialog {
    bool open;
    WaitKind waiting;
    uint32_t player;
    uint32_t control;  // a PadControl, or a ProgramKey while waiting for one
    const char* note;  // said under the table until the next wait starts
};

ControlsDialog dialog = {};

// The State menu's keys stay where they are: a control on one would also save or load.
bool StateMenuKey(SDL_Scancode scancode) {
    return (scancode >= SDL_SCANCODE_F1 && scancode <= SDL_SCANCODE_F5) ||
           scancode == SDL_SCANCODE_F7 || scancode == SDL_SCANCODE_F12;
}

bool Typing() {
    return ImGui::GetCurrentContext() != nullptr && ImGui::GetIO().WantTextInput;
}

void TakeKey(const SDL_KeyboardEvent& key) {
    const SDL_Scancode scancode = key.keysym.scancode;
    if (scancode == SDL_SCANCODE_ESCAPE) {
        dialog.waiting = WaitNone;
        return;
    }
    if (dialog.waiting == WaitButton) return;  // only Escape, while a button is awaited
    const uint32_t code = KeyCodeOfScancode(scancode);
    if (StateMenuKey(scancode)) {
        dialog.note = "F1 to F5, F7 and F12 belong to the State menu.";
        return;
    }
    if (code >= KeyCodeCount) {
        dialog.note = "That key can't be bound; press another.";
        return;
    }
    Bindings bindings = InputBindings();
    if (dialog.waiting == WaitProgramKey) {
        BindProgramKey(bindings, dialog.control, code);
    } else {
        BindKey(bindings, dialog.player, dialog.control, code);
    }
    ShellSetBindings(bindings);
    dialog.waiting = WaitNone;
}

void TakeButton(uint8_t button) {
    if (dialog.waiting != WaitButton || button >= JoystickButtonCount) return;
    Bindings bindings = InputBindings();
    BindButton(bindings, dialog.player, dialog.control, button);
    ShellSetBindings(bindings);
    dialog.waiting = WaitNone;
}

// One binding's button: its key or button's name, or what it waits for.
void BindingButton(const char* name, WaitKind kind, uint32_t player, uint32_t control) {
    const bool waiting =
        dialog.waiting == kind && dialog.player == player && dialog.control == control;
    char label[64];
    std::snprintf(label, sizeof label, "%s##%u.%u.%u",
                  waiting ? (kind == WaitButton ? "press a button..." : "press a key...")
                          : (name != nullptr ? name : "?"),
                  kind, player, control);
    if (ImGui::Button(label, ImVec2(-1, 0))) {
        dialog.waiting = waiting ? WaitNone : kind;
        dialog.player = player;
        dialog.control = control;
        dialog.note = nullptr;
    }
}

// Below the buttons, so that the lines above keep their places: the PC keys Keyboard mode puts
// the SC-3000's keys a PC lacks on.
void KeyboardModeKeys() {
    if (!ImGui::CollapsingHeader("SC-3000 keys in Keyboard mode")) return;
    static constexpr uint32_t Keys[] = {
        KbFunc,  KbGraph, KbEngDiers, KbCtrl, KbBreak,       KbInsDel,       KbHomeClr, KbPi,
        KbReset, KbCaret, KbYen,      KbAt,   KbOpenBracket, KbCloseBracket, KbColon};
    for (uint32_t key : Keys) {
        const char* pc = PcKeyFor(key);
        ImGui::BulletText("%s: %s", KeyInfoOf(key).name, pc != nullptr ? pc : "none");
    }
    ImGui::TextWrapped("The rest are where the PC has them; the arrows are the SC-3000's.");
}

}  // namespace

void HandleProgramKey(const SDL_KeyboardEvent& key) {
    const Bindings& bindings = InputBindings();
    const uint32_t code = KeyCodeOfScancode(key.keysym.scancode);
    if (code < KeyCodeCount && code == bindings.programKey[KeyRewind]) {
        if (key.repeat) return;
        // In a debug window's text field the key edits the text; the game stays put.
        ShellSetRewinding(key.type == SDL_KEYDOWN && !Typing());
        return;
    }
    if (key.type != SDL_KEYDOWN || key.repeat) return;
    if (code < KeyCodeCount && code == bindings.programKey[KeyPause]) {
        // The console's pause button, as Machine > Pause; a debug text field types it.
        if (!Typing()) WindowPostCommand(CommandPause);
        return;
    }
    if (code < KeyCodeCount && code == bindings.programKey[KeyKeyboardMode]) {
        if (!Typing()) WindowPostCommand(CommandKeyboardMode);
        return;
    }
    if (code < KeyCodeCount && code == bindings.programKey[KeyPauseEmulation]) {
        if (!Typing()) WindowPostCommand(CommandPauseEmulation);
        return;
    }
    switch (key.keysym.scancode) {
        case SDL_SCANCODE_F1:
        case SDL_SCANCODE_F2:
        case SDL_SCANCODE_F3:
        case SDL_SCANCODE_F4:
            WindowPostCommand(CommandSlot1 + (key.keysym.scancode - SDL_SCANCODE_F1));
            break;
        case SDL_SCANCODE_F5: WindowPostCommand(CommandSaveState); break;
        case SDL_SCANCODE_F7: WindowPostCommand(CommandLoadState); break;
        case SDL_SCANCODE_F12: WindowPostCommand(CommandScreenshot); break;
        default: break;
    }
}

void OpenControlsDialog() {
    dialog = {};
    dialog.open = true;
}

// While the dialog is open the game holds, and no key press works the program: presses go to
// the dialog. Releases go on as ever, so that nothing stays held.
bool ControlsDialogTakes(const SDL_Event& event) {
    if (!dialog.open) return false;
    if (event.type == SDL_CONTROLLERBUTTONDOWN) {
        TakeButton(event.cbutton.button);
        return true;
    }
    if (event.type != SDL_KEYDOWN || event.key.repeat) return event.type == SDL_KEYDOWN;
    if (dialog.waiting != WaitNone) {
        TakeKey(event.key);
    } else if (event.key.keysym.scancode == SDL_SCANCODE_ESCAPE) {
        dialog.open = false;
    }
    return true;
}

bool DrawControlsDialog() {
    if (!dialog.open) return false;
    const ImVec2 screen = ImGui::GetIO().DisplaySize;
    ImGui::SetNextWindowPos(ImVec2(screen.x / 2, screen.y / 2), ImGuiCond_Appearing,
                            ImVec2(0.5f, 0.5f));
    ImGui::SetNextWindowSize(ImVec2(500, 350), ImGuiCond_Appearing);
    bool keepOpen = true;
    if (ImGui::Begin("Controls", &keepOpen, ImGuiWindowFlags_NoCollapse)) {
        const Bindings& bindings = InputBindings();
        constexpr ImGuiTableFlags Flags = ImGuiTableFlags_SizingStretchSame;
        if (ImGui::BeginTable("pads", 5, Flags)) {
            ImGui::TableSetupColumn("", ImGuiTableColumnFlags_WidthFixed, 70);
            ImGui::TableSetupColumn("Player 1 key");
            ImGui::TableSetupColumn("Player 1 pad");
            ImGui::TableSetupColumn("Player 2 key");
            ImGui::TableSetupColumn("Player 2 pad");
            ImGui::TableHeadersRow();
            for (uint32_t control = 0; control < PadControlCount; ++control) {
                ImGui::TableNextRow();
                ImGui::TableNextColumn();
                ImGui::AlignTextToFramePadding();
                ImGui::TextUnformatted(PadControlName(control));
                for (uint32_t player = 0; player < BindingPlayers; ++player) {
                    ImGui::TableNextColumn();
                    BindingButton(KeyName(bindings.key[player][control]), WaitKey, player, control);
                    ImGui::TableNextColumn();
                    BindingButton(ButtonName(bindings.button[player][control]), WaitButton, player,
                                  control);
                }
            }
            ImGui::EndTable();
        }
        ImGui::Separator();
        if (ImGui::BeginTable("program", 4, Flags)) {
            ImGui::TableSetupColumn("", ImGuiTableColumnFlags_WidthFixed, 110);
            ImGui::TableSetupColumn("");
            ImGui::TableSetupColumn("", ImGuiTableColumnFlags_WidthFixed, 110);
            ImGui::TableSetupColumn("");
            for (uint32_t which = 0; which < ProgramKeyCount; ++which) {
                ImGui::TableNextColumn();
                ImGui::AlignTextToFramePadding();
                ImGui::TextUnformatted(ProgramKeyName(which));
                ImGui::TableNextColumn();
                BindingButton(KeyName(bindings.programKey[which]), WaitProgramKey, 0, which);
            }
            ImGui::EndTable();
        }
        ImGui::Separator();
        const char* hint = dialog.waiting != WaitNone
                               ? "Escape cancels the wait."
                               : "Click a binding, then press its new key or button.";
        ImGui::TextWrapped("%s", dialog.note != nullptr ? dialog.note : hint);
        if (ImGui::Button("Reset to defaults")) {
            ShellSetBindings(DefaultBindings());
            dialog.waiting = WaitNone;
        }
        ImGui::SameLine();
        if (ImGui::Button("Close")) keepOpen = false;
        KeyboardModeKeys();
    }
    ImGui::End();
    if (!keepOpen) dialog = {};
    return dialog.open;
}

}  // namespace plexaro
