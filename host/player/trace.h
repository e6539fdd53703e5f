// The headless player's instruction trace (--trace FILE): one line per instruction, written
// before the instruction runs, so that the traces of two runs can be compared with diff.
//
//     frame  line cycle PC   bytes        instruction                AF   BC   DE ...
//     000000 000 000 0000 31 00 c4     ld sp, #0xc400             AF=0040 BC=0000 DE=0000
//         HL=0000 IX=ffff IY=ffff SP=0000                          (all on one line)
//
// Frame, line (0-261) and the cycles spent in the line are decimal; the rest is hex. With
// symbols loaded, a label+offset column follows PC and the instruction names its addresses;
// with SDCC's debug file (.cdb) read, a C `file:line` column follows that.
// While a trace is open, frames run stepped through the debugger (DebuggerRunFrame).
//
// The history (for --break) keeps the last instructions' positions without a file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "machine/debugger.h"

namespace plexaro {

inline constexpr size_t TraceLineSize = 256;  // room for one line and its terminating zero

// Creates the file and installs the debugger's hook; false if the file can't be created.
// Frames are numbered on from firstFrame (a run started from a state counts on from it).
bool TraceOpen(const char* path, uint64_t firstFrame);
// Removes the hook and closes the file; false if some of the trace couldn't be written.
bool TraceClose();
// Keeps the last TraceHistorySize instructions from now on (installing the hook if no trace
// is open), or stops keeping them.
inline constexpr uint32_t TraceHistorySize = 16;
void TraceKeepHistory(bool keep, uint64_t firstFrame);
// The kept instructions, oldest first, one line each: frame, line, cycle, PC, label, bytes
// and text as the trace writes them (without registers: those are the ones of now).
void WriteTraceHistory(std::FILE* file);
// The line for the instruction at PC, with the registers as they are now, ending in '\n'.
// Returns its length.
size_t FormatTraceLine(const DebugPosition& position, char* line, size_t size);

}  // namespace plexaro
