// The C source files a program was built from, read for the CPU window's source view. A name
// as the debug records give it ("game.c", or a path) is looked for in the folders of the
// symbol files loaded, the cartridge's folder and any folder added by hand, in that order;
// each file is read once and kept until the folders change.
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
void SourcesForget();                              // no folder, no file read
// The file's lines, or null when no folder holds it.
const SourceText* SourceFile(std::string_view name);

}  // namespace plexaro
