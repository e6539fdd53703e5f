// C values from the machine's bytes: where a variable lives (memory, its function's IX frame
// or registers), its value as a debugger shows it, the members a tree view opens, and the
// bytes of a new value typed in. Little-endian, as the Z80 keeps its words.
#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "host/debug/cdb.h"

namespace plexaro {
namespace {

constexpr size_t MaxShownElements = 8;  // an array's value shows its first few
constexpr size_t MaxChildren = 4096;    // a tree view opens at most this many members
constexpr size_t MaxShownString = 32;   // a char pointer's text preview
constexpr int MaxDepth = 2;             // nested aggregates beyond it show as {...}

// SDCC's IX frame: push ix (DD E5); ld ix,#0 (DD 21 00 00); add ix,sp (DD 39).
constexpr uint8_t FramePrologue[] = {0xDD, 0xE5, 0xDD, 0x21, 0x00, 0x00, 0xDD, 0x39};
constexpr uint16_t AfterPush = 2;
constexpr uint16_t AfterLoad = 6;

constexpr uint8_t Ret = 0xC9;

bool HasFrame(const CFunction& function, const MemoryReader& read) {
    for (size_t index = 0; index < sizeof FramePrologue; ++index) {
        if (read(static_cast<uint16_t>(function.entry + index)) != FramePrologue[index]) {
            return false;
        }
    }
    return true;
}

uint8_t RegisterByte(const CRegisters& r, CRegister reg) {
    switch (reg) {
        case CRegister::A: return static_cast<uint8_t>(r.af >> 8);
        case CRegister::F: return static_cast<uint8_t>(r.af);
        case CRegister::B: return static_cast<uint8_t>(r.bc >> 8);
        case CRegister::C: return static_cast<uint8_t>(r.bc);
        case CRegister::D: return static_cast<uint8_t>(r.de >> 8);
        case CRegister::E: return static_cast<uint8_t>(r.de);
        case CRegister::H: return static_cast<uint8_t>(r.hl >> 8);
        case CRegister::L: return static_cast<uint8_t>(r.hl);
        case CRegister::IXL: return static_cast<uint8_t>(r.ix);
        case CRegister::IXH: return static_cast<uint8_t>(r.ix >> 8);
        case CRegister::IYL: return static_cast<uint8_t>(r.iy);
        case CRegister::IYH: return static_cast<uint8_t>(r.iy >> 8);
    }
    return 0;
}

uint8_t ByteOf(const CLocation& where, uint32_t index, const MemoryReader& read) {
    if (where.inMemory) return read(static_cast<uint16_t>(where.address + index));
    return index < where.registerCount ? where.held[index] : 0;
}

uint64_t Raw(const CLocation& where, uint32_t size, const MemoryReader& read) {
    uint64_t value = 0;
    for (uint32_t index = std::min<uint32_t>(size, 8); index-- > 0;) {
        value = (value << 8) | ByteOf(where, index, read);
    }
    return value;
}

int64_t Signed(uint64_t raw, uint32_t size) {
    if (size == 0 || size >= 8) return static_cast<int64_t>(raw);
    const uint64_t sign = uint64_t{1} << (size * 8 - 1);
    return static_cast<int64_t>((raw ^ sign) - sign);
}

CLocation At(uint32_t type, uint16_t address) {
    CLocation where{};
    where.type = type;
    where.inMemory = true;
    where.address = address;
    return where;
}

std::string CharText(uint8_t byte) {
    if (byte >= 0x20 && byte < 0x7F && byte != '\'' && byte != '\\') {
        return std::string(" '") + static_cast<char>(byte) + "'";
    }
    return "";
}

std::string PointerText(uint16_t target, const CType& type, const MemoryReader& read) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%04x", target);
    std::string shown = text;
    if (target == 0) return shown;
    char name[SymbolTextSize];
    if (FormatSymbol(target, name, sizeof name) > 0) return shown + " <" + name + ">";
    if (CTypeAt(type.target).kind == CTypeKind::Char) {
        std::string preview = " \"";
        for (size_t index = 0; index < MaxShownString; ++index) {
            const uint8_t byte = read(static_cast<uint16_t>(target + index));
            if (byte == 0) return shown + preview + "\"";
            if (byte < 0x20 || byte >= 0x7F) break;
            preview += static_cast<char>(byte);
        }
    }
    return shown;
}

std::string Format(const CLocation& where, const MemoryReader& read, int depth) {
    const CType& type = CTypeAt(where.type);
    const uint64_t raw = Raw(where, type.size, read);
    switch (type.kind) {
        case CTypeKind::Char: {
            const int64_t value = type.isUnsigned ? static_cast<int64_t>(raw) : Signed(raw, 1);
            return std::to_string(value) + CharText(static_cast<uint8_t>(raw));
        }
        case CTypeKind::Short:
        case CTypeKind::Int:
        case CTypeKind::Long:
        case CTypeKind::LongLong:
        case CTypeKind::Bitfield:
            return type.isUnsigned ? std::to_string(raw) : std::to_string(Signed(raw, type.size));
        case CTypeKind::Bool: return raw != 0 ? "true" : "false";
        case CTypeKind::Float: {
            float value = 0;
            const uint32_t bits = static_cast<uint32_t>(raw);
            std::memcpy(&value, &bits, sizeof value);
            char text[32];
            std::snprintf(text, sizeof text, "%g", static_cast<double>(value));
            return text;
        }
        case CTypeKind::Pointer: return PointerText(static_cast<uint16_t>(raw), type, read);
        case CTypeKind::Array:
        case CTypeKind::Struct:
        case CTypeKind::Union: {
            if (!where.inMemory) return "?";
            if (depth >= MaxDepth) return "{...}";
            std::string text = type.kind == CTypeKind::Array
                                   ? "[" + std::to_string(type.count) + "] {"
                                   : std::string("{");
            const std::vector<CChild> children = CChildren(where, read);
            for (size_t index = 0; index < children.size(); ++index) {
                if (index == MaxShownElements) {
                    text += ", ...";
                    break;
                }
                if (index > 0) text += ", ";
                if (type.kind != CTypeKind::Array) text += children[index].name + "=";
                text += Format(children[index].where, read, depth + 1);
            }
            return text + "}";
        }
        case CTypeKind::Function:
        case CTypeKind::Void:
        case CTypeKind::Unknown: break;
    }
    return "?";
}

bool ParseInteger(std::string_view text, int64_t& value) {
    bool negative = false;
    if (text.starts_with('-')) negative = true, text.remove_prefix(1);
    int base = 10;
    if (text.starts_with("0x") || text.starts_with("0X")) base = 16, text.remove_prefix(2);
    uint64_t magnitude = 0;
    const auto [end, error] =
        std::from_chars(text.data(), text.data() + text.size(), magnitude, base);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() ||
        magnitude > static_cast<uint64_t>(INT64_MAX)) {
        return false;
    }
    value = negative ? -static_cast<int64_t>(magnitude) : static_cast<int64_t>(magnitude);
    return true;
}

}  // namespace

