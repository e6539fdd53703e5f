// Save states: the whole console as bytes and back, for saving anywhere, rewinding and
// starting a scripted run from any point of a game.
//
// The bytes are pointer-free, little-endian and of fixed field sizes, so a state outlives
// the process that made it: a magic word, the format version, the size, a hash of the
// cartridge image it was made from, the frame number, then the Z80, the writable console
// memory (0x8000-0xFFFF), the video chip, the sound chip and the joypad bytes, and last a
// CRC-32 of everything before it. States are made between frames.
//
//     std::vector<uint8_t> bytes(MachineStateSize());
//     SaveMachineState(frame, bytes.data());
//     ...
//     if (const char* error = LoadMachineState(bytes.data(), bytes.size(), &frame)) say(error);
#pragma once

#include <cstddef>
#include <cstdint>

namespace plexaro {

inline constexpr uint32_t MachineStateVersion = 1;

uint32_t MachineStateSize();  // the same for every state of this version
uint64_t CartridgeHash();     // FNV-1a 64 of the loaded cartridge image
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
