// What the C debug table's own files share about types: reading SDCC's type chains and its
// T: records into the type table that cdb.h's CTypeAt and CTypeName answer from.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace plexaro {

// Reads a type "({2}DG,STactor:S)" at the start of `text` into the table; `end` is just past
// its closing parenthesis. False when it is not one.
bool ParseCdbTypeAt(std::string_view text, uint32_t& type, size_t& end);
// A T: record's body: "Fgame$actor[({0}S:S$x$0_0$0({2}SI:S),Z,0,0)...]".
bool TakeCdbStructure(std::string_view record);
void ClearCdbTypes();
// Bounds every C function's code again by the labels known now (a library routine after the
// last C function has a label in the linker's files only): after each symbol file is read.
void RefreshCdbBounds();

}  // namespace plexaro
