// The profiler's counts per instruction address, kept in fixed tables so that counting and
// the once-a-second top list allocate nothing, and the writers of its CSV and of coverage.
#include "host/debug/profiler.h"

#include <algorithm>
#include <cinttypes>
#include <cstring>
#include <map>
#include <vector>

#include "cpu/disassemble.h"
#include "host/debug/cdb.h"
#include "host/debug/symbols.h"
#include "machine/board.h"
#include "machine/debugger.h"
#include "machine/machine.h"

namespace plexaro {
namespace {

constexpr uint32_t AddressCount = 0x10000;
constexpr uint32_t MaxTop = 32;
constexpr const char* NoSymbol = "(no symbol)";

struct ProfilerState {
    bool running;
    bool profile;
    bool coverage;
    uint64_t cycles[AddressCount];  // the whole run
    uint64_t runs[AddressCount];    // of each instruction: a C line's count
    uint64_t calls[AddressCount];   // CALLs and RSTs that arrived here
    uint64_t frames;
    uint32_t windowCycles[AddressCount];  // the second in progress
    uint32_t windowCalls[AddressCount];
    // The instruction before: a CALL or RST, and where it went on had it not called. A call
    // is counted where it arrives, not at every run of a function's first instruction: a
    // function may begin with a loop.
    bool afterCall;
    uint16_t fallThrough;
    uint32_t windowFrames;
    ProfileTop top[MaxTop];  // the last completed second
    uint32_t topCount;
    double busy;                    // of the last completed second
    uint8_t ran[MapperImageLimit];  // 1 where an instruction of the image started
};

ProfilerState profiler;

uint64_t CyclesPerFrame() {
    return uint64_t{LinesPerFrame} * static_cast<uint64_t>(LineCycles());
}

size_t ImageLength() {
    const uint64_t file = LoadedFileSize();
    const size_t image = RomImageLength();
    return file > 0 && file < image ? static_cast<size_t>(file) : image;
}

// Where the instruction at `pc` sits in the cartridge image, or -1 outside the file's bytes.
int64_t ImageOffset(uint16_t pc) {
    const int64_t offset = ImageOffsetAt(pc);
    return offset < static_cast<int64_t>(ImageLength()) ? offset : -1;
}

constexpr uint32_t CallOpcode = 0xCD;
constexpr uint32_t CallLength = 3;
bool IsConditionalCall(uint32_t op) {
    return (op & 0xC7) == 0xC4;  // call cc,nn
}
bool IsRestart(uint32_t op) {
    return (op & 0xC7) == 0xC7;  // rst n
}

void Count(uint16_t pc, uint32_t cycles) {
    if (profiler.profile) {
        profiler.cycles[pc] += cycles;
        ++profiler.runs[pc];
        profiler.windowCycles[pc] += cycles;
        if (profiler.afterCall && pc != profiler.fallThrough) {
            ++profiler.calls[pc];
            ++profiler.windowCalls[pc];
        }
        const uint32_t op = PeekConsole(pc);
        const bool call = op == CallOpcode || IsConditionalCall(op);
        profiler.afterCall = call || IsRestart(op);
        profiler.fallThrough = static_cast<uint16_t>(pc + (call ? CallLength : 1));
    }
    if (profiler.coverage) {
        const int64_t offset = ImageOffset(pc);
        if (offset >= 0) profiler.ran[offset] = 1;
    }
}

// Keeps the MaxTop rows with the most cycles, most first.
void Offer(const char* name, uint16_t address, uint64_t cycles, uint64_t calls,
           double frameCycles) {
    if (cycles == 0) return;
    uint32_t at = profiler.topCount;
    while (at > 0 && profiler.top[at - 1].cycles < cycles) --at;
    if (at >= MaxTop) return;
    const uint32_t end = std::min(profiler.topCount + 1, MaxTop);
    for (uint32_t i = end - 1; i > at; --i) profiler.top[i] = profiler.top[i - 1];
    ProfileTop& row = profiler.top[at];
    std::snprintf(row.name, sizeof row.name, "%s", name);
    row.address = address;
    row.cycles = cycles;
    row.share = frameCycles > 0 ? static_cast<double>(cycles) / frameCycles : 0;
    row.calls = calls;
    profiler.topCount = end;
}

// The rows of a table of counts: each symbol's cycles and calls, then what no symbol covers;
// without symbols, each address that ran, named by the caller (name is null then).
template <typename Count, typename Visit>
uint64_t ForEachRow(const Count* cycles, const Count* calls, Visit visit) {
    uint64_t total = 0;
    for (uint32_t a = 0; a < AddressCount; ++a) total += cycles[a];
    if (LabelCount() > 0) {
        uint64_t named = 0;
        for (uint32_t i = 0; i < LabelCount(); ++i) {
            const SymbolSpan span = LabelSpan(i);
            if (span.name == nullptr) continue;
            uint64_t sum = 0;
            for (uint32_t a = span.first; a <= span.last; ++a) sum += cycles[a];
            named += sum;
            visit(span.name, span.first, sum, uint64_t{calls[span.first]});
        }
        visit(NoSymbol, uint16_t{0}, total - named, uint64_t{0});
    } else {
        for (uint32_t a = 0; a < AddressCount; ++a) {
            if (cycles[a] != 0) {
                visit(nullptr, static_cast<uint16_t>(a), uint64_t{cycles[a]}, uint64_t{calls[a]});
            }
        }
    }
    return total;
}

// Names come from files we don't control: keep a comma or quote from breaking the row.
std::string CsvField(const std::string& name) {
    if (name.find_first_of(",\"") == std::string::npos) return name;
    std::string quoted = "\"";
    for (char c : name) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

// How often a C line ran: the most runs of any of its stretches' first instructions (a `for`
// line's test and increment are stretches of their own).
uint64_t LineRuns(const std::string& file, uint32_t line) {
    uint32_t actual = 0;
    std::vector<uint16_t> addresses;
    if (!SourceLineAddresses(file, line, actual, addresses) || actual != line) return 0;
    uint64_t most = 0;
    for (const uint16_t address : addresses) most = std::max(most, profiler.runs[address]);
    return most;
}

void CloseWindow() {
    profiler.topCount = 0;
    const double frameCycles = static_cast<double>(profiler.windowFrames * CyclesPerFrame());
    const uint64_t total =
        ForEachRow(profiler.windowCycles, profiler.windowCalls,
                   [&](const char* name, uint16_t address, uint64_t cycles, uint64_t calls) {
                       char hex[8];
                       std::snprintf(hex, sizeof hex, "0x%04x", address);
                       Offer(name != nullptr ? name : hex, address, cycles, calls, frameCycles);
                   });
    profiler.busy = frameCycles > 0 ? static_cast<double>(total) / frameCycles : 0;
    std::memset(profiler.windowCycles, 0, sizeof profiler.windowCycles);
    std::memset(profiler.windowCalls, 0, sizeof profiler.windowCalls);
    profiler.windowFrames = 0;
}

}  // namespace

void ProfilerStart(bool profile, bool coverage) {
    std::memset(profiler.cycles, 0, sizeof profiler.cycles);
    std::memset(profiler.runs, 0, sizeof profiler.runs);
    std::memset(profiler.calls, 0, sizeof profiler.calls);
    std::memset(profiler.windowCycles, 0, sizeof profiler.windowCycles);
    std::memset(profiler.windowCalls, 0, sizeof profiler.windowCalls);
    profiler.afterCall = false;
    std::memset(profiler.ran, 0, sizeof profiler.ran);
    profiler.frames = 0;
    profiler.windowFrames = 0;
    profiler.topCount = 0;
    profiler.busy = 0;
    profiler.profile = profile;
    profiler.coverage = coverage;
    profiler.running = profile || coverage;
    DebuggerSetCycleHook(profiler.running ? Count : nullptr);
}

void ProfilerStop() {
    profiler.running = false;
    DebuggerSetCycleHook(nullptr);
}

void ProfilerRestart() {
    if (profiler.running) ProfilerStart(profiler.profile, profiler.coverage);
}

bool ProfilerRunning() {
    return profiler.running;
}

void ProfilerFrameEnded() {
    if (!profiler.running) return;
    ++profiler.frames;
    if (++profiler.windowFrames == FramesPerProfileWindow) CloseWindow();
}

uint32_t ProfilerTopOfLastSecond(ProfileTop* rows, uint32_t capacity) {
    const uint32_t count = std::min(capacity, profiler.topCount);
    std::copy(profiler.top, profiler.top + count, rows);
    return count;
}

double ProfilerBusyShareOfLastSecond() {
    return profiler.busy;
}

bool WriteProfileCsv(std::FILE* file) {
    struct Row {
        std::string name;
        uint16_t address;
        uint64_t cycles;
        uint64_t calls;
    };
    std::vector<Row> rows;
    const uint64_t total =
        ForEachRow(profiler.cycles, profiler.calls,
                   [&](const char* name, uint16_t address, uint64_t cycles, uint64_t calls) {
                       rows.push_back({name != nullptr ? name : "", address, cycles, calls});
                   });
    std::stable_sort(rows.begin(), rows.end(),
                     [](const Row& a, const Row& b) { return a.cycles > b.cycles; });
    // With C lines known, each symbol's C place follows (the line of a function's entry).
    const bool source = CdbLoaded();
    std::fprintf(file, "symbol,address,cycles,percent,cycles_per_frame,calls%s\n",
                 source ? ",source" : "");
    const double frames = profiler.frames > 0 ? static_cast<double>(profiler.frames) : 1.0;
    for (const Row& row : rows) {
        char place[SourcePlaceTextSize] = "";
        if (source && row.name != NoSymbol) FormatSourcePlace(row.address, place, sizeof place);
        std::fprintf(
            file, "%s,0x%04x,%" PRIu64 ",%.2f,%.1f,%" PRIu64 "%s%s\n", CsvField(row.name).c_str(),
            row.address, row.cycles,
            total > 0 ? 100.0 * static_cast<double>(row.cycles) / static_cast<double>(total) : 0.0,
            static_cast<double>(row.cycles) / frames, row.calls, source ? "," : "",
            CsvField(place).c_str());
    }
    return std::ferror(file) == 0;
}

bool WriteCoverage(std::FILE* file) {
    const size_t length = ImageLength();
    const uint8_t* image = RomImage();
    std::vector<uint8_t> covered(length, 0);
    for (size_t offset = 0; offset < length && image != nullptr; ++offset) {
        if (profiler.ran[offset] == 0) continue;
        char text[z80::DisassemblyTextSize];
        const uint32_t size =
            z80::Disassemble(image + offset, static_cast<uint32_t>(length - offset),
                             static_cast<uint16_t>(offset), text, sizeof text);
        for (uint32_t i = 0; i < std::max(size, 1u) && offset + i < length; ++i) {
            covered[offset + i] = 1;
        }
    }
    const size_t ran = static_cast<size_t>(std::count(covered.begin(), covered.end(), 1));
    std::fprintf(file, "coverage: %zu of %zu bytes of the cartridge ran as instructions (%.1f%%)\n",
                 ran, length,
                 length > 0 ? 100.0 * static_cast<double>(ran) / static_cast<double>(length) : 0.0);
    if (LabelCount() > 0) {
        std::fprintf(file, "\n%-32s %10s %10s\n", "symbol", "executed", "bytes");
        for (uint32_t i = 0; i < LabelCount(); ++i) {
            const SymbolSpan span = LabelSpan(i);
            if (span.name == nullptr || span.first >= length) continue;
            const size_t last = std::min<size_t>(span.last, length - 1);
            const size_t executed = static_cast<size_t>(
                std::count(covered.begin() + span.first,
                           covered.begin() + static_cast<std::ptrdiff_t>(last) + 1, 1));
            std::fprintf(file, "%-32s %10zu %10zu\n", span.name, executed, last - span.first + 1);
        }
    }
    std::fprintf(file, "\nnever run:\n");
    for (size_t start = 0; start < length;) {
        if (covered[start] != 0) {
            ++start;
            continue;
        }
        size_t end = start;
        while (end + 1 < length && covered[end + 1] == 0) ++end;
        char name[SymbolTextSize] = "";
        if (start <= 0xFFFF) FormatSymbol(static_cast<uint16_t>(start), name, sizeof name);
        std::fprintf(file, "0x%04zx-0x%04zx %6zu bytes%s%s\n", start, end, end - start + 1,
                     name[0] != '\0' ? "  " : "", name);
        start = end + 1;
    }
    return std::ferror(file) == 0;
}

}  // namespace plexaro

namespace plexaro {

bool WriteProfileLinesCsv(std::FILE* file) {
    struct Row {
        std::string file;
        uint32_t line;
        std::string function;
        uint64_t cycles;
        uint64_t runs;
    };
    std::map<std::pair<std::string, uint32_t>, Row> byLine;
    uint64_t total = 0;
    uint64_t placed = 0;
    for (uint32_t address = 0; address < AddressCount; ++address) {
        const uint64_t cycles = profiler.cycles[address];
        total += cycles;
        SourcePlace place{};
        if (cycles == 0 || !SourcePlaceAt(static_cast<uint16_t>(address), place)) continue;
        Row& row = byLine[{place.file, place.line}];
        if (row.file.empty()) {
            row = {place.file, place.line, place.function != nullptr ? place.function : "", 0,
                   LineRuns(place.file, place.line)};
        }
        row.cycles += cycles;
        placed += cycles;
    }
    std::vector<Row> rows;
    for (auto& [key, row] : byLine) rows.push_back(std::move(row));
    rows.push_back({"(no C line)", 0, "", total - placed, 0});
    std::stable_sort(rows.begin(), rows.end(),
                     [](const Row& a, const Row& b) { return a.cycles > b.cycles; });
    std::fprintf(file, "file,line,function,cycles,percent,cycles_per_frame,runs\n");
    const double frames = profiler.frames > 0 ? static_cast<double>(profiler.frames) : 1.0;
    for (const Row& row : rows) {
        if (row.cycles == 0) continue;
        std::fprintf(
            file, "%s,%u,%s,%" PRIu64 ",%.2f,%.1f,%" PRIu64 "\n", CsvField(row.file).c_str(),
            static_cast<unsigned>(row.line), CsvField(row.function).c_str(), row.cycles,
            total > 0 ? 100.0 * static_cast<double>(row.cycles) / static_cast<double>(total) : 0.0,
            static_cast<double>(row.cycles) / frames, row.runs);
    }
    return std::ferror(file) == 0;
}

bool WriteLcov(std::FILE* file) {
    for (const std::string& source : SourceFiles()) {
        std::fprintf(file, "TN:\nSF:%s\n", SourcePath(source).c_str());
        uint32_t functions = 0;
        uint32_t functionsHit = 0;
        for (uint32_t index = 0; index < CFunctionCount(); ++index) {
            const CFunction& function = CFunctionAt(index);
            if (function.file != source) continue;
            std::fprintf(file, "FN:%u,%s\n", static_cast<unsigned>(function.line),
                         function.name.c_str());
        }
        for (uint32_t index = 0; index < CFunctionCount(); ++index) {
            const CFunction& function = CFunctionAt(index);
            if (function.file != source) continue;
            const uint64_t entered = profiler.calls[function.entry];
            std::fprintf(file, "FNDA:%" PRIu64 ",%s\n", entered, function.name.c_str());
            ++functions;
            functionsHit += entered > 0;
        }
        std::fprintf(file, "FNF:%u\nFNH:%u\n", functions, functionsHit);
        uint32_t lines = 0;
        uint32_t linesHit = 0;
        for (const uint32_t line : SourceLinesWithCode(source)) {
            const uint64_t runs = LineRuns(source, line);
            std::fprintf(file, "DA:%u,%" PRIu64 "\n", static_cast<unsigned>(line), runs);
            ++lines;
            linesHit += runs > 0;
        }
        std::fprintf(file, "LF:%u\nLH:%u\nend_of_record\n", lines, linesHit);
    }
    return std::ferror(file) == 0;
}

}  // namespace plexaro
