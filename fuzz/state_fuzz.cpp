// Fuzz target: save states of the demo cartridge, changed anywhere, loaded and run for a few
// frames. The header's size, cartridge hash and checksum are put right before each load, so a
// change reaches the section readers instead of stopping at the checksum.
//
// Input: a state (the seeds: states the demo saved in both video behaviours and on other
// boards, two of them without their RAM and video sections, and a first-format state). Each one
// that loads must save again as a state that loads back to the same bytes; then it runs, and a
// reset after it must run too.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "machine/machine.h"
#include "machine/state.h"

namespace {

constexpr size_t SizeAt = 12;  // the header's declared size
constexpr size_t HashAt = 16;  // the cartridge hash
constexpr size_t HeaderSize = 32;
constexpr size_t CrcSize = 4;
constexpr uint32_t Frames = 3;

void Put(uint8_t* at, uint64_t value, size_t bytes) {
    for (size_t i = 0; i < bytes; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

std::vector<uint8_t> input;  // kept between runs: no allocation once it is large enough
std::vector<uint8_t> saved, again;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    using namespace plexaro;
    if (InitMachine(256) != nullptr) std::abort();
    if (LoadCartridge(PLEXARO_STATE_FUZZ_CARTRIDGE) != nullptr) std::abort();
    saved.resize(MachineStateSize());
    again.resize(MachineStateSize());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace plexaro;
    if (size < HeaderSize + CrcSize || size > UINT32_MAX) return 0;
    // Every input starts from the same console: the simple behaviour, the demo just reset.
    SelectVideoBehaviour(0);
    ResetMachine();
    input.assign(data, data + size);
    Put(input.data() + SizeAt, size, 4);
    Put(input.data() + HashAt, CartridgeHash(), 8);
    Put(input.data() + size - CrcSize, Crc32(input.data(), size - CrcSize), CrcSize);

    if (LoadMachineState(input.data(), size, nullptr) != nullptr) return 0;
    SaveMachineState(0, saved.data());
    if (LoadMachineState(saved.data(), saved.size(), nullptr) != nullptr) std::abort();
    SaveMachineState(0, again.data());
    if (saved != again) std::abort();

    for (uint32_t frame = 0; frame < Frames; ++frame) {
        RunFrame();
        MakeSoundFrame();
    }
    ResetMachine();
    RunFrame();
    MakeSoundFrame();
    return 0;
}
