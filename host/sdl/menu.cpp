// The menu bar above the picture, drawn with Dear ImGui each frame: its items, their order
// and check marks follow the shell's state, and a chosen item is posted as a command. And
// the words drawn over the picture: the hint of an empty window and the short notices.
#include <imgui.h>
#include <imgui_internal.h>

#include <cstdio>
#include <cstring>
#include <filesystem>

#include "host/os/os.h"
#include "host/sdl/sdl_host.h"
#include "host/shell/audio.h"
#include "host/shell/input.h"
#include "host/shell/keyboard.h"
#include "host/shell/notices.h"
#include "host/shell/run_ahead.h"
#include "host/shell/settings.h"
#include "host/shell/shell.h"
#include "host/shell/window.h"
#include "machine/board.h"
#include "machine/cassette.h"
#include "machine/machine.h"
#include "machine/sc3000.h"

namespace plexaro {
namespace {

void Item(const char* label, uint32_t id, bool checked = false, const char* shortcut = nullptr) {
    if (ImGui::MenuItem(label, shortcut, checked)) WindowPostCommand(id);
}

// A program key's name as the menus show it, "hold " before it for keys held.
const char* ProgramKeyShortcut(uint32_t which, bool held) {
    static char text[ProgramKeyCount][32];
    const char* name = KeyName(InputBindings().programKey[which]);
    std::snprintf(text[which], sizeof text[which], "%s%s", held ? "hold " : "",
                  name != nullptr ? name : "?");
    return text[which];
}

// File > Recent: the cartridges loaded last, a missing one greyed out. Whether each exists is
// looked at once as the submenu opens, not on every frame it stays open.
void RecentMenu() {
    static bool present[RecentCount];
    const auto& recent = SavedSettings().recent;
    if (!ImGui::BeginMenu("Recent", !recent.empty())) return;
    const bool appearing = ImGui::IsWindowAppearing();
    for (uint32_t i = 0; i < recent.size() && i < RecentCount; ++i) {
        const char* path = recent[i].c_str();
        if (appearing) {
            std::error_code error;
            present[i] = std::filesystem::is_regular_file(PathOf(recent[i]), error);
        }
        char label[300];
        std::snprintf(label, sizeof label, "%s##%u", FileNameOf(recent[i]).c_str(), i);
        if (ImGui::MenuItem(label, nullptr, false, present[i])) {
            WindowPostCommand(CommandRecent1 + i);
        }
        if (ImGui::IsItemHovered(ImGuiHoveredFlags_AllowWhenDisabled)) {
            ImGui::SetTooltip("%s%s", path, present[i] ? "" : " (missing)");
        }
    }
    ImGui::Separator();
    Item("Clear list", CommandClearRecent);
    ImGui::EndMenu();
}

// Machine > Keyboard: the system the next reset or load starts (flat, so that nothing opens
// over its parent in the smallest window), the SC-3000's keyboard and the paste.
void KeyboardMenu() {
    if (!ImGui::BeginMenu("Keyboard")) return;
    ImGui::TextDisabled("System, from the next reset or load:");
    static constexpr const char* Systems[MachineKindCount] = {"Auto", "SG-1000", "SC-3000"};
    for (uint32_t kind = 0; kind < MachineKindCount; ++kind) {
        Item(Systems[kind], CommandSystemAuto + kind, SelectedMachine() == kind);
    }
    ImGui::Separator();
    Item("Keyboard mode", CommandKeyboardMode, KeyboardModeOn(),
         ProgramKeyShortcut(KeyKeyboardMode, false));
    Item("Paste text", CommandPaste, false, "Ctrl+Shift+V");
    Item("On-screen keyboard", CommandScreenKeyboard, ShellScreenKeyboardShown());
    ImGui::EndMenu();
}

// Machine > Tape: the cassette recorder's buttons, with where the tape stands.
void TapeMenu() {
    if (!ImGui::BeginMenu("Tape")) return;
    const CassetteStatus tape = GetCassetteStatus();
    if (tape.inserted) {
        const auto seconds = [](uint64_t cycles) {
            return static_cast<unsigned>(cycles / ConsoleClockHz);
        };
        ImGui::TextDisabled("%s  %u:%02u / %u:%02u", tape.name, seconds(tape.position) / 60,
                            seconds(tape.position) % 60, seconds(tape.length) / 60,
                            seconds(tape.length) % 60);
    } else {
        ImGui::TextDisabled(tape.recording ? "recording" : "no tape");
    }
    Item("Insert...", CommandTapeInsert);
    if (ImGui::MenuItem("Play", nullptr, tape.playing, tape.inserted)) {
        WindowPostCommand(CommandTapePlay);
    }
    if (ImGui::MenuItem("Stop", nullptr, false, tape.playing || tape.recording)) {
        WindowPostCommand(CommandTapeStop);
    }
    if (ImGui::MenuItem("Rewind", nullptr, false, tape.inserted)) {
        WindowPostCommand(CommandTapeRewind);
    }
    Item("Record to a new file", CommandTapeRecord, tape.recording);
    if (ImGui::MenuItem("Eject", nullptr, false, tape.inserted)) {
        WindowPostCommand(CommandTapeEject);
    }
    ImGui::EndMenu();
}

}  // namespace

void CloseMenus(bool restoreFocus) {
    if (ImGui::GetCurrentContext() == nullptr || GImGui->OpenPopupStack.Size == 0) return;
    ImGui::ClosePopupToLevel(0, restoreFocus);
}

bool DrawMenuBar(int* width) {
    const ShellState& shell = Shell();
    // Escape closes an open menu, as on any desktop (ImGui's own keyboard navigation, which
    // would, is off: the game's keys are not the menus').
    if (ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_Escape), false)) CloseMenus(true);
    if (!ImGui::BeginMainMenuBar()) return false;
    if (ImGui::BeginMenu("File")) {
        Item("Load rom", CommandLoadRom);
        RecentMenu();
        Item("Free rom", CommandFreeRom);
        ImGui::Separator();
        Item("Quit", CommandQuit);
        ImGui::EndMenu();
    }
    if (ImGui::BeginMenu("Machine")) {
        Item("Pause", CommandPause, shell.PauseChecked == 1, ProgramKeyShortcut(KeyPause, false));
        Item("Reset", CommandReset, false, ProgramKeyShortcut(KeyReset, false));
        ImGui::Separator();
        Item("Fast forward", CommandFastForward, shell.FastForward == 1,
             ProgramKeyShortcut(KeyFastForward, true));
        Item("Slow motion (\xC2\xBD speed)", CommandSlowMotion, shell.SlowMotion == 1);
        // The emulator's own standstill: the console's pause button above is the game's.
        Item("Pause emulation", CommandPauseEmulation, shell.EmulationPaused == 1,
             ProgramKeyShortcut(KeyPauseEmulation, false));
        ImGui::Separator();
        if (ImGui::MenuItem("Controls...")) OpenControlsDialog();
        // How far the sound runs behind the picture; Safe for machines that crackle on Low.
        if (ImGui::BeginMenu("Sound latency")) {
            for (uint32_t which = 0; which < SoundLatencyCount; ++which) {
                Item(SoundLatencies[which].label, CommandSoundLatencyLow + which,
                     AudioLatency() == which);
            }
            ImGui::EndMenu();
        }
        // The picture of a frame or two ahead: a key shows sooner, at the cost of running them.
        if (ImGui::BeginMenu("Run-ahead")) {
            static constexpr const char* Choices[] = {"Off", "1 frame", "2 frames"};
            for (uint32_t frames = 0; frames <= MostRunAheadFrames; ++frames) {
                Item(Choices[frames], CommandRunAheadOff + frames, RunAheadFrames() == frames);
            }
            ImGui::EndMenu();
        }
        // The SC-3000's, last: the lines above keep their places.
        KeyboardMenu();
        TapeMenu();
        ImGui::EndMenu();
    }
    if (ImGui::BeginMenu("Video")) {
        const PictureLook& look = ShellPictureLook();
        Item("Fullscreen", CommandFullscreen, shell.FullScreenMode == 1, "Alt+Enter");
        ImGui::Separator();
        if (ImGui::BeginMenu("Aspect")) {
            for (uint32_t aspect = 0; aspect < AspectCount; ++aspect) {
                Item(PictureAspectLabel(aspect), CommandAspectConsole + aspect,
                     look.aspect == aspect);
            }
            ImGui::EndMenu();
        }
        ImGui::Separator();
        Item("Size x 1", CommandSize1, shell.sizeChecked == 1);
        Item("Size x 2", CommandSize2, shell.sizeChecked == 2);
        Item("Size x 3", CommandSize3, shell.sizeChecked == 3);
        ImGui::Separator();
        // The first version's item, spelt as it was: the stretch aspect, on and off.
        Item("Strech", CommandStrech, look.aspect == AspectStretch);
        if (ImGui::BeginMenu("Scaling")) {
            for (uint32_t scaling = 0; scaling < ScalingCount; ++scaling) {
                Item(PictureScalingLabel(scaling), CommandScalingFit + scaling,
                     look.scaling == scaling);
            }
            ImGui::EndMenu();
        }
        if (ImGui::BeginMenu("Filter")) {
            for (uint32_t filter = 0; filter < FilterCount; ++filter) {
                Item(PictureFilterLabel(filter), CommandFilterSharp + filter,
                     look.filter == filter);
            }
            ImGui::EndMenu();
        }
        ImGui::Separator();
        // What few players change, out of the way so that the menu fits the window at x 1, and
        // in one flat list: at x 1 a submenu of a submenu has no room but over its parent.
        if (ImGui::BeginMenu("Advanced")) {
            Item("Hardware accuracy", CommandHardwareAccuracy, shell.HardwareAccuracy == 1);
            ImGui::Separator();
            // Like the RAM side of the accuracy item, a board applies at the next reset or load.
            for (uint32_t kind = 0; kind < BoardKindCount; ++kind) {
                char label[32];
                std::snprintf(label, sizeof label, "Board: %s", BoardName(kind));
                Item(label, CommandBoardAuto + kind, SelectedBoard() == kind);
            }
            ImGui::Separator();
            Item("RGB mode 565", CommandRgb565, shell.RgbMode == 1);
            Item("RGB mode 555", CommandRgb555, shell.RgbMode == 0);
            ImGui::EndMenu();
        }
        ImGui::EndMenu();
    }
    // A command on the bar itself, not a menu. A click on the bar leaves open a menu that was
    // open, which would then stand over the picture behind the About box.
    if (ImGui::MenuItem("About")) {
        CloseMenus(true);
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
        ImGui::MenuItem("Rewind", ProgramKeyShortcut(KeyRewind, true), false, false);
        Item("Screenshot", CommandScreenshot, false, "F12");
        ImGui::EndMenu();
    }
    DrawDebugMenu();
    // Where the last title ended, whether or not the window showed it.
    *width = static_cast<int>(ImGui::GetCursorPosX() + ImGui::GetStyle().ItemSpacing.x);
    ImGui::EndMainMenuBar();
    return ImGui::IsPopupOpen("", ImGuiPopupFlags_AnyPopupId | ImGuiPopupFlags_AnyPopupLevel);
}

