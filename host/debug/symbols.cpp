// The symbol table: parses the files assemblers and SDCC's linker write, keeps labels and
// equates sorted by address, and answers lookups by binary search without allocating.
#include "host/debug/symbols.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "host/debug/cdb.h"
#include "host/debug/cdb_types.h"
#include "host/os/os.h"
#include "machine/board.h"

namespace plexaro {
namespace {

constexpr uint32_t MaxOffset = 0x200;  // past it, more likely a static function than the label's
constexpr uintmax_t FileLimit = 16u << 20;
constexpr uint32_t LowestEquate = 0x100;  // below: port numbers and small constants

struct Symbol {
    uint16_t address;
    uint32_t name;  // offset into the name pool
};

// A linker area's start and length (s__NAME, l__NAME), as far as the files give them.
struct Area {
    std::string name;
    uint32_t start, length;
    bool hasStart, hasLength;
};

struct SymbolTable {
    std::vector<Symbol> labels;     // sorted by address, stable: the first loaded wins
    std::vector<Symbol> constants;  // equates: they name their own address only
    std::string names;              // zero-terminated names, one after another
    std::vector<Area> areas;
};

SymbolTable table;

const char* NameOf(const Symbol& symbol) {
    return table.names.c_str() + symbol.name;
}

// The last address of the stretch of memory `address` lies in, as the board lays it out now:
// one kind of memory, and for the image, its bytes in order (a mapper's slots showing pages
// one after another are one stretch). A label never names an address in another.
uint32_t RegionEnd(uint32_t address) {
    BoardRegion region = BoardRegionAt(address);
    uint32_t end = region.start + region.length;
    while (end <= 0xFFFF) {
        const BoardRegion next = BoardRegionAt(end);
        const bool continues =
            next.kind == region.kind && next.mirrorOf == next.start &&
            (region.image < 0 ? next.image < 0
                              : next.image == region.image + static_cast<int32_t>(region.length));
        if (!continues) break;
        region = next;
        end = region.start + region.length;
    }
    return end - 1;
}

bool Add(std::vector<Symbol>& list, std::string_view name, uint32_t address) {
    const auto at =
        std::upper_bound(list.begin(), list.end(), address,
                         [](uint32_t a, const Symbol& symbol) { return a < symbol.address; });
    for (auto same = at; same != list.begin() && (same - 1)->address == address; --same) {
        if (NameOf(*(same - 1)) == name) return false;  // loaded twice (a .noi and a .map)
    }
    const Symbol symbol{static_cast<uint16_t>(address), static_cast<uint32_t>(table.names.size())};
    table.names.append(name);
    table.names.push_back('\0');
    list.insert(at, symbol);
    return true;
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) {
        text.remove_prefix(1);
    }
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) {
        text.remove_suffix(1);
    }
    return text;
}

// Splits off the next word (separated by spaces or tabs).
std::string_view NextWord(std::string_view& text) {
    text = Trim(text);
    size_t end = 0;
    while (end < text.size() && !std::isspace(static_cast<unsigned char>(text[end]))) ++end;
    const std::string_view word = text.substr(0, end);
    text.remove_prefix(end);
    return word;
}

bool ParseNumber(std::string_view digits, int base, uint32_t& value) {
    if (digits.empty()) return false;
    uint64_t wide = 0;
    const auto [end, error] =
        std::from_chars(digits.data(), digits.data() + digits.size(), wide, base);
    if (error != std::errc() || end != digits.data() + digits.size() || wide > 0xFFFFFFFF) {
        return false;
    }
    value = static_cast<uint32_t>(wide);
    return true;
}

// A number with its notation: "$1234", "0x1234", "#0x1234", "#1234", "1234h" are hex; bare
// digits are `bareBase`. False for anything else.
bool ParseValue(std::string_view word, int bareBase, uint32_t& value) {
    if (word.starts_with('#')) word.remove_prefix(1), bareBase = 16;
    if (word.starts_with('$')) return ParseNumber(word.substr(1), 16, value);
    if (word.starts_with("0x") || word.starts_with("0X"))
        return ParseNumber(word.substr(2), 16, value);
    if (word.size() > 1 && (word.back() == 'h' || word.back() == 'H')) {
        return std::isdigit(static_cast<unsigned char>(word[0])) &&
               ParseNumber(word.substr(0, word.size() - 1), 16, value);
    }
    return ParseNumber(word, bareBase, value);
}

bool IsName(std::string_view word) {
    if (word.empty() || std::isdigit(static_cast<unsigned char>(word[0]))) return false;
    return std::all_of(word.begin(), word.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || std::strchr("_.$?@", c) != nullptr;
    });
}

