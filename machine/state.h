// Save states: the whole console as bytes and back, for saving anywhere, rewinding and
// starting a scripted run from any point of a game.
//
// The bytes are pointer-free and little-endian, so a state outlives the process and the build
// that made it. A header: the magic word "PLXSTATE", the format version (32 bits), the state's
// whole size (32 bits), a hash of the cartridge image it was made from and the frame number
// (64 bits each). Then sections, one per part of the console: the Z80 ("CPU "), the writable
// console memory 0x8000-0xFFFF ("RAM ": the board's RAM lies there at its first address), the
// video chip ("VDP "), the sound chip ("PSG "), the joypad bytes ("JOYP"), the SC-3000's PPI,
// keys and cycle count ("PPI "), the cartridge board with its page registers and cartridge
// RAM ("BORD") and the cassette recorder: which tape, where it stands, playing or recording
// ("TAPE"). Each is a 4-byte tag, the length of its bytes (32 bits), its own version (32
// bits), then its bytes. Last, a CRC-32 of everything before it. States are made between
// frames.
//
// A loader takes the sections it knows in any order, passes over the ones it doesn't, and
// gives whatever a state lacks (a section left out, or the fields past the end of a shorter,
// older version of one) its power-on value. A known section in a newer version than the
// loader reads is refused. So a later build adds a part of the console as a new section (a
// new tag: older builds pass over it), and grows a section by adding fields at its end and
// raising its version (older builds refuse it; newer ones read the older, shorter version).
// Either is one row of the section table in state.cpp, with the functions that write the
// section, read it (power-on values for what is missing) and put it into the machine.
// Version 1 states, the fixed layout from before sections (the same sections' bytes, one
// after the other, without their headers), still load.
//
// For one build every state it writes has the same size and layout, so the RAM and the video
// memory always lie at the same offsets (see StateSpan).
//
//     std::vector<uint8_t> bytes(MachineStateSize());
//     SaveMachineState(frame, bytes.data());
//     ...
//     if (const char* error = LoadMachineState(bytes.data(), bytes.size(), &frame)) say(error);
#pragma once

#include <cstddef>
#include <cstdint>

namespace plexaro {

inline constexpr uint32_t MachineStateVersion = 2;  // the version this build writes

uint32_t MachineStateSize();  // the same for every state this build writes
// How long the state at `bytes` says it is (its header's whole size), for a caller that keeps
// bytes of its own after a state; 0 when `size` bytes don't begin with a state's header.
size_t StateLength(const uint8_t* bytes, size_t size);
uint64_t CartridgeHash();  // FNV-1a 64 of the loaded cartridge image
// The CartridgeHash of the image a state says it was made from, from its header alone: whose a
// state file is, without loading it. False when the bytes don't begin as a state.
bool StateCartridgeHash(const uint8_t* bytes, size_t size, uint64_t* hash);
// Writes MachineStateSize() bytes. The machine must be initialised.
void SaveMachineState(uint64_t frame, uint8_t* out);
// The same in two steps, for a caller that keeps many states a frame apart and checks only
// the ones it loads: the state without its checksum, and the checksum put in place.
void WriteMachineState(uint64_t frame, uint8_t* out);
void SealMachineState(uint8_t* state);
// The console's memory as it lies in a state: the RAM and the video memory, each with its
// place in the state and the running console's own bytes.
struct StateSpan {
    size_t offset;
    size_t size;
    const uint8_t* live;
    // Bit k clear: the span's bytes k * 256 to k * 256 + 255 are as they were at the last
    // WriteMachineStateAround. All set where that is not known.
    uint64_t changed;
};
inline constexpr uint32_t StateSpanCount = 2;
// WriteMachineState without the spans' bytes: they are left as they were in `out`, and
// `spans` says where they are and which parts changed since the last call. A caller that
// compares each state with the one before can read the 48 KB in place, and skip what is
// known to be the same, instead of having it all copied out first.
void WriteMachineStateAround(uint64_t frame, uint8_t* out, StateSpan* spans);
// All or nothing: everything is checked first, and on any problem the running machine is
// left exactly as it was and a one-line message comes back. Null on success, with the
// state's frame number in *frame (when frame is not null).
const char* LoadMachineState(const uint8_t* bytes, size_t size, uint64_t* frame);
uint32_t Crc32(const uint8_t* bytes, size_t count);

}  // namespace plexaro
