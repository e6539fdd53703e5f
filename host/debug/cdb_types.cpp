// C types from SDCC's debug records: the type chains of S: and F: records ("{4}DA2d,SI:S" is
// an array of two ints), structures and unions from T: records, and their names as C writes
// them. Types are kept once each in a table and named by their index.
#include "host/debug/cdb_types.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <string>
#include <vector>

#include "host/debug/cdb.h"

namespace plexaro {
namespace {

constexpr uint32_t PointerSize = 2;  // the z80 port's pointers are all plain 16-bit addresses

struct TypeTable {
    std::vector<CType> types;                                 // index 0: Unknown
    std::map<std::string, uint32_t, std::less<>> byKey;       // a chain's text, once each
    std::map<std::string, uint32_t, std::less<>> structures;  // by tag
};

TypeTable table;

void EnsureUnknown() {
    if (table.types.empty()) table.types.push_back({CTypeKind::Unknown, false, 0, 0, 0, {}, {}});
}

uint32_t Intern(const CType& type, const std::string& key) {
    if (const auto found = table.byKey.find(key); found != table.byKey.end()) return found->second;
    table.types.push_back(type);
    const uint32_t index = static_cast<uint32_t>(table.types.size() - 1);
    table.byKey.emplace(key, index);
    return index;
}

uint32_t StructureNamed(std::string_view tag) {
    EnsureUnknown();
    if (const auto found = table.structures.find(tag); found != table.structures.end()) {
        return found->second;
    }
    table.types.push_back({CTypeKind::Struct, false, 0, 0, 0, std::string(tag), {}});
    const uint32_t index = static_cast<uint32_t>(table.types.size() - 1);
    table.structures.emplace(std::string(tag), index);
    return index;
}

// The last item of a chain: "SI:S", "SC:U", "STactor:S", "SB0$3:U".
uint32_t BaseType(std::string_view item) {
    bool isUnsigned = false;
    if (item.ends_with(":U")) isUnsigned = true;
    if (item.ends_with(":U") || item.ends_with(":S")) item.remove_suffix(2);
    if (item.size() < 2 || item[0] != 'S') return 0;
    if (item[1] == 'T') return StructureNamed(item.substr(2));
    CType type{CTypeKind::Unknown, isUnsigned, 0, 0, 0, {}, {}};
    switch (item[1]) {
        case 'C': type.kind = CTypeKind::Char, type.size = 1; break;
        case 'S': type.kind = CTypeKind::Short, type.size = 2; break;
        case 'I': type.kind = CTypeKind::Int, type.size = 2; break;
        case 'L': type.kind = CTypeKind::Long, type.size = 4; break;
        case 'Q': type.kind = CTypeKind::LongLong, type.size = 8; break;
        case 'F': type.kind = CTypeKind::Float, type.size = 4; break;
        case 'V': type.kind = CTypeKind::Void; break;
        case 'X': type.kind = CTypeKind::Bool, type.size = 1; break;
        case 'B': type.kind = CTypeKind::Bitfield, type.size = 1; break;
        default: return 0;
    }
    return Intern(type, std::string(item) + (isUnsigned ? ":U" : ":S"));
}

uint32_t Wrap(CTypeKind kind, uint32_t target, uint32_t count, std::string key) {
    const CType& inner = CTypeAt(target);
    CType type{kind, false, 0, count, target, {}, {}};
    if (kind == CTypeKind::Pointer) type.size = PointerSize;
    if (kind == CTypeKind::Array) type.size = inner.size * count;
    return Intern(type, key);
}

int64_t Number(std::string_view digits) {
    int64_t value = -1;
    std::from_chars(digits.data(), digits.data() + digits.size(), value);
    return value;
}

}  // namespace

bool ParseCdbTypeAt(std::string_view text, uint32_t& type, size_t& end) {
    EnsureUnknown();
    if (!text.starts_with("({")) return false;
    const size_t close = text.find(')');
    const size_t brace = text.find('}');
    if (close == std::string_view::npos || brace == std::string_view::npos || brace > close) {
        return false;
    }
    const int64_t size = Number(text.substr(2, brace - 2));
    std::string_view chain = text.substr(brace + 1, close - brace - 1);
    end = close + 1;
    std::vector<std::string_view> items;
    while (!chain.empty()) {
        const size_t comma = chain.find(',');
        items.push_back(chain.substr(0, comma));
        chain.remove_prefix(comma == std::string_view::npos ? chain.size() : comma + 1);
    }
    if (items.empty() || size < 0) return false;
    uint32_t current = BaseType(items.back());
    std::string key(items.back());
    for (size_t index = items.size() - 1; index-- > 0;) {
        const std::string_view item = items[index];
        key.insert(0, std::string(item) + ',');
        if (item.starts_with("DA")) {
            const int64_t count = Number(item.substr(2));
            current =
                Wrap(CTypeKind::Array, current, count > 0 ? static_cast<uint32_t>(count) : 0, key);
        } else if (item == "DF") {
            current = Wrap(CTypeKind::Function, current, 0, key);
        } else if (item.starts_with('D')) {
            current = Wrap(CTypeKind::Pointer, current, 0, key);  // DG, DC, DX, DD, DI, DP...
        } else {
            return false;
        }
    }
    CType& outer = table.types[current];
    if ((outer.kind == CTypeKind::Struct || outer.kind == CTypeKind::Union) && outer.size == 0) {
        outer.size = static_cast<uint32_t>(size);
    }
    type = current;
    return true;
}

bool TakeCdbStructure(std::string_view record) {
    const size_t open = record.find('[');
    if (open == std::string_view::npos || !record.ends_with(']')) return false;
    const std::string_view name = record.substr(0, open);
    const size_t dollar = name.rfind('$');
    const uint32_t index =
        StructureNamed(name.substr(dollar == std::string_view::npos ? 0 : dollar + 1));
    std::vector<CField> fields;
    std::string_view rest = record.substr(open + 1, record.size() - open - 2);
    while (rest.starts_with("({")) {
        const size_t brace = rest.find('}');
        const size_t typeAt = rest.find('(', 1);
        if (brace == std::string_view::npos || typeAt == std::string_view::npos) return false;
        const int64_t offset = Number(rest.substr(2, brace - 2));
        std::string_view label = rest.substr(brace + 1, typeAt - brace - 1);  // S:S$x$0_0$0
        if (!label.starts_with("S:S$") || offset < 0) return false;
        label.remove_prefix(4);
        CField field{std::string(label.substr(0, label.find('$'))), static_cast<uint32_t>(offset),
                     0};
        size_t typeEnd = 0;
        if (!ParseCdbTypeAt(rest.substr(typeAt), field.type, typeEnd)) return false;
        const size_t fieldEnd = rest.find(')', typeAt + typeEnd);
        if (fieldEnd == std::string_view::npos) return false;
        rest.remove_prefix(fieldEnd + 1);
        fields.push_back(std::move(field));
    }
    if (!rest.empty()) return false;
    CType& type = table.types[index];
    uint32_t size = 0;
    for (const CField& field : fields) {
        size = std::max(size, field.offset + CTypeAt(field.type).size);
    }
    const bool union_ = fields.size() > 1 && std::all_of(fields.begin(), fields.end(),
                                                         [](auto& f) { return f.offset == 0; });
    type.kind = union_ ? CTypeKind::Union : CTypeKind::Struct;
    type.size = std::max(type.size, size);
    type.fields = std::move(fields);
    return true;
}

void ClearCdbTypes() {
    table = TypeTable{};
}

const CType& CTypeAt(uint32_t index) {
    EnsureUnknown();
    return index < table.types.size() ? table.types[index] : table.types[0];
}

std::string CTypeName(uint32_t index) {
    const CType& type = CTypeAt(index);
    const char* sign = type.isUnsigned ? "unsigned " : "";
    switch (type.kind) {
        case CTypeKind::Void: return "void";
        case CTypeKind::Char: return std::string(sign) + "char";
        case CTypeKind::Short: return std::string(sign) + "short";
        case CTypeKind::Int: return std::string(sign) + "int";
        case CTypeKind::Long: return std::string(sign) + "long";
        case CTypeKind::LongLong: return std::string(sign) + "long long";
        case CTypeKind::Float: return "float";
        case CTypeKind::Bool: return "_Bool";
        case CTypeKind::Bitfield: return std::string(sign) + "int :";
        case CTypeKind::Struct: return "struct " + type.tag;
        case CTypeKind::Union: return "union " + type.tag;
        case CTypeKind::Pointer: {
            const std::string target = CTypeName(type.target);
            return target + (target.ends_with('*') ? "*" : " *");
        }
        case CTypeKind::Array: {
            // int [2][3]: the dimensions outermost first, after the element type
            std::string dimensions;
            uint32_t element = index;
            while (CTypeAt(element).kind == CTypeKind::Array) {
                dimensions += '[' + std::to_string(CTypeAt(element).count) + ']';
                element = CTypeAt(element).target;
            }
            return CTypeName(element) + " " + dimensions;
        }
        case CTypeKind::Function: return CTypeName(type.target) + " ()";
        case CTypeKind::Unknown: break;
    }
    return "?";
}

}  // namespace plexaro
