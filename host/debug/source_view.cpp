// The C source beside the disassembly in the CPU window, and the window's steps by C line and
// back in time. The source is the file the current instruction was compiled from, scrolled to
// its line, which is marked; a click on a line arms a breakpoint on all of its code, or
// disarms it.
#include <imgui.h>

#include <cstdio>
#include <string>
#include <vector>

#include "cpu/z80.h"
#include "host/debug/cdb.h"
#include "host/debug/sources.h"
#include "host/debug/timetravel.h"
#include "host/sdl/sdl_host.h"
#include "host/shell/shell.h"
#include "host/shell/window.h"
#include "machine/debugger.h"

namespace plexaro {
namespace {

struct SourceViewState {
    std::string file;                         // the file shown
    uint32_t line;                            // the line marked when last drawn
    bool scroll;                              // to the marked line at the next drawing
    std::vector<std::vector<uint16_t>> code;  // each line's addresses, by line number
    char folder[256];
};

SourceViewState view = {};

void Show(const char* file) {
    view.file = file;
    view.code.clear();
    for (uint32_t line : SourceLinesWithCode(file)) {
        uint32_t actual = 0;
        std::vector<uint16_t> addresses;
        if (!SourceLineAddresses(file, line, actual, addresses) || actual != line) continue;
        if (view.code.size() <= line) view.code.resize(line + 1);
        view.code[line] = addresses;
    }
}

const std::vector<uint16_t>* CodeOf(uint32_t line) {
    return line < view.code.size() && !view.code[line].empty() ? &view.code[line] : nullptr;
}

bool Armed(const std::vector<uint16_t>& addresses) {
    for (uint16_t address : addresses)
        if (DebuggerHasBreakpoint(address)) return true;
    return false;
}

// Sources kept elsewhere than the symbols and the cartridge: a folder typed here.
void AskForFolder() {
    ImGui::TextWrapped("%s is in none of the folders of the symbols or the cartridge.",
                       view.file.c_str());
    ImGui::SetNextItemWidth(-1);
    if (ImGui::InputTextWithHint("##folder", "C sources folder, then Enter", view.folder,
                                 sizeof view.folder, ImGuiInputTextFlags_EnterReturnsTrue)) {
        SourcesAddFolder(view.folder);
        view.scroll = true;
    }
}

}  // namespace

bool SourceViewWanted() {
    return CdbLoaded();
}

void DrawSourceView(float height) {
    const uint16_t pc = static_cast<uint16_t>(z80::GetRegister(z80::RegPC));
    SourcePlace place{};
    const bool known = SourcePlaceAt(pc, place);
    if (known && (view.file != place.file || view.line != place.line)) {
        if (view.file != place.file) Show(place.file);
        view.line = place.line;
        view.scroll = true;
    }
    if (!known) view.line = 0;
    ImGui::BeginChild("source", ImVec2(0, height));
    const SourceText* text = view.file.empty() ? nullptr : SourceFile(view.file);
    if (view.file.empty()) {
        ImGui::TextDisabled("no C line at %04X", pc);
    } else if (text == nullptr) {
        AskForFolder();
    } else {
        const float rowHeight = ImGui::GetTextLineHeightWithSpacing();
        if (view.scroll && view.line > 0) {
            ImGui::SetScrollY((static_cast<float>(view.line) - 1) * rowHeight - height / 3);
            view.scroll = false;
        }
        ImGuiListClipper rows;
        rows.Begin(static_cast<int>(text->size()), rowHeight);
        while (rows.Step()) {
            for (int row = rows.DisplayStart; row < rows.DisplayEnd; ++row) {
                const uint32_t line = static_cast<uint32_t>(row) + 1;
                const std::vector<uint16_t>* code = CodeOf(line);
                char label[160];
                std::snprintf(label, sizeof label, "%c %c %4u  %.120s##%u",
                              code != nullptr && Armed(*code) ? '*' : ' ',
                              line == view.line ? '>' : (code != nullptr ? '.' : ' '), line,
                              (*text)[row].c_str(), line);
                if (ImGui::Selectable(label, line == view.line) && code != nullptr) {
                    const bool armed = Armed(*code);
                    for (uint16_t address : *code) {
                        if (armed) {
                            DebuggerRemoveBreakpoint(address);
                        } else {
                            DebuggerAddBreakpoint(address);
                        }
                    }
                }
            }
        }
    }
    ImGui::EndChild();
}

namespace {

// On the same line as the last item when `text` (a button's label, or plain text) still fits
// there, else on the next: a narrow tile wraps the row rather than cutting a button off.
void SameLineIfFits(const char* text, bool button) {
    const ImGuiStyle& style = ImGui::GetStyle();
    const float width = ImGui::CalcTextSize(text).x + (button ? 2 * style.FramePadding.x : 0);
    const float right = ImGui::GetWindowPos().x + ImGui::GetWindowContentRegionMax().x;
    if (ImGui::GetItemRectMax().x + style.ItemSpacing.x + width <= right) ImGui::SameLine();
}

bool StepButton(const char* label) {
    SameLineIfFits(label, true);
    return ImGui::Button(label);
}

}  // namespace

// Steps out, back in time and, with C lines, by line: posted, as the other buttons are.
void DrawStepButtons() {
    if (!TimeTravelActive()) TimeTravelStart(TimeTravelDefaultBudget);
    if (ImGui::Button("Step out")) WindowPostCommand(CommandDebugStepOut);
    if (StepButton("Step back")) WindowPostCommand(CommandDebugStepBack);
    if (StepButton("Reverse continue")) WindowPostCommand(CommandDebugReverseContinue);
    if (CdbLoaded()) {
        SameLineIfFits(" C:", false);
        ImGui::TextUnformatted(" C:");
        if (StepButton("Step line")) WindowPostCommand(CommandDebugStepLine);
        if (StepButton("Step over line")) WindowPostCommand(CommandDebugStepOverLine);
        if (StepButton("Step back line")) WindowPostCommand(CommandDebugStepBackLine);
    }
    char kept[32];
    std::snprintf(kept, sizeof kept, " %.1f s kept", TimeTravelFramesKept() / 60.0);
    SameLineIfFits(kept, false);
    ImGui::TextDisabled("%s", kept);
}

}  // namespace plexaro
