// C source lines, functions, types and variables from SDCC's debug file (.cdb, written by
// `sdcc --debug` beside the .noi and .map), so that the debugger speaks C: `game.c:40` where
// it would say 0x00e7, the locals of the function the CPU is in with their C types, and
// values decoded from memory the way C declares them.
//
// The table is filled by the symbol loader (symbols.h): a .cdb beside the cartridge, named by
// --symbols, or by Debug > Load symbols is read there, and ClearSymbols empties this table
// too. The records taken:
// - M:module, and L:C$file$line$level_block$n:ADDR (a C line's first instruction);
// - F: functions, L:G$/F<module>$name$...:ADDR entries and L:XG$/XF<module>$...:ADDR the
//   start of their closing line's code;
// - S: symbols: globals (G$), file statics (F<module>$), and locals, parameters and function
//   statics (L<module>.function$); with their address space, IX offset or registers;
// - T: structure and union types with their fields.
// Addresses are CPU addresses (16 bits); a function's frame is SDCC's IX frame (push ix;
// ld ix,#0; add ix,sp), so a stack variable lives at IX + offset.
//
//     SourcePlace place;
//     if (SourcePlaceAt(pc, place)) printf("%s:%u in %s", place.file, place.line, place.function);
//     char text[SourcePlaceTextSize];
//     FormatSourcePlace(pc, text, sizeof text);        // "game.c:40", or "" for none
//     for (const CVariable* local : CLocalsAt(pc)) {
//         CLocation where;
//         if (LocateCVariable(*local, registers, read, where))
//             puts((local->name + " = " + FormatCValue(where, read)).c_str());
//     }
//
// Lookups by address never allocate: they are made for every traced instruction.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "host/debug/symbols.h"

