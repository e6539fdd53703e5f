// The Problems window of the Debug menu, drawn with Dear ImGui: the checks' warnings as a
// table, one row per place in the program, and for the row chosen what it means and how a
// game avoids it. The checks run only while the window is open.
#include <imgui.h>

#include <cinttypes>
#include <cstdio>

#include "host/debug/problems.h"
#include "host/sdl/sdl_host.h"
#include "host/shell/shell.h"
#include "host/shell/window.h"
#include "machine/checks.h"
#include "machine/debugger.h"

namespace plexaro {
namespace {

struct ProblemsWindowState {
    uint64_t since;  // the frame the checks began
    int chosen;      // the row whose advice shows, or -1
};

ProblemsWindowState problems = {0, -1};

void Row(int index, const CheckWarning& warning) {
    ImGui::TableNextRow();
    ImGui::TableNextColumn();
    const std::string place = WarningPlace(warning);
    char label[32];
    std::snprintf(label, sizeof label, "%s##%d", place.c_str(), index);
    if (ImGui::Selectable(label, problems.chosen == index, ImGuiSelectableFlags_SpanAllColumns)) {
        problems.chosen = index;
    }
    if (ImGui::IsItemHovered()) ImGui::SetTooltip("%s", CheckAdvice(warning.kind));
    ImGui::TableNextColumn();
    ImGui::TextUnformatted(CheckKindTitle(warning.kind));
    ImGui::TableNextColumn();
    ImGui::Text("%" PRIu64, warning.count);
    ImGui::TableNextColumn();
    ImGui::TextUnformatted(WarningFirstSeen(warning).c_str());
    ImGui::TableNextColumn();
    ImGui::TextUnformatted(WarningDetail(warning).c_str());
}

// The chosen row's places: its instruction in the CPU window, its data in the Memory window.
void GoButtons(const CheckWarning& warning) {
    if (warning.located && ImGui::SmallButton("Show in CPU")) DebugShowCpu(warning.pc);
    uint16_t data = 0;
    if (WarningDataAddress(warning, data)) {
        if (warning.located) ImGui::SameLine();
        if (ImGui::SmallButton("Show data in Memory")) DebugShowMemory(data);
    }
}

}  // namespace

void ProblemsWindowOpened() {
    ChecksClear();
    ChecksSetFrame(DebuggerPosition().frame);
    ChecksEnable(true);
    problems.since = DebuggerPosition().frame;
    problems.chosen = -1;
}

void ProblemsWindowClosed() {
    ChecksEnable(false);
}

void DrawProblemsWindow(bool* open) {
    if (!ImGui::Begin("Problems", open)) {
        ImGui::End();
        return;
    }
    const uint32_t count = ChecksWarningCount();
    ImGui::Text("Checking since frame %" PRIu64 ": %" PRIu32 " problem%s, %" PRIu64 " times",
                problems.since, count, count == 1 ? "" : "s", ChecksOccurrences());
    ImGui::SameLine();
    if (ImGui::SmallButton("Clear")) {
        ChecksClear();
        problems.chosen = -1;
    }
    ImGui::SameLine();
    // RAM the program wrote before the window opened counts as written: from a reset, the
    // check of RAM read before it was written sees everything.
    if (ImGui::SmallButton("Reset console")) {
        ChecksClear();
        problems.since = DebuggerPosition().frame;
        problems.chosen = -1;
        WindowPostCommand(CommandReset);
    }
    const float adviceHeight = ImGui::GetTextLineHeightWithSpacing() * 4;
    const ImGuiTableFlags flags = ImGuiTableFlags_RowBg | ImGuiTableFlags_BordersInnerV |
                                  ImGuiTableFlags_ScrollY | ImGuiTableFlags_ScrollX |
                                  ImGuiTableFlags_Resizable;
    if (ImGui::BeginTable("problems", 5, flags, ImVec2(0, -adviceHeight))) {
        ImGui::TableSetupScrollFreeze(0, 1);
        // Wide enough for the longest each column will hold, not just what it holds at first.
        const auto width = [](const char* text) { return ImGui::CalcTextSize(text).x; };
        // A narrow window scrolls the table sideways rather than cut the place's label.
        ImGui::TableSetupColumn("Place", ImGuiTableColumnFlags_WidthFixed,
                                width("0x0000 _draw_level+123"));
        ImGui::TableSetupColumn("Problem", ImGuiTableColumnFlags_WidthFixed,
                                width("More than four sprites on a line"));
        ImGui::TableSetupColumn("Times", ImGuiTableColumnFlags_WidthFixed, width("000000000"));
        ImGui::TableSetupColumn("First seen", ImGuiTableColumnFlags_WidthFixed,
                                width("frame 0000000, line 000"));
        ImGui::TableSetupColumn("Details", ImGuiTableColumnFlags_WidthFixed,
                                width("SP down to 0xBE7A, the variables end at 0xC006 _total+2"));
        ImGui::TableHeadersRow();
        ImGuiListClipper rows;
        rows.Begin(static_cast<int>(count));
        while (rows.Step()) {
            for (int i = rows.DisplayStart; i < rows.DisplayEnd; ++i) {
                Row(i, ChecksWarning(static_cast<uint32_t>(i)));
            }
        }
        ImGui::EndTable();
    }
    if (count == 0) {
        ImGui::TextWrapped("Nothing found so far.");
    } else if (problems.chosen >= 0 && static_cast<uint32_t>(problems.chosen) < count) {
        const CheckWarning chosen = ChecksWarning(static_cast<uint32_t>(problems.chosen));
        GoButtons(chosen);
        ImGui::TextWrapped("%s", CheckAdvice(chosen.kind));
    } else {
        ImGui::TextWrapped("Choose a row to see how a game avoids the problem.");
    }
    ImGui::End();
}

}  // namespace plexaro
