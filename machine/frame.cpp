// The machine's lifecycle and its frame scheduler, which interleaves the CPU with the video
// chip's scanlines and requests the frame interrupt.
#include "cpu/z80.h"
#include "machine/cassette.h"
#include "machine/machine_internal.h"
#include "sound/psg.h"
#include "video/vdp.h"

namespace plexaro {
namespace {

constexpr int PsgChipIndex = 0;

constexpr uint32_t NoRunningLine = ~uint32_t{0};

struct MachineState {
    uint32_t rowStride;  // as the last InitMachine received it
    // The frame's cycle where the running Run or Step began, or NoRunningLine. Kept here, in
    // the loop's own record, so that RunFrame pays a store a line for it and no call.
    uint32_t lineStart;
};

MachineState machine = {0, NoRunningLine};

bool FrameIrqWanted() {
    return (VdpStatus() & FrameFlag) && (VdpRegister(1) & VdpInterruptEnable);
}

// The hardware behaviour's lines are exactly their cycles long, as on the console, whose
// CPU clock does not stop at a line's end: what the line's last instruction runs past the
// end comes off the next line (as a negative response count, which the next Run adds to its
// budget and a save state keeps). The simple behaviour gives every line its whole budget.
void RunExactLine(int32_t cycles) {
    const int32_t budget = cycles + z80::TakePendingCycles();
    const auto ran = static_cast<int32_t>(z80::Run(budget));
    z80::AddPendingCycles(budget - ran);
}

}  // namespace

const char* InitMachine(uint32_t rowStride) {
    if (const char* error = ObtainConsoleMemory()) return error;
    FillConsoleMemory(RomImage());
    z80::Reset();
    ClearJoypad();
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
    if (line == LinesPerFrame - 1) {
        EndSoundFrame();
        CassetteEndFrame(uint64_t{LinesPerFrame} * static_cast<uint64_t>(LineCycles()));
        PpiFrameEnded(LinesPerFrame * static_cast<uint32_t>(LineCycles()));
    }
}

int RunFrame() {
    // Without console memory the core has nothing mapped to fetch from.
    if (ConsoleMemory() == nullptr) return 0;
    PpiFrameStarted();
    const int32_t cycles = LineCycles();
    const bool exactLines = HardwareBehaviour();
    for (uint32_t line = 0; line < LinesPerFrame; ++line) {
        machine.lineStart = line * static_cast<uint32_t>(cycles);
        if (exactLines) {
            RunExactLine(cycles);
        } else {
            z80::Run(cycles);
        }
        FinishLine(line);
    }
    machine.lineStart = NoRunningLine;
    return 0;
}

void SetSoundClock(uint32_t lineStart) {
    machine.lineStart = lineStart;
}

void StopSoundClock() {
    machine.lineStart = NoRunningLine;
}

bool RunningLineStart(uint32_t* lineStart) {
    *lineStart = machine.lineStart;
    return machine.lineStart != NoRunningLine;
}

void ResetMachine() {
    VdpReset();
    FillConsoleMemory(RomImage());
    ClearSoundFrame();
    z80::Reset();
    ClearJoypad();
}

void FreeMachine() {
    VdpReset();
    CartridgeChanged(false);
    FillConsoleMemory(nullptr);
    ClearRomImage();
    ClearSoundFrame();
    z80::Reset();
    ClearJoypad();
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
    return HardwareBehaviour() ? 1 : 0;
}

bool HardwareBehaviour() {
    return VdpBehaviour() == VideoHardware;
}

void PressPauseButton() {
    // The interrupt's push goes through the memory map, which needs console memory.
    if (ConsoleMemory() != nullptr) z80::TriggerNmi();
}

}  // namespace plexaro