// Linker bookkeeping that names no place in the program: area lengths and starts.
bool IsBookkeeping(std::string_view name) {
    return name.starts_with("l__") || name.starts_with("s__") || name.starts_with(".__.");
}

enum class Line { Added, Known, Unknown };

// `sdcc --debug` puts its debug records among the linker's symbols: "G$total$0_0$0" for
// `_total`, "Fgame$step$0$0" for a static function, "Lgame.main$rounds$1_0$12" for a
// function's static, and line records (A$ for the assembler's, C$ for C's, XG$/XF$ for a
// function's end) that are no labels at all. A debug name gives the C name it stands for,
// or an empty one for a record to leave out; `debug` is false for ordinary names.
bool DebugNameToC(std::string_view name, std::string& c, bool& debug) {
    const size_t first = name.find('$');
    debug = first != std::string_view::npos && first > 0 &&
            name.find('$', first + 1) != std::string_view::npos &&
            std::string_view("ACGFLX").find(name[0]) != std::string_view::npos;
    if (!debug) return true;
    const std::string_view scope = name.substr(0, first);
    const std::string_view rest = name.substr(first + 1);
    const std::string_view own = rest.substr(0, rest.find('$'));
    c.clear();
    if (scope == "A" || scope == "C" || name[0] == 'X' || own.starts_with("__xinit_")) return true;
    if (scope == "G" || scope[0] == 'F') {
        c = '_';
        c += own;
    } else if (scope[0] == 'L') {
        const size_t dot = scope.find('.');
        if (dot == std::string_view::npos) return false;
        c = scope.substr(dot + 1);
        c += '.';
        c += own;
    } else {
        return false;
    }
    return IsName(c);
}

Line Take(std::string_view name, uint32_t address, bool constant) {
    if (!IsName(name) || address > 0xFFFF) return Line::Unknown;
    if (IsBookkeeping(name)) {
        if (name.starts_with("s__") || name.starts_with("l__")) {
            const std::string_view area = name.substr(3);
            auto at = std::find_if(table.areas.begin(), table.areas.end(),
                                   [&](const Area& a) { return a.name == area; });
            if (at == table.areas.end())
                at = table.areas.insert(at, {std::string(area), 0, 0, false, false});
            if (name[0] == 's') {
                at->start = address, at->hasStart = true;
            } else {
                at->length = address, at->hasLength = true;
            }
        }
        return Line::Known;
    }
    std::string c;
    bool debug = false;
    if (!DebugNameToC(name, c, debug)) return Line::Unknown;
    if (debug && c.empty()) return Line::Known;
    if (debug) {
        // The C name: after the linker's own `_total` it is the same label, kept once; a
        // static has only this one.
        return Add(table.labels, c, address) ? Line::Added : Line::Known;
    }
    Add(constant ? table.constants : table.labels, name, address);  // known already: kept once
    return Line::Added;
}

// The labels a .cdb gives (functions and variables in memory), under their C names, for when
// it is read without the linker's files.
uint32_t TakeCdbLabels() {
    uint32_t added = 0;
    for (uint32_t index = 0; index < CFunctionCount(); ++index) {
        const CFunction& function = CFunctionAt(index);
        added += Add(table.labels, "_" + function.name, function.entry);
    }
    for (uint32_t index = 0; index < CGlobalCount(); ++index) {
        const CVariable& variable = CGlobalAt(index);
        if (variable.storage != CStorage::Memory) continue;
        const std::string name = variable.function.empty()
                                     ? "_" + variable.name
                                     : variable.function + "." + variable.name;
        added += Add(table.labels, name, variable.address);
    }
    return added;
}

// "ADDRESS LABEL ...", "BANK:ADDRESS LABEL", "LABEL = ADDRESS", "LABEL EQU ADDRESS",
// "DEF LABEL ADDRESS".
Line ParsePlainLine(std::string_view line, bool map) {
    std::string_view rest = line;
    std::string_view first = NextWord(rest);
    std::string_view second = NextWord(rest);
    uint32_t value = 0;
    if (first == "DEF") {
        if (!ParseValue(NextWord(rest), 16, value)) return Line::Unknown;
        return Take(second, value, false);
    }
    if (first == "LOAD") return Line::Known;
    if (const size_t colon = first.find(':'); colon != std::string_view::npos &&
                                              colon + 1 < first.size() &&
                                              ParseValue(first.substr(0, colon), 16, value)) {
        first.remove_prefix(colon + 1);  // a bank before the address
    }
    if (second.ends_with(':')) second.remove_suffix(1);
    if (ParseValue(first, 16, value) && IsName(second)) return Take(second, value, false);
    if (map) return Line::Known;  // its "_CODE = 0x0000" lines are the link's base addresses
    if (first.ends_with(':')) first.remove_suffix(1);
    if (second == "=" || second == "==" || second == "EQU" || second == "equ" || second == ".equ" ||
        second == ".EQU") {
        if (ParseValue(NextWord(rest), 10, value)) return Take(first, value, false);
    }
    return Line::Unknown;
}

