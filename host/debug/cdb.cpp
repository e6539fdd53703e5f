// The C debug table: reads SDCC's .cdb records into functions, line records, variables and
// types, and answers lookups by address with binary searches that allocate nothing.
#include "host/debug/cdb.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <map>

#include "host/debug/cdb_types.h"
#include "host/os/os.h"

namespace plexaro {
namespace {

constexpr uint32_t LooseLineReach = 0x100;    // a line outside any function names no further
constexpr uint32_t FunctionTailReach = 0x40;  // past its closing line's start, at most

struct LineRecord {
    uint16_t address;
    uint32_t file;  // index into CdbTable::files
    uint32_t line;
    uint32_t order;  // file order, so that of records at one address the last is kept
};

struct CdbTable {
    std::vector<std::string> files;
    std::vector<LineRecord> lines;  // sorted by address, then order
    std::vector<CFunction> functions;
    std::vector<CVariable> globals;
    std::vector<CVariable> locals;                           // with `function` set
    std::map<std::string, uint16_t, std::less<>> addresses;  // L: records by scope$name
    std::map<std::string, uint16_t, std::less<>> ends;       // XG$/XF$ records
    std::vector<uint16_t> dataInCode;  // named objects below 0x8000 that are not functions
    std::vector<std::string> sourceFolders;
    std::vector<size_t> texts;  // hashes of the files read: one read twice adds nothing
};

CdbTable cdb;

bool ParseHex(std::string_view digits, uint32_t& value) {
    if (digits.empty()) return false;
    const auto [end, error] =
        std::from_chars(digits.data(), digits.data() + digits.size(), value, 16);
    return error == std::errc() && end == digits.data() + digits.size();
}

bool ParseDecimal(std::string_view digits, int64_t& value) {
    if (digits.empty()) return false;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    return error == std::errc() && end == digits.data() + digits.size();
}

// "G$total$0_0$0" -> scope "G", name "total", level "0_0", block "0". The scope is
// G (global), F<module> (file static) or L<module>.<function> (a function's own).
struct DebugName {
    std::string_view scope;
    std::string_view name;
    std::string_view level;
    std::string_view block;
};

bool SplitDebugName(std::string_view text, DebugName& parts) {
    std::string_view pieces[4];
    size_t count = 0;
    while (count < 4) {
        const size_t dollar = text.find('$');
        pieces[count++] = text.substr(0, dollar);
        if (dollar == std::string_view::npos) break;
        text.remove_prefix(dollar + 1);
    }
    if (count < 2 || pieces[0].empty() || pieces[1].empty()) return false;
    parts = {pieces[0], pieces[1], count > 2 ? pieces[2] : "", count > 3 ? pieces[3] : ""};
    return true;
}

std::string KeyOf(const DebugName& parts) {
    std::string key(parts.scope);
    key += '$';
    key += parts.name;
    return key;
}

uint32_t FileIndex(std::string_view file) {
    for (uint32_t index = 0; index < cdb.files.size(); ++index) {
        if (cdb.files[index] == file) return index;
    }
    cdb.files.emplace_back(file);
    return static_cast<uint32_t>(cdb.files.size() - 1);
}

// "C$game.c$40$2_0$5" -> a line record. File names may hold '$' in theory; SDCC's own never
// do, so the first and last fields are split off from the ends.
bool TakeLineRecord(std::string_view name, uint32_t address, uint32_t order) {
    name.remove_prefix(2);
    const size_t blockAt = name.rfind('$');
    if (blockAt == std::string_view::npos) return false;
    std::string_view rest = name.substr(0, blockAt);
    const size_t levelAt = rest.rfind('$');
    if (levelAt == std::string_view::npos) return false;
    rest = rest.substr(0, levelAt);
    const size_t lineAt = rest.rfind('$');
    int64_t line = 0;
    if (lineAt == std::string_view::npos || !ParseDecimal(rest.substr(lineAt + 1), line) ||
        line <= 0) {
        return false;
    }
    cdb.lines.push_back({static_cast<uint16_t>(address), FileIndex(rest.substr(0, lineAt)),
                         static_cast<uint32_t>(line), order});
    return true;
}

// L:NAME:ADDR
bool TakeLinker(std::string_view record, uint32_t order, SymbolLoadReport& report) {
    const size_t colon = record.rfind(':');
    uint32_t address = 0;
    if (colon == std::string_view::npos || !ParseHex(record.substr(colon + 1), address) ||
        address > 0xFFFF) {
        return false;
    }
    const std::string_view name = record.substr(0, colon);
    if (name.starts_with("C$")) {
        if (!TakeLineRecord(name, address, order)) return false;
        ++report.sourceLines;
        return true;
    }
    if (name.starts_with("A$")) return true;  // the assembler's own lines: the C ones suffice
    DebugName parts;
    if (name.starts_with("X")) {
        if (!SplitDebugName(name.substr(1), parts)) return false;
        cdb.ends.emplace(KeyOf(parts), static_cast<uint16_t>(address));
        return true;
    }
    if (!SplitDebugName(name, parts)) return false;
    cdb.addresses.emplace(KeyOf(parts), static_cast<uint16_t>(address));
    return true;
}

// ({2}DG,STactor:S),B,1,-10  or  ({2}SI:S),R,0,0,[l,h]
struct SymbolPlace {
    uint32_t type;
    char space;
    bool onStack;
    int64_t offset;
    uint8_t registerCount;
    CRegister registers[8];
};

bool RegisterNamed(std::string_view name, CRegister& reg) {
    static constexpr std::string_view names[] = {"a", "f", "b",   "c",   "d",   "e",
                                                 "h", "l", "ixl", "ixh", "iyl", "iyh"};
    for (size_t index = 0; index < std::size(names); ++index) {
        if (name == names[index]) {
            reg = static_cast<CRegister>(index);
            return true;
        }
    }
    return false;
}

// Reads "(TYPE),SPACE,ONSTACK,OFFSET[,[REGS]]" after a symbol's name.
bool ParsePlace(std::string_view text, SymbolPlace& place) {
    size_t typeEnd = 0;
    if (!ParseCdbTypeAt(text, place.type, typeEnd)) return false;
    text.remove_prefix(typeEnd);
    std::string_view fields[3];
    for (std::string_view& field : fields) {
        if (!text.starts_with(',')) return false;
        text.remove_prefix(1);
        const size_t comma = text.find(',');
        field = text.substr(0, comma);
        text.remove_prefix(std::min(field.size(), text.size()));
    }
    // F: records carry more numbers after these; their first three fields are the same.
    int64_t onStack = 0;
    if (fields[0].size() != 1 || !ParseDecimal(fields[1], onStack) ||
        !ParseDecimal(fields[2], place.offset)) {
        return false;
    }
    place.space = fields[0][0];
    place.onStack = onStack != 0;
    place.registerCount = 0;
    if (text.starts_with(",[")) {
        const size_t close = text.find(']');
        std::string_view list = text.substr(2, close == std::string_view::npos ? 0 : close - 2);
        while (!list.empty() && place.registerCount < 8) {
            const size_t comma = list.find(',');
            CRegister reg{};
            if (!RegisterNamed(list.substr(0, comma), reg)) return false;
            place.registers[place.registerCount++] = reg;
            list.remove_prefix(
                std::min(list.size(), comma == std::string_view::npos ? list.size() : comma + 1));
        }
    }
    return true;
}

// The part of a record after "S:" or "F:" up to its type: "Lgame.fill$cells$1_0$4".
bool SplitSymbol(std::string_view record, DebugName& parts, std::string_view& rest) {
    const size_t open = record.find('(');
    if (open == std::string_view::npos || !SplitDebugName(record.substr(0, open), parts)) {
        return false;
    }
    rest = record.substr(open);
    return true;
}

bool TakeFunction(std::string_view record, std::string_view module) {
    DebugName parts;
    std::string_view rest;
    SymbolPlace place{};
    if (!SplitSymbol(record, parts, rest) || !ParsePlace(rest, place)) return false;
    CFunction function{};
    function.name = parts.name;
    function.isStatic = parts.scope[0] == 'F';
    function.module = function.isStatic ? parts.scope.substr(1) : module;
    const CType& type = CTypeAt(place.type);
    function.type = type.kind == CTypeKind::Function ? type.target : place.type;
    function.file = KeyOf(parts);  // resolved to its entry when the file is read
    cdb.functions.push_back(std::move(function));
    return true;
}

bool TakeSymbol(std::string_view record, std::string_view module) {
    DebugName parts;
    std::string_view rest;
    SymbolPlace place{};
    if (!SplitSymbol(record, parts, rest) || !ParsePlace(rest, place)) return false;
    const CType& type = CTypeAt(place.type);
    if (type.kind == CTypeKind::Function) return true;  // the F: record says it all
    // The compiler's own spill slots ("sloc0") are no variables of the program.
    if (parts.scope[0] == 'L' && parts.name.starts_with("sloc")) return true;
    CVariable variable{};
    variable.name = parts.name;
    variable.type = place.type;
    variable.module = module;
    const char scope = parts.scope[0];
    if (scope == 'L') {
        const std::string_view owner = parts.scope.substr(1);
        const size_t dot = owner.find('.');
        variable.module = owner.substr(0, dot);
        variable.function = dot == std::string_view::npos ? owner : owner.substr(dot + 1);
        const size_t underscore = parts.block.find('_');
        variable.isParameter = parts.block == "0" && underscore == std::string_view::npos;
    } else if (scope == 'F') {
        variable.module = parts.scope.substr(1);
        variable.isStatic = true;
    }
    if (place.onStack) {
        variable.storage = CStorage::Stack;
        variable.offset = static_cast<int16_t>(place.offset);
    } else if (place.space == 'R') {
        variable.storage = place.registerCount > 0 ? CStorage::Registers : CStorage::None;
        variable.registerCount = place.registerCount;
        std::copy_n(place.registers, place.registerCount, variable.registers);
    } else if (place.space == 'I' || place.space == 'J') {
        variable.storage = CStorage::None;  // an I/O port, not memory
    } else {
        variable.storage = CStorage::Memory;
        variable.isStatic = variable.isStatic || scope == 'L';
        variable.address = 0;
        variable.module = variable.module.empty() ? std::string(module) : variable.module;
        variable.name.insert(0, KeyOf(parts) + '\n');  // resolved to its address afterwards
    }
    (scope == 'L' && variable.storage != CStorage::Memory ? cdb.locals : cdb.globals)
        .push_back(std::move(variable));
    return true;
}

// Binds names to the addresses the L: records gave, and bounds every function.
void Resolve() {
    for (CFunction& function : cdb.functions) {
        if (function.entry != 0 || function.line != 0) continue;  // from an earlier file
        const std::string key = function.file;
        function.file.clear();
        const auto entry = cdb.addresses.find(key);
        if (entry == cdb.addresses.end()) {
            function.name.clear();  // declared but not linked in
            continue;
        }
        function.entry = entry->second;
        const auto end = cdb.ends.find(key);
        function.end = end != cdb.ends.end() ? end->second : function.entry;
    }
    std::erase_if(cdb.functions, [](const CFunction& f) { return f.name.empty(); });
    std::sort(cdb.functions.begin(), cdb.functions.end(),
              [](const CFunction& a, const CFunction& b) { return a.entry < b.entry; });
    for (CVariable& variable : cdb.globals) {
        const size_t newline = variable.name.find('\n');
        if (newline == std::string::npos) continue;
        const auto found = cdb.addresses.find(std::string_view(variable.name).substr(0, newline));
        variable.name.erase(0, newline + 1);
        if (found == cdb.addresses.end()) {
            variable.storage = CStorage::None;
        } else {
            variable.address = found->second;
            if (variable.address < 0x8000) cdb.dataInCode.push_back(variable.address);
        }
    }
    std::stable_sort(cdb.globals.begin(), cdb.globals.end(),
                     [](const CVariable& a, const CVariable& b) { return a.name < b.name; });
    std::sort(cdb.dataInCode.begin(), cdb.dataInCode.end());
    // Objects linked into code that no S: record describes (constant tables) still end a
    // function: any L: address that is not a function's entry counts.
    for (const auto& [key, address] : cdb.addresses) {
        if (address < 0x8000) cdb.dataInCode.push_back(address);
    }
    std::sort(cdb.dataInCode.begin(), cdb.dataInCode.end());
    std::stable_sort(
        cdb.lines.begin(), cdb.lines.end(),
        [](const LineRecord& a, const LineRecord& b) { return a.address < b.address; });
    RefreshCdbBounds();
}

// The line record that names `address`: the last at the greatest address at or before it.
const LineRecord* LineFor(uint16_t address) {
    const auto after =
        std::upper_bound(cdb.lines.begin(), cdb.lines.end(), address,
                         [](uint16_t a, const LineRecord& record) { return a < record.address; });
    if (after == cdb.lines.begin()) return nullptr;
    const LineRecord& record = *(after - 1);
    if (const CFunction* function = CFunctionFor(address)) {
        if (record.address < function->entry) return nullptr;
    } else if (CFunctionFor(record.address) != nullptr ||
               static_cast<uint32_t>(address - record.address) >= LooseLineReach) {
        return nullptr;  // a function's line names nothing past its end
    }
    return &record;
}

bool FileMatches(std::string_view have, std::string_view wanted) {
    if (have == wanted) return true;
    // "src/game.c" or "C:\src\game.c" for SDCC's "game.c"
    return wanted.size() > have.size() && wanted.ends_with(have) &&
           (wanted[wanted.size() - have.size() - 1] == '/' ||
            wanted[wanted.size() - have.size() - 1] == '\\');
}

}  // namespace

void RefreshCdbBounds() {
    // Library routines (__mul16) follow the C code with labels of their own in the .noi.
    std::vector<uint16_t> labels;
    for (uint32_t index = 0; index < LabelCount(); ++index) {
        const SymbolSpan span = LabelSpan(index);
        if (span.name != nullptr) labels.push_back(span.first);
    }
    for (size_t index = 0; index < cdb.functions.size(); ++index) {
        CFunction& function = cdb.functions[index];
        const uint16_t from = std::max(function.entry, function.end);
        uint32_t last = std::min<uint32_t>(0xFFFF, from + FunctionTailReach);
        if (index + 1 < cdb.functions.size()) {
            last = std::min<uint32_t>(last, cdb.functions[index + 1].entry - 1u);
        }
        for (const std::vector<uint16_t>* stoppers : {&cdb.dataInCode, &labels}) {
            const auto stopper = std::upper_bound(stoppers->begin(), stoppers->end(), from);
            if (stopper != stoppers->end()) last = std::min<uint32_t>(last, *stopper - 1u);
        }
        function.last = static_cast<uint16_t>(std::max<uint32_t>(last, function.entry));
        function.file.clear();
        function.line = 0;
        for (const LineRecord& line : cdb.lines) {
            if (line.address == function.entry) {
                function.file = cdb.files[line.file];
                function.line = line.line;
                break;
            }
        }
    }
}

bool LooksLikeCdb(std::string_view text) {
    const size_t end = text.find('\n');
    const std::string_view first = text.substr(0, end);
    return first.size() > 2 && first[1] == ':' &&
           std::string_view("MFSTL").find(first[0]) != std::string_view::npos;
}

SymbolLoadReport LoadCdbText(std::string_view text) {
    SymbolLoadReport report{true, 0, 0};
    const size_t hash = std::hash<std::string_view>{}(text);
    const bool again = std::find(cdb.texts.begin(), cdb.texts.end(), hash) != cdb.texts.end();
    if (again) {
        // Counted as before, so the user is told the same, but kept once.
        const CdbTable kept = cdb;
        cdb.texts.clear();
        report = LoadCdbText(text);
        cdb = kept;
        return report;
    }
    cdb.texts.push_back(hash);
    std::string module;
    uint32_t order = static_cast<uint32_t>(cdb.lines.size());
    std::vector<std::string_view> structures;  // T: records, read once every type is named
    while (!text.empty()) {
        const size_t end = std::min(text.find('\n'), text.size());
        std::string_view record = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        if (!record.empty() && record.back() == '\r') record.remove_suffix(1);
        if (record.empty()) continue;
        bool understood = record.size() > 2 && record[1] == ':';
        const std::string_view body = understood ? record.substr(2) : record;
        if (understood) {
            switch (record[0]) {
                case 'M': module = body; break;
                case 'F':
                    understood = TakeFunction(body, module), report.added += understood;
                    break;
                case 'S':
                    understood = TakeSymbol(body, module);
                    if (understood && body.find("DF") == std::string_view::npos) ++report.added;
                    break;
                case 'T': understood = TakeCdbStructure(body); break;
                case 'L': understood = TakeLinker(body, order++, report); break;
                default: understood = false;
            }
        }
        if (!understood) ++report.skipped;
    }
    Resolve();
    return report;
}

void ClearCdb() {
    cdb = CdbTable{};
    ClearCdbTypes();
}

bool CdbLoaded() {
    return !cdb.lines.empty() || !cdb.functions.empty();
}

bool SourcePlaceAt(uint16_t address, SourcePlace& place) {
    const LineRecord* record = LineFor(address);
    if (record == nullptr) return false;
    const CFunction* function = CFunctionFor(address);
    place = {cdb.files[record->file].c_str(), record->line,
             function != nullptr ? function->name.c_str() : nullptr};
    return true;
}

size_t FormatSourcePlace(uint16_t address, char* text, size_t size) {
    if (size == 0) return 0;
    text[0] = '\0';
    const LineRecord* record = LineFor(address);
    if (record == nullptr) return 0;
    const int written = std::snprintf(text, size, "%s:%u", cdb.files[record->file].c_str(),
                                      static_cast<unsigned>(record->line));
    if (written < 0) return 0;
    return std::min(static_cast<size_t>(written), size - 1);
}

bool SourceLineRange(uint16_t address, AddressRange& range) {
    const LineRecord* record = LineFor(address);
    if (record == nullptr) return false;
    const auto next =
        std::upper_bound(cdb.lines.begin(), cdb.lines.end(), record->address,
                         [](uint16_t a, const LineRecord& line) { return a < line.address; });
    uint32_t last = next != cdb.lines.end() ? next->address - 1u
                                            : std::min<uint32_t>(0xFFFF, address + LooseLineReach);
    if (const CFunction* function = CFunctionFor(address)) {
        last = std::min<uint32_t>(last, function->last);
    }
    range = {record->address, static_cast<uint16_t>(std::max<uint32_t>(last, address))};
    return true;
}

bool SourceLineAddresses(std::string_view file, uint32_t line, uint32_t& actualLine,
                         std::vector<uint16_t>& addresses) {
    addresses.clear();
    uint32_t best = 0;
    for (const LineRecord& record : cdb.lines) {
        if (record.line < line || !FileMatches(cdb.files[record.file], file)) continue;
        if (best == 0 || record.line < best) best = record.line;
    }
    if (best == 0) return false;
    for (const LineRecord& record : cdb.lines) {
        if (record.line == best && FileMatches(cdb.files[record.file], file) &&
            (addresses.empty() || addresses.back() != record.address)) {
            addresses.push_back(record.address);
        }
    }
    actualLine = best;
    return true;
}

bool ParseSourceLine(std::string_view text, std::string& file, uint32_t& line) {
    const size_t colon = text.rfind(':');
    if (colon == std::string_view::npos || colon == 0) return false;
    int64_t number = 0;
    if (!ParseDecimal(text.substr(colon + 1), number) || number <= 0 || number > 0xFFFFFF) {
        return false;
    }
    file = text.substr(0, colon);
    line = static_cast<uint32_t>(number);
    return true;
}

void AddSourceFolder(const std::string& folder) {
    if (std::find(cdb.sourceFolders.begin(), cdb.sourceFolders.end(), folder) ==
        cdb.sourceFolders.end()) {
        cdb.sourceFolders.push_back(folder);
    }
}

std::string SourcePath(std::string_view file) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path name = PathOf(std::string(file));
    if (name.is_absolute() && fs::is_regular_file(name, error)) return TextOf(name);
    for (const std::string& folder : cdb.sourceFolders) {
        const fs::path candidate = PathOf(folder) / name;
        if (fs::is_regular_file(candidate, error)) return TextOf(fs::absolute(candidate, error));
    }
    return std::string(file);
}