namespace plexaro {

// --- loading --------------------------------------------------------------------------------

// True when the text is a .cdb (its first records are M:, F:, S:, T: or L:).
bool LooksLikeCdb(std::string_view text);
// Adds a .cdb's records. `added` counts functions and variables; `sourceLines` the C line
// records; `skipped` the records not understood. Called by LoadSymbolText.
SymbolLoadReport LoadCdbText(std::string_view text);
void ClearCdb();
bool CdbLoaded();  // any C line or function known

// --- lines ------------------------------------------------------------------------------------

struct SourcePlace {
    const char* file;      // as SDCC names it: "game.c"
    uint32_t line;         // 1-based
    const char* function;  // the C function containing the address, or null
};
// The C line whose code contains `address`: the last line record at or before it within the
// same function (or, outside any function, within 256 bytes and no other symbol between).
bool SourcePlaceAt(uint16_t address, SourcePlace& place);
// "game.c:40", cut to fit; "" when no line is known. Returns the length written.
inline constexpr size_t SourcePlaceTextSize = 64;
size_t FormatSourcePlace(uint16_t address, char* text, size_t size);

// The stretch of code of the line containing `address`: from its line record to the byte
// before the next line record (or the end of the function). False when no line is known.
struct AddressRange {
    uint16_t first;
    uint16_t last;  // inclusive
};
bool SourceLineRange(uint16_t address, AddressRange& range);

// The first addresses of `file:line` (a line may have several stretches of code: a `for`'s
// test and its increment). A line without code moves to the nearest following line with code
// in the same file; `actualLine` says which. The file matches by its name as SDCC gives it,
// or by the last part of a longer path ("src/game.c" finds "game.c"). False: no such line.
bool SourceLineAddresses(std::string_view file, uint32_t line, uint32_t& actualLine,
                         std::vector<uint16_t>& addresses);
// "game.c:42" -> file and line. False when the text is not FILE:LINE.
bool ParseSourceLine(std::string_view text, std::string& file, uint32_t& line);
// The C source files the table names, in the order first seen.
std::vector<std::string> SourceFiles();
// Every line with code in `file`, ascending, each once (for coverage and the source view).
std::vector<uint32_t> SourceLinesWithCode(std::string_view file);

// --- functions --------------------------------------------------------------------------------

struct CFunction {
    std::string name;    // "main"
    std::string module;  // "game": SDCC's module (the source file's base name)
    std::string file;    // "game.c", from its line records ("" when it has none)
    bool isStatic;       // F<module>$ rather than G$
    uint32_t type;       // its return type (CType index)
    uint16_t entry;      // first instruction
    uint16_t end;        // start of the closing line's code (XG$/XF$), or entry if none given
    uint16_t last;       // last byte of its code: before the next function or symbol of code
    uint32_t line;       // line of its entry (0 when none)
};
uint32_t CFunctionCount();
const CFunction& CFunctionAt(uint32_t index);            // in address order
const CFunction* CFunctionFor(uint16_t address);         // the one whose entry..last holds it
const CFunction* CFunctionNamed(std::string_view name);  // "main" or "_main"

// --- types ------------------------------------------------------------------------------------

enum class CTypeKind : uint8_t {
    Void,
    Char,
    Short,
    Int,
    Long,
    LongLong,
    Float,
    Bool,
    Bitfield,
    Pointer,
    Array,
    Struct,
    Union,
    Function,
    Unknown,
};
struct CField {
    std::string name;
    uint32_t offset;  // bytes from the start of the aggregate
    uint32_t type;
};
struct CType {
    CTypeKind kind;
    bool isUnsigned;
    uint32_t size;               // bytes, as SDCC gives them
    uint32_t count;              // array elements
    uint32_t target;             // pointee, element or return type (CType index)
    std::string tag;             // struct or union tag
    std::vector<CField> fields;  // struct and union members, in order
};
const CType& CTypeAt(uint32_t index);  // an unknown index gives an Unknown type of size 0
// As C writes it: "unsigned char", "struct actor *", "unsigned char [6]", "long".
std::string CTypeName(uint32_t index);

// --- variables --------------------------------------------------------------------------------

enum class CStorage : uint8_t {
    Memory,     // at `address`
    Stack,      // at IX + `offset` in its function's frame
    Registers,  // in `registers`, lowest byte first
    None,       // SDCC gives no place (optimised away)
};
// The Z80's 8-bit registers, as SDCC names them in a variable's register list.
enum class CRegister : uint8_t { A, F, B, C, D, E, H, L, IXL, IXH, IYL, IYH };
struct CVariable {
    std::string name;      // "total", "cells"
    std::string function;  // "" for globals and file statics
    std::string module;    // "game"
    uint32_t type;
    CStorage storage;
    bool isParameter;  // a parameter (block 0 of its function); else a local or global
    bool isStatic;     // a file static, or a function's static
    uint16_t address;  // Memory
    int16_t offset;    // Stack: from IX
    uint8_t registerCount;
    CRegister registers[8];
};
uint32_t CGlobalCount();  // globals, file statics and function statics, by name
const CVariable& CGlobalAt(uint32_t index);
const CVariable* CGlobalNamed(std::string_view name);
// The parameters (first) and locals of the function containing `pc`; empty outside C code.
std::vector<const CVariable*> CLocalsAt(uint16_t pc);

// --- values -----------------------------------------------------------------------------------

using MemoryReader = std::function<uint8_t(uint16_t address)>;
struct CRegisters {
    uint16_t af, bc, de, hl, ix, iy, sp, pc;
};
// The IX the function containing `pc` has (or will have once its prologue has run: at its
// first instructions IX is still the caller's). For stack variables and the C frame chain.
uint16_t CFrameBase(const CRegisters& registers, const MemoryReader& read);

// Where a value lives: memory at `address`, or bytes held in registers.
struct CLocation {
    uint32_t type;
    bool inMemory;
    uint16_t address;
    uint8_t registerCount;  // when not in memory
    CRegister registers[8];
    uint8_t held[8];  // the registers' bytes, lowest first
};
// False when SDCC gives the variable no place.
bool LocateCVariable(const CVariable& variable, const CRegisters& registers,
                     const MemoryReader& read, CLocation& where);
// The value as a debugger shows it: "42", "-3", "65 'A'", "0xc00b" (with " <_total>" when a
// symbol names it), "{x=100, dy=2, ...}", "[6] {1, 2, 3, ...}". Little-endian.
std::string FormatCValue(const CLocation& where, const MemoryReader& read);
// The members a tree view opens: array elements "[0]"..., struct fields, or a pointer's
// target "*name" (none for a null pointer or a pointer to void or a function).
struct CChild {
    std::string name;
    CLocation where;
};
std::vector<CChild> CChildren(const CLocation& where, const MemoryReader& read);
// The bytes (lowest first) of a new value for a scalar (integers in decimal, 0x hex, 'c'
// for chars; pointers as numbers). False with a reason for an aggregate or bad text.
bool EncodeCValue(uint32_t type, std::string_view text, std::vector<uint8_t>& bytes,
                  std::string& error);

}  // namespace plexaro