// sdasz80's symbol table: "  4 main    00009E R" (area, name, value, flags) and equates
// "    FRAME    =  00C000", then the area table "   4 _HEADER0   size  1DC5   flags    8".
// Without -w the table is narrow: three symbols a line split by '|', names cut to eight
// characters, and an eight-character name runs into its '=' ("RAM_STAR=  00C000").
struct AssemblerSymbol {
    std::string name;
    uint32_t area;
    uint32_t value;
};

enum class Entry { Taken, Ignored, Unknown };

Entry ParseAssemblerEntry(std::string_view entry, SymbolLoadReport& report,
                          std::vector<AssemblerSymbol>& relative) {
    std::string_view rest = entry;
    std::string_view first = NextWord(rest);
    if (first.empty()) return Entry::Ignored;
    uint32_t area = 0;
    const bool numbered = ParseNumber(first, 16, area);
    std::string_view name = numbered ? NextWord(rest) : first;
    std::string_view word;
    bool equate = false;
    if (name.size() > 1 && name.ends_with('=')) {
        name.remove_suffix(1);
        equate = true;
    }
    word = NextWord(rest);
    if (!equate && word == "=") {
        equate = true;
        word = NextWord(rest);
    }
    if (name.starts_with(".__.")) return Entry::Ignored;
    if (word.find_first_not_of('*') == std::string_view::npos && !word.empty()) {
        return Entry::Ignored;  // defined elsewhere: the linker's files know it
    }
    uint32_t value = 0;
    if (!IsName(name) || !ParseNumber(word, 16, value)) return Entry::Unknown;
    if (equate) {
        if (value >= LowestEquate && Take(name, value, true) == Line::Added) ++report.added;
    } else if (numbered && area < 256) {
        relative.push_back({std::string(name), area, value});
    } else {
        return Entry::Unknown;
    }
    return Entry::Taken;
}

SymbolLoadReport ParseAssemblerTable(std::string_view text) {
    SymbolLoadReport report{true, 0, 0};
    std::vector<AssemblerSymbol> relative;
    uint32_t absoluteAreas[8] = {};  // one bit per area: ABS
    bool symbols = false;
    bool areas = false;
    while (!text.empty()) {
        const size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        if (line.find("Area Table") != std::string_view::npos) areas = true;
        if (line.find("Symbol Table") != std::string_view::npos) symbols = true;
        // Page headers repeat on every page of the listing.
        if (line.find("ASxxxx Assembler") != std::string_view::npos ||
            line.find("Hexadecimal [") != std::string_view::npos ||
            line.find(" Table") != std::string_view::npos) {
            continue;
        }
        if (areas) {
            std::string_view rest = line;
            uint32_t area = 0;
            const bool numbered = ParseNumber(NextWord(rest), 16, area);
            std::string_view word;
            uint32_t flags = 0;
            while (!(word = NextWord(rest)).empty()) {
                if (word == "flags" && ParseNumber(NextWord(rest), 16, flags) && numbered &&
                    area < 256 && (flags & 8) != 0) {
                    absoluteAreas[area / 32] |= 1u << (area % 32);
                }
            }
            continue;
        }
        if (!symbols) continue;
        bool understood = true;
        while (!line.empty()) {
            const size_t bar = std::min(line.find('|'), line.size());
            understood =
                ParseAssemblerEntry(line.substr(0, bar), report, relative) != Entry::Unknown &&
                understood;
            line.remove_prefix(std::min(bar + 1, line.size()));
        }
        if (!understood) ++report.skipped;
    }
    for (const AssemblerSymbol& symbol : relative) {
        if ((absoluteAreas[symbol.area / 32] >> (symbol.area % 32)) & 1) {
            if (Take(symbol.name, symbol.value, false) == Line::Added) ++report.added;
        } else {
            ++report.skipped;  // relocated at link time: the linker's .noi or .map knows it
        }
    }
    return report;
}

SymbolLoadReport ReadSymbolText(std::string_view text);

}  // namespace

SymbolLoadReport LoadSymbolText(std::string_view text) {
    SymbolLoadReport report = ReadSymbolText(text);
    RefreshCdbBounds();
    return report;
}

