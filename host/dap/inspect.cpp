// The debug adapter's views of the stopped machine: the call stack, the scopes and their
// variables (globals, registers, the video chip's registers), memory and its disassembly.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "cpu/disassemble.h"
#include "cpu/z80.h"
#include "host/dap/session.h"
#include "host/debug/symbols.h"
#include "machine/board.h"
#include "machine/machine.h"
#include "video/vdp.h"

namespace plexaro {
namespace {

constexpr uint32_t MaxGlobals = 512;
constexpr int64_t MaxReadBytes = 0x10000;

struct RegisterRow {
    const char* name;
    uint32_t index;
    uint32_t width;  // hex digits shown
};
constexpr RegisterRow RegisterRows[] = {
    {"AF", z80::RegAF, 4},     {"BC", z80::RegBC, 4},     {"DE", z80::RegDE, 4},
    {"HL", z80::RegHL, 4},     {"IX", z80::RegIX, 4},     {"IY", z80::RegIY, 4},
    {"SP", z80::RegSP, 4},     {"PC", z80::RegPC, 4},     {"AF'", z80::RegAltAF, 4},
    {"BC'", z80::RegAltBC, 4}, {"DE'", z80::RegAltDE, 4}, {"HL'", z80::RegAltHL, 4},
    {"IR", z80::RegIR, 4},     {"IM", z80::RegIM, 1},     {"IFF1", z80::RegIFF1, 1},
    {"IFF2", z80::RegIFF2, 1},
};

std::string Hex(uint32_t value, uint32_t digits) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%0*x", static_cast<int>(digits), value);
    return text;
}

std::string Label(uint16_t address) {
    char text[SymbolTextSize];
    FormatSymbol(address, text, sizeof text);
    return text[0] != '\0' ? std::string(text) : HexAddress(address);
}

Json Frame(int64_t id, uint16_t pc, const std::string& name) {
    Json frame = JsonObject();
    JsonSet(frame, "id", JsonNumber(static_cast<double>(id)));
    JsonSet(frame, "name", JsonString(name));
    JsonSet(frame, "line", JsonNumber(0));
    JsonSet(frame, "column", JsonNumber(0));
    JsonSet(frame, "instructionPointerReference", JsonString(HexAddress(pc)));
    return frame;
}

Json Variable(const std::string& name, const std::string& value, int64_t reference = 0) {
    Json variable = JsonObject();
    JsonSet(variable, "name", JsonString(name));
    JsonSet(variable, "value", JsonString(value));
    JsonSet(variable, "variablesReference", JsonNumber(static_cast<double>(reference)));
    return variable;
}

Json Scope(const char* name, int64_t reference, bool expensive) {
    Json scope = JsonObject();
    JsonSet(scope, "name", JsonString(name));
    JsonSet(scope, "variablesReference", JsonNumber(static_cast<double>(reference)));
    JsonSet(scope, "expensive", JsonBoolean(expensive));
    return scope;
}

std::string ByteValue(uint8_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%02x (%u)", value, value);
    return text;
}

constexpr char Base64Digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

std::string Base64(const std::vector<uint8_t>& bytes) {
    std::string out;
    for (size_t i = 0; i < bytes.size(); i += 3) {
        const uint32_t rest = static_cast<uint32_t>(bytes.size() - i);
        uint32_t group = uint32_t{bytes[i]} << 16;
        if (rest > 1) group |= uint32_t{bytes[i + 1]} << 8;
        if (rest > 2) group |= bytes[i + 2];
        out += Base64Digits[(group >> 18) & 63];
        out += Base64Digits[(group >> 12) & 63];
        out += rest > 1 ? Base64Digits[(group >> 6) & 63] : '=';
        out += rest > 2 ? Base64Digits[group & 63] : '=';
    }
    return out;
}

bool FromBase64(const std::string& text, std::vector<uint8_t>& out) {
    uint32_t group = 0;
    int bits = 0;
    for (const char c : text) {
        if (c == '=') break;
        const char* digit = std::strchr(Base64Digits, c);
        if (digit == nullptr || c == '\0') return false;
        group = (group << 6) | static_cast<uint32_t>(digit - Base64Digits);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out.push_back(static_cast<uint8_t>(group >> bits));
        }
    }
    return true;
}

