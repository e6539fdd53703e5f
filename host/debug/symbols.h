// The program's own names for addresses: labels read from the files an assembler or SDCC's
// linker writes, so that the debugger, the trace and the profiler can say `_draw_level+3`
// where they would say 0x1a2f, and a breakpoint can be typed as a name.
//
// Files understood, line by line, whatever their extension:
// - SDCC's linker: the .noi file ("DEF _main 0xDDD") and the .map file (its value/name
//   lines; its area lengths l__* and starts s__* are bookkeeping and not taken). With
//   `sdcc --debug` they also hold debug names: "G$total$0_0$0" is taken as `_total`, a
//   function's static "Lgame.main$n$1_0$2" as `main.n`, and line records (A$, C$, XG$) are
//   no labels;
// - SDCC's debug file (.cdb, by `sdcc --debug`): read into the C debug table (cdb.h), and its
//   functions and variables taken as labels under their C names;
// - sdasz80's symbol table (.sym, written by -s; wide with -w, or three symbols a line):
//   labels of absolute areas, and equates of 0x0100 and above (RAM variables); labels of
//   relocatable areas need the linker's files;
// - plain listings: "ADDRESS LABEL" (hex, "$1234", "0x1234", "1234h", "BANK:ADDRESS") and
//   "LABEL = ADDRESS" / "LABEL EQU ADDRESS" (with $, 0x, # or h for hex, else decimal).
// Blank and comment lines are ignored; other lines are skipped and counted.
//
//     const SymbolLoadReport report = LoadSymbolFile("game.noi");
//     std::puts(DescribeSymbolLoad("game.noi", report).c_str());
//     uint16_t offset = 0;
//     if (const char* name = SymbolFor(pc, offset)) ...       // "_main", offset 3
//     char text[SymbolTextSize];
//     FormatSymbol(pc, text, sizeof text);                    // "_main+3", or "" for none
//
// Lookups never allocate: they are made for every traced instruction.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace plexaro {

struct SymbolLoadReport {
    bool readable;             // false: the file could not be read (nothing else is set)
    uint32_t added;            // symbols the file gives (one the table knew already is kept once)
    uint32_t skipped;          // lines not understood, or naming no 16-bit address
    uint32_t sourceLines = 0;  // C line records (SDCC's .cdb)
};

// Adds a file's symbols to the table. Files are read whole; a file over 16 MB is not read.
SymbolLoadReport LoadSymbolFile(const std::string& path);
SymbolLoadReport LoadSymbolText(std::string_view text);
// One line for the user: "game.noi: 42 symbols", "... (3 lines not understood)", or
// "game.noi: no symbols found (...)", "game.noi: can't read the file".
std::string DescribeSymbolLoad(const std::string& path, const SymbolLoadReport& report);
// The files beside a cartridge with its base name that exist: game.sg -> game.noi,
// game.map, game.sym, game.cdb (any of them, in that order).
std::vector<std::string> SymbolFilesBeside(const std::string& cartridgePath);
void ClearSymbols();  // and the C debug table
uint32_t SymbolCount();

// The label at or before `address` (within 512 bytes, never across 0x8000 or 0xC000), or an
// equate exactly at it; null when none. `offset` is how far the address lies past it.
const char* SymbolFor(uint16_t address, uint16_t& offset);
// "name" or "name+offset" (decimal offset), cut to fit; "" when no symbol names it.
// Returns the length written.
inline constexpr size_t SymbolTextSize = 48;
size_t FormatSymbol(uint16_t address, char* text, size_t size);
// The first address above the program's variables: the end of the highest linker area in
// RAM (s__DATA + l__DATA and the like), else past the highest label in RAM (equates are
// not taken); 0 when the symbols place nothing in RAM.
uint16_t ProgramDataEnd();
// A symbol's address by its exact name, or with SDCC's leading underscore left off.
bool SymbolAddress(std::string_view name, uint16_t& address);
// What a user types for an address: a symbol ("main", "loop+3", "tbl-1") or a number
// ("0x1a2f", "$1a2f", "1a2fh", "1a2f": hex). A name that is a symbol wins over hex digits.
bool ParseAddress(std::string_view text, uint16_t& address);
// A disassembled instruction with its addresses named: "call 0x1234" -> "call _draw",
// "jp nz, 0x0105" -> "jp nz, loop+3", "ld a, (0xc000)" -> "ld a, (_frame)". Immediates
// ("#0x1234") are named only by a symbol exactly at them. Returns the length written.
size_t SymbolizeInstruction(const char* text, char* out, size_t size);

// The labels in address order, for tables per function (the profiler, coverage): label i
// spans from its address to the next label's, 0x8000, 0xC000 or the end of memory, and
// 512 bytes at most, as far as SymbolFor names addresses after it.
// Of labels sharing an address only the first spans it; the others give a null name.
struct SymbolSpan {
    const char* name;
    uint16_t first;
    uint16_t last;  // inclusive
};
uint32_t LabelCount();
SymbolSpan LabelSpan(uint32_t index);

}  // namespace plexaro
