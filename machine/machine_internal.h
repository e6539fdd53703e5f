// Private to machine/: the wiring between the machine's own parts (the lifecycle, the bus,
// the save states and the debugger's stepped frames). Hosts go through machine.h instead.
#pragma once

#include <cstddef>
#include <cstdint>

#include "machine/machine.h"

namespace plexaro {

const char* ObtainConsoleMemory();  // a fresh block mapped onto the core, handlers installed
void FillConsoleMemory(const uint8_t* image);  // zeros, then the image (if any) at 0
void ReleaseConsoleMemory();
void ResetJoypad();
void RestoreJoypad(const uint8_t* ports);  // both port bytes, as JoypadPorts gives them
// What follows the CPU's share of a line in RunFrame: the line drawn, or the frame interrupt
// requested. The debugger's stepped frames call it too, so they match RunFrame exactly.
void FinishLine(uint32_t line);

void ClearRomImage();
uint64_t RomImageGeneration();  // changes whenever the image does: lets others cache on it
// Reads `length` bytes from the start of the file into buffer + offset in one block;
// 0 on success, 1 if the file can't be opened or the whole block can't be read (a block
// of length 0 counts as not read).
int ReadImageFile(const char* path, uint8_t* buffer, size_t offset, size_t length);

}  // namespace plexaro