// The address that `count` instructions before `address` start at, found by decoding forward
// from far enough back that the decoding has fallen into step with the program's.
uint16_t InstructionsBack(uint16_t address, uint32_t count) {
    std::vector<uint16_t> starts;
    uint32_t at = address >= count * 4 + 16 ? address - count * 4 - 16 : 0;
    while (at < address) {
        starts.push_back(static_cast<uint16_t>(at));
        uint8_t bytes[4];
        for (uint32_t i = 0; i < 4; ++i) bytes[i] = PeekConsole(static_cast<uint16_t>(at + i));
        char text[z80::DisassemblyTextSize];
        at += z80::Disassemble(bytes, 4, static_cast<uint16_t>(at), text, sizeof text);
    }
    if (starts.size() < count) return starts.empty() ? address : starts.front();
    return starts[starts.size() - count];
}

// Every view needs a machine; the memory ones, an address their reference names.
bool Launched(std::string& error) {
    if (session.launched) return true;
    error = "no cartridge is running: launch one first";
    return false;
}

bool MemoryAt(const std::string& reference, uint16_t& base, std::string& error) {
    if (!Launched(error)) return false;
    if (MemoryReference(reference, base)) return true;
    error = "memoryReference: no such address or symbol: " + reference;
    return false;
}

}  // namespace

bool StackTrace(const Json& arguments, Json& body, std::string& error) {
    int64_t start = 0, levels = 0;
    if (!IntegerArgument(arguments, "startFrame", false, start, error) ||
        !IntegerArgument(arguments, "levels", false, levels, error)) {
        return false;
    }
    if (!Launched(error)) return false;
    session.frames = WalkFrames();
    const int64_t count = static_cast<int64_t>(session.frames.size());
    Json frames = JsonArray();
    const int64_t end = levels > 0 ? start + levels : count;
    for (int64_t i = std::max<int64_t>(start, 0); i < end && i < count; ++i) {
        const DapFrame& frame = session.frames[static_cast<size_t>(i)];
        Json out = Frame(i, frame.pc, Label(frame.pc));
        FrameSource(frame, i > 0, out);
        JsonPush(frames, std::move(out));
    }
    JsonSet(body, "stackFrames", std::move(frames));
    JsonSet(body, "totalFrames", JsonNumber(static_cast<double>(count)));
    return true;
}

bool Scopes(const Json& arguments, Json& body, std::string& error) {
    int64_t frame = 0;
    if (!IntegerArgument(arguments, "frameId", true, frame, error)) return false;
    Json scopes = JsonArray();
    JsonPush(scopes, Scope("Locals", frame == 0 ? ScopeLocals : ScopeFrameLocals + frame, false));
    JsonPush(scopes, Scope("Globals", ScopeGlobals, false));
    JsonPush(scopes, Scope("Registers", ScopeRegisters, false));
    JsonPush(scopes, Scope("Video chip", ScopeVideo, false));
    JsonSet(body, "scopes", std::move(scopes));
    return true;
}