namespace {

SymbolLoadReport ReadSymbolText(std::string_view text) {
    if (LooksLikeCdb(text)) {
        SymbolLoadReport report = LoadCdbText(text);
        TakeCdbLabels();
        return report;
    }
    if (text.find("Symbol Table") != std::string_view::npos &&
        text.find("ASxxxx Assembler") != std::string_view::npos) {
        return ParseAssemblerTable(text);
    }
    // The linker's map: only its value/name lines matter, the rest is its layout.
    const bool map = text.find("ASxxxx Linker") != std::string_view::npos;
    SymbolLoadReport report{true, 0, 0};
    while (!text.empty()) {
        const size_t end = std::min(text.find('\n'), text.size());
        const std::string_view line = Trim(text.substr(0, end));
        text.remove_prefix(std::min(end + 1, text.size()));
        if (line.empty() || line[0] == ';' || line[0] == '#' || line.starts_with("//")) continue;
        const Line parsed = ParsePlainLine(line, map);
        if (parsed == Line::Added) ++report.added;
        if (parsed == Line::Unknown && !map) ++report.skipped;
    }
    return report;
}

}  // namespace

SymbolLoadReport LoadSymbolFile(const std::string& path) {
    std::error_code error;
    const uintmax_t size = std::filesystem::file_size(PathOf(path), error);
    if (error || size > FileLimit) return {};
    std::ifstream file(PathOf(path), std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (!file && !file.eof()) return {};
    // A .cdb names its sources without folders: they are most likely beside it.
    if (LooksLikeCdb(text)) AddSourceFolder(TextOf(PathOf(path).parent_path()));
    return LoadSymbolText(text);
}

std::string DescribeSymbolLoad(const std::string& path, const SymbolLoadReport& report) {
    if (!report.readable) return path + ": can't read the file";
    std::string line = path + ": ";
    line += report.added == 0 ? "no symbols found" : std::to_string(report.added) + " symbols";
    if (report.sourceLines > 0) line += ", " + std::to_string(report.sourceLines) + " C lines";
    if (report.skipped > 0) {
        line += (report.added == 0 ? " (" : ", ") + std::to_string(report.skipped) +
                (report.skipped == 1 ? " line" : " lines") + " not understood";
        if (report.added == 0) line += ')';
    }
    return line;
}

std::vector<std::string> SymbolFilesBeside(const std::string& cartridgePath) {
    std::vector<std::string> found;
    if (cartridgePath.empty()) return found;
    for (const char* extension : {".noi", ".map", ".sym", ".cdb"}) {
        std::filesystem::path candidate = PathOf(cartridgePath);
        candidate.replace_extension(extension);
        std::error_code error;
        if (candidate != PathOf(cartridgePath) &&
            std::filesystem::is_regular_file(candidate, error)) {
            found.push_back(TextOf(candidate));
        }
    }
    return found;
}

void ClearSymbols() {
    table.areas.clear();
    ClearCdb();
    table.labels.clear();
    table.constants.clear();
    table.names.clear();
}

uint32_t SymbolCount() {
    return static_cast<uint32_t>(table.labels.size() + table.constants.size());
}

const char* SymbolFor(uint16_t address, uint16_t& offset) {
    offset = 0;
    const auto before = [](const std::vector<Symbol>& list, uint16_t a) {
        return std::upper_bound(list.begin(), list.end(), a, [](uint16_t x, const Symbol& symbol) {
            return x < symbol.address;
        });
    };
    // The first of the labels at the address, else the first equate there.
    auto at = before(table.labels, address);
    auto first = at;
    while (first != table.labels.begin() && (first - 1)->address == address) --first;
    if (first != at) return NameOf(*first);
    const auto constant = before(table.constants, address);
    auto firstConstant = constant;
    while (firstConstant != table.constants.begin() && (firstConstant - 1)->address == address) {
        --firstConstant;
    }
    if (firstConstant != constant) return NameOf(*firstConstant);
    if (at == table.labels.begin()) return nullptr;
    const uint16_t base = (at - 1)->address;
    while (at != table.labels.begin() && (at - 1)->address == base) --at;
    if (static_cast<uint32_t>(address - base) >= MaxOffset || address > RegionEnd(base))
        return nullptr;
    offset = static_cast<uint16_t>(address - base);
    return NameOf(*at);
}

size_t FormatSymbol(uint16_t address, char* text, size_t size) {
    if (size == 0) return 0;
    uint16_t offset = 0;
    const char* name = SymbolFor(address, offset);
    int written = 0;
    if (name == nullptr) {
        text[0] = '\0';
    } else if (offset == 0) {
        written = std::snprintf(text, size, "%s", name);
    } else {
        written = std::snprintf(text, size, "%s+%u", name, static_cast<unsigned>(offset));
    }
    if (written < 0) return 0;
    return std::min(static_cast<size_t>(written), size - 1);
}

uint16_t ProgramDataEnd() {
    const auto inRam = [](uint32_t address) { return BoardRegionAt(address).kind != RegionRom; };
    uint32_t end = 0;
    for (const Area& area : table.areas) {
        if (area.hasStart && area.hasLength && area.length > 0 && inRam(area.start)) {
            end = std::max(end, area.start + area.length);
        }
    }
    // Equates are left out: one in RAM is as often the stack's top as a variable.
    if (end == 0) {
        for (const Symbol& symbol : table.labels) {
            if (inRam(symbol.address)) end = std::max<uint32_t>(end, symbol.address + 1u);
        }
    }
    return end > 0xFFFF ? 0 : static_cast<uint16_t>(end);
}

bool SymbolAddress(std::string_view name, uint16_t& address) {
    for (const bool underscore : {false, true}) {
        for (const auto* list : {&table.labels, &table.constants}) {
            for (const Symbol& symbol : *list) {
                const std::string_view have = NameOf(symbol);
                if (have == name || (underscore && have.size() == name.size() + 1 &&
                                     have[0] == '_' && have.substr(1) == name)) {
                    address = symbol.address;
                    return true;
                }
            }
        }
    }
    return false;
}

bool ParseAddress(std::string_view text, uint16_t& address) {
    text = Trim(text);
    if (text.empty()) return false;
    // name, name+N, name-N (N decimal, or hex with its notation)
    const size_t sign = text.find_first_of("+-", 1);
    const std::string_view name = Trim(text.substr(0, sign));
    uint16_t base = 0;
    if (IsName(name) && SymbolAddress(name, base)) {
        uint32_t offset = 0;
        if (sign != std::string_view::npos &&
            !ParseValue(Trim(text.substr(sign + 1)), 10, offset)) {
            return false;
        }
        const uint32_t target =
            text[sign == std::string_view::npos ? 0 : sign] == '-' ? base - offset : base + offset;
        address = static_cast<uint16_t>(target);
        return true;
    }
    uint32_t value = 0;
    if (!ParseValue(text, 16, value) || value > 0xFFFF) return false;
    address = static_cast<uint16_t>(value);
    return true;
}

size_t SymbolizeInstruction(const char* text, char* out, size_t size) {
    if (size == 0) return 0;
    size_t written = 0;
    const auto put = [&](const char* from, size_t length) {
        const size_t room = size - 1 - written;
        length = std::min(length, room);
        std::memcpy(out + written, from, length);
        written += length;
    };
    const auto isHex = [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; };
    const char* at = text;
    while (*at != '\0') {
        // A 16-bit number: "0x" and exactly four hex digits (ports and bytes have two).
        if (at[0] == '0' && at[1] == 'x' && isHex(at[2]) && isHex(at[3]) && isHex(at[4]) &&
            isHex(at[5]) && !isHex(at[6]) && (at == text || !isHex(at[-1]))) {
            uint32_t value = 0;
            ParseNumber(std::string_view(at + 2, 4), 16, value);
            const bool immediate = at != text && at[-1] == '#';
            char name[SymbolTextSize];
            uint16_t offset = 0;
            const char* symbol = SymbolFor(static_cast<uint16_t>(value), offset);
            if (symbol != nullptr && !(immediate && offset != 0)) {
                const size_t length = FormatSymbol(static_cast<uint16_t>(value), name, sizeof name);
                put(name, length);
                at += 6;
                continue;
            }
        }
        put(at, 1);
        ++at;
    }
    out[written] = '\0';
    return written;
}

uint32_t LabelCount() {
    return static_cast<uint32_t>(table.labels.size());
}

SymbolSpan LabelSpan(uint32_t index) {
    if (index >= table.labels.size()) return {nullptr, 0, 0};
    const Symbol& symbol = table.labels[index];
    if (index > 0 && table.labels[index - 1].address == symbol.address) return {nullptr, 0, 0};
    uint32_t last = std::min(RegionEnd(symbol.address), symbol.address + MaxOffset - 1);
    for (uint32_t next = index + 1; next < table.labels.size(); ++next) {
        if (table.labels[next].address == symbol.address) continue;
        last = std::min<uint32_t>(last, table.labels[next].address - 1u);
        break;
    }
    return {NameOf(symbol), symbol.address, static_cast<uint16_t>(last)};
}

}  // namespace plexaro
