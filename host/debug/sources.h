// The C source files a program was built from, read for the CPU window's source view. A name
// as the debug records give it ("game.c", or a path) is looked for where the C debug table
// looks (SourcePath: beside the .cdb, then the folders added), else by its last part; each
// file is read once and kept until a folder is added or the symbols are loaded again.
//
//     SourcesAddFolder("build/game");               // where game.cdb was read
//     if (const SourceText* text = SourceFile("game.c")) show((*text)[line - 1]);
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace plexaro {

using SourceText = std::vector<std::string>;  // its lines, without their ends

void SourcesAddFolder(const std::string& folder);  // the folder itself, or a file's folder
void SourcesForget();                              // the files read: read them again
// The file's lines, or null when no folder holds it.
const SourceText* SourceFile(std::string_view name);

}  // namespace plexaro
