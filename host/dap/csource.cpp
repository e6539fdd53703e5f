// The debug adapter's C: SDCC's debug records (host/debug/cdb.h) turned into what a client
// shows: source files found on disk, C frames through the IX chain, locals and globals with
// their types and values (structures and arrays opened on demand), their new values, and C
// variables as names in expressions.
#include <algorithm>
#include <cstring>
#include <filesystem>

#include "cpu/z80.h"
#include "host/dap/session.h"
#include "host/debug/cdb.h"
#include "host/debug/stepping.h"
#include "host/os/os.h"
#include "machine/board.h"

namespace plexaro {
namespace {

constexpr uint32_t MaxFrames = 32;
constexpr uint32_t StackScanWords = 128;  // how far above SP return addresses are looked for
constexpr int64_t FirstContainer = 1000;

uint8_t Read(uint16_t address) {
    return PeekConsole(address);
}

uint16_t Word(uint32_t address) {
    return static_cast<uint16_t>(PeekConsole(address & 0xFFFF) | PeekConsole((address + 1) & 0xFFFF)
                                                                     << 8);
}

// Whether the bytes before `address` are a call that would return there: CALL, CALL cc or RST.
bool FollowsCall(uint16_t address) {
    const uint8_t three = PeekConsole(static_cast<uint16_t>(address - 3));
    if (three == 0xCD || (three & 0xC7) == 0xC4) return true;
    return (PeekConsole(static_cast<uint16_t>(address - 1)) & 0xC7) == 0xC7;
}

// The stepping engine's lines, from the C line records. Files are numbered by their place in
// the list taken at launch; a lookup compares a few names, and never allocates.
bool CodeLineOf(uint16_t pc, CodeLine* line) {
    SourcePlace place{};
    AddressRange range{};
    if (!SourcePlaceAt(pc, place) || !SourceLineRange(pc, range)) return false;
    line->file = 0;
    for (uint32_t i = 0; i < session.files.size(); ++i) {
        if (session.files[i] == place.file) line->file = i;
    }
    line->line = place.line;
    line->start = range.first;
    line->end = static_cast<uint16_t>(range.last + 1);
    return true;
}

CRegisters RegistersOf(const DapFrame& frame) {
    CRegisters registers{};
    registers.af = static_cast<uint16_t>(z80::GetRegister(z80::RegAF));
    registers.bc = static_cast<uint16_t>(z80::GetRegister(z80::RegBC));
    registers.de = static_cast<uint16_t>(z80::GetRegister(z80::RegDE));
    registers.hl = static_cast<uint16_t>(z80::GetRegister(z80::RegHL));
    registers.iy = static_cast<uint16_t>(z80::GetRegister(z80::RegIY));
    registers.ix = frame.ix;
    registers.sp = frame.sp;
    registers.pc = frame.pc;
    return registers;
}

DapFrame CurrentFrame() {
    return {static_cast<uint16_t>(z80::GetRegister(z80::RegPC)),
            static_cast<uint16_t>(z80::GetRegister(z80::RegSP)),
            static_cast<uint16_t>(z80::GetRegister(z80::RegIX))};
}

// A variable as the client shows it; a structure, an array or a pointer opens into children.
Json VariableJson(const std::string& name, const CLocation& where) {
    Json variable = JsonObject();
    JsonSet(variable, "name", JsonString(name));
    JsonSet(variable, "value", JsonString(FormatCValue(where, Read)));
    JsonSet(variable, "type", JsonString(CTypeName(where.type)));
    int64_t reference = 0;
    if (!CChildren(where, Read).empty()) {
        session.containers.push_back(where);
        reference = FirstContainer + static_cast<int64_t>(session.containers.size()) - 1;
    }
    JsonSet(variable, "variablesReference", JsonNumber(static_cast<double>(reference)));
    if (where.inMemory) JsonSet(variable, "memoryReference", JsonString(HexAddress(where.address)));
    return variable;
}

// A C variable by name, the frame's locals first, then the globals; `s.field` (any depth)
// opens a structure's member.
bool FindCVariable(std::string_view name, const DapFrame& frame, CLocation& where) {
    const size_t dot = name.find('.');
    const std::string_view base = name.substr(0, dot);
    bool found = false;
    for (const CVariable* local : CLocalsAt(frame.pc)) {
        if (local->name == base) {
            found = LocateCVariable(*local, RegistersOf(frame), Read, where);
            break;
        }
    }
    if (!found) {
        const CVariable* global = CGlobalNamed(base);
        found = global != nullptr && LocateCVariable(*global, RegistersOf(frame), Read, where);
    }
    for (size_t at = dot; found && at != std::string_view::npos;) {
        const size_t next = name.find('.', at + 1);
        const std::string_view field = name.substr(at + 1, next - at - 1);
        found = false;
        for (const CChild& child : CChildren(where, Read)) {
            if (child.name == field && CTypeAt(where.type).kind != CTypeKind::Pointer) {
                where = child.where;
                found = true;
                break;
            }
        }
        at = next;
    }
    return found;
}

}  // namespace

void UseCSource() {
    session.files = SourceFiles();
    SteppingSetLines(CdbLoaded() ? CodeLineOf : nullptr);
}

Json SourceJson(const char* file) {
    namespace fs = std::filesystem;
    Json source = JsonObject();
    JsonSet(source, "name", JsonString(TextOf(PathOf(file).filename())));
    std::error_code error;
    std::vector<std::string> folders = session.sourceFolders;
    folders.push_back(TextOf(PathOf(session.options.cartridgePath).parent_path()));
    folders.push_back(".");
    for (const std::string& folder : folders) {
        const fs::path candidate = PathOf(folder) / PathOf(file);
        if (fs::is_regular_file(candidate, error)) {
            JsonSet(source, "path",
                    JsonString(TextOf(fs::absolute(candidate, error).lexically_normal())));
            return source;
        }
    }
    JsonSet(source, "path", JsonString(file));
    return source;
}

std::vector<DapFrame> WalkFrames() {
    std::vector<DapFrame> frames{CurrentFrame()};
    while (frames.size() < MaxFrames) {
        const DapFrame here = frames.back();
        DapFrame caller{};
        CRegisters registers{};
        if (CCallerRegisters(RegistersOf(here), Read, registers)) {
            caller = {registers.pc, registers.sp, registers.ix};
        } else {
            // No frame records: the first word above SP that points just past a call.
            bool found = false;
            for (uint32_t word = 0; word < StackScanWords && !found; ++word) {
                const uint32_t at = here.sp + word * 2;
                if (at >= 0xFFFF) break;
                const uint16_t value = Word(at);
                if (value >= 3 && value < 0x8000 && FollowsCall(value)) {
                    caller = {value, static_cast<uint16_t>(at + 2), here.ix};
                    found = true;
                }
            }
            if (!found) break;
        }
        if (caller.pc < 3 || !FollowsCall(caller.pc) || caller.sp <= here.sp) break;
        frames.push_back(caller);
    }
    return frames;
}

bool FrameSource(const DapFrame& frame, bool caller, Json& out) {
    // A caller stands after its call: its line is the call's.
    const uint16_t at = caller ? static_cast<uint16_t>(frame.pc - 1) : frame.pc;
    SourcePlace place{};
    if (!SourcePlaceAt(at, place)) return false;
    JsonSet(out, "source", SourceJson(place.file));
    JsonSet(out, "line", JsonNumber(place.line));
    JsonSet(out, "column", JsonNumber(1));
    if (place.function != nullptr) JsonSet(out, "name", JsonString(place.function));
    return true;
}

void ListLocals(const DapFrame& frame, bool innermost, Json& list) {
    for (const CVariable* local : CLocalsAt(frame.pc)) {
        CLocation where;
        if (!LocateCVariable(*local, RegistersOf(frame), Read, where)) continue;
        if (innermost || where.inMemory) {
            JsonPush(list, VariableJson(local->name, where));
        } else {
            Json variable = JsonObject();
            JsonSet(variable, "name", JsonString(local->name));
            JsonSet(variable, "value", JsonString("<in registers: not known in a caller>"));
            JsonSet(variable, "variablesReference", JsonNumber(0));
            JsonPush(list, std::move(variable));
        }
    }
}

bool ListCGlobals(Json& list) {
    if (CGlobalCount() == 0) return false;
    const DapFrame frame = CurrentFrame();
    for (uint32_t i = 0; i < CGlobalCount(); ++i) {
        CLocation where;
        if (LocateCVariable(CGlobalAt(i), RegistersOf(frame), Read, where)) {
            JsonPush(list, VariableJson(CGlobalAt(i).name, where));
        }
    }
    return true;
}

bool ListChildren(int64_t reference, Json& list) {
    const int64_t index = reference - FirstContainer;
    if (index < 0 || index >= static_cast<int64_t>(session.containers.size())) return false;
    const CLocation where = session.containers[static_cast<size_t>(index)];
    for (const CChild& child : CChildren(where, Read)) {
        JsonPush(list, VariableJson(child.name, child.where));
    }
    return true;
}

bool SetCVariable(int64_t reference, const std::string& name, const std::string& text, Json& body,
                  std::string& error) {
    CLocation where{};
    bool found = false;
    if (reference >= FirstContainer) {
        const int64_t index = reference - FirstContainer;
        if (index < static_cast<int64_t>(session.containers.size())) {
            for (const CChild& child :
                 CChildren(session.containers[static_cast<size_t>(index)], Read)) {
                if (child.name == name) {
                    where = child.where;
                    found = true;
                }
            }
        }
    } else if (reference == ScopeGlobals) {
        const CVariable* global = CGlobalNamed(name);
        found =
            global != nullptr && LocateCVariable(*global, RegistersOf(CurrentFrame()), Read, where);
    } else if (reference == ScopeLocals || reference >= ScopeFrameLocals) {
        if (session.frames.empty()) session.frames = WalkFrames();
        const size_t frame =
            reference == ScopeLocals ? 0 : static_cast<size_t>(reference - ScopeFrameLocals);
        if (frame < session.frames.size())
            found = FindCVariable(name, session.frames[frame], where);
    }
    if (!found) return false;
    std::vector<uint8_t> bytes;
    if (!where.inMemory) {
        error = name + " lives in registers: set them in Registers";
        return true;
    }
    if (!EncodeCValue(where.type, text, bytes, error)) return true;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (!PokeConsoleRam((where.address + i) & 0xFFFF, bytes[i])) {
            error = name + " is not in RAM";
            return true;
        }
    }
    JsonSet(body, "value", JsonString(FormatCValue(where, Read)));
    return true;
}

