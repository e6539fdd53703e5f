// The CPU window of the Debug menu, drawn with Dear ImGui: registers and flags (editable
// while stopped), the disassembly around PC with its labels and breakpoints (typed as an
// address or a label), the C source beside it when the program's C lines are known, and Run,
// Stop, Step, Step over, Next frame and the steps by line, out and back, which the shell
// carries out. With no breakpoint armed, frames run through
// the normal fast path.
#include <imgui.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "cpu/disassemble.h"
#include "cpu/z80.h"
#include "host/debug/symbols.h"
#include "host/sdl/sdl_host.h"
#include "host/shell/shell.h"
#include "host/shell/window.h"
#include "machine/board.h"
#include "machine/debugger.h"
#include "machine/machine.h"

namespace plexaro {
namespace {

constexpr int ListingLines = 20;
constexpr int LinesBeforePc = 5;
constexpr uint32_t MaxBreakpointsShown = 64;

struct CpuWindowState {
    char breakpoint[64];
    bool unknown;  // the last breakpoint typed named nothing
    // A place another window asked to see (a problem's): listed instead of PC's surroundings
    // until PC moves.
    bool showing;
    uint16_t shown;
    uint16_t pcWhenShown;
};

CpuWindowState cpu = {};

// Instructions have no marked start, so the listing begins at the earliest address a few
// bytes before PC from which decoding forward lands exactly on PC.
uint16_t ListingStart(const uint8_t* memory, uint16_t pc) {
    for (uint32_t back = 4 * LinesBeforePc; back > 0; --back) {
        uint16_t at = static_cast<uint16_t>(pc - back);
        int lines = 0;
        char text[z80::DisassemblyTextSize];
        while (at != pc && static_cast<uint16_t>(pc - at) <= back) {
            at = static_cast<uint16_t>(
                at + z80::Disassemble(memory + at, 0x10000 - at, at, text, sizeof text));
            ++lines;
        }
        if (at == pc && lines <= LinesBeforePc) return static_cast<uint16_t>(pc - back);
    }
    return pc;
}

// One register in a name column and a value column of the registers' table.
void Register(const char* name, z80::Z80Register index, bool editable) {
    uint16_t value = static_cast<uint16_t>(z80::GetRegister(index));
    ImGui::TableNextColumn();
    ImGui::TextUnformatted(name);
    ImGui::TableNextColumn();
    if (!editable) {
        ImGui::Text("%04X", value);
        return;
    }
    ImGui::PushID(name);
    ImGui::SetNextItemWidth(ImGui::CalcTextSize("FFFF").x + 2 * ImGui::GetStyle().FramePadding.x);
    if (ImGui::InputScalar("##value", ImGuiDataType_U16, &value, nullptr, nullptr, "%04X",
                           ImGuiInputTextFlags_CharsHexadecimal)) {
        z80::SetRegister(index, value);
    }
    ImGui::PopID();
}

void Registers(bool stopped) {
    static constexpr struct {
        const char* name;
        z80::Z80Register index;
    } Pairs[] = {{"AF", z80::RegAF},     {"BC", z80::RegBC},     {"DE", z80::RegDE},
                 {"HL", z80::RegHL},     {"IX", z80::RegIX},     {"IY", z80::RegIY},
                 {"PC", z80::RegPC},     {"SP", z80::RegSP},     {"AF'", z80::RegAltAF},
                 {"BC'", z80::RegAltBC}, {"DE'", z80::RegAltDE}, {"HL'", z80::RegAltHL}};
    if (ImGui::BeginTable("registers", 8, ImGuiTableFlags_SizingFixedFit)) {
        for (const auto& pair : Pairs) Register(pair.name, pair.index, stopped);
        ImGui::EndTable();
    }
    // Each flag a button: a click while stopped turns it over.
    static constexpr char FlagNames[] = "SZYHXPNC";
    const uint32_t af = z80::GetRegister(z80::RegAF);
    ImGui::TextUnformatted("flags");
    for (uint32_t bit = 8; bit-- > 0;) {
        char label[16];
        std::snprintf(label, sizeof label, "%c##flag%u",
                      af & (1u << bit) ? FlagNames[7 - bit] : '-', bit);
        ImGui::SameLine(0, 2);
        if (ImGui::SmallButton(label) && stopped) z80::SetRegister(z80::RegAF, af ^ (1u << bit));
    }
    ImGui::SameLine();
    ImGui::Text("  I %02X  R %02X  IM %u  IFF %u/%u  IRQ line %u",
                z80::GetRegister(z80::RegIR) >> 8, z80::GetRegister(z80::RegIR) & 0xFF,
                z80::GetRegister(z80::RegIM), z80::GetRegister(z80::RegIFF1),
                z80::GetRegister(z80::RegIFF2), z80::GetRegister(z80::RegIrqLine));
}

// The buttons post commands, as the menus do: the machine runs between frames, never
// inside the drawing of one.
void Controls(bool stopped) {
    if (stopped) {
        if (ImGui::Button("Run")) WindowPostCommand(CommandDebugRun);
    } else if (ImGui::Button("Stop")) {
        WindowPostCommand(CommandDebugStop);
    }
    ImGui::SameLine();
    if (ImGui::Button("Step")) WindowPostCommand(CommandDebugStep);
    ImGui::SameLine();
    if (ImGui::Button("Step over")) WindowPostCommand(CommandDebugStepOver);
    ImGui::SameLine();
    if (ImGui::Button("Next frame")) WindowPostCommand(CommandDebugNextFrame);
    const DebugPosition at = DebuggerPosition();
    ImGui::SameLine();
    char where[SymbolTextSize] = "";
    if (stopped)
        FormatSymbol(static_cast<uint16_t>(z80::GetRegister(z80::RegPC)), where, sizeof where);
    ImGui::Text("%s%s%s  frame %llu line %u cycle %u", stopped ? "stopped" : "running",
                where[0] != 0 ? " at " : "", where, static_cast<unsigned long long>(at.frame),
                at.line, at.cycle);
}

// The board and, on the mapper, the page each slot shows.
void Pages() {
    const BoardPages p = CurrentPages();
    if (p.board != BoardMapper) {
        ImGui::Text("board %s, RAM %s", BoardName(p.board), p.consoleRam1k ? "1 KB" : "plain");
        return;
    }
    ImGui::Text("board mapper (%u pages): slots %02X %02X %02X  FFFC=%02X%s", p.pageCount,
                p.page[0], p.page[1], p.page[2], p.control, p.consoleRam1k ? "  RAM 1 KB" : "");
}

void Listing(const uint8_t* memory, float height) {
    const uint16_t pc = static_cast<uint16_t>(z80::GetRegister(z80::RegPC));
    if (cpu.showing && pc != cpu.pcWhenShown) cpu.showing = false;
    uint16_t at = ListingStart(memory, cpu.showing ? cpu.shown : pc);
    ImGui::BeginChild("listing", ImVec2(0, height));
    for (int line = 0; line < ListingLines; ++line) {
        char text[z80::DisassemblyTextSize];
        const uint32_t length = z80::Disassemble(memory + at, 0x10000 - at, at, text, sizeof text);
        char bytes[16] = {};
        for (uint32_t i = 0, n = 0; i < length; ++i) {
            n += static_cast<uint32_t>(
                std::snprintf(bytes + n, sizeof bytes - n, "%02X ", memory[(at + i) & 0xFFFF]));
        }
        // A label of its own line, as in the source; the instruction names its addresses.
        uint16_t offset = 0;
        const char* label = SymbolFor(at, offset);
        if (label != nullptr && offset == 0) ImGui::TextDisabled("            %s:", label);
        char named[64];
        SymbolizeInstruction(text, named, sizeof named);
        char row[128];
        std::snprintf(row, sizeof row, "%c %c %04X  %-12s %s",
                      DebuggerHasBreakpoint(at) ? '*' : ' ', at == pc ? '>' : ' ', at, bytes,
                      named);
        ImGui::PushID(line);
        // A click arms or disarms a breakpoint on the line.
        if (ImGui::Selectable(row, at == pc)) DebuggerToggleBreakpoint(at);
        ImGui::PopID();
        at = static_cast<uint16_t>(at + (length > 0 ? length : 1));
    }
    ImGui::EndChild();
}

void Breakpoints() {
    ImGui::SetNextItemWidth(140);
    const bool entered =
        ImGui::InputTextWithHint("##address", "address or label", cpu.breakpoint,
                                 sizeof cpu.breakpoint, ImGuiInputTextFlags_EnterReturnsTrue);
    ImGui::SameLine();
    if ((ImGui::Button("Add breakpoint") || entered) && cpu.breakpoint[0] != 0) {
        uint16_t address = 0;
        cpu.unknown = !ParseAddress(cpu.breakpoint, address);
        if (!cpu.unknown) {
            DebuggerAddBreakpoint(address);
            cpu.breakpoint[0] = 0;
        }
    }
    if (cpu.unknown) {
        ImGui::SameLine();
        ImGui::TextColored(ImVec4(1, 0.5f, 0.4f, 1), "no such label or address");
    }
    uint16_t armed[MaxBreakpointsShown];
    const uint32_t count = DebuggerListBreakpoints(armed, MaxBreakpointsShown);
    for (uint32_t i = 0; i < count; ++i) {
        char name[SymbolTextSize];
        FormatSymbol(armed[i], name, sizeof name);
        char label[SymbolTextSize + 24];  // the address, the name, " x##" and the index
        std::snprintf(label, sizeof label, "%04X%s%s x##%u", armed[i], name[0] != 0 ? " " : "",
                      name, i);
        if (i % 4 != 0) ImGui::SameLine();
        if (ImGui::SmallButton(label)) DebuggerRemoveBreakpoint(armed[i]);
    }
}

}  // namespace

void CpuWindowShow(uint16_t address) {
    cpu.showing = true;
    cpu.shown = address;
    cpu.pcWhenShown = static_cast<uint16_t>(z80::GetRegister(z80::RegPC));
}

void DrawCpuWindow(bool* open) {
    if (!ImGui::Begin("CPU", open)) {
        ImGui::End();
        return;
    }
    const bool stopped = DebuggerStopped();
    Controls(stopped);
    DrawStepButtons();
    if (ConsoleMemory() != nullptr) {
        Registers(stopped);
        Pages();
        // The listing reads what the CPU sees now: the mapper's pages, the RAM's mirrors.
        static uint8_t seen[ConsoleMemorySize];
        for (uint32_t a = 0; a < ConsoleMemorySize; ++a) seen[a] = PeekConsole(a);
        // The listing gives up lines before the breakpoint field and the armed breakpoints
        // below it leave the window's room.
        const float lineHeight = ImGui::GetTextLineHeightWithSpacing();
        const float room =
            ImGui::GetContentRegionAvail().y - 2 * ImGui::GetFrameHeightWithSpacing();
        const float height = std::max(4 * lineHeight, std::min(ListingLines * lineHeight, room));
        if (SourceViewWanted() && ImGui::BeginTable("code", 2, ImGuiTableFlags_Resizable)) {
            ImGui::TableNextColumn();
            Listing(seen, height);
            ImGui::TableNextColumn();
            DrawSourceView(height);
            ImGui::EndTable();
        } else {
            Listing(seen, height);
        }
    }
    Breakpoints();
    ImGui::End();
}

}  // namespace plexaro