bool Variables(const Json& arguments, Json& body, std::string& error) {
    int64_t reference = 0;
    if (!IntegerArgument(arguments, "variablesReference", true, reference, error)) return false;
    if (!Launched(error)) return false;
    Json list = JsonArray();
    if (reference == ScopeRegisters) {
        for (const RegisterRow& row : RegisterRows) {
            JsonPush(list, Variable(row.name, Hex(z80::GetRegister(row.index), row.width)));
        }
    } else if (reference == ScopeVideo) {
        const VdpView chip = VdpInspect();
        for (uint32_t number = 0; number < 8; ++number) {
            JsonPush(list, Variable("R" + std::to_string(number), Hex(chip.registers[number], 2)));
        }
        JsonPush(list, Variable("status", Hex(chip.status, 2)));
        JsonPush(list, Variable("address", Hex(chip.address, 4)));
    } else if (reference == ScopeGlobals && ListCGlobals(list)) {
        // C globals with their types, when the debug records give them.
    } else if (reference == ScopeGlobals) {
        // The names of RAM addresses are the program's variables; each shows the byte it names.
        for (uint32_t address = ConsoleWritableStart;
             address <= 0xFFFF && list.items.size() < MaxGlobals; ++address) {
            uint16_t offset = 0;
            const char* name = SymbolFor(static_cast<uint16_t>(address), offset);
            if (name == nullptr || offset != 0 || !ConsoleRamAt(address)) continue;
            Json variable = Variable(name, ByteValue(PeekConsole(address)));
            JsonSet(variable, "memoryReference",
                    JsonString(HexAddress(static_cast<uint16_t>(address))));
            JsonPush(list, std::move(variable));
        }
    } else if (reference == ScopeLocals ||
               (reference >= ScopeFrameLocals && reference < ScopeFrameLocals + 32)) {
        const size_t frame =
            reference == ScopeLocals ? 0 : static_cast<size_t>(reference - ScopeFrameLocals);
        if (session.frames.empty()) session.frames = WalkFrames();
        if (frame < session.frames.size()) ListLocals(session.frames[frame], frame == 0, list);
    } else if (!ListChildren(reference, list)) {
        error = "no such variables reference";
        return false;
    }
    JsonSet(body, "variables", std::move(list));
    return true;
}

bool SetVariable(const Json& arguments, Json& body, std::string& error) {
    int64_t reference = 0;
    std::string name, text;
    if (!IntegerArgument(arguments, "variablesReference", true, reference, error) ||
        !StringArgument(arguments, "name", true, name, error) ||
        !StringArgument(arguments, "value", true, text, error)) {
        return false;
    }
    if (!Launched(error)) return false;
    if (reference != ScopeRegisters && reference != ScopeVideo &&
        SetCVariable(reference, name, text, body, error)) {
        return error.empty();
    }
    int64_t value = 0;
    if (!EvaluateText(text, value, error)) return false;
    if (reference == ScopeRegisters) {
        for (const RegisterRow& row : RegisterRows) {
            if (name != row.name) continue;
            z80::SetRegister(row.index, static_cast<uint32_t>(value) & 0xFFFF);
            JsonSet(body, "value", JsonString(Hex(z80::GetRegister(row.index), row.width)));
            return true;
        }
    } else if (reference == ScopeVideo && name.size() == 2 && name[0] == 'R' && name[1] >= '0' &&
               name[1] <= '7') {
        VdpWriteRegister(static_cast<uint32_t>(name[1] - '0'), static_cast<uint8_t>(value));
        JsonSet(body, "value",
                JsonString(Hex(VdpRegister(static_cast<uint32_t>(name[1] - '0')), 2)));
        return true;
    } else if (reference == ScopeGlobals) {
        uint16_t address = 0;
        if (SymbolAddress(name, address)) {
            if (!PokeConsoleRam(address, static_cast<uint8_t>(value))) {
                error = name + " is not in RAM";
                return false;
            }
            JsonSet(body, "value", JsonString(ByteValue(PeekConsole(address))));
            return true;
        }
    }
    error = name + " can't be set here";
    return false;
}

bool ReadMemory(const Json& arguments, Json& body, std::string& error) {
    std::string reference;
    int64_t offset = 0, count = 0;
    if (!StringArgument(arguments, "memoryReference", true, reference, error) ||
        !IntegerArgument(arguments, "offset", false, offset, error) ||
        !IntegerArgument(arguments, "count", true, count, error)) {
        return false;
    }
    uint16_t base = 0;
    if (!MemoryAt(reference, base, error)) return false;
    const int64_t first = base + offset;
    if (count < 0 || first < 0 || first > 0xFFFF) {
        error = "the range lies outside the 64 KB the CPU sees";
        return false;
    }
    const int64_t readable = std::min(count, MaxReadBytes - first);
    std::vector<uint8_t> bytes(static_cast<size_t>(readable));
    for (int64_t i = 0; i < readable; ++i) {
        bytes[static_cast<size_t>(i)] = PeekConsole(static_cast<uint32_t>(first + i));
    }
    JsonSet(body, "address", JsonString(HexAddress(static_cast<uint16_t>(first))));
    JsonSet(body, "data", JsonString(Base64(bytes)));
    if (readable < count) {
        JsonSet(body, "unreadableBytes", JsonNumber(static_cast<double>(count - readable)));
    }
    return true;
}