bool CVariablePlace(std::string_view name, uint16_t& address, uint32_t& size) {
    CLocation where;
    if (!FindCVariable(name, session.frames.empty() ? CurrentFrame() : session.frames[0], where) ||
        !where.inMemory) {
        return false;
    }
    address = where.address;
    size = std::max<uint32_t>(1, std::min<uint32_t>(CTypeAt(where.type).size, 4));
    return true;
}

bool CNameHook(std::string_view name, ExprPlace& place, void*) {
    CLocation where;
    if (!CdbLoaded() || !FindCVariable(name, CurrentFrame(), where)) return false;
    const CType& type = CTypeAt(where.type);
    place = ExprPlace{};
    if (!where.inMemory) {
        int64_t value = 0;
        for (int i = where.registerCount - 1; i >= 0; --i) value = value << 8 | where.held[i];
        place.value = value;
        return true;
    }
    place.isPlace = true;
    place.address = where.address;
    place.isSigned = !type.isUnsigned;
    if (type.kind == CTypeKind::Array) {
        const CType& element = CTypeAt(type.target);
        place.stride = static_cast<uint8_t>(std::min<uint32_t>(element.size, 4));
        place.isSigned = !element.isUnsigned;
        place.size = place.stride;
    } else {
        place.size = static_cast<uint8_t>(std::clamp<uint32_t>(type.size, 1, 4));
    }
    if (type.kind == CTypeKind::Pointer) {
        const CType& target = CTypeAt(type.target);
        place.pointee = static_cast<uint8_t>(std::clamp<uint32_t>(target.size, 1, 4));
        place.pointeeSigned = !target.isUnsigned;
        place.isSigned = false;
    }
    return true;
}

}  // namespace plexaro
