// Fuzz target: an arbitrary stream of port reads and writes to the video chip and the sound
// chip, with lines drawn and sound frames made in between, in both pixel formats and both
// video behaviours.
//
// Input: a first byte of set-up (bit 0: RGB 565, bit 1: hardware video, bits 2-3: row
// stride), then operations of one opcode byte each, most followed by one operand byte.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "cpu/z80.h"
#include "machine/machine.h"
#include "sound/psg.h"
#include "video/vdp.h"
#include "video/vdp_state.h"  // the sprite steps, driven on their own too

namespace {

constexpr int Chip = 0;
constexpr int MaxSamples = 1024;  // above a frame's 735, to try other counts too
constexpr uint32_t Strides[4] = {256, 257, 320, 0};

// The video chip raises the CPU's interrupt line when its interrupt is switched on with the
// frame flag set, so the core gets a memory map it can answer from, should it ever take it.
uint8_t cpuMemory[0x10000];

struct Reader {
    const uint8_t* data;
    size_t size;
    size_t at;
    uint8_t Next() { return at < size ? data[at++] : 0; }
};

void DrawLines(uint32_t first, uint32_t count) {
    for (uint32_t line = first; line < first + count; ++line) plexaro::VdpRenderLine(line);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    using namespace plexaro;
    z80::BeginMemoryMap();
    z80::MapFetch(0x0000, 0xFFFF, cpuMemory);
    z80::MapRead(0x0000, 0xFFFF, z80::MapDirect, z80::RegionData{.memory = cpuMemory});
    z80::MapWrite(0x0000, 0xFFFF, z80::MapDirect, z80::RegionData{.memory = cpuMemory});
    z80::EndMemoryMap();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace plexaro;
    if (size == 0) return 0;
    Reader in{data, size, 0};
    const uint8_t setup = in.Next();

    z80::Reset();
    VdpSelectBehaviour((setup & 2) ? VideoHardware : VideoSimple);
    VdpInit(Strides[(setup >> 2) & 3]);
    VdpSelectPixelFormat(setup & 1);
    // The noise feedback outlives PsgInit; one noise-control write fixes it before each run.
    PsgWrite(Chip, 0xE4);
    PsgInit(Chip, ConsoleClockHz, SampleRate);

    static int16_t samples[MaxSamples];
    while (in.at < in.size) {
        const uint8_t op = in.Next();
        switch (op & 0x0F) {
            case 0: VdpWriteControl(in.Next()); break;
            case 1: VdpWriteData(in.Next()); break;
            case 2: VdpReadData(); break;
            case 3: VdpReadStatus(); break;
            case 4: PsgWrite(Chip, in.Next()); break;
            case 5: VdpRenderLine(in.Next()); break;  // lines past 191 too
            case 6: DrawLines(in.Next() % VdpVisibleLines, (op >> 4) * 12u + 1u); break;
            case 7: {
                const int count = (in.Next() << 2) - 1 - (op >> 4);  // -16 .. 1019
                PsgUpdate(Chip, samples, count);
                break;
            }
            case 8: VdpWriteRegister(op >> 4, in.Next()); break;
            case 9: VdpSelectPixelFormat(op >> 4); break;
            case 10: VdpSelectBehaviour((op & 0x10) ? VideoHardware : VideoSimple); break;
            case 11: DrawSpriteLine(in.Next()); break;
            case 12: DetectSpriteCollision(); break;
            case 13: PsgSetGain(Chip, in.Next()); break;
            case 14: VdpReset(); break;
            case 15: {
                // A whole frame as the machine draws it, with its sound.
                DrawLines(0, VdpVisibleLines);
                PsgUpdate(Chip, samples, 735);
                break;
            }
        }
        if (PsgInspect(Chip) == nullptr) std::abort();
    }
    VdpRelease();
    return 0;
}
