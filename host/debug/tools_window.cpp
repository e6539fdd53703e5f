// The Debug menu's tool windows, drawn with Dear ImGui: Watch (watchpoints typed as text,
// their hit counts and the last hit), Profiler (the top functions of the last second) and
// Load symbols (a file's path typed in).
#include <imgui.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>

#include "host/debug/profiler.h"
#include "host/debug/sources.h"
#include "host/debug/symbols.h"
#include "host/debug/watches.h"
#include "host/os/os.h"
#include "host/sdl/sdl_host.h"
#include "host/shell/shell.h"
#include "host/shell/window.h"
#include "machine/debugger.h"
#include "machine/machine.h"

namespace plexaro {
namespace {

constexpr uint32_t ProfileRows = 16;

struct ToolWindows {
    char text[96];
    std::string watchProblem;
    char symbolsPath[1024];
    std::string symbolsOutcome;
    ProfileTop top[ProfileRows];
};

ToolWindows tools = {};

}  // namespace

void DrawWatchWindow(bool* open) {
    if (!ImGui::Begin("Watch", open)) {
        ImGui::End();
        return;
    }
    ImGui::SetNextItemWidth(220);
    const bool entered =
        ImGui::InputTextWithHint("##watch", "w:0xC000..0xC0FF  out:0xBE=0x40", tools.text,
                                 sizeof tools.text, ImGuiInputTextFlags_EnterReturnsTrue);
    ImGui::SameLine();
    if ((ImGui::Button("Add watch") || entered) && tools.text[0] != '\0') {
        Watchpoint watch{};
        if (!ParseWatch(tools.text, watch, tools.watchProblem)) {
        } else if (!DebuggerAddWatchpoint(watch)) {
            tools.watchProblem = "all " + std::to_string(MaxWatchpoints) + " watches are in use";
        } else {
            tools.watchProblem.clear();
            tools.text[0] = '\0';
        }
    }
    if (!tools.watchProblem.empty()) {
        ImGui::TextColored(ImVec4(1, 0.5f, 0.4f, 1), "%s", tools.watchProblem.c_str());
    } else {
        ImGui::TextDisabled("r, w, rw: memory; in, out, io: ports; =VALUE: only that byte");
    }
    if (ImGui::BeginTable("watches", 3, ImGuiTableFlags_RowBg | ImGuiTableFlags_SizingFixedFit)) {
        ImGui::TableSetupColumn("watch", ImGuiTableColumnFlags_WidthStretch);
        ImGui::TableSetupColumn("hits");
        ImGui::TableSetupColumn("");
        ImGui::TableHeadersRow();
        for (uint32_t i = 0; i < DebuggerWatchpointCount(); ++i) {
            const Watchpoint watch = DebuggerGetWatchpoint(i);
            ImGui::TableNextRow();
            ImGui::TableNextColumn();
            ImGui::TextUnformatted(DescribeWatchpoint(watch).c_str());
            ImGui::TableNextColumn();
            ImGui::Text("%llu", static_cast<unsigned long long>(watch.hits));
            ImGui::TableNextColumn();
            ImGui::PushID(static_cast<int>(i));
            if (ImGui::SmallButton("remove")) DebuggerRemoveWatchpoint(i);
            ImGui::PopID();
        }
        ImGui::EndTable();
    }
    const WatchHit hit = DebuggerLastWatchHit();
    if (DebuggerStopped() && hit.position.frame + hit.position.line + hit.pc != 0) {
        char line[256];
        FormatWatchHit(hit, line, sizeof line);
        ImGui::Separator();
        ImGui::TextWrapped("last hit: %s", line);
        if (ImGui::Button("Run")) WindowPostCommand(CommandDebugRun);
    }
    ImGui::End();
}

void DrawProfilerWindow(bool* open) {
    if (!ImGui::Begin("Profiler", open)) {
        ImGui::End();
        return;
    }
    const uint32_t count = ProfilerTopOfLastSecond(tools.top, ProfileRows);
    ImGui::Text("The last second, of a frame's %d cycles%s",
                static_cast<int>(LinesPerFrame) * LineCycles(),
                SymbolCount() == 0 ? " (no symbols: by address)" : "");
    if (count == 0) ImGui::TextDisabled("counting: the first second's figures come next");
    if (count > 0) {
        ImGui::Text("instructions %.1f%% of the frame, halted %.1f%%",
                    ProfilerBusyShareOfLastSecond() * 100,
                    std::max(0.0, 1 - ProfilerBusyShareOfLastSecond()) * 100);
    }
    if (count > 0 &&
        ImGui::BeginTable("top", 4, ImGuiTableFlags_RowBg | ImGuiTableFlags_SizingFixedFit)) {
        ImGui::TableSetupColumn("function", ImGuiTableColumnFlags_WidthStretch);
        ImGui::TableSetupColumn("cycles / s");
        ImGui::TableSetupColumn("share of the frame", ImGuiTableColumnFlags_WidthFixed, 150);
        ImGui::TableSetupColumn("calls / s");
        ImGui::TableHeadersRow();
        for (uint32_t i = 0; i < count; ++i) {
            const ProfileTop& row = tools.top[i];
            ImGui::TableNextRow();
            ImGui::TableNextColumn();
            ImGui::TextUnformatted(row.name);
            ImGui::TableNextColumn();
            ImGui::Text("%llu", static_cast<unsigned long long>(row.cycles));
            ImGui::TableNextColumn();
            char share[16];
            std::snprintf(share, sizeof share, "%.1f%%", row.share * 100);
            ImGui::ProgressBar(static_cast<float>(row.share), ImVec2(-1, 0), share);
            ImGui::TableNextColumn();
            ImGui::Text("%llu", static_cast<unsigned long long>(row.calls));
        }
        ImGui::EndTable();
    }
    ImGui::End();
}

void DrawLoadSymbolsWindow(bool* open) {
    if (!ImGui::Begin("Load symbols", open)) {
        ImGui::End();
        return;
    }
    // Where the cartridge is: its symbol files are most likely beside it.
    if (tools.symbolsPath[0] == '\0' && !Shell().runningPath.empty()) {
        const std::filesystem::path folder = PathOf(Shell().runningPath).parent_path();
        std::snprintf(tools.symbolsPath, sizeof tools.symbolsPath, "%s",
                      TextOf(folder / "").c_str());
    }
    ImGui::TextUnformatted(".noi, .map or .cdb (SDCC), .sym (sdasz80), or ADDRESS LABEL lines");
    ImGui::SetNextItemWidth(std::max(200.0f, ImGui::GetContentRegionAvail().x - 140));
    const bool entered = ImGui::InputText("##symbols", tools.symbolsPath, sizeof tools.symbolsPath,
                                          ImGuiInputTextFlags_EnterReturnsTrue);
    ImGui::SameLine();
    if (ImGui::Button("Load") || entered) {
        tools.symbolsOutcome = ShellLoadSymbols(tools.symbolsPath);
        SourcesAddFolder(tools.symbolsPath);  // a .cdb's C files are looked for beside it
    }
    ImGui::SameLine();
    if (ImGui::Button("Clear all")) {
        ClearSymbols();
        tools.symbolsOutcome = "no symbols";
    }
    ImGui::Text("%u symbols loaded%s%s", SymbolCount(),
                tools.symbolsOutcome.empty() ? "" : "; last: ", tools.symbolsOutcome.c_str());
    ImGui::End();
}

}  // namespace plexaro