uint16_t CFrameBase(const CRegisters& registers, const MemoryReader& read) {
    const CFunction* function = CFunctionFor(registers.pc);
    // Without a frame of its own, IX is whatever it is.
    if (function == nullptr || !HasFrame(*function, read)) return registers.ix;
    const uint16_t into = static_cast<uint16_t>(registers.pc - function->entry);
    if (into == 0) return static_cast<uint16_t>(registers.sp - 2);  // before push ix
    if (into == AfterPush || into == AfterLoad) return registers.sp;
    return registers.ix;
}

bool CCallerRegisters(const CRegisters& registers, const MemoryReader& read, CRegisters& caller) {
    const auto word = [&read](uint16_t at) {
        return static_cast<uint16_t>(read(at) | read(static_cast<uint16_t>(at + 1)) << 8);
    };
    caller = registers;
    const CFunction* function = CFunctionFor(registers.pc);
    uint16_t returnAt = 0;  // where the return address is
    if (read(registers.pc) == Ret || (function != nullptr && registers.pc == function->entry)) {
        returnAt = registers.sp;
    } else if (function == nullptr || !HasFrame(*function, read)) {
        return false;
    } else {
        const uint16_t into = static_cast<uint16_t>(registers.pc - function->entry);
        const uint16_t base = into == AfterPush || into == AfterLoad ? registers.sp : registers.ix;
        caller.ix = word(base);
        returnAt = static_cast<uint16_t>(base + 2);
    }
    caller.pc = word(returnAt);
    caller.sp = static_cast<uint16_t>(returnAt + 2);
    return true;
}