std::vector<std::string> SourceFiles() {
    return cdb.files;
}

std::vector<uint32_t> SourceLinesWithCode(std::string_view file) {
    std::vector<uint32_t> lines;
    for (const LineRecord& record : cdb.lines) {
        if (FileMatches(cdb.files[record.file], file)) lines.push_back(record.line);
    }
    std::sort(lines.begin(), lines.end());
    lines.erase(std::unique(lines.begin(), lines.end()), lines.end());
    return lines;
}

uint32_t CFunctionCount() {
    return static_cast<uint32_t>(cdb.functions.size());
}

const CFunction& CFunctionAt(uint32_t index) {
    return cdb.functions[index];
}

const CFunction* CFunctionFor(uint16_t address) {
    const auto after =
        std::upper_bound(cdb.functions.begin(), cdb.functions.end(), address,
                         [](uint16_t a, const CFunction& function) { return a < function.entry; });
    if (after == cdb.functions.begin()) return nullptr;
    const CFunction& function = *(after - 1);
    return address <= function.last ? &function : nullptr;
}

const CFunction* CFunctionNamed(std::string_view name) {
    if (name.starts_with('_')) name.remove_prefix(1);
    for (const CFunction& function : cdb.functions) {
        if (function.name == name) return &function;
    }
    return nullptr;
}

uint32_t CGlobalCount() {
    return static_cast<uint32_t>(cdb.globals.size());
}

const CVariable& CGlobalAt(uint32_t index) {
    return cdb.globals[index];
}

const CVariable* CGlobalNamed(std::string_view name) {
    for (const CVariable& variable : cdb.globals) {
        if (variable.name == name) return &variable;
    }
    if (name.starts_with('_')) return CGlobalNamed(name.substr(1));
    return nullptr;
}

std::vector<const CVariable*> CLocalsAt(uint16_t pc) {
    std::vector<const CVariable*> found;
    const CFunction* function = CFunctionFor(pc);
    if (function == nullptr) return found;
    for (const bool parameters : {true, false}) {
        for (const CVariable& variable : cdb.locals) {
            if (variable.isParameter == parameters && variable.function == function->name &&
                (function->isStatic ? variable.module == function->module : true)) {
                found.push_back(&variable);
            }
        }
    }
    return found;
}

}  // namespace plexaro
