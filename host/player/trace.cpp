// The instruction trace: formats one line per instruction from the debugger's hook into a
// fixed buffer and hands it to a fully buffered file, so no line allocates.
#include "host/player/trace.h"

#include <cinttypes>
#include <cstdio>

#include "cpu/disassemble.h"
#include "cpu/z80.h"
#include "machine/board.h"
#include "machine/machine.h"

namespace plexaro {
namespace {

constexpr size_t WriteBufferSize = size_t{1} << 20;  // few, large writes
constexpr uint32_t MaxInstructionBytes = 4;

struct TraceState {
    std::FILE* file;
    uint64_t firstFrame;  // the frame the run started at: a loaded state's, or 0
};

TraceState trace = {};

void WriteLine(const DebugPosition& position) {
    DebugPosition counted = position;
    counted.frame += trace.firstFrame;
    char line[TraceLineSize];
    const size_t length = FormatTraceLine(counted, line, sizeof line);
    std::fwrite(line, 1, length, trace.file);
}

}  // namespace

bool TraceOpen(const char* path, uint64_t firstFrame) {
    trace.firstFrame = firstFrame;
    trace.file = std::fopen(path, "wb");
    if (trace.file == nullptr) return false;
    std::setvbuf(trace.file, nullptr, _IOFBF, WriteBufferSize);
    DebuggerSetTraceHook(WriteLine);
    return true;
}

bool TraceClose() {
    DebuggerSetTraceHook(nullptr);
    if (trace.file == nullptr) return true;
    const bool written = std::ferror(trace.file) == 0;
    const bool closed = std::fclose(trace.file) == 0;
    trace.file = nullptr;
    return written && closed;
}

size_t FormatTraceLine(const DebugPosition& position, char* line, size_t size) {
    const uint32_t pc = z80::GetRegister(z80::RegPC);
    uint8_t bytes[MaxInstructionBytes];
    for (uint32_t i = 0; i < MaxInstructionBytes; ++i) {
        bytes[i] = PeekConsole(pc + i);  // what the fetch sees, through the board's pages
    }
    char text[z80::DisassemblyTextSize];
    const uint32_t length =
        z80::Disassemble(bytes, MaxInstructionBytes, static_cast<uint16_t>(pc), text, sizeof text);
    char hex[3 * MaxInstructionBytes] = "";
    size_t at = 0;
    for (uint32_t i = 0; i < length; ++i) {
        at += static_cast<size_t>(
            std::snprintf(hex + at, sizeof hex - at, i == 0 ? "%02x" : " %02x", bytes[i]));
    }
    const int written = std::snprintf(
        line, size,
        "%06" PRIu64 " %03" PRIu32 " %03" PRIu32 " %04" PRIx32 " %-11s  %-26s  AF=%04" PRIx32
        " BC=%04" PRIx32 " DE=%04" PRIx32 " HL=%04" PRIx32 " IX=%04" PRIx32 " IY=%04" PRIx32
        " SP=%04" PRIx32 "\n",
        position.frame, position.line, position.cycle, pc, hex, text, z80::GetRegister(z80::RegAF),
        z80::GetRegister(z80::RegBC), z80::GetRegister(z80::RegDE), z80::GetRegister(z80::RegHL),
        z80::GetRegister(z80::RegIX), z80::GetRegister(z80::RegIY), z80::GetRegister(z80::RegSP));
    if (written < 0) return 0;
    return static_cast<size_t>(written) < size ? static_cast<size_t>(written) : size - 1;
}

}  // namespace plexaro
