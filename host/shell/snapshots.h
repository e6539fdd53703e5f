// Saving and loading the console's state in four slots, screenshots, and stepping back
// through the rewind ring: what the State menu and its keys do. Files are written only when
// asked for, under the user's data and pictures folders (host/os/os.h names them).
//
//     SnapshotsStart();                          // the rewind ring's memory
//     after each frame: SnapshotsFrameEnded(frame);
//     F5: message = SaveSlot(cartridgePath, slot, frame);   // empty on success
//     held Backspace, each pass: if (RewindOneFrame(&frame)) present the picture again
#pragma once

#include <cstdint>
#include <string>

namespace plexaro {

inline constexpr uint32_t StateSlots = 4;

void SnapshotsStart();
void SnapshotsStop();
void SnapshotsFrameEnded(uint64_t frame);  // records the frame for rewinding
void SnapshotsForget();                    // a new cartridge or a reset: nothing to go back to

// $XDG_DATA_HOME/plexaro/states/ (else ~/.local/share/plexaro/states/; empty when the system
// names no data folder), and the file of a cartridge's slot (0-based) in it: the cartridge's
// file name for people, then the first 8 hex digits of its image's hash (CartridgeHash, as its
// states record it), so that two games of one name never share a slot ("game.sg-1a2b3c4d.1.state").
std::string StatesFolder();
std::string SlotPath(const std::string& cartridgePath, uint64_t cartridgeHash, uint32_t slot);
// Each returns what went wrong, or an empty string. The slot is the running cartridge's (the
// path gives its name). A slot file saved before slots were keyed ("game.sg.1.state") is
// taken over, under its keyed name, when the running cartridge is the one it was made from.
// A state loaded is a restart of the machine, whose consequences (the debugger's position,
// rewind, sound) are the caller's.
std::string SaveSlot(const std::string& cartridgePath, uint32_t slot, uint64_t frame);
std::string LoadSlot(const std::string& cartridgePath, uint32_t slot, uint64_t* frame);
// The user's pictures folder/plexaro-NNNN.png, the first number not taken; with no cartridge
// running (an empty path) there is nothing to capture, and no file is written.
std::string Screenshot(const std::string& cartridgePath, uint32_t rgbMode, std::string* written);

// One recorded frame back, with the picture of that moment drawn again; false when there
// is nothing further back. Like a loaded state, a restart for the caller to follow up.
bool RewindOneFrame(uint64_t* frame);

}  // namespace plexaro
