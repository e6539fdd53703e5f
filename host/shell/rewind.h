// Rewind: a ring of the console's recent states, one per frame, kept compactly so that a
// minute or more fits in a fixed budget, and stepped back through one frame at a time.
//
// Each frame is stored as what changed since the frame before (the state's 256-byte blocks
// that differ, XORed, LZ4-compressed); the newest state is kept whole. Stepping back undoes
// the newest difference and loads the state it gives. Memory is taken once, at start, and
// all of it, bookkeeping included, stays within the budget.
//
//     RewindStart(32 << 20);
//     each frame: RunFrame(); RewindRecord(frame);
//     while rewinding: if (RewindStepBack(&frame)) present the picture again;
#pragma once

#include <cstddef>
#include <cstdint>

namespace plexaro {

inline constexpr size_t RewindDefaultBudget = 32u << 20;

bool RewindStart(size_t budgetBytes);  // false when the memory can't be had
void RewindStop();                     // gives the memory back
bool RewindActive();
void RewindRecord(uint64_t frame);  // the machine's state now, after the frame
// Loads the state one recorded frame before the newest; false when none is left (or the
// machine refused it). The state loaded becomes the newest.
bool RewindStepBack(uint64_t* frame);
void RewindClear();        // forgets every state (a new cartridge, a reset)
uint32_t RewindFrames();   // steps back available
size_t RewindBytesUsed();  // compressed differences held

}  // namespace plexaro