bool LocateCVariable(const CVariable& variable, const CRegisters& registers,
                     const MemoryReader& read, CLocation& where) {
    where = CLocation{};
    where.type = variable.type;
    switch (variable.storage) {
        case CStorage::Memory: where = At(variable.type, variable.address); return true;
        case CStorage::Stack:
            where = At(variable.type,
                       static_cast<uint16_t>(CFrameBase(registers, read) + variable.offset));
            return true;
        case CStorage::Registers:
            where.registerCount = variable.registerCount;
            for (uint8_t index = 0; index < variable.registerCount; ++index) {
                where.registers[index] = variable.registers[index];
                where.held[index] = RegisterByte(registers, variable.registers[index]);
            }
            return true;
        case CStorage::None: break;
    }
    return false;
}

std::string FormatCValue(const CLocation& where, const MemoryReader& read) {
    return Format(where, read, 0);
}

std::vector<CChild> CChildren(const CLocation& where, const MemoryReader& read) {
    std::vector<CChild> children;
    const CType& type = CTypeAt(where.type);
    if (type.kind == CTypeKind::Pointer) {
        const uint16_t target = static_cast<uint16_t>(Raw(where, type.size, read));
        const CTypeKind kind = CTypeAt(type.target).kind;
        if (target != 0 && kind != CTypeKind::Void && kind != CTypeKind::Function &&
            kind != CTypeKind::Unknown) {
            children.push_back({"*", At(type.target, target)});
        }
        return children;
    }
    if (!where.inMemory) return children;
    if (type.kind == CTypeKind::Array) {
        const uint32_t size = CTypeAt(type.target).size;
        for (uint32_t index = 0; index < type.count && index < MaxChildren; ++index) {
            children.push_back(
                {"[" + std::to_string(index) + "]",
                 At(type.target, static_cast<uint16_t>(where.address + index * size))});
        }
    } else if (type.kind == CTypeKind::Struct || type.kind == CTypeKind::Union) {
        for (const CField& field : type.fields) {
            children.push_back(
                {field.name, At(field.type, static_cast<uint16_t>(where.address + field.offset))});
        }
    }
    return children;
}

bool EncodeCValue(uint32_t type, std::string_view text, std::vector<uint8_t>& bytes,
                  std::string& error) {
    bytes.clear();
    const CType& shape = CTypeAt(type);
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    uint64_t raw = 0;
    switch (shape.kind) {
        case CTypeKind::Float: {
            const std::string copy(text);
            char* end = nullptr;
            const float value = std::strtof(copy.c_str(), &end);
            if (copy.empty() || *end != '\0') {
                error = "not a number: " + copy;
                return false;
            }
            uint32_t bits = 0;
            std::memcpy(&bits, &value, sizeof bits);
            raw = bits;
            break;
        }
        case CTypeKind::Char:
        case CTypeKind::Short:
        case CTypeKind::Int:
        case CTypeKind::Long:
        case CTypeKind::LongLong:
        case CTypeKind::Bool:
        case CTypeKind::Bitfield:
        case CTypeKind::Pointer: {
            int64_t value = 0;
            uint16_t address = 0;
            if (text.size() == 3 && text.front() == '\'' && text.back() == '\'') {
                value = static_cast<unsigned char>(text[1]);
            } else if (shape.kind == CTypeKind::Bool && (text == "true" || text == "false")) {
                value = text == "true";
            } else if (!ParseInteger(text, value)) {
                if (shape.kind != CTypeKind::Pointer || !ParseAddress(text, address)) {
                    error = "not a number: " + std::string(text);
                    return false;
                }
                value = address;
            }
            const uint32_t bits = std::min<uint32_t>(shape.size, 8) * 8;
            const bool fits = bits >= 64 || (value >= -(int64_t{1} << (bits - 1)) &&
                                             value < (int64_t{1} << bits));
            if (!fits) {
                error = std::string(text) + " does not fit in " + CTypeName(type);
                return false;
            }
            raw = static_cast<uint64_t>(value);
            break;
        }
        default:
            error = "only numbers, characters and pointers can be set: this is " + CTypeName(type);
            return false;
    }
    for (uint32_t index = 0; index < shape.size && index < 8; ++index) {
        bytes.push_back(static_cast<uint8_t>(raw >> (index * 8)));
    }
    return true;
}

}  // namespace plexaro