// The notice at the foot of the picture (of the screen, in full screen), on a dark band so
// that it reads over any picture.
void DrawNotice(const char* text, bool fullScreen) {
    const ImVec2 screen = ImGui::GetIO().DisplaySize;
    const Rect area =
        fullScreen ? Rect{0, 0, static_cast<int32_t>(screen.x), static_cast<int32_t>(screen.y)}
                   : ShellPictureRect();
    const ImVec2 size = ImGui::CalcTextSize(text);
    constexpr float Pad = 4;
    const ImVec2 at(static_cast<float>(area.left) + 2 * Pad,
                    static_cast<float>(area.bottom) - size.y - 3 * Pad);
    ImDrawList* draw = ImGui::GetForegroundDrawList();
    draw->AddRectFilled(ImVec2(at.x - Pad, at.y - Pad),
                        ImVec2(at.x + size.x + Pad, at.y + size.y + Pad), IM_COL32(0, 0, 0, 190),
                        3.0f);
    draw->AddText(at, IM_COL32(255, 255, 255, 255), text);
}

void DrawSpeedMark(uint32_t mark, bool fullScreen) {
    const ImVec2 screen = ImGui::GetIO().DisplaySize;
    const Rect area =
        fullScreen ? Rect{0, 0, static_cast<int32_t>(screen.x), static_cast<int32_t>(screen.y)}
                   : ShellPictureRect();
    static constexpr const char* Words[] = {"", "fast", "slow", "rewind", "paused"};
    const char* word = Words[mark < MarkPaused ? mark : MarkPaused];
    constexpr float Pad = 4, Glyph = 12;
    const ImVec2 text = ImGui::CalcTextSize(word);
    const float width = Glyph + Pad + text.x;
    const ImVec2 at(static_cast<float>(area.right) - width - 3 * Pad,
                    static_cast<float>(area.top) + 2 * Pad);
    ImDrawList* draw = ImGui::GetForegroundDrawList();
    draw->AddRectFilled(ImVec2(at.x - Pad, at.y - Pad),
                        ImVec2(at.x + width + Pad, at.y + Glyph + Pad), IM_COL32(0, 0, 0, 190),
                        3.0f);
    const ImU32 white = IM_COL32(255, 255, 255, 255);
    const float top = at.y + 1, bottom = at.y + Glyph - 1, middle = at.y + Glyph / 2;
    const float half = Glyph / 2;
    // The signs of a player's buttons: >> fast, > slow, << rewind, || paused.
    switch (mark) {
        case MarkFastForward:
        case MarkRewind:
            for (float x : {at.x, at.x + half}) {
                if (mark == MarkFastForward) {
                    draw->AddTriangleFilled(ImVec2(x, top), ImVec2(x + half, middle),
                                            ImVec2(x, bottom), white);
                } else {
                    draw->AddTriangleFilled(ImVec2(x + half, top), ImVec2(x + half, bottom),
                                            ImVec2(x, middle), white);
                }
            }
            break;
        case MarkSlowMotion:
            draw->AddTriangleFilled(ImVec2(at.x + 2, top), ImVec2(at.x + Glyph - 2, middle),
                                    ImVec2(at.x + 2, bottom), white);
            break;
        default:
            draw->AddRectFilled(ImVec2(at.x + 2, top), ImVec2(at.x + 5, bottom), white);
            draw->AddRectFilled(ImVec2(at.x + Glyph - 5, top), ImVec2(at.x + Glyph - 2, bottom),
                                white);
            break;
    }
    draw->AddText(ImVec2(at.x + Glyph + Pad, at.y + (Glyph - text.y) / 2), white, word);
}

void DrawBlankHint() {
    const char* hint = "No cartridge: File > Load rom, or drop a .sg file here";
    const ImVec2 size = ImGui::CalcTextSize(hint);
    const Rect area = ShellPictureRect();
    const float x = static_cast<float>(area.left + area.right) / 2 - size.x / 2;
    const float y = static_cast<float>(area.top + area.bottom) / 2 - size.y / 2;
    ImGui::GetBackgroundDrawList()->AddText(ImVec2(x > 4 ? x : 4, y), IM_COL32(160, 160, 160, 255),
                                            hint);
}

}  // namespace plexaro