bool WriteMemory(const Json& arguments, Json& body, std::string& error) {
    std::string reference, data;
    int64_t offset = 0;
    if (!StringArgument(arguments, "memoryReference", true, reference, error) ||
        !IntegerArgument(arguments, "offset", false, offset, error) ||
        !StringArgument(arguments, "data", true, data, error)) {
        return false;
    }
    uint16_t base = 0;
    std::vector<uint8_t> bytes;
    if (!MemoryAt(reference, base, error)) return false;
    if (!FromBase64(data, bytes)) {
        error = "data: not base64";
        return false;
    }
    const int64_t first = base + offset;
    if (first < 0 || first + static_cast<int64_t>(bytes.size()) > 0x10000) {
        error = "the range lies outside the 64 KB the CPU sees";
        return false;
    }
    int64_t written = 0;
    for (const uint8_t byte : bytes) {
        if (!PokeConsoleRam(static_cast<uint32_t>(first + written), byte)) break;
        ++written;
    }
    if (written == 0 && !bytes.empty()) {
        error = HexAddress(static_cast<uint16_t>(first)) + " is ROM: it can't be written";
        return false;
    }
    JsonSet(body, "bytesWritten", JsonNumber(static_cast<double>(written)));
    return true;
}

bool Disassemble(const Json& arguments, Json& body, std::string& error) {
    std::string reference;
    int64_t offset = 0, instructionOffset = 0, count = 0;
    if (!StringArgument(arguments, "memoryReference", true, reference, error) ||
        !IntegerArgument(arguments, "offset", false, offset, error) ||
        !IntegerArgument(arguments, "instructionOffset", false, instructionOffset, error) ||
        !IntegerArgument(arguments, "instructionCount", true, count, error)) {
        return false;
    }
    uint16_t base = 0;
    if (!MemoryAt(reference, base, error)) return false;
    if (count < 0 || count > 4096 || instructionOffset < -4096 || instructionOffset > 4096) {
        error = "instructionCount and instructionOffset: at most 4096";
        return false;
    }
    uint32_t at = static_cast<uint16_t>(base + offset);
    if (instructionOffset < 0) {
        at = InstructionsBack(static_cast<uint16_t>(at), static_cast<uint32_t>(-instructionOffset));
    }
    Json list = JsonArray();
    for (int64_t i = 0; i < count; ++i) {
        uint8_t bytes[4];
        for (uint32_t b = 0; b < 4; ++b) bytes[b] = PeekConsole(static_cast<uint16_t>(at + b));
        char text[z80::DisassemblyTextSize], named[64];
        const uint32_t length =
            z80::Disassemble(bytes, 4, static_cast<uint16_t>(at), text, sizeof text);
        SymbolizeInstruction(text, named, sizeof named);
        if (i >= instructionOffset) {
            std::string hex;
            for (uint32_t b = 0; b < length; ++b) hex += Hex(bytes[b], 2).substr(2) + " ";
            Json line = JsonObject();
            JsonSet(line, "address", JsonString(HexAddress(static_cast<uint16_t>(at))));
            JsonSet(line, "instructionBytes", JsonString(hex.substr(0, hex.size() - 1)));
            JsonSet(line, "instruction", JsonString(named));
            uint16_t into = 0;
            if (SymbolFor(static_cast<uint16_t>(at), into) != nullptr && into == 0) {
                JsonSet(line, "symbol", JsonString(Label(static_cast<uint16_t>(at))));
            }
            JsonPush(list, std::move(line));
        } else {
            ++count;  // a positive instruction offset skips instructions before the first shown
        }
        at = (at + length) & 0xFFFF;
    }
    JsonSet(body, "instructions", std::move(list));
    return true;
}

}  // namespace plexaro
