// The profiler and coverage: the debugger's cycle hook counts the cycles and runs of every
// instruction address, summed per symbol when symbols are loaded; coverage marks which bytes
// of the cartridge image ran as instructions. Both are off until started, and while both are
// off frames run the plain fast path.
//
//     ProfilerStart(true, false);           // profile, no coverage
//     each frame: DebuggerRunFrame(); ProfilerFrameEnded();
//     ProfileTop rows[10]; ProfilerTopOfLastSecond(rows, 10);   // the Profiler window
//     WriteProfileCsv(file); ProfilerStop();
#pragma once

#include <cstdint>
#include <cstdio>

namespace plexaro {

// Starts counting from zero; either may be off. Installs the debugger's cycle hook.
void ProfilerStart(bool profile, bool coverage);
void ProfilerStop();  // removes the hook; the counts stay for the writers
// Counting from zero again, as it runs, at a new program (a reload): nothing when stopped.
void ProfilerRestart();
bool ProfilerRunning();
// After each frame: every FramesPerProfileWindow frames the last second's top list is made.
inline constexpr uint32_t FramesPerProfileWindow = 60;
void ProfilerFrameEnded();

struct ProfileTop {
    char name[48];  // the symbol, or "0x1a2f" without symbols, "(no symbol)" for the rest
    uint16_t address;
    uint64_t cycles;  // in the last second
    double share;     // of the cycles of the second's frames, 0 to 1
    uint64_t calls;   // CALLs and RSTs that entered it at its first instruction
};
// The last completed second, most cycles first; returns how many rows it wrote.
uint32_t ProfilerTopOfLastSecond(ProfileTop* rows, uint32_t capacity);
// The share of the last second's frame cycles that instructions took; the rest the CPU spent
// halted (waiting for the frame interrupt).
double ProfilerBusyShareOfLastSecond();

// The whole run. CSV: "symbol,address,cycles,percent,cycles_per_frame,calls", one row per
// symbol (and "(no symbol)") when symbols are loaded, else one row per instruction address;
// most cycles first. False when the file could not be written.
bool WriteProfileCsv(std::FILE* file);
// Coverage: a summary line, one line per symbol with executed and total bytes, then the
// ranges of the image that never ran.
bool WriteCoverage(std::FILE* file);

// With SDCC's .cdb read (cdb.h), per C line. CSV: "file,line,function,cycles,percent,
// cycles_per_frame,runs" (runs: of the line's first instruction), most cycles first, and a
// "(no C line)" row for the rest. Needs the profile on.
bool WriteProfileLinesCsv(std::FILE* file);
// An lcov tracefile (TN, SF, FN, FNDA, FNF, FNH, DA, LF, LH, end_of_record per source file):
// each C line with code and how often it ran, each function and how often it was entered.
// SF is where SourcePath (cdb.h) finds the file. Needs the profile on.
bool WriteLcov(std::FILE* file);

}  // namespace plexaro
