// The Variables window: the current C function's parameters and locals, then the globals and
// statics, with their C types and their values decoded from the console's memory. Structures,
// arrays and pointers open as trees; while the machine is stopped, a click on a number, a
// character or a pointer lets a new value be typed, which is written to the console's RAM.
#include <imgui.h>

#include <cstdio>
#include <string>
#include <vector>

#include "cpu/z80.h"
#include "host/debug/cdb.h"
#include "host/sdl/sdl_host.h"
#include "machine/board.h"
#include "machine/debugger.h"
#include "machine/machine.h"

namespace plexaro {
namespace {

constexpr int MostDepth = 8;          // a pointer to itself opens no further than this
constexpr size_t MostChildren = 256;  // of a long array

struct VariablesState {
    std::string editing;  // the row whose value is being typed
    char text[64];
    std::string said;  // why the last value typed was not written
};

VariablesState variables = {};

uint8_t Read(uint16_t address) {
    return PeekConsole(address);
}

CRegisters Registers() {
    const auto r = [](uint32_t index) { return static_cast<uint16_t>(z80::GetRegister(index)); };
    return {r(z80::RegAF), r(z80::RegBC), r(z80::RegDE), r(z80::RegHL),
            r(z80::RegIX), r(z80::RegIY), r(z80::RegSP), r(z80::RegPC)};
}

bool Editable(const CLocation& where) {
    const CTypeKind kind = CTypeAt(where.type).kind;
    return where.inMemory && kind != CTypeKind::Struct && kind != CTypeKind::Union &&
           kind != CTypeKind::Array && kind != CTypeKind::Function;
}

void Write(const CLocation& where) {
    std::vector<uint8_t> bytes;
    if (!EncodeCValue(where.type, variables.text, bytes, variables.said)) return;
    for (size_t i = 0; i < bytes.size(); ++i) {
        const uint16_t address = static_cast<uint16_t>(where.address + i);
        if (!ConsoleRamAt(address)) {
            variables.said = "not in RAM: it can't be changed";
            return;
        }
    }
    for (size_t i = 0; i < bytes.size(); ++i)
        PokeConsoleRam(static_cast<uint16_t>(where.address + i), bytes[i]);
    variables.said.clear();
}

void Value(const std::string& id, const CLocation& where, bool stopped) {
    const MemoryReader read = Read;
    if (variables.editing == id && stopped) {
        ImGui::SetNextItemWidth(-1);
        ImGui::SetKeyboardFocusHere();
        if (ImGui::InputText("##edit", variables.text, sizeof variables.text,
                             ImGuiInputTextFlags_EnterReturnsTrue)) {
            Write(where);
            variables.editing.clear();
        } else if (ImGui::IsKeyPressed(ImGuiKey_Escape)) {
            variables.editing.clear();
        }
        return;
    }
    const std::string value = FormatCValue(where, read);
    if (!stopped || !Editable(where)) {
        ImGui::TextUnformatted(value.c_str());
        return;
    }
    if (ImGui::Selectable((value + "##value").c_str())) {
        variables.editing = id;
        std::snprintf(variables.text, sizeof variables.text, "%s", value.c_str());
        // The number alone: a char's quoted letter and a pointer's symbol are shown, not typed.
        for (char* c = variables.text; *c != 0; ++c) {
            if (*c == ' ') *c = 0;
            if (*c == 0) break;
        }
    }
}

void Row(const std::string& name, const std::string& id, const CLocation& where, bool stopped,
         int depth) {
    ImGui::TableNextRow();
    ImGui::TableNextColumn();
    ImGui::PushID(id.c_str());
    const MemoryReader read = Read;
    std::vector<CChild> children;
    if (depth < MostDepth) children = CChildren(where, read);
    bool open = false;
    if (children.empty()) {
        ImGui::TreeNodeEx("##name", ImGuiTreeNodeFlags_Leaf | ImGuiTreeNodeFlags_NoTreePushOnOpen,
                          "%s", name.c_str());
    } else {
        open = ImGui::TreeNodeEx("##name", 0, "%s", name.c_str());
    }
    ImGui::TableNextColumn();
    ImGui::TextUnformatted(CTypeName(where.type).c_str());
    ImGui::TableNextColumn();
    Value(id, where, stopped);
    if (open) {
        for (size_t i = 0; i < children.size() && i < MostChildren; ++i)
            Row(children[i].name, id + "/" + children[i].name, children[i].where, stopped,
                depth + 1);
        ImGui::TreePop();
    }
    ImGui::PopID();
}

void Variable(const CVariable& variable, const CRegisters& registers, bool stopped) {
    const MemoryReader read = Read;
    CLocation where{};
    const std::string id = variable.function + "." + variable.name;
    if (LocateCVariable(variable, registers, read, where)) {
        Row(variable.name, id, where, stopped, 0);
        return;
    }
    ImGui::TableNextRow();
    ImGui::TableNextColumn();
    ImGui::TextUnformatted(variable.name.c_str());
    ImGui::TableNextColumn();
    ImGui::TextUnformatted(CTypeName(variable.type).c_str());
    ImGui::TableNextColumn();
    ImGui::TextDisabled("(optimised away)");
}

bool BeginVariables(const char* id) {
    if (!ImGui::BeginTable(
            id, 3,
            ImGuiTableFlags_Resizable | ImGuiTableFlags_RowBg | ImGuiTableFlags_BordersInnerV))
        return false;
    ImGui::TableSetupColumn("name");
    ImGui::TableSetupColumn("type");
    ImGui::TableSetupColumn("value", ImGuiTableColumnFlags_WidthStretch, 2);
    ImGui::TableHeadersRow();
    return true;
}

}  // namespace

void DrawVariablesWindow(bool* open) {
    if (!ImGui::Begin("Variables", open)) {
        ImGui::End();
        return;
    }
    if (!CdbLoaded() || ConsoleMemory() == nullptr) {
        ImGui::TextWrapped(
            "No C variables known: load the .cdb that sdcc --debug wrote beside "
            "the cartridge (Debug > Load symbols).");
        ImGui::End();
        return;
    }
    const bool stopped = DebuggerStopped();
    const CRegisters registers = Registers();
    const CFunction* function = CFunctionFor(registers.pc);
    ImGui::TextDisabled("%s", stopped ? "stopped: click a value to change it"
                                      : "running: values as the last frame left them");
    if (!variables.said.empty()) {
        ImGui::SameLine();
        ImGui::TextColored(ImVec4(1, 0.5f, 0.4f, 1), "%s", variables.said.c_str());
    }
    char heading[96];
    std::snprintf(heading, sizeof heading, "Locals of %s###locals",
                  function != nullptr ? function->name.c_str() : "(no C function)");
    if (ImGui::CollapsingHeader(heading, ImGuiTreeNodeFlags_DefaultOpen) &&
        BeginVariables("locals")) {
        for (const CVariable* local : CLocalsAt(registers.pc)) Variable(*local, registers, stopped);
        ImGui::EndTable();
    }
    if (ImGui::CollapsingHeader("Globals", ImGuiTreeNodeFlags_DefaultOpen) &&
        BeginVariables("globals")) {
        for (uint32_t i = 0; i < CGlobalCount(); ++i) Variable(CGlobalAt(i), registers, stopped);
        ImGui::EndTable();
    }
    ImGui::End();
}

}  // namespace plexaro
