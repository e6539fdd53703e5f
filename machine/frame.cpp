// The machine's lifecycle and its frame scheduler, which interleaves the CPU with the video
// chip's scanlines and requests the frame interrupt.
#include "cpu/z80.h"
#include "machine/machine_internal.h"
#include "sound/psg.h"
#include "video/vdp.h"

namespace plexaro {
namespace {

constexpr int PsgChipIndex = 0;

struct MachineState {
    uint32_t rowStride;  // as the last InitMachine received it
};

MachineState machine = {};

bool FrameIrqWanted() {
    return (VdpStatus() & FrameFlag) && (VdpRegister(1) & VdpInterruptEnable);
}

}  // namespace

const char* InitMachine(uint32_t rowStride) {
    if (const char* error = ObtainConsoleMemory()) return error;
    FillConsoleMemory(RomImage());
    z80::Reset();
    ResetJoypad();
    VdpInit(rowStride);
    PsgInit(PsgChipIndex, ConsoleClockHz, SampleRate);
    StartSoundFrames();
    machine.rowStride = rowStride;
    return nullptr;
}

void FinishLine(uint32_t line) {
    if (line < ActiveLines) {
        VdpRenderLine(line);
    } else if (line <= IrqLastLine && FrameIrqWanted()) {
        z80::RaiseIrq(FrameIrqByte);
    }
    if (line == LinesPerFrame - 1) EndSoundFrame();
}

int RunFrame() {
    // Without console memory the core has nothing mapped to fetch from.
    if (ConsoleMemory() == nullptr) return 0;
    const int32_t cycles = LineCycles();
    for (uint32_t line = 0; line < LinesPerFrame; ++line) {
        SetSoundClock(line * static_cast<uint32_t>(cycles));
        z80::Run(cycles);
        FinishLine(line);
    }
    return 0;
}

void ResetMachine() {
    VdpReset();
    FillConsoleMemory(RomImage());
    ClearSoundFrame();
    z80::Reset();
    ResetJoypad();
}

void FreeMachine() {
    VdpReset();
    FillConsoleMemory(nullptr);
    ClearRomImage();
    ClearSoundFrame();
    z80::Reset();
    ResetJoypad();
}

void ShutdownMachine() {
    FreeMachine();
    VdpRelease();
    ReleaseConsoleMemory();
}

uint16_t* GetFrameBuffer() {
    return VdpGetFrameBuffer();
}

uint32_t RecordedRowStride() {
    return machine.rowStride;
}

void SelectRgbMode(uint32_t mode) {
    VdpSelectPixelFormat(mode);
}

void SelectVideoBehaviour(uint32_t hardware) {
    VdpSelectBehaviour(hardware == 1 ? VideoHardware : VideoSimple);
}

uint32_t SelectedVideoBehaviour() {
    return VdpBehaviour() == VideoHardware ? 1 : 0;
}

void PressPauseButton() {
    // The interrupt's push goes through the memory map, which needs console memory.
    if (ConsoleMemory() != nullptr) z80::TriggerNmi();
}

}  // namespace plexaro
