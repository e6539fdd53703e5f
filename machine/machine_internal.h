// Private to machine/: the wiring between the machine's own parts (the lifecycle, the bus,
// the save states and the debugger's stepped frames). Hosts go through machine.h instead.
#pragma once

#include <cstddef>
#include <cstdint>

#include "machine/board.h"
#include "machine/machine.h"

namespace plexaro {

const char* ObtainConsoleMemory();  // a fresh block mapped onto the core, handlers installed
// The board's power-on map: the selected board and behaviour, the image's ROM, the RAM's
// power-on bytes. A null image gives a blank, zeroed flat map.
void FillConsoleMemory(const uint8_t* image);
void ReleaseConsoleMemory();
void RestoreJoypad(const uint8_t* ports);  // both port bytes, as JoypadPorts gives them
// What follows the CPU's share of a line in RunFrame: the line drawn, or the frame interrupt
// requested. The debugger's stepped frames call it too, so they match RunFrame exactly.
// The last line's also ends the frame's sound.
void FinishLine(uint32_t line);

// The board module's side of the bus: BuildBoard lays out a fresh power-on map for the
// selected board (or the one the image's size calls for) and the selected behaviour's RAM;
// RestoreBoard puts back a saved one over the RAM a state has already restored.
struct BoardRecord {
    uint32_t kind;
    bool ram1k;
    uint8_t control;
    uint8_t registers[3];
};
void BuildBoard(uint8_t* memory, const uint8_t* image, size_t length, uint64_t fileSize,
                bool hardware);
void RestoreBoard(uint8_t* memory, const uint8_t* image, size_t length, uint64_t fileSize,
                  const BoardRecord& record);
BoardRecord SaveBoard();
void RestoreBoardState(const BoardRecord& record);  // onto the console memory block
// For the checks, which stand in for the page tables while they watch: what a CPU data write
// does at an address (registers included), the index in the console memory block of the RAM
// byte an address reaches (-1 where the CPU sees ROM), and the page tables laid again.
void BoardWrite(uint32_t address, uint32_t value);
int32_t ConsoleRamIndex(uint32_t address);
void RebuildBoardMap();

// The checks (checks.cpp), told by the board whenever it has rewritten the page tables, and
// when the RAM starts afresh: at power-on and reset, or from a save state (restored).
void ChecksMapChanged();
void ChecksRamStarted(bool restored);
// And by the debugger's stepped frames, while they are on: before each instruction (its
// line and the cycles spent in the line so far), and as each line ends, before it is drawn,
// with the cycles that passed in it.
void ChecksBeforeInstruction(uint32_t pc, uint32_t line, uint32_t cycle);
void ChecksLineEnding(uint32_t line, uint32_t cycles);

// The frame's sound (sound_frame.cpp). RunFrame and the debugger's stepped frames say at
// which cycle of the frame each Run or Step begins, so that a write to the sound chip during
// it finds its cycle: the line's start plus the cycles the CPU has run of it.
void StartSoundFrames();  // at InitMachine: a fresh count of samples, nothing made
void ClearSoundFrame();   // at reset and free: both sample buffers zero, nothing made
void SetSoundClock(uint32_t lineStart);  // these three live in frame.cpp, beside the loop
void StopSoundClock();
bool RunningLineStart(uint32_t* lineStart);  // false between lines
void SoundChipWrite(uint8_t byte);           // what the CPU writes to the sound chip's port
void EndSoundFrame();
uint32_t SoundFraction();  // for save states: where the next frame starts within a sample
void RestoreSoundFraction(uint32_t fraction);
// The hardware behaviour's output coupling: the capacitor's level, 15 fraction bits, 0 to
// MostCouplingLevel (0 at power-on).
inline constexpr int32_t MostCouplingLevel = 32767 << 15;
int32_t CouplingLevel();
void RestoreCouplingLevel(int32_t level);
// For the in-memory snapshot: the sound frames' bookkeeping and samples, kept whole and put
// back, so that a frame handed out before the snapshot is still there after it.
void KeepSoundFrames();
void PutBackSoundFrames();

// The cassette recorder's part of the in-memory snapshot (its tape stays as inserted).
void KeepCassette();
void PutBackCassette();

// The SC-3000's PPI and the machine choice (ppi.cpp). CartridgeChanged at every load and free
// (auto forgets what the old image did); PowerOnPpi at every power-on, before the board is
// built, decides the machine; the frame's start and end keep RESET's edge and the cycle count.
void CartridgeChanged(bool present);
void PowerOnPpi(bool image);
bool PpiDecodes();  // the PPI answers ports 0xC0-0xFF instead of the SG-1000's joypad ports
uint32_t PpiRead(uint32_t port);
void PpiWrite(uint32_t port, uint32_t value);  // any write to 0xC0-0xFF, whichever machine runs
void PpiFrameStarted();
void PpiFrameEnded(uint32_t frameCycles);
struct PpiRecord {
    uint32_t machine;
    bool autoWatch;
    bool scanned;
    uint8_t latch[3];
    uint8_t control;
    bool resetHeld;
    uint64_t frameBase;
};
PpiRecord SavePpi();
void RestorePpi(const PpiRecord& record);

void ClearRomImage();
uint64_t ImageFileSize();       // the size of the file the image came from, capped; 0 when none
uint64_t RomImageGeneration();  // changes whenever the image does: lets others cache on it
// Reads `length` bytes from the start of the file into buffer in one block; 0 on success, 1 if
// the file can't be opened or the whole block can't be read (a block of length 0 counts as not
// read).
int ReadImageFile(const char* path, uint8_t* buffer, size_t length);

}  // namespace plexaro
