// The instruction trace: formats one line per instruction from the debugger's hook into a
// fixed buffer and hands it to a fully buffered file, so no line allocates.
#include "host/player/trace.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>

#include "cpu/disassemble.h"
#include "cpu/z80.h"
#include "host/debug/cdb.h"
#include "host/debug/symbols.h"
#include "host/os/os.h"
#include "machine/board.h"
#include "machine/machine.h"

namespace plexaro {
namespace {

constexpr size_t WriteBufferSize = size_t{1} << 20;  // few, large writes
constexpr uint32_t MaxInstructionBytes = 4;
constexpr size_t TraceTextSize = 64;  // an instruction with its addresses named

struct Kept {
    DebugPosition position;
    uint16_t pc;
};

struct TraceState {
    std::FILE* file;
    uint64_t firstFrame;  // the frame the run started at: a loaded state's, or 0
    bool keep;
    Kept history[TraceHistorySize];
    uint32_t kept;  // instructions seen while keeping; the next goes at kept % size
};

TraceState trace = {};

void Record(const DebugPosition& position) {
    DebugPosition counted = position;
    counted.frame += trace.firstFrame;
    if (trace.keep) {
        trace.history[trace.kept++ % TraceHistorySize] = {
            counted, static_cast<uint16_t>(z80::GetRegister(z80::RegPC))};
    }
    if (trace.file == nullptr) return;
    char line[TraceLineSize];
    const size_t length = FormatTraceLine(counted, line, sizeof line);
    std::fwrite(line, 1, length, trace.file);
}

// PC's bytes as the fetch sees them, disassembled (symbols named), and the bytes in hex.
uint32_t Decode(uint16_t pc, char* text, size_t textSize, char* hex, size_t hexSize) {
    uint8_t bytes[MaxInstructionBytes];
    for (uint32_t i = 0; i < MaxInstructionBytes; ++i) {
        bytes[i] = PeekConsole(pc + i);  // what the fetch sees, through the board's pages
    }
    char plain[z80::DisassemblyTextSize];
    const uint32_t length = z80::Disassemble(bytes, MaxInstructionBytes, pc, plain, sizeof plain);
    if (SymbolCount() > 0) {
        SymbolizeInstruction(plain, text, textSize);
    } else {
        std::snprintf(text, textSize, "%s", plain);
    }
    size_t at = 0;
    hex[0] = '\0';
    for (uint32_t i = 0; i < length; ++i) {
        at += static_cast<size_t>(
            std::snprintf(hex + at, hexSize - at, i == 0 ? "%02x" : " %02x", bytes[i]));
    }
    return length;
}

// The C line column, only with SDCC's debug file read: " game.c:40     ".
void SourceColumn(uint16_t pc, char* column, size_t size) {
    column[0] = '\0';
    if (!CdbLoaded()) return;
    char place[SourcePlaceTextSize];
    FormatSourcePlace(pc, place, sizeof place);
    std::snprintf(column, size, " %-14s", place);
}

}  // namespace

bool TraceOpen(const char* path, uint64_t firstFrame) {
    trace.firstFrame = firstFrame;
    trace.file = OpenFile(path, "wb");
    if (trace.file == nullptr) return false;
    std::setvbuf(trace.file, nullptr, _IOFBF, WriteBufferSize);
    DebuggerSetTraceHook(Record);
    return true;
}

void TraceKeepHistory(bool keep, uint64_t firstFrame) {
    trace.keep = keep;
    trace.kept = 0;
    if (trace.file == nullptr) trace.firstFrame = firstFrame;
    if (keep) {
        DebuggerSetTraceHook(Record);
    } else if (trace.file == nullptr) {
        DebuggerSetTraceHook(nullptr);
    }
}

void WriteTraceHistory(std::FILE* file) {
    const uint32_t count = std::min(trace.kept, TraceHistorySize);
    for (uint32_t i = trace.kept - count; i != trace.kept; ++i) {
        const Kept& kept = trace.history[i % TraceHistorySize];
        char text[TraceTextSize];
        char hex[3 * MaxInstructionBytes];
        Decode(kept.pc, text, sizeof text, hex, sizeof hex);
        char label[SymbolTextSize];
        FormatSymbol(kept.pc, label, sizeof label);
        char place[SourcePlaceTextSize + 1] = "";
        SourceColumn(kept.pc, place, sizeof place);
        std::fprintf(file, "%06" PRIu64 " %03" PRIu32 " %03" PRIu32 " %04x %-20s%s %-11s  %s\n",
                     kept.position.frame, kept.position.line, kept.position.cycle, kept.pc, label,
                     place, hex, text);
    }
}

bool TraceClose() {
    if (!trace.keep) DebuggerSetTraceHook(nullptr);
    if (trace.file == nullptr) return true;
    const bool written = std::ferror(trace.file) == 0;
    const bool closed = std::fclose(trace.file) == 0;
    trace.file = nullptr;
    return written && closed;
}

size_t FormatTraceLine(const DebugPosition& position, char* line, size_t size) {
    const uint32_t pc = z80::GetRegister(z80::RegPC);
    char text[TraceTextSize];
    char hex[3 * MaxInstructionBytes];
    Decode(static_cast<uint16_t>(pc), text, sizeof text, hex, sizeof hex);
    // The label column only with symbols: without, the trace stays as it always was.
    char label[SymbolTextSize + 1] = "";
    if (SymbolCount() > 0) {
        char name[SymbolTextSize];
        FormatSymbol(static_cast<uint16_t>(pc), name, sizeof name);
        std::snprintf(label, sizeof label, " %-20s", name);
    }
    char place[SourcePlaceTextSize + 1];
    SourceColumn(static_cast<uint16_t>(pc), place, sizeof place);
    const int written = std::snprintf(
        line, size,
        "%06" PRIu64 " %03" PRIu32 " %03" PRIu32 " %04" PRIx32 "%s%s %-11s  %-26s  AF=%04" PRIx32
        " BC=%04" PRIx32 " DE=%04" PRIx32 " HL=%04" PRIx32 " IX=%04" PRIx32 " IY=%04" PRIx32
        " SP=%04" PRIx32 "\n",
        position.frame, position.line, position.cycle, pc, label, place, hex, text,
        z80::GetRegister(z80::RegAF), z80::GetRegister(z80::RegBC), z80::GetRegister(z80::RegDE),
        z80::GetRegister(z80::RegHL), z80::GetRegister(z80::RegIX), z80::GetRegister(z80::RegIY),
        z80::GetRegister(z80::RegSP));
    if (written < 0) return 0;
    return static_cast<size_t>(written) < size ? static_cast<size_t>(written) : size - 1;
}

}  // namespace plexaro
